#pragma once
// What the demo data contains, in one place: game.ini, the list files and the
// picture and sound generators all read these tables, so a name can never be
// listed without its file or written without being listed.
#include <array>
#include <string_view>

namespace demogen {

// One animation set of a skin: section <skin>_<State> of game.ini and the
// sheet <skin>_<State>.bmp with Rows directions of Frames patterns.
struct TAnimSetDef {
    std::string_view State;
    int Width, Height, Frames, OffX, OffY, Rows;
};
// The feet stand on the tile's middle: the anchor (tile pixel + (10, 5)) lies at
// (OffX + 10, OffY + 5) inside a pattern. Firing and dying sets are wider for
// the levelled gun and the body lying on the ground.
inline constexpr std::array<TAnimSetDef, 4> AnimSets{{
    {"idle", 40, 60, 4, 10, 50, 8},
    {"walk", 40, 60, 8, 10, 50, 8},
    {"fire", 72, 60, 4, 26, 50, 16},
    {"death", 80, 76, 8, 30, 50, 8},
}};

// "metal" is the game's default skin (the player).
inline constexpr std::array<std::string_view, 4> Skins{"metal", "raider", "nomad", "radioman"};

// A speaker's second head is the same face in another light, for CHANGEHEAD fades.
inline constexpr std::array<std::string_view, 6> Heads{"trader", "trader2", "raider_boss", "elder", "elder2", "yakov"};

// Hit types in index order: a cell's hit-type byte selects one. Type 0 is
// what every cell of a new map has, so it is the open ground.
struct THitTypeDef {
    std::string_view Name, Sound, Image;
};
inline constexpr std::array<THitTypeDef, 3> HitTypes{{
    {"sand", "imp_sand", "imp_sand"},
    {"metal", "imp_metal", "imp_metal"},
    {"concrete", "imp_concrete", "imp_concrete"},
}};

// The general waves of section Sounds; hit, Death, DeathPlayer and Console are
// played by the game itself, the rest by scripts (PLAYSOUND).
inline constexpr std::array<std::string_view, 11> GeneralSounds{
    "hit", "Death", "DeathPlayer", "Console", "door", "beep", "pickup", "alarm", "radio", "explosion", "lever"};

// Waves the game loads by fixed names besides the Sounds section.
inline constexpr std::array<std::string_view, 4> FixedSounds{"player_fire", "Vorteline", "ButIn", "ButOut"};
inline constexpr int RicochetCount = 12;

// Map objects in list order. Effect "anim": a horizontal strip of
// PatternWidth x PatternHeight frames; "alpha": drawn translucent with Value.
struct TObjectDef {
    std::string_view Name, Effect;
    int PatternWidth, PatternHeight, Value;
};
inline constexpr std::array<TObjectDef, 12> Objects{{
    {"barrel", "", 0, 0, 0},
    {"barrel_toxic", "", 0, 0, 0},
    {"crate", "", 0, 0, 0},
    {"scrap_pile", "", 0, 0, 0},
    {"car_wreck", "", 0, 0, 0},
    {"tyres", "", 0, 0, 0},
    {"lamp_post", "", 0, 0, 0},
    {"terminal", "", 0, 0, 0},
    {"door", "", 0, 0, 0},
    {"fire_barrel", "anim", 40, 72, 0},
    {"beacon", "anim", 24, 56, 0},
    {"smoke", "alpha", 0, 0, 140},
}};

inline constexpr std::array<std::string_view, 3> LocationPatterns{"pattern1", "pattern2", "pattern3"};

}  // namespace demogen
