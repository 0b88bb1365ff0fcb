// Walking: the path search, the start of each step and the step animation.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "base/SafeMath.h"
#include "critters/Critter.h"
#include "critters/PathSearch.h"
#include "media/ImageList.h"
#include "media/Sound.h"
#include "world/GameConfig.h"
#include "world/World.h"

namespace {
// Pixels a figure moves per animation tick; seven ticks make a tile.
constexpr double StepPixelsX = 2.857;
constexpr double StepPixelsY = 1.42;
constexpr int LastStepTick = 6;

// When nothing but the two ends blocks the rectangle between walker and
// destination, every cell in it lies at its Chebyshev distance from the
// destination, and the trace-back's preferences make the path go straight
// along the longer axis until both distances are equal, then diagonally. Far
// cheaper than a search over open ground, which is where most walks go.
bool OpenRectangle(const TGrid& grid, int32_t sx, int32_t sy, int32_t dx, int32_t dy) {
    const auto& cells = grid.Raw();
    for (int32_t x = std::min(sx, dx); x <= std::max(sx, dx); ++x) {
        const TCell* column = &cells[size_t(x) * MapRows];
        for (int32_t y = std::min(sy, dy); y <= std::max(sy, dy); ++y)
            if (column[y].WalkBlock != 0 && !(x == sx && y == sy) && !(x == dx && y == dy)) return false;
    }
    return true;
}

TTilePath StraightThenDiagonal(int32_t x, int32_t y, int32_t dx, int32_t dy) {
    TTilePath path;
    path.reserve(size_t(std::max(std::abs(dx - x), std::abs(dy - y))));
    while (x != dx || y != dy) {
        const int32_t ax = std::abs(dx - x), ay = std::abs(dy - y);
        if (ax >= ay) x += dx > x ? 1 : -1;
        if (ay >= ax) y += dy > y ? 1 : -1;
        path.emplace_back(x, y);
    }
    return path;
}

// Breadth-first from the destination. The waves of the literal search are
// the BFS layers; the search may stop at the first layer-v cell that touches
// the walker, because the cells of layers up to v are all numbered by then
// and layer v + 1 cells never win the trace-back's minimum.
//
// A search touches only the cells it numbers: a cell's number counts only
// when its stamp is this search's, so nothing is cleared between searches,
// and a short walk costs the few cells round it rather than the whole grid.
constexpr int GridCells = MapCols * MapRows;
// West, east, north, south, north-west, south-east, south-west, north-east,
// as offsets of a cell number (X * MapRows + Y).
constexpr std::array<int, 8> Neighbours = {-MapRows,     MapRows,     -1,           1,
                                           -MapRows - 1, MapRows + 1, -MapRows + 1, MapRows - 1};
constexpr std::array<std::pair<int, int>, 8> NeighbourSteps = {
    {{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {-1, -1}, {1, 1}, {-1, 1}, {1, -1}}};

// For each cell, which of its eight neighbours lie on the grid (bit k for Neighbours[k]).
const std::array<uint8_t, GridCells>& NeighbourMasks() {
    static const std::array<uint8_t, GridCells> masks = [] {
        std::array<uint8_t, GridCells> m{};
        for (int x = 0; x < MapCols; ++x)
            for (int y = 0; y < MapRows; ++y) {
                uint8_t bits = 0;
                for (int k = 0; k < 8; ++k)
                    if (TGrid::Inside(x + NeighbourSteps[size_t(k)].first, y + NeighbourSteps[size_t(k)].second))
                        bits = uint8_t(bits | 1u << k);
                m[size_t(x) * MapRows + size_t(y)] = bits;
            }
        return m;
    }();
    return masks;
}

struct TWaveScratch {
    std::array<uint32_t, GridCells> Stamp{};  // numbered (Dist holds its distance) in this search
    std::array<uint32_t, GridCells> Done{};   // its distance is final
    std::array<uint16_t, GridCells> Dist;
    std::array<uint16_t, GridCells> Queue;
    std::array<std::vector<uint16_t>, MaxPathSteps + 1> Buckets;
    uint32_t Current = 0;

    uint32_t NextSearch() {
        if (++Current == 0) {
            Stamp.fill(0);
            Done.fill(0);
            Current = 1;
        }
        return Current;
    }
};

// Whether the walker stands in a pocket of fewer than `limit` free cells
// that does not touch the destination: no path leads out then, and the
// search from the destination need not flood the rest of the grid to find so.
bool ShutIn(const TGrid& grid, TWaveScratch& scratch, int walker, int dest, size_t limit) {
    const auto& cells = grid.Raw();
    const auto& masks = NeighbourMasks();
    const uint32_t stamp = scratch.NextSearch();
    size_t head = 0, tail = 0;
    scratch.Stamp[size_t(walker)] = stamp;
    scratch.Queue[tail++] = uint16_t(walker);
    while (head < tail) {
        const int c = scratch.Queue[head++];
        const uint8_t mask = masks[size_t(c)];
        for (int k = 0; k < 8; ++k) {
            if (!(mask & 1u << k)) continue;
            const int n = c + Neighbours[size_t(k)];
            if (n == dest) return false;
            if (scratch.Stamp[size_t(n)] == stamp || cells[size_t(n)].WalkBlock != 0) continue;
            if (tail == limit) return false;
            scratch.Stamp[size_t(n)] = stamp;
            scratch.Queue[tail++] = uint16_t(n);
        }
    }
    return true;
}

// The literal trace-back from a walker `steps` away: at each cell the first
// neighbour, in the order of preference, one step nearer the destination.
// Only cells marked `stamp` in `known` have their final distance in Dist;
// every cell on a shortest path is among them.
TTilePath TraceBack(const TWaveScratch& scratch, const std::array<uint32_t, GridCells>& known, uint32_t stamp,
                    int walker, int dest, uint16_t steps) {
    const auto& masks = NeighbourMasks();
    TTilePath path;
    path.reserve(steps);
    for (int c = walker; c != dest;) {
        --steps;
        const uint8_t mask = masks[size_t(c)];
        int next = -1;
        for (int k = 0; k < 8 && next < 0; ++k) {
            const int n = c + Neighbours[size_t(k)];
            if ((mask & 1u << k) && known[size_t(n)] == stamp && scratch.Dist[size_t(n)] == steps) next = n;
        }
        c = next;
        path.emplace_back(c / MapRows, c % MapRows);
    }
    return path;
}

// Breadth-first from the destination, stopping at the first layer that
// touches the walker.
TTilePath WaveSearch(const TGrid& grid, TWaveScratch& scratch, int walker, int dest) {
    const auto& cells = grid.Raw();
    const auto& masks = NeighbourMasks();
    const uint32_t stamp = scratch.NextSearch();
    auto& seen = scratch.Stamp;
    auto& dist = scratch.Dist;
    auto& queue = scratch.Queue;
    seen[size_t(dest)] = stamp;
    dist[size_t(dest)] = 0;
    size_t head = 0, tail = 0;
    queue[tail++] = uint16_t(dest);
    int steps = 0;
    while (head < tail && steps == 0) {
        const int c = queue[head++];
        const uint16_t v = dist[size_t(c)];
        if (v >= MaxPathSteps) break;
        const uint8_t mask = masks[size_t(c)];
        for (int k = 0; k < 8; ++k) {
            if (!(mask & 1u << k)) continue;
            const int n = c + Neighbours[size_t(k)];
            if (n == walker) {
                steps = v + 1;
            } else if (seen[size_t(n)] != stamp && cells[size_t(n)].WalkBlock == 0) {
                seen[size_t(n)] = stamp;
                dist[size_t(n)] = uint16_t(v + 1);
                queue[tail++] = uint16_t(n);
            }
        }
    }
    if (steps == 0) return {};
    return TraceBack(scratch, seen, stamp, walker, dest, uint16_t(steps));
}

// The same distances found best-first toward the walker (A*, the estimate
// being the king's-move distance to it, which never overestimates), so a
// short walk looks mostly at the cells between its ends. Every cell whose
// estimated total is at most the path's length gets its final distance:
// those include every cell on a shortest path, and the trace-back needs no
// other. False when it has settled `budget` cells without an answer: the
// walls are such that the breadth-first search is cheaper.
bool GuidedSearch(const TGrid& grid, TWaveScratch& scratch, int walker, int dest, size_t budget, TTilePath& path) {
    const auto& cells = grid.Raw();
    const auto& masks = NeighbourMasks();
    const int wx = walker / MapRows, wy = walker % MapRows;
    auto estimate = [&](int c) { return std::max(std::abs(c / MapRows - wx), std::abs(c % MapRows - wy)); };
    const uint32_t stamp = scratch.NextSearch();
    auto& seen = scratch.Stamp;
    auto& done = scratch.Done;
    auto& dist = scratch.Dist;
    auto& buckets = scratch.Buckets;
    const int first = estimate(dest);
    if (first > MaxPathSteps) return true;  // farther than any walk: no path
    seen[size_t(dest)] = stamp;
    dist[size_t(dest)] = 0;
    buckets[size_t(first)].push_back(uint16_t(dest));
    int steps = 0;
    int last = first;  // highest bucket used
    size_t settled = 0;
    bool overBudget = false;
    for (int f = first; f <= (steps ? steps : MaxPathSteps) && f <= last && !overBudget; ++f) {
        auto& bucket = buckets[size_t(f)];
        while (!bucket.empty()) {
            const int c = bucket.back();
            bucket.pop_back();
            if (done[size_t(c)] == stamp || dist[size_t(c)] + estimate(c) != f) continue;  // an outdated entry
            done[size_t(c)] = stamp;
            if (++settled > budget) {
                overBudget = true;
                break;
            }
            const int g = dist[size_t(c)] + 1;
            const uint8_t mask = masks[size_t(c)];
            for (int k = 0; k < 8; ++k) {
                if (!(mask & 1u << k)) continue;
                const int n = c + Neighbours[size_t(k)];
                if (n == walker) {
                    if (steps == 0) steps = g;
                    continue;
                }
                if (cells[size_t(n)].WalkBlock != 0 || done[size_t(n)] == stamp) continue;
                if (seen[size_t(n)] == stamp && dist[size_t(n)] <= g) continue;
                seen[size_t(n)] = stamp;
                dist[size_t(n)] = uint16_t(g);
                const int total = g + estimate(n);
                if (total > MaxPathSteps) continue;
                buckets[size_t(total)].push_back(uint16_t(n));
                last = std::max(last, total);
            }
        }
    }
    for (int f = first; f <= last; ++f) buckets[size_t(f)].clear();
    if (overBudget) return false;
    path = steps ? TraceBack(scratch, done, stamp, walker, dest, uint16_t(steps)) : TTilePath();
    return true;
}

TTilePath Search(const TGrid& grid, int32_t sx, int32_t sy, int32_t dx, int32_t dy) {
    thread_local TWaveScratch scratch;
    const int walker = sx * MapRows + sy;
    const int dest = dx * MapRows + dy;
    if (ShutIn(grid, scratch, walker, dest, 8)) return {};
    TTilePath path;
    if (GuidedSearch(grid, scratch, walker, dest, 192, path)) return path;
    return WaveSearch(grid, scratch, walker, dest);
}
}  // namespace

TTilePath SearchPath(const TGrid& grid, int32_t startX, int32_t startY, int32_t destX, int32_t destY) {
    // A walker on its destination is overwritten by it and never found.
    if (!TGrid::Inside(startX, startY) || !TGrid::Inside(destX, destY) || (startX == destX && startY == destY))
        return {};
    if (OpenRectangle(grid, startX, startY, destX, destY)) return StraightThenDiagonal(startX, startY, destX, destY);
    return Search(grid, startX, startY, destX, destY);
}

void tCritter::WalkTo(int32_t x, int32_t y) {
    DestX = x;
    DestY = y;
    if (Released || !TGrid::Inside(x, y) || Game.World.Grid.At(x, y).WalkBlock != 0) return;
    const bool walking = State == csWalking;
    // The search starts from the reserved tile and may lead back through the current one.
    if (walking) Cell(X, Y).WalkBlock = Cell(NextX, NextY).WalkBlock = 0;
    FindPath();
    if (walking) {
        // The step under way goes on; the new path takes over when it ends.
        Cell(X, Y).WalkBlock = Cell(NextX, NextY).WalkBlock = 1;
        return;
    }
    if (PathLength == 0) {
        DestX = X;
        DestY = Y;
        return;
    }
    SetAnimation(csWalking);
    CycleFrame = 0;
    TakeStep();
}

void tCritter::FindPath() {
    const bool walking = State == csWalking;
    Path = SearchPath(Game.World.Grid, walking ? NextX : X, walking ? NextY : Y, DestX, DestY);
    PathLength = int32_t(Path.size());
}

void tCritter::TakeStep() {
    StepTicks = 0;
    if (Path.empty()) return;
    NextX = Path.front().first;
    NextY = Path.front().second;
    Path.erase(Path.begin());
    PathLength = int32_t(Path.size());
    // Wide: a script may have put the walker anywhere while its path leads over the grid.
    SetDirection(DirectionFromDelta(int((NextX > X) - (NextX < X)), int((NextY > Y) - (NextY < Y))));
    std::tie(StepDX, StepDY) = DeltaFromDirection(Direction);
    // The reservation: no other search leads through the tile being entered.
    Cell(NextX, NextY).WalkBlock = 1;
    State = csWalking;
    DrawKeyChanged();
    if ((Direction == 4 || Direction == 5 || Direction == 6) && !Released && Game.World.DrawList) {
        // Sorted into the row it enters, it is drawn over what stands there for the whole step.
        const int32_t row = Y;
        Y = Wrap32(int64_t(Y) + 1);
        DrawKeyChanged();
        Game.World.DrawList->RebuildForCritters();
        Y = row;
        DrawKeyChanged();
    }
}

void tCritter::UpdateWalking(uint32_t now) {
    PixelX += StepDX * StepPixelsX;
    PixelY += StepDY * StepPixelsY;
    if (StepTicks < LastStepTick) {
        ++StepTicks;
        return;
    }
    SetPosition(Wrap32(int64_t(X) + StepDX), Wrap32(int64_t(Y) + StepDY));
    if (PathLength > 0) {
        TakeStep();
        // The walk cycle keeps its phase across the turn.
        CurrentFrame = FirstFrame + CycleFrame;
        return;
    }
    AiMode = aiThink;
    AiTime = now + 300;
    Stop();
    // Stop gave back the reserved tile, which is now the one it stands on.
    Cell(X, Y).WalkBlock = 1;
}
