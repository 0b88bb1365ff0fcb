// The critter record: directions, placement, animation sets, the tick, hits and death.
#include <algorithm>
#include <climits>

#include "world/WorldTestKit.h"

TEST(CritterDirections, StepsAndTheirInverse) {
    const std::pair<int, int> steps[8] = {{-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}};
    for (int d = 0; d < 8; ++d) {
        EXPECT_EQ(DeltaFromDirection(d), steps[d]) << d;
        EXPECT_EQ(DirectionFromDelta(steps[d].first * 7, steps[d].second * 3), d) << d;
    }
    EXPECT_EQ(DirectionFromDelta(0, 0), 0);
    EXPECT_EQ(DirectionFromDelta(5, -3), 2);
}

class CritterTest : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        WriteMap("data/locations/empty.map", TMapData{});
        Load("data\\locations\\empty.map");
    }
    // A critter in the list at `index`, placed on (x, y).
    tCritter& Add(int32_t x, int32_t y, int32_t hp = 10) {
        auto c = std::make_shared<tCritter>(G().Context, W().CritterCount());
        W().AppendCritter(c);
        c->SetPosition(x, y);
        c->HP = hp;
        c->Placed = true;
        return *c;
    }
};

TEST_F(CritterTest, SetDirectionFoldsAnyValue) {
    tCritter& c = Add(3, 3);
    const std::pair<int32_t, int32_t> walking[] = {{-1, 7}, {9, 1}, {8, 0}, {-17, 7}, {INT_MAX, 7}, {INT_MIN, 0}};
    for (auto [in, out] : walking) {
        c.SetDirection(in);
        EXPECT_EQ(c.Direction, out) << in;
        EXPECT_EQ(c.FirstFrame, out * 4) << in;
        EXPECT_EQ(c.CurrentFrame, c.FirstFrame);
    }
    c.State = csFiring;
    const std::pair<int32_t, int32_t> firing[] = {{-6, 10}, {16, 0}, {31, 15}, {INT_MIN, 0}};
    for (auto [in, out] : firing) {
        c.SetDirection(in);
        EXPECT_EQ(c.Direction, out) << in;
    }
}

TEST_F(CritterTest, PlacementMarksOneCellAndOffsetsShiftThePicture) {
    auto fresh = std::make_shared<tCritter>(G().Context, 4);
    EXPECT_EQ(W().Grid.At(0, 0).WalkBlock, 0);  // a new critter stands nowhere yet
    EXPECT_EQ(W().Grid.At(0, 0).Occupant, -1);
    EXPECT_EQ(fresh->Victim, -1);
    EXPECT_EQ(fresh->ScriptName, "obj_def");

    fresh->SetPosition(30, 50);
    EXPECT_DOUBLE_EQ(fresh->PixelX, 580);
    EXPECT_DOUBLE_EQ(fresh->PixelY, 440);
    EXPECT_EQ(W().Grid.At(30, 50).Occupant, 4);
    fresh->SetPosition(31, 50);
    EXPECT_EQ(W().Grid.At(30, 50).WalkBlock, 0);
    EXPECT_EQ(W().Grid.At(30, 50).Occupant, -1);
    EXPECT_EQ(W().Grid.At(31, 50).WalkBlock, 1);

    fresh->ReleaseTile();
    EXPECT_EQ(W().Grid.At(31, 50).WalkBlock, 0);
}

TEST_F(CritterTest, LeavingAStateUndoesWhatItHeld) {
    tCritter& c = Add(10, 10);
    c.State = csFiring;
    c.SetDirection(13);
    c.SetAnimation(csIdle);
    EXPECT_EQ(c.Direction, 6);

    // A walker holds the tile of its next step; standing still gives it back.
    c.State = csWalking;
    c.NextX = 11;
    c.NextY = 10;
    W().Grid.At(11, 10).WalkBlock = 1;
    c.Stop();
    EXPECT_EQ(W().Grid.At(11, 10).WalkBlock, 0);
    EXPECT_EQ(W().Grid.At(10, 10).WalkBlock, 1);
    EXPECT_EQ(c.State, csIdle);
    EXPECT_EQ(c.NextX, 10);
    EXPECT_EQ(c.DestX, 10);
    EXPECT_EQ(c.PathLength, 0);

    c.SetAnimation(7);  // not a state with an animation set
    EXPECT_EQ(c.State, csIdle);
}

TEST_F(CritterTest, TheTickRunsOnlyAfterAnEighteenthOfASecond) {
    tCritter& c = Add(5, 5);
    c.LastFrameTime = G().Now();
    int frame = c.CurrentFrame;
    Tick(c, 55);
    EXPECT_EQ(c.CurrentFrame, frame);
    Tick(c, 1);
    EXPECT_EQ(c.CurrentFrame, frame + 1);
    EXPECT_EQ(c.CycleFrame, 1);
    for (int i = 0; i < 3; ++i) Tick(c);
    EXPECT_EQ(c.CurrentFrame, c.FirstFrame);  // four idle frames, then the cycle restarts
}

