#include "world/LineOfFire.h"

#include <algorithm>
#include <cmath>

#include "critters/Critter.h"

namespace {
// The intermediate values are extended precision and only the stored ones
// single: that is what decides a rounding that lands near a half.
constexpr long double Pi = 3.141592653589793238462643383279502884L;

// Halves to even, as the FPU's default rounding does.
int64_t Round(long double v) {
    return std::llrint(v);
}

float AngleOf(int64_t dx, int64_t dy) {
    const float a = dx != 0 ? float(std::atan(std::fabs((long double)dy) / std::fabs((long double)dx))) : float(Pi / 2);
    if (dy > 0) return dx < 0 ? float(Pi - a) : a;
    return dx < 0 ? float(Pi + a) : float(2 * Pi - a);
}

struct TLine {
    float Slope;
    bool Steep;
};

TLine LineOf(int64_t x0, int64_t y0, int64_t tx, int64_t ty) {
    const float theta = AngleOf(tx - x0, ty - y0);
    const int64_t degrees = Round((long double)theta * 180 / Pi);
    TLine line;
    line.Slope = degrees == 90 || degrees == 270 ? 9999999.0f
                                                 : float(std::sin((long double)theta) / std::cos((long double)theta));
    line.Steep = (degrees > 80 && degrees < 100) || (degrees > 260 && degrees < 280);
    return line;
}

// Sub-step k of a shallow walk advances a fifth of a column, of a steep walk
// a fifth of a row; the other coordinate follows the slope.
int64_t ShallowY(int64_t y0, int64_t k, float m) {
    return y0 + Round((long double)k / 5 * m);
}
int64_t SteepX(int64_t x0, int64_t k, float m) {
    return x0 + Round((long double)k / ((long double)m * 5));
}

const TCell& CellAt(const TGrid& grid, int64_t x, int64_t y) {
    // Anything beyond int range is outside the grid as well.
    if (x < 0 || y < 0 || x >= MapCols || y >= MapRows) return grid.At(-1, -1);
    return grid.At(int(x), int(y));
}

// Calls visit(cx, cy) for each sub-step from k = first to k = last (both
// included, stepping towards last) until it returns true.
template <class Visit>
void Walk(const TLine& line, int64_t x0, int64_t y0, int64_t first, int64_t last, Visit&& visit) {
    const int64_t step = last >= first ? 1 : -1;
    for (int64_t k = first;; k += step) {
        const int64_t cx = line.Steep ? SteepX(x0, k, line.Slope) : x0 + k / 5;
        const int64_t cy = line.Steep ? y0 + k / 5 : ShallowY(y0, k, line.Slope);
        if (visit(cx, cy) || k == last) return;
    }
}
}  // namespace

float Angle(int64_t dx, int64_t dy) {
    return AngleOf(dx, dy);
}

std::pair<int32_t, int32_t> TraceShot(const TGrid& grid, TRandom& random, int32_t x0, int32_t y0, int32_t tx,
                                      int32_t ty) {
    tx = std::clamp(tx, 0, MapCols - 1);
    ty = std::clamp(ty, 0, MapRows - 1);
    int64_t endX = tx, endY = ty;
    auto visit = [&](int64_t cx, int64_t cy) {
        const TCell& cell = CellAt(grid, cx, cy);
        // A critter in the shooter's own row or column is never in the way.
        if (cell.Occupant >= 0 && cx != x0 && cy != y0 && random.Random(100) > 80) {
            endX = cx;
            endY = cy;
        }
        if (cell.ShootBlock != 0) {
            endX = cx;
            endY = cy;
        }
        return endX != tx || endY != ty;
    };
    const TLine line = LineOf(x0, y0, tx, ty);
    const int64_t dx = int64_t(tx) - x0, dy = int64_t(ty) - y0;
    if (!line.Steep)
        Walk(line, x0, y0, 0, 5 * dx, visit);
    else if (dy > 0)
        Walk(line, x0, y0, 5, 5 * dy, visit);  // the shooter's own row is skipped
    else if (dy < 0)
        Walk(line, x0, y0, -5, 5 * dy, visit);
    return {int32_t(std::clamp<int64_t>(endX, INT32_MIN, INT32_MAX)),
            int32_t(std::clamp<int64_t>(endY, INT32_MIN, INT32_MAX))};
}

bool HasLineOfFire(const TGrid& grid, int32_t x0, int32_t y0, int32_t tx, int32_t ty) {
    tx = std::clamp(tx, 0, MapCols - 1);
    ty = std::clamp(ty, 0, MapRows - 1);
    bool clear = true;
    auto visit = [&](int64_t cx, int64_t cy) {
        if (CellAt(grid, cx, cy).ShootBlock != 0 && (cx != tx || cy != ty)) clear = false;
        return !clear;
    };
    const TLine line = LineOf(x0, y0, tx, ty);
    const int64_t span = line.Steep ? int64_t(ty) - y0 : int64_t(tx) - x0;
    Walk(line, x0, y0, 0, 5 * span, visit);
    return clear;
}

bool HasLineOfFire(const TWorld& world, int32_t from, int32_t to) {
    const tCritter* a = world.Critter(from);
    const tCritter* b = world.Critter(to);
    return a && b && HasLineOfFire(world.Grid, a->X, a->Y, b->X, b->Y);
}
