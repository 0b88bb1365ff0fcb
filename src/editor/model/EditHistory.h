#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

class TControlForm;

// One edit of the location, able to take itself back. Do and Undo each
// leave the world as the other found it.
class TEditCommand {
public:
    virtual ~TEditCommand() = default;
    // Throw EGameError when the edit cannot run on the world as it stands.
    virtual void CheckDo(TControlForm&) const {}
    virtual void CheckUndo(TControlForm&) const {}
    virtual void Do(TControlForm& form) = 0;
    virtual void Undo(TControlForm& form) = 0;
    // After an undo or a redo: bring the record it touched into the panel.
    virtual void Show(TControlForm&) {}
    // Folds `next`, which has just run, into this step; true when it did.
    virtual bool Absorb(const TEditCommand&) { return false; }
    virtual std::string Name() const = 0;
};

// Undo and redo. Steps refer to critters and objects by position, so the
// history is only valid while nothing but the editor changes the lists: a
// map load, or the game dropping a finished object, clears it.
class TEditHistory {
public:
    static constexpr size_t DefaultLimit = 200;
    size_t Limit = DefaultLimit;

    // Checks and runs the edit and keeps it; the steps that were undone go.
    // An edit that fails half way is kept too, so what it did can be undone.
    void Run(TControlForm& form, std::unique_ptr<TEditCommand> command);
    // Keeps an edit whose effect is already in the world.
    void Record(TControlForm& form, std::unique_ptr<TEditCommand> command);

    bool CanUndo(TControlForm& form);
    bool CanRedo(TControlForm& form);
    void Undo(TControlForm& form);
    void Redo(TControlForm& form);
    void Clear();
    // The world was put back as it was (a test play stopped): the steps apply to it again.
    void Adopt(TControlForm& form) { Shape = ShapeOf(form); }
    // Grows with every edit, undo and redo: the location changed since a save when it differs.
    uint64_t Changes() const { return ChangeCount; }

    size_t UndoCount() const { return Done.size(); }
    size_t RedoCount() const { return Undone.size(); }
    std::string UndoName() const { return Done.empty() ? std::string() : Done.back()->Name(); }
    std::string RedoName() const { return Undone.empty() ? std::string() : Undone.back()->Name(); }

private:
    // The lists the steps were made on: critters and labelled objects.
    struct TShape {
        uint64_t Generation = 0;
        std::vector<const void*> Records;
        bool operator==(const TShape&) const = default;
    };
    static TShape ShapeOf(const TControlForm& form);
    // Drops every step when the world is no longer the one they were made on.
    bool Current(TControlForm& form);
    void Keep(TControlForm& form, std::unique_ptr<TEditCommand> command, bool fresh);

    std::deque<std::unique_ptr<TEditCommand>> Done, Undone;
    TShape Shape;
    uint64_t ChangeCount = 0;
};