TEST_F(CritterTest, AHitCritterFlinchesThreeFramesAndStandsAgain) {
    Data.WriteScript("obj_def.sc", RecordNode("OnHit", 1) + RecordNode("OnDie", 2));
    tCritter& c = Add(6, 6);
    c.SetScript("obj_def");
    ClearEventLog();
    c.Hit(4);
    EXPECT_EQ(c.HP, 6);
    EXPECT_EQ(c.State, csHit);
    EXPECT_EQ(c.ImageIndex, G().DXIL.Find("metal_death"));
    EXPECT_EQ(EventLog(), std::vector<int>{EventCode(1, OwnerCritter, 0)});
    std::vector<int> shown;
    while (c.State == csHit && shown.size() < 10) {
        Tick(c);
        if (c.State == csHit) shown.push_back(c.CycleFrame);
    }
    EXPECT_EQ(shown, (std::vector<int>{1, 2}));
    EXPECT_EQ(c.State, csIdle);
    EXPECT_EQ(c.ImageIndex, G().DXIL.Find("metal_idle"));
}

TEST_F(CritterTest, ShortDeathSetsStillEndTheirAnimations) {
    tCritter& flinch = Add(1, 1);
    flinch.SetSkin("tiny");  // two death frames: the flinch ends on the second
    flinch.Hit(1);
    Tick(flinch);
    EXPECT_EQ(flinch.State, csIdle);

    tCritter& ghost = Add(2, 2, 1);
    ghost.SetSkin("ghost");  // no death set at all
    ghost.Hit(5);
    EXPECT_EQ(ghost.State, csDying);
    Tick(ghost);
    EXPECT_EQ(ghost.State, csDead);
    Tick(ghost);
    EXPECT_EQ(ghost.CurrentFrame, ghost.FirstFrame);
}

TEST_F(CritterTest, ACritterDiesThroughItsWholeDeathCycleAndStaysDown) {
    Data.WriteScript("obj_def.sc", RecordNode("OnHit", 1) + RecordNode("OnDie", 2));
    Add(0, 0);
    tCritter& c = Add(6, 6, 5);
    c.SetScript("obj_def");
    ClearEventLog();
    c.Hit(5);
    EXPECT_EQ(c.State, csDying);
    EXPECT_EQ(EventLog(), std::vector<int>{EventCode(2, OwnerCritter, 1)});
    EXPECT_EQ(G().DXWL.PlayLog.back(), "Death");
    for (int i = 0; i < 4; ++i) Tick(c);
    EXPECT_EQ(c.State, csDying);
    Tick(c);
    EXPECT_EQ(c.State, csDead);
    EXPECT_EQ(c.CurrentFrame, c.FirstFrame + 5);
    Tick(c);
    EXPECT_EQ(c.CurrentFrame, c.FirstFrame + 5);
    c.Hit(3);
    EXPECT_EQ(c.HP, 0);
    EXPECT_EQ(W().Grid.At(6, 6).Occupant, 1);
}

TEST_F(CritterTest, ThePlayersDeathIsToldEvenWhenItsScriptFails) {
    Data.WriteScript("dies.sc", "[OnDie]\n1=ADD\n");
    tCritter& player = Add(8, 8, 3);
    player.SetScript("dies");
    EXPECT_THROW(player.Hit(9), EScriptError);
    EXPECT_EQ(player.State, csDying);
    EXPECT_EQ(G().DXWL.PlayLog.back(), "DeathPlayer");
    const auto& lines = G().ConsoleLines;
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("Вы погибли.") != std::string::npos; }));
    EXPECT_EQ(G().DeathTime, G().Now());
    EXPECT_FALSE(G().PlayerDeadFlag);  // debug mode: the game goes on
}

TEST_F(CritterTest, ScriptReplacementUsesTheFirst24CharactersAndAnEmptyNameNamesNoFile) {
    tCritter& c = Add(2, 3);
    c.SetScript("abcdefghijklmnopqrstuvwxyz1234");
    EXPECT_EQ(c.ScriptName, "abcdefghijklmnopqrstuvwx");
    EXPECT_EQ(c.Script->Path, "data\\scripts\\abcdefghijklmnopqrstuvwx.sc");
    TScriptPtr old = c.Script;
    c.SetScript("");
    EXPECT_TRUE(old->Destroyed);
    EXPECT_EQ(c.Script->Path, "data\\scripts\\.sc");
    EXPECT_EQ(c.Script->OwnerIndex, 0);
    EXPECT_EQ(c.Script->OwnerKind, OwnerCritter);
}
