// The edits of the location and how each is taken back.
//
// Critters and objects are kept numbered by position: after a record is
// removed or put back, the world renumbers the later ones and everything
// that names them.
#include "editor/model/EditCommands.h"

#include <algorithm>
#include <functional>

#include "base/Errors.h"
#include "base/Text.h"
#include "critters/Critter.h"
#include "editor/model/ControlForm.h"
#include "world/Obj.h"
#include "world/World.h"

namespace {

// Everything of a critter that the editor can change or that a delete loses.
struct TCritterSnapshot {
    std::string Label;
    std::string Skin;
    int StartX = 0, StartY = 0;
    int X = 0, Y = 0;
    bool OnGrid = false;
    bool Placed = false;
    int Direction = 0;
    bool Invisible = false, Disabled = false;
    int HP = 0, DmgMin = 0, DmgMax = 0, Accuracy = 0, Ammo = 0;
    int Victim = -1;
    std::string ScriptName;
};

struct TObjectSnapshot {
    std::string Label;
    std::string ImageName;
    int X = 0, Y = 0, OffsetX = 0, OffsetY = 0;
    bool Invisible = false, Disabled = false;
    std::string ScriptName;
    int Alpha = 255, FrameWidth = 0, FrameHeight = 0;
};

// Whole cells as they were before an edit, to be put back after its undo:
// two critters may share a cell, and only the cell remembers which of them
// it named.
class TCellMemo {
public:
    void Clear() { Cells.clear(); }
    void Note(const TGrid& grid, int x, int y) {
        if (!TGrid::Inside(x, y)) return;
        int index = x * MapRows + y;
        for (const auto& c : Cells)
            if (c.first == index) return;
        Cells.emplace_back(index, grid.At(x, y));
    }
    void Restore(TGrid& grid) const {
        for (const auto& [index, cell] : Cells) grid.Raw()[size_t(index)] = cell;
    }

private:
    std::vector<std::pair<int, TCell>> Cells;
};

std::string LabelAt(const TListControl& list, int i) {
    return i >= 0 && size_t(i) < list.Items.size() ? list.Items[size_t(i)] : std::string();
}

void SetLabel(TListControl& list, int i, const std::string& text) {
    if (i >= 0 && size_t(i) < list.Items.size()) list.Items[size_t(i)] = text;
}

int EightWay(const tCritter& c) {
    return c.State == csFiring ? c.Direction / 2 : c.Direction;
}

// Positions of the labelled objects; shot effects follow them.
int LabelledObjects(const TWorldContext& game) {
    return int(std::min(game.World.Objects.size(), game.World.ObjectLabels.Items.size()));
}

TCritterSnapshot TakeCritter(const TWorldContext& game, int i) {
    const tCritter& c = *game.World.Critters[size_t(i)];
    TCritterSnapshot s;
    s.Label = LabelAt(game.World.CritterLabels, i);
    s.Skin = c.Skin;
    s.StartX = c.StartX;
    s.StartY = c.StartY;
    s.X = c.X;
    s.Y = c.Y;
    s.OnGrid = c.OnGrid;
    s.Placed = c.Placed;
    s.Direction = EightWay(c);
    s.Invisible = c.Invisible;
    s.Disabled = c.Disabled;
    s.HP = c.HP;
    s.DmgMin = c.DmgMin;
    s.DmgMax = c.DmgMax;
    s.Accuracy = c.Accuracy;
    s.Ammo = c.Ammo;
    s.Victim = c.Victim;
    s.ScriptName = c.ScriptName;
    return s;
}

// Puts the critter back on its tile, or takes it off the grid.
void Place(tCritter& c, bool onGrid, int x, int y) {
    c.SetPosition(x, y);
    if (!onGrid) c.ReleaseTile();
}

// Gives an existing critter the values of a snapshot. Its script is made
// again only when the name differs.
void RestoreCritter(TWorldContext& game, int i, const TCritterSnapshot& s) {
    tCritter& c = *game.World.Critters[size_t(i)];
    std::shared_ptr<tCritter> keep = c.shared_from_this();
    c.SetDirection(s.Direction);
    c.SetSkin(s.Skin);
    c.SetAnimation(csIdle);
    c.StartX = s.StartX;
    c.StartY = s.StartY;
    Place(c, s.OnGrid, s.X, s.Y);
    SetLabel(game.World.CritterLabels, i, s.Label);
    c.HP = s.HP;
    c.Invisible = s.Invisible;
    c.Disabled = s.Disabled;
    if (c.ScriptName != s.ScriptName) c.SetScript(s.ScriptName);
    c.DmgMin = s.DmgMin;
    c.DmgMax = s.DmgMax;
    c.Accuracy = s.Accuracy;
}

// A new record at position i, the later ones moving up. False when a script
// of the new record loaded another location meanwhile.
bool InsertCritter(TWorldContext& game, int i, const TCritterSnapshot& s) {
    TWorld& world = game.World;
    const uint64_t generation = world.Generation;
    auto c = std::make_shared<tCritter>(game, i);
    if (world.Generation != generation) {
        c->Release();
        return false;
    }
    world.InsertCritter(game, i, c, s.Label);
    c->Placed = s.Placed;
    c->SetDirection(s.Direction);
    c->SetSkin(s.Skin);
    c->SetAnimation(csIdle);
    c->StartX = s.StartX;
    c->StartY = s.StartY;
    Place(*c, s.OnGrid, s.X, s.Y);
    c->HP = s.HP;
    c->Ammo = s.Ammo;
    c->Victim = s.Victim;
    c->SetScript(s.ScriptName);
    if (world.Generation != generation) return false;
    c->DmgMin = s.DmgMin;
    c->DmgMax = s.DmgMax;
    c->Invisible = s.Invisible;
    c->Disabled = s.Disabled;
    c->Accuracy = s.Accuracy;
    return true;
}

TCritterSnapshot RemoveCritter(TWorldContext& game, int i) {
    TCritterSnapshot s = TakeCritter(game, i);
    game.World.RemoveCritter(game, i);
    return s;
}

TObjectSnapshot TakeObject(const TWorldContext& game, int i) {
    const tObj& o = *game.World.Objects[size_t(i)];
    TObjectSnapshot s;
    s.Label = LabelAt(game.World.ObjectLabels, i);
    s.ImageName = o.ImageName;
    s.X = o.X;
    s.Y = o.Y;
    s.OffsetX = o.OffsetX;
    s.OffsetY = o.OffsetY;
    s.Invisible = o.Invisible;
    s.Disabled = o.Disabled;
    s.ScriptName = o.ScriptName;
    s.Alpha = o.Alpha;
    s.FrameWidth = o.FrameWidth;
    s.FrameHeight = o.FrameHeight;
    return s;
}

// The picture and what it leaves behind: the alpha and frame size survive a
// picture without a section or without a bitmap.
void RestoreLook(tObj& o, const TObjectSnapshot& s) {
    o.SetImage(s.ImageName);
    o.Alpha = s.Alpha;
    o.FrameWidth = s.FrameWidth;
    o.FrameHeight = s.FrameHeight;
}

void RestoreObject(TWorldContext& game, int i, const TObjectSnapshot& s) {
    tObj& o = *game.World.Objects[size_t(i)];
    std::shared_ptr<tObj> keep = o.shared_from_this();
    o.X = s.X;
    o.Y = s.Y;
    o.OffsetX = s.OffsetX;
    o.OffsetY = s.OffsetY;
    RestoreLook(o, s);
    SetLabel(game.World.ObjectLabels, i, s.Label);
    o.Invisible = s.Invisible;
    o.Disabled = s.Disabled;
    if (o.ScriptName != s.ScriptName) o.SetScript(s.ScriptName);
}

bool InsertObject(TWorldContext& game, int i, const TObjectSnapshot& s) {
    TWorld& world = game.World;
    const uint64_t generation = world.Generation;
    auto o = std::make_shared<tObj>(game, i);
    if (world.Generation != generation) {
        o->Release();
        return false;
    }
    world.InsertObject(game, i, o, s.Label);
    o->X = s.X;
    o->Y = s.Y;
    o->OffsetX = s.OffsetX;
    o->OffsetY = s.OffsetY;
    RestoreLook(*o, s);
    o->Invisible = s.Invisible;
    o->Disabled = s.Disabled;
    o->SetScript(s.ScriptName);
    return world.Generation == generation;
}

TObjectSnapshot RemoveObject(TWorldContext& game, int i) {
    TObjectSnapshot s = TakeObject(game, i);
    game.World.RemoveObject(game, i);
    return s;
}

void SelectCritter(TControlForm& form, int i) {
    int count = form.Game.World.CritterCount();
    form.CritterListBox.ItemIndex = count == 0 ? -1 : std::clamp(i, 0, count - 1);
    form.CritterListBoxClick();
}

void SelectObject(TControlForm& form, int i) {
    int count = int(form.ObjectListBox.Items.size());
    form.ObjectListBox.ItemIndex = count == 0 ? -1 : std::clamp(i, -1, count - 1);
    form.ObjectListBoxClick();
}

void NeedCritter(TControlForm& form, int i, int first = 0) {
    if (i < first || i >= form.Game.World.CritterCount())
        throw EGameError("There is no critter " + std::to_string(i) + " to edit");
}

void NeedObject(TControlForm& form, int i) {
    if (i < 0 || i >= LabelledObjects(form.Game))
        throw EGameError("There is no object " + std::to_string(i) + " to edit");
}

void NeedFreeTile(TControlForm& form, int x, int y) {
    if (!TGrid::Inside(x, y))
        throw EGameError("Tile " + std::to_string(x) + "x" + std::to_string(y) + " is off the map");
    if (form.Game.World.Grid.At(x, y).WalkBlock != 0)
        throw EGameError("Tile " + std::to_string(x) + "x" + std::to_string(y) + " is blocked");
}

// ---- Critters ---------------------------------------------------------------

class TAddCritter : public TEditCommand {
public:
    TAddCritter(int x, int y, const TCritterValues& v) : X(x), Y(y), Values(v) {}
    std::string Name() const override { return "Добавление персонажа"; }
    void CheckDo(TControlForm& form) const override { NeedFreeTile(form, X, Y); }
    void CheckUndo(TControlForm& form) const override {
        if (Index != form.Game.World.CritterCount() - 1) throw EGameError("The added critter is no longer last");
    }
    void Do(TControlForm& form) override {
        TWorldContext& game = form.Game;
        Cells.Clear();
        Cells.Note(game.World.Grid, X, Y);
        Selected = form.CritterListBox.ItemIndex;
        Index = game.World.CritterCount();
        if (Made) {
            if (!InsertCritter(game, Index, Snapshot)) return;
        } else if (!Create(game)) {
            return;
        }
        SelectCritter(form, Index);
        game.World.RedrawOrder();
    }
    void Undo(TControlForm& form) override {
        RemoveCritter(form.Game, Index);
        Cells.Restore(form.Game.World.Grid);
        SelectCritter(form, Selected);
        form.Game.World.RedrawOrder();
    }

private:
    bool Create(TWorldContext& game) {
        TWorld& world = game.World;
        const uint64_t generation = world.Generation;
        auto c = std::make_shared<tCritter>(game, Index);
        if (world.Generation != generation) {
            c->Release();
            return false;
        }
        world.AppendCritter(c, Values.UseLabel ? Values.Label : "NPC" + std::to_string(world.CritterLabels.Items.size()));
        c->Placed = true;
        c->SetDirection(Values.Direction);
        c->SetSkin(Values.Skin);
        c->SetAnimation(csIdle);
        c->StartX = X;
        c->StartY = Y;
        c->SetPosition(X, Y);
        c->HP = Values.HP;
        c->SetScript(Values.ScriptName);
        if (world.Generation != generation) return false;
        c->DmgMin = Values.DmgMin;
        c->DmgMax = Values.DmgMax;
        c->Invisible = Values.Invisible;
        c->Disabled = Values.Disabled;
        c->Accuracy = Values.Accuracy;
        Snapshot = TakeCritter(game, Index);
        Made = true;
        return true;
    }

