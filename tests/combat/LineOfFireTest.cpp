// Angles, shot lines and lines of fire over a bare grid.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "world/LineOfFire.h"

namespace {
constexpr double Pi = 3.14159265358979323846;

// How many draws the generator made since it was in the state of `before`.
int DrawsBetween(TRandom before, const TRandom& after) {
    for (int n = 0; n < 1000; ++n) {
        if (before.GetSeed() == after.GetSeed()) return n;
        before.Random(100);
    }
    return -1;
}

using TTile = std::pair<int32_t, int32_t>;

TEST(Angle, QuadrantsAndAxes) {
    EXPECT_FLOAT_EQ(Angle(0, 0), float(3 * Pi / 2));
    EXPECT_FLOAT_EQ(Angle(3, 0), float(2 * Pi));
    EXPECT_FLOAT_EQ(Angle(1, 0), float(2 * Pi));
    EXPECT_FLOAT_EQ(Angle(-2, -2), float(5 * Pi / 4));
    EXPECT_FLOAT_EQ(Angle(2, -2), float(7 * Pi / 4));
    EXPECT_FLOAT_EQ(Angle(0, 1), float(Pi / 2));
    EXPECT_FLOAT_EQ(Angle(-1, 0), float(Pi));
    EXPECT_FLOAT_EQ(Angle(2, 2), float(Pi / 4));
    EXPECT_FLOAT_EQ(Angle(-3, 1), float(Pi - std::atan(1.0 / 3)));
    EXPECT_EQ(Angle(0, 5), 1.5707964f);
}

TEST(TraceShot, BlocksAndClamping) {
    TGrid grid;
    TRandom random(1);
    EXPECT_EQ(TraceShot(grid, random, 10, 10, 20, 10), TTile(20, 10));
    EXPECT_EQ(TraceShot(grid, random, 10, 10, 90, -5), TTile(79, 0));
    EXPECT_EQ(TraceShot(grid, random, 10, 10, -3, 200), TTile(0, 119));

    grid.At(15, 10).ShootBlock = 1;
    EXPECT_EQ(TraceShot(grid, random, 10, 10, 20, 10), TTile(15, 10));
    EXPECT_EQ(TraceShot(grid, random, 20, 10, 10, 10), TTile(15, 10));
    // A block on the aimed tile leaves the end where it was aimed.
    EXPECT_EQ(TraceShot(grid, random, 10, 10, 15, 10), TTile(15, 10));
}

TEST(TraceShot, SteepShotStartsOneTileAhead) {
    TGrid grid;
    TRandom random(1);
    grid.At(10, 21).ShootBlock = 1;
    grid.At(10, 20).ShootBlock = 1;  // the shooter's own tile
    EXPECT_EQ(TraceShot(grid, random, 10, 20, 10, 10), TTile(10, 10));
    grid.At(10, 19).ShootBlock = 1;
    EXPECT_EQ(TraceShot(grid, random, 10, 20, 10, 10), TTile(10, 19));
    // A shallow shot looks at the shooter's own column first and ends on it.
    EXPECT_EQ(TraceShot(grid, random, 10, 20, 20, 20), TTile(10, 20));
    // A shot at the shooter's own tile has nothing to walk.
    EXPECT_EQ(TraceShot(grid, random, 10, 20, 10, 20), TTile(10, 20));
}

TEST(TraceShot, CritterInTheShootersRowOrColumnDrawsNothing) {
    TGrid grid;
    grid.At(15, 10).Occupant = 3;
    grid.At(10, 15).Occupant = 4;
    TRandom random(99);
    const TRandom before = random;
    EXPECT_EQ(TraceShot(grid, random, 10, 10, 20, 10), TTile(20, 10));
    EXPECT_EQ(TraceShot(grid, random, 10, 10, 10, 20), TTile(10, 20));
    EXPECT_EQ(random.GetSeed(), before.GetSeed());
}

TEST(TraceShot, CritterOffTheLineStopsItByChance) {
    TGrid grid;
    grid.At(15, 12).Occupant = 2;
    // Five sub-steps look at (15, 12); each draws once and stops the shot on 81 .. 99.
    int stopped = 0;
    const int trials = 4000;
    for (uint32_t seed = 1; seed <= trials; ++seed) {
        TRandom random(seed), replay(seed);
        int expectedDraws = 0;
        bool expectStop = false;
        while (expectedDraws < 5 && !expectStop) {
            ++expectedDraws;
            expectStop = replay.Random(100) > 80;
        }
        const TRandom before(seed);
        const TTile end = TraceShot(grid, random, 10, 10, 20, 14);
        ASSERT_EQ(end, expectStop ? TTile(15, 12) : TTile(20, 14)) << seed;
        ASSERT_EQ(DrawsBetween(before, random), expectedDraws) << seed;
        stopped += expectStop;
    }
    // 1 - 0.81^5 of the shots end there.
    EXPECT_NEAR(double(stopped) / trials, 1 - std::pow(0.81, 5), 0.03);
}

TEST(TraceShot, EndsInsideTheGridOnWhatStoppedIt) {
    std::mt19937 rng(5);
    TRandom random(17);
    for (int round = 0; round < 300; ++round) {
        TGrid grid;
        for (auto& cell : grid.Raw()) {
            cell.ShootBlock = rng() % 50 == 0;
            cell.Occupant = rng() % 40 == 0 ? 1 : -1;
        }
        for (int shot = 0; shot < 20; ++shot) {
            const int x0 = int(rng() % MapCols), y0 = int(rng() % MapRows);
            const int tx = int(rng() % 120) - 20, ty = int(rng() % 160) - 20;
            const TTile aim(std::clamp(tx, 0, MapCols - 1), std::clamp(ty, 0, MapRows - 1));
            const TTile end = TraceShot(grid, random, x0, y0, tx, ty);
            ASSERT_TRUE(TGrid::Inside(end.first, end.second));
            if (end != aim) {
                const TCell& cell = grid.At(end.first, end.second);
                ASSERT_TRUE(cell.ShootBlock != 0 || cell.Occupant >= 0) << x0 << "," << y0 << " -> " << tx << "," << ty;
            }
        }
    }
}

TEST(HasLineOfFire, OnlyShootBlocksCount) {
    TGrid grid;
    grid.At(15, 10).Occupant = 5;
    grid.At(15, 12).Occupant = 6;
    EXPECT_TRUE(HasLineOfFire(grid, 10, 10, 20, 10));
    EXPECT_TRUE(HasLineOfFire(grid, 10, 10, 20, 14));
    grid.At(20, 14).ShootBlock = 1;  // the target's own cell
    EXPECT_TRUE(HasLineOfFire(grid, 10, 10, 20, 14));
    grid.At(17, 13).ShootBlock = 1;
    EXPECT_FALSE(HasLineOfFire(grid, 10, 10, 20, 14));
    EXPECT_TRUE(HasLineOfFire(grid, 10, 10, 10, 30));
    grid.At(10, 10).ShootBlock = 1;  // the asker's own cell
    EXPECT_FALSE(HasLineOfFire(grid, 10, 10, 10, 30));
    EXPECT_FALSE(HasLineOfFire(grid, 10, 10, 20, 10));
}
}  // namespace
