#include <unistd.h>

#include <filesystem>

#include "EditorTestKit.h"
#include "base/Errors.h"
#include "editor/model/FileDialog.h"
#include "editor/view/PanelWindow.h"

namespace fs = std::filesystem;

namespace {

using Outcome = TFileDialog::TOutcome;

class FileDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        Data.WriteFile("data/Locations/Loc01.MAP", "x");
        Data.WriteFile("data/Locations/notes.txt", "x");
        Data.WriteFile("data/Locations/old/cave.map", "x");
        Open.InitialDir = Save.InitialDir = Data.Path("data/Locations");
    }
    TTestData Data;
    TFileDialog Open{TFileDialogKind::Open};
    TFileDialog Save{TFileDialogKind::Save};
};

TEST_F(FileDialogs, ListFoldersThenMapFilesAndBrowse) {
    Open.Execute();
    ASSERT_EQ(Open.Entries.size(), 3u);
    EXPECT_EQ(Open.Entries[0].Name, "..");
    EXPECT_EQ(Open.Entries[1].Name, "old");
    EXPECT_TRUE(Open.Entries[1].Folder);
    EXPECT_EQ(Open.Entries[2].Name, "Loc01.MAP");  // the filter ignores letter case; notes.txt is hidden
    EXPECT_EQ(Open.Pattern(), "*.map");

    Open.Pick(Open.Entries[1]);
    ASSERT_EQ(Open.Entries.size(), 2u);
    EXPECT_EQ(Open.Entries[1].Name, "cave.map");
    Open.Enter("..");
    EXPECT_EQ(Open.Folder, Data.Path("data/Locations"));
}

TEST_F(FileDialogs, OpenTakesOnlyExistingFilesWithTheDefaultExtension) {
    const fs::path cwd = fs::current_path();
    Open.Execute();
    Open.FileName = "loc01";  // extension added, letter case found
    ASSERT_EQ(Open.Accept(), Outcome::Chosen);
    EXPECT_EQ(Open.Result, Data.Path("data/Locations/Loc01.MAP"));
    EXPECT_FALSE(Open.Visible);

    Open.Execute();
    Open.FileName = "missing";
    EXPECT_EQ(Open.Accept(), Outcome::Stay);
    EXPECT_NE(Open.Message.find("missing.map"), std::string::npos);
    Open.FileName = "nowhere/cave.map";
    EXPECT_EQ(Open.Accept(), Outcome::Stay);
    EXPECT_TRUE(Open.Visible);

    Open.FileName = "OLD";  // a folder typed in is entered
    EXPECT_EQ(Open.Accept(), Outcome::Stay);
    EXPECT_EQ(Open.Folder, Data.Path("data/Locations/old"));
    Open.FileName = Data.Path("data/Locations/Loc01.MAP").string();
    EXPECT_EQ(Open.Accept(), Outcome::Chosen);
    EXPECT_EQ(fs::current_path(), cwd);
}

TEST_F(FileDialogs, SaveAsksOnlyBeforeCreatingAFile) {
    Save.Execute();
    Save.FileName = "loc01.map";
    EXPECT_EQ(Save.Accept(), Outcome::Chosen);  // overwritten without asking

    Save.Execute();
    Save.FileName = "fresh";
    ASSERT_EQ(Save.Accept(), Outcome::Confirm);
    EXPECT_EQ(Save.Pending, Data.Path("data/Locations/fresh.map"));
    EXPECT_EQ(Save.Confirm(false), Outcome::Stay);
    EXPECT_TRUE(Save.Visible);
    ASSERT_EQ(Save.Accept(), Outcome::Confirm);
    EXPECT_EQ(Save.Confirm(true), Outcome::Chosen);
    EXPECT_EQ(Save.Result, Data.Path("data/Locations/fresh.map"));

    Save.Execute();
    Save.FileName = "no/such/folder/x.map";
    EXPECT_EQ(Save.Accept(), Outcome::Stay);
    EXPECT_FALSE(Save.Message.empty());
}

