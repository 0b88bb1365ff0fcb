#include "editor/model/EditHistory.h"

#include <algorithm>

#include "base/Errors.h"
#include "editor/model/ControlForm.h"
#include "world/World.h"

TEditHistory::TShape TEditHistory::ShapeOf(const TControlForm& form) {
    const TWorld& world = form.Game.World;
    TShape shape;
    shape.Generation = world.Generation;
    for (const auto& c : world.Critters) shape.Records.push_back(c.get());
    // Shot effects come and go at the end of the object list; they carry no label.
    size_t labelled = std::min(world.Objects.size(), form.ObjectListBox.Items.size());
    shape.Records.push_back(nullptr);
    for (size_t i = 0; i < labelled; ++i) shape.Records.push_back(world.Objects[i].get());
    return shape;
}

bool TEditHistory::Current(TControlForm& form) {
    TShape now = ShapeOf(form);
    if (now == Shape) return true;
    bool lost = !Done.empty() || !Undone.empty();
    Clear();
    Shape = std::move(now);
    return !lost;
}

void TEditHistory::Clear() {
    Done.clear();
    Undone.clear();
}

void TEditHistory::Keep(TControlForm& form, std::unique_ptr<TEditCommand> command, bool fresh) {
    ++ChangeCount;
    // An edit whose script loaded another location has nothing left to undo.
    if (form.Game.World.Generation != Shape.Generation) {
        Clear();
        Shape = ShapeOf(form);
        return;
    }
    Undone.clear();
    if (!(fresh && !Done.empty() && Done.back()->Absorb(*command))) Done.push_back(std::move(command));
    while (Done.size() > Limit) Done.pop_front();
    Shape = ShapeOf(form);
}

void TEditHistory::Run(TControlForm& form, std::unique_ptr<TEditCommand> command) {
    Current(form);
    command->CheckDo(form);
    bool fresh = Undone.empty();
    try {
        command->Do(form);
    } catch (...) {
        Keep(form, std::move(command), false);
        throw;
    }
    Keep(form, std::move(command), fresh);
}

void TEditHistory::Record(TControlForm& form, std::unique_ptr<TEditCommand> command) {
    Current(form);
    Keep(form, std::move(command), false);
}

bool TEditHistory::CanUndo(TControlForm& form) {
    return Current(form) && !Done.empty();
}

bool TEditHistory::CanRedo(TControlForm& form) {
    return Current(form) && !Undone.empty();
}

namespace {
const char* const Changed = "The location has changed outside the editor; its earlier edits cannot be undone";
}

void TEditHistory::Undo(TControlForm& form) {
    if (Done.empty()) return;
    if (!Current(form)) throw EGameError(Changed);
    try {
        Done.back()->CheckUndo(form);
    } catch (...) {
        Clear();
        throw;
    }
    std::unique_ptr<TEditCommand> command = std::move(Done.back());
    Done.pop_back();
    try {
        command->Undo(form);
    } catch (...) {
        // Half undone: no later step can be trusted any more.
        Clear();
        Shape = ShapeOf(form);
        throw;
    }
    ++ChangeCount;
    bool sameWorld = form.Game.World.Generation == Shape.Generation;
    Undone.push_back(std::move(command));
    if (!sameWorld) Clear();
    Shape = ShapeOf(form);
    if (sameWorld) Undone.back()->Show(form);
}

void TEditHistory::Redo(TControlForm& form) {
    if (Undone.empty()) return;
    if (!Current(form)) throw EGameError(Changed);
    try {
        Undone.back()->CheckDo(form);
    } catch (...) {
        Clear();
        throw;
    }
    std::unique_ptr<TEditCommand> command = std::move(Undone.back());
    Undone.pop_back();
    try {
        command->Do(form);
    } catch (...) {
        Clear();
        Shape = ShapeOf(form);
        throw;
    }
    ++ChangeCount;
    bool sameWorld = form.Game.World.Generation == Shape.Generation;
    Done.push_back(std::move(command));
    if (!sameWorld) Clear();
    Shape = ShapeOf(form);
    if (sameWorld) Done.back()->Show(form);
}
