#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "app/SaveGame.h"
#include "critters/Critter.h"
#include "support/TestGame.h"
#include "world/MapFormat.h"

namespace {

class Menu : public ::testing::Test {
protected:
    void SetUp() override {
        Data.WriteGame({});
        WriteMenuFiles(Data);
        WriteFirstLocation(Data, 5, 5);
        UseHome(Data);
    }
    // The music's working copy, in the player's cache folder.
    std::filesystem::path Copy() const { return Data.Root() / "home" / "XDG_CACHE_HOME" / "rustwake" / "temp.mp3"; }
    TMainForm& Start() {
        G = MakeGame(Data, {.Debug = false});
        EXPECT_TRUE(G->Started);
        return **G;
    }
    void Frame(uint32_t ms = 10) {
        G->Platform.VirtualClock.Advance(ms);
        (*G)->Tick();
    }
    void SkipSplash() {
        for (int i = 0; i < 200 && (*G)->Menu.SubState == 1; ++i) Frame(46);
        ASSERT_EQ((*G)->Menu.SubState, 0);
    }
    void Click(int x, int y, int button = mbLeft) {
        (*G)->DXDrawMouseMove(x, y);
        (*G)->DXDrawMouseDown(button, x, y);
        (*G)->DXDrawMouseUp(button, x, y);
    }
    TTestData Data;
    std::unique_ptr<TTestGame> G;
};

}  // namespace

TEST_F(Menu, SplashLastsNineSecondsThenTheMusicStarts) {
    TMainForm& g = Start();
    EXPECT_EQ(g.Menu.SubState, 1);
    EXPECT_FALSE(g.MusicOn);
    Frame(8990);
    EXPECT_EQ(g.Menu.SubState, 1);
    Frame(46);
    EXPECT_EQ(g.Menu.SubState, 0);
    EXPECT_EQ(g.DXT.Interval, 10u);
    EXPECT_TRUE(g.MusicOn);
    EXPECT_EQ(g.Platform.MusicPlayer().FileName, Copy().string());
    EXPECT_FALSE(std::filesystem::exists(Data.Path("temp.mp3")));  // never in the data folder
}

TEST_F(Menu, MusicCopyLeavesAPlantedLinkAndItsVictimAlone) {
    Data.WriteFile("victim.txt", "precious");
    std::filesystem::create_directories(Copy().parent_path());
    std::filesystem::create_symlink(Data.Path("victim.txt"), Copy());
    G = MakeGame(Data, {.Debug = false});
    SkipSplash();
    EXPECT_EQ(Data.ReadFile("victim.txt"), "precious");
    // A new game first removes the working copy (the link itself), then copies afresh.
    Click(100, 130);
    ASSERT_EQ((*G)->ScreenMode, smGame);
    EXPECT_EQ(Data.ReadFile("victim.txt"), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(Copy()));
    EXPECT_EQ(Slurp(Copy()), "game music");
}

TEST_F(Menu, AFailedWaveIsReportedBeforeWhatItCauses) {
    Data.WriteFile("data/sounds/player_fire.wav", "not a wave");
    TMapData map;
    map.Critters.resize(1);
    map.Critters[0].StartX = map.Critters[0].StartY = 5;
    map.MapScript = "town";
    Data.WriteFile("data/locations/loc01.map", SerializeMap(map));
    Data.WriteScript("town.sc", "[OnCreate]\n1=hello\n2=ADDCONSOLE\n");
    G = MakeGame(Data, {.Debug = false});
    SkipSplash();
    Click(100, 130);
    const auto& errors = (*G)->Errors;
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].find("player_fire.wav"), std::string::npos) << errors[0];
    EXPECT_EQ(errors[1].substr(0, 25), "Wave 'Console' not found\n") << errors[1];
}

TEST_F(Menu, ButtonRectanglesAndTheirSounds) {
    TMainForm& g = Start();
    SkipSplash();
    g.DXWL.PlayLog.clear();
    // x = 60 is inside new game but left of the credits button.
    Click(60, 170);
    EXPECT_EQ(g.Menu.SubState, 0);
    EXPECT_TRUE(g.DXWL.PlayLog.empty());

    // Press on credits, drag out, release outside: in, out, out and no action.
    g.DXDrawMouseMove(100, 170);
    g.DXDrawMouseDown(mbLeft, 100, 170);
    g.DXDrawMouseMove(300, 300);
    g.DXDrawMouseUp(mbLeft, 300, 300);
    EXPECT_EQ(g.DXWL.PlayLog, (std::vector<std::string>{"ButIn", "ButOut", "ButOut"}));
    EXPECT_EQ(g.Menu.SubState, 0);

    // A right click does nothing; the right button's release still acts for a left-pressed button.
    Click(100, 170, mbRight);
    EXPECT_EQ(g.Menu.SubState, 0);
    g.DXDrawMouseDown(mbLeft, 100, 170);
    g.DXDrawMouseUp(mbRight, 100, 170);
    EXPECT_EQ(g.Menu.SubState, 2);
}

