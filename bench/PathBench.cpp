// The path search against the literal wave search it replaces, and a long
// headless battle that watches the process's memory.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "../tests/combat/PathOracle.h"
#include "app/MainForm.h"
#include "critters/Critter.h"
#include "critters/PathSearch.h"
#include "platform/Headless.h"

namespace {

enum class TShape {
    Open,
    Walls,             // long walls with one gap each across the grid
    Maze,              // a closed maze of corridors in the top rows
    DestEnclosed,      // a ring of walk blocks round the destination
    WalkerEnclosed,    // a ring of walk blocks round the walker
    Serpentine,        // a corridor far longer than any walk
    Wall,              // a short wall between walker and destination
};

struct TPathCase {
    const char* Name;
    int StartX, StartY, DestX, DestY;
    TShape Shape;
};

// The longest walks the open grid has (119 steps), zigzags, destinations no
// path reaches (the literal search then runs all its waves) and the short
// walks most orders are.
const TPathCase Cases[] = {
    {"open corner to corner", 0, 0, 79, 119, TShape::Open},
    {"open corner to corner back", 79, 119, 0, 0, TShape::Open},
    {"open top to bottom", 40, 0, 40, 119, TShape::Open},
    {"open bottom to top", 40, 119, 40, 0, TShape::Open},
    {"walls with gaps", 2, 2, 77, 117, TShape::Walls},
    {"destination enclosed", 0, 0, 40, 60, TShape::DestEnclosed},
    {"maze", 0, 0, 79, 0, TShape::Maze},
    {"walker enclosed", 40, 60, 0, 0, TShape::WalkerEnclosed},
    {"over 255 steps", 0, 0, 79, 119, TShape::Serpentine},
    {"3 tiles straight", 10, 10, 13, 10, TShape::Open},
    {"3 tiles round a wall", 10, 10, 13, 10, TShape::Wall},
};

void Ring(TGrid& grid, int cx, int cy) {
    for (int x = cx - 1; x <= cx + 1; ++x)
        for (int y = cy - 1; y <= cy + 1; ++y)
            if (x != cx || y != cy) grid.At(x, y).WalkBlock = 1;
}

TGrid GridOf(const TPathCase& c) {
    TGrid grid;
    switch (c.Shape) {
        case TShape::Open:
            break;
        case TShape::Walls:
            for (int row = 40; row < MapRows; row += 40)
                for (int x = 0; x < MapCols; ++x)
                    if (x != (row / 40 % 2 == 0 ? 2 : 77)) grid.At(x, row).WalkBlock = 1;
            break;
        case TShape::Maze:
            // Walls down every eighth column, open at alternate ends, under a wall along row 20.
            for (int x = 0; x < MapCols; ++x) grid.At(x, 20).WalkBlock = 1;
            for (int x = 7; x < MapCols; x += 8)
                for (int y = 0; y < 20; ++y)
                    if (y != (x / 8 % 2 == 0 ? 19 : 0)) grid.At(x, y).WalkBlock = 1;
            break;
        case TShape::DestEnclosed:
            Ring(grid, c.DestX, c.DestY);
            break;
        case TShape::WalkerEnclosed:
            Ring(grid, c.StartX, c.StartY);
            break;
        case TShape::Serpentine:
            for (int x = 1; x < MapCols; x += 2)
                for (int y = 0; y < MapRows; ++y)
                    if (y != ((x / 2) % 2 == 0 ? MapRows - 1 : 0)) grid.At(x, y).WalkBlock = 1;
            break;
        case TShape::Wall:
            for (int y = c.StartY - 3; y <= c.StartY + 3; ++y) grid.At(c.StartX + 2, y).WalkBlock = 1;
            break;
    }
    grid.At(c.StartX, c.StartY).WalkBlock = 1;  // the walker stands there
    return grid;
}

template <bool Literal>
void FindPathBench(benchmark::State& state) {
    const TPathCase& c = Cases[state.range(0)];
    state.SetLabel(c.Name);
    const TGrid grid = GridOf(c);
    const TTilePath expected = OraclePath(grid, c.StartX, c.StartY, c.DestX, c.DestY);
    if (SearchPath(grid, c.StartX, c.StartY, c.DestX, c.DestY) != expected) {
        state.SkipWithError("the fast search and the wave search disagree");
        return;
    }
    for (auto _ : state) {
        TTilePath path = Literal ? OraclePath(grid, c.StartX, c.StartY, c.DestX, c.DestY)
                                 : SearchPath(grid, c.StartX, c.StartY, c.DestX, c.DestY);
        benchmark::DoNotOptimize(path.data());
    }
    state.counters["steps"] = double(expected.size());
}

void BM_FindPath(benchmark::State& state) {
    FindPathBench<false>(state);
}
void BM_WaveSearchLiteral(benchmark::State& state) {
    FindPathBench<true>(state);
}
BENCHMARK(BM_FindPath)->DenseRange(0, std::size(Cases) - 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WaveSearchLiteral)->DenseRange(0, std::size(Cases) - 1)->Unit(benchmark::kMicrosecond);

// 200 critters on a location with scattered blocks each sent 4 to 12 tiles
// away in the same frame, as a crowd answering one order.
struct TCrowdOrder {
    TGrid Grid;
    std::vector<std::array<int, 4>> Walks;  // start x, y, destination x, y
    TCrowdOrder() {
        uint32_t seed = 12345;
        auto next = [&](uint32_t n) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 16) % n;
        };
        for (auto& cell : Grid.Raw()) cell.WalkBlock = next(100) < 12 ? 1 : 0;
        while (Walks.size() < 200) {
            const int sx = int(next(MapCols)), sy = int(next(MapRows));
            const int dx = std::clamp(sx + int(next(25)) - 12, 0, MapCols - 1);
            const int dy = std::clamp(sy + int(next(25)) - 12, 0, MapRows - 1);
            if (Grid.At(sx, sy).WalkBlock != 0 || Grid.At(dx, dy).WalkBlock != 0 || (sx == dx && sy == dy)) continue;
            Grid.At(sx, sy).WalkBlock = 1;
            Walks.push_back({sx, sy, dx, dy});
        }
    }
};