    int X, Y;
    TCritterValues Values;
    int Index = -1;
    int Selected = -1;
    bool Made = false;
    TCritterSnapshot Snapshot;
    TCellMemo Cells;
};

class TMoveCritter : public TEditCommand {
public:
    TMoveCritter(int index, int x, int y) : Index(index), X(x), Y(y) {}
    std::string Name() const override { return "Перемещение персонажа"; }
    void CheckDo(TControlForm& form) const override {
        NeedCritter(form, Index);
        NeedFreeTile(form, X, Y);
    }
    void CheckUndo(TControlForm& form) const override { NeedCritter(form, Index); }
    void Do(TControlForm& form) override {
        TWorldContext& game = form.Game;
        tCritter& c = *game.World.Critters[size_t(Index)];
        Before = TakeCritter(game, Index);
        Cells.Clear();
        Cells.Note(game.World.Grid, c.X, c.Y);
        Cells.Note(game.World.Grid, X, Y);
        c.StartX = X;
        c.StartY = Y;
        c.Stop();
        c.SetPosition(c.StartX, c.StartY);
        form.CritterListBoxClick();
        game.World.RedrawOrder();
    }
    void Undo(TControlForm& form) override {
        tCritter& c = *form.Game.World.Critters[size_t(Index)];
        c.StartX = Before.StartX;
        c.StartY = Before.StartY;
        Place(c, Before.OnGrid, Before.X, Before.Y);
        Cells.Restore(form.Game.World.Grid);
        form.Game.World.RedrawOrder();
    }
    void Show(TControlForm& form) override { SelectCritter(form, Index); }

private:
    int Index, X, Y;
    TCritterSnapshot Before;
    TCellMemo Cells;
};

class TApplyCritter : public TEditCommand {
public:
    TApplyCritter(int index, const TCritterValues& v) : Index(index), Values(v) {}
    std::string Name() const override { return "Изменение персонажа"; }
    void CheckDo(TControlForm& form) const override { NeedCritter(form, Index); }
    void CheckUndo(TControlForm& form) const override { NeedCritter(form, Index); }
    void Do(TControlForm& form) override {
        TWorldContext& game = form.Game;
        tCritter& c = *game.World.Critters[size_t(Index)];
        std::shared_ptr<tCritter> keep = c.shared_from_this();
        Before = TakeCritter(game, Index);
        Cells.Clear();
        Cells.Note(game.World.Grid, c.X, c.Y);
        Cells.Note(game.World.Grid, Values.X, Values.Y);
        c.SetDirection(Values.Direction);
        c.SetSkin(Values.Skin);
        c.SetAnimation(csIdle);
        c.StartX = Values.X;
        c.StartY = Values.Y;
        c.SetPosition(Values.X, Values.Y);
        // The player's label is fixed.
        if (Index != 0) SetLabel(form.CritterListBox, Index, Values.Label);
        c.HP = Values.HP;
        c.Invisible = Values.Invisible;
        c.Disabled = Values.Disabled;
        const uint64_t generation = game.World.Generation;
        c.SetScript(Values.ScriptName);
        if (game.World.Generation != generation) return;
        c.DmgMin = Values.DmgMin;
        c.DmgMax = Values.DmgMax;
        c.Accuracy = Values.Accuracy;
        game.World.RedrawOrder();
    }
    void Undo(TControlForm& form) override {
        RestoreCritter(form.Game, Index, Before);
        Cells.Restore(form.Game.World.Grid);
        form.Game.World.RedrawOrder();
    }
    void Show(TControlForm& form) override { SelectCritter(form, Index); }

private:
    int Index;
    TCritterValues Values;
    TCritterSnapshot Before;
    TCellMemo Cells;
};

class TDeleteCritter : public TEditCommand {
public:
    explicit TDeleteCritter(int index) : Index(index) {}
    std::string Name() const override { return "Удаление персонажа"; }
    // The player is never deleted.
    void CheckDo(TControlForm& form) const override { NeedCritter(form, Index, 1); }
    void CheckUndo(TControlForm& form) const override {
        if (Index > form.Game.World.CritterCount()) throw EGameError("The critter list is shorter than it was");
    }
    void Do(TControlForm& form) override {
        TWorldContext& game = form.Game;
        const tCritter& c = *game.World.Critters[size_t(Index)];
        Cells.Clear();
        Cells.Note(game.World.Grid, c.X, c.Y);
        Hunters.clear();
        for (int p = 0; p < game.World.CritterCount(); ++p)
            if (game.World.Critters[size_t(p)]->Victim == Index) Hunters.push_back(p);
        Snapshot = RemoveCritter(game, Index);
        SelectCritter(form, Index < game.World.CritterCount() ? Index : Index - 1);
        game.World.RedrawOrder();
    }
    void Undo(TControlForm& form) override {
        TWorldContext& game = form.Game;
        if (!InsertCritter(game, Index, Snapshot)) return;
        for (int p : Hunters)
            if (tCritter* h = game.World.Critter(p)) h->Victim = Index;
        Cells.Restore(game.World.Grid);
        SelectCritter(form, Index);
        game.World.RedrawOrder();
    }

private:
    int Index;
    TCritterSnapshot Snapshot;
    TCellMemo Cells;
    std::vector<int> Hunters;  // critters whose victim it was
};

// ---- Objects ----------------------------------------------------------------

class TAddObject : public TEditCommand {
public:
    TAddObject(int x, int y, const TObjectValues& v) : X(x), Y(y), Values(v) {}
    std::string Name() const override { return "Добавление объекта"; }
    void CheckUndo(TControlForm& form) const override { NeedObject(form, Index); }
    void Do(TControlForm& form) override {
        TWorldContext& game = form.Game;
        Selected = form.ObjectListBox.ItemIndex;
        // New objects go before the shot effects, which have no label.
        Index = LabelledObjects(game);
        if (Made) {
            if (!InsertObject(game, Index, Snapshot)) return;
        } else if (!Create(game)) {
            return;
        }
        SelectObject(form, Index);
        game.World.RedrawOrder();
    }
    void Undo(TControlForm& form) override {
        RemoveObject(form.Game, Index);
        SelectObject(form, Selected);
        form.Game.World.RedrawOrder();
    }

private:
    bool Create(TWorldContext& game) {
        TWorld& world = game.World;
        const uint64_t generation = world.Generation;
        auto o = std::make_shared<tObj>(game, Index);
        if (world.Generation != generation) {
            o->Release();
            return false;
        }
        world.InsertObject(game, Index, o, Values.Label);
        o->X = X;
        o->Y = Y;
        o->OffsetX = 0;
        o->OffsetY = 0;
        o->SetImage(Values.ImageName);
        o->SetScript(Values.ScriptName);
        if (world.Generation != generation) return false;
        o->Invisible = Values.Invisible;
        o->Disabled = Values.Disabled;
        Snapshot = TakeObject(game, Index);
        Made = true;
        return true;
    }

