#pragma once
// A bare world for rule tests: the grid, the record lists, the scripts and
// the context critters and objects act through; no window, no main form, no
// game start. Settings, pictures and sounds are what the test gives it;
// scripts go into a scratch folder of its own. Header only: the programs
// that do not link the world compile the support files too.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/FileSystem.h"
#include "base/Random.h"
#include "critters/Critter.h"
#include "media/ImageList.h"
#include "media/Sound.h"
#include "script/Script.h"
#include "support/TestData.h"
#include "world/GameConfig.h"
#include "world/Obj.h"
#include "world/RecordCommands.h"
#include "world/World.h"

// The metal skin's four animation sets: a four-frame fire cycle shoots on
// frames 1 and 3, a six-frame death set.
inline std::string MetalSkinSets() {
    return "[metal_idle]\nFrames=4\nOffX=10\nOffY=50\nWidth=40\nHeight=60\n"
           "[metal_walk]\nFrames=8\nOffX=10\nOffY=50\nWidth=40\nHeight=60\n"
           "[metal_fire]\nFrames=4\nOffX=26\nOffY=50\nWidth=72\nHeight=60\n"
           "[metal_death]\nFrames=6\nOffX=30\nOffY=50\nWidth=80\nHeight=76\n";
}

class TBareWorld : public IScriptHost, public IWorldEvents {
public:
    // `sections`: game.ini beyond [Main] and [Sounds], UTF-8.
    explicit TBareWorld(const std::string& mainKeys = "", const std::string& sections = MetalSkinSets())
        : Files(Data.Root()), Waves(Sound), Scripts(Files, *this) {
        Config.Ini = TIniFile::Parse(TestIni(mainKeys, sections));
        Config.ReadHitTypes();
        for (const char* wave : {"player_fire", "hit", "Death", "DeathPlayer"}) Waves.Add(wave, nullptr);
        Clock.Set(100000);
        World.DrawList = std::make_unique<tObjHandler>(Context);
    }

    // A one-colour picture cut into patterns of that size (0: the whole picture is one).
    void AddPicture(const std::string& name, int width, int height, int patternWidth = 0, int patternHeight = 0) {
        TImageItem& item = Images.Add();
        item.Name = name;
        item.Picture = TBitmap(width, height, 0x808080);
        item.PatternWidth = patternWidth;
        item.PatternHeight = patternHeight;
    }

    // A critter placed on (x, y) as a location load leaves one: idle, on its
    // tile, in the draw list; 100 rounds, damage 2 .. 5, perfect aim.
    tCritter& AddCritter(int32_t x, int32_t y, int32_t hp = 20) {
        auto c = std::make_shared<tCritter>(Context, World.CritterCount());
        World.AppendCritter(c, "c" + std::to_string(c->Index));
        c->SetAnimation(csIdle);
        c->StartX = x;
        c->StartY = y;
        c->Placed = true;
        c->SetPosition(x, y);
        c->HP = hp;
        c->Ammo = 100;
        c->DmgMin = 2;
        c->DmgMax = 4;
        c->Accuracy = 100;
        return *c;
    }
    // An object on (x, y) with that picture, labelled "o<index>".
    tObj& AddObject(int32_t x, int32_t y, const std::string& image = "crate") {
        auto o = std::make_shared<tObj>(Context, World.ObjectCount());
        World.AppendObject(o, "o" + std::to_string(o->Index));
        o->X = x;
        o->Y = y;
        o->SetImage(image);
        World.DrawList->Rebuild();
        return *o;
    }
    tCritter& C(int i) { return *World.Critters.at(size_t(i)); }
    tObj& O(int i) { return *World.Objects.at(size_t(i)); }
    TGrid& Grid() { return World.Grid; }
    uint32_t Now() override { return Clock.Now(); }

    // One animation tick of one critter: the clock moves on past the 1000 / 18 ms a tick needs.
    void Tick(tCritter& c, uint32_t ms = 56) {
        Clock.Advance(ms);
        c.Update();
    }
    // One frame of the world as the game screen runs it: every critter, then
    // every object, then the finished objects leave.
    void Frame(uint32_t ms = 56) {
        Clock.Advance(ms);
        for (size_t k = 0; k < World.Critters.size(); ++k) World.Critters[k]->Update();
        bool removal = false;
        for (size_t k = 0; k < World.Objects.size(); ++k) {
            removal |= World.Objects[k]->PendingRemoval;
            World.Objects[k]->Animate();
        }
        if (removal) World.DrawList->Rebuild();
    }
    // Frames until `done` holds, at most `limit`.
    bool RunUntil(const std::function<bool()>& done, int limit = 2000) {
        for (int i = 0; i < limit && !done(); ++i) Frame(60);
        return done();
    }
    // The sounds played since the last call.
    std::vector<std::string> TakeSounds() {
        std::vector<std::string> sounds;
        sounds.swap(Waves.PlayLog);
        return sounds;
    }

    // IScriptHost.
    void Log(const std::string&) override {}
    int32_t Random(int32_t n) override { return Rand.Random(n); }
    bool RunWorldCommand(TScript& self, TWorldCommand command) override {
        RunRecordCommand(Context, self, command);
        return false;
    }
    // IWorldEvents.
    void AddConsole(const std::string& text) override { Console.push_back(text); }
    void PlayerDead() override { ++Deaths; }
    void ReportError(const std::exception& error) override { Errors.push_back(error.what()); }
    void RecordsRenumbered(int32_t kind, const std::function<int(int)>& map) override {
        Renumbered.push_back({kind, map(0), map(1), map(2)});
    }

    TTestData Data;
    TFileSystem Files;
    TSilentOutput Sound;
    TWaveList Waves;
    TImageList Images;
    TScriptSystem Scripts;
    TRandom Rand{7};
    TManualClock Clock;
    TGameConfig Config;
    TWorld World;
    TWorldContext Context{World, Scripts, Images, Waves, Rand, Clock, Config, *this};

    std::vector<std::string> Console, Errors;
    int Deaths = 0;
    // Per renumbering: the kind, then where records 0, 1 and 2 went.
    std::vector<std::vector<int>> Renumbered;
};
