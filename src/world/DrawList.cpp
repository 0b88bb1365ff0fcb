// Keeping the draw list: removal of finished objects and the row order.
#include "app/MainForm.h"
#include "critters/Critter.h"
#include "world/Obj.h"

void tObjHandler::Rebuild() {
    TWorld& world = Game.World;
    TListControl& labels = Game.ControlForm.ObjectListBox;
    for (size_t p = 0; p < world.Objects.size();) {
        if (!world.Objects[p] || !world.Objects[p]->PendingRemoval) {
            ++p;
            continue;
        }
        world.Objects[p]->Release();
        world.Objects.erase(world.Objects.begin() + std::ptrdiff_t(p));
        // Editor entry i belongs to object i; effect objects at the end have none.
        if (p < labels.Items.size()) {
            labels.Items.erase(labels.Items.begin() + std::ptrdiff_t(p));
            if (labels.ItemIndex > int(p) || labels.ItemIndex >= int(labels.Items.size())) --labels.ItemIndex;
        }
    }

    Entries.clear();
    Entries.reserve(world.Critters.size() + world.Objects.size());
    for (int i = 0; i < world.CritterCount(); ++i) Entries.push_back({KindCritter, i});
    for (int i = 0; i < world.ObjectCount(); ++i) Entries.push_back({KindObject, i});

    auto row = [&](const TDrawEntry& e) -> int32_t {
        if (e.Kind == KindCritter) {
            const tCritter* c = world.Critter(e.Index);
            return c ? c->Y : 0;
        }
        const tObj* o = world.Object(e.Index);
        return o ? o->Y : 0;
    };
    auto dead = [&](const TDrawEntry& e) {
        const tCritter* c = e.Kind == KindCritter ? world.Critter(e.Index) : nullptr;
        return c && c->State == csDead;
    };
    // A selection sort: dead critters go first so they are drawn under
    // everything, then rows from the top. It is not stable: the swaps decide
    // the order among equal rows, and overlapping figures show it.
    const int count = int(Entries.size());
    for (int i = 0; i + 1 < count; ++i) {
        int best = i;
        int32_t key = row(Entries[size_t(i)]);
        for (int k = i + 1; k < count; ++k) {
            if (dead(Entries[size_t(k)])) {
                best = k;
                break;
            }
            int32_t y = row(Entries[size_t(k)]);
            if (y < key) {
                best = k;
                key = y;
            }
        }
        std::swap(Entries[size_t(i)], Entries[size_t(best)]);
    }
}
