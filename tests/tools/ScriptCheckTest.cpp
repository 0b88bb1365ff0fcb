// rustwake-script check, run as an author runs it: each planted fault is
// found and named, a sound script passes without a word.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>

#include "base/Text.h"
#include "support/TestData.h"
#include "world/MapFormat.h"

namespace {

struct TRun {
    std::string Output;
    int Status = -1;
};

TRun RunTool(const std::string& arguments) {
    const std::string command = std::string(RW_BINARY_DIR) + "/rustwake-script " + arguments + " 2>/dev/null";
    TRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 512> buffer;
    while (fgets(buffer.data(), int(buffer.size()), pipe)) run.Output += buffer.data();
    const int status = pclose(pipe);
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

struct TPlanted {
    const char* Name;
    const char* Script;    // UTF-8, written as Windows-1251; "raw:" writes the bytes as they are
    const char* Expected;  // a line of the output, or "" for none
    int Status;
};

const TPlanted Faults[] = {
    {"Clean", "[OnCreate]\n1=SELF\n2=80\n3=SETAMMO\n4=Привет\n5=ADDCONSOLE\n6=SPOT\n7=CALL\n[Spot]\n1=0\n", "", 0},
    {"MisspeltCommand", "[OnCreate]\n1=HI\n2=ADDCONSOL\n",
     "s.sc:OnCreate:2: error: \"ADDCONSOL\" is not a command and is pushed as a text: did you mean ADDCONSOLE?", 1},
    {"TwoEdits", "[OnCreate]\n1=0\n2=1\n3=1\nx=GOTOXYY\n", "s.sc:OnCreate:x: error: \"GOTOXYY\"", 1},
    {"CyrillicLookalike", "[OnCreate]\n1=1\n2=2\n3=АDD\n", "did you mean ADD?", 1},
    {"MissingLabel", "[OnCreate]\n1=Loop\n2=GOTO\n",
     "s.sc:OnCreate:2: error: GOTO to label LOOP, which this node lacks", 1},
    {"MissingIfGotoLabel", "[OnClick]\n1=1\n2=DONE\n3=IFGOTO\n", "IFGOTO to label DONE, which this node lacks", 1},
    {"MissingNode", "[OnCreate]\n1=1\n2=Warn\n3=IFCALL\n",
     "s.sc:OnCreate:3: error: IFCALL of node WARN, which this file lacks", 1},
    {"MisspeltEvent", "[OnTimmer]\n1=0\n",
     "s.sc:OnTimmer:-: warning: node is named like an event but is none: did you mean OnTimer?", 0},
    {"Underflow", "[OnCreate]\n1=5\n2=ADD\n",
     "s.sc:OnCreate:2: error: ADD takes 2 values but the steps before it leave at most 1 on the stack", 1},
    {"UnderflowAfterCommands", "[OnHit]\n1=SELF\n2=GETHP\n3=0\n4=GOTOXY\n",
     "OnHit:4: error: GOTOXY takes 3 values but the steps before it leave at most 2", 1},
    {"LowerCaseText", "[OnCreate]\n1=Hello\n2=ADDCONSOLE\n",
     "s.sc:OnCreate:1: warning: \"Hello\" has lower-case Latin letters; the game reads it as \"HELLO\"", 0},
    {"Utf8Text", "raw:[OnCreate]\n1=\xD0\x9F\xD1\x80\xD0\xB8\n2=ADDCONSOLE\n", "s.sc:-:-: error: is UTF-8 text", 1},
    {"ByteOrderMark", "raw:\xEF\xBB\xBF[OnCreate]\n1=0\n", "s.sc:-:-: warning: starts with a UTF-8 byte-order mark", 0},
};

class ScriptCheck : public ::testing::TestWithParam<TPlanted> {};

TEST_P(ScriptCheck, FindsThePlantedFault) {
    const TPlanted& p = GetParam();
    TTestData data;
    const std::string script = p.Script;
    if (script.rfind("raw:", 0) == 0)
        data.WriteFile("s.sc", script.substr(4));
    else
        data.WriteFile("s.sc", Utf8ToCp1251(script));
    const TRun run = RunTool("check " + data.Path("s.sc").string());
    EXPECT_EQ(run.Status, p.Status) << run.Output;
    if (*p.Expected)
        EXPECT_NE(run.Output.find(p.Expected), std::string::npos) << run.Output;
    else
        EXPECT_EQ(run.Output, "");
}

INSTANTIATE_TEST_SUITE_P(Planted, ScriptCheck, ::testing::ValuesIn(Faults),
                         [](const auto& test) { return std::string(test.param.Name); });

// A data folder: its scripts, and what its locations name.
TEST(ScriptCheckData, LocationsNameOnlyWhatExists) {
    TTestData data;
    data.WriteFile("data/Images/Critters/Critters.lst", "metal_idle\r\n");
    data.WriteFile("data/Images/Objects/Objects.lst", "crate\r\n");
    data.WriteFile("data/Images/Locations/Locations.lst", "pattern1\r\n");
    data.WriteScript("obj_def.sc", "");
    data.WriteScript("guard.sc", "[OnClick]\n1=ADDCONSOL\n");
    TMapData map;
    map.MapScript = "intro";
    map.Critters.resize(2);
    map.Critters[0].Skin = "metal";
    map.Critters[0].ScriptName = "obj_def";
    map.Critters[1].Skin = "ghost";
    map.Critters[1].ScriptName = "guard";
    map.Objects.resize(1);
    map.Objects[0].ImageName = "statue";
    data.WriteFile("data/locations/loc01.map", SerializeMap(map));

    const TRun run = RunTool("check --data " + data.Root().string());
    EXPECT_EQ(run.Status, 1);
    for (const char* line : {"data/scripts/guard.sc:OnClick:1: error: \"ADDCONSOL\"",
                             "loc01.map:location:script: error: script \"intro\" has no file",
                             "loc01.map:critter 1:skin: error: picture \"ghost_idle\" is not in Critters.lst",
                             "loc01.map:object 0:picture: error: picture \"statue\" is not in Objects.lst"})
        EXPECT_NE(run.Output.find(line), std::string::npos) << line << "\n" << run.Output;
    EXPECT_EQ(run.Output.find("obj_def"), std::string::npos) << run.Output;
    EXPECT_EQ(run.Output.find("guard.sc has no file"), std::string::npos) << run.Output;
}

}  // namespace
