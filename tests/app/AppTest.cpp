#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/Dump.h"
#include "critters/Critter.h"
#include "platform/Headless.h"
#include "support/TestGame.h"
#include "world/MapFormat.h"

namespace {

void Frame(TTestGame& g, uint32_t ms = 10) {
    g.Platform.VirtualClock.Advance(ms);
    g->Tick();
}

}  // namespace

TEST(CommandLine, DebugIsTheWholeFirstParameterInAnyCase) {
    EXPECT_TRUE(IsDebugParam({"debug"}));
    EXPECT_TRUE(IsDebugParam({"DEBUG"}));
    EXPECT_TRUE(IsDebugParam({"Debug", "x"}));
    EXPECT_FALSE(IsDebugParam({"debug2"}));
    EXPECT_FALSE(IsDebugParam({"x", "debug"}));
    EXPECT_FALSE(IsDebugParam({}));

    TGameOptions o = ParseOptions({"--headless", "Debug", "--frames", "5", "--seed", "7", "--data", "d"});
    EXPECT_EQ(o.GameParams, std::vector<std::string>({"Debug"}));
    EXPECT_TRUE(o.Headless);
    EXPECT_EQ(o.Frames, 5);
    EXPECT_EQ(o.Seed, 7u);
    EXPECT_THROW(ParseOptions({"--frames"}), std::invalid_argument);
    EXPECT_THROW(ParseOptions({"--frames", "ten"}), std::invalid_argument);
    EXPECT_THROW(ParseOptions({"--fly"}), std::invalid_argument);
}

TEST(HeadlessInput, ReadsEventsAndNamesTheBadLine) {
    auto events = ParseInputFile("# comment\n3 move 10 20\n1 down left  # press\n\n2 keydown 112\n", "in.txt");
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].Frame, 1);  // ordered by frame
    EXPECT_EQ(events[0].Kind, TInputEvent::Down);
    EXPECT_EQ(events[2].X, 10);
    try {
        ParseInputFile("0 move 1 2\n5 jump\n", "in.txt");
        FAIL();
    } catch (const EGameError& e) {
        EXPECT_NE(std::string(e.what()).find("\"in.txt\", line 2"), std::string::npos) << e.what();
    }
}

TEST(StartUp, BrokenDataIsReportedByFileNameWithoutCrashing) {
    {
        TTestData d;
        d.WriteGame({});
        std::filesystem::remove(d.Path("data/Images/Critters/Critters.lst"));
        auto g = MakeGame(d);
        EXPECT_FALSE(g->Started);
        ASSERT_FALSE((*g)->Errors.empty());
        EXPECT_NE((*g)->Errors[0].find("Critters.lst"), std::string::npos) << (*g)->Errors[0];
    }
    {
        TTestData d;
        d.WriteGame({});
        d.WriteFile("data/Images/Interface/CursorA.bmp", "not a picture at all");
        auto g = MakeGame(d);
        EXPECT_FALSE(g->Started);
        ASSERT_FALSE((*g)->Errors.empty());
        EXPECT_NE((*g)->Errors[0].find("CursorA.bmp"), std::string::npos) << (*g)->Errors[0];
    }
    {
        TTestData d;
        d.WriteGame({});
        std::filesystem::remove(d.Path("data/data/game.ini"));
        auto g = MakeGame(d);
        EXPECT_FALSE(g->Started);
        ASSERT_FALSE((*g)->Errors.empty());
        EXPECT_NE((*g)->Errors[0].find("game.ini"), std::string::npos);
    }
}

// An 8-bit RLE file of a few dozen bytes declaring width x height: one run of one pixel, then the end.
std::string RleBomb(int32_t width, int32_t height) {
    std::string f = "BM";
    auto put32 = [&f](uint32_t v) {
        for (int i = 0; i < 4; ++i) f += char((v >> (8 * i)) & 0xFF);
    };
    auto put16 = [&f](uint32_t v) { f += char(v & 0xFF), f += char((v >> 8) & 0xFF); };
    put32(14 + 40 + 4 + 4), put32(0), put32(14 + 40 + 4);
    put32(40), put32(uint32_t(width)), put32(uint32_t(height)), put16(1), put16(8), put32(1), put32(4);
    put32(0), put32(0), put32(1), put32(0);
    put32(0x0000FF);
    f += std::string("\x01\x00\x00\x01", 4);
    return f;
}

