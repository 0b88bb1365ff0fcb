#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "critters/Critter.h"
#include "support/MapRecords.h"
#include "support/TestGame.h"
#include "world/MapFormat.h"
#include "world/Obj.h"

// Two hit types (sand, metal) with three-frame impact strips, and the four
// animation sets of the metal skin: a four-frame fire cycle shoots on
// frames 1 and 3, a six-frame death set.
inline std::string CombatIni(const std::string& extraSections = "") {
    return TestIni("HitTypes=2\n",
                   "[HitTypes]\nType0=sand\nType1=metal\n"
                   "[sand]\nsound=imp_sand\nimage=imp_sand\n[metal]\nsound=imp_metal\nimage=imp_metal\n"
                   "[metal_idle]\nFrames=4\nOffX=10\nOffY=50\nWidth=40\nHeight=60\n"
                   "[metal_walk]\nFrames=8\nOffX=10\nOffY=50\nWidth=40\nHeight=60\n"
                   "[metal_fire]\nFrames=4\nOffX=26\nOffY=50\nWidth=72\nHeight=60\n"
                   "[metal_death]\nFrames=6\nOffX=30\nOffY=50\nWidth=80\nHeight=76\n" +
                       extraSections);
}

inline void WriteCombatGame(const TTestData& data, const std::string& extraSections = "") {
    TTestGameFiles files;
    files.Ini = CombatIni(extraSections);
    files.Critters = {
        {"metal_idle", 160, 480}, {"metal_walk", 320, 480}, {"metal_fire", 288, 960}, {"metal_death", 480, 608}};
    for (const char* wave : {"imp_sand1", "imp_sand2", "imp_sand3", "imp_metal1", "imp_metal2", "imp_metal3"})
        files.Waves.push_back(wave);
    data.WriteGame(files);
    data.WriteBmp("data/Images/Misc/imp_sand.bmp", 60, 40, 0x00336699);
    data.WriteBmp("data/Images/Misc/imp_metal.bmp", 60, 40, 0x00999999);
}

// A started debug game: the player stands on (30, 50) with 300 rounds,
// damage 3 .. 8 and accuracy 90.
class CombatTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteCombatGame(Data);
        Game = MakeGame(Data);
        ASSERT_TRUE(Game->Started) << (G().Errors.empty() ? "" : G().Errors[0]);
    }

    TMainForm& G() { return **Game; }
    TWorld& W() { return G().World; }
    TGrid& Grid() { return G().World.Grid; }
    tCritter& Player() { return *W().Critters.at(0); }
    tCritter& C(int i) { return *W().Critters.at(size_t(i)); }

    // One whole frame of the game screen.
    void Frame(uint32_t ms = 56) {
        Game->Platform.VirtualClock.Advance(ms);
        G().GameRender();
    }

    // The sounds played since the last call.
    std::vector<std::string> TakeSounds() {
        auto sounds = std::move(G().DXWL.PlayLog);
        G().DXWL.PlayLog.clear();
        return sounds;
    }

    TTestData Data;
    std::unique_ptr<TTestGame> Game;
};
