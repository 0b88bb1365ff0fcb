// The script inspector around the game: its panel lines, its keys and the
// world's pause at a breakpoint.
#include <istream>

#include "app/MainForm.h"
#include "base/Errors.h"
#include "base/Text.h"

namespace {
int32_t Operand(std::istream& words, const std::string& verb) {
    std::string word;
    words >> word;
    auto n = TryStrToInt(word);
    if (!n) throw EGameError("panel: " + verb + " needs a number, not \"" + word + "\"");
    return *n;
}
}  // namespace

bool TMainForm::InspectorCommand(const std::string& verb, std::istream& words) {
    TInspector& inspector = Inspector;
    if (verb == "inspect") {
        // inspect critter N | object N | map | off; alone, what the page has selected.
        std::string what;
        words >> what;
        if (what == "critter") {
            inspector.Inspect(TInspector::TTarget::Critter, Operand(words, "inspect critter"));
        } else if (what == "object") {
            inspector.Inspect(TInspector::TTarget::Object, Operand(words, "inspect object"));
        } else if (what == "map") {
            inspector.Inspect(TInspector::TTarget::Map);
        } else if (what == "off") {
            inspector.Inspect(TInspector::TTarget::None);
        } else if (what.empty()) {
            inspector.InspectSelected(ControlForm);
        } else {
            throw EGameError("panel: inspect critter N, object N, map or off, not \"" + what + "\"");
        }
        inspector.Shown = true;
    } else if (verb == "break" || verb == "unbreak") {
        std::string node, key;
        words >> node >> key;
        if (verb == "break")
            inspector.SetBreakpoint(node, key);
        else
            inspector.ClearBreakpoint(node, key);
    } else if (verb == "step") {
        inspector.Step();
    } else if (verb == "continue") {
        inspector.Continue();
    } else if (verb == "local" || verb == "global") {
        const int32_t index = Operand(words, verb);
        const int32_t value = Operand(words, verb);
        if (verb == "local")
            inspector.SetLocal(index, value);
        else
            inspector.SetGlobal(index, value);
    } else {
        return false;
    }
    return true;
}

bool TMainForm::BreakpointPause() {
    const bool paused = Inspector.Paused();
    if (paused && !InspectorHeldClock && !GameClock.Held()) {
        HoldClock();
        InspectorHeldClock = true;
    } else if (!paused && InspectorHeldClock) {
        ReleaseClock();
        InspectorHeldClock = false;
    }
    return paused;
}

void TMainForm::InspectorKeys() {
    constexpr int VkF8 = 119, VkF10 = 121;
    if (!DebugMode) return;
    if (EditorKeyTap(VkF10) && (Inspector.Paused() || Inspector.TargetScript())) Inspector.Step();
    if (EditorKeyTap(VkF8) && Inspector.Paused()) Inspector.Continue();
}
