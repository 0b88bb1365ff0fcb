#pragma once
// A whole game for tests, started on a TTestData folder with the headless
// platform. Header only: the low-level test programs that compile the
// support files do not link the game.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "app/MainForm.h"
#include "platform/HeadlessPlatform.h"
#include "support/TestData.h"
#include "world/MapFormat.h"

struct TTestGameOptions {
    bool Debug = true;
    std::optional<uint32_t> Seed = 1;
    uint32_t ClockStart = 100000;
    bool Verbose = false;
    bool WatchFiles = false;  // debug mode takes in files changed on disk
};

class TTestGame {
public:
    THeadlessPlatform Platform;
    std::unique_ptr<TMainForm> Game;
    bool Started = false;

    TMainForm& operator*() { return *Game; }
    TMainForm* operator->() { return Game.get(); }
};

// Starts a game as the program entry does. Started is false (and the
// errors are in Game->Errors) when the start failed.
inline std::unique_ptr<TTestGame> MakeGame(const TTestData& data, const TTestGameOptions& options = {}) {
    auto game = std::make_unique<TTestGame>();
    game->Platform.VirtualClock.Set(options.ClockStart);
    TGameOptions gameOptions;
    gameOptions.DataDir = data.Root().string();
    if (options.Debug) gameOptions.GameParams = {"debug"};
    gameOptions.Seed = options.Seed;
    gameOptions.Headless = true;
    gameOptions.Verbose = options.Verbose;
    gameOptions.WatchFiles = options.WatchFiles;
    game->Game = std::make_unique<TMainForm>(gameOptions, game->Platform);
    game->Started = game->Game->Start();
    return game;
}

// The main menu's pictures, waves and both music tracks.
inline void WriteMenuFiles(const TTestData& d) {
    d.WriteBmp("data/Images/Interface/MainMenu.bmp", 800, 600, 0x102030);
    d.WriteBmp("data/Images/Interface/Credits.bmp", 800, 600, 0);
    d.WriteBmp("data/Images/Interface/Vorteline.bmp", 300, 120, 0x00FFFF);
    d.WriteBmp("data/Images/Interface/MMBtn.bmp", 136, 198, 0x808080);
    for (const char* w : {"Vorteline", "ButIn", "ButOut"}) d.WriteWav(std::string("data/sounds/") + w + ".wav");
    d.WriteFile("data/Music/MainMenu.mp3", "menu music");
    d.WriteFile("data/Music/loc01.mp3", "game music");
}

// data\locations\loc01.map holding only the player, on (x, y).
inline void WriteFirstLocation(const TTestData& d, int32_t x = 10, int32_t y = 20) {
    TMapData map;
    TMapCritter player;
    player.Label = "Игрок";
    player.Skin = "metal";
    player.StartX = x;
    player.StartY = y;
    player.HP = 50;
    player.ScriptName = "obj_def";
    map.Critters.push_back(player);
    d.WriteFile("data/locations/loc01.map", SerializeMap(map));
}

// The demo data the build generates, or empty when it is not there.
inline std::string DemoDataDir() {
    std::filesystem::path demo = std::filesystem::path(RW_BINARY_DIR) / "demo";
    return std::filesystem::exists(demo / "data" / "locations" / "loc01.map") ? demo.string() : std::string();
}

// A headless debug run of `frames` frames on the demo data.
inline TGameOptions DemoRun(int frames, uint32_t seed) {
    TGameOptions o;
    o.Headless = true;
    o.GameParams = {"debug"};
    o.Frames = frames;
    o.Seed = seed;
    o.DataDir = DemoDataDir();
    return o;
}

// A started debug game on a minimal data folder, for screen tests.
class TDebugGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        Data.WriteGame({});
        G = MakeGame(Data);
        ASSERT_TRUE(G->Started);
    }
    TMainForm& Game() { return **G; }
    void Frame(uint32_t ms = 10) {
        G->Platform.VirtualClock.Advance(ms);
        Game().Tick();
    }
    TTestData Data;
    std::unique_ptr<TTestGame> G;
};

// Points every XDG folder (settings, saves, log, screenshots) into the test's own data folder.
inline void UseHome(const TTestData& d) {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_PICTURES_DIR", "XDG_CACHE_HOME"})
        setenv(name, (d.Root() / "home" / name).c_str(), 1);
}

// A whole file's bytes, or nothing when it cannot be read.
inline std::string Slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}
