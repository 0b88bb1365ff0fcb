// Several critters and objects at once: the rubber band, and deleting,
// copying, pasting, duplicating and moving them, each one step.
#include <algorithm>

#include "critters/Critter.h"
#include "editor/model/ControlForm.h"
#include "world/Obj.h"
#include "world/World.h"

namespace {
int LabelledObjectCount(const TControlForm& form) {
    return int(std::min(form.Game.World.Objects.size(), form.ObjectListBox.Items.size()));
}

bool FreeTile(const TControlForm& form, int x, int y) {
    return TGrid::Inside(x, y) && form.Game.World.Grid.At(x, y).WalkBlock == 0;
}

TCritterValues CritterValuesOf(const TControlForm& form, int i) {
    const tCritter& c = *form.Game.World.Critters[size_t(i)];
    TCritterValues v;
    v.X = c.StartX;
    v.Y = c.StartY;
    v.Direction = c.State == csFiring ? c.Direction / 2 : c.Direction;
    v.Skin = c.Skin;
    v.Label = size_t(i) < form.CritterListBox.Items.size() ? form.CritterListBox.Items[size_t(i)] : std::string();
    v.UseLabel = true;
    v.HP = c.HP;
    v.Invisible = c.Invisible;
    v.Disabled = c.Disabled;
    v.ScriptName = c.ScriptName;
    v.DmgMin = c.DmgMin;
    v.DmgMax = c.DmgMax;
    v.Accuracy = c.Accuracy;
    return v;
}

TObjectValues ObjectValuesOf(const TControlForm& form, int i) {
    const tObj& o = *form.Game.World.Objects[size_t(i)];
    TObjectValues v;
    v.X = o.X;
    v.Y = o.Y;
    v.OffsetX = o.OffsetX;
    v.OffsetY = o.OffsetY;
    v.ImageName = o.ImageName;
    v.Label = form.ObjectListBox.Items[size_t(i)];
    v.Invisible = o.Invisible;
    v.Disabled = o.Disabled;
    v.ScriptName = o.ScriptName;
    return v;
}
}  // namespace

void TControlForm::PruneSelection() {
    const int critters = Game.World.CritterCount(), objects = LabelledObjectCount(*this);
    std::erase_if(SelectedCritters, [&](int i) { return i < 0 || i >= critters; });
    std::erase_if(SelectedObjects, [&](int i) { return i < 0 || i >= objects; });
}

void TControlForm::ClearSelection() {
    SelectedCritters.clear();
    SelectedObjects.clear();
}

void TControlForm::SelectRect(int x0, int y0, int x1, int y1) {
    ClearSelection();
    const int left = std::min(x0, x1), right = std::max(x0, x1), top = std::min(y0, y1), bottom = std::max(y0, y1);
    auto inside = [&](int x, int y) { return x >= left && x <= right && y >= top && y <= bottom; };
    const TWorld& world = Game.World;
    for (int i = 0; i < world.CritterCount(); ++i)
        if (inside(world.Critters[size_t(i)]->X, world.Critters[size_t(i)]->Y)) SelectedCritters.push_back(i);
    for (int i = 0; i < LabelledObjectCount(*this); ++i)
        if (inside(world.Objects[size_t(i)]->X, world.Objects[size_t(i)]->Y)) SelectedObjects.push_back(i);
    // The first of them shows its fields.
    if (!SelectedCritters.empty()) {
        CritterListBox.ItemIndex = SelectedCritters.front();
        CritterListBoxClick();
    }
    if (!SelectedObjects.empty()) {
        ObjectListBox.ItemIndex = SelectedObjects.front();
        ObjectListBoxClick();
    }
}

void TControlForm::DeleteSelection() {
    PruneSelection();
    std::vector<TEditMaker> makers;
    // From the last position down, so the positions still to go stay put. The player stays.
    std::vector<int> critters = SelectedCritters, objects = SelectedObjects;
    std::sort(critters.rbegin(), critters.rend());
    std::sort(objects.rbegin(), objects.rend());
    for (int i : critters)
        if (i > 0) makers.push_back([i](TControlForm&) { return MakeDeleteCritter(i); });
    for (int i : objects) makers.push_back([i](TControlForm&) { return MakeDeleteObject(i); });
    ClearSelection();
    if (!makers.empty()) History.Run(*this, MakeGroup("Удаление выделенного", std::move(makers)));
}

void TControlForm::CopySelection() {
    PruneSelection();
    if (!HasMultiSelection()) return;
    Clipboard = {};
    int left = MapCols, top = MapRows;
    for (int i : SelectedCritters) {
        left = std::min(left, Game.World.Critters[size_t(i)]->StartX);
        top = std::min(top, Game.World.Critters[size_t(i)]->StartY);
    }
    for (int i : SelectedObjects) {
        left = std::min(left, Game.World.Objects[size_t(i)]->X);
        top = std::min(top, Game.World.Objects[size_t(i)]->Y);
    }
    // The player is never copied: a location has one.
    for (int i : SelectedCritters)
        if (i > 0) {
            TCritterValues v = CritterValuesOf(*this, i);
            Clipboard.Critters.push_back({v, {v.X - left, v.Y - top}});
        }
    for (int i : SelectedObjects) {
        TObjectValues v = ObjectValuesOf(*this, i);
        Clipboard.Objects.push_back({v, {v.X - left, v.Y - top}});
    }
}

