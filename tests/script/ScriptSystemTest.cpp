#include "ScriptTestKit.h"

namespace {

using Strings = std::vector<std::string>;

// ---- Creation and destruction ----

TEST_F(ScriptTest, DestroyRunsOnDestroyWithTheScriptCompleteThenSilencesIt) {
    auto script = Make("[OnCreate]\n1=mine\n2=0\n3=4\n4=SETLVAR\n5=100\n6=SETTIMER\n"
                       "[OnDestroy]\n1=0\n2=GETLVAR\n3=ADDCONSOLE\n4=ADDCONSOLE\n5=50\n6=SETTIMER\n"
                       "[OnClick]\n1=clicked\n");
    Scripts.Destroy(script);
    EXPECT_EQ(Host.Console, (Strings{"4", "MINE"}));
    EXPECT_TRUE(script->Destroyed);
    EXPECT_FALSE(script->TimerEnabled);  // also the one OnDestroy started
    Host.Logs.clear();
    script->Execute("OnClick");
    Scripts.Destroy(script);
    EXPECT_TRUE(Host.Logs.empty());
    EXPECT_TRUE(script->Stack.empty());
}

TEST_F(ScriptTest, FailingOnDestroyStillDestroysAndReportsOnce) {
    auto script = Make("[OnDestroy]\n1=ADD\n");
    EXPECT_THROW(Scripts.Destroy(script), EScriptError);
    EXPECT_TRUE(script->Destroyed);
    EXPECT_NO_THROW(Scripts.Destroy(script));
}

TEST_F(ScriptTest, DestroyRaisedFromItsOwnOnDestroyDoesNotRunItAgain) {
    TScriptPtr script;
    int destroys = 0;
    Host.On(TWorldCommand::LOADMAP, [&](TScript&) {
        ++destroys;
        Scripts.Destroy(script);
        return false;
    });
    script = Make("[OnDestroy]\n1=x\n2=LOADMAP\n");
    Scripts.Destroy(script);
    EXPECT_EQ(destroys, 1);
    EXPECT_TRUE(script->Destroyed);
}

TEST_F(ScriptTest, OrphanStopsEventsAndTimerWithoutOnDestroy) {
    auto script = Make("[OnCreate]\n1=10\n2=SETTIMER\n[OnDestroy]\n1=bye\n2=ADDCONSOLE\n");
    Scripts.Orphan(script);
    EXPECT_FALSE(script->Alive());
    EXPECT_FALSE(script->TimerEnabled);
    Host.Logs.clear();
    script->Execute("OnDestroy");
    Scripts.Destroy(script);
    EXPECT_TRUE(Host.Console.empty());
    EXPECT_TRUE(Host.Logs.empty());
    Host.Clock = 1000;
    EXPECT_TRUE(Scripts.TakeDueTimers(1000).empty());
}

TEST_F(ScriptTest, RegisterKeepsAScriptWhoseOnCreateFails) {
    WriteScript("bad.sc", "[OnCreate]\n1=1\n2=0\n3=DIV\n");
    EXPECT_THROW(Scripts.Create("data\\scripts\\bad.sc", 0, OwnerCritter), EScriptError);
    auto script = Scripts.Register("data\\scripts\\bad.sc", 0, OwnerCritter);
    EXPECT_THROW(script->Execute("OnCreate"), EScriptError);
    EXPECT_TRUE(script->Alive());
    EXPECT_EQ(Scripts.TakeDueTimers(0).size(), 0u);
}

TEST_F(ScriptTest, RegistryForgetsFreedScripts) {
    WriteScript("empty.sc", "");
    for (int i = 0; i < 1000; ++i) Scripts.Create("data\\scripts\\empty.sc", i, OwnerObject);
    auto kept = Scripts.Create("data\\scripts\\empty.sc", 1000, OwnerObject);
    EXPECT_LT(Scripts.Registry.size(), 200u);
    kept->TimerEnabled = true;
    EXPECT_EQ(Scripts.TakeDueTimers(0), std::vector<TScriptPtr>{kept});
}

// ---- Timers ----

TEST_F(ScriptTest, TimerFallsDueAfterItsIntervalAndNeverBurstsAfterADelay) {
    Host.Clock = 1000;
    auto script = Make("[OnCreate]\n1=100\n2=SETTIMER\n");
    EXPECT_TRUE(Scripts.TakeDueTimers(1099).empty());
    EXPECT_EQ(Scripts.TakeDueTimers(1100), std::vector<TScriptPtr>{script});
    EXPECT_TRUE(Scripts.TakeDueTimers(1100).empty());
    // A long stall yields one tick, and the period counts from when it was taken.
    EXPECT_EQ(Scripts.TakeDueTimers(5000).size(), 1u);
    EXPECT_TRUE(Scripts.TakeDueTimers(5099).empty());
    EXPECT_EQ(Scripts.TakeDueTimers(5100).size(), 1u);
}

TEST_F(ScriptTest, EverySetTimerStartsThePeriodAnew) {
    Host.Clock = 1000;
    auto script = Make("[OnCreate]\n1=100\n2=SETTIMER\n[Again]\n1=100\n2=SETTIMER\n");
    Host.Clock = 1080;
    script->Execute("Again");
    EXPECT_TRUE(Scripts.TakeDueTimers(1100).empty());
    EXPECT_TRUE(Scripts.TakeDueTimers(1179).empty());
    EXPECT_EQ(Scripts.TakeDueTimers(1180).size(), 1u);
}

TEST_F(ScriptTest, TimerSurvivesTheClockWrappingAround) {
    Host.Clock = 0xFFFFFF00u;
    auto script = Make("[OnCreate]\n1=$200\n2=SETTIMER\n");
    EXPECT_TRUE(Scripts.TakeDueTimers(0xFFFFFFF0u).empty());
    EXPECT_TRUE(Scripts.TakeDueTimers(0x000000FFu).empty());
    EXPECT_EQ(Scripts.TakeDueTimers(0x00000100u).size(), 1u);
}

// ---- The file cache ----

TEST_F(ScriptTest, EditedFileTakesEffectAtTheNextEvent) {
    auto script = Make("[OnClick]\n1=old\n");
    script->Execute("OnClick");
    auto before = Scripts.File(Path);
    EXPECT_EQ(Scripts.File(Path), before);  // unchanged: not parsed again

    // Same size, so only the modification time tells.
    WriteScript("test.sc", "[OnClick]\n1=new\n");
    std::filesystem::last_write_time(Root / "data/scripts/test.sc",
                                     std::filesystem::file_time_type::clock::now() + std::chrono::seconds(5));
    script->Execute("OnClick");
    EXPECT_EQ(script->Stack, (Strings{"OLD", "NEW"}));

    std::filesystem::remove(Root / "data/scripts/test.sc");
    script->Execute("OnClick");
    EXPECT_EQ(script->Stack.size(), 2u);
    WriteScript("test.sc", "[OnClick]\n1=back again\n");
    script->Execute("OnClick");
    EXPECT_EQ(script->Stack.back(), "BACK AGAIN");
}

TEST_F(ScriptTest, OneEventSeesOneVersionOfTheFile) {
    auto script = Make("[OnClick]\n1=x\n2=ADDCONSOLE\n3=Next\n4=CALL\n[Next]\n1=first\n");
    Host.On(TWorldCommand::ADDCONSOLE, [&](TScript& self) {
        self.PopText();
        WriteScript("test.sc", "[OnClick]\n[Next]\n1=second version\n");
        return false;
    });
    script->Execute("OnClick");
    script->Execute("Next");
    EXPECT_EQ(script->Stack, (Strings{"FIRST", "SECOND VERSION"}));
}

TEST_F(ScriptTest, FileNamesAreFoundWhateverTheirCase) {
    WriteScript("Guard.SC", "[OnCreate]\n1=found\n");
    auto script = Scripts.Create("DATA\\Scripts\\guard.sc", 0, OwnerCritter);
    EXPECT_EQ(script->Stack, Strings{"FOUND"});
}

TEST_F(ScriptTest, ByteOrderMarkIsSkippedWithAWarning) {
    WriteScript("bom.sc", "\xEF\xBB\xBF[OnCreate]\n1=first\n");
    auto script = Scripts.Create("data\\scripts\\bom.sc", 0, OwnerCritter);
    EXPECT_EQ(script->Stack, Strings{"FIRST"});
    ASSERT_FALSE(Host.Logs.empty());
    EXPECT_NE(std::find_if(Host.Logs.begin(), Host.Logs.end(),
                           [](const std::string& l) { return l.find("byte-order mark") != std::string::npos; }),
              Host.Logs.end());
}

TEST_F(ScriptTest, UnreadableFileRunsLikeAMissingOne) {
    std::filesystem::create_directories(Root / "data/scripts/dir.sc");
    auto script = Scripts.Create("data\\scripts\\dir.sc", 0, OwnerCritter);
    EXPECT_TRUE(script->Stack.empty());
    EXPECT_TRUE(Scripts.File("data\\scripts\\dir.sc")->Nodes.empty());
}

// ---- Runaway protection ----

TEST_F(ScriptTest, EndlessLoopEndsWithAnError) {
    auto script = Make("[Spin]\ntop=top\nagain=GOTO\n");
    try {
        script->Execute("Spin");
        FAIL() << "no error";
    } catch (const EScriptError& e) {
        EXPECT_EQ(e.Message(), "Script ran more than 5000000 steps");
        EXPECT_EQ(e.Node, "Spin");
        EXPECT_EQ(e.Key, "top");
    }
    EXPECT_EQ(Scripts.Depth, 0);
}

TEST_F(ScriptTest, StepsCountAcrossCallsAndRestartWithEachEvent) {
    Scripts.StepLimit = 60;
    // 21 steps of Run and 10 x 2 of Inner make 41 per event: two events pass, one that runs Run twice fails.
    std::string text = "[Run]\n1=0\n";
    for (int i = 0; i < 10; ++i) text += "c" + std::to_string(i) + "=Inner\nd" + std::to_string(i) + "=CALL\n";
    text += "[Inner]\n1=1\n2=ADD\n[Twice]\n1=Run\n2=CALL\n3=Run\n4=CALL\n";
    auto script = Make(text);
    script->Execute("Run");
    script->Execute("Run");
    EXPECT_EQ(script->Stack, (Strings{"10", "10"}));
    try {
        script->Execute("Twice");
        FAIL() << "no error";
    } catch (const EScriptError& e) {
        EXPECT_EQ(e.Message(), "Script ran more than 60 steps");
    }
}

TEST_F(ScriptTest, EndlessRecursionEndsWithAnErrorAtTheCall) {
    auto script = Make("[Deeper]\n1=1\n2=Deeper\nrecurse=CALL\n");
    try {
        script->Execute("Deeper");
        FAIL() << "no error";
    } catch (const EScriptError& e) {
        EXPECT_EQ(e.Message(), "Script calls nested deeper than 1000");
        EXPECT_EQ(e.Node, "DEEPER");
        EXPECT_EQ(e.Key, "recurse");
    }
    EXPECT_EQ(script->Stack.size(), 1000u);
    EXPECT_EQ(Scripts.Depth, 0);
}

TEST_F(ScriptTest, EventsRaisedByWorldCommandsCountTowardsTheDepth) {
    Scripts.DepthLimit = 20;
    // Every load creates a map script whose OnCreate loads again.
    std::vector<TScriptPtr> maps;
    Host.On(TWorldCommand::LOADMAP, [&](TScript& self) {
        self.PopText();
        maps.push_back(Scripts.Create(Path, -1, OwnerMap));
        return false;
    });
    try {
        Make("[OnCreate]\n1=loc\nload=LOADMAP\n", -1, OwnerMap);
        FAIL() << "no error";
    } catch (const EScriptError& e) {
        EXPECT_EQ(e.Message(), "Script calls nested deeper than 20");
        EXPECT_EQ(e.Key, "load");
    }
}

// ---- Lifetime during a run ----

TEST_F(ScriptTest, MapScriptDestroyedByItsOwnLoadEndsQuietly) {
    WriteScript("next.sc", "[OnCreate]\n1=arrived\n2=ADDCONSOLE\n");
    TScriptPtr mapScript;
    std::weak_ptr<TScript> first;
    Host.On(TWorldCommand::LOADMAP, [&](TScript& self) {
        self.PopText();
        Scripts.Destroy(mapScript);
        mapScript = Scripts.Create("data\\scripts\\next.sc", -1, OwnerMap);
        EXPECT_FALSE(first.expired()) << "the run must keep its script until it returns";
        return false;
    });
    WriteScript("test.sc", "[OnClick]\n1=Go\n2=CALL\n3=too late\n4=ADDCONSOLE\n[Go]\n1=loc02\n2=LOADMAP\n"
                           "3=also late\n4=ADDCONSOLE\n[OnDestroy]\n1=leaving\n2=ADDCONSOLE\n");
    mapScript = Scripts.Create(Path, -1, OwnerMap);
    first = mapScript;
    Host.Logs.clear();
    mapScript->Execute("OnClick");
    EXPECT_TRUE(first.expired());
    EXPECT_EQ(Host.Console, (Strings{"LEAVING", "ARRIVED"}));
    EXPECT_EQ(Host.Logs.front(), StartLine("OnClick"));
    EXPECT_EQ(std::count(Host.Logs.begin(), Host.Logs.end(), EndLine("OnClick")), 0);
    EXPECT_EQ(std::count(Host.Logs.begin(), Host.Logs.end(), EndLine("GO")), 0);
}

TEST_F(ScriptTest, OrphanedScriptFinishesTheNodeItIsIn) {
    TScriptPtr critterScript;
    std::weak_ptr<TScript> weak;
    Strings moves;
    Host.On(TWorldCommand::LOADMAP, [&](TScript& self) {
        self.PopText();
        Scripts.Orphan(critterScript);
        critterScript.reset();  // the critter is freed with the old location
        return false;
    });
    Host.On(TWorldCommand::MOVETO, [&](TScript& self) {
        int32_t y = self.PopInt(), x = self.PopInt(), c = self.PopInt();
        moves.push_back(std::to_string(c) + ":" + std::to_string(x) + "," + std::to_string(y));
        EXPECT_FALSE(weak.expired()) << "the run must keep its script until it returns";
        return false;
    });
    critterScript = Make("[OnClick]\n1=LOC02\n2=LOADMAP\n3=Place\n4=CALL\n[Place]\n1=0\n2=10\n3=20\n4=MOVETO\n");
    weak = critterScript;
    critterScript->Execute("OnClick");
    EXPECT_EQ(moves, Strings{"0:10,20"});
    EXPECT_EQ(Host.Logs.back(), EndLine("OnClick"));
    EXPECT_TRUE(weak.expired());
}


}  // namespace
