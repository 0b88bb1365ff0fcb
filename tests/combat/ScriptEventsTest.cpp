// Hit and death events whose scripts load another location in the middle of
// the frame's critter pass.
#include <algorithm>

#include "CombatKit.h"

namespace {
TMapCritter Fighter(const std::string& label, int32_t x, int32_t y, const std::string& script, int32_t hp) {
    return MapCritter(label, x, y, script, {.HP = hp, .DmgMin = 1, .DmgMax = 0, .Accuracy = 100});
}

class LoadFromEventTest : public CombatTest {
protected:
    void SetUp() override {
        CombatTest::SetUp();
        Data.WriteScript("flee.sc", "[OnHit]\n1=LOC02\n2=LOADMAP\n");
        Data.WriteScript("last.sc", "[OnDie]\n1=LOC02\n2=LOADMAP\n");
        TMapData first;
        first.Critters = {Fighter("Игрок", 30, 50, "obj_def", 50), Fighter("Рейдер", 36, 50, "obj_def", 50),
                          Fighter("Цель", 36, 56, "obj_def", 50), Fighter("Сосед", 40, 50, "obj_def", 50)};
        TMapData second;
        second.Critters = {Fighter("Игрок", 5, 5, "obj_def", 50), Fighter("Другой", 7, 5, "obj_def", 50)};
        Data.WriteFile("data/locations/loc01.map", SerializeMap(first));
        Data.WriteFile("data/locations/loc02.map", SerializeMap(second));
    }

    void LoadFirst(int scripted, const std::string& script) {
        G().LoadMap("data\\locations\\loc01.map");
        ASSERT_EQ(W().CritterCount(), 4);
        C(scripted).SetScript(script);
        Generation = W().Generation;
    }

    // Frames until the location changes, at most `limit`.
    void FramesUntilLoaded(int limit = 20) {
        for (int i = 0; i < limit && W().Generation == Generation; ++i) Frame();
    }

    void ExpectSecondLocationUntouched() {
        ASSERT_EQ(W().CritterCount(), 2);
        EXPECT_EQ(std::make_pair(C(0).X, C(0).Y), std::make_pair(5, 5));
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(C(i).State, csIdle) << i;
            EXPECT_EQ(C(i).HP, 50) << i;
        }
        EXPECT_EQ(Grid().At(5, 5).Occupant, 0);
        EXPECT_EQ(Grid().At(7, 5).Occupant, 1);
        // Nothing of the first location's critters is left on the new grid.
        for (auto [x, y] : std::vector<std::pair<int, int>>{{30, 50}, {36, 50}, {36, 56}, {40, 50}})
            EXPECT_EQ(Grid().At(x, y).WalkBlock, 0) << x << "," << y;
        EXPECT_TRUE(G().Errors.empty()) << G().Errors[0];
        // The shooter, with no round left, would have reported it had its burst gone on.
        for (const auto& line : G().ConsoleLines) EXPECT_EQ(line.find("патроны"), std::string::npos) << line;
    }

    uint64_t Generation = 0;
};

TEST_F(LoadFromEventTest, OnHitOfThePlayersTarget) {
    LoadFirst(1, "flee");
    Player().Ammo = 1;
    Player().Fire(36, 50);
    TakeSounds();
    FramesUntilLoaded();
    ASSERT_NE(W().Generation, Generation);
    const auto sounds = TakeSounds();
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "player_fire"), 1);
    ExpectSecondLocationUntouched();
}

TEST_F(LoadFromEventTest, OnDieOfANonPlayerTarget) {
    LoadFirst(2, "last");
    C(2).HP = 1;
    tCritter& shooter = C(1);
    shooter.Ammo = 1;
    shooter.Fire(36, 56);
    TakeSounds();
    FramesUntilLoaded();
    ASSERT_NE(W().Generation, Generation);
    const auto sounds = TakeSounds();
    // The dead critter belongs to a location that is gone: no death cry.
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "Death"), 0);
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "hit"), 1);
    ExpectSecondLocationUntouched();
}

TEST_F(LoadFromEventTest, OnHitOfTheShooterItself) {
    LoadFirst(1, "flee");
    tCritter& shooter = C(1);
    shooter.Ammo = 1;
    shooter.Fire(36, 50);
    FramesUntilLoaded();
    ASSERT_NE(W().Generation, Generation);
    ExpectSecondLocationUntouched();
}
}  // namespace
