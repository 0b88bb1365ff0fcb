#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "critters/Critter.h"
#include "support/MapRecords.h"
#include "support/TestGame.h"
#include "support/WorldScripts.h"
#include "world/MapFormat.h"
#include "world/Obj.h"

// The configuration the world tests run on: a metal skin with idle offsets
// (20, 60) and a six-frame death set, a tiny skin with a two-frame death
// set, one translucent and one animated object picture.
inline std::string WorldIni() {
    return TestIni("SpecialObjects=2\n",
                   "[metal_idle]\nFrames=4\nOffX=20\nOffY=60\nWidth=40\nHeight=60\n"
                   "[metal_death]\nFrames=6\nOffX=20\nOffY=60\nWidth=40\nHeight=60\n"
                   "[tiny_death]\nFrames=2\n"
                   "[Object0]\nname=lamp\neffect=alpha\nValue=120\n"
                   "[Object1]\nname=spark\neffect=anim\nPatternWidth=10\nPatternHeight=10\n");
}

inline TTestGameFiles WorldFiles() {
    TTestGameFiles files;
    files.Ini = WorldIni();
    files.Critters = {{"metal_idle", 160, 480}, {"metal_death", 240, 480}};
    files.Objects = {{"lamp", 16, 16}, {"crate", 16, 16}, {"spark", 40, 10}};
    return files;
}

// A started debug game on the world test data, with helpers for maps and scripts.
class WorldTest : public ::testing::Test {
protected:
    void SetUp() override {
        Data.WriteGame(WorldFiles());
        Game = MakeGame(Data);
        ASSERT_TRUE(Game->Started) << (G().Errors.empty() ? "" : G().Errors[0]);
    }

    TMainForm& G() { return **Game; }
    TWorld& W() { return G().World; }
    tCritter& C(int i) { return *W().Critters.at(size_t(i)); }
    tObj& O(int i) { return *W().Objects.at(size_t(i)); }

    void WriteMap(const std::string& gamePath, const TMapData& map) { Data.WriteFile(gamePath, SerializeMap(map)); }
    void Load(const std::string& gamePath) { G().LoadMap(gamePath); }

    std::vector<int> EventLog() { return RecordedEvents(G().Scripts); }
    void ClearEventLog() { G().Scripts.GlobalVars.fill(0); }
    // Advances the virtual clock and runs one critter animation tick.
    void Tick(tCritter& c, uint32_t ms = 56) {
        Game->Platform.VirtualClock.Advance(ms);
        c.Update();
    }

    TTestData Data;
    std::unique_ptr<TTestGame> Game;
};
