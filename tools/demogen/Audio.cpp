#include "Audio.h"

#include <algorithm>

namespace demogen {

std::string EncodeWav(const TSamples& s, int rate) {
    std::string w;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) w += char((v >> (8 * i)) & 255);
    };
    auto put16 = [&](uint32_t v) {
        w += char(v & 255);
        w += char((v >> 8) & 255);
    };
    const uint32_t data = uint32_t(s.size()) * 2;
    w += "RIFF";
    put32(36 + data);
    w += "WAVEfmt ";
    put32(16);
    put16(1);  // PCM
    put16(1);  // mono
    put32(uint32_t(rate));
    put32(uint32_t(rate) * 2);
    put16(2);
    put16(16);
    w += "data";
    put32(data);
    for (float v : s) {
        const int x = std::clamp(int(std::lround(v * 32767.0)), -32768, 32767);
        put16(uint32_t(uint16_t(int16_t(x))));
    }
    return w;
}

void Normalize(TSamples& s, double peak) {
    float m = 0;
    for (float v : s) m = std::max(m, std::fabs(v));
    if (m < 1e-9f) return;
    const float k = float(peak / m);
    for (float& v : s) v *= k;
}

void MixInto(TSamples& dst, const TSamples& src, size_t offset, double gain) {
    if (dst.size() < offset + src.size()) dst.resize(offset + src.size(), 0.0f);
    for (size_t i = 0; i < src.size(); ++i) dst[offset + i] += float(src[i] * gain);
}

void Declick(TSamples& s, int rate, double ms) {
    const size_t n = std::min(s.size() / 2, size_t(rate * ms / 1000.0));
    for (size_t i = 0; i < n; ++i) {
        const float k = float(i) / float(n);
        s[i] *= k;
        s[s.size() - 1 - i] *= k;
    }
}

TReverb::TReverb(int rate, double size, double damping) : Feedback(0.70 + 0.28 * size), Damping(damping) {
    const int combMs[4] = {1557, 1617, 1491, 1422};
    const int apMs[2] = {225, 556};
    for (int c : combMs) {
        TLine l;
        l.Buf.assign(size_t(c * rate / 44100.0 * (0.6 + size)), 0.0f);
        Combs.push_back(std::move(l));
    }
    for (int a : apMs) {
        TLine l;
        l.Buf.assign(size_t(a * rate / 44100.0) + 1, 0.0f);
        AllPasses.push_back(std::move(l));
    }
}

double TReverb::operator()(double x) {
    double out = 0;
    for (auto& c : Combs) {
        const double y = c.Buf[c.Pos];
        c.Store = y * (1 - Damping) + c.Store * Damping;
        c.Buf[c.Pos] = float(x * 0.25 + c.Store * Feedback);
        c.Pos = (c.Pos + 1) % c.Buf.size();
        out += y;
    }
    for (auto& a : AllPasses) {
        const double b = a.Buf[a.Pos];
        a.Buf[a.Pos] = float(out + b * 0.5);
        a.Pos = (a.Pos + 1) % a.Buf.size();
        out = b - out;
    }
    return out;
}

}  // namespace demogen
