#pragma once
#include <cstdint>

// The game's one pseudo-random sequence: a 32-bit linear congruential
// generator, seeded from the clock or from --seed, so a run with the same
// seed and input repeats exactly.
class TRandom {
public:
    explicit TRandom(uint32_t seed = 0) : Seed(seed) {}
    void SetSeed(uint32_t seed) { Seed = seed; }
    uint32_t GetSeed() const { return Seed; }
    // Uniform in 0 .. n-1; n <= 0 gives 0 without advancing the sequence.
    int32_t Random(int32_t n) {
        if (n <= 0) return 0;
        Seed = Seed * 0x08088405u + 1u;
        return int32_t((uint64_t(Seed) * uint64_t(uint32_t(n))) >> 32);
    }

private:
    uint32_t Seed;
};
