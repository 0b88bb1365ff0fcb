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
}  // namespace

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
    PlaceChanged();
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
