// Critter and combat rules on a bare grid: no data folder, no window, no main
// form; only the world and what its context hands it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "critters/Critter.h"
#include "media/ImageList.h"
#include "media/Sound.h"
#include "script/Script.h"
#include "world/GameConfig.h"
#include "world/RecordCommands.h"
#include "world/World.h"

namespace {

// Four frames per direction for each set the rules use.
const char* const Sets =
    "[metal_idle]\nFrames=4\n[metal_walk]\nFrames=8\n[metal_fire]\nFrames=4\n[metal_death]\nFrames=6\n";

class TBareWorld : public IScriptHost, public IWorldEvents {
public:
    TBareWorld() : Files("/nonexistent-rustwake-data"), Waves(Sound), Scripts(Files, *this) {
        Config.Ini = TIniFile::ParseCp1251(Sets);
        for (const char* wave : {"player_fire", "hit", "Death", "DeathPlayer"}) Waves.Add(wave, nullptr);
    }

    tCritter& Add(int x, int y, int hp = 20, int accuracy = 100) {
        auto c = std::make_shared<tCritter>(Context, World.CritterCount());
        World.AppendCritter(c);
        c->SetAnimation(csIdle);
        c->Placed = true;
        c->SetPosition(x, y);
        c->HP = hp;
        c->Ammo = 50;
        c->DmgMin = 3;
        c->DmgMax = 1;
        c->Accuracy = accuracy;
        return *c;
    }
    // Frames until `done` holds, at most `limit` of 60 ms.
    template <typename F>
    bool RunUntil(F done, int limit = 2000) {
        for (int i = 0; i < limit && !done(); ++i) {
            Clock.Advance(60);
            for (size_t k = 0; k < World.Critters.size(); ++k) World.Critters[k]->Update();
        }
        return done();
    }

    // IScriptHost.
    void Log(const std::string&) override {}
    uint32_t Now() override { return Clock.Now(); }
    int32_t Random(int32_t n) override { return Rand.Random(n); }
    bool RunWorldCommand(TScript& self, TWorldCommand command) override {
        RunRecordCommand(Context, self, command);
        return false;
    }
    // IWorldEvents.
    void AddConsole(const std::string& text) override { Console.push_back(text); }
    void PlayerDead() override { ++Deaths; }
    void ReportError(const std::exception& error) override { Errors.push_back(error.what()); }
    void RecordsRenumbered(int32_t kind, const std::function<int(int)>& map) override {
        Renumbered.push_back({kind, map(0), map(1), map(2)});
    }

    TFileSystem Files;
    TSilentOutput Sound;
    TWaveList Waves;
    TImageList Images;
    TScriptSystem Scripts;
    TRandom Rand{7};
    TManualClock Clock;
    TGameConfig Config;
    TWorld World;
    TWorldContext Context{World, Scripts, Images, Waves, Rand, Clock, Config, *this};

    std::vector<std::string> Console, Errors;
    int Deaths = 0;
    std::vector<std::vector<int>> Renumbered;
};

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
        w.Add(10, 10, 30);
        if (k.Index == 1) w.Add(12, 10);
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
    w.Add(5, 5);
    tCritter& c = w.Add(10, 10);
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
        tCritter& shooter = w.Add(10, 10);
        tCritter& target = w.Add(14, 10, 500);
        if (wall) w.World.Grid.At(12, 10).ShootBlock = 1;
        shooter.Fire(target.X, target.Y);
        ASSERT_TRUE(w.RunUntil([&] { return shooter.Ammo <= 40; })) << wall;
        EXPECT_EQ(target.HP < 500, !wall) << target.HP;
        if (!wall) {
            EXPECT_EQ((500 - target.HP) % 3, 0) << "damage is DmgMin when DmgMax is 1";
        }
    }
}

TEST(Rules, OutOfAmmoIsToldOnceAndStopsTheBurst) {
    for (int index : {0, 1}) {
        TBareWorld w;
        w.Add(5, 5);
        if (index == 1) w.Add(10, 10);
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
    w.Add(1, 1);
    w.Add(2, 2);
    tCritter& last = w.Add(3, 3);
    w.World.Critters[0]->Victim = 2;
    last.Victim = 1;
    w.World.RemoveCritter(w.Context, 1);

    EXPECT_EQ(last.Index, 1);
    EXPECT_EQ(last.Script->OwnerIndex, 1);
    EXPECT_EQ(w.World.Critters[0]->Victim, 1);
    EXPECT_EQ(last.Victim, -1);
    EXPECT_EQ(w.World.Grid.At(3, 3).Occupant, 1);
    EXPECT_EQ(w.Renumbered, (std::vector<std::vector<int>>{{KindCritter, 0, -1, 1}}));
}

}  // namespace