    int X, Y;
    TObjectValues Values;
    int Index = -1;
    int Selected = -1;
    bool Made = false;
    TObjectSnapshot Snapshot;
};

class TMoveObject : public TEditCommand {
public:
    TMoveObject(int index, int x, int y) : Index(index), X(x), Y(y) {}
    std::string Name() const override { return "Перемещение объекта"; }
    void CheckDo(TControlForm& form) const override { NeedObject(form, Index); }
    void CheckUndo(TControlForm& form) const override { NeedObject(form, Index); }
    void Do(TControlForm& form) override {
        tObj& o = *form.Game.World.Objects[size_t(Index)];
        OldX = o.X;
        OldY = o.Y;
        o.X = X;
        o.Y = Y;
        form.ObjectListBoxClick();
        form.Game.World.RedrawOrder();
    }
    void Undo(TControlForm& form) override {
        tObj& o = *form.Game.World.Objects[size_t(Index)];
        o.X = OldX;
        o.Y = OldY;
        form.Game.World.RedrawOrder();
    }
    void Show(TControlForm& form) override { SelectObject(form, Index); }

private:
    int Index, X, Y;
    int OldX = 0, OldY = 0;
};

class TNudgeObject : public TEditCommand {
public:
    TNudgeObject(int index, int dx, int dy, uint32_t now) : Index(index), DX(dx), DY(dy), Last(now) {}
    std::string Name() const override { return "Сдвиг объекта"; }
    void CheckDo(TControlForm& form) const override { NeedObject(form, Index); }
    void CheckUndo(TControlForm& form) const override { NeedObject(form, Index); }
    void Do(TControlForm& form) override { Shift(form, DX, DY); }
    void Undo(TControlForm& form) override { Shift(form, -DX, -DY); }
    void Show(TControlForm& form) override { SelectObject(form, Index); }
    bool Absorb(const TEditCommand& next) override {
        const auto* nudge = dynamic_cast<const TNudgeObject*>(&next);
        if (!nudge || nudge->Index != Index || nudge->Last - Last > NudgeJoinMs) return false;
        DX += nudge->DX;
        DY += nudge->DY;
        Last = nudge->Last;
        return true;
    }

private:
    void Shift(TControlForm& form, int dx, int dy) {
        tObj& o = *form.Game.World.Objects[size_t(Index)];
        o.OffsetX += dx;
        o.OffsetY += dy;
        if (form.Game.World.DrawList) form.Game.World.DrawList->PlacesChanged();
        if (form.ObjectListBox.ItemIndex == Index) form.ObjectListBoxClick();
    }

