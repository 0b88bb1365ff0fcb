#include "editor/model/Inspector.h"

#include <algorithm>

#include "base/Errors.h"
#include "base/Json.h"
#include "base/Text.h"
#include "critters/Critter.h"
#include "editor/model/ControlForm.h"
#include "world/Obj.h"
#include "world/World.h"

namespace {
TScriptDebugInfo& DebugInfo(TScript& script) {
    if (!script.Debug) script.Debug = std::make_unique<TScriptDebugInfo>();
    return *script.Debug;
}
}  // namespace

void TInspector::Inspect(TTarget target, int index) {
    Target = target;
    TargetIndex = target == TTarget::Critter || target == TTarget::Object ? index : 0;
}

void TInspector::InspectSelected(const TControlForm& form) {
    if (form.ActivePage == PageCritter && form.CritterListBox.ItemIndex >= 0)
        Inspect(TTarget::Critter, form.CritterListBox.ItemIndex);
    else if (form.ActivePage == PageObjects && form.ObjectListBox.ItemIndex >= 0)
        Inspect(TTarget::Object, form.ObjectListBox.ItemIndex);
    else
        Inspect(TTarget::Map);
}

TScriptPtr TInspector::TargetScript() const {
    switch (Target) {
        case TTarget::Critter:
            if (tCritter* c = Game.World.Critter(TargetIndex)) return c->Script;
            return nullptr;
        case TTarget::Object:
            if (tObj* o = Game.World.Object(TargetIndex)) return o->Script;
            return nullptr;
        case TTarget::Map: return Game.World.MapScript;
        case TTarget::None: break;
    }
    return nullptr;
}

std::string TInspector::TargetName() const {
    switch (Target) {
        case TTarget::Critter: return "critter " + std::to_string(TargetIndex);
        case TTarget::Object: return "object " + std::to_string(TargetIndex);
        case TTarget::Map: return "map";
        case TTarget::None: break;
    }
    return std::string();
}

std::string TInspector::OwnerName(const TScript& script) {
    if (script.OwnerKind == OwnerCritter) return "critter " + std::to_string(script.OwnerIndex);
    if (script.OwnerKind == OwnerObject) return "object " + std::to_string(script.OwnerIndex);
    return "map";
}

void TInspector::SetBreakpoint(const std::string& node, const std::string& key) {
    TScriptPtr script = TargetScript();
    if (!script) throw EGameError("inspector: no script to set a breakpoint in");
    if (Trim(node).empty() || Trim(key).empty()) throw EGameError("inspector: a breakpoint needs a node and a step");
    TBreakpoint b{script->Path, Trim(node), Trim(key)};
    auto same = [&](const TBreakpoint& o) {
        return SameText(o.Script, b.Script) && SameText(o.Node, b.Node) && SameText(o.Key, b.Key);
    };
    if (std::none_of(Breakpoints.begin(), Breakpoints.end(), same)) Breakpoints.push_back(std::move(b));
}

void TInspector::ClearBreakpoint(const std::string& node, const std::string& key) {
    TScriptPtr script = TargetScript();
    const std::string path = script ? script->Path : std::string();
    std::erase_if(Breakpoints, [&](const TBreakpoint& o) {
        return SameText(o.Script, path) && SameText(o.Node, Trim(node)) && SameText(o.Key, Trim(key));
    });
}

void TInspector::SetLocal(int index, int32_t value) {
    TScriptPtr script = TargetScript();
    if (!script) throw EGameError("inspector: no script to set a local of");
    if (index < 0 || size_t(index) >= script->Locals.size())
        throw EGameError("inspector: locals are numbered 0 to " + std::to_string(script->Locals.size() - 1));
    script->Locals[size_t(index)] = value;
}

void TInspector::SetGlobal(int index, int32_t value) {
    auto& globals = Game.Scripts.GlobalVars;
    if (index < 0 || size_t(index) >= globals.size())
        throw EGameError("inspector: globals are numbered 0 to " + std::to_string(globals.size() - 1));
    globals[size_t(index)] = value;
}

void TInspector::Step() {
    if (IsPaused && TraceCursor + 1 < Trace.size()) {
        ++TraceCursor;
        return;
    }
    // Past the record's end (or running): the world goes on to the script's next step.
    TScriptPtr next = IsPaused ? HitScript : TargetScript();
    if (!next) throw EGameError("inspector: no script to step through");
    Continue();
    StepScript = next;
}

void TInspector::Continue() {
    IsPaused = false;
    Trace.clear();
    TraceCursor = 0;
    HitScript.reset();
    StepScript.reset();
}

const TScriptSnapshot* TInspector::PausedAt() const {
    return IsPaused && TraceCursor < Trace.size() ? &Trace[TraceCursor] : nullptr;
}

bool TInspector::Breaks(const TScript& script, std::string_view node, const std::string& key) const {
    if (StepScript.lock().get() == &script) return true;
    for (const TBreakpoint& b : Breakpoints)
        if (b.Script.size() == script.Path.size() && SameText(b.Script, script.Path) && SameText(b.Node, node) &&
            SameText(b.Key, key))
            return true;
    return false;
}

