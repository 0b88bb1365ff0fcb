#pragma once
#include <cstdint>
#include <vector>

#include "world/WorldContext.h"

class TSurface;

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
    void Rebuild();
    // The sprites on the surface, the location scrolled by (scrollX, scrollY).
    void Draw(TSurface& surface, int scrollX, int scrollY) const;
    // Pixel-exact pick under a screen point of what Draw left on the surface:
    // index (or -1) and kind.
    int32_t Pick(const TSurface& surface, int scrollX, int scrollY, int x, int y, int32_t& kind) const;
    std::vector<TDrawEntry> Entries;

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
};
