// Every wave of the game, synthesised: gunshots, ricochets, impacts, voices,
// interface clicks and the studio jingle. PCM 16-bit mono at 22050 Hz.
#include <functional>
#include <string>

#include "Audio.h"
#include "Catalogue.h"
#include "DemoGen.h"

namespace demogen {

namespace {

constexpr int Rate = 22050;

TSamples Make(double seconds) {
    return TSamples(size_t(seconds * Rate), 0.0f);
}
double T(size_t i) {
    return double(i) / Rate;
}

// White noise shaped by an envelope and a one-pole band (low and high cut).
void AddNoise(TSamples& s, TRng& rng, double start, double attack, double decay, double lowCut, double highCut,
              double gain) {
    TLowPass lp(highCut, Rate);
    THighPass hp(lowCut, Rate);
    for (size_t i = size_t(start * Rate); i < s.size(); ++i) {
        const double e = Env(T(i) - start, attack, decay);
        if (T(i) - start > attack + decay * 8) break;
        s[i] += float(hp(lp(rng.Uniform(-1, 1))) * e * gain);
    }
}

// A sine whose frequency glides exponentially from f0 to f1 over the glide time.
void AddSweep(TSamples& s, double start, double f0, double f1, double glide, double attack, double decay, double gain,
              double vibrato = 0) {
    double phase = 0;
    for (size_t i = size_t(start * Rate); i < s.size(); ++i) {
        const double t = T(i) - start;
        const double k = std::min(t / glide, 1.0);
        const double f = f0 * std::pow(f1 / f0, k) * (1 + vibrato * std::sin(2 * Pi * 23 * t));
        phase += 2 * Pi * f / Rate;
        s[i] += float(std::sin(phase) * Env(t, attack, decay) * gain);
    }
}

// Struck metal: inharmonic partials that die away at different speeds.
void AddClank(TSamples& s, double start, double f0, double decay, double gain) {
    const double ratios[] = {1.0, 2.76, 5.40, 8.93, 13.3};
    const double amps[] = {1.0, 0.6, 0.4, 0.25, 0.15};
    for (int p = 0; p < 5; ++p)
        AddSweep(s, start, f0 * ratios[p], f0 * ratios[p] * 0.995, 0.5, 0.001, decay / (1 + p * 0.6), gain * amps[p]);
}

// A throaty voice: a buzzing pulse through two vowel formants, pitch falling.
void AddGroan(TSamples& s, TRng& rng, double start, double len, double f0, double f1, double gain) {
    TSvf fa, fb;
    double phase = 0;
    for (size_t i = size_t(start * Rate); i < s.size(); ++i) {
        const double t = T(i) - start;
        if (t > len) break;
        const double k = t / len;
        const double f = f0 * std::pow(f1 / f0, k) * (1 + 0.02 * std::sin(2 * Pi * 5.5 * t));
        phase += f / Rate;
        phase -= std::floor(phase);
        const double src = (phase < 0.15 ? 1.0 : -0.18) + rng.Uniform(-0.25, 0.25);
        fa.Set(750 - 350 * k, 6, Rate);  // "aa" sliding to "oo"
        fb.Set(1150 - 400 * k, 8, Rate);
        fa.Step(src);
        fb.Step(src);
        const double e = std::min(t / 0.06, 1.0) * std::pow(1 - k, 1.4);
        s[i] += float((fa.Band + 0.6 * fb.Band) * e * gain);
    }
}

TSamples Gunshot(TRng& rng) {
    TSamples s = Make(0.45);
    AddNoise(s, rng, 0, 0.0005, 0.006, 1500, 9000, 1.0);
    AddNoise(s, rng, 0, 0.001, 0.045, 150, 3000, 0.9);
    AddSweep(s, 0, 140, 45, 0.09, 0.001, 0.07, 0.9);
    AddNoise(s, rng, 0.01, 0.01, 0.12, 80, 900, 0.35);
    return s;
}

TSamples Ricochet(TRng& rng, int n) {
    TSamples s = Make(0.75);
    AddNoise(s, rng, 0, 0.0005, 0.008, 2000, 9000, 0.7);
    const double f0 = 1700 + 180 * n + rng.Uniform(-80, 80);
    const double len = 0.25 + 0.03 * (n % 5);
    AddSweep(s, 0.008, f0, f0 * (0.45 + 0.03 * (n % 4)), len, 0.004, len * 0.55, 0.6, 0.012);
    AddSweep(s, 0.008, f0 * 1.5, f0 * 0.7, len, 0.004, len * 0.3, 0.15);
    return s;
}

TSamples FleshHit(TRng& rng) {
    TSamples s = Make(0.25);
    AddSweep(s, 0, 95, 55, 0.1, 0.002, 0.06, 1.0);
    AddNoise(s, rng, 0, 0.001, 0.03, 200, 1800, 0.8);
    return s;
}

TSamples Death(TRng& rng, bool player) {
    TSamples s = Make(player ? 1.9 : 1.2);
    if (player) {
        AddGroan(s, rng, 0.0, 1.3, 120, 65, 1.0);
        AddSweep(s, 0.2, 220, 55, 1.5, 0.05, 0.6, 0.25);
        AddSweep(s, 1.05, 70, 40, 0.15, 0.002, 0.1, 0.9);
        AddNoise(s, rng, 1.05, 0.002, 0.12, 60, 700, 0.5);
    } else {
        AddGroan(s, rng, 0.0, 0.8, 150, 85, 1.0);
        AddSweep(s, 0.75, 80, 45, 0.12, 0.002, 0.08, 0.8);
        AddNoise(s, rng, 0.75, 0.002, 0.1, 60, 900, 0.5);
    }
    return s;
}

TSamples Tones(std::initializer_list<double> freqs, double each, double gap, double square) {
    TSamples s = Make((each + gap) * freqs.size() + 0.05);
    double start = 0;
    for (double f : freqs) {
        double phase = 0;
        for (size_t i = size_t(start * Rate); i < s.size(); ++i) {
            const double t = T(i) - start;
            if (t > each) break;
            phase += f / Rate;
            const double sine = std::sin(2 * Pi * phase);
            const double sq = sine > 0 ? 1.0 : -1.0;
            const double e = std::min(t / 0.004, 1.0) * std::min((each - t) / 0.01, 1.0);
            s[i] += float((sine * (1 - square) + sq * square * 0.5) * e * 0.8);
        }
        start += each + gap;
    }
    return s;
}

TSamples Door(TRng& rng) {
    TSamples s = Make(1.3);
    TSvf f;
    for (size_t i = 0; i < size_t(0.85 * Rate); ++i) {
        const double t = T(i);
        f.Set(300 + 900 * t, 4, Rate);
        f.Step(rng.Uniform(-1, 1) * (0.7 + 0.3 * std::sin(2 * Pi * 31 * t)));
        s[i] += float(f.Band * std::min(t / 0.1, 1.0) * 0.7);
    }
    AddClank(s, 0.85, 180, 0.35, 0.7);
    AddNoise(s, rng, 0.85, 0.001, 0.05, 100, 2500, 0.6);
    return s;
}

TSamples Alarm() {
    TSamples s = Make(1.4);
    double phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = T(i);
        const double f = 620 + 300 * (0.5 - 0.5 * std::cos(2 * Pi * t / 0.7));
        phase += f / Rate;
        const double tri = 4 * std::fabs(phase - std::floor(phase + 0.5)) - 1;
        s[i] = float(tri * std::min(t / 0.02, 1.0) * std::min((1.4 - t) / 0.1, 1.0) * 0.8);
    }
    return s;
}

TSamples Radio(TRng& rng) {
    TSamples s = Make(0.9);
    TSvf f;
    f.Set(1800, 1.5, Rate);
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = T(i);
        f.Step(rng.Uniform(-1, 1));
        const double crackle = rng.Chance(0.004) ? rng.Uniform(-1, 1) : 0;
        const double tone = std::sin(2 * Pi * 1000 * t) * (t > 0.55 && t < 0.7 ? 0.4 : 0);
        s[i] = float((f.Band * 0.6 + crackle + tone) * std::min(t / 0.03, 1.0) * std::min((0.9 - t) / 0.05, 1.0));
    }
    return s;
}

