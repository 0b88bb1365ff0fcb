#pragma once
#include <cstdint>

// The millisecond tick count, an unsigned 32-bit value that wraps. The real
// platform reads the system clock; the headless one advances a fixed step
// per frame.
class IClock {
public:
    virtual ~IClock() = default;
    virtual uint32_t Now() const = 0;
};

class TManualClock : public IClock {
public:
    uint32_t Now() const override { return Ticks; }
    void Set(uint32_t t) { Ticks = t; }
    void Advance(uint32_t ms) { Ticks += ms; }

private:
    uint32_t Ticks = 0;
};
