#pragma once
namespace demogen {
inline constexpr double Pi = 3.14159265358979323846;
inline constexpr double Deg = Pi / 180;
}  // namespace demogen
