#pragma once
#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/ListControl.h"
#include "script/Script.h"
#include "world/DrawList.h"
#include "world/Grid.h"

class tCritter;
class tObj;

// A list of the world's records that anyone may read and only the world
// changes, so the labels, the grid, the numbering and the draw list never
// fall out of step with it.
template <class T>
class TRecordList {
public:
    using Ptr = std::shared_ptr<T>;
    size_t size() const { return Items.size(); }
    bool empty() const { return Items.empty(); }
    const Ptr& operator[](size_t i) const { return Items[i]; }
    const Ptr& at(size_t i) const { return Items.at(i); }
    const Ptr& front() const { return Items.front(); }
    const Ptr& back() const { return Items.back(); }
    auto begin() const { return Items.begin(); }
    auto end() const { return Items.end(); }

private:
    friend struct TWorld;
    std::vector<Ptr> Items;
};

// The location being played. Records are shared so that a method of a
// critter or object still on the call stack keeps its record alive when a
// script frees it (a map load); see tCritter::Released.
struct TWorld {
    TGrid Grid;
    TRecordList<tCritter> Critters;  // index 0 is the player
    TRecordList<tObj> Objects;
    std::unique_ptr<tObjHandler> DrawList;  // none until a game is first started
    std::string PatternName = "pattern1";   // background picture of the location
    TScriptPtr MapScript;
    // Bumped whenever the critter or object lists are replaced wholesale
    // (map load), so code holding positions can tell its records are gone.
    uint64_t Generation = 0;
    // Bumped whenever a record joins or leaves either list: the draw list
    // then reads every key again instead of only the changed ones.
    uint64_t RecordChanges = 0;
    // Objects Animate has marked finished since the last removal pass.
    int32_t FinishedObjects = 0;
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
    // The editor labels: entry i names record i. Shot effects at the end of
    // the object list have none. The panel's list boxes show these lists.
    TListControl CritterLabels, ObjectLabels;

    int CritterCount() const { return int(Critters.size()); }
    int ObjectCount() const { return int(Objects.size()); }
    tCritter* Critter(int i) const { return i >= 0 && i < CritterCount() ? Critters[size_t(i)].get() : nullptr; }
    tObj* Object(int i) const { return i >= 0 && i < ObjectCount() ? Objects[size_t(i)].get() : nullptr; }

    // The only ways the lists change. A label goes with a record into the
    // editor's list at the same position; a record without one (a shot
    // effect, a critter a test makes) gets none. Appending keeps every
    // number; inserting and removing renumber the later records and all
    // that names them (see RenumberCritters).
    void AppendCritter(std::shared_ptr<tCritter> c, const std::optional<std::string>& label = {});
    void AppendObject(std::shared_ptr<tObj> o, const std::optional<std::string>& label = {});
    void InsertCritter(TWorldContext& game, int at, std::shared_ptr<tCritter> c, const std::string& label);
    void InsertObject(TWorldContext& game, int at, std::shared_ptr<tObj> o, const std::string& label);
    // Takes the record off the grid and out of the world; it is returned
    // released, for an undo to copy from.
    std::shared_ptr<tCritter> RemoveCritter(TWorldContext& game, int at);
    std::shared_ptr<tObj> RemoveObject(TWorldContext& game, int at);
    // Drops the objects marked for removal (finished shot effects) without
    // renumbering the rest, as the draw list's keeper always has.
    void RemoveFinishedObjects();
    // Every record leaves (a map load, a saved game, the end of the game):
    // their scripts get no more events, the labels and the draw order empty,
    // and the generation moves on so code holding positions can tell.
    void Reset();
    void Reserve(size_t critters, size_t objects) {
        Critters.Items.reserve(critters);
        Objects.Items.reserve(objects);
    }
    // Redraws the order after records joined, left or moved; nothing
    // before a game has a draw list.
    void RedrawOrder() const;
};

// Scripts of records that must come out whole whatever their scripts do: a
// script error does not abandon the record half built. It is reported
// through the game's error report once the record is done (at the end of
// the map load during one).
TScriptPtr AttachScript(TWorldContext& game, TScriptPtr& slot, const std::string& path, int32_t ownerIndex,
                        int32_t ownerKind);
void DetachScript(TWorldContext& game, const TScriptPtr& script);
// A changed script file taken back in (debug mode's hot reload): every critter, object and the location
// running the file gets a new script of it, whose "OnCreate" runs. Returns how many were made.
int RecreateScripts(TWorldContext& game, const std::string& path);
void NoteScriptError(TWorldContext& game, std::exception_ptr error);

// After records left or joined a list at one position: every record takes
// its position as Index, and everything that names records by index (grid
// occupants, victims, script owners, and through the events the screens'
// own references) follows `map`, old index to new, -1 for a record that left.
void RenumberCritters(TWorldContext& game, const std::function<int(int)>& map);
void RenumberObjects(TWorldContext& game, const std::function<int(int)>& map);
