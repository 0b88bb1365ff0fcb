#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TScript;

// One event a script ran, for the inspector: its node, the game time it
// began and how it ended (empty: it ran to its end).
struct TScriptEventRecord {
    std::string Node;
    uint32_t Time = 0;
    std::string Result;
};

// What a watched script keeps for the inspector: the step it is on or ran
// last, and its last events in a fixed ring, so a long session costs no more
// than a short one.
struct TScriptDebugInfo {
    static constexpr size_t EventCapacity = 50;
    std::array<TScriptEventRecord, EventCapacity> Events;
    uint64_t EventTotal = 0;  // events recorded since the script began; the ring holds the last ones
    std::string Node, Key;  // the node and step it is on or ran last
    int Position = -1;
    // The node of each event of this script under way (an event may raise another of the
    // same script), as its file names it; empty until the event's first step.
    std::vector<std::string> OpenEvents;

    void AddEvent(TScriptEventRecord record) { Events[size_t(EventTotal++ % EventCapacity)] = std::move(record); }
    size_t EventCount() const { return EventTotal < EventCapacity ? size_t(EventTotal) : EventCapacity; }
    // The i-th of the events held, oldest first.
    const TScriptEventRecord& Event(size_t i) const {
        return Events[size_t((EventTotal - EventCount() + i) % EventCapacity)];
    }
};

// A debugger's view of the running scripts. Only debug mode sets one on the
// script system, so normal play pays a single test per node run for it.
class IScriptWatch {
public:
    virtual ~IScriptWatch() = default;
    // An event of `script` begins and ends; `result` is empty when it ran to its end.
    virtual void EventBegins(TScript& script, std::string_view node) = 0;
    virtual void EventEnds(TScript& script, std::string_view node, const std::string& result) = 0;
    // Before each step of a node: `node` as the file names it, `position` in its steps, `key` the step's label.
    virtual void BeforeStep(TScript& script, std::string_view node, int position, const std::string& key) = 0;
};
