#pragma once
// Our own small generator: every run of the demo generator must write the
// same bytes, so nothing here depends on the standard library's engines.
#include <cstdint>

namespace demogen {

class TRng {
public:
    explicit TRng(uint64_t seed) : State(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    uint64_t Next() {
        uint64_t z = (State += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in 0 .. n-1.
    int Int(int n) { return n <= 0 ? 0 : int(Next() % uint64_t(n)); }
    int Range(int lo, int hi) { return lo + Int(hi - lo + 1); }
    double Unit() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    bool Chance(double p) { return Unit() < p; }

private:
    uint64_t State;
};

}  // namespace demogen