TEST(StartUp, ForgedPictureSizesAreRefusedNamingTheFile) {
    for (auto [width, height] : {std::pair{16384, 4096}, std::pair{4096, 4096}}) {
        TTestData d;
        TTestGameFiles files;
        for (int i = 0; i < 24; ++i) files.Critters.push_back({"bomb_" + std::to_string(i)});
        d.WriteGame(files);
        for (int i = 0; i < 24; ++i)
            d.WriteFile("data/Images/Critters/bomb_" + std::to_string(i) + ".bmp", RleBomb(width, height));
        auto g = MakeGame(d);
        EXPECT_FALSE(g->Started);
        ASSERT_EQ((*g)->Errors.size(), 1u);
        EXPECT_NE((*g)->Errors[0].find("data\\Images\\Critters\\bomb_0.bmp"), std::string::npos) << (*g)->Errors[0];
    }
}

TEST(StartUp, ListLineLeavingTheDataFolderIsRefused) {
    TTestData d;
    TTestGameFiles files;
    files.Critters.push_back({"metal"});
    d.WriteGame(files);
    d.WriteFile("data/Images/Critters/Critters.lst", "metal\r\n..\\..\\..\\x\r\n");
    d.WriteBmp("x.bmp", 8, 8, 0);
    auto g = MakeGame(d);
    EXPECT_FALSE(g->Started);
    EXPECT_EQ((*g)->Errors, std::vector<std::string>{"Path \"data\\Images\\Critters\\..\\..\\..\\x.bmp\" leaves the data folder"});
}

TEST(StartUp, DebugStartMakesExactlyThePlayer) {
    TTestData d;
    d.WriteGame({});
    auto g = MakeGame(d);
    ASSERT_TRUE(g->Started) << ((*g)->Errors.empty() ? "" : (*g)->Errors[0]);
    TMainForm& game = **g;
    EXPECT_EQ(game.ScreenMode, smGame);
    EXPECT_TRUE(game.DebugMode);
    EXPECT_FALSE(game.FirstLoad);
    EXPECT_TRUE(g->Platform.Panel);
    ASSERT_EQ(game.World.CritterCount(), 1);
    EXPECT_EQ(game.World.Critters[0]->X, 30);
    EXPECT_EQ(game.World.Critters[0]->Y, 50);
    EXPECT_EQ(game.ControlForm.CritterListBox.Items, std::vector<std::string>{"Игрок"});
    // The background pieces are the first 25 images, piece (column, row) at row * 5 + column.
    EXPECT_EQ(game.DXIL.Item(0).Name, "pattern00");
    EXPECT_EQ(game.DXIL.Item(3).Name, "pattern30");
    EXPECT_EQ(game.DXIL.Item(24).Name, "pattern44");
}

TEST(ScreenSwitch, LeavingTheGameStopsTheTimerAndClearsBeforeTheMenuLoads) {
    TTestData d;
    d.WriteGame({});
    WriteMenuFiles(d);
    WriteFirstLocation(d);
    auto g = MakeGame(d, {.Debug = false});
    ASSERT_TRUE(g->Started);
    TMainForm& game = **g;
    EXPECT_EQ(game.ScreenMode, smMainMenu);
    EXPECT_EQ(game.Menu.SubState, 1);  // the splash
    EXPECT_EQ(game.DXT.Interval, 46u);

    game.NewGame();
    ASSERT_EQ(game.ScreenMode, smGame);
    EXPECT_EQ(game.View.ScrollX, -800);
    ASSERT_TRUE(game.World.Critter(0));
    game.Scripts.GlobalVars[5] = 9;
    game.ConsoleLines.push_back("old");

    struct TSeen {
        bool TimerEnabled;
        int Images, Waves;
        uint8_t Mode;
    };
    std::vector<TSeen> seen;
    game.LogHook = [&](const std::string& line) {
        if (line == "TMainForm.MMInit -> Loading started...")
            seen.push_back({game.DXT.Enabled, game.DXIL.Count(), game.DXWL.Count(), game.ScreenMode});
    };
    game.StartMainMenu();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_FALSE(seen[0].TimerEnabled);
    EXPECT_EQ(seen[0].Images, 0);
    EXPECT_EQ(seen[0].Waves, 0);
    EXPECT_EQ(seen[0].Mode, smMainMenu);
    EXPECT_TRUE(game.DXT.Enabled);
    EXPECT_EQ(game.Menu.SubState, 0);  // no splash on the way back
    EXPECT_TRUE(game.FirstLoad);
    EXPECT_TRUE(game.ConsoleLines.empty());
    EXPECT_EQ(game.Scripts.GlobalVars[5], 0);
    EXPECT_EQ(game.World.Grid.At(10, 20).Occupant, -1);
}

