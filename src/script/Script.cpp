#include "script/Script.h"

#include <climits>
#include <cmath>
#include <unordered_map>

#include "base/Text.h"

EScriptError::EScriptError(const std::string& message, std::string file, std::string node, std::string key)
    : EGameError(message), File(std::move(file)), Node(std::move(node)), Key(std::move(key)), Text(message) {}

namespace {

enum class TOp : uint8_t {
    SetTimer, DisableTimer, Add, Sub, Mul, Div, Mod, Equ, Not, Greater, Less, GreaterEq, LessEq, Self, SelfType,
    Goto, IfGoto, Call, IfCall, Rnd, Dist, GetGVar, SetGVar, GetLVar, SetLVar, World
};

struct TCommand {
    TOp Op;
    TWorldCommand World = TWorldCommand::SHOWCREDITS;
};

const TCommand* FindCommand(const std::string& word) {
    using W = TWorldCommand;
    static const std::unordered_map<std::string, TCommand> commands = {
        {"SETTIMER", {TOp::SetTimer}}, {"DISABLETIMER", {TOp::DisableTimer}},
        {"ADD", {TOp::Add}}, {"SUB", {TOp::Sub}}, {"MUL", {TOp::Mul}}, {"DIV", {TOp::Div}}, {"MOD", {TOp::Mod}},
        {"EQU", {TOp::Equ}}, {"NOT", {TOp::Not}}, {"G", {TOp::Greater}}, {"L", {TOp::Less}},
        {"GE", {TOp::GreaterEq}}, {"LE", {TOp::LessEq}}, {"SELF", {TOp::Self}}, {"SELFTYPE", {TOp::SelfType}},
        {"GOTO", {TOp::Goto}}, {"IFGOTO", {TOp::IfGoto}}, {"CALL", {TOp::Call}}, {"IFCALL", {TOp::IfCall}},
        {"RND", {TOp::Rnd}}, {"DIST", {TOp::Dist}}, {"GETGVAR", {TOp::GetGVar}}, {"SETGVAR", {TOp::SetGVar}},
        {"GETLVAR", {TOp::GetLVar}}, {"SETLVAR", {TOp::SetLVar}},
        {"GOTOXY", {TOp::World, W::GOTOXY}}, {"MOVETO", {TOp::World, W::MOVETO}}, {"FIRE", {TOp::World, W::FIRE}},
        {"STOPFIRE", {TOp::World, W::STOPFIRE}}, {"STOP", {TOp::World, W::STOP}},
        {"ADDCONSOLE", {TOp::World, W::ADDCONSOLE}}, {"STARTDIALOG", {TOp::World, W::STARTDIALOG}},
        {"QUESTION", {TOp::World, W::QUESTION}}, {"ANSWER", {TOp::World, W::ANSWER}},
        {"ENDDIALOG", {TOp::World, W::ENDDIALOG}}, {"PLAYSOUND", {TOp::World, W::PLAYSOUND}},
        {"CHANGEHEAD", {TOp::World, W::CHANGEHEAD}}, {"GETX", {TOp::World, W::GETX}},
        {"GETY", {TOp::World, W::GETY}}, {"GETHP", {TOp::World, W::GETHP}}, {"SETHP", {TOp::World, W::SETHP}},
        {"GETAMMO", {TOp::World, W::GETAMMO}}, {"SETAMMO", {TOp::World, W::SETAMMO}},
        {"LOADMAP", {TOp::World, W::LOADMAP}}, {"SETSCROLL", {TOp::World, W::SETSCROLL}},
        {"SETDIR", {TOp::World, W::SETDIR}}, {"GETDIR", {TOp::World, W::GETDIR}},
        {"DISABLE", {TOp::World, W::DISABLE}}, {"SETVICTIM", {TOp::World, W::SETVICTIM}},
        {"GETVICTIM", {TOp::World, W::GETVICTIM}}, {"GETVIS", {TOp::World, W::GETVIS}},
        {"SETVIS", {TOp::World, W::SETVIS}}, {"MAKEDEAD", {TOp::World, W::MAKEDEAD}},
        {"SHOWCREDITS", {TOp::World, W::SHOWCREDITS}},
    };
    auto it = commands.find(word);
    return it == commands.end() ? nullptr : &it->second;
}

// Arithmetic wraps around in 32 bits, as the game's integers do.
int32_t Wrap(int64_t v) { return int32_t(uint32_t(uint64_t(v))); }

class TDepthGuard {
public:
    explicit TDepthGuard(int& depth) : Depth(depth) { ++Depth; }
    ~TDepthGuard() { --Depth; }
    TDepthGuard(const TDepthGuard&) = delete;
    TDepthGuard& operator=(const TDepthGuard&) = delete;

private:
    int& Depth;
};

}  // namespace

