#pragma once
// Location records as a map file holds them, for tests that write maps.
#include <cstdint>
#include <string>

#include "world/MapFormat.h"

// What a critter record carries beyond its label, tile and script.
struct TCritterStats {
    std::string Skin = "metal";
    int32_t Direction = 5;
    int32_t HP = 20;
    int32_t DmgMin = 2;
    int32_t DmgMax = 4;
    int32_t Accuracy = 70;
};

inline TMapCritter MapCritter(const std::string& label, int32_t x, int32_t y, const std::string& script = "obj_def",
                              const TCritterStats& stats = {}) {
    TMapCritter c;
    c.Label = label;
    c.Skin = stats.Skin;
    c.StartX = x;
    c.StartY = y;
    c.Direction = stats.Direction;
    c.HP = stats.HP;
    c.DmgMin = stats.DmgMin;
    c.DmgMax = stats.DmgMax;
    c.Accuracy = stats.Accuracy;
    c.ScriptName = script;
    return c;
}

inline TMapObject MapObject(const std::string& label, int32_t x, int32_t y, const std::string& image = "crate",
                            const std::string& script = "") {
    TMapObject o;
    o.Label = label;
    o.ImageName = image;
    o.X = x;
    o.Y = y;
    o.ScriptName = script;
    return o;
}
