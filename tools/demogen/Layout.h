#pragma once
// Where the location pictures put their walls, floors and roads, in tile
// coordinates (a tile is 20 x 10 pixels; the picture holds 80 x 120 tiles).
// The pictures are drawn from these tables, so a map generator can set walk
// blocks, shoot blocks and hit types that match what the player sees:
//   Walls  - ruined concrete walls: block walking and shots; hit type "concrete".
//   Metal  - containers, tanks, machinery: block walking and shots; hit type "metal".
//   Floors - concrete floors and slabs: walkable; hit type "concrete".
//   Roads  - cracked asphalt: walkable; hit type "concrete".
//   Lights - tiles under the pools of light of the night yard (a lamp_post object belongs there)
//            and of the dusk town (a fire_barrel belongs there).
// Everything else is open sand or dirt (hit type 0, "sand").
// A wall's whole drawing (top face and the south face below it) lies inside its rectangle.
#include <span>
#include <string_view>

namespace demogen {

struct TTileRect {
    int X, Y, W, H;  // columns X .. X+W-1, rows Y .. Y+H-1
    constexpr bool Contains(int tx, int ty) const { return tx >= X && tx < X + W && ty >= Y && ty < Y + H; }
};

struct TLocationLayout {
    std::string_view Pattern;  // picture name in Locations.lst
    std::span<const TTileRect> Walls, Metal, Floors, Roads, Lights;
};

namespace layout {

// pattern1: a sun-bleached crossroads with the shells of four buildings.
inline constexpr TTileRect Pattern1Walls[] = {
    // North-west ruin: a long hall with a door to the south and a breach to the east.
    {6, 10, 25, 2},
    {6, 12, 1, 22},
    {6, 34, 10, 2},
    {20, 34, 11, 2},
    {30, 12, 1, 9},
    {30, 26, 1, 8},
    // North-east bunker, where the game opens: two doors west and south.
    {58, 14, 19, 2},
    {58, 16, 1, 7},
    {58, 28, 1, 6},
    {58, 34, 7, 2},
    {69, 34, 8, 2},
    {76, 16, 1, 18},
    {66, 16, 1, 8},
    // South-west collapse: only parts of the walls stand.
    {8, 76, 12, 2},
    {8, 78, 1, 14},
    {8, 100, 8, 2},
    {20, 100, 9, 2},
    {28, 84, 1, 18},
    // South-east depot.
    {60, 84, 15, 2},
    {60, 86, 1, 6},
    {60, 98, 1, 8},
    {60, 106, 6, 2},
    {70, 106, 5, 2},
    {74, 86, 1, 20},
    // Lone fragments.
    {36, 30, 6, 2},
    {44, 96, 1, 8},
    {36, 70, 8, 2},
    {14, 46, 5, 2},
};
inline constexpr TTileRect Pattern1Floors[] = {
    {7, 12, 23, 22},
    {59, 16, 17, 18},
    {9, 78, 19, 22},
    {61, 86, 13, 20},
};
inline constexpr TTileRect Pattern1Roads[] = {
    {0, 56, 80, 7},
    {46, 0, 5, 56},
    {34, 63, 4, 57},
};

// pattern2: an industrial yard at night: warehouses, containers and a rail line.
inline constexpr TTileRect Pattern2Walls[] = {
    // Warehouse in the north-west with a wide gate.
    {4, 8, 30, 2},
    {4, 10, 1, 26},
    {33, 10, 1, 26},
    {4, 36, 10, 2},
    {24, 36, 10, 2},
    // Guard house.
    {62, 40, 12, 2},
    {62, 42, 1, 10},
    {73, 42, 1, 10},
    {62, 52, 4, 2},
    {69, 52, 5, 2},
    // Broken perimeter wall along the south.
    {0, 108, 14, 2},
    {20, 108, 22, 2},
    {48, 108, 10, 2},
    {64, 108, 16, 2},
    // Ruined annex.
    {8, 66, 16, 2},
    {8, 68, 1, 18},
    {23, 68, 1, 8},
    {8, 86, 7, 2},
};
inline constexpr TTileRect Pattern2Metal[] = {
    {44, 12, 3, 12}, {49, 12, 3, 12}, {54, 16, 3, 12},  // containers standing north-south
    {64, 12, 12, 4}, {64, 20, 12, 4},                   // containers lying east-west
    {40, 78, 4, 8},  {46, 82, 4, 8},                    // tanks
    {58, 70, 12, 4},
};
inline constexpr TTileRect Pattern2Floors[] = {
    {5, 10, 28, 26},
    {63, 42, 10, 10},
    {9, 68, 14, 18},
};
inline constexpr TTileRect Pattern2Roads[] = {
    {0, 56, 80, 6},
    {36, 0, 5, 56},
};
inline constexpr TTileRect Pattern2Lights[] = {
    {35, 40, 1, 1}, {20, 52, 1, 1}, {60, 36, 1, 1}, {52, 64, 1, 1}, {28, 100, 1, 1}, {70, 96, 1, 1}, {12, 44, 1, 1},
};

// pattern3: a ruined town at dusk: two streets, the shells of houses and the
// radio house in the north-east where Yakov keeps his transmitter.
inline constexpr TTileRect Pattern3Walls[] = {
    // North-west house, open to the south.
    {8, 14, 20, 2},
    {8, 16, 1, 20},
    {27, 16, 1, 8},
    {27, 30, 1, 6},
    {8, 36, 8, 2},
    {20, 36, 8, 2},
    // The radio house: a door in the south wall.
    {50, 18, 22, 2},
    {50, 20, 1, 22},
    {71, 20, 1, 22},
    {50, 42, 8, 2},
    {63, 42, 9, 2},
    // South-west ruin.
    {6, 76, 18, 2},
    {6, 78, 1, 16},
    {6, 94, 6, 2},
    {17, 94, 7, 2},
    {23, 78, 1, 8},
    // South-east ruin, the looters' den: its door faces north.
    {52, 80, 8, 2},
    {65, 80, 7, 2},
    {52, 82, 1, 18},
    {71, 82, 1, 18},
    {52, 100, 20, 2},
    // West house by the crossroads, its door to the east.
    {2, 44, 14, 2},
    {2, 46, 1, 12},
    {15, 46, 1, 4},
    {2, 58, 14, 2},
    // East shell, open to the west.
    {64, 48, 12, 2},
    {75, 50, 1, 8},
    {64, 58, 12, 2},
    // Lone fragments along the streets.
    {24, 50, 6, 2},
    {58, 56, 1, 6},
    {12, 108, 10, 2},
    {26, 104, 8, 2},
};
inline constexpr TTileRect Pattern3Floors[] = {
    {9, 16, 18, 20}, {3, 46, 12, 12}, {65, 50, 10, 8}, {51, 20, 20, 22}, {7, 78, 16, 16}, {53, 82, 18, 18},
};
inline constexpr TTileRect Pattern3Roads[] = {
    {36, 0, 6, 120},
    {0, 62, 80, 6},
};
// Fires burning in the street at dusk.
inline constexpr TTileRect Pattern3Lights[] = {
    {44, 48, 1, 1},
    {32, 72, 1, 1},
    {62, 72, 1, 1},
    {46, 100, 1, 1},
};

}  // namespace layout

inline constexpr TLocationLayout Layouts[] = {
    {"pattern1", layout::Pattern1Walls, {}, layout::Pattern1Floors, layout::Pattern1Roads, {}},
    {"pattern2", layout::Pattern2Walls, layout::Pattern2Metal, layout::Pattern2Floors, layout::Pattern2Roads,
     layout::Pattern2Lights},
    {"pattern3", layout::Pattern3Walls, {}, layout::Pattern3Floors, layout::Pattern3Roads, layout::Pattern3Lights},
};

}  // namespace demogen