TScript::TScript(TScriptSystem& system, std::string path, int32_t ownerIndex, int32_t ownerKind)
    : Path(std::move(path)), OwnerIndex(ownerIndex), OwnerKind(ownerKind), System(system) {}

std::string TScript::PopText() {
    if (Stack.empty()) throw EGameError("List index out of bounds (-1)");
    std::string v = std::move(Stack.back());
    Stack.pop_back();
    return v;
}

int32_t TScript::PopInt() { return StrToInt(PopText()); }

void TScript::Push(std::string value) {
    if (Stack.size() >= TScriptSystem::MaxStack)
        throw EGameError("Script stack would hold more than " + std::to_string(TScriptSystem::MaxStack) + " values");
    Stack.push_back(std::move(value));
}

void TScript::Execute(std::string_view nodeName) {
    if (Alive()) Run(nodeName);
}

void TScript::Run(std::string_view nodeName) {
    if (Destroyed) return;
    // A world command may free this script's owner (a map load); the run keeps it.
    TScriptPtr keepAlive = weak_from_this().lock();
    TScriptSystem& system = System;
    if (system.Depth == 0) {
        system.StepsThisEvent = 0;
        if (system.FileHolds == 0) ++system.Chain;
    }
    // Thrown plainly, so the CALL or world command that nested this deep is named as the place.
    if (system.Depth >= system.DepthLimit)
        throw EGameError("Script calls nested deeper than " + std::to_string(system.DepthLimit));
    TDepthGuard depth(system.Depth);

    const std::string prefix = "TScript.Execute -> Script " + Path + " executing node " + std::string(nodeName);
    system.Host.Log(prefix + "...");
    std::shared_ptr<const TScriptFile> file = system.File(Path);
    if (const TScriptNode* node = file->FindNode(nodeName)) {
        const int count = int(node->Values.size());
        for (int position = 0; position < count; ++position) {
            const std::string& key = node->Keys[position];
            if (++system.StepsThisEvent > system.StepLimit)
                throw EScriptError("Script ran more than " + std::to_string(system.StepLimit) + " steps", Path,
                                   std::string(nodeName), key);
            try {
                if (Step(*node, position)) return;
            } catch (const EScriptError&) {
                throw;
            } catch (const EGameError& e) {
                throw EScriptError(e.what(), Path, std::string(nodeName), key);
            }
        }
    }
    system.Host.Log(prefix + " done");
}

