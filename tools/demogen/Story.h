#pragma once
// The demo adventure's shared facts: which global variable holds which piece
// of story state, and where the people, gates and devices stand. The scripts
// and maps are written from these, and the playthrough tests read them, so a
// moved gate or a renumbered global cannot leave a test checking stale data.
namespace demogen::story {

// Global script variables (all 0 when a new game starts).
enum TGlobal : int {
    GAmmoGiven = 1,      // the trader has handed out his fifty rounds
    GRaidersKilled = 2,  // raiders killed, all locations together
    GChiefDead = 3,      // the raider chief is dead: he carried the key of the south gate
    GTraderStep = 4,     // 1: the trader has told his news
    GElderStep = 5,      // 1: the old man has told his story
    GYakovStep = 6,      // 1 met Yakov, 2 took his errand, 3 brought the battery and got the reward
    GBattery = 7,        // 1: the battery is in the player's pack
    GChoice = 8,         // Yakov's question: 1 call the people in, 2 keep the town hidden
    GRadioHeard = 9,     // the warehouse radio has caught Yakov's call
    GElderHealed = 10,   // the old man has dressed the player's wounds
    GDeadBase = 11,      // set by each location: where its dead flags start
    GPlayerHp = 20,      // the player's hit points when leaving a location (0: none kept)
    GPlayerAmmo = 21,    // the player's rounds + 1 when leaving a location
};
// Critter i of location n (1, 2, 3) is dead when global DeadBase(n) + i is 1.
constexpr int DeadBase(int location) {
    return 20 + location * 20;
}

struct TSpot {
    int X, Y;
};

// Gates: where the door object stands and where the player arrives through it.
inline constexpr TSpot Loc01EastGate{78, 59}, Loc01FromYard{75, 59};
inline constexpr TSpot Loc02WestGate{1, 58}, Loc02FromJunkyard{3, 58};
inline constexpr TSpot Loc02SouthGate{45, 113}, Loc02FromTown{45, 110};
inline constexpr TSpot Loc03NorthGate{40, 7}, Loc03FromYard{40, 10};
// A gate or device answers only when the player stands this close (tiles).
inline constexpr int ReachTiles = 4;

// People and devices the story needs.
inline constexpr TSpot Trader{70, 30}, Elder{25, 51}, Chief{67, 46}, Radio{18, 12};
inline constexpr TSpot Yakov{60, 30}, Transmitter{64, 24}, Battery{66, 88};
// Critter indices on their maps.
inline constexpr int TraderIndex = 1, ChiefIndex = 1, ElderIndex = 4, YakovIndex = 1;
inline constexpr int Looter1Index = 2, Looter2Index = 3;

}  // namespace demogen::story
