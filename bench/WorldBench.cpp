// Location changes and frames at the limits: a demo location loaded again
// (LOADMAP), a location holding the most critters and objects a file may
// hold, and the word wrap of the longest text a script can hand over.
#include <benchmark/benchmark.h>

#include <memory>

#include "BenchGame.h"
#include "critters/Critter.h"

namespace {

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

void BM_CrowdedFrame(benchmark::State& state) { CrowdedFrame(state, PageGeneral); }
void BM_CrowdedFrameWithOverlay(benchmark::State& state) { CrowdedFrame(state, PageBrush); }

void BM_CrowdedDrawListRebuild(benchmark::State& state) {
    TBenchGame b;
    if (!b.Ready) return state.SkipWithError("demo data missing");
    b.Game->LoadMap(CrowdedLocationFile());
    for (auto _ : state) {
        b.Game->World.DrawList->Rebuild();
        benchmark::DoNotOptimize(b.Game->World.DrawList->Entries().data());
    }
}

// MOVETO: a critter put on another tile at once, as the script command does
// it, in the demo's first location and among 4000 critters and the most
// objects. The draw list takes the new rows; the next frame sorts it.
void MoveTo(benchmark::State& state, const std::string& location, bool sortEach) {
    TBenchGame b;
    if (!b.Ready) return state.SkipWithError("demo data missing");
    b.Game->LoadMap(location);
    tCritter* c = b.Game->World.Critter(1);
    if (!c) return state.SkipWithError("no critter to move");
    int n = 0;
    for (auto _ : state) {
        // Tiles no critter of either location stands on, a row apart.
        c->SetPosition(70, 60 + (++n & 1));
        if (sortEach) benchmark::DoNotOptimize(b.Game->World.DrawList->Entries().data());
    }
    state.counters["records"] = b.Game->World.CritterCount() + b.Game->World.ObjectCount();
}
void BM_MoveToSmallLocation(benchmark::State& state) { MoveTo(state, "data\\locations\\loc01.map", state.range(0)); }
void BM_MoveToCrowdedLocation(benchmark::State& state) { MoveTo(state, CrowdedLocationFile(4000), state.range(0)); }

// Frames of the location of 4000 critters and the most objects with some of
// its critters walking up and down the free columns; the difference to none
// walking is what the walkers cost.
void BM_CrowdedWalkers(benchmark::State& state) {
    TBenchGame b;
    if (!b.Ready) return state.SkipWithError("demo data missing");
    b.Game->LoadMap(CrowdedLocationFile(4000));
    b.Game->DXDrawMouseMove(400, 300);
    const int walkers = int(state.range(0));
    auto send = [&](int k) {
        tCritter* c = b.Game->World.Critter(1 + k);
        if (!c || c->State == csWalking) return;
        // Each goes back and forth over a column of its own, free of critters.
        const int column = 40 + k % 40, row = c->Y < 60 ? 100 + k / 40 : 10 + k / 40;
        if (c->X != column) c->SetPosition(column, 10 + k / 40);
        c->WalkTo(column, row);
    };
    for (int k = 0; k < walkers; ++k) send(k);
    for (auto _ : state) {
        b.Platform.VirtualClock.Advance(10);
        b.Game->View.HoverRequest = true;
        b.Game->Render();
        for (int k = 0; k < walkers; ++k) send(k);
        benchmark::DoNotOptimize(b.Game->DXDraw.Pixels().Data().data());
    }
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
BENCHMARK(BM_MoveToSmallLocation)->ArgName("sorted")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MoveToCrowdedLocation)->ArgName("sorted")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CrowdedWalkers)->ArgName("walkers")->Arg(0)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrapConsole2047)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WrapQuestion2047)->Unit(benchmark::kMicrosecond);