TEST_F(Menu, NewGameAtTheEdgeOfItsButtonLoadsTheFirstLocation) {
    TMainForm& g = Start();
    SkipSplash();
    Click(60, 130);
    EXPECT_EQ(g.ScreenMode, smGame);
    ASSERT_EQ(g.World.CritterCount(), 1);
    EXPECT_EQ(g.View.ScrollX, -800);
    EXPECT_EQ(g.View.ScrollY, 0);
    EXPECT_GE(g.World.Critters[0]->ImageIndex, -1);
    EXPECT_NE(g.Platform.MusicPlayer().FileName.find("temp.mp3"), std::string::npos);
    EXPECT_TRUE(g.DXWL.Find("ButIn") >= 0);  // the menu's waves stay for the panel buttons
}

TEST_F(Menu, CreditsPauseWithSpaceAndEndAtTheirLastLine) {
    TMainForm& g = Start();
    SkipSplash();
    Click(100, 170);
    ASSERT_EQ(g.Menu.SubState, 2);
    Frame(1000);
    g.DXI.Live[VK_SPACE] = true;
    Frame();
    Frame();  // held: still one toggle
    g.DXI.Live[VK_SPACE] = false;
    EXPECT_TRUE(g.Menu.Paused);
    uint32_t frozen = g.Menu.PausedElapsed;
    Frame(5000);
    EXPECT_EQ(g.Menu.PausedElapsed, frozen);
    g.DXI.Live[VK_SPACE] = true;
    Frame();
    g.DXI.Live[VK_SPACE] = false;
    Frame();
    EXPECT_FALSE(g.Menu.Paused);
    EXPECT_EQ(g.Now() - g.Menu.PhaseStart, frozen + 10);  // one frame since the resume

    // P = 6856 (616 + 16 * 390) is the first offset with no line left.
    G->Platform.VirtualClock.Set(g.Menu.PhaseStart + 6855 * 50);
    (*G)->Tick();
    EXPECT_EQ(g.Menu.SubState, 2);
    G->Platform.VirtualClock.Set(g.Menu.PhaseStart + 6856 * 50);
    (*G)->Tick();
    EXPECT_EQ(g.Menu.SubState, 0);
    EXPECT_FALSE(g.Closed);
}

TEST_F(Menu, TheMenuButtonReturnsWithEverythingReset) {
    TMainForm& g = Start();
    SkipSplash();
    Click(100, 130);
    ASSERT_EQ(g.ScreenMode, smGame);
    g.Scripts.GlobalVars[3] = 1;
    g.AddConsole("hello");
    g.View.RightHeld = true;
    Click(200, 450);  // the panel's menu button asks first
    EXPECT_EQ(g.ScreenMode, smGame);
    EXPECT_EQ(g.Pause.Page, TPauseMenu::ConfirmExit);
    Click(400, 305);  // "Да, выйти"
    EXPECT_EQ(g.ScreenMode, smMainMenu);
    EXPECT_EQ(g.Menu.SubState, 0);
    EXPECT_EQ(g.Scripts.GlobalVars[3], 0);
    EXPECT_TRUE(g.ConsoleLines.empty());
    EXPECT_FALSE(g.View.RightHeld);
    EXPECT_TRUE(g.FirstLoad);
    EXPECT_FALSE(g.World.DrawList);
    EXPECT_TRUE(g.MusicOn);
}

TEST_F(Menu, MissingMusicSilencesTheWholeRun) {
    std::filesystem::remove(Data.Path("data/Music/MainMenu.mp3"));
    TMainForm& g = Start();
    SkipSplash();
    EXPECT_TRUE(g.MusicBroken);
    Click(100, 130);
    EXPECT_EQ(g.ScreenMode, smGame);
    EXPECT_FALSE(g.MusicOn);  // loc01.mp3 exists, but music stays off once broken
    g.FormDestroy();
    EXPECT_FALSE(std::filesystem::exists(Copy()));
}

TEST_F(Menu, WithoutAWorkingCopyTheTracksPlayInPlaceThroughNewGameMenuAndLoad) {
    // A folder standing at the copy's place fails every copy, as a cache the player cannot write would;
    // the data folder (read-only when installed) is never written.
    std::filesystem::create_directories(Copy() / "x");
    std::vector<std::string> logged;
    TMainForm& g = Start();
    g.LogHook = [&](const std::string& line) { logged.push_back(line); };
    const auto listing = [&] {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::recursive_directory_iterator(Data.Root() / "data")) names.push_back(e.path());
        std::sort(names.begin(), names.end());
        return names;
    };
    const auto before = listing();
    SkipSplash();
    const auto playing = [&](const char* track) {
        EXPECT_TRUE(g.MusicOn) << track;
        EXPECT_FALSE(g.MusicBroken) << track;
        EXPECT_NE(g.Platform.MusicPlayer().FileName.find(track), std::string::npos) << g.Platform.MusicPlayer().FileName;
    };
    playing("MainMenu.mp3");
    Click(100, 130);
    ASSERT_EQ(g.ScreenMode, smGame);
    playing("loc01.mp3");
    ASSERT_TRUE(SaveGameSlot(g, 1));
    g.StartMainMenu();
    playing("MainMenu.mp3");
    ASSERT_TRUE(LoadGameSlot(g, 1));
    ASSERT_EQ(g.ScreenMode, smGame);
    playing("loc01.mp3");
    EXPECT_EQ(listing(), before);
    EXPECT_TRUE(std::any_of(logged.begin(), logged.end(), [](const std::string& l) {
        return l.find("cannot copy data\\Music\\loc01.mp3 to") != std::string::npos;
    }));
}

