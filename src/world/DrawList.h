#pragma once
#include <cstdint>
#include <vector>

#include "world/DrawOrder.h"
#include "world/WorldContext.h"

class TSurface;
class tCritter;
class tObj;

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
    explicit tObjHandler(TWorldContext& game) : Game(game) {}
    // Removes finished objects and takes the rows everything stands on now;
    // the list is put in order from them when it is next read, so that the
    // tile changes of a frame pay for one sort, not one each.
    void Rebuild();
    // The same, after critters changed tiles or state: only the critters
    // marked by KeyChanged since the last Rebuild are read again, unless
    // records came or went or objects finished, when everything is.
    void RebuildForCritters();
    // A critter's row or state changed: the next rebuild reads it again.
    void KeyChanged(const tCritter& c);
    // A record's place or picture changed: the draw's note of it follows.
    void PlaceChanged(const tCritter& c);
    void PlaceChanged(const tObj& o);
    // Records were moved without a rebuild (the editor's nudge): the draw
    // takes every record's place again.
    void PlacesChanged() { PlacesTaken = false; }
    // The entries in draw order: as the last Rebuild found the location.
    const std::vector<TDrawEntry>& Entries() const;
    // Entries as a saved game holds them, taken as they stand.
    void Restore(std::vector<TDrawEntry> entries);
    void Clear() { Restore({}); }
    // The sprites on the surface, the location scrolled by (scrollX, scrollY).
    void Draw(TSurface& surface, int scrollX, int scrollY) const;
    // Off, the draw reads every entry's record, as a check of what passing over those off the screen leaves out.
    bool SkipOffScreen = true;
    // Pixel-exact pick under a screen point of what Draw left on the surface:
    // index (or -1) and kind.
    int32_t Pick(const TSurface& surface, int scrollX, int scrollY, int x, int y, int32_t& kind) const;
    // The object under (x, y) whose script answers a click, though another picture covers it there
    // (the player's own figure in front of a device), or -1.
    int32_t PickUsableObject(int scrollX, int scrollY, int x, int y) const;

    // While held, rebuilds wait and the last one asked for runs when the
    // hold ends: the order depends only on where everything stands at the
    // end, so a pass that moves every record pays for one sort, not one per
    // record.
    class THold {
    public:
        explicit THold(tObjHandler* list) : List(list) {
            if (List) ++List->Holds;
        }
        ~THold() {
            if (List && --List->Holds == 0 && List->Stale) List->Rebuild();
        }
        THold(const THold&) = delete;
        THold& operator=(const THold&) = delete;

    private:
        tObjHandler* List;
    };

private:
    TWorldContext& Game;
    int Holds = 0;
    bool Stale = false;
    // The keys the last Rebuild took, critters then objects in index order,
    // and whether the list still has to be sorted by them.
    std::vector<TDrawKey> Keys;
    int32_t KeyCritters = 0;
    uint64_t KeyRecordChanges = 0;  // the world's count of list changes when they were taken
    uint32_t KeyTaking = 0;         // which taking of all keys: the critters remember it with their place
    bool Reread = true;             // the next rebuild reads every key
    std::vector<int32_t> Changed;   // places of the critters marked since
    mutable bool Unsorted = false;
    mutable std::vector<TDrawEntry> List;

    // Where each record stands and which pictures it shows, so that the draw
    // passes over those off the screen without reading them: a critter's
    // pixel place, an object's anchor. Taken again whole after a rebuild, a
    // restore, a record joining or leaving, pictures coming or going, or
    // PlacesChanged.
    struct TCritterPlace {
        double X = 0, Y = 0;
        int32_t Image = -1, Shadow = -1;
    };
    struct TObjectPlace {
        int64_t X = 0, Y = 0;
        int32_t Image = -1;
    };
    static TCritterPlace PlaceOf(const tCritter* c);
    static TObjectPlace PlaceOf(const tObj* o);
    template <class TPlace>
    void Renote(std::vector<TPlace>& places, int32_t index, bool listed, const TPlace& place);
    void TakePlaces() const;
    struct TPictureSize {
        int32_t W, H, PatternW, PatternH;
    };
    bool MayShow(const TDrawEntry& e, int scrollX, int scrollY, const std::vector<TPictureSize>& sizes) const;
    mutable std::vector<TPictureSize> Sizes;  // the draw's scratch: the pictures' sizes, by index
    mutable std::vector<TCritterPlace> CritterPlaces;
    mutable std::vector<TObjectPlace> ObjectPlaces;
    mutable bool PlacesTaken = false;
    mutable uint64_t PlacesRecordChanges = 0;
    mutable int PlacesImages = 0;  // the pictures there were when they were taken
    mutable std::vector<TDrawEntry> Showing;  // the draw's scratch: the entries that may show, in order
};
