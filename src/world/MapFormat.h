#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "world/World.h"

// The location file: pattern name, map script name, the tile grid, then the
// critter and object records, all little-endian with 25-byte short strings.
// No header or version; the counts and the file size are the only check.
constexpr size_t MapShortStringBytes = 25;
constexpr size_t MapGridBytes = size_t(MapCols) * MapRows * sizeof(TCell);
constexpr size_t MapCritterCountOffset = 2 * MapShortStringBytes + MapGridBytes;
constexpr size_t MapCritterBytes = 105;
constexpr size_t MapObjectBytes = 93;
constexpr size_t EmptyMapBytes = MapCritterCountOffset + 8;
// A location holds at most one critter per tile and this many objects, so
// that no file can make a load or a frame take unbounded time.
constexpr int32_t MapMaxCritters = MapCols * MapRows;
constexpr int32_t MapMaxObjects = 16384;

// Texts are UTF-8 here, at most 24 characters once written.
struct TMapCritter {
    std::string Label;
    std::string Skin;
    int32_t StartX = 0, StartY = 0;
    int32_t Direction = 0;
    uint8_t Invisible = 0, Disabled = 0;
    int32_t HP = 0;
    int32_t DmgMax = 0;
    int32_t DmgMin = 0;
    std::string ScriptName;
    int32_t Accuracy = 0;
};

struct TMapObject {
    std::string Label;
    std::string ImageName;
    int32_t X = 0, Y = 0;
    int32_t OffsetX = 0, OffsetY = 0;
    uint8_t Invisible = 0, Disabled = 0;
    std::string ScriptName;
};

struct TMapData {
    std::string PatternName = "pattern1";
    std::string MapScript;
    std::vector<TCell> Grid = std::vector<TCell>(size_t(MapCols) * MapRows);  // column by column
    std::vector<TMapCritter> Critters;
    std::vector<TMapObject> Objects;
};

// Reads a whole location file. A file that does not hold exactly what its
// counts say (short, trailing bytes, a negative count, a count above its
// limit, a short string longer than 24) throws EGameError naming fileName and the fault.
TMapData ParseMap(std::string_view bytes, const std::string& fileName);
// The bytes of a location file; texts are cut to 24 characters and the
// unused bytes of short strings are zero.
std::string SerializeMap(const TMapData& map);