    int Index, DX, DY;
    uint32_t Last;
};

class TApplyObject : public TEditCommand {
public:
    TApplyObject(int index, const TObjectValues& v) : Index(index), Values(v) {}
    std::string Name() const override { return "Изменение объекта"; }
    void CheckDo(TControlForm& form) const override { NeedObject(form, Index); }
    void CheckUndo(TControlForm& form) const override { NeedObject(form, Index); }
    void Do(TControlForm& form) override {
        TWorldContext& game = form.Game;
        tObj& o = *game.World.Objects[size_t(Index)];
        std::shared_ptr<tObj> keep = o.shared_from_this();
        Before = TakeObject(game, Index);
        o.X = Values.X;
        o.Y = Values.Y;
        o.OffsetX = Values.OffsetX;
        o.OffsetY = Values.OffsetY;
        o.SetImage(Values.ImageName);
        SetLabel(form.ObjectListBox, Index, Values.Label);
        game.World.RedrawOrder();
        o.Invisible = Values.Invisible;
        o.Disabled = Values.Disabled;
        o.SetScript(Values.ScriptName);
    }
    void Undo(TControlForm& form) override {
        RestoreObject(form.Game, Index, Before);
        form.Game.World.RedrawOrder();
    }
    void Show(TControlForm& form) override { SelectObject(form, Index); }

private:
    int Index;
    TObjectValues Values;
    TObjectSnapshot Before;
};

class TDeleteObject : public TEditCommand {
public:
    explicit TDeleteObject(int index) : Index(index) {}
    std::string Name() const override { return "Удаление объекта"; }
    void CheckDo(TControlForm& form) const override { NeedObject(form, Index); }
    void CheckUndo(TControlForm& form) const override {
        if (Index > LabelledObjects(form.Game)) throw EGameError("The object list is shorter than it was");
    }
    void Do(TControlForm& form) override {
        TWorldContext& game = form.Game;
        Snapshot = RemoveObject(game, Index);
        SelectObject(form, Index < LabelledObjects(game) ? Index : Index - 1);
        game.World.RedrawOrder();
    }
    void Undo(TControlForm& form) override {
        if (!InsertObject(form.Game, Index, Snapshot)) return;
        SelectObject(form, Index);
        form.Game.World.RedrawOrder();
    }

private:
    int Index;
    TObjectSnapshot Snapshot;
};

// ---- The location -----------------------------------------------------------

class TLoadPattern : public TEditCommand {
public:
    TLoadPattern(const std::string& name, int combo) : NewName(name), NewCombo(combo) {}
    std::string Name() const override { return "Смена паттерна"; }
    void Do(TControlForm& form) override {
        OldName = form.Game.World.PatternName;
        OldCombo = form.PatternComboBox.ItemIndex;
        Load(form, NewName, NewCombo);
    }
    void Undo(TControlForm& form) override { Load(form, OldName, OldCombo); }

private:
    static void Load(TControlForm& form, const std::string& name, int combo) {
        form.Game.World.PatternName = name;
        if (combo >= -1 && combo < int(form.PatternComboBox.Items.size())) form.PatternComboBox.ItemIndex = combo;
        form.Host.ReloadGraphics();
    }

