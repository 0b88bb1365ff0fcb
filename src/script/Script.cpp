#include "script/Script.h"

#include <climits>
#include <cmath>

#include "base/Text.h"

EScriptError::EScriptError(const std::string& message, std::string file, std::string node, std::string key)
    : EGameError(message), File(std::move(file)), Node(std::move(node)), Key(std::move(key)), Text(message) {}

namespace {

// Operands are mostly short plain decimals; anything else takes the full conversion.
// (A bool and an out value: an optional returned here stalls on its own store.)
inline bool ToInt(const std::string& s, int32_t& out) {
    const size_t negative = !s.empty() && s[0] == '-';
    const size_t digits = s.size() - negative;
    if (digits >= 1 && digits <= 9) {
        int32_t v = 0;
        size_t i = negative;
        for (; i < s.size(); ++i) {
            unsigned d = unsigned(s[i] - '0');
            if (d > 9) break;
            v = v * 10 + int32_t(d);
        }
        if (i == s.size()) {
            out = negative ? -v : v;
            return true;
        }
    }
    std::optional<int32_t> v = TryStrToInt(s);
    if (v) out = *v;
    return v.has_value();
}

// Replaces the text with the decimal of v, written in place: results mostly
// overwrite an operand of about the same length, so nothing is allocated.
void WriteInt(std::string& text, int32_t v) {
    uint32_t u = v < 0 ? 0u - uint32_t(v) : uint32_t(v);
    size_t length = v < 0 ? 2 : 1;
    for (uint32_t bound = 10; u >= bound; bound *= 10) {
        ++length;
        if (bound == 1'000'000'000u) break;
    }
    text.resize(length);
    char* p = text.data() + length;
    do {
        *--p = char('0' + u % 10);
        u /= 10;
    } while (u);
    if (v < 0) *--p = '-';
}

// Arithmetic wraps around in 32 bits, as the game's integers do.
int32_t Wrap(int64_t v) { return int32_t(uint32_t(uint64_t(v))); }

// The two-operand commands; a division by zero is the script's error.
inline int32_t Arithmetic(TScriptOp op, int32_t a, int32_t b) {
    switch (op) {
        case TScriptOp::Add: return Wrap(int64_t(a) + b);
        case TScriptOp::Sub: return Wrap(int64_t(a) - b);
        case TScriptOp::Mul: return Wrap(int64_t(a) * b);
        case TScriptOp::Div:
            if (b == 0) throw EGameError("Division by zero");
            return b == -1 ? Wrap(-int64_t(a)) : a / b;
        case TScriptOp::Mod:
            if (b == 0) throw EGameError("Division by zero");
            return b == -1 ? 0 : a % b;
        case TScriptOp::Equ: return int32_t(a == b);
        case TScriptOp::Greater: return int32_t(a > b);
        case TScriptOp::Less: return int32_t(a < b);
        case TScriptOp::GreaterEq: return int32_t(a >= b);
        default: return int32_t(a <= b);
    }
}

std::string StackFullText() {
    return "Script stack would hold more than " + std::to_string(TScriptSystem::MaxStack) + " values";
}

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

void TScript::PushInt(int32_t v) {
    if (Stack.size() >= TScriptSystem::MaxStack) throw EGameError(StackFullText());
    WriteInt(Stack.emplace_back(), v);
}

int32_t TScript::PopInt() {
    if (Stack.empty()) throw EGameError("List index out of bounds (-1)");
    int32_t v = 0;
    // A bad operand is popped like any other before the error names it.
    if (!ToInt(Stack.back(), v)) return StrToInt(PopText());
    Stack.pop_back();
    return v;
}

void TScript::Push(std::string value) {
    if (Stack.size() >= TScriptSystem::MaxStack) throw EGameError(StackFullText());
    Stack.push_back(std::move(value));
}

void TScript::Execute(std::string_view nodeName) {
    if (!Alive()) return;
    IScriptWatch* watch = System.Watch;
    if (!watch) [[likely]] {
        Run(nodeName);
        return;
    }
    // The watch hears how the event ended, an error included; the error still goes on to the caller.
    TScriptPtr keepAlive = weak_from_this().lock();
    watch->EventBegins(*this, nodeName);
    try {
        Run(nodeName);
    } catch (const EScriptError& e) {
        watch->EventEnds(*this, nodeName, e.Message() + " (" + e.Node + ", " + e.Key + ")");
        throw;
    } catch (const std::exception& e) {
        watch->EventEnds(*this, nodeName, e.what());
        throw;
    }
    watch->EventEnds(*this, nodeName, std::string());
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

    const bool trace = system.Host.TracesScripts();
    const std::string prefix =
        trace ? "TScript.Execute -> Script " + Path + " executing node " + std::string(nodeName) : std::string();
    if (trace) system.Host.Trace(prefix + "...");
    std::shared_ptr<const TScriptFile> file = system.File(Path);
    if (const TScriptNode* node = file->FindNode(nodeName)) {
        bool ended;
        if (system.Watch) [[unlikely]] {
            // The watch names the node as its file does, whatever letter case the event used.
            std::string_view name = nodeName;
            for (const auto& [fileName, fileNode] : file->Nodes)
                if (&fileNode == node) name = fileName;
            ended = RunSteps<true>(*node, nodeName, name);
        } else {
            ended = RunSteps<false>(*node, nodeName, nodeName);
        }
        if (ended) return;
    }
    if (trace) system.Host.Trace(prefix + " done");
}

template <bool Watched>
bool TScript::RunSteps(const TScriptNode& node, std::string_view nodeName, [[maybe_unused]] std::string_view shownName) {
    TScriptSystem& system = System;
    const int count = int(node.Values.size());
    // Watched, every step runs alone (fused runs give the same results), so the watch sees each one.
    const bool fuse = !Watched && system.FuseSteps;
    for (int position = 0; position < count; ++position) {
        const std::string& key = node.Keys[position];
        if constexpr (Watched) system.Watch->BeforeStep(*this, shownName, position, key);
        const TScriptStep& step = node.Steps[size_t(position)];
        if (step.Fused != TScriptFusion::None && fuse && RunFused(node, step, position)) continue;
        if (++system.StepsThisEvent > system.StepLimit)
            throw EScriptError("Script ran more than " + std::to_string(system.StepLimit) + " steps", Path,
                               std::string(nodeName), key);
        // Literals are most steps; they cannot fail.
        if (step.Op == TScriptOp::Literal) {
            if (Stack.size() >= TScriptSystem::MaxStack)
                throw EScriptError(StackFullText(), Path, std::string(nodeName), key);
            Stack.push_back(step.Text);
            continue;
        }
        // A variable set from numbers, as most are, needs no call.
        if (step.Op == TScriptOp::SetLVar && SetLocalInPlace()) continue;
        try {
            if (Step(node, position)) return true;
        } catch (const EScriptError&) {
            throw;
        } catch (const EGameError& e) {
            throw EScriptError(e.what(), Path, std::string(nodeName), key);
        }
    }
    return false;
}

bool TScript::SetLocalInPlace() {
    const size_t n = Stack.size();
    int32_t i = 0, v = 0;
    if (n < 2 || !ToInt(Stack[n - 1], v) || !ToInt(Stack[n - 2], i)) return false;
    if (i >= 0 && i < int32_t(Locals.size())) Locals[size_t(i)] = v;
    Stack.pop_back();
    Stack.pop_back();
    return true;
}

bool TScript::RunFused(const TScriptNode& node, const TScriptStep& step, int& position) {
    // A fused pair counts as the two steps it is; the pair that would pass
    // the limit runs step by step, so the error names its step.
    long& steps = System.StepsThisEvent;
    const long limit = System.StepLimit;
    if (steps + 2 > limit || Stack.size() >= TScriptSystem::MaxStack) return false;
    const std::vector<TScriptStep>& all = node.Steps;
    const TScriptStep& next = all[size_t(position) + 1];
    // Constant arithmetic right after a value works on the number, written out once at the end.
    auto chain = [&](int32_t v) {
        while (size_t(position) + 2 < all.size() && all[size_t(position) + 2].Fused == TScriptFusion::Arithmetic &&
               steps + 2 <= limit && Stack.size() < TScriptSystem::MaxStack) {
            position += 2;
            steps += 2;
            v = Arithmetic(all[size_t(position) + 1].Op, v, all[size_t(position)].Value);
        }
        return v;
    };
    // Indices outside the arrays read 0 and write nothing, as the variable commands do.
    auto variable = [this](TScriptFusion kind, int32_t i) -> int32_t* {
        if (kind == TScriptFusion::GetLVar)
            return i >= 0 && i < int32_t(Locals.size()) ? &Locals[size_t(i)] : nullptr;
        return i >= 0 && i < int32_t(System.GlobalVars.size()) ? &System.GlobalVars[size_t(i)] : nullptr;
    };
    switch (step.Fused) {
        case TScriptFusion::None: return false;
        case TScriptFusion::Assign: {
            // Its pushes would be the index, the variable's value and one constant.
            if (steps + step.Span > limit || Stack.size() + 2 >= TScriptSystem::MaxStack) return false;
            const int32_t* from = variable(next.Fused, next.Value);
            int32_t v = from ? *from : 0;
            const int end = position + step.Span - 1;
            for (int k = position + 3; k < end; k += 2) v = Arithmetic(all[size_t(k) + 1].Op, v, all[size_t(k)].Value);
            const TScriptStep& set = all[size_t(end)];
            if (int32_t* to = variable(set.Op == TScriptOp::SetLVar ? TScriptFusion::GetLVar : TScriptFusion::GetGVar,
                                       step.Value))
                *to = v;
            steps += step.Span;
            position = end;
            return true;
        }
        case TScriptFusion::GetLVar:
        case TScriptFusion::GetGVar: {
            const int32_t* from = variable(step.Fused, step.Value);
            steps += 2;
            // The value's room on the stack, for the limit on what the constants would push.
            Stack.emplace_back();
            const int32_t v = chain(from ? *from : 0);
            // A condition that a jump takes at once is never written out.
            if (size_t(position) + 2 < all.size() && all[size_t(position) + 2].Fused == TScriptFusion::IfGoto &&
                steps + 2 <= limit && Stack.size() < TScriptSystem::MaxStack) {
                Stack.pop_back();
                steps += 2;
                position = v != 0 ? all[size_t(position) + 3].Target - 1 : position + 3;
                return true;
            }
            WriteInt(Stack.back(), v);
            break;
        }
        case TScriptFusion::Arithmetic: {
            int32_t a = 0;
            if (Stack.empty() || !ToInt(Stack.back(), a)) return false;
            steps += 2;
            const int32_t v = Arithmetic(next.Op, a, step.Value);
            WriteInt(Stack.back(), chain(v));
            break;
        }
        case TScriptFusion::Goto:
            steps += 2;
            position = next.Target - 1;
            return true;
        case TScriptFusion::IfGoto: {
            if (Stack.empty()) return false;
            steps += 2;
            const std::string& condition = Stack.back();
            const bool taken = condition.size() != 1 || condition[0] != '0';
            Stack.pop_back();
            if (taken) {
                position = next.Target - 1;
                return true;
            }
            break;
        }
    }
    ++position;
    return true;
}

bool TScript::Step(const TScriptNode& node, int& position) {
    const TScriptStep& step = node.Steps[size_t(position)];
    if (step.Op == TScriptOp::Literal) {
        Push(step.Text);
        return false;
    }
    auto binary = [this](auto f) {
        // The result takes the first operand's place; a failing command still leaves both popped.
        const size_t n = Stack.size();
        int32_t a = 0, b = 0;
        if (n >= 2 && ToInt(Stack[n - 1], b) && ToInt(Stack[n - 2], a)) {
            Stack.pop_back();
            int32_t result;
            try {
                result = f(a, b);
            } catch (...) {
                Stack.pop_back();
                throw;
            }
            WriteInt(Stack.back(), result);
            return;
        }
        int32_t second = PopInt();
        int32_t first = PopInt();
        PushInt(f(first, second));
    };
    auto jump = [&](const std::string& label) {
        int target = node.JumpTarget(position, label);
        if (target < 0) throw EGameError("List index out of bounds (-1)");
        position = target - 1;
    };
    switch (step.Op) {
        case TScriptOp::Literal: break;
        case TScriptOp::SetTimer: {
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
        case TScriptOp::DisableTimer: TimerEnabled = false; break;
        case TScriptOp::Add: case TScriptOp::Sub: case TScriptOp::Mul: case TScriptOp::Div: case TScriptOp::Mod:
        case TScriptOp::Equ: case TScriptOp::Greater: case TScriptOp::Less: case TScriptOp::GreaterEq:
        case TScriptOp::LessEq:
            binary([op = step.Op](int32_t a, int32_t b) { return Arithmetic(op, a, b); });
            break;
        case TScriptOp::Not: PushInt(PopInt() == 0 ? 1 : 0); break;
        case TScriptOp::Self: PushInt(OwnerIndex); break;
        case TScriptOp::SelfType: PushInt(OwnerKind); break;
        case TScriptOp::Goto: jump(PopText()); break;
        case TScriptOp::IfGoto: {
            // Both operands are read where they lie; they leave the stack before a jump can fail.
            if (Stack.size() < 2) {
                PopText();
                PopText();
            }
            const std::string& condition = Stack[Stack.size() - 2];
            const bool taken = condition.size() != 1 || condition[0] != '0';
            const int target = taken ? node.JumpTarget(position, Stack.back()) : 0;
            Stack.pop_back();
            Stack.pop_back();
            if (target < 0) throw EGameError("List index out of bounds (-1)");
            if (taken) position = target - 1;
            break;
        }
        case TScriptOp::Call: Run(PopText()); break;
        case TScriptOp::IfCall: {
            std::string name = PopText();
            if (PopText() != "0") Run(name);
            break;
        }
        case TScriptOp::Rnd: {
            // A negative range has no meaningful draw; it gives 0 like an empty one.
            int32_t v = PopInt();
            PushInt(v > 0 ? System.Host.Random(v) : 0);
            break;
        }
        case TScriptOp::Dist: {
            int32_t y2 = PopInt(), x2 = PopInt(), y1 = PopInt(), x1 = PopInt();
            double dx = double(x1) - x2, dy = double(y1) - y2;
            PushInt(Wrap(std::llrint(std::sqrt(dx * dx + dy * dy))));
            break;
        }
        // Variable indices outside their arrays read 0 and write nothing.
        case TScriptOp::GetGVar: {
            int32_t i = PopInt();
            PushInt(i >= 0 && i < int32_t(System.GlobalVars.size()) ? System.GlobalVars[i] : 0);
            break;
        }
        case TScriptOp::SetGVar: {
            int32_t v = PopInt();
            int32_t i = PopInt();
            if (i >= 0 && i < int32_t(System.GlobalVars.size())) System.GlobalVars[i] = v;
            break;
        }
        case TScriptOp::GetLVar: {
            int32_t i = PopInt();
            PushInt(i >= 0 && i < int32_t(Locals.size()) ? Locals[i] : 0);
            break;
        }
        case TScriptOp::SetLVar: {
            int32_t v = PopInt();
            int32_t i = PopInt();
            if (i >= 0 && i < int32_t(Locals.size())) Locals[i] = v;
            break;
        }
        case TScriptOp::World:
            if (System.Host.RunWorldCommand(*this, step.World)) return true;
            break;
    }
    // A map load may have destroyed this script (the map script loading another map): nothing of it runs on.
    return Destroyed;
}
