#pragma once
// Arithmetic on numbers that come from files, scripts and input, which may
// hold any 32-bit value.
#include <algorithm>
#include <cmath>
#include <cstdint>

// The game's integers wrap around in 32 bits, as two's complement.
constexpr int32_t Wrap32(int64_t v) { return int32_t(uint32_t(uint64_t(v))); }

// Screen positions are held within this distance of the surface: far enough
// that nothing drawn there reaches the 800 x 600 screen (pictures are at most
// 16384 pixels a side), near enough that adding sizes cannot overflow.
constexpr int64_t ScreenCoordLimit = int64_t(1) << 24;

constexpr int32_t ClampScreen(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, -ScreenCoordLimit, ScreenCoordLimit));
}
inline int32_t ClampScreen(double v) {
    if (std::isnan(v)) return 0;
    return int32_t(std::clamp<double>(v, -double(ScreenCoordLimit), double(ScreenCoordLimit)));
}
