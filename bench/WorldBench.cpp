// Location changes and frames at the limits: a demo location loaded again
// (LOADMAP), a location holding the most critters and objects a file may
// hold, and the word wrap of the longest text a script can hand over.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

#include "BenchGame.h"
#include "critters/Critter.h"
#include "world/MapFormat.h"

namespace {

// Every tile holds a critter, and the most objects a file may hold stand over the whole location.
std::string CrowdedLocationFile() {
    static const std::string path = [] {
        TMapData map;
        map.PatternName = "pattern1";
        const char* skins[] = {"raider", "nomad", "metal"};
        for (int i = 0; i < MapMaxCritters; ++i) {
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
        const auto file = std::filesystem::temp_directory_path() / ("rustwake-crowd-" + std::to_string(getpid()) + ".map");
        std::ofstream(file, std::ios::binary) << SerializeMap(map);
        return file.string();
    }();
    // The file goes when the program ends.
    static const struct TRemover {
        ~TRemover() {
            std::error_code ec;
            std::filesystem::remove(path, ec);
        }
    } remover;
    return path;
}

void BM_LoadMapDemoAgain(benchmark::State& state) {
    TBenchGame b;
    if (!b.Ready) return state.SkipWithError("demo data missing");
    b.Game->LoadMap("data\\locations\\loc01.map");
    for (auto _ : state) b.Game->LoadMap("data\\locations\\loc01.map");
}

void BM_LoadMapDemoChange(benchmark::State& state) {
    TBenchGame b;
    if (!b.Ready) return state.SkipWithError("demo data missing");
    int n = 0;
    for (auto _ : state) b.Game->LoadMap(++n % 2 ? "data\\locations\\loc02.map" : "data\\locations\\loc01.map");
}

void BM_LoadCrowdedLocation(benchmark::State& state) {
    TBenchGame b;
    if (!b.Ready) return state.SkipWithError("demo data missing");
    const std::string file = CrowdedLocationFile();
    for (auto _ : state) b.Game->LoadMap(file);
    state.counters["critters"] = b.Game->World.CritterCount();
    state.counters["objects"] = b.Game->World.ObjectCount();
}

// The crowded location as a player meets it: a new game from the menu.
void BM_NewGameCrowdedLocation(benchmark::State& state) {
    const std::string file = CrowdedLocationFile();
    for (auto _ : state) {
        state.PauseTiming();
        TBenchGame b(false);
        if (!b.Ready) return state.SkipWithError("demo data missing");
        state.ResumeTiming();
        b.Game->NewGame(file);
        state.PauseTiming();
        state.counters["critters"] = b.Game->World.CritterCount();
        b.Game.reset();
        state.ResumeTiming();
    }
}

void CrowdedFrame(benchmark::State& state, int page) {
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
void BM_CrowdedFrame(benchmark::State& state) { CrowdedFrame(state, PageGeneral); }
void BM_CrowdedFrameWithOverlay(benchmark::State& state) { CrowdedFrame(state, PageBrush); }

void BM_CrowdedDrawListRebuild(benchmark::State& state) {
    TBenchGame b;
    if (!b.Ready) return state.SkipWithError("demo data missing");
    b.Game->LoadMap(CrowdedLocationFile());
    for (auto _ : state) b.Game->World.DrawList->Rebuild();
}

// 2047 characters, the most a script value holds: words of two to nine letters.
std::string LongMessage() {
    std::string text;
    for (int i = 0; text.size() < 2047; ++i) {
        text += std::string(size_t(2 + (i * 7) % 8), char('a' + i % 26));
        text += ' ';
    }
    text.resize(2047);
    return text;
}

void Wrap(benchmark::State& state, const TFontSpec& font, int limit, bool keepSpace) {
    TBenchGame b;
    if (!b.Ready) return state.SkipWithError("demo data missing");
    const std::string text = LongMessage();
    for (auto _ : state) benchmark::DoNotOptimize(b.Game->WrapText(text, font, limit, keepSpace));
}
void BM_WrapConsole2047(benchmark::State& state) { Wrap(state, TFontSpec{"Tahoma", 8, true, false, 0}, 190, false); }
void BM_WrapQuestion2047(benchmark::State& state) { Wrap(state, TFontSpec{"Tahoma", 9, true, false, 0}, 300, true); }

}  // namespace

BENCHMARK(BM_LoadMapDemoAgain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMapDemoChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadCrowdedLocation)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_NewGameCrowdedLocation)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CrowdedFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CrowdedFrameWithOverlay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CrowdedDrawListRebuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrapConsole2047)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WrapQuestion2047)->Unit(benchmark::kMicrosecond);
