#pragma once
// The script language's command words, in one table: what each does, the
// values it takes from the stack and leaves on it, and what the script
// checker needs to know about its operands. The reader, the checker, the
// fuzzer and the guide's command list all read this table.
#include <array>
#include <cstdint>
#include <string_view>

#include "script/Script.h"

// What a command's operands mean beyond their count. Operand masks count from
// the top of the stack: bit 0 is the value pushed last.
struct TScriptCommand {
    std::string_view Word;
    TScriptOp Op;
    TWorldCommand World;  // for Op == World
    int8_t Takes, Leaves;
    // Operands that name a node, a label, a location, a sound, a dialogue
    // or a head, all looked up without regard to letter case.
    uint8_t Names;
    // Operands that are texts shown to the player as written.
    uint8_t Texts;
    // GOTO, IFGOTO: the last operand is a label of the node.
    bool Jumps;
    // CALL, IFCALL: the last operand is a node of the file.
    bool Calls;
    // ANSWER: the last operand is the node the answer runs.
    bool Answers;
    // The steps after it may be reached with any stack (a jump, a call, the end of the game).
    bool LeavesPath;
};

namespace ScriptCommandRows {
using O = TScriptOp;
using W = TWorldCommand;
constexpr W None = W::SHOWCREDITS;
// word, operation, world command, takes, leaves, names, texts, jumps, calls, answers, leaves the path
constexpr std::array<TScriptCommand, 54> Table = {{
    {"SETTIMER", O::SetTimer, None, 1, 0, 0, 0, false, false, false, false},
    {"DISABLETIMER", O::DisableTimer, None, 0, 0, 0, 0, false, false, false, false},
    {"ADD", O::Add, None, 2, 1, 0, 0, false, false, false, false},
    {"SUB", O::Sub, None, 2, 1, 0, 0, false, false, false, false},
    {"MUL", O::Mul, None, 2, 1, 0, 0, false, false, false, false},
    {"DIV", O::Div, None, 2, 1, 0, 0, false, false, false, false},
    {"MOD", O::Mod, None, 2, 1, 0, 0, false, false, false, false},
    {"EQU", O::Equ, None, 2, 1, 0, 0, false, false, false, false},
    {"NOT", O::Not, None, 1, 1, 0, 0, false, false, false, false},
    {"G", O::Greater, None, 2, 1, 0, 0, false, false, false, false},
    {"L", O::Less, None, 2, 1, 0, 0, false, false, false, false},
    {"GE", O::GreaterEq, None, 2, 1, 0, 0, false, false, false, false},
    {"LE", O::LessEq, None, 2, 1, 0, 0, false, false, false, false},
    {"SELF", O::Self, None, 0, 1, 0, 0, false, false, false, false},
    {"SELFTYPE", O::SelfType, None, 0, 1, 0, 0, false, false, false, false},
    {"GOTO", O::Goto, None, 1, 0, 1, 0, true, false, false, true},
    {"IFGOTO", O::IfGoto, None, 2, 0, 1, 0, true, false, false, true},
    {"CALL", O::Call, None, 1, 0, 1, 0, false, true, false, true},
    {"IFCALL", O::IfCall, None, 2, 0, 1, 0, false, true, false, true},
    {"RND", O::Rnd, None, 1, 1, 0, 0, false, false, false, false},
    {"DIST", O::Dist, None, 4, 1, 0, 0, false, false, false, false},
    {"GETGVAR", O::GetGVar, None, 1, 1, 0, 0, false, false, false, false},
    {"SETGVAR", O::SetGVar, None, 2, 0, 0, 0, false, false, false, false},
    {"GETLVAR", O::GetLVar, None, 1, 1, 0, 0, false, false, false, false},
    {"SETLVAR", O::SetLVar, None, 2, 0, 0, 0, false, false, false, false},
    {"GOTOXY", O::World, W::GOTOXY, 3, 0, 0, 0, false, false, false, false},
    {"MOVETO", O::World, W::MOVETO, 3, 0, 0, 0, false, false, false, false},
    {"FIRE", O::World, W::FIRE, 3, 0, 0, 0, false, false, false, false},
    {"STOPFIRE", O::World, W::STOPFIRE, 1, 0, 0, 0, false, false, false, false},
    {"STOP", O::World, W::STOP, 1, 0, 0, 0, false, false, false, false},
    {"ADDCONSOLE", O::World, W::ADDCONSOLE, 1, 0, 0, 1, false, false, false, false},
    {"STARTDIALOG", O::World, W::STARTDIALOG, 1, 0, 1, 0, false, false, false, false},
    {"QUESTION", O::World, W::QUESTION, 1, 0, 0, 1, false, false, false, false},
    // The node the answer runs is checked as a node; both operands keep their letters as written.
    {"ANSWER", O::World, W::ANSWER, 2, 0, 0, 3, false, false, true, false},
    {"ENDDIALOG", O::World, W::ENDDIALOG, 0, 0, 0, 0, false, false, false, false},
    {"PLAYSOUND", O::World, W::PLAYSOUND, 1, 0, 1, 0, false, false, false, false},
    {"CHANGEHEAD", O::World, W::CHANGEHEAD, 2, 0, 2, 0, false, false, false, false},
    {"GETX", O::World, W::GETX, 2, 1, 0, 0, false, false, false, false},
    {"GETY", O::World, W::GETY, 2, 1, 0, 0, false, false, false, false},
    {"GETHP", O::World, W::GETHP, 1, 1, 0, 0, false, false, false, false},
    {"SETHP", O::World, W::SETHP, 2, 0, 0, 0, false, false, false, false},
    {"GETAMMO", O::World, W::GETAMMO, 1, 1, 0, 0, false, false, false, false},
    {"SETAMMO", O::World, W::SETAMMO, 2, 0, 0, 0, false, false, false, false},
    {"LOADMAP", O::World, W::LOADMAP, 1, 0, 1, 0, false, false, false, false},
    {"SETSCROLL", O::World, W::SETSCROLL, 2, 0, 0, 0, false, false, false, false},
    {"SETDIR", O::World, W::SETDIR, 2, 0, 0, 0, false, false, false, false},
    {"GETDIR", O::World, W::GETDIR, 1, 1, 0, 0, false, false, false, false},
    {"DISABLE", O::World, W::DISABLE, 3, 0, 0, 0, false, false, false, false},
    {"SETVICTIM", O::World, W::SETVICTIM, 2, 0, 0, 0, false, false, false, false},
    {"GETVICTIM", O::World, W::GETVICTIM, 1, 1, 0, 0, false, false, false, false},
    {"GETVIS", O::World, W::GETVIS, 1, 1, 0, 0, false, false, false, false},
    {"SETVIS", O::World, W::SETVIS, 2, 0, 0, 0, false, false, false, false},
    {"MAKEDEAD", O::World, W::MAKEDEAD, 1, 0, 0, 0, false, false, false, false},
    {"SHOWCREDITS", O::World, W::SHOWCREDITS, 0, 0, 0, 0, false, false, false, true},
}};

// The world commands follow the core ones in TWorldCommand's order, so a world command finds its row by number.
constexpr size_t FirstWorld = 25;
constexpr bool WorldRowsInOrder() {
    for (size_t i = 0; i < Table.size(); ++i)
        if ((Table[i].Op == O::World) != (i >= FirstWorld) ||
            (i >= FirstWorld && size_t(Table[i].World) != i - FirstWorld))
            return false;
    return true;
}
static_assert(WorldRowsInOrder() && size_t(W::SHOWCREDITS) + 1 + FirstWorld == Table.size());
}  // namespace ScriptCommandRows

constexpr const std::array<TScriptCommand, 54>& ScriptCommands() { return ScriptCommandRows::Table; }
constexpr const TScriptCommand& WorldCommandRow(TWorldCommand command) {
    return ScriptCommandRows::Table[ScriptCommandRows::FirstWorld + size_t(command)];
}
// The row of an upper-cased word, null for a word that is no command (a literal).
const TScriptCommand* FindScriptCommand(std::string_view upperWord);