void TControlForm::PasteAt(int x, int y) {
    if (Clipboard.Critters.empty() && Clipboard.Objects.empty()) return;
    const int critters = Game.World.CritterCount(), objects = LabelledObjectCount(*this);
    std::vector<TEditMaker> makers;
    for (const auto& [values, at] : Clipboard.Critters) {
        TCritterValues v = values;
        v.X = x + at.first;
        v.Y = y + at.second;
        // A tile that is blocked (or off the map) gets none.
        makers.push_back([v](TControlForm& form) -> std::unique_ptr<TEditCommand> {
            return FreeTile(form, v.X, v.Y) ? MakeAddCritter(v.X, v.Y, v) : nullptr;
        });
    }
    for (const auto& [values, at] : Clipboard.Objects) {
        TObjectValues v = values;
        v.X = x + at.first;
        v.Y = y + at.second;
        makers.push_back([v](TControlForm&) { return MakeAddObject(v.X, v.Y, v); });
        // The pixel offsets too, which a new object starts without.
        if (v.OffsetX != 0 || v.OffsetY != 0)
            makers.push_back([v](TControlForm& form) { return MakeApplyObject(LabelledObjectCount(form) - 1, v); });
    }
    History.Run(*this, MakeGroup("Вставка", std::move(makers)));
    ClearSelection();
    for (int i = critters; i < Game.World.CritterCount(); ++i) SelectedCritters.push_back(i);
    for (int i = objects; i < LabelledObjectCount(*this); ++i) SelectedObjects.push_back(i);
}

void TControlForm::DuplicateSelection() {
    PruneSelection();
    if (!HasMultiSelection()) return;
    const TClip kept = Clipboard;
    CopySelection();
    int left = MapCols, top = MapRows;
    for (int i : SelectedCritters) left = std::min(left, Game.World.Critters[size_t(i)]->StartX);
    for (int i : SelectedObjects) left = std::min(left, Game.World.Objects[size_t(i)]->X);
    for (int i : SelectedCritters) top = std::min(top, Game.World.Critters[size_t(i)]->StartY);
    for (int i : SelectedObjects) top = std::min(top, Game.World.Objects[size_t(i)]->Y);
    PasteAt(left + 1, top + 1);
    Clipboard = kept;
}

void TControlForm::MoveSelection(int dx, int dy) {
    PruneSelection();
    if ((dx == 0 && dy == 0) || !HasMultiSelection()) return;
    // The ones in front go first, so nobody steps onto a tile a neighbour still holds.
    std::vector<int> critters = SelectedCritters;
    auto ahead = [&](int i) {
        const tCritter& c = *Game.World.Critters[size_t(i)];
        return c.StartX * dx + c.StartY * dy;
    };
    std::sort(critters.begin(), critters.end(), [&](int a, int b) { return ahead(a) > ahead(b); });
    std::vector<TEditMaker> makers;
    for (int i : critters)
        makers.push_back([i, dx, dy](TControlForm& form) -> std::unique_ptr<TEditCommand> {
            const tCritter& c = *form.Game.World.Critters[size_t(i)];
            const int x = c.StartX + dx, y = c.StartY + dy;
            return FreeTile(form, x, y) ? MakeMoveCritter(i, x, y) : nullptr;
        });
    for (int i : SelectedObjects)
        makers.push_back([i, dx, dy](TControlForm& form) {
            const tObj& o = *form.Game.World.Objects[size_t(i)];
            return MakeMoveObject(i, o.X + dx, o.Y + dy);
        });
    History.Run(*this, MakeGroup("Перемещение выделенного", std::move(makers)));
}

void TControlForm::BandDown(int x, int y) {
    PruneSelection();
    const TWorld& world = Game.World;
    auto on = [&](int i, bool critter) {
        return critter ? world.Critters[size_t(i)]->X == x && world.Critters[size_t(i)]->Y == y
                       : world.Objects[size_t(i)]->X == x && world.Objects[size_t(i)]->Y == y;
    };
    DraggingSelection = std::any_of(SelectedCritters.begin(), SelectedCritters.end(), [&](int i) { return on(i, true); }) ||
                        std::any_of(SelectedObjects.begin(), SelectedObjects.end(), [&](int i) { return on(i, false); });
    Banding = !DraggingSelection;
    BandX0 = BandX1 = x;
    BandY0 = BandY1 = y;
}

void TControlForm::BandMove(int x, int y) {
    if (!Banding && !DraggingSelection) return;
    BandX1 = std::clamp(x, -1, MapCols);
    BandY1 = std::clamp(y, -1, MapRows);
}

void TControlForm::BandUp(int x, int y) {
    if (!Banding && !DraggingSelection) return;
    BandMove(x, y);
    const bool band = Banding;
    Banding = DraggingSelection = false;
    if (band)
        SelectRect(BandX0, BandY0, BandX1, BandY1);
    else
        MoveSelection(BandX1 - BandX0, BandY1 - BandY0);
}

bool TControlForm::BandRect(int& x0, int& y0, int& x1, int& y1) const {
    if (!Banding) return false;
    x0 = std::min(BandX0, BandX1);
    x1 = std::max(BandX0, BandX1);
    y0 = std::min(BandY0, BandY1);
    y1 = std::max(BandY0, BandY1);
    return true;
}
