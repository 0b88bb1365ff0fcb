#pragma once
#include <cstdint>
#include <utility>

#include "base/Random.h"
#include "world/World.h"

// Shots do not fly: their end tile is found at once by walking the line from
// the shooter's tile in fifths of a tile. The angle and slope are kept in
// single precision and rounded halves-to-even, because those decide which
// cells a line touches.

// Direction of (dx, dy) in radians, 0 < angle <= 2 pi: (1, 0) gives 2 pi and
// (0, 0) gives 3 pi / 2.
float Angle(int64_t dx, int64_t dy);

// End tile of a shot from (x0, y0) aimed at (tx, ty); the aim is clamped into
// the grid. A shoot block stops the shot; a critter off the shooter's row and
// column stops it by chance, drawing Random(100) for each such sub-step only.
std::pair<int32_t, int32_t> TraceShot(const TGrid& grid, TRandom& random, int32_t x0, int32_t y0, int32_t tx,
                                      int32_t ty);

// True when no shoot block cuts the line from (x0, y0) to (tx, ty); critters
// never block, the target's own cell does not, the asker's own cell does.
bool HasLineOfFire(const TGrid& grid, int32_t x0, int32_t y0, int32_t tx, int32_t ty);
// The same between the tiles of two critters of the list; false when either
// index names no critter.
bool HasLineOfFire(const TWorld& world, int32_t from, int32_t to);