TScriptSnapshot TInspector::Snap(const TScript& script, std::string_view node, int position, const std::string& key,
                                 uint32_t now) {
    TScriptSnapshot s;
    s.Node = std::string(node);
    s.Key = key;
    s.Position = position;
    s.StackSize = script.Stack.size();
    const size_t shown = std::min(script.Stack.size(), MaxStackShown);
    s.Stack.assign(script.Stack.end() - std::ptrdiff_t(shown), script.Stack.end());
    s.Locals = script.Locals;
    s.TimerEnabled = script.TimerEnabled;
    s.TimerInterval = script.TimerInterval;
    s.TimerDue = int64_t(int32_t(script.TimerNext - now));
    return s;
}

void TInspector::EventBegins(TScript& script, std::string_view) {
    DebugInfo(script).OpenEvents.emplace_back();
}

void TInspector::EventEnds(TScript& script, std::string_view, const std::string& result) {
    TScriptDebugInfo& d = DebugInfo(script);
    const std::string node = std::move(d.OpenEvents.back());
    // An event whose node is missing ran nothing: not one of the script's events.
    if (!node.empty()) d.AddEvent({node, Game.Now(), result.empty() ? "ok" : result});
    if (Recording && HitScript.get() == &script && int(d.OpenEvents.size()) == RecordLevel) {
        TScriptSnapshot end = Snap(script, node, -1, std::string(), Game.Now());
        end.Result = result.empty() ? "ok" : result;
        Trace.push_back(std::move(end));
        Recording = false;
        IsPaused = true;
        TraceCursor = 0;
    }
    d.OpenEvents.pop_back();
}

void TInspector::BeforeStep(TScript& script, std::string_view node, int position, const std::string& key) {
    TScriptDebugInfo& d = DebugInfo(script);
    if (d.Node != node) d.Node.assign(node);
    if (d.Key != key) d.Key = key;
    d.Position = position;
    if (!d.OpenEvents.empty() && d.OpenEvents.back().empty()) d.OpenEvents.back().assign(node);
    if (Recording) {
        if (HitScript.get() == &script && Trace.size() < MaxRecord) Trace.push_back(Snap(script, node, position, key, Game.Now()));
        return;
    }
    // Scripts the panel runs while the world stands still (an added critter's OnCreate) pass.
    if (IsPaused || !Breaks(script, node, key)) return;
    // Only a script an event runs can pause: one run outside any (a test's direct call) has no end to wait for.
    if (d.OpenEvents.empty()) return;
    StepScript.reset();
    HitScript = script.shared_from_this();
    RecordLevel = int(d.OpenEvents.size());
    Recording = true;
    Trace.clear();
    Trace.push_back(Snap(script, node, position, key, Game.Now()));
}

namespace {
void DumpState(TJsonWriter& j, const TScriptSnapshot& s) {
    j.Field("node", s.Node).Field("step", s.Key).Field("position", s.Position);
    j.Field("stackSize", uint64_t(s.StackSize));
    j.Key("stack").BeginArray();
    for (const std::string& v : s.Stack) j.Value(v);
    j.EndArray();
    j.Key("locals").BeginArray();
    for (int32_t v : s.Locals) j.Value(v);
    j.EndArray();
    j.Key("timer").BeginObject();
    j.Field("enabled", s.TimerEnabled).Field("interval", s.TimerInterval).Field("due", s.TimerDue);
    j.EndObject();
}
}  // namespace

void DumpInspector(TJsonWriter& j, const TInspector& inspector) {
    j.Key("inspector").BeginObject();
    j.Field("target", inspector.TargetName());
    if (TScriptPtr script = inspector.TargetScript()) {
        // The script as it is now: its last step, and its events oldest first.
        TScriptSnapshot now = TInspector::Snap(*script, {}, -1, {}, inspector.Game.Now());
        j.Field("script", script->Path);
        const TScriptDebugInfo* d = script->Debug.get();
        if (d) now.Node = d->Node, now.Key = d->Key, now.Position = d->Position;
        DumpState(j, now);
        j.Field("running", d && !d->OpenEvents.empty());
        j.Key("events").BeginArray();
        for (size_t i = 0; d && i < d->EventCount(); ++i) {
            const TScriptEventRecord& e = d->Event(i);
            j.BeginObject().Field("node", e.Node).Field("time", e.Time).Field("result", e.Result).EndObject();
        }
        j.EndArray();
    }
    j.Key("breakpoints").BeginArray();
    for (const TBreakpoint& b : inspector.Breakpoints)
        j.BeginObject().Field("script", b.Script).Field("node", b.Node).Field("step", b.Key).EndObject();
    j.EndArray();
    j.Field("paused", inspector.Paused());
    if (const TScriptSnapshot* at = inspector.PausedAt()) {
        j.Key("pausedAt").BeginObject();
        j.Field("owner", TInspector::OwnerName(*inspector.PausedScript()));
        j.Field("script", inspector.PausedScript()->Path);
        j.Field("index", uint64_t(inspector.Cursor())).Field("of", uint64_t(inspector.Record().size()));
        DumpState(j, *at);
        j.Field("result", at->Result);
        j.EndObject();
    }
    j.EndObject();
}
