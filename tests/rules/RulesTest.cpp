// Critter and combat rules on a bare grid: no data folder, no window, no main
// form; only the world and what its context hands it.
#include "support/BareWorld.h"

namespace {

TEST(Rules, HitsTakeHitPointsAndTheLastOneKills) {
    struct Case {
        int Index, HP, Damage;
        uint8_t State;
        int Deaths;
        const char* Wave;
    };
    for (const Case& k : {Case{1, 20, 5, csHit, 0, "hit"}, Case{1, 5, 5, csDying, 0, "Death"},
                          Case{0, 5, 9, csDying, 1, "DeathPlayer"}}) {
        TBareWorld w;
        w.AddCritter(10, 10, 30);
        if (k.Index == 1) w.AddCritter(12, 10);
        tCritter& c = *w.World.Critters[size_t(k.Index)];
        c.HP = k.HP;
        w.Waves.PlayLog.clear();
        c.Hit(k.Damage);
        EXPECT_EQ(c.HP, k.HP - k.Damage) << k.HP << " - " << k.Damage;
        EXPECT_EQ(c.State, k.State) << k.HP << " - " << k.Damage;
        EXPECT_EQ(w.Deaths, k.Deaths);
        EXPECT_EQ(w.Console.empty(), k.Deaths == 0);
        if (std::string(k.Wave) != "hit") {
            EXPECT_EQ(w.Waves.PlayLog, std::vector<std::string>{k.Wave});
        }
        EXPECT_TRUE(w.Errors.empty());
        // A dead critter takes no more hits.
        if (k.State == csDying) {
            ASSERT_TRUE(w.RunUntil([&] { return c.State == csDead; }));
            c.Hit(1);
            EXPECT_EQ(c.HP, k.HP - k.Damage);
        }
    }
}

TEST(Rules, AWalkGoesAroundAWallAndMovesTheOccupant) {
    TBareWorld w;
    w.AddCritter(5, 5);
    tCritter& c = w.AddCritter(10, 10);
    for (int y = 4; y <= 16; ++y) w.World.Grid.At(12, y).WalkBlock = 1;
    c.WalkTo(14, 10);
    ASSERT_TRUE(w.RunUntil([&] { return c.State == csIdle && c.X == 14 && c.Y == 10; }));
    EXPECT_EQ(w.World.Grid.At(14, 10).Occupant, 1);
    EXPECT_EQ(w.World.Grid.At(14, 10).WalkBlock, 1);
    EXPECT_EQ(w.World.Grid.At(10, 10).Occupant, -1);
    EXPECT_EQ(w.World.Grid.At(10, 10).WalkBlock, 0);
    for (int y = 4; y <= 16; ++y) EXPECT_EQ(w.World.Grid.At(12, y).Occupant, -1);
}

TEST(Rules, AnAimedBurstHitsTheCritterOnTheTileUnlessAWallStopsIt) {
    for (bool wall : {false, true}) {
        TBareWorld w;
        tCritter& shooter = w.AddCritter(10, 10);
        tCritter& target = w.AddCritter(14, 10, 500);
        shooter.DmgMin = 3;
        shooter.DmgMax = 1;
        if (wall) w.World.Grid.At(12, 10).ShootBlock = 1;
        shooter.Fire(target.X, target.Y);
        ASSERT_TRUE(w.RunUntil([&] { return shooter.Ammo <= 90; })) << wall;
        EXPECT_EQ(target.HP < 500, !wall) << target.HP;
        if (!wall) {
            EXPECT_EQ((500 - target.HP) % 3, 0) << "damage is DmgMin when DmgMax is 1";
        }
    }
}

TEST(Rules, OutOfAmmoIsToldOnceAndStopsTheBurst) {
    for (int index : {0, 1}) {
        TBareWorld w;
        w.AddCritter(5, 5);
        if (index == 1) w.AddCritter(10, 10);
        tCritter& c = *w.World.Critters[size_t(index)];
        c.Ammo = 0;
        c.Fire(20, 10);
        c.Fire(20, 10);
        EXPECT_EQ(w.Console, std::vector<std::string>{index == 0 ? "У вас закончились патроны!"
                                                                 : "У рейдера закончились патроны!"});
        EXPECT_NE(c.State, csFiring);
    }
}

TEST(Rules, RenumberingAfterARemovalFollowsVictimsOccupantsAndScripts) {
    TBareWorld w;
    w.AddCritter(1, 1);
    w.AddCritter(2, 2);
    tCritter& last = w.AddCritter(3, 3);
    w.World.Critters[0]->Victim = 2;
    last.Victim = 1;
    w.World.Critters[1]->ReleaseTile();
    w.World.Critters[1]->Release();
    w.World.Critters.erase(w.World.Critters.begin() + 1);
    RenumberCritters(w.Context, [](int k) { return k < 1 ? k : k == 1 ? -1 : k - 1; });

    EXPECT_EQ(last.Index, 1);
    EXPECT_EQ(last.Script->OwnerIndex, 1);
    EXPECT_EQ(w.World.Critters[0]->Victim, 1);
    EXPECT_EQ(last.Victim, -1);
    EXPECT_EQ(w.World.Grid.At(3, 3).Occupant, 1);
    EXPECT_EQ(w.Renumbered, (std::vector<std::vector<int>>{{KindCritter, 0, -1, 1}}));
}

}  // namespace
