// The two music tracks: a slow, moody main-menu theme and a darker pulse for
// the first location. A tiny tracker renders note lists through a few
// chiptune and pad instruments; lame turns the result into MP3.
#include "Music.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "Audio.h"

extern char** environ;

namespace demogen {

namespace {

constexpr int Rate = 22050;

enum class TInstrument { Pad, Arp, Bass, Lead, Kick, Snare, Hat, Clank, Drone };

struct TNote {
    double Start, Length;  // seconds
    double Freq;
    TInstrument Instrument;
    double Velocity;
};

double Midi(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

double Saw(double phase) {
    return 2 * (phase - std::floor(phase)) - 1;
}
double Pulse(double phase, double duty) {
    return phase - std::floor(phase) < duty ? 1.0 : -1.0;
}
double Triangle(double phase) {
    return 4 * std::fabs(phase - std::floor(phase + 0.5)) - 1;
}

// Renders one note into the dry or the effects buffer.
void RenderNote(const TNote& n, TSamples& dry, TSamples& wet, TRng& rng) {
    const size_t start = size_t(n.Start * Rate);
    double release = 0.05, attack = 0.005;
    switch (n.Instrument) {
        case TInstrument::Pad:
            attack = 1.2;
            release = 1.6;
            break;
        case TInstrument::Drone:
            attack = 3.0;
            release = 3.0;
            break;
        case TInstrument::Lead:
            attack = 0.03;
            release = 0.25;
            break;
        case TInstrument::Bass:
            attack = 0.01;
            release = 0.08;
            break;
        default:
            break;
    }
    const size_t len = size_t((n.Length + release) * Rate);
    TSvf filter;
    TLowPass lp(n.Instrument == TInstrument::Bass ? 600 : 2400, Rate);
    double ph[3] = {rng.Unit(), rng.Unit(), rng.Unit()};
    for (size_t i = 0; i < len; ++i) {
        const double t = double(i) / Rate;
        double env;
        if (t < attack)
            env = t / attack;
        else if (t < n.Length)
            env = 1;
        else
            env = std::max(0.0, 1 - (t - n.Length) / release);
        double v = 0;
        bool toWet = true;
        switch (n.Instrument) {
            case TInstrument::Pad:
            case TInstrument::Drone: {
                const double detune[3] = {1.0, 1.0041, 0.9962};
                for (int k = 0; k < 3; ++k) {
                    ph[k] += n.Freq * detune[k] / Rate;
                    v += Saw(ph[k]);
                }
                const double cutoff =
                    (n.Instrument == TInstrument::Pad ? 700 : 380) + 350 * std::sin(2 * Pi * 0.13 * t);
                filter.Set(cutoff, 1.4, Rate);
                filter.Step(v / 3);
                v = filter.Low * (n.Instrument == TInstrument::Pad ? 0.5 : 0.6);
                break;
            }
            case TInstrument::Arp:
                ph[0] += n.Freq / Rate;
                v = Pulse(ph[0], 0.125) * 0.22 * std::exp(-t / 0.12);
                v = lp(v);
                break;
            case TInstrument::Lead: {
                const double vib = 1 + 0.006 * std::sin(2 * Pi * 5.2 * t) * std::min(t / 0.3, 1.0);
                ph[0] += n.Freq * vib / Rate;
                v = lp(Pulse(ph[0], 0.25)) * 0.2;
                break;
            }
            case TInstrument::Bass:
                ph[0] += n.Freq / Rate;
                v = lp(Triangle(ph[0]) * 0.7 + Pulse(ph[0], 0.5) * 0.15) * std::exp(-t / 0.6);
                toWet = false;
                break;
            case TInstrument::Kick:
                ph[0] += (45 + 90 * std::exp(-t / 0.03)) / Rate;
                v = std::sin(2 * Pi * ph[0]) * std::exp(-t / 0.15) * 0.9;
                toWet = false;
                break;
            case TInstrument::Snare:
                v = (rng.Uniform(-1, 1) * 0.5 + std::sin(2 * Pi * 190 * t) * 0.3) * std::exp(-t / 0.09);
                v = v - lp(v) * 0.5;
                break;
            case TInstrument::Hat:
                v = rng.Uniform(-1, 1);
                v = (v - lp(v)) * 0.18 * std::exp(-t / 0.025);
                toWet = false;
                break;
            case TInstrument::Clank: {
                const double ratios[] = {1.0, 2.76, 5.4, 8.93};
                for (int k = 0; k < 4; ++k)
                    v += std::sin(2 * Pi * n.Freq * ratios[k] * t) * std::exp(-t * (3 + 4 * k)) / (1 + k);
                v *= 0.3;
                break;
            }
        }
        const size_t at = start + i;
        if (at >= dry.size()) break;
        (toWet ? wet : dry)[at] += float(v * env * n.Velocity);
    }
}

// Mixes the notes: dry bus plus a wet bus through an echo and the reverb, with wind.
TSamples Render(const std::vector<TNote>& notes, double seconds, double beat, double windLevel, uint64_t seed) {
    TSamples dry(size_t(seconds * Rate), 0.0f), wet(dry.size(), 0.0f);
    TRng rng(seed);
    for (auto& n : notes) RenderNote(n, dry, wet, rng);

    // Desert wind: noise through a slowly wandering band-pass.
    TSvf wind;
    for (size_t i = 0; i < dry.size(); ++i) {
        const double t = double(i) / Rate;
        wind.Set(350 + 250 * std::sin(2 * Pi * t / 11.0) + 120 * std::sin(2 * Pi * t / 3.7), 3, Rate);
        wind.Step(rng.Uniform(-1, 1));
        wet[i] += float(wind.Band * windLevel * (0.6 + 0.4 * std::sin(2 * Pi * t / 7.3)));
    }

    const size_t echo = size_t(beat * 0.75 * Rate);
    TReverb reverb(Rate, 0.85, 0.45);
    TSamples mix(dry.size());
    for (size_t i = 0; i < dry.size(); ++i) {
        if (i >= echo) wet[i] += wet[i - echo] * 0.35f;
        mix[i] = float(dry[i] + wet[i] * 0.75 + reverb(wet[i]) * 0.45);
    }
    // Fade in and out so the track starts and ends softly.
    for (size_t i = 0; i < mix.size(); ++i) {
        const double t = double(i) / Rate;
        mix[i] *= float(std::min(1.0, t / 2.0) * std::min(1.0, (seconds - t) / 4.0));
    }
    TLowPass dc(8, Rate);
    for (float& v : mix) v = float(v - dc(v));
    Normalize(mix, 0.8);
    return mix;
}

// Main menu: A minor, 72 beats a minute, pad chords, a chiptune arpeggio and a lone melody.
TSamples MainMenuTrack() {
    const double beat = 60.0 / 72, bar = beat * 4;
    const int bars = 16;
    // Chords as MIDI notes: root, third, fifth.
    const int chords[8][3] = {{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62},
                              {57, 60, 64}, {52, 55, 59}, {53, 57, 60}, {52, 56, 59}};
    const int melody[32] = {76, 0, 74, 72, 71, 0, 72, 74, 72, 0,  69, 0, 67, 69, 71, 0,
                            76, 0, 77, 76, 74, 0, 72, 71, 72, 71, 69, 0, 68, 0,  0,  0};
    std::vector<TNote> notes;
    for (int b = 0; b < bars; ++b) {
        const int* c = chords[b % 8];
        const double t0 = b * bar;
        for (int k = 0; k < 3; ++k) notes.push_back({t0, bar, Midi(c[k]), TInstrument::Pad, 0.55});
        notes.push_back({t0, bar * 0.5, Midi(c[0] - 24), TInstrument::Bass, 0.8});
        notes.push_back({t0 + bar * 0.5, bar * 0.45, Midi(c[0] - 24 + (b % 2 ? 7 : 0)), TInstrument::Bass, 0.6});
        if (b >= 4 && b < bars - 1)
            for (int s = 0; s < 8; ++s) {
                const int pattern[8] = {0, 1, 2, 1, 0, 2, 1, 2};
                notes.push_back(
                    {t0 + s * beat / 2, beat / 2, Midi(c[pattern[s]] + 12 + (s == 5 ? 12 : 0)), TInstrument::Arp, 0.9});
            }
        if (b >= 8 && b < 16)
            for (int h = 0; h < 4; ++h) {
                const int m = melody[(b - 8) * 4 + h];
                if (m) notes.push_back({t0 + h * beat, beat * 0.95, Midi(m), TInstrument::Lead, 0.8});
            }
        if (b % 4 == 3) notes.push_back({t0 + beat * 3.5, 0.5, 330, TInstrument::Clank, 0.5});
    }
    return Render(notes, bars * bar + 2.5, beat, 0.25, 11);
}

// First location: D minor, 92 beats a minute, drone, pulse bass and sparse industrial drums.
TSamples LocationTrack() {
    const double beat = 60.0 / 92, bar = beat * 4;
    const int bars = 18;
    const int roots[4] = {50, 46, 43, 45};  // Dm Bb Gm A
    const int thirds[4] = {53, 50, 46, 49};
    std::vector<TNote> notes;
    notes.push_back({0, bars * bar, Midi(38), TInstrument::Drone, 0.5});
    notes.push_back({0, bars * bar, Midi(45), TInstrument::Drone, 0.3});
    for (int b = 0; b < bars; ++b) {
        const double t0 = b * bar;
        const int root = roots[(b / 2) % 4];
        if (b >= 2)
            for (int e = 0; e < 8; ++e) {
                const int n = root - 12 + ((e == 3 || e == 6) ? 12 : 0);
                notes.push_back({t0 + e * beat / 2, beat * 0.4, Midi(n), TInstrument::Bass, e % 2 ? 0.55 : 0.8});
            }
        if (b >= 4) {
            notes.push_back({t0, 0.2, 0, TInstrument::Kick, 1.0});
            notes.push_back({t0 + beat * 2.5, 0.2, 0, TInstrument::Kick, 0.8});
            for (int h = 0; h < 8; ++h)
                notes.push_back({t0 + h * beat / 2, 0.05, 0, TInstrument::Hat, h % 2 ? 0.6 : 1.0});
        }
        if (b >= 6) {
            notes.push_back({t0 + beat, 0.2, 0, TInstrument::Snare, 0.7});
            notes.push_back({t0 + beat * 3, 0.2, 0, TInstrument::Snare, 0.7});
        }
        if (b % 2 == 1) notes.push_back({t0 + beat * 3.75, 0.6, 140.0 + 40 * (b % 3), TInstrument::Clank, 0.6});
        if (b >= 8 && b < bars - 1)
            for (int s = 0; s < 4; ++s) {
                const int tones[4] = {root + 12, thirds[(b / 2) % 4] + 12, root + 19, thirds[(b / 2) % 4] + 24};
                notes.push_back({t0 + s * beat + beat / 2, beat / 2, Midi(tones[s]), TInstrument::Arp, 0.8});
            }
        if (b >= 12 && b % 2 == 0)
            notes.push_back({t0, bar * 1.8, Midi(roots[(b / 2) % 4] + 24), TInstrument::Lead, 0.5});
    }
    return Render(notes, bars * bar + 3.0, beat, 0.35, 23);
}

// Pipes the track as a WAV into lame. Returns false when lame cannot be started.
bool Encode(const TSamples& track, const std::string& mp3Path) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[0], 0);
    const char* args[] = {"lame", "--quiet", "--noreplaygain", "-b", "64", "-m", "m", "-", mp3Path.c_str(), nullptr};
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, "lame", &actions, nullptr, const_cast<char**>(args), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[0]);
    if (rc != 0) {
        close(pipeFds[1]);
        return false;
    }
    const std::string wav = EncodeWav(track, Rate);
    size_t done = 0;
    while (done < wav.size()) {
        const ssize_t n = write(pipeFds[1], wav.data() + done, wav.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += size_t(n);
    }
    close(pipeFds[1]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (done < wav.size() || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::remove(mp3Path.c_str());
        throw std::runtime_error("lame failed to encode " + mp3Path);
    }
    return true;
}

}  // namespace

TMusicJob::TMusicJob(const TOutput& out) {
    // lame may exit early on a broken pipe; the write must then fail, not kill us.
    std::signal(SIGPIPE, SIG_IGN);
    std::error_code ec;
    std::filesystem::create_directories(out.PathOf("data/Music"), ec);
    if (ec) throw std::runtime_error("cannot create folder " + out.PathOf("data/Music").string() + ": " + ec.message());
    struct TTrack {
        const char* File;
        TSamples (*Make)();
    };
    static const TTrack tracks[] = {{"MainMenu.mp3", MainMenuTrack}, {"loc01.mp3", LocationTrack}};
    Errors.resize(2);
    for (int k = 0; k < 2; ++k) {
        const std::string path = out.PathOf(std::string("data/Music/") + tracks[k].File).string();
        Threads.emplace_back([this, k, path] {
            try {
                if (!Encode(tracks[k].Make(), path)) Errors[k].push_back('-');  // lame missing
            } catch (const std::exception& e) {
                Errors[k] = e.what();
            }
        });
    }
}

TMusicJob::~TMusicJob() {
    for (auto& t : Threads)
        if (t.joinable()) t.join();
}

void TMusicJob::Finish() {
    for (auto& t : Threads)
        if (t.joinable()) t.join();
    bool warned = false;
    for (auto& e : Errors) {
        if (e == "-") {
            if (!warned) std::fprintf(stderr, "rustwake-demogen: warning: 'lame' not found, music skipped\n");
            warned = true;
        } else if (!e.empty()) {
            throw std::runtime_error(e);
        }
    }
}

}  // namespace demogen