using Saving = EditorTest;

TEST_F(Saving, WarnsAboutWhatTheDataFolderLacksAndSavesAllTheSame) {
    TMapData map = Location();
    map.MapScript = "intro";
    map.Critters[2].Skin = "ghost";
    map.Critters[3].ScriptName = "guard";
    map.Objects[0].ImageName = "statue";
    map.Objects[1].ScriptName = "";  // the default script, which exists
    map.Objects.push_back(Thing("Ещё", 8, 5));
    map.Objects.back().ScriptName = "guard";
    Load(map);
    W().PatternName = "pattern9";
    G().Errors.clear();

    G().PanelCommand("save data/locations/out");
    ASSERT_TRUE(fs::exists(Data.Path("data/locations/out.map")));
    ASSERT_EQ(G().Errors.size(), 1u);
    const std::string& warning = G().Errors[0];
    for (const char* part : {"data\\scripts\\intro.sc: the map", "pattern \"pattern9\"",
                             "picture \"ghost_idle\" (Critters.lst): critter 2 \"Торговец\"",
                             "data\\scripts\\guard.sc: critter 3 \"Бродяга\", object 3 \"Ещё\"",
                             "picture \"statue\" (Objects.lst): object 0 \"Ящик\""})
        EXPECT_NE(warning.find(part), std::string::npos) << part << "\n" << warning;
    EXPECT_EQ(warning.find("obj_def"), std::string::npos) << warning;
    EXPECT_EQ(warning.find("counter"), std::string::npos) << warning;

    // A location that names only what exists saves quietly.
    Load(Location());
    G().Errors.clear();
    G().PanelCommand("save data/locations/out.map");
    EXPECT_TRUE(G().Errors.empty()) << G().Errors[0];
}

TEST_F(Saving, OpenAndSaveLinesGoThroughTheDialogRules) {
    Load(Location());
    G().PanelCommand("select critter 1");
    G().PanelCommand("click DelCritterButton");
    G().PanelCommand("save DATA/LOCATIONS/Edited");  // new file, letter case of the folders found
    ASSERT_TRUE(fs::exists(Data.Path("data/locations/Edited.map")));
    EXPECT_EQ(P().History.UndoCount(), 1u);  // saving keeps the history

    G().PanelCommand("open " + Data.Path("data/locations/test.map").string());
    EXPECT_EQ(W().CritterCount(), 4);
    EXPECT_EQ(P().History.UndoCount(), 0u);
    G().PanelCommand("open data/locations/edited");
    EXPECT_EQ(P().CritterListBox.Items, (std::vector<std::string>{"Игрок", "Торговец", "Бродяга"}));
    EXPECT_THROW(G().PanelCommand("save nowhere/x.map"), EGameError);
}

TEST_F(Saving, SaveDialogThenMenuSaveWritesTheChosenFile) {
    P().SaveMenuClick();
    ASSERT_TRUE(P().SaveDialog.Visible);
    EXPECT_EQ(P().SaveDialog.Folder, Data.Path("data/locations"));
    P().SaveDialog.FileName = "menu";
    ASSERT_EQ(P().SaveDialog.Accept(), Outcome::Confirm);
    ASSERT_EQ(P().SaveDialog.Confirm(true), Outcome::Chosen);
    P().SaveMapFile(P().SaveDialog.Result.string());
    EXPECT_EQ(Data.ReadFile("data/locations/menu.map"), Saved());
}

