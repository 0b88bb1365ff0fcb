// The script commands that act on the world, run from a critter's script.
#include <sstream>

#include "world/WorldTestKit.h"

class WorldCommandsTest : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        TMapData map;
        map.Critters = {MapCritter("p", 1, 1), MapCritter("n", 2, 2)};
        map.Objects = {MapObject("o", 7, 8)};
        WriteMap("data/locations/a.map", map);
        Load("data\\locations\\a.map");
    }
    // Runs the tokens (one step each) as a node of critter 1's script and
    // returns what is left on its stack.
    std::vector<std::string> Run(const std::string& tokens) {
        std::istringstream in(tokens);
        std::string node = "[Run]\n", token;
        for (int key = 1; in >> token; ++key) node += std::to_string(key) + "=" + token + "\n";
        Data.WriteScript("cmd.sc", node);
        TScriptPtr script = G().Scripts.Create("data\\scripts\\cmd.sc", 1, OwnerCritter);
        script->Execute("Run");
        return script->Stack;
    }
    using Stack = std::vector<std::string>;
};

TEST_F(WorldCommandsTest, OperandsArePoppedInReverseOfTheirPushes) {
    Run("0 5 7 MOVETO");
    EXPECT_EQ(C(0).X, 5);
    EXPECT_EQ(C(0).Y, 7);
    EXPECT_EQ(W().Grid.At(5, 7).Occupant, 0);
    EXPECT_EQ(Run("0 0 GETX 0 0 GETY 1 0 GETX 1 0 GETY"), (Stack{"5", "7", "7", "8"}));
    Run("-100 -50 SETSCROLL");
    EXPECT_EQ(G().View.ScrollX, -100);
    EXPECT_EQ(G().View.ScrollY, -50);
}

TEST_F(WorldCommandsTest, VisibilityIsSetAndReadInOppositeSenses) {
    EXPECT_EQ(Run("1 1 SETVIS 1 GETVIS 1 0 SETVIS 1 GETVIS"), (Stack{"0", "1"}));
    EXPECT_TRUE(C(1).Invisible);
}

TEST_F(WorldCommandsTest, DisableSetsTheFlagOnlyForOne) {
    Run("0 1 1 DISABLE 1 0 1 DISABLE");
    EXPECT_TRUE(C(1).Disabled);
    EXPECT_TRUE(O(0).Disabled);
    Run("0 1 2 DISABLE 00 0 0 DISABLE");  // any kind but "0" names an object
    EXPECT_FALSE(C(1).Disabled);
    EXPECT_FALSE(O(0).Disabled);
}

TEST_F(WorldCommandsTest, IndicesOutsideTheListsReadZeroAndWriteNothing) {
    EXPECT_EQ(Run("99 GETHP -1 GETAMMO 99 GETDIR 99 GETVIS 0 99 GETX 1 5 GETY 99 GETVICTIM"),
              (Stack{"0", "0", "0", "0", "0", "0", "-1"}));
    Run("99 5 SETHP -1 3 3 MOVETO 2 3 3 GOTOXY 0 99 1 DISABLE 1 99 1 DISABLE 99 MAKEDEAD 99 STOP 99 STOPFIRE");
    EXPECT_EQ(W().Grid.At(3, 3).WalkBlock, 0);
    EXPECT_EQ(C(0).HP, 20);
}

TEST_F(WorldCommandsTest, MakeDeadShowsTheLastDeathFrameWithoutEvents) {
    Data.WriteScript("obj_def.sc", RecordNode("OnDie", 2));
    ClearEventLog();
    Run("0 MAKEDEAD");
    EXPECT_EQ(C(0).State, csDead);
    EXPECT_EQ(C(0).ImageIndex, G().DXIL.Find("metal_death"));
    Tick(C(0));
    EXPECT_EQ(C(0).CurrentFrame, C(0).FirstFrame + 5);
    EXPECT_TRUE(EventLog().empty());
    EXPECT_TRUE(G().DXWL.PlayLog.empty() || G().DXWL.PlayLog.back() != "Death");
}

TEST_F(WorldCommandsTest, DialogAnswersKeepTheirTextAndNodeApart) {
    Run("Trader STARTDIALOG Yes NODEA ANSWER No NODEB ANSWER");
    EXPECT_EQ(G().ScreenMode, smDialog);
    EXPECT_EQ(G().Dialog.OwnerIndex, 1);
    EXPECT_EQ(G().Dialog.OwnerKind, OwnerCritter);
    EXPECT_EQ(G().Dialog.Answers, (Stack{"YES", "NO"}));
    EXPECT_EQ(G().Dialog.AnswerNodes, (Stack{"NODEA", "NODEB"}));
    Run("Trader2 1500 CHANGEHEAD Who? QUESTION");
    EXPECT_EQ(G().Dialog.NewHead, "TRADER2");
    EXPECT_EQ(G().Dialog.FadeDuration, 1500);
    EXPECT_TRUE(G().Dialog.Answers.empty());
    Run("ENDDIALOG");
    EXPECT_EQ(G().ScreenMode, smGame);
}

TEST_F(WorldCommandsTest, DialogCommandsLeaveTheMainMenuAlone) {
    G().ScreenMode = smMainMenu;
    Run("Trader STARTDIALOG");
    EXPECT_EQ(G().ScreenMode, smMainMenu);
    Run("ENDDIALOG");
    EXPECT_EQ(G().ScreenMode, smMainMenu);
}
