#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/model/EditHistory.h"

class TControlForm;
struct TCritterValues;
struct TObjectValues;

// The four painted bytes of a cell (walk block, shoot block, walk
// animation, hit type); the occupant belongs to the critters.
using TCellBytes = std::array<uint8_t, 4>;

struct TPaintedCell {
    int Cell = 0;  // X * 120 + Y
    TCellBytes Before{}, After{};
};

// The edits of the panel and the game screen's editing tools. Each reads
// the panel's values when it is made, so a redo repeats the same edit.
std::unique_ptr<TEditCommand> MakeAddCritter(int x, int y, const TCritterValues& values);
std::unique_ptr<TEditCommand> MakeMoveCritter(int index, int x, int y);
std::unique_ptr<TEditCommand> MakeApplyCritter(int index, const TCritterValues& values);
std::unique_ptr<TEditCommand> MakeDeleteCritter(int index);
std::unique_ptr<TEditCommand> MakeAddObject(int x, int y, const TObjectValues& values);
std::unique_ptr<TEditCommand> MakeMoveObject(int index, int x, int y);
std::unique_ptr<TEditCommand> MakeNudgeObject(int index, int dx, int dy, uint32_t now);
std::unique_ptr<TEditCommand> MakeApplyObject(int index, const TObjectValues& values);
std::unique_ptr<TEditCommand> MakeDeleteObject(int index);
std::unique_ptr<TEditCommand> MakeLoadPattern(const std::string& name, int comboIndex);
std::unique_ptr<TEditCommand> MakeSetMapScript(const std::string& before, const std::string& after);
std::unique_ptr<TEditCommand> MakePaintStroke(std::vector<TPaintedCell> cells);

// Several edits as one step: each maker builds its edit when the step first
// runs (so it may look at what the ones before it did); the undo takes them
// back in the opposite order.
using TEditMaker = std::function<std::unique_ptr<TEditCommand>(TControlForm&)>;
std::unique_ptr<TEditCommand> MakeGroup(const std::string& name, std::vector<TEditMaker> makers);

// Consecutive nudges of one object within this time are one step.
constexpr uint32_t NudgeJoinMs = 500;
