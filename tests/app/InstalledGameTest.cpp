// How the game finds its files when it is installed: the data folder, a --map given from the player's
// own folder, and the editor's writable copy of read-only data.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/EditorData.h"
#include "support/TestGame.h"

namespace fs = std::filesystem;

TEST(StartUp, MapOptionIsTakenFromTheCurrentFolderFirstThenTheDataFolder) {
    TTestData d;
    d.WriteFile("here/mine.map", "x");
    d.WriteFile("data/data/locations/Loc01.map", "x");
    d.WriteFile("data/mine.map", "x");
    const std::string cwd = (d.Root() / "here").string(), data = (d.Root() / "data").string();
    struct Case {
        std::string given, expected;
    } cases[] = {
        {"mine.map", cwd + "/mine.map"},  // in both: the current folder wins, as a shell would have it
        {"./mine.map", cwd + "/mine.map"},
        {"data\\locations\\loc01.map", "data\\locations\\loc01.map"},  // a game path stays one
        {"gone.map", cwd + "/gone.map"},  // nowhere: the error names the current folder
        {"/abs/x.map", "/abs/x.map"},
        {"", ""},
    };
    for (const Case& c : cases) {
        TGameOptions o;
        o.DataDir = data;
        o.MapFile = c.given;
        ResolveMapOption(o, cwd);
        EXPECT_EQ(o.MapFile, c.expected) << c.given;
    }
}

TEST(StartUp, AHeadlessStartWithoutDataSaysWhyInTheErrors) {
    TTestData d;
    UseHome(d);
    THeadlessPlatform platform;
    TGameOptions o;
    o.DataDir = (d.Root() / "empty").string();
    o.Headless = true;
    TMainForm game(o, platform);
    EXPECT_FALSE(game.Start());
    ASSERT_EQ(game.Errors.size(), 1u);
    EXPECT_EQ(game.Errors[0], NoDataFolderText(o.DataDir));
}

TEST(EditorData, AReadOnlyInstallIsEditedInThePlayersCopyMadeOnceAfterAsking) {
    TTestData d;
    d.WriteFile("install/data/locations/loc01.map", "map");
    d.WriteFile("install/data/data/game.ini", "ini");
    TUserDirs dirs;
    dirs.Data = d.Root() / "home" / "rustwake";
    const fs::path install = d.Root() / "install", copy = dirs.Data / "editor";
    int asked = 0;
    const auto answer = [&](bool yes) {
        return [&asked, yes](const std::string& question) {
            ++asked;
            EXPECT_NE(question.find("editor"), std::string::npos);
            return yes;
        };
    };

    EXPECT_EQ(ChooseEditorData(install, dirs, true, answer(true)), install);  // writable: edited in place
    EXPECT_EQ(ChooseEditorData(install, dirs, false, answer(false)), install);  // declined
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_EQ(ChooseEditorData(install, dirs, false, answer(true)), copy);
    EXPECT_EQ(Slurp(copy / "data" / "locations" / "loc01.map"), "map");
    EXPECT_EQ(Slurp(copy / "data" / "data" / "game.ini"), "ini");
    EXPECT_FALSE(fs::exists(copy / "data.part"));
    EXPECT_EQ(asked, 2);
    // The copy is the player's from now on: never asked again, never copied over.
    d.WriteFile("home/rustwake/editor/data/locations/loc01.map", "changed");
    EXPECT_EQ(ChooseEditorData(install, dirs, false, answer(true)), copy);
    EXPECT_EQ(Slurp(copy / "data" / "locations" / "loc01.map"), "changed");
    EXPECT_EQ(asked, 2);
}

TEST(EditorData, AFailedCopyLeavesNothingHalfMade) {
    TTestData d;
    d.WriteFile("install/data/a.txt", "a");
    d.WriteFile("home/editor", "a file where the folder should go");
    EXPECT_THROW(CopyDataFolder(d.Root() / "install", d.Root() / "home" / "editor"), EFileError);
    EXPECT_FALSE(fs::exists(d.Root() / "home" / "editor" / "data"));
}
