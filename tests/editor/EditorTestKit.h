#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "critters/Critter.h"
#include "support/MapRecords.h"
#include "support/TestGame.h"
#include "world/MapFormat.h"
#include "world/Obj.h"

// Two skins, three hit types, two object pictures and two patterns.
inline TTestGameFiles EditorFiles() {
    TTestGameFiles files;
    files.Ini = TestIni("CritterSkin=2\nHitTypes=3\n",
                        "[CritterSkin]\nSkin0=metal\nSkin1=raider\n"
                        "[HitTypes]\nType0=sand\nType1=metal\nType2=concrete\n"
                        "[metal_idle]\nFrames=1\nWidth=8\nHeight=8\n");
    files.Critters = {{"metal_idle", 8, 64}, {"raider_idle", 8, 64}};
    files.Objects = {{"crate", 8, 8}, {"lamp", 8, 8}};
    files.Locations = {"pattern1", "pattern2"};
    return files;
}

// A script that counts its creations in g[1] and destructions in g[2], and
// writes its owner index into g[5] when clicked.
inline const char* CounterScript() {
    return "[OnCreate]\n1=1\n2=1\n3=GETGVAR\n4=1\n5=ADD\n6=SETGVAR\n"
           "[OnDestroy]\n1=2\n2=2\n3=GETGVAR\n4=1\n5=ADD\n6=SETGVAR\n"
           "[OnClick]\n1=5\n2=SELF\n3=SETGVAR\n";
}

// The panel's critters: 30 hit points, damage 1 .. 5, accuracy 60, facing south-east.
inline const TCritterStats NpcStats{.Direction = 3, .HP = 30, .DmgMin = 1, .DmgMax = 5, .Accuracy = 60};

inline TMapObject Thing(const std::string& label, int32_t x, int32_t y, const std::string& image = "crate") {
    return MapObject(label, x, y, image, "counter");
}

// A started debug game with the panel, on the files above.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        Data.WriteGame(EditorFiles());
        Data.WriteScript("obj_def.sc", "");
        Data.WriteScript("counter.sc", CounterScript());
        Game = MakeGame(Data);
        ASSERT_TRUE(Game->Started) << (G().Errors.empty() ? "" : G().Errors[0]);
    }

    TMainForm& G() { return **Game; }
    TControlForm& P() { return G().ControlForm; }
    TWorld& W() { return G().World; }
    tCritter& Critter(int i) { return *W().Critters.at(size_t(i)); }
    tObj& Object(int i) { return *W().Objects.at(size_t(i)); }
    int32_t Global(int i) { return G().Scripts.GlobalVars[size_t(i)]; }

    // The player and three NPCs in a row, and three objects.
    static TMapData Location() {
        TMapData map;
        map.Critters = {MapCritter("Игрок", 10, 10, "obj_def", NpcStats),
                        MapCritter("Страж", 12, 10, "counter", NpcStats),
                        MapCritter("Торговец", 14, 10, "counter", NpcStats),
                        MapCritter("Бродяга", 16, 10, "counter", NpcStats)};
        map.Objects = {Thing("Ящик", 5, 5), Thing("Фонарь", 6, 5, "lamp"), Thing("Бочка", 7, 5)};
        return map;
    }

    void Load(const TMapData& map) {
        Data.WriteFile("data/locations/test.map", SerializeMap(map));
        P().OpenMapFile(Data.Path("data/locations/test.map").string());
    }

    // The location as the saver writes it.
    std::string Saved() {
        G().SaveMap(Data.Path("saved.map").string());
        return Data.ReadFile("saved.map");
    }

    // The mouse on the game screen over a tile (the view is not scrolled).
    void MoveTo(int tileX, int tileY) { G().DXDrawMouseMove(tileX * 20 + 10, tileY * 10 + 5); }
    void Press(int button, int tileX, int tileY) {
        MoveTo(tileX, tileY);
        G().DXDrawMouseDown(button, G().View.MouseX, G().View.MouseY);
    }
    void Release(int button) { G().DXDrawMouseUp(button, G().View.MouseX, G().View.MouseY); }
    void Click(int button, int tileX, int tileY) {
        Press(button, tileX, tileY);
        Release(button);
    }

    TTestData Data;
    std::unique_ptr<TTestGame> Game;
};
