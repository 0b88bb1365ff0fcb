// What scripts see of a map load: the order of their events, their errors,
// and loads started from scripts.
#include <algorithm>

#include "world/WorldTestKit.h"

namespace {
TMapData MapWith(std::vector<TMapCritter> critters, std::vector<TMapObject> objects, const std::string& mapScript) {
    TMapData map;
    map.Critters = std::move(critters);
    map.Objects = std::move(objects);
    map.MapScript = mapScript;
    return map;
}
}  // namespace

class LoadEventsTest : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        Data.WriteScript("obj_def.sc", RecordNode("OnCreate", 1) + RecordNode("OnDestroy", 2));
        Data.WriteScript("guard.sc", RecordNode("OnCreate", 3) + RecordNode("OnDestroy", 4));
        Data.WriteScript("box.sc", RecordNode("OnCreate", 5) + RecordNode("OnDestroy", 6));
        Data.WriteScript("town.sc", RecordNode("OnCreate", 7) + RecordNode("OnDestroy", 8));
    }
};

TEST_F(LoadEventsTest, EventsComeInLoadOrderWithTheMapScriptLast) {
    WriteMap("data/locations/a.map", MapWith({MapCritter("g", 5, 5, "guard")}, {}, "town"));
    Load("data\\locations\\a.map");
    WriteMap("data/locations/b.map",
             MapWith({MapCritter("p", 1, 1, "guard"), MapCritter("q", 2, 2, "guard")},
                     {MapObject("o", 3, 3, "crate", "box"), MapObject("d", 4, 4)}, "town"));
    ClearEventLog();
    Load("data\\locations\\b.map");

    // The old critter's guard script gets no "OnDestroy"; the old map script does.
    const std::vector<int> expected = {
        EventCode(1, OwnerCritter, 0), EventCode(2, OwnerCritter, 0), EventCode(3, OwnerCritter, 0),
        EventCode(1, OwnerCritter, 1), EventCode(2, OwnerCritter, 1), EventCode(3, OwnerCritter, 1),
        EventCode(1, OwnerObject, 0),  EventCode(2, OwnerObject, 0),  EventCode(5, OwnerObject, 0),
        EventCode(1, OwnerObject, 1),  EventCode(2, OwnerObject, 1),  EventCode(1, OwnerObject, 1),
        EventCode(8, OwnerMap, -1),    EventCode(7, OwnerMap, -1),
    };
    EXPECT_EQ(EventLog(), expected);
}

TEST_F(LoadEventsTest, EmptyMapScriptNameLeavesNoMapScript) {
    WriteMap("data/locations/a.map", MapWith({}, {}, "town"));
    Load("data\\locations\\a.map");
    ASSERT_TRUE(W().MapScript);
    TScriptPtr old = W().MapScript;
    WriteMap("data/locations/b.map", MapWith({}, {}, ""));
    ClearEventLog();
    Load("data\\locations\\b.map");
    EXPECT_FALSE(W().MapScript);
    EXPECT_TRUE(old->Destroyed);
    EXPECT_EQ(EventLog(), std::vector<int>{EventCode(8, OwnerMap, -1)});
}

TEST_F(LoadEventsTest, ScriptErrorsAreReportedAfterTheLocationIsComplete) {
    Data.WriteScript("bad.sc", "[OnCreate]\n1=1\n2=0\n3=DIV\n");
    Data.WriteScript("badend.sc", "[OnDestroy]\n1=POP_FROM_EMPTY\n2=ADD\n");
    WriteMap("data/locations/a.map", MapWith({}, {}, "badend"));
    Load("data\\locations\\a.map");
    WriteMap("data/locations/b.map", MapWith({MapCritter("p", 1, 1, "bad"), MapCritter("q", 2, 2)},
                                             {MapObject("o", 3, 3, "crate", "bad")}, "town"));
    G().Errors.clear();
    ClearEventLog();
    EXPECT_NO_THROW(Load("data\\locations\\b.map"));

    EXPECT_EQ(W().CritterCount(), 2);
    EXPECT_EQ(W().ObjectCount(), 1);
    ASSERT_TRUE(C(0).Script);
    EXPECT_EQ(C(0).Script->Path, "data\\scripts\\bad.sc");
    EXPECT_EQ(W().Grid.At(2, 2).Occupant, 1);
    ASSERT_TRUE(W().MapScript);
    EXPECT_EQ(EventLog().back(), EventCode(7, OwnerMap, -1));
    ASSERT_EQ(G().Errors.size(), 3u);
    EXPECT_NE(G().Errors[0].find("Division by zero"), std::string::npos);
    EXPECT_NE(G().Errors[1].find("Division by zero"), std::string::npos);
    EXPECT_NE(G().Errors[2].find("'POP_FROM_EMPTY' is not a valid integer value"), std::string::npos);
}