// The panel drawn without any window: recognisable as a picture of the right size.
TEST_F(Saving, PanelScreenshotNeedsNoWindow) {
    Load(Location());
    G().PanelCommand("page Critter");
    std::string error;
    const std::string path = Data.Path("panel.png").string();
    ASSERT_TRUE(WritePanelScreenshot(G(), path, error)) << error;
    std::string png = Data.ReadFile("panel.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    auto be32 = [&](size_t at) {
        return uint32_t(uint8_t(png[at])) << 24 | uint32_t(uint8_t(png[at + 1])) << 16 |
               uint32_t(uint8_t(png[at + 2])) << 8 | uint32_t(uint8_t(png[at + 3]));
    };
    EXPECT_EQ(be32(16), 174u);
    EXPECT_EQ(be32(20), 560u);
    // The view only reads the panel.
    EXPECT_EQ(W().CritterCount(), 4);
    EXPECT_EQ(P().History.UndoCount(), 0u);
}


// The editor started as `scripts/play.sh debug` starts it: from the repository's top with a relative data
// folder, and the other forms --data takes. Opening and saving must find the files of that folder.
class DataFolderForms : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        Demo = DemoDataDir();
        if (Demo.empty()) GTEST_SKIP() << "no demo data";
        Top = fs::current_path();
        fs::current_path(RW_SOURCE_DIR);
        Saved = "data/locations/~form" + std::to_string(::getpid()) + ".map";
    }
    void TearDown() override {
        if (Demo.empty()) return;
        std::error_code ec;
        fs::remove(fs::path(Demo) / Saved, ec);
        fs::current_path(Top);
    }
    // The demo folder as the form under test spells it.
    std::string DataArgument() const {
        const std::string relative = fs::path(Demo).lexically_relative(RW_SOURCE_DIR).string();
        const std::string form = GetParam();
        if (form == "relative") return relative;
        if (form == "trailing slash") return relative + "/";
        if (form == "dot dot") return "./" + relative + "/../" + fs::path(relative).filename().string();
        return Demo;
    }
    std::string Demo, Saved;
    fs::path Top;
};

TEST_P(DataFolderForms, EditorOpensEditsAndSavesALocation) {
    TGameOptions options;
    options.DataDir = DataArgument();
    options.GameParams = {"debug"};
    options.Seed = 1;
    options.Headless = true;
    THeadlessPlatform platform;
    TMainForm game(options, platform);
    ASSERT_TRUE(game.Start()) << options.DataDir;

    // The menu's dialog, as a person uses it.
    TControlForm& panel = game.ControlForm;
    panel.LoadPatternClick();
    panel.OpenDialog.FileName = "loc02";
    ASSERT_EQ(panel.OpenDialog.Accept(), Outcome::Chosen) << panel.OpenDialog.Message;
    panel.OpenMapFile(panel.OpenDialog.Result.string());
    ASSERT_TRUE(game.Errors.empty()) << game.Errors[0];
    const int critters = game.World.CritterCount();
    ASSERT_GT(critters, 1);

    game.PanelCommand("select critter 1");
    game.PanelCommand("click DelCritterButton");
    panel.SaveMenuClick();
    panel.SaveDialog.FileName = fs::path(Saved).filename().string();
    ASSERT_EQ(panel.SaveDialog.Accept(), Outcome::Confirm) << panel.SaveDialog.Message;
    ASSERT_EQ(panel.SaveDialog.Confirm(true), Outcome::Chosen);
    panel.SaveMapFile(panel.SaveDialog.Result.string());
    ASSERT_TRUE(fs::exists(fs::path(Demo) / Saved));

    // The headless input's lines take the same path.
    game.PanelCommand("open data/locations/loc02.map");
    EXPECT_EQ(game.World.CritterCount(), critters);
    game.PanelCommand("open " + Saved);
    EXPECT_EQ(game.World.CritterCount(), critters - 1);
    game.PanelCommand("save " + Saved);
    EXPECT_TRUE(game.Errors.empty()) << game.Errors[0];
}

INSTANTIATE_TEST_SUITE_P(Editor, DataFolderForms, ::testing::Values("relative", "trailing slash", "dot dot", "absolute"),
                         [](const auto& test) {
                             std::string name = test.param;
                             std::erase(name, ' ');
                             return name;
                         });

}  // namespace