TEST(PlayerDeath, NormalModeReturnsToTheMenuAfterFiveSecondsDebugNever) {
    TTestData d;
    d.WriteGame({});
    WriteMenuFiles(d);
    WriteFirstLocation(d);
    {
        auto g = MakeGame(d, {.Debug = false});
        TMainForm& game = **g;
        game.NewGame();
        game.DXT.Interval = 0;  // a frame at every clock step, so the 1 ms border shows
        game.PlayerDead();
        EXPECT_TRUE(game.PlayerDeadFlag);
        Frame(*g, 4999);
        EXPECT_EQ(game.ScreenMode, smGame);
        // Mouse events are ignored while the player lies dead.
        game.DXDrawMouseMove(123, 45);
        EXPECT_NE(game.View.MouseX, 123);
        Frame(*g, 1);
        EXPECT_EQ(game.ScreenMode, smMainMenu);
        EXPECT_FALSE(game.PlayerDeadFlag);
    }
    {
        auto g = MakeGame(d, {.Debug = true});
        TMainForm& game = **g;
        g->Platform.VirtualClock.Set(123456);
        game.PlayerDead();
        EXPECT_FALSE(game.PlayerDeadFlag);
        EXPECT_EQ(game.DeathTime, 123456u);
        Frame(*g, 6000);
        EXPECT_EQ(game.ScreenMode, smGame);
    }
}

TEST(ErrorReport, AFailingHandlerIsReportedAndTheGameGoesOn) {
    TTestData d;
    d.WriteGame({});
    d.WriteScript("boom.sc", "[OnClick]\n1=1\n2=0\n3=DIV\n");
    auto g = MakeGame(d);
    TMainForm& game = **g;
    game.World.Critters[0]->SetScript("boom");
    game.Guard([&] { game.World.Critters[0]->Click(); });
    ASSERT_EQ(game.Errors.size(), 1u);
    // The message first, then where the author finds the faulty step.
    EXPECT_EQ(game.Errors[0].rfind("Division by zero", 0), 0u) << game.Errors[0];
    EXPECT_NE(game.Errors[0].find("boom.sc"), std::string::npos);
    EXPECT_NE(game.Errors[0].find("OnClick"), std::string::npos);
    EXPECT_NE(game.Errors[0].find("3"), std::string::npos);
    Frame(*g);
    EXPECT_EQ(game.FrameCount, 1u);
}

TEST(Headless, SameDataInputAndSeedGiveTheSameFrameAndDump) {
    if (DemoDataDir().empty()) GTEST_SKIP() << "no demo data built";
    TTestData out;
    out.WriteFile("input.txt",
                  "0 move 790 300\n40 move 400 300\n50 down right\n51 up right\n60 move 420 310\n"
                  "70 keydown 37\n90 keyup 37\n");
    auto run = [&](const std::string& tag) {
        TGameOptions o = DemoRun(120, 42);
        o.MapFile = "data\\locations\\loc01.map";
        o.InputFile = out.Path("input.txt").string();
        o.ScreenshotFile = out.Path(tag + ".png").string();
        o.DumpFile = out.Path(tag + ".json").string();
        EXPECT_EQ(RunHeadless(o), 0);
    };
    run("a");
    run("b");
    EXPECT_EQ(out.ReadFile("a.png"), out.ReadFile("b.png"));
    std::string dump = out.ReadFile("a.json");
    EXPECT_EQ(dump, out.ReadFile("b.json"));
    EXPECT_NE(dump.find("\"errors\": []"), std::string::npos) << dump.substr(0, 400);
    EXPECT_NE(dump.find("\"attack\": true"), std::string::npos);
}

