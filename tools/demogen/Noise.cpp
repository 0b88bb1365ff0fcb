#include "Noise.h"

#include <cmath>

namespace demogen {

uint32_t Hash3(int32_t x, int32_t y, int32_t z, uint32_t seed) {
    uint32_t h = seed * 0x27D4EB2Du ^ uint32_t(x) * 0x85EBCA6Bu ^ uint32_t(y) * 0xC2B2AE35u ^ uint32_t(z) * 0x165667B1u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

static double Smooth(double t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

double ValueNoise(double x, double y, uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y);
    const int32_t ix = int32_t(fx), iy = int32_t(fy);
    const double tx = Smooth(x - fx), ty = Smooth(y - fy);
    const double a = HashUnit(ix, iy, seed), b = HashUnit(ix + 1, iy, seed);
    const double c = HashUnit(ix, iy + 1, seed), d = HashUnit(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

double ValueNoise3(double x, double y, double z, uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const int32_t ix = int32_t(fx), iy = int32_t(fy), iz = int32_t(fz);
    const double tx = Smooth(x - fx), ty = Smooth(y - fy), tz = Smooth(z - fz);
    double v[2];
    for (int k = 0; k < 2; ++k) {
        const double a = Hash3(ix, iy, iz + k, seed) / 4294967296.0, b = Hash3(ix + 1, iy, iz + k, seed) / 4294967296.0;
        const double c = Hash3(ix, iy + 1, iz + k, seed) / 4294967296.0,
                     d = Hash3(ix + 1, iy + 1, iz + k, seed) / 4294967296.0;
        const double ab = a + (b - a) * tx, cd = c + (d - c) * tx;
        v[k] = ab + (cd - ab) * ty;
    }
    return v[0] + (v[1] - v[0]) * tz;
}

double Fbm(double x, double y, int octaves, uint32_t seed) {
    double sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * ValueNoise(x, y, seed + uint32_t(o) * 101u);
        norm += amp;
        amp *= 0.5;
        // Turning each octave hides the lattice.
        const double nx = (0.8 * x - 0.6 * y) * 2.03 + 17.1;
        y = (0.6 * x + 0.8 * y) * 2.03 - 9.7;
        x = nx;
    }
    return sum / norm;
}

double Fbm3(double x, double y, double z, int octaves, uint32_t seed) {
    double sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * ValueNoise3(x, y, z, seed + uint32_t(o) * 101u);
        norm += amp;
        amp *= 0.5;
        x *= 2.03;
        y *= 2.03;
        z *= 2.03;
    }
    return sum / norm;
}

double Ridge(double x, double y, int octaves, uint32_t seed) {
    const double n = Fbm(x, y, octaves, seed);
    return 1.0 - std::fabs(n - 0.5) * 2.0;
}

void Cells(double x, double y, uint32_t seed, double& f1, double& f2) {
    const int32_t ix = int32_t(std::floor(x)), iy = int32_t(std::floor(y));
    f1 = f2 = 1e9;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const uint32_t h = Hash3(ix + dx, iy + dy, 7, seed);
            const double px = ix + dx + (h & 0xFFFF) / 65536.0, py = iy + dy + (h >> 16) / 65536.0;
            const double d = std::hypot(px - x, py - y);
            if (d < f1) {
                f2 = f1;
                f1 = d;
            } else if (d < f2) {
                f2 = d;
            }
        }
}

}  // namespace demogen
