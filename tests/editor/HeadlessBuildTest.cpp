// A location built from nothing with the panel and the mouse, as an input
// file drives the headless game, then saved, loaded again and played.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Headless.h"
#include "support/TestGame.h"
#include "world/MapFormat.h"

TEST(HeadlessEditing, AnInputFileBuildsSavesAndReloadsALocation) {
    if (DemoDataDir().empty()) GTEST_SKIP() << "no demo data built";
    TTestData out;
    std::string saved = out.Path("built.map").string();
    out.WriteFile("build.txt",
                  "0 panel page Brush\n"
                  "1 move 100 100\n2 down left\n3 move 140 100\n4 up left\n"  // walk blocks on (5,10) and (7,10)
                  "5 panel set ShootBlockRadioButton 1\n"
                  "6 move 200 200\n7 down left\n8 up left\n"  // a shoot block on (10,20)
                  "9 panel page Critter\n"
                  "10 panel set HPSpinEdit 77\n"
                  "11 move 300 300\n12 down right\n13 up right\n"  // a critter on (15,30)
                  "14 panel set NameLabeledEdit Часовой\n"
                  "15 panel set SkinComboBox raider\n"
                  "16 panel click ApplyButton\n"
                  "17 move 400 300\n18 down right\n19 up right\n"  // another on (20,30)
                  "20 panel page Objects\n"
                  "21 panel set ImageComboBox crate\n"
                  "22 move 500 250\n23 down right\n24 up right\n"  // a crate on (25,25)
                  "25 panel page General\n"
                  "26 panel set MapScrLabeledEdit loc01\n"
                  "27 panel save " + saved + "\n");
    TGameOptions o = DemoRun(30, 3);
    o.InputFile = out.Path("build.txt").string();
    o.DumpFile = out.Path("build.json").string();
    ASSERT_EQ(RunHeadless(o), 0);
    EXPECT_NE(out.ReadFile("build.json").find("\"errors\": []"), std::string::npos) << out.ReadFile("build.json");

    TMapData map = ParseMap(out.ReadFile("built.map"), saved);
    auto cell = [&](int x, int y) { return map.Grid[size_t(x) * MapRows + size_t(y)]; };
    EXPECT_EQ(cell(5, 10).WalkBlock, 1);
    EXPECT_EQ(cell(7, 10).WalkBlock, 1);
    EXPECT_EQ(cell(10, 20).ShootBlock, 1);
    EXPECT_EQ(cell(10, 20).WalkBlock, 0);
    EXPECT_EQ(map.MapScript, "loc01");
    ASSERT_EQ(map.Critters.size(), 3u);
    EXPECT_EQ(map.Critters[1].Label, "Часовой");
    EXPECT_EQ(map.Critters[1].Skin, "raider");
    EXPECT_EQ(map.Critters[1].HP, 77);
    EXPECT_EQ(map.Critters[1].StartX, 15);
    EXPECT_EQ(map.Critters[1].StartY, 30);
    EXPECT_EQ(map.Critters[2].Label, "NPC2");
    ASSERT_EQ(map.Objects.size(), 1u);
    EXPECT_EQ(map.Objects[0].ImageName, "crate");
    EXPECT_EQ(map.Objects[0].X, 25);
    EXPECT_EQ(map.Objects[0].Y, 25);

    // It plays: loaded at start-up, its map script greets, nothing fails.
    o.InputFile.clear();
    o.MapFile = saved;
    o.Frames = 100;
    o.DumpFile = out.Path("play.json").string();
    ASSERT_EQ(RunHeadless(o), 0);
    std::string dump = out.ReadFile("play.json");
    EXPECT_NE(dump.find("\"errors\": []"), std::string::npos) << dump.substr(0, 300);
    EXPECT_NE(dump.find("\"label\": \"Часовой\""), std::string::npos);
    EXPECT_NE(dump.find("Свалка у старой трассы"), std::string::npos);
}
