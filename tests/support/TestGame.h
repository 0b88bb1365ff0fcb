#pragma once
// A whole game for tests, started on a TTestData folder with the headless
// platform. Header only: the low-level test programs that compile the
// support files do not link the game.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/MainForm.h"
#include "platform/Headless.h"
#include "support/TestData.h"

struct TTestGameOptions {
    bool Debug = true;
    std::optional<uint32_t> Seed = 1;
    uint32_t ClockStart = 100000;
    bool Verbose = false;
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
    game->Game = std::make_unique<TMainForm>(gameOptions, game->Platform);
    game->Started = game->Game->Start();
    return game;
}
