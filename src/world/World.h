#pragma once
#include <array>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "script/Script.h"

class tCritter;
class tObj;
class TMainForm;

constexpr int MapCols = 80;
constexpr int MapRows = 120;
constexpr int TileW = 20;
constexpr int TileH = 10;

// One tile of the grid, 8 bytes as in the location file.
struct TCell {
    uint8_t WalkBlock = 0;
    uint8_t ShootBlock = 0;
    uint8_t WalkAnim = 0;
    uint8_t HitType = 0;
    int32_t Occupant = -1;
};
static_assert(sizeof(TCell) == 8);

// 80 x 120 cells stored column by column: cell (X, Y) is number X * 120 + Y.
class TGrid {
public:
    TGrid() { Clear(); }
    void Clear() { Cells.fill(TCell{}); }
    static bool Inside(int x, int y) { return x >= 0 && y >= 0 && x < MapCols && y < MapRows; }
    // Cells outside the grid read as a blocked scratch cell whose writes are
    // thrown away, so a stray coordinate never touches memory outside.
    TCell& At(int x, int y) {
        if (!Inside(x, y)) {
            Scratch = TCell{1, 1, 0, 0, -1};
            return Scratch;
        }
        return Cells[size_t(x) * MapRows + y];
    }
    const TCell& At(int x, int y) const { return Inside(x, y) ? Cells[size_t(x) * MapRows + y] : Outside; }
    std::array<TCell, MapCols * MapRows>& Raw() { return Cells; }
    const std::array<TCell, MapCols * MapRows>& Raw() const { return Cells; }

private:
    std::array<TCell, MapCols * MapRows> Cells;
    TCell Scratch;
    static inline const TCell Outside{1, 1, 0, 0, -1};
};

// Draw-list entry kinds.
enum : int32_t { KindCritter = 0, KindObject = 1 };

struct TDrawEntry {
    int32_t Kind = KindCritter;
    int32_t Index = 0;
};

// The draw list: critters and objects in the order they are drawn and
// picked, and the keeper that removes finished objects.
class tObjHandler {
public:
    explicit tObjHandler(TMainForm& game) : Game(game) {}
    void Rebuild();
    void Draw();
    // Pixel-exact pick under a screen point: index (or -1) and kind.
    int32_t Pick(int x, int y, int32_t& kind);
    std::vector<TDrawEntry> Entries;

private:
    TMainForm& Game;
};

// The location being played. Records are shared so that a method of a
// critter or object still on the call stack keeps its record alive when a
// script frees it (a map load); see tCritter::Released.
struct TWorld {
    TGrid Grid;
    std::vector<std::shared_ptr<tCritter>> Critters;  // index 0 is the player
    std::vector<std::shared_ptr<tObj>> Objects;
    std::unique_ptr<tObjHandler> DrawList;  // none until a game is first started
    std::string PatternName = "pattern1";   // background picture of the location
    TScriptPtr MapScript;
    // Bumped whenever the critter or object lists are replaced wholesale
    // (map load), so code holding positions can tell its records are gone.
    uint64_t Generation = 0;
    // While above 0 (a map load), script errors of records being built wait
    // in CollectedErrors until the location is complete.
    int CollectingErrors = 0;
    std::vector<std::exception_ptr> CollectedErrors;
    // Loads under way, each started by a script of the one below it. A
    // location whose OnCreate loads itself stops at the limit, not after a
    // thousand picture reloads.
    int LoadDepth = 0;
    static constexpr int MaxLoadDepth = 16;
    // Errors of a load that failed as a whole: its cause is reported first,
    // where it is caught, and these right after it.
    std::vector<std::exception_ptr> DeferredErrors;

    int CritterCount() const { return int(Critters.size()); }
    int ObjectCount() const { return int(Objects.size()); }
    tCritter* Critter(int i) const { return i >= 0 && i < CritterCount() ? Critters[size_t(i)].get() : nullptr; }
    tObj* Object(int i) const { return i >= 0 && i < ObjectCount() ? Objects[size_t(i)].get() : nullptr; }
};

// Scripts of records that must come out whole whatever their scripts do: a
// script error does not abandon the record half built. It is reported
// through the game's error report once the record is done (at the end of
// the map load during one).
TScriptPtr AttachScript(TMainForm& game, TScriptPtr& slot, const std::string& path, int32_t ownerIndex,
                        int32_t ownerKind);
void DetachScript(TMainForm& game, const TScriptPtr& script);
void NoteScriptError(TMainForm& game, std::exception_ptr error);
