// The path search against the literal wave search, and walking tile by tile.
#include <deque>
#include <random>

#include "combat/PathOracle.h"
#include "critters/PathSearch.h"
#include "support/BareWorld.h"

namespace {
using TSteps = TTilePath;

void Block(TGrid& grid, int x, int y) {
    grid.At(x, y).WalkBlock = 1;
}

// Plain BFS distances from (x, y) without the step limit, for building
// cases at an exact distance.
std::vector<int> Distances(const TGrid& grid, int x, int y) {
    std::vector<int> dist(size_t(MapCols) * MapRows, -1);
    std::deque<std::pair<int, int>> queue{{x, y}};
    dist[size_t(x) * MapRows + y] = 0;
    while (!queue.empty()) {
        auto [cx, cy] = queue.front();
        queue.pop_front();
        for (int nx = cx - 1; nx <= cx + 1; ++nx)
            for (int ny = cy - 1; ny <= cy + 1; ++ny) {
                if (!TGrid::Inside(nx, ny) || grid.At(nx, ny).WalkBlock != 0) continue;
                int& d = dist[size_t(nx) * MapRows + ny];
                if (d < 0) {
                    d = dist[size_t(cx) * MapRows + cy] + 1;
                    queue.emplace_back(nx, ny);
                }
            }
    }
    return dist;
}

// Walls across the grid every other column, open at alternate ends: a
// corridor far longer than any walk.
TGrid Serpentine() {
    TGrid grid;
    for (int x = 1; x < MapCols; x += 2)
        for (int y = 0; y < MapRows; ++y)
            if (y != ((x / 2) % 2 == 0 ? MapRows - 1 : 0)) Block(grid, x, y);
    return grid;
}

// Puts the wide vector loop back however a test ends.
struct TWideVectorsBack {
    ~TWideVectorsBack() { SetPathSearchWideVectors(true); }
};

TEST(PathSearch, EqualsTheWaveSearchOnRandomGrids) {
    const TWideVectorsBack back;
    std::mt19937 rng(20240611);
    int compared = 0, found = 0;
    for (int density : {0, 3, 10, 25, 40, 55}) {
        for (int round = 0; round < 40; ++round) {
            TGrid grid;
            for (auto& cell : grid.Raw()) cell.WalkBlock = int(rng() % 100) < density ? 1 : 0;
            for (int pair = 0; pair < 5; ++pair) {
                // Mostly near pairs, as walks are; some across the whole grid.
                const int sx = int(rng() % MapCols), sy = int(rng() % MapRows);
                const int reach = pair < 3 ? 12 : 200;
                const int dx = std::clamp(sx + int(rng() % (2 * reach + 1)) - reach, 0, MapCols - 1);
                const int dy = std::clamp(sy + int(rng() % (2 * reach + 1)) - reach, 0, MapRows - 1);
                // The walker stands on its tile; the destination may be blocked
                // when the search is called directly.
                if (pair % 2 == 0) Block(grid, sx, sy);
                const TSteps expected = OraclePath(grid, sx, sy, dx, dy);
                // With the wider vector registers (where the processor has them) and without.
                for (bool wide : {true, false}) {
                    SetPathSearchWideVectors(wide);
                    ASSERT_EQ(SearchPath(grid, sx, sy, dx, dy), expected)
                        << "density " << density << " from (" << sx << ", " << sy << ") to (" << dx << ", " << dy
                        << ")" << (wide ? "" : " narrow");
                }
                ++compared;
                found += !expected.empty();
            }
        }
    }
    // Both outcomes must have been met in numbers for the comparison to mean anything.
    EXPECT_GT(found, compared / 3);
    EXPECT_GT(compared - found, 20);
}

TEST(PathSearch, EqualsTheWaveSearchAroundWallsAndEnclosures) {
    std::mt19937 rng(7);
    for (int round = 0; round < 60; ++round) {
        TGrid grid;
        // A few long walls with gaps make detours where the tie-breaking matters.
        for (int w = 0; w < 6; ++w) {
            const bool vertical = rng() % 2;
            const int at = int(rng() % (vertical ? MapCols : MapRows));
            const int gap = int(rng() % (vertical ? MapRows : MapCols));
            for (int i = 0; i < (vertical ? MapRows : MapCols); ++i)
                if (std::abs(i - gap) > 1) vertical ? Block(grid, at, i) : Block(grid, i, at);
        }
        // Now and then one end is boxed in.
        const int sx = int(rng() % 70) + 5, sy = int(rng() % 110) + 5;
        const int dx = int(rng() % 70) + 5, dy = int(rng() % 110) + 5;
        if (round % 5 == 1 || round % 5 == 2) {
            const int bx = round % 5 == 1 ? dx : sx, by = round % 5 == 1 ? dy : sy;
            for (int x = bx - 2; x <= bx + 2; ++x)
                for (int y = by - 2; y <= by + 2; ++y)
                    if (std::abs(x - bx) == 2 || std::abs(y - by) == 2) Block(grid, x, y);
        }
        EXPECT_EQ(SearchPath(grid, sx, sy, dx, dy), OraclePath(grid, sx, sy, dx, dy)) << "round " << round;
    }
}

// The search works on the grid's columns as bits, 64 rows to a word, and
// bounds short walks' waves to the cells between the ends, widening the bound
// when a detour is longer: ends on the grid's edges and on either side of row
// 64, and detours just longer than each bound, must give the wave search's paths.
// Long walks read the grid a word of rows (32 cells a load) and a few columns
// at a time, up to the grid's edges; short ones read the box their bound
// allows, whose sides fall between cells when the ends' sum is odd.
TEST(PathSearch, EqualsTheWaveSearchAtEdgesWordsAndDetours) {
    const TWideVectorsBack back;
    struct TEnds {
        int Sx, Sy, Dx, Dy;
    };
    const TEnds ends[] = {
        {5, 63, 5, 64},  {5, 64, 5, 63},   {10, 60, 14, 68}, {10, 70, 13, 57}, {0, 0, 3, 2},
        {79, 119, 76, 117}, {0, 119, 2, 110}, {79, 0, 70, 5},   {40, 62, 40, 66}, {3, 119, 3, 0},
        {1, 30, 78, 97},   {78, 95, 1, 33},  {2, 117, 77, 2},  {20, 20, 27, 31}, {30, 40, 30, 64},
        {30, 40, 55, 41},  {77, 60, 79, 119},
    };
    std::mt19937 rng(99);
    int found = 0;
    for (const TEnds& e : ends) {
        for (int round = 0; round < 24; ++round) {
            TGrid grid;
            const int density = int(rng() % 45);
            for (auto& cell : grid.Raw()) cell.WalkBlock = int(rng() % 100) < density ? 1 : 0;
            // Half the rounds put a wall across the way, of a length that makes
            // the detour a few steps longer than the straight walk.
            if (round % 2 == 1) {
                const int len = 2 + round / 2, mx = (e.Sx + e.Dx) / 2, my = (e.Sy + e.Dy) / 2;
                for (int i = -len; i <= len; ++i)
                    (std::abs(e.Dx - e.Sx) >= std::abs(e.Dy - e.Sy)) ? Block(grid, mx, my + i) : Block(grid, mx + i, my);
            }
            grid.At(e.Dx, e.Dy).WalkBlock = 0;
            Block(grid, e.Sx, e.Sy);
            const TSteps expected = OraclePath(grid, e.Sx, e.Sy, e.Dx, e.Dy);
            for (bool wide : {true, false}) {
                SetPathSearchWideVectors(wide);
                ASSERT_EQ(SearchPath(grid, e.Sx, e.Sy, e.Dx, e.Dy), expected)
                    << "round " << round << " from (" << e.Sx << ", " << e.Sy << ") to (" << e.Dx << ", " << e.Dy
                    << ")" << (wide ? "" : " narrow");
            }
            found += !expected.empty();
        }
    }
    EXPECT_GT(found, 100);
}

TEST(PathSearch, PrefersStraightStepsThenDiagonals) {
    TGrid grid;
    EXPECT_EQ(SearchPath(grid, 10, 10, 12, 10), (TSteps{{11, 10}, {12, 10}}));
    EXPECT_EQ(SearchPath(grid, 10, 10, 12, 12), (TSteps{{11, 11}, {12, 12}}));
    EXPECT_EQ(SearchPath(grid, 10, 10, 14, 12), (TSteps{{11, 10}, {12, 10}, {13, 11}, {14, 12}}));
    // A block in the way: of the two equal detours, south-east comes before north-east.
    Block(grid, 11, 10);
    EXPECT_EQ(SearchPath(grid, 10, 10, 12, 10), OraclePath(grid, 10, 10, 12, 10));
    EXPECT_EQ(SearchPath(grid, 10, 10, 12, 10), (TSteps{{11, 11}, {12, 10}}));
}

TEST(PathSearch, NoPathAtOrBeyond256Steps) {
    const TGrid grid = Serpentine();
    const auto dist = Distances(grid, 0, 0);
    int x255 = -1, y255 = -1, x256 = -1, y256 = -1;
    for (int x = 0; x < MapCols; ++x)
        for (int y = 0; y < MapRows; ++y) {
            if (dist[size_t(x) * MapRows + y] == 255) x255 = x, y255 = y;
            if (dist[size_t(x) * MapRows + y] == 256) x256 = x, y256 = y;
        }
    ASSERT_GE(x255, 0);
    ASSERT_GE(x256, 0);
    const TSteps longest = SearchPath(grid, 0, 0, x255, y255);
    EXPECT_EQ(longest.size(), 255u);
    EXPECT_EQ(longest, OraclePath(grid, 0, 0, x255, y255));
    EXPECT_TRUE(SearchPath(grid, 0, 0, x256, y256).empty());
    EXPECT_TRUE(OraclePath(grid, 0, 0, x256, y256).empty());
}

TEST(PathSearch, DegenerateEndsGiveNoPath) {
    TGrid grid;
    EXPECT_TRUE(SearchPath(grid, 5, 5, 5, 5).empty());
    EXPECT_TRUE(SearchPath(grid, 5, 5, 80, 5).empty());
    EXPECT_TRUE(SearchPath(grid, -1, 5, 3, 5).empty());
    // An enclosed destination.
    for (int x = 39; x <= 41; ++x)
        for (int y = 59; y <= 61; ++y)
            if (x != 40 || y != 60) Block(grid, x, y);
    EXPECT_TRUE(SearchPath(grid, 0, 0, 40, 60).empty());
}

// The walkers are critters other than the player, who stands aside on (30, 50).
class WalkTest : public ::testing::Test, public TBareWorld {
protected:
    WalkTest() { AddCritter(30, 50); }
    // Ticks until the critter stands idle again, at most `limit` ticks.
    int WalkOut(tCritter& c, int limit = 200) {
        int ticks = 0;
        while (c.State == csWalking && ticks < limit) {
            Tick(c);
            ++ticks;
        }
        return ticks;
    }
};

TEST_F(WalkTest, RefusedDestinationsMoveNothing) {
    tCritter& c = AddCritter(10, 10);
    AddCritter(12, 12);
    Block(Grid(), 11, 10);
    for (auto [x, y] : std::vector<std::pair<int, int>>{{11, 10}, {10, 10}, {12, 12}, {-1, 3}, {80, 3}, {5, 120}}) {
        c.WalkTo(x, y);
        EXPECT_EQ(c.State, csIdle);
        EXPECT_EQ(c.PathLength, 0);
        EXPECT_EQ(c.DestX, x);  // the order is remembered all the same
        EXPECT_EQ(c.DestY, y);
        EXPECT_EQ(c.X, 10);
        EXPECT_EQ(c.Y, 10);
    }
    // No path at all: an idle critter's destination falls back to its tile.
    for (int x = 49; x <= 51; ++x)
        for (int y = 59; y <= 61; ++y)
            if (x != 50 || y != 60) Block(Grid(), x, y);
    c.WalkTo(50, 60);
    EXPECT_EQ(c.State, csIdle);
    EXPECT_EQ(c.DestX, 10);
    EXPECT_EQ(c.DestY, 10);
}

TEST_F(WalkTest, StepsReserveTheNextTileAndArrive) {
    tCritter& c = AddCritter(10, 10);
    c.WalkTo(12, 10);
    ASSERT_EQ(c.State, csWalking);
    EXPECT_EQ(std::make_pair(c.NextX, c.NextY), std::make_pair(11, 10));
    EXPECT_EQ(c.Path, (TSteps{{12, 10}}));
    EXPECT_EQ(Grid().At(11, 10).WalkBlock, 1);
    EXPECT_EQ(Grid().At(11, 10).Occupant, -1);  // reserved, not occupied
    EXPECT_EQ(c.Direction, 3);

    const double startX = c.PixelX;
    for (int t = 1; t <= 6; ++t) {
        Tick(c);
        EXPECT_EQ(c.StepTicks, t);
    }
    EXPECT_NEAR(c.PixelX - startX, 6 * 2.857, 1e-9);
    Tick(c);  // the seventh tick ends the step and starts the next
    EXPECT_EQ(c.X, 11);
    EXPECT_EQ(c.StepTicks, 0);
    EXPECT_EQ(std::make_pair(c.NextX, c.NextY), std::make_pair(12, 10));
    EXPECT_EQ(Grid().At(10, 10).WalkBlock, 0);
    EXPECT_EQ(Grid().At(10, 10).Occupant, -1);

    WalkOut(c);
    EXPECT_EQ(c.State, csIdle);
    EXPECT_EQ(c.X, 12);
    EXPECT_EQ(Grid().At(12, 10).WalkBlock, 1);
    EXPECT_EQ(Grid().At(12, 10).Occupant, c.Index);
    EXPECT_EQ(Grid().At(11, 10).WalkBlock, 0);
    EXPECT_EQ(Grid().At(11, 10).Occupant, -1);
    EXPECT_EQ(c.PixelX, 12 * 20 - c.OffX);
    EXPECT_EQ(c.AiMode, aiThink);
    EXPECT_EQ(c.AiTime, Now() + 300);
}

TEST_F(WalkTest, NewDestinationFinishesTheTileBeingEntered) {
    tCritter& c = AddCritter(10, 10);
    c.WalkTo(15, 10);
    Tick(c);
    Tick(c);
    Tick(c);
    // Back the way it came: the new path starts from the tile being entered
    // and leads through the one it stands on.
    c.WalkTo(9, 10);
    EXPECT_EQ(c.State, csWalking);
    EXPECT_EQ(std::make_pair(c.NextX, c.NextY), std::make_pair(11, 10));
    EXPECT_EQ(c.Path, (TSteps{{10, 10}, {9, 10}}));
    EXPECT_EQ(c.StepTicks, 3);
    EXPECT_EQ(Grid().At(10, 10).WalkBlock, 1);
    EXPECT_EQ(Grid().At(11, 10).WalkBlock, 1);
    while (c.X == 10) Tick(c);
    EXPECT_EQ(c.X, 11);
    EXPECT_EQ(std::make_pair(c.NextX, c.NextY), std::make_pair(10, 10));
    EXPECT_EQ(c.Direction, 7);
    WalkOut(c);
    EXPECT_EQ(std::make_pair(c.X, c.Y), std::make_pair(9, 10));
    for (int x = 10; x <= 12; ++x) EXPECT_EQ(Grid().At(x, 10).WalkBlock, 0) << x;

    // A refused new order leaves the walk as it was.
    c.WalkTo(20, 10);
    Tick(c);
    Block(Grid(), 5, 5);
    c.WalkTo(5, 5);
    EXPECT_EQ(c.Path.back(), std::make_pair(20, 10));
    WalkOut(c);
    EXPECT_EQ(c.X, 20);
}

TEST_F(WalkTest, WalkingCritterSearchesFromItsNextTile) {
    std::mt19937 rng(3);
    for (auto& cell : Grid().Raw()) cell.WalkBlock = rng() % 5 == 0;
    for (int x = 39; x <= 42; ++x) Grid().At(x, 60).WalkBlock = 0;
    tCritter& c = AddCritter(40, 60);
    c.WalkTo(42, 60);
    ASSERT_EQ(std::make_pair(c.NextX, c.NextY), std::make_pair(41, 60));
    for (int round = 0; round < 40; ++round) {
        const int dx = 40 + int(rng() % 31) - 15, dy = 60 + int(rng() % 31) - 15;
        if (Grid().At(dx, dy).WalkBlock != 0) continue;
        TGrid freed = Grid();
        freed.At(40, 60).WalkBlock = freed.At(41, 60).WalkBlock = 0;
        c.WalkTo(dx, dy);
        EXPECT_EQ(c.Path, OraclePath(freed, 41, 60, dx, dy)) << dx << "," << dy;
        EXPECT_EQ(Grid().At(40, 60).WalkBlock, 1);
        EXPECT_EQ(Grid().At(41, 60).WalkBlock, 1);
    }
}

TEST_F(WalkTest, SouthwardStepIsSortedIntoTheRowItEnters) {
    tCritter& c = AddCritter(10, 10);
    // On the critter's own row: at equal rows the critter would be drawn first.
    AddObject(12, 10);
    auto order = [&] {
        int critter = -1, object = -1;
        const auto& entries = World.DrawList->Entries();
        for (int i = 0; i < int(entries.size()); ++i) {
            if (entries[size_t(i)].Kind == KindCritter && entries[size_t(i)].Index == c.Index) critter = i;
            if (entries[size_t(i)].Kind == KindObject) object = i;
        }
        return critter > object;
    };
    EXPECT_FALSE(order());
    c.WalkTo(11, 12);  // first step south onto row 11
    EXPECT_EQ(c.Direction, 5);
    EXPECT_EQ(c.Y, 10);
    EXPECT_TRUE(order());
}

TEST_F(WalkTest, DeadCritterWalksWhenSent) {
    tCritter& c = AddCritter(10, 10);
    c.SetAnimation(csDying);
    c.State = csDead;
    c.WalkTo(10, 13);
    EXPECT_EQ(c.State, csWalking);
    WalkOut(c);
    EXPECT_EQ(c.Y, 13);
}
}  // namespace