TEST(Headless, DebugOverlayRunPaintsAndHoversACritter) {
    if (DemoDataDir().empty()) GTEST_SKIP() << "no demo data built";
    TTestData out;
    // Scroll right with the arrow key, paint blocks on page Brush (F2), then rest on the watchman.
    out.WriteFile("input.txt",
                  "0 move 400 300\n1 keydown 39\n30 keyup 39\n40 keydown 113\n41 keyup 113\n"
                  "45 move 300 200\n46 down left\n47 move 320 200\n48 move 340 200\n49 up left\n"
                  "60 move 728 385\n");
    TGameOptions o = DemoRun(70, 1);
    o.MapFile = "data\\locations\\loc01.map";
    o.InputFile = out.Path("input.txt").string();
    o.DumpFile = out.Path("d.json").string();
    o.ScreenshotFile = out.Path("s.png").string();
    ASSERT_EQ(RunHeadless(o), 0);
    std::string dump = out.ReadFile("d.json");
    EXPECT_NE(dump.find("\"errors\": []"), std::string::npos);
    EXPECT_NE(dump.find("\"scroll\": [\n    -122,"), std::string::npos) << dump.substr(0, 300);
    EXPECT_NE(dump.find("\"hover\": {\n    \"index\": 5,\n    \"kind\": 0"), std::string::npos);
    EXPECT_NE(dump.find("\"page\": \"Brush\""), std::string::npos);
}

TEST(StartUp, MapOptionOutsideDebugStartsTheGameOnThatLocation) {
    TTestData d;
    d.WriteGame({});
    WriteMenuFiles(d);
    WriteFirstLocation(d);
    std::filesystem::copy_file(d.Path("data/locations/loc01.map"), d.Path("data/locations/mine.map"));
    THeadlessPlatform platform;
    TGameOptions o;
    o.DataDir = d.Root().string();
    o.MapFile = "data\\locations\\mine.map";
    TMainForm game(o, platform);
    ASSERT_TRUE(game.Start());
    EXPECT_EQ(game.ScreenMode, smGame);
    EXPECT_EQ(game.View.ScrollX, -800);
    ASSERT_EQ(game.World.CritterCount(), 1);
    EXPECT_TRUE(game.Errors.empty());
}

// The first location of a new game runs its OnCreates as every later one
// does: the waves are already there, and what the scripts set going stays.
TEST(NewGame, TheFirstLocationsOnCreateFindsTheWavesAndKeepsItsWalk) {
    TTestData d;
    d.WriteGame({});
    WriteMenuFiles(d);
    d.WriteScript("guard.sc", "[OnCreate]\n1=На посту\n2=ADDCONSOLE\n3=hit\n4=PLAYSOUND\n"
                              "5=SELF\n6=20\n7=20\n8=GOTOXY\n");
    TMapData map;
    map.Critters.resize(2);
    for (TMapCritter& c : map.Critters) {
        c.Skin = "metal";
        c.HP = 50;
        c.ScriptName = "obj_def";
    }
    map.Critters[0].StartX = map.Critters[0].StartY = 10;
    map.Critters[1].StartX = 12;
    map.Critters[1].StartY = 10;
    map.Critters[1].ScriptName = "guard";
    d.WriteFile("data/locations/loc01.map", SerializeMap(map));
    auto g = MakeGame(d, {.Debug = false});
    TMainForm& game = **g;
    game.NewGame();
    EXPECT_TRUE(game.Errors.empty()) << game.Errors.front();
    ASSERT_FALSE(game.ConsoleLines.empty());
    EXPECT_NE(game.ConsoleLines.back().find("На посту"), std::string::npos);
    EXPECT_EQ(game.World.Critters[1]->State, csWalking);
    EXPECT_EQ(game.World.Critters[1]->DestX, 20);
    // The waves are loaded once, not again by the picture load that followed.
    const int waves = game.DXWL.Count();
    game.ReloadGraphics();
    EXPECT_EQ(game.DXWL.Count(), waves);
}
