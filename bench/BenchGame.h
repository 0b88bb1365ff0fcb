#pragma once
// What the benches share: the demo data built beside them, and a debug game
// started on it headless with a fixed seed and clock.
#include <filesystem>
#include <memory>
#include <string>

#include "app/MainForm.h"
#include "platform/HeadlessPlatform.h"

// The demo data folder the build writes beside the bench programs.
inline std::string DemoDir() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (exe.parent_path() / "demo").string();
}

struct TBenchGame {
    THeadlessPlatform Platform;
    std::unique_ptr<TMainForm> Game;
    bool Ready = false;  // the game started: the demo data is there

    // A debug game, or with debug false the menu a player starts from.
    explicit TBenchGame(bool debug = true) {
        TGameOptions o;
        o.DataDir = DemoDir();
        if (debug) o.GameParams = {"debug"};
        o.Seed = 1;
        o.Headless = true;
        Platform.VirtualClock.Set(100000);
        Game = std::make_unique<TMainForm>(o, Platform);
        Ready = Game->Start();
    }
};