TSamples Explosion(TRng& rng) {
    TSamples s = Make(2.0);
    AddNoise(s, rng, 0, 0.003, 0.35, 30, 700, 1.0);
    AddNoise(s, rng, 0, 0.001, 0.05, 500, 6000, 0.6);
    AddSweep(s, 0, 70, 28, 0.6, 0.003, 0.4, 0.9);
    AddNoise(s, rng, 0.2, 0.2, 0.5, 40, 300, 0.4);
    return s;
}

TSamples Lever(TRng& rng) {
    TSamples s = Make(0.4);
    AddNoise(s, rng, 0, 0.001, 0.01, 800, 6000, 0.6);
    AddClank(s, 0.0, 900, 0.04, 0.3);
    AddNoise(s, rng, 0.16, 0.001, 0.03, 100, 1500, 0.8);
    AddClank(s, 0.16, 260, 0.12, 0.5);
    return s;
}

TSamples ImpactSand(TRng& rng, int n) {
    TSamples s = Make(0.3);
    AddNoise(s, rng, 0, 0.002, 0.03 + 0.01 * n, 120, 1200 + 300 * n, 1.0);
    AddNoise(s, rng, 0.01, 0.02, 0.06, 400, 3000, 0.25);  // sand trickling down
    AddSweep(s, 0, 110 + 15 * n, 60, 0.05, 0.001, 0.03, 0.4);
    return s;
}

TSamples ImpactMetal(TRng& rng, int n) {
    TSamples s = Make(0.6);
    AddNoise(s, rng, 0, 0.0005, 0.006, 2000, 9000, 0.7);
    AddClank(s, 0, 380 + 140 * n + rng.Uniform(-20, 20), 0.18, 0.55);
    return s;
}

