#pragma once
// What the benches share: the demo data built beside them, and a debug game
// started on it headless with a fixed seed and clock.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

#include "app/MainForm.h"
#include "platform/HeadlessPlatform.h"
#include "world/MapFormat.h"

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

// The most objects a file may hold stand over the whole location, and
// critters fill it column by column: the first `critters` tiles (all of them
// at the most a file may hold).
inline std::string CrowdedLocationFile(int critters = MapMaxCritters) {
    static std::map<int, std::string> paths;
    std::string& path = paths[critters];
    if (path.empty()) {
        TMapData map;
        map.PatternName = "pattern1";
        const char* skins[] = {"raider", "nomad", "metal"};
        for (int i = 0; i < critters; ++i) {
            TMapCritter& c = map.Critters.emplace_back();
            c.Label = "NPC";
            c.Skin = skins[i % 3];
            c.StartX = i / MapRows;
            c.StartY = i % MapRows;
            c.HP = 20;
            c.ScriptName = "obj_def";
        }
        const char* images[] = {"barrel", "crate", "fire_barrel", "scrap_pile", "lamp_post", "tyres"};
        for (int i = 0; i < MapMaxObjects; ++i) {
            TMapObject& o = map.Objects.emplace_back();
            o.Label = "obj";
            o.ImageName = images[i % 6];
            o.X = i % MapCols;
            o.Y = (i / MapCols) % MapRows;
            o.ScriptName = "obj_def";
        }
        const auto file = std::filesystem::temp_directory_path() /
                          ("rustwake-crowd-" + std::to_string(critters) + "-" + std::to_string(getpid()) + ".map");
        std::ofstream(file, std::ios::binary) << SerializeMap(map);
        path = file.string();
    }
    // The files go when the program ends.
    static const struct TRemover {
        ~TRemover() {
            std::error_code ec;
            for (const auto& [count, file] : paths) std::filesystem::remove(file, ec);
        }
    } remover;
    return path;
}

// Frames of the crowded location with the editor panel on `page`.
inline void CrowdedFrame(benchmark::State& state, int page) {
    TBenchGame b;
    if (!b.Ready) return state.SkipWithError("demo data missing");
    b.Game->LoadMap(CrowdedLocationFile());
    b.Game->ControlForm.ActivePage = page;
    b.Game->DXDrawMouseMove(400, 300);
    for (auto _ : state) {
        b.Platform.VirtualClock.Advance(10);
        b.Game->View.HoverRequest = true;
        b.Game->Render();
        benchmark::DoNotOptimize(b.Game->DXDraw.Pixels().Data().data());
    }
}