    std::string NewName, OldName;
    int NewCombo, OldCombo = -1;
};

class TSetMapScript : public TEditCommand {
public:
    TSetMapScript(const std::string& before, const std::string& after) : Before(before), After(after) {}
    std::string Name() const override { return "Скрипт карты"; }
    void Do(TControlForm& form) override { form.MapScrLabeledEdit = After; }
    void Undo(TControlForm& form) override { form.MapScrLabeledEdit = Before; }

private:
    std::string Before, After;
};

class TPaintStroke : public TEditCommand {
public:
    explicit TPaintStroke(std::vector<TPaintedCell> cells) : Cells(std::move(cells)) {}
    std::string Name() const override { return "Рисование тайлов"; }
    void Do(TControlForm& form) override { Write(form, &TPaintedCell::After); }
    void Undo(TControlForm& form) override { Write(form, &TPaintedCell::Before); }

private:
    void Write(TControlForm& form, TCellBytes TPaintedCell::*bytes) {
        auto& raw = form.Game.World.Grid.Raw();
        for (const TPaintedCell& p : Cells) {
            TCell& cell = raw[size_t(p.Cell)];
            const TCellBytes& b = p.*bytes;
            cell.WalkBlock = b[0];
            cell.ShootBlock = b[1];
            cell.WalkAnim = b[2];
            cell.HitType = b[3];
        }
    }

