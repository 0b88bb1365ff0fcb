// The script inspector, driven by the runner's panel lines: what it shows
// of a critter's and the location's script, editing their variables, and a
// breakpoint's pause that the world resumes from as if it had never stopped.
#include <sstream>

#include "EditorTestKit.h"
#include "app/Dump.h"
#include "platform/Headless.h"

namespace {

// Every 500 ms local 0 goes up by one and is copied into global 7; a click divides by zero.
const char* TickerScript() {
    return "[OnCreate]\n1=500\n2=SETTIMER\n3=0\n4=10\n5=SETLVAR\n"
           "[OnTimer]\n1=0\n2=0\n3=GETLVAR\n4=1\n5=ADD\n6=SETLVAR\n7=7\n8=0\n9=GETLVAR\n10=SETGVAR\n"
           "[OnClick]\n1=1\n2=0\n3=DIV\n";
}

TMapData TickerLocation() {
    TMapData map;
    map.MapScript = "mapinit";
    map.Critters = {MapCritter("Игрок", 10, 10, "obj_def", NpcStats), MapCritter("Часы", 12, 10, "ticker", NpcStats)};
    return map;
}

struct TInspectCase {
    const char* Name;
    std::vector<std::string> Lines;  // panel lines, "frames N", "click N" (critter N's OnClick)
    std::string Node, Step;          // where the inspector pauses ("" for running)
    std::vector<std::string> Stack;  // there, the top last
    int Local0, Global7, Global9;    // the live values at the end
    std::vector<std::string> Events;  // the inspected script's events, "node result", oldest first
};

void PrintTo(const TInspectCase& c, std::ostream* out) {
    *out << c.Name;
}

// Created at frame 0; OnTimer runs at 500 ms and 1000 ms (frames 50 and 100).
const TInspectCase InspectCases[] = {
    {"CritterStateAndEvents", {"inspect critter 1", "frames 120", "click 1"}, "", "", {}, 12, 12, 0,
     {"OnCreate ok", "OnTimer ok", "OnTimer ok", "OnClick Division by zero (OnClick, 3)"}},
    {"EditedLocalAndGlobalAreTaken", {"inspect critter 1", "local 0 100", "global 9 5", "frames 60"}, "", "", {},
     101, 101, 5, {"OnCreate ok", "OnTimer ok"}},
    {"MapScript", {"inspect map", "frames 60"}, "", "", {}, 0, 11, 0, {"OnCreate ok"}},
    {"BreakpointPausesBeforeItsStep", {"inspect critter 1", "break OnTimer 6", "frames 60"}, "OnTimer", "6",
     {"0", "11"}, 11, 11, 0, {"OnCreate ok", "OnTimer ok"}},
    {"StepWalksTheRecord", {"inspect critter 1", "break ontimer 6", "frames 60", "step", "step"}, "OnTimer", "8",
     {"7"}, 11, 11, 0, {"OnCreate ok", "OnTimer ok"}},
    // The world stands still: no timer runs however long the pause.
    {"PausedWorldRunsNoTimer", {"inspect critter 1", "break OnTimer 1", "frames 200"}, "OnTimer", "1", {}, 11, 11,
     0, {"OnCreate ok", "OnTimer ok"}},
    {"ContinueRunsOn", {"inspect critter 1", "break OnTimer 1", "frames 60", "unbreak OnTimer 1", "continue",
                        "frames 60"},
     "", "", {}, 12, 12, 0, {"OnCreate ok", "OnTimer ok", "OnTimer ok"}},
    // Past the record's end a step pauses at the script's next step: the next OnTimer's first.
    {"StepPastTheEventPausesAtTheNext", {"inspect critter 1", "break OnTimer 10", "frames 60", "unbreak OnTimer 10",
                                         "step", "step", "frames 60"},
     "OnTimer", "1", {}, 12, 12, 0, {"OnCreate ok", "OnTimer ok", "OnTimer ok"}},
    {"StepWhileRunningPausesAtTheNextStep", {"inspect critter 1", "step", "frames 60"}, "OnTimer", "1", {}, 11, 11,
     0, {"OnCreate ok", "OnTimer ok"}},
};

class Inspecting : public EditorTest, public ::testing::WithParamInterface<TInspectCase> {
protected:
    void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            Game->Platform.VirtualClock.Advance(10);
            G().Tick();
        }
    }
};

