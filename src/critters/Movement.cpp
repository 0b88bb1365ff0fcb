// Walking: the path search, the start of each step and the step animation.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <tuple>

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

// Breadth-first from the destination over a grid with a blocked border, so
// neighbours need no bounds test. The waves of the literal search are the
// BFS layers; the search may stop at the first layer-v cell that touches the
// walker, because the cells of layers up to v are all numbered by then and
// layer v + 1 cells never win the trace-back's minimum.
constexpr int PadRows = MapRows + 2;
constexpr int PadCells = (MapCols + 2) * PadRows;
constexpr uint16_t Unnumbered = 0xFFFE;  // free, not reached
constexpr uint16_t Closed = 0xFFFF;      // blocked, border or walker
// West, east, north, south, north-west, south-east, south-west, north-east.
constexpr std::array<int, 8> Neighbours = {-PadRows,     PadRows,     -1,           1,
                                           -PadRows - 1, PadRows + 1, -PadRows + 1, PadRows - 1};

int PadIndex(int32_t x, int32_t y) {
    return (x + 1) * PadRows + y + 1;
}

TTilePath WaveSearch(const TGrid& grid, int32_t sx, int32_t sy, int32_t dx, int32_t dy) {
    std::array<uint16_t, PadCells> dist;
    std::array<uint16_t, PadCells> queue;
    std::fill(dist.begin(), dist.begin() + PadRows, Closed);
    std::fill(dist.end() - PadRows, dist.end(), Closed);
    const auto& cells = grid.Raw();
    for (int x = 0; x < MapCols; ++x) {
        uint16_t* column = &dist[size_t(x + 1) * PadRows];
        const TCell* source = &cells[size_t(x) * MapRows];
        column[0] = column[PadRows - 1] = Closed;
        for (int y = 0; y < MapRows; ++y) column[y + 1] = source[y].WalkBlock != 0 ? Closed : Unnumbered;
    }
    const int walker = PadIndex(sx, sy);
    const int dest = PadIndex(dx, dy);
    dist[size_t(walker)] = Closed;
    dist[size_t(dest)] = 0;

    size_t head = 0, tail = 0;
    queue[tail++] = uint16_t(dest);
    bool reached = false;
    while (head < tail && !reached) {
        const int c = queue[head++];
        const uint16_t v = dist[size_t(c)];
        if (v >= MaxPathSteps) break;
        for (int offset : Neighbours) {
            const int n = c + offset;
            if (n == walker) {
                reached = true;
            } else if (dist[size_t(n)] == Unnumbered) {
                dist[size_t(n)] = uint16_t(v + 1);
                queue[tail++] = uint16_t(n);
            }
        }
    }
    TTilePath path;
    if (!reached) return path;
    for (int c = walker; c != dest;) {
        int best = c + Neighbours[0];
        for (int offset : Neighbours)
            if (dist[size_t(c + offset)] < dist[size_t(best)]) best = c + offset;
        c = best;
        path.emplace_back(c / PadRows - 1, c % PadRows - 1);
    }
    return path;
}
}  // namespace

TTilePath SearchPath(const TGrid& grid, int32_t startX, int32_t startY, int32_t destX, int32_t destY) {
    // A walker on its destination is overwritten by it and never found.
    if (!TGrid::Inside(startX, startY) || !TGrid::Inside(destX, destY) || (startX == destX && startY == destY))
        return {};
    if (OpenRectangle(grid, startX, startY, destX, destY)) return StraightThenDiagonal(startX, startY, destX, destY);
    return WaveSearch(grid, startX, startY, destX, destY);
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
    if ((Direction == 4 || Direction == 5 || Direction == 6) && !Released && Game.World.DrawList) {
        // Sorted into the row it enters, it is drawn over what stands there for the whole step.
        const int32_t row = Y;
        Y = Wrap32(int64_t(Y) + 1);
        Game.World.DrawList->Rebuild();
        Y = row;
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