    std::vector<TPaintedCell> Cells;
};

class TGroup : public TEditCommand {
public:
    TGroup(std::string name, std::vector<TEditMaker> makers) : Title(std::move(name)), Makers(std::move(makers)) {}
    std::string Name() const override { return Title; }
    void Do(TControlForm& form) override {
        if (Made.empty()) {
            for (auto& make : Makers) {
                std::unique_ptr<TEditCommand> edit = make(form);
                if (!edit) continue;
                edit->CheckDo(form);
                edit->Do(form);
                Made.push_back(std::move(edit));
            }
            Makers.clear();
            return;
        }
        for (auto& edit : Made) {
            edit->CheckDo(form);
            edit->Do(form);
        }
    }
    void Undo(TControlForm& form) override {
        for (auto it = Made.rbegin(); it != Made.rend(); ++it) {
            (*it)->CheckUndo(form);
            (*it)->Undo(form);
        }
    }

private:
    std::string Title;
    std::vector<TEditMaker> Makers;
    std::vector<std::unique_ptr<TEditCommand>> Made;
};

}  // namespace

std::unique_ptr<TEditCommand> MakeGroup(const std::string& name, std::vector<TEditMaker> makers) {
    return std::make_unique<TGroup>(name, std::move(makers));
}

std::unique_ptr<TEditCommand> MakeAddCritter(int x, int y, const TCritterValues& values) {
    return std::make_unique<TAddCritter>(x, y, values);
}
std::unique_ptr<TEditCommand> MakeMoveCritter(int index, int x, int y) {
    return std::make_unique<TMoveCritter>(index, x, y);
}
std::unique_ptr<TEditCommand> MakeApplyCritter(int index, const TCritterValues& values) {
    return std::make_unique<TApplyCritter>(index, values);
}
std::unique_ptr<TEditCommand> MakeDeleteCritter(int index) {
    return std::make_unique<TDeleteCritter>(index);
}
std::unique_ptr<TEditCommand> MakeAddObject(int x, int y, const TObjectValues& values) {
    return std::make_unique<TAddObject>(x, y, values);
}
std::unique_ptr<TEditCommand> MakeMoveObject(int index, int x, int y) {
    return std::make_unique<TMoveObject>(index, x, y);
}
std::unique_ptr<TEditCommand> MakeNudgeObject(int index, int dx, int dy, uint32_t now) {
    return std::make_unique<TNudgeObject>(index, dx, dy, now);
}
std::unique_ptr<TEditCommand> MakeApplyObject(int index, const TObjectValues& values) {
    return std::make_unique<TApplyObject>(index, values);
}
std::unique_ptr<TEditCommand> MakeDeleteObject(int index) {
    return std::make_unique<TDeleteObject>(index);
}
std::unique_ptr<TEditCommand> MakeLoadPattern(const std::string& name, int comboIndex) {
    return std::make_unique<TLoadPattern>(name, comboIndex);
}
std::unique_ptr<TEditCommand> MakeSetMapScript(const std::string& before, const std::string& after) {
    return std::make_unique<TSetMapScript>(before, after);
}
std::unique_ptr<TEditCommand> MakePaintStroke(std::vector<TPaintedCell> cells) {
    return std::make_unique<TPaintStroke>(std::move(cells));
}
