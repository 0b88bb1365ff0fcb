// The tutorial docs/first-location.md, followed as written: its scripts go
// into a copy of the demo data, its input file drives the headless editor,
// and the location it saves plays.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "base/Text.h"
#include "critters/Critter.h"
#include "platform/Headless.h"
#include "support/TestGame.h"
#include "world/Obj.h"

namespace fs = std::filesystem;

namespace {

struct TTutorial {
    std::vector<std::pair<std::string, std::string>> Scripts;  // file name, text
    std::string Input;
};

// Every ```ini block that follows a line naming `data/scripts/NAME.sc`, and the ```input block.
TTutorial ReadTutorial() {
    std::ifstream in(fs::path(RW_SOURCE_DIR) / "docs/first-location.md");
    TTutorial t;
    std::string named, line;
    while (std::getline(in, line)) {
        if (size_t at = line.find("`data/scripts/"); at != std::string::npos)
            named = line.substr(at + 14, line.find('`', at + 1) - at - 14);
        if (line != "```ini" && line != "```input") continue;
        std::string block;
        const bool input = line == "```input";
        while (std::getline(in, line) && line != "```") block += line + "\n";
        if (input)
            t.Input = block;
        else if (!named.empty())
            t.Scripts.emplace_back(named, block);
        named.clear();
    }
    return t;
}

TEST(Tutorial, TheFirstLocationIsBuiltAsTheGuideSays) {
    if (DemoDataDir().empty()) GTEST_SKIP() << "no demo data built";
    const TTutorial tutorial = ReadTutorial();
    ASSERT_EQ(tutorial.Scripts.size(), 2u);
    ASSERT_FALSE(tutorial.Input.empty());

    // The demo data by links, with folders of its own for scripts and locations.
    TTestData d;
    UseHome(d);
    fs::create_directories(d.Root() / "data");
    for (const auto& entry : fs::directory_iterator(fs::path(DemoDataDir()) / "data")) {
        const std::string name = entry.path().filename().string();
        if (name == "scripts" || name == "locations")
            fs::copy(entry.path(), d.Root() / "data" / name, fs::copy_options::recursive);
        else
            fs::create_directory_symlink(entry.path(), d.Root() / "data" / name);
    }
    for (const auto& [file, text] : tutorial.Scripts) d.WriteScript(file, text);

    // The count the guide promises: a panel line or a mouse press is one action.
    int actions = 0;
    std::istringstream lines(tutorial.Input);
    for (std::string l; std::getline(lines, l);)
        if (l.find(" panel ") != std::string::npos || l.find(" down ") != std::string::npos) ++actions;
    EXPECT_LE(actions, 60);

    d.WriteFile("input.txt", tutorial.Input);
    TGameOptions o = DemoRun(70, 1);
    o.DataDir = d.Root().string();
    o.InputFile = d.Path("input.txt").string();
    o.DumpFile = d.Path("dump.json").string();
    ASSERT_EQ(RunHeadless(o), 0);
    const std::string dump = d.ReadFile("dump.json");
    EXPECT_NE(dump.find("\"errors\": []"), std::string::npos) << dump.substr(0, 400);

    const TMapData map = ParseMap(d.ReadFile("data/locations/yard.map"), "yard.map");
    EXPECT_EQ(map.PatternName, "pattern2");
    auto cell = [&](int x, int y) { return map.Grid[size_t(x) * MapRows + size_t(y)]; };
    for (auto [x, y] : {std::pair{5, 5}, {20, 5}, {35, 5}, {5, 30}, {20, 45}, {35, 10}, {35, 40}}) {
        EXPECT_EQ(cell(x, y).WalkBlock, 1) << x << "x" << y;
        EXPECT_EQ(cell(x, y).ShootBlock, 1) << x << "x" << y;
    }
    EXPECT_EQ(cell(35, 25).WalkBlock, 0);  // the gate's gap
    EXPECT_EQ(cell(20, 25).WalkBlock, 0);  // the yard
    ASSERT_EQ(map.Critters.size(), 3u);
    EXPECT_EQ(map.Critters[1].Label, "Старик");
    EXPECT_EQ(map.Critters[1].ScriptName, "talker");
    EXPECT_EQ(map.Critters[2].Label, "Бандит");
    EXPECT_EQ(map.Critters[2].Skin, "raider");
    EXPECT_EQ(map.Critters[2].HP, 40);
    ASSERT_EQ(map.Objects.size(), 3u);
    EXPECT_EQ(map.Objects[2].Label, "Ворота");
    EXPECT_EQ(map.Objects[2].ScriptName, "gate");
    EXPECT_EQ(map.Objects[2].X, 35);

    // It plays: the old man talks with two answers, the gate leads on.
    auto g = MakeGame(d);
    ASSERT_TRUE(g->Started);
    TMainForm& game = **g;
    game.ControlForm.OpenMapFile(d.Path("data/locations/yard.map").string());
    game.World.Critters[1]->Click();
    EXPECT_EQ(game.ScreenMode, smDialog);
    EXPECT_EQ(game.Dialog.Answers.size(), 2u);
    game.World.Objects[2]->Click();
    EXPECT_EQ(game.World.PatternName, "pattern1");
    EXPECT_TRUE(game.Errors.empty()) << game.Errors.front();
}

}  // namespace
