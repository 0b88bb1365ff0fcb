// One whole game frame of the demo junkyard filled up to 40 critters and 60
// objects, with and without the debug overlay of page Brush.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "BenchGame.h"
#include "critters/Critter.h"
#include "world/Obj.h"

namespace {

// The junkyard with 40 critters and 60 objects, scrolled to its east half.
struct TCrowdedJunkyard : TBenchGame {
    explicit TCrowdedJunkyard(int page) {
        if (!Ready) return;
        TMainForm& g = *Game;
        g.LoadMap("data\\locations\\loc01.map");
        const char* skins[] = {"raider", "nomad", "metal"};
        for (int i = g.World.CritterCount(); i < 40; ++i) {
            auto c = std::make_shared<tCritter>(g.Context, i);
            g.World.AppendCritter(c, "NPC");
            c->SetSkin(skins[i % 3]);
            c->SetAnimation(csIdle);
            c->SetPosition(40 + (i * 7) % 38, 5 + (i * 11) % 55);
        }
        const char* images[] = {"barrel", "crate", "fire_barrel", "smoke", "lamp_post", "tyres"};
        for (int i = g.World.ObjectCount(); i < 60; ++i) {
            auto o2 = std::make_shared<tObj>(g.Context, i);
            g.World.AppendObject(o2, "obj");
            o2->X = 40 + (i * 13) % 39;
            o2->Y = 3 + (i * 17) % 57;
            o2->SetImage(images[i % 6]);
        }
        g.World.DrawList->Rebuild();
        g.View.ScrollX = -800;
        g.ControlForm.ActivePage = page;
        g.DXDrawMouseMove(400, 300);
    }
};

void Frame(benchmark::State& state, int page) {
    TCrowdedJunkyard b(page);
    if (!b.Ready || b.Game->World.CritterCount() < 40) {
        state.SkipWithError("demo data missing");
        return;
    }
    for (auto _ : state) {
        b.Platform.VirtualClock.Advance(10);
        b.Game->View.HoverRequest = true;
        b.Game->Render();
        benchmark::DoNotOptimize(b.Game->DXDraw.Pixels().Data().data());
    }
}

void BM_GameRender(benchmark::State& state) { Frame(state, PageGeneral); }
void BM_GameRenderWithOverlay(benchmark::State& state) { Frame(state, PageBrush); }

}  // namespace

BENCHMARK(BM_GameRender)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GameRenderWithOverlay)->Unit(benchmark::kMicrosecond);
