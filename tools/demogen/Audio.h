#pragma once
// Sound synthesis helpers shared by the effects and the music, and the WAV
// writer (PCM 16-bit mono).
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "Math.h"
#include "Rng.h"

namespace demogen {

using TSamples = std::vector<float>;

std::string EncodeWav(const TSamples& s, int rate);

// Scales the peak to the level (0..1) unless the sound is silent.
void Normalize(TSamples& s, double peak);
// Adds src into dst from sample offset, scaled.
void MixInto(TSamples& dst, const TSamples& src, size_t offset, double gain = 1.0);
// Short linear fades against clicks at both ends.
void Declick(TSamples& s, int rate, double ms = 3.0);

// One-pole filters; cutoff in Hz.
class TLowPass {
public:
    TLowPass(double cutoff, int rate) { Set(cutoff, rate); }
    void Set(double cutoff, int rate) { A = 1.0 - std::exp(-2.0 * Pi * cutoff / rate); }
    double operator()(double x) { return Y += A * (x - Y); }

private:
    double A = 0, Y = 0;
};
class THighPass {
public:
    THighPass(double cutoff, int rate) : Lp(cutoff, rate) {}
    double operator()(double x) { return x - Lp(x); }

private:
    TLowPass Lp;
};
// Resonant state-variable filter (band and low outputs).
class TSvf {
public:
    void Set(double cutoff, double q, int rate) {
        F = 2.0 * std::sin(Pi * std::min(cutoff, rate * 0.22) / rate);
        Damp = 1.0 / q;
    }
    double Low = 0, Band = 0, High = 0;
    void Step(double x) {
        Low += F * Band;
        High = x - Low - Damp * Band;
        Band += F * High;
    }

private:
    double F = 0.1, Damp = 1.0;
};

// A small Schroeder reverb: four combs and two all-passes.
class TReverb {
public:
    TReverb(int rate, double size, double damping);
    double operator()(double x);

private:
    struct TLine {
        std::vector<float> Buf;
        size_t Pos = 0;
        double Store = 0;
    };
    std::vector<TLine> Combs, AllPasses;
    double Feedback, Damping;
};

inline double Env(double t, double attack, double decay) {
    if (t < 0) return 0;
    if (t < attack) return t / attack;
    return std::exp(-(t - attack) / decay);
}

}  // namespace demogen
