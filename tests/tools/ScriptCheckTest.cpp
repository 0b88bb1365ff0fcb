// rustwake-script check, run as an author runs it: each planted fault is
// found and named, a sound script passes without a word.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
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
    {"CyrillicLookalike", "[OnCreate]\n1=1\n2=2\n3=АDD\n", "did you mean ADD? (letter 'А' is Cyrillic (U+0410))", 1},
    // Values an earlier event left are there for the next one.
    {"StackLeftByOnCreate", "[OnCreate]\n1=4\n[OnClick]\n1=1\n2=ADD\n", "", 0},
    {"InlineComment", "[OnCreate]\n1=SELF\n2=80 ; патроны\n3=SETAMMO\n",
     "s.sc:OnCreate:2: warning: \"80 ; патроны\" is one value, comment and all", 1},
    {"NearMissEvent", "[OnDeath]\n1=0\n", "s.sc:OnDeath:-: warning: node is named like an event but is none: did you mean OnDie?", 0},
    {"RepeatedKey", "[OnCreate]\n1=1\n1=2\n", "s.sc:OnCreate:1: error: key 1 appears twice", 1},
    {"RepeatedNode", "[OnClick]\n1=1\n[OnClick]\n1=2\n", "s.sc:OnClick:-: error: node OnClick appears twice", 1},
    {"TextWhereANumberGoes", "[OnCreate]\n1=SELF\n2=ABC\n3=SETAMMO\n",
     "s.sc:OnCreate:3: error: SETAMMO needs a number, but the step before pushes \"ABC\"", 1},
    {"EmptyValue", "[OnCreate]\n1=\n2=ADDCONSOLE\n", "s.sc:OnCreate:1: warning: the value is empty", 0},
    {"DivisionByZero", "[OnCreate]\n1=5\n2=0\n3=DIV\n", "s.sc:OnCreate:3: error: DIV by the literal 0", 1},
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

// With --data, the names of waves, portraits and locations a script uses must exist.
TEST(ScriptCheckData, NamesTheDataFolderLacks) {
    TTestData data;
    data.WriteFile("data/data/game.ini", Utf8ToCp1251("[Main]\nSounds=1\nHeads=1\n[Sounds]\nSound0=Console\n"
                                                     "[Heads]\nHead0=elder\n"));
    data.WriteFile("data/locations/loc01.map", SerializeMap(TMapData{}));
    data.WriteScript("a.sc", "[OnClick]\n1=Console\n2=PLAYSOUND\n3=ELDER\n4=STARTDIALOG\n5=LOC01\n6=LOADMAP\n"
                             "[OnTimer]\n1=Boom\n2=PLAYSOUND\n3=GHOST\n4=STARTDIALOG\n5=Nowhere\n6=LOADMAP\n");
    const TRun run = RunTool("check " + data.Path("data/scripts/a.sc").string() + " --data " + data.Root().string());
    EXPECT_EQ(run.Status, 1);
    for (const char* line : {"a.sc:OnTimer:2: error: PLAYSOUND of wave BOOM", "a.sc:OnTimer:4: error: STARTDIALOG with portrait GHOST",
                             "a.sc:OnTimer:6: error: LOADMAP of NOWHERE"})
        EXPECT_NE(run.Output.find(line), std::string::npos) << line << "\n" << run.Output;
    EXPECT_EQ(run.Output.find(":OnClick:"), std::string::npos) << run.Output;
}

// Every script example of the guides and the whole demo pass without a word.
TEST(ScriptCheckCorpus, TheGuidesAndTheDemoAreClean) {
    TTestData data;
    int n = 0;
    for (const char* document : {"docs/scripting.md", "README.md", "docs/first-location.md"}) {
        std::ifstream in(std::filesystem::path(RW_SOURCE_DIR) / document);
        for (std::string line; std::getline(in, line);) {
            if (line != "```ini") continue;
            std::string block;
            while (std::getline(in, line) && line != "```") block += line + "\n";
            // Three examples show on purpose what the checker is there to catch: Latin
            // letters upper-cased, a division by zero, a call of a missing node.
            if (block.find("Welcome to the camp.") != std::string::npos ||
                block.find("Never reached") != std::string::npos || block.find("NOSUCHNODE") != std::string::npos)
                continue;
            data.WriteFile("examples/" + std::to_string(++n) + ".sc", Utf8ToCp1251(block));
        }
    }
    ASSERT_GT(n, 50);
    const TRun examples = RunTool("check " + data.Path("examples").string());
    EXPECT_EQ(examples.Output, "");
    EXPECT_EQ(examples.Status, 0);
    const std::string demo = std::string(RW_BINARY_DIR) + "/demo";
    if (!std::filesystem::exists(demo + "/data")) GTEST_SKIP() << "no demo data";
    const TRun run = RunTool("check --data " + demo);
    EXPECT_EQ(run.Output, "");
    EXPECT_EQ(run.Status, 0);
}

}  // namespace