TEST_F(LoadEventsTest, AMoveInOnCreateIsOverriddenByTheStartTile) {
    Data.WriteScript("mover.sc", "[OnCreate]\n1=SELF\n2=3\n3=4\n4=MOVETO\n");
    WriteMap("data/locations/a.map", MapWith({MapCritter("p", 1, 1), MapCritter("m", 20, 30, "mover")}, {}, ""));
    Load("data\\locations\\a.map");
    EXPECT_EQ(C(1).X, 20);
    EXPECT_EQ(C(1).Y, 30);
    EXPECT_EQ(W().Grid.At(3, 4).WalkBlock, 0);
    EXPECT_EQ(W().Grid.At(3, 4).Occupant, -1);
}

TEST_F(LoadEventsTest, TheMapScriptSeesTheWholeLocation) {
    // g[5] := X of object 1, g[6] := Y of critter 1 (its start tile by now).
    Data.WriteScript("look.sc", "[OnCreate]\n1=5\n2=1\n3=1\n4=GETX\n5=SETGVAR\n6=6\n7=0\n8=1\n9=GETY\n10=SETGVAR\n");
    WriteMap("data/locations/a.map", MapWith({MapCritter("p", 1, 1), MapCritter("q", 8, 9)},
                                             {MapObject("o", 3, 3), MapObject("r", 17, 4)}, "look"));
    Load("data\\locations\\a.map");
    EXPECT_EQ(G().Scripts.GlobalVars[5], 17);
    EXPECT_EQ(G().Scripts.GlobalVars[6], 9);
}

TEST_F(LoadEventsTest, ScriptsOfTheOldLocationGetNoMoreEvents) {
    Data.WriteScript("ticker.sc", "[OnCreate]\n1=1000\n2=SETTIMER\n");
    WriteMap("data/locations/a.map", MapWith({MapCritter("t", 5, 5, "ticker")}, {}, ""));
    Load("data\\locations\\a.map");
    TScriptPtr ticker = C(0).Script;
    uint32_t later = G().Now() + 5000;
    ASSERT_TRUE(ticker->TimerEnabled);

    WriteMap("data/locations/b.map", MapWith({MapCritter("p", 1, 1)}, {}, ""));
    Load("data\\locations\\b.map");
    EXPECT_FALSE(ticker->Alive());
    auto due = G().Scripts.TakeDueTimers(later);
    EXPECT_EQ(std::count(due.begin(), due.end(), ticker), 0);
}

TEST_F(LoadEventsTest, LoadMapThenMoveToActsOnTheNewLocation) {
    Data.WriteScript("door.sc", "[OnClick]\n1=LOC02\n2=LOADMAP\n3=0\n4=10\n5=20\n6=MOVETO\n");
    WriteMap("data/locations/a.map", MapWith({MapCritter("p", 1, 1), MapCritter("door", 4, 4, "door")}, {}, ""));
    WriteMap("data/locations/Loc02.MAP", MapWith({MapCritter("p2", 30, 40), MapCritter("x", 2, 2)}, {}, ""));
    Load("data\\locations\\a.map");
    std::shared_ptr<tCritter> door = W().Critters[1];

    door->Click();

    EXPECT_TRUE(door->Released);
    ASSERT_EQ(W().CritterCount(), 2);
    EXPECT_EQ(G().ControlForm.CritterListBox.Items[0], "p2");
    EXPECT_EQ(C(0).X, 10);
    EXPECT_EQ(C(0).Y, 20);
    EXPECT_EQ(W().Grid.At(10, 20).Occupant, 0);
    EXPECT_EQ(W().Grid.At(30, 40).WalkBlock, 0);
    EXPECT_EQ(W().Grid.At(4, 4).Occupant, -1);  // the old door's cell belongs to the new grid now
}

TEST_F(LoadEventsTest, ALoadStartedDuringALoadWins) {
    Data.WriteScript("jump.sc", "[OnCreate]\n1=INNER\n2=LOADMAP\n");
    WriteMap("data/locations/inner.map", MapWith({MapCritter("i0", 12, 13)}, {MapObject("io", 5, 5)}, "town"));
    // The jumping critter first with more records behind it, and last with nothing behind it.
    const TMapData outers[] = {
        MapWith({MapCritter("o0", 1, 1, "jump"), MapCritter("o1", 2, 2)}, {MapObject("oo", 3, 3)}, ""),
        MapWith({MapCritter("o0", 1, 1), MapCritter("o1", 2, 2, "jump")}, {}, ""),
    };
    for (int round = 0; round < 2; ++round) {
        WriteMap("data/locations/outer.map", outers[round]);
        ClearEventLog();
        Load("data\\locations\\outer.map");

        ASSERT_EQ(W().CritterCount(), 1);
        EXPECT_EQ(C(0).X, 12);
        EXPECT_EQ(G().ControlForm.CritterListBox.Items, std::vector<std::string>{"i0"});
        ASSERT_EQ(W().ObjectCount(), 1);
        EXPECT_EQ(O(0).X, 5);
        ASSERT_TRUE(W().MapScript);
        EXPECT_EQ(W().MapScript->Path, "data\\scripts\\town.sc");
        EXPECT_TRUE(W().MapScript->Alive());
        auto log = EventLog();
        EXPECT_EQ(std::count(log.begin(), log.end(), EventCode(7, OwnerMap, -1)), 1);
        // Only the second round has a map script before it, destroyed once.
        EXPECT_EQ(std::count(log.begin(), log.end(), EventCode(8, OwnerMap, -1)), round);
        EXPECT_EQ(W().Grid.At(1, 1).Occupant, -1);
        EXPECT_EQ(W().Grid.At(2, 2).WalkBlock, 0);
    }
}

