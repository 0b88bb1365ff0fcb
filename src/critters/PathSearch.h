#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "world/World.h"

using TTilePath = std::vector<std::pair<int32_t, int32_t>>;

// Longest walk the wave search looks for.
constexpr int MaxPathSteps = 255;

// The path a walker on (startX, startY) takes to (destX, destY) over the walk
// blocks: the tiles to enter in order, the destination last; empty when there
// is none within MaxPathSteps. It is the path of the wave search that numbers
// cells by their distance from the destination, and traces back from the
// walker to the smallest neighbour, preferring west, east, north, south,
// north-west, south-east, south-west, north-east at equal distance. The
// destination counts as free whatever its block; the start never does.
TTilePath SearchPath(const TGrid& grid, int32_t startX, int32_t startY, int32_t destX, int32_t destY);

// Whether the search uses the processor's wider vector registers where it has
// them (the default); false turns them off, for comparing the two. Gives
// whether they are in use.
bool SetPathSearchWideVectors(bool enable);
