// Keeping the draw list: removal of finished objects and the row order.
#include "app/MainForm.h"
#include "critters/Critter.h"
#include "world/DrawOrder.h"
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

    // Dead critters go first so they are drawn under everything, then rows
    // from the top, in the order of a selection sort. It is not stable: the
    // swaps decide the order among equal rows, and overlapping figures show it.
    std::vector<TDrawKey> keys(Entries.size());
    std::vector<int32_t> order(Entries.size());
    for (size_t p = 0; p < Entries.size(); ++p) {
        const TDrawEntry& e = Entries[p];
        if (e.Kind == KindCritter) {
            if (const tCritter* c = world.Critter(e.Index)) keys[p] = {c->Y, c->State == csDead};
        } else if (const tObj* o = world.Object(e.Index)) {
            keys[p].Row = o->Y;
        }
        order[p] = int32_t(p);
    }
    SortDrawOrder(order, keys);
    std::vector<TDrawEntry> sorted;
    sorted.reserve(Entries.size());
    for (int32_t p : order) sorted.push_back(Entries[size_t(p)]);
    Entries = std::move(sorted);
}
