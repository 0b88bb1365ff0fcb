#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/Script.h"
#include "world/WorldContext.h"

class TJsonWriter;
class TControlForm;

// A script as it stood before one of its steps (or, Position -1, when the
// event had ended): what the inspector shows while the world is paused.
struct TScriptSnapshot {
    std::string Node, Key;
    int Position = -1;
    std::vector<std::string> Stack;  // the top values, the top last
    size_t StackSize = 0;
    std::array<int32_t, 32> Locals{};
    bool TimerEnabled = false;
    uint32_t TimerInterval = 0;
    int64_t TimerDue = 0;  // ms from the snapshot's time
    std::string Result;    // at the end: how the event ended, empty when it ran through
};

struct TBreakpoint {
    std::string Script, Node, Key;  // the script file's game path, the node, the step's label
};

// The script inspector of the editor panel (debug mode): one script looked
// at (a critter's, an object's or the location's), breakpoints, and the
// world's pause at them.
//
// An event runs to its end once begun, since the world code that raised it
// cannot stop half way; so a breakpoint records the script before each step
// from there to the event's end, and the world stands still after the frame
// that ran it. Step walks through that record; past its end, the world runs
// on until the script's next step and pauses there. Continue lets the world run.
class TInspector : public IScriptWatch {
public:
    explicit TInspector(TWorldContext& game) : Game(game) {}

    enum class TTarget { None, Critter, Object, Map };
    void Inspect(TTarget target, int index = 0);
    // What the panel's page has selected: its critter or object, else the location's script.
    void InspectSelected(const TControlForm& form);
    TTarget Target = TTarget::None;
    int TargetIndex = 0;
    // The inspected script, null when its owner has none (or no longer exists).
    TScriptPtr TargetScript() const;
    // "critter 2", "object 0", "map", "" for none.
    std::string TargetName() const;
    static std::string OwnerName(const TScript& script);

    // The panel shows the inspector in place of its page.
    bool Shown = false;

    // Breakpoints on the inspected script's file; a second set at the same step does nothing.
    void SetBreakpoint(const std::string& node, const std::string& key);
    void ClearBreakpoint(const std::string& node, const std::string& key);
    std::vector<TBreakpoint> Breakpoints;

    // Variables as a person types them in; a wrong index throws EGameError.
    void SetLocal(int index, int32_t value);
    void SetGlobal(int index, int32_t value);

    // The world stands still at a breakpoint.
    bool Paused() const { return IsPaused; }
    // Paused: the record's next step, or past its end the world runs to the
    // script's next step. Running: pauses at the inspected script's next step.
    void Step();
    void Continue();
    // The record of the paused event and where in it the inspector is.
    const std::vector<TScriptSnapshot>& Record() const { return Trace; }
    size_t Cursor() const { return TraceCursor; }
    const TScriptSnapshot* PausedAt() const;
    // The script paused (kept alive while the record is looked at).
    const TScriptPtr& PausedScript() const { return HitScript; }

    // Something to show: the dump gains the inspector only then, so runs that never use it dump as before.
    bool Active() const { return Target != TTarget::None || !Breakpoints.empty() || IsPaused || Recording; }

    // The script as it stands at game time `now`, before the step at `position` of `node`.
    static TScriptSnapshot Snap(const TScript& script, std::string_view node, int position, const std::string& key,
                                uint32_t now);

    // IScriptWatch.
    void EventBegins(TScript& script, std::string_view node) override;
    void EventEnds(TScript& script, std::string_view node, const std::string& result) override;
    void BeforeStep(TScript& script, std::string_view node, int position, const std::string& key) override;

    // At most this many steps of a paused event are kept, and this many stack values a step.
    static constexpr size_t MaxRecord = 5000;
    static constexpr size_t MaxStackShown = 64;

    TWorldContext& Game;

private:
    bool Breaks(const TScript& script, std::string_view node, const std::string& key) const;

    bool IsPaused = false;
    bool Recording = false;
    int RecordLevel = 0;  // the event of the hit script, by how many of its events were under way
    TScriptPtr HitScript;
    std::weak_ptr<TScript> StepScript;  // pause at this script's next step
    std::vector<TScriptSnapshot> Trace;
    size_t TraceCursor = 0;
};

// The inspector in the runner's dump: the inspected script, the breakpoints and the pause.
void DumpInspector(TJsonWriter& j, const TInspector& inspector);