TSamples ImpactConcrete(TRng& rng, int n) {
    TSamples s = Make(0.45);
    AddNoise(s, rng, 0, 0.0005, 0.015, 900, 5000 + 800 * n, 1.0);
    for (int k = 0; k < 4 + n; ++k)  // chips falling
        AddNoise(s, rng, 0.04 + rng.Uniform(0, 0.25), 0.0005, 0.004, 1500, 7000, rng.Uniform(0.15, 0.35));
    return s;
}

TSamples Jingle(TRng& rng) {
    TSamples s = Make(4.2);
    // An anvil strike, then a slow minor chord rising out of it with a bell on top.
    AddClank(s, 0.05, 220, 0.9, 0.8);
    AddNoise(s, rng, 0.05, 0.001, 0.02, 500, 7000, 0.5);
    const double chord[] = {110.0, 130.81, 164.81, 220.0, 329.63};
    for (int k = 0; k < 5; ++k) {
        double phase = 0, phase2 = 0;
        for (size_t i = size_t(0.4 * Rate); i < s.size(); ++i) {
            const double t = T(i) - 0.4 - 0.12 * k;
            if (t < 0) continue;
            phase += chord[k] / Rate;
            phase2 += chord[k] * 1.004 / Rate;
            const double saw = (phase - std::floor(phase)) * 2 - 1 + (phase2 - std::floor(phase2)) * 2 - 1;
            const double e = std::min(t / 0.8, 1.0) * std::min((3.6 - t) / 1.2, 1.0);
            s[i] += float(saw * std::max(e, 0.0) * 0.09);
        }
    }
    TLowPass lp(1400, Rate);
    for (float& v : s) v = float(lp(v));
    AddSweep(s, 1.6, 880, 880, 1, 0.005, 0.9, 0.25);
    AddSweep(s, 1.9, 1318.5, 1318.5, 1, 0.005, 0.9, 0.18);
    TReverb rev(Rate, 0.8, 0.4);
    for (float& v : s) v = float(v * 0.8 + rev(v) * 0.5);
    return s;
}

TSamples Click(TRng& rng, bool in) {
    TSamples s = Make(0.09);
    AddNoise(s, rng, 0, 0.0003, 0.004, 1000, 8000, 0.6);
    AddSweep(s, 0, in ? 320 : 520, in ? 250 : 420, 0.03, 0.001, 0.02, 0.8);
    return s;
}

uint64_t Seed(std::string_view name) {
    uint64_t h = 1469598103934665603ull;
    for (char c : name) h = (h ^ uint8_t(c)) * 1099511628211ull;
    return h;
}

}  // namespace

void WriteSounds(const TOutput& out) {
    auto write = [&](const std::string& name, const std::function<TSamples(TRng&)>& make) {
        TRng rng(Seed(name));
        TSamples s = make(rng);
        Normalize(s, 0.85);
        Declick(s, Rate);
        out.WriteBytes("data/sounds/" + name + ".wav", EncodeWav(s, Rate));
    };
    write("player_fire", Gunshot);
    for (int n = 1; n <= RicochetCount; ++n) write("rico" + std::to_string(n), [n](TRng& r) { return Ricochet(r, n); });

    for (auto name : GeneralSounds) {
        const std::string nm(name);
        std::function<TSamples(TRng&)> make;
        if (nm == "hit")
            make = FleshHit;
        else if (nm == "Death")
            make = [](TRng& r) { return Death(r, false); };
        else if (nm == "DeathPlayer")
            make = [](TRng& r) { return Death(r, true); };
        else if (nm == "Console")
            make = [](TRng&) { return Tones({1250, 1660}, 0.035, 0.01, 0.3); };
        else if (nm == "door")
            make = Door;
        else if (nm == "beep")
            make = [](TRng&) { return Tones({880}, 0.15, 0, 0.6); };
        else if (nm == "pickup")
            make = [](TRng&) { return Tones({660, 880, 1320}, 0.06, 0.005, 0.2); };
        else if (nm == "alarm")
            make = [](TRng&) { return Alarm(); };
        else if (nm == "radio")
            make = Radio;
        else if (nm == "explosion")
            make = Explosion;
        else
            make = Lever;
        write(nm, make);
    }

    for (auto& h : HitTypes)
        for (int n = 1; n <= 3; ++n) {
            const std::string name = std::string(h.Sound) + std::to_string(n);
            if (h.Name == "metal")
                write(name, [n](TRng& r) { return ImpactMetal(r, n); });
            else if (h.Name == "concrete")
                write(name, [n](TRng& r) { return ImpactConcrete(r, n); });
            else
                write(name, [n](TRng& r) { return ImpactSand(r, n); });
        }

    write("Vorteline", Jingle);
    write("ButIn", [](TRng& r) { return Click(r, true); });
    write("ButOut", [](TRng& r) { return Click(r, false); });
}

}  // namespace demogen