template <bool Literal>
void CrowdOrderBench(benchmark::State& state) {
    const TCrowdOrder crowd;
    for (const auto& w : crowd.Walks)
        if (SearchPath(crowd.Grid, w[0], w[1], w[2], w[3]) != OraclePath(crowd.Grid, w[0], w[1], w[2], w[3])) {
            state.SkipWithError("the fast search and the wave search disagree");
            return;
        }
    for (auto _ : state)
        for (const auto& w : crowd.Walks) {
            TTilePath path = Literal ? OraclePath(crowd.Grid, w[0], w[1], w[2], w[3])
                                     : SearchPath(crowd.Grid, w[0], w[1], w[2], w[3]);
            benchmark::DoNotOptimize(path.data());
        }
}
void BM_FindPath200Critters(benchmark::State& state) {
    CrowdOrderBench<false>(state);
}
void BM_WaveSearchLiteral200Critters(benchmark::State& state) {
    CrowdOrderBench<true>(state);
}
BENCHMARK(BM_FindPath200Critters)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WaveSearchLiteral200Critters)->Unit(benchmark::kMicrosecond);

double ResidentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / 1024.0;
}

// The demo data beside the benchmark program (target demo_data), or RW_DEMO.
std::string DemoDir() {
    if (const char* dir = std::getenv("RW_DEMO")) return dir;
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "demo").string();
}

// Two lines of 25 armed critters shoot at each other for 20,000 frames of
// 10 ms. Impact objects must go once played, and nothing else may pile up.
void BM_BattleSoak(benchmark::State& state) {
    const std::string demo = DemoDir();
    if (!std::filesystem::exists(std::filesystem::path(demo) / "data" / "data" / "game.ini")) {
        state.SkipWithError(("no demo data in " + demo + " (build demo_data)").c_str());
        return;
    }
    const int frames = int(state.range(0));
    for (auto _ : state) {
        THeadlessPlatform platform;
        platform.VirtualClock.Set(100000);
        TGameOptions options;
        options.GameParams = {"debug"};
        options.DataDir = demo;
        options.Headless = true;
        options.Seed = 7;
        auto game = std::make_unique<TMainForm>(options, platform);
        if (!game->Start()) {
            state.SkipWithError("the game did not start");
            return;
        }
        TWorld& world = game->World;
        const int perSide = 25;
        for (int i = 0; i < 2 * perSide; ++i) {
            auto c = std::make_shared<tCritter>(game->Context, world.CritterCount());
            world.AppendCritter(c);
            const bool west = i < perSide;
            c->SetSkin(west ? "raider" : "nomad");
            c->SetAnimation(csIdle);
            c->Placed = true;
            c->SetPosition(west ? 20 + i % 5 : 55 + i % 5, 30 + (i % perSide) / 5 * 4 + (west ? 0 : 1));
            c->HP = 1000000000;
            c->Ammo = 1000000000;
            c->Accuracy = 60;
            c->DmgMin = 1;
            c->DmgMax = 3;
            c->Victim = 1 + (west ? i + perSide : i - perSide);
        }
        world.DrawList->Rebuild();

        size_t sounds = 0, peakObjects = 0;
        double rssAt1000 = 0;
        for (int frame = 1; frame <= frames; ++frame) {
            game->Tick();
            platform.VirtualClock.Advance(10);
            // The play log is a record for the headless dump, not game state.
            sounds += game->DXWL.PlayLog.size();
            game->DXWL.PlayLog.clear();
            peakObjects = std::max(peakObjects, size_t(world.ObjectCount()));
            if (frame == 1000) rssAt1000 = ResidentKb();
        }
        state.counters["rss_kb_at_1000"] = rssAt1000;
        state.counters["rss_kb_at_end"] = ResidentKb();
        state.counters["sounds"] = double(sounds);
        state.counters["objects_at_end"] = double(world.ObjectCount());
        state.counters["objects_peak"] = double(peakObjects);
        state.counters["console_lines"] = double(game->ConsoleLines.size());
        state.counters["errors"] = double(game->Errors.size());
        state.counters["frames_drawn"] = double(game->FrameCount);
        game->FormDestroy();
    }
}
BENCHMARK(BM_BattleSoak)->Arg(20000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
