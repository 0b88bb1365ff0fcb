#pragma once
// Deterministic lattice noise for textures (sand, rust, concrete stains).
#include <cstdint>

namespace demogen {

uint32_t Hash3(int32_t x, int32_t y, int32_t z, uint32_t seed);
inline double HashUnit(int32_t x, int32_t y, uint32_t seed) {
    return Hash3(x, y, 0, seed) * (1.0 / 4294967296.0);
}
// Smooth value noise in 0..1.
double ValueNoise(double x, double y, uint32_t seed);
double ValueNoise3(double x, double y, double z, uint32_t seed);
// Sum of octaves, normalised to 0..1.
double Fbm(double x, double y, int octaves, uint32_t seed);
double Fbm3(double x, double y, double z, int octaves, uint32_t seed);
// 1 at the ridges of the noise field, 0 away from them: cracks and dune crests.
double Ridge(double x, double y, int octaves, uint32_t seed);
// Distance to the nearest and second-nearest feature points of a jittered grid.
void Cells(double x, double y, uint32_t seed, double& f1, double& f2);

}  // namespace demogen