TEST_P(Inspecting, ShowsEditsAndPauses) {
    const TInspectCase& c = GetParam();
    Data.WriteScript("ticker.sc", TickerScript());
    // The location's script leaves 11 in global 7 at once.
    Data.WriteScript("mapinit.sc", "[OnCreate]\n1=7\n2=11\n3=SETGVAR\n");
    Load(TickerLocation());
    for (const std::string& line : c.Lines) {
        std::istringstream words(line);
        std::string verb;
        int n = 0;
        words >> verb >> n;
        if (verb == "frames")
            Frames(n);
        else if (verb == "click")
            G().Guard([&] { Critter(n).Script->Execute("OnClick"); });
        else
            G().PanelCommand(line);
    }
    const TInspector& inspector = G().Inspector;
    EXPECT_EQ(inspector.Paused(), !c.Node.empty());
    if (const TScriptSnapshot* at = inspector.PausedAt()) {
        EXPECT_EQ(at->Node, c.Node);
        EXPECT_EQ(at->Key, c.Step);
        EXPECT_EQ(at->Stack, c.Stack);
    }
    TScriptPtr script = inspector.TargetScript();
    ASSERT_TRUE(script);
    EXPECT_EQ(inspector.Target == TInspector::TTarget::Map ? 0 : script->Locals[0], c.Local0);
    EXPECT_EQ(Global(7), c.Global7);
    EXPECT_EQ(Global(9), c.Global9);
    std::vector<std::string> events;
    for (size_t i = 0; script->Debug && i < script->Debug->EventCount(); ++i)
        events.push_back(script->Debug->Event(i).Node + " " + script->Debug->Event(i).Result);
    EXPECT_EQ(events, c.Events);
    // The dump carries the inspector for tests and tools to read.
    const std::string dump = DumpJson(G());
    EXPECT_NE(dump.find("\"inspector\": {"), std::string::npos);
    EXPECT_EQ(dump.find("\"pausedAt\"") != std::string::npos, !c.Node.empty());
}

INSTANTIATE_TEST_SUITE_P(Inspector, Inspecting, ::testing::ValuesIn(InspectCases),
                         [](const auto& param) { return std::string(param.param.Name); });

TEST_F(EditorTest, EventRingKeepsTheLastFifty) {
    Data.WriteScript("ticker.sc", TickerScript());
    Load(TickerLocation());
    TScript& script = *Critter(1).Script;
    for (int i = 0; i < 60; ++i) G().Guard([&] { script.Execute("OnClick"); });
    ASSERT_TRUE(script.Debug);
    EXPECT_EQ(script.Debug->EventCount(), 50u);
    EXPECT_EQ(script.Debug->EventTotal, 61u);
    EXPECT_EQ(script.Debug->Event(49).Node, "OnClick");
    // A node the script lacks runs nothing and is no event of it.
    script.Execute("OnHit");
    EXPECT_EQ(script.Debug->EventTotal, 61u);
}

// The whole dump without the inspector's own object.
std::string WithoutInspector(std::string dump) {
    const size_t at = dump.find("\"inspector\": {");
    if (at == std::string::npos) return dump;
    size_t end = dump.find('{', at);
    for (int depth = 0; end < dump.size(); ++end) {
        if (dump[end] == '{') ++depth;
        if (dump[end] == '}' && --depth == 0) break;
    }
    // The comma and line break before it go too.
    const size_t from = dump.rfind(',', at);
    return dump.erase(from, end + 1 - from);
}

// A run that stops at a breakpoint, steps and goes on ends as one that never stopped.
TEST(InspectorPause, TheWorldResumesAsIfNeverPaused) {
    TTestData d;
    UseHome(d);
    d.WriteGame(EditorFiles());
    d.WriteScript("obj_def.sc", "");
    d.WriteScript("ticker.sc", TickerScript());
    d.WriteScript("mapinit.sc", "[OnCreate]\n1=7\n2=11\n3=SETGVAR\n");
    TMapData map = TickerLocation();
    // A wanderer whose walk uses the random generator and the clock.
    map.Critters.push_back(MapCritter("Бродяга", 20, 20, "walker", NpcStats));
    d.WriteScript("walker.sc", "[OnCreate]\n1=300\n2=SETTIMER\n[OnTimer]\n1=SELF\n2=10\n3=RND\n4=20\n5=ADD\n"
                               "6=10\n7=RND\n8=20\n9=ADD\n10=GOTOXY\n");
    d.WriteFile("data/locations/t.map", SerializeMap(map));
    auto run = [&](const std::string& input, int frames) {
        d.WriteFile("input.txt", "0 panel open data/locations/t.map\n" + input);
        TGameOptions o;
        o.Headless = true;
        o.GameParams = {"debug"};
        o.Frames = frames;
        o.Seed = 3;
        o.DataDir = d.Root().string();
        o.InputFile = d.Path("input.txt").string();
        o.DumpFile = d.Path("dump.json").string();
        EXPECT_EQ(RunHeadless(o), 0);
        return d.ReadFile("dump.json");
    };
    const std::string paused = run("1 panel inspect critter 1\n2 panel break OnTimer 6\n80 panel step\n"
                                   "81 panel step\n82 panel local 0 11\n90 panel continue\n",
                                   300);
    ASSERT_NE(paused.find("\"paused\": false"), std::string::npos);
    // The frames the world stood still are those the dump's frame count lacks.
    auto frame = [](const std::string& dump) { return std::stoi(dump.substr(dump.find("\"frame\": ") + 9)); };
    const int stood = frame(run("", 300)) - frame(paused);
    ASSERT_GT(stood, 20);
    const std::string plain = run("", 300 - stood);
    EXPECT_EQ(plain.find("\"inspector\""), std::string::npos);
    EXPECT_EQ(WithoutInspector(paused), plain);
}

}  // namespace