bool TScript::Step(const TScriptNode& node, int& position) {
    std::string token = AsciiUpper(node.Values[position]);
    const TCommand* command = FindCommand(token);
    if (!command) {
        Push(std::move(token));
        return false;
    }
    auto binary = [this](auto f) {
        int32_t b = PopInt();
        int32_t a = PopInt();
        PushInt(f(a, b));
    };
    auto jump = [&](const std::string& label) {
        int target = node.FindLabel(label);
        if (target < 0) throw EGameError("List index out of bounds (-1)");
        position = target - 1;
    };
    switch (command->Op) {
        case TOp::SetTimer: {
            int32_t v = PopInt();
            if (v >= 1) {
                TimerInterval = uint32_t(v);
                TimerNext = System.Host.Now() + TimerInterval;
                TimerEnabled = true;
            } else {
                TimerEnabled = false;
            }
            break;
        }
        case TOp::DisableTimer: TimerEnabled = false; break;
        case TOp::Add: binary([](int64_t a, int64_t b) { return Wrap(a + b); }); break;
        case TOp::Sub: binary([](int64_t a, int64_t b) { return Wrap(a - b); }); break;
        case TOp::Mul: binary([](int64_t a, int64_t b) { return Wrap(a * b); }); break;
        case TOp::Div:
            binary([](int32_t a, int32_t b) {
                if (b == 0) throw EGameError("Division by zero");
                return b == -1 ? Wrap(-int64_t(a)) : a / b;
            });
            break;
        case TOp::Mod:
            binary([](int32_t a, int32_t b) {
                if (b == 0) throw EGameError("Division by zero");
                return b == -1 ? 0 : a % b;
            });
            break;
        case TOp::Equ: binary([](int32_t a, int32_t b) { return int32_t(a == b); }); break;
        case TOp::Greater: binary([](int32_t a, int32_t b) { return int32_t(a > b); }); break;
        case TOp::Less: binary([](int32_t a, int32_t b) { return int32_t(a < b); }); break;
        case TOp::GreaterEq: binary([](int32_t a, int32_t b) { return int32_t(a >= b); }); break;
        case TOp::LessEq: binary([](int32_t a, int32_t b) { return int32_t(a <= b); }); break;
        case TOp::Not: PushInt(PopInt() == 0 ? 1 : 0); break;
        case TOp::Self: PushInt(OwnerIndex); break;
        case TOp::SelfType: PushInt(OwnerKind); break;
        case TOp::Goto: jump(PopText()); break;
        case TOp::IfGoto: {
            std::string label = PopText();
            if (PopText() != "0") jump(label);
            break;
        }
        case TOp::Call: Run(PopText()); break;
        case TOp::IfCall: {
            std::string name = PopText();
            if (PopText() != "0") Run(name);
            break;
        }
        case TOp::Rnd: {
            // A negative range has no meaningful draw; it gives 0 like an empty one.
            int32_t v = PopInt();
            PushInt(v > 0 ? System.Host.Random(v) : 0);
            break;
        }
        case TOp::Dist: {
            int32_t y2 = PopInt(), x2 = PopInt(), y1 = PopInt(), x1 = PopInt();
            double dx = double(x1) - x2, dy = double(y1) - y2;
            PushInt(Wrap(std::llrint(std::sqrt(dx * dx + dy * dy))));
            break;
        }
        // Variable indices outside their arrays read 0 and write nothing.
        case TOp::GetGVar: {
            int32_t i = PopInt();
            PushInt(i >= 0 && i < int32_t(System.GlobalVars.size()) ? System.GlobalVars[i] : 0);
            break;
        }
        case TOp::SetGVar: {
            int32_t v = PopInt();
            int32_t i = PopInt();
            if (i >= 0 && i < int32_t(System.GlobalVars.size())) System.GlobalVars[i] = v;
            break;
        }
        case TOp::GetLVar: {
            int32_t i = PopInt();
            PushInt(i >= 0 && i < int32_t(Locals.size()) ? Locals[i] : 0);
            break;
        }
        case TOp::SetLVar: {
            int32_t v = PopInt();
            int32_t i = PopInt();
            if (i >= 0 && i < int32_t(Locals.size())) Locals[i] = v;
            break;
        }
        case TOp::World:
            if (System.Host.RunWorldCommand(*this, command->World)) return true;
            break;
    }
    // A map load may have destroyed this script (the map script loading another map): nothing of it runs on.
    return Destroyed;
}
