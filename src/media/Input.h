#pragma once
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

// Virtual-key codes the game reads.
enum : int {
    VK_SHIFT = 16, VK_CONTROL = 17, VK_ESCAPE = 27, VK_SPACE = 32, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40,
    VK_DELETE = 46, VK_NUMPAD2 = 98, VK_NUMPAD4 = 100, VK_NUMPAD6 = 102, VK_NUMPAD8 = 104,
    VK_F1 = 112, VK_F2 = 113, VK_F3 = 114, VK_F4 = 115
};

// Keyboard state: the platform writes key changes into Live as they happen;
// Poll copies them into the state the frame sees, once per tick.
class TKeyboard {
public:
    std::array<bool, 256> Live{};
    // Keys pressed since their reader last looked, so a tap shorter than a
    // frame still counts for keys that act once per press.
    std::array<bool, 256> Pressed{};

    void Poll();
    // False for codes outside 1..255.
    bool KeyDown(int vk) const { return vk >= 1 && vk <= 255 && State[size_t(vk)]; }
    bool Up() const { return Dir[0]; }
    bool Down() const { return Dir[1]; }
    bool Left() const { return Dir[2]; }
    bool Right() const { return Dir[3]; }

private:
    std::array<bool, 256> State{};
    bool Dir[4] = {};
};

// The frame timer: whether and how often the frame loop ticks, and the
// measured frame rate (ticks counted over the last second).
class TFrameTimer {
public:
    bool Enabled = true;
    uint32_t Interval = 0;  // ms; 0 = as fast as the loop runs

    // True when a tick is due at `now`; records it.
    bool Due(uint32_t now) const { return Enabled && (Interval == 0 || uint32_t(now - LastTick) >= Interval); }
    void CountTick(uint32_t now);
    int FrameRate() const { return Fps; }
    // Time since the last tick, at most one interval (a timer that never ticked: 0).
    uint32_t SinceTick(uint32_t now) const { return Started ? std::min(now - LastTick, Interval) : 0; }

    // The timer's phase relative to `now`, so a loaded game ticks and counts
    // its frame rate as the saved one would have.
    struct TPhase {
        bool Enabled = true, Started = false;
        uint32_t Interval = 0, SinceLastTick = 0, SinceSecondStart = 0;
        int32_t TicksThisSecond = 0, Fps = 0;
    };
    TPhase Phase(uint32_t now) const {
        return {Enabled, Started, Interval, now - LastTick, now - SecondStart, TicksThisSecond, Fps};
    }
    void SetPhase(const TPhase& p, uint32_t now) {
        Enabled = p.Enabled, Started = p.Started, Interval = p.Interval;
        LastTick = now - p.SinceLastTick, SecondStart = now - p.SinceSecondStart;
        TicksThisSecond = p.TicksThisSecond, Fps = p.Fps;
    }

private:
    uint32_t LastTick = 0;
    uint32_t SecondStart = 0;
    int TicksThisSecond = 0;
    int Fps = 0;
    bool Started = false;
};