TEST_F(LoadEventsTest, AMapScriptLoadingAnotherMapLeavesTheNewOnesScript) {
    Data.WriteScript("hop.sc", "[OnCreate]\n1=INNER\n2=LOADMAP\n");
    WriteMap("data/locations/outer.map", MapWith({MapCritter("o0", 1, 1)}, {}, "hop"));
    WriteMap("data/locations/inner.map", MapWith({MapCritter("i0", 12, 13)}, {}, "town"));
    Load("data\\locations\\outer.map");
    ASSERT_TRUE(W().MapScript);
    EXPECT_EQ(W().MapScript->Path, "data\\scripts\\town.sc");
    EXPECT_TRUE(W().MapScript->Alive());
    EXPECT_EQ(C(0).X, 12);
}

// A location whose script loads that same location again, from the map
// script and from a critter's: a bounded chain, one error naming the place,
// and the game stands on the last location that loaded.
TEST_F(LoadEventsTest, ASelfLoadingLocationStopsAtTheNestingLimit) {
    Data.WriteScript("again.sc", "[OnCreate]\n1=200\n2=200\n3=GETGVAR\n4=1\n5=ADD\n6=SETGVAR\n7=SELF\n8=LOC09\nload=LOADMAP\n");
    for (bool fromMapScript : {true, false}) {
        SCOPED_TRACE(fromMapScript ? "map script" : "critter script");
        WriteMap("data/locations/loc09.map",
                 fromMapScript ? MapWith({MapCritter("p", 1, 1)}, {}, "again")
                               : MapWith({MapCritter("p", 1, 1), MapCritter("r", 2, 2, "again")}, {}, ""));
        ClearEventLog();
        G().Errors.clear();
        Load("data\\locations\\loc09.map");
        EXPECT_EQ(G().Scripts.GlobalVars[200], TWorld::MaxLoadDepth);
        ASSERT_EQ(G().Errors.size(), 1u);
        EXPECT_EQ(G().Errors[0],
                  "Location loads nested deeper than 16\n\nScript \"data\\scripts\\again.sc\", node [OnCreate], step load");
        EXPECT_EQ(W().LoadDepth, 0);
        ASSERT_EQ(W().CritterCount(), fromMapScript ? 1 : 2);
        EXPECT_EQ(C(0).X, 1);
        EXPECT_EQ(W().Grid.At(1, 1).Occupant, 0);
        if (fromMapScript) {
            ASSERT_TRUE(W().MapScript);
            EXPECT_TRUE(W().MapScript->Alive());
        }
    }
}

// Names from data that climb out of the data folder are refused by name; the
// location still loads around them.
TEST_F(LoadEventsTest, PathsLeavingTheDataFolderAreErrors) {
    Data.WriteFile("secret.sc", "[OnCreate]\n1=250\n2=77\n3=SETGVAR\n");
    Data.WriteScript("travel.sc", "[OnCreate]\n1=..\\..\\..\\x\ngo=LOADMAP\n");
    struct TCase {
        std::string MapScript, CritterScript, Error;
    } cases[] = {
        {"", "..\\..\\secret", "Path \"data\\scripts\\..\\..\\secret.sc\" leaves the data folder"},
        {"../../secret", "obj_def", "Path \"data\\scripts\\../../secret.sc\" leaves the data folder"},
        {"travel", "obj_def",
         "Path \"data\\locations\\..\\..\\..\\X.map\" leaves the data folder\n\nScript "
         "\"data\\scripts\\travel.sc\", node [OnCreate], step go"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Error);
        WriteMap("data/locations/a.map", MapWith({MapCritter("p", 1, 1, c.CritterScript)}, {}, c.MapScript));
        G().Errors.clear();
        ClearEventLog();
        Load("data\\locations\\a.map");
        EXPECT_EQ(G().Errors, std::vector<std::string>{c.Error});
        EXPECT_EQ(G().Scripts.GlobalVars[250], 0);
        EXPECT_EQ(W().CritterCount(), 1);
    }
}