TEST_F(Menu, AFailedPlayIsLoggedAndTheMainMenuTriesAgain) {
    std::filesystem::rename(Data.Path("data/Music/loc01.mp3"), Data.Path("data/Music/loc01.bak"));
    std::vector<std::string> logged;
    TMainForm& g = Start();
    g.LogHook = [&](const std::string& line) { logged.push_back(line); };
    SkipSplash();
    Click(100, 130);
    ASSERT_EQ(g.ScreenMode, smGame);
    EXPECT_TRUE(g.MusicBroken);
    EXPECT_TRUE(std::any_of(logged.begin(), logged.end(),
                            [](const std::string& l) { return l.find("cannot play") != std::string::npos; }));
    std::filesystem::rename(Data.Path("data/Music/loc01.bak"), Data.Path("data/Music/loc01.mp3"));
    g.StartMainMenu();
    EXPECT_FALSE(g.MusicBroken);
    EXPECT_TRUE(g.MusicOn);
    Click(100, 130);
    EXPECT_TRUE(g.MusicOn);
}

TEST_F(Menu, AMissingFirstLocationLeavesTheGameInTheMenu) {
    std::filesystem::remove(Data.Path("data/locations/loc01.map"));
    TMainForm& g = Start();
    SkipSplash();
    Click(100, 130);
    EXPECT_EQ(g.ScreenMode, smMainMenu);
    ASSERT_EQ(g.Errors.size(), 1u);
    EXPECT_NE(g.Errors[0].find("loc01.map"), std::string::npos);
    Frame();
    EXPECT_EQ(g.Errors.size(), 1u);
}

TEST_F(Menu, ShowCreditsFromAScriptEndsTheProgramAfterTheRoll) {
    Data.WriteScript("end.sc", "[OnClick]\n1=SHOWCREDITS\n2=never\n3=ADDCONSOLE\n");
    TMainForm& g = Start();
    SkipSplash();
    Click(100, 130);
    g.World.Critters[0]->SetScript("end");
    g.World.Critters[0]->Click();
    EXPECT_EQ(g.ScreenMode, smMainMenu);
    EXPECT_EQ(g.Menu.SubState, 2);
    EXPECT_TRUE(g.Menu.CreditsOnly);
    EXPECT_TRUE(g.ConsoleLines.empty());
    Frame();
    g.DXI.Live[VK_ESCAPE] = true;
    Frame();
    EXPECT_TRUE(g.Closed);
    EXPECT_TRUE(G->Platform.WindowClosed);
}

// Each menu file on its own missing or broken: the item stays, empty, and the game starts.
TEST_F(Menu, MissingOrBrokenMenuFilesLeaveEmptyItems) {
    const std::pair<const char*, const char*> files[] = {{"data/Images/Interface/Cursor.bmp", "Cursor"},
                                                         {"data/Images/Interface/MainMenu.bmp", "MainMenu"},
                                                         {"data/Images/Interface/Credits.bmp", "Credits"},
                                                         {"data/Images/Interface/Vorteline.bmp", "Vorteline"},
                                                         {"data/Images/Interface/MMBtn.bmp", "Button"},
                                                         {"data/sounds/Vorteline.wav", "Vorteline"},
                                                         {"data/sounds/ButIn.wav", "ButIn"},
                                                         {"data/sounds/ButOut.wav", "ButOut"}};
    for (bool broken : {false, true}) {
        for (const auto& [file, item] : files) {
            SCOPED_TRACE(std::string(file) + (broken ? " broken" : " missing"));
            const std::string kept = Data.ReadFile(file);
            if (broken)
                Data.WriteFile(file, "not a picture or a wave");
            else
                std::filesystem::remove(Data.Path(file));
            TMainForm& g = Start();
            // A broken file is reported by name; a missing one only logged.
            ASSERT_EQ(g.Errors.size(), broken ? 1u : 0u);
            if (broken) {
                EXPECT_NE(g.Errors[0].find(std::strrchr(file, '/') + 1), std::string::npos) << g.Errors[0];
            }
            if (std::string(file).find(".bmp") != std::string::npos) {
                ASSERT_NE(g.DXIL.FindItem(item), nullptr);
                EXPECT_TRUE(g.DXIL.FindItem(item)->Picture.Empty());
            } else {
                EXPECT_GE(g.DXWL.Find(item), 0);
            }
            SkipSplash();
            Data.WriteFile(file, kept);  // the game screen needs its cursor
            Click(100, 130);
            EXPECT_EQ(g.ScreenMode, smGame);
        }
    }
}
