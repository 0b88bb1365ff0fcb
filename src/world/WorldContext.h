#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "base/Clock.h"
#include "base/Random.h"

struct TWorld;
class TScriptSystem;
class TImageList;
class TWaveList;
struct TGameConfig;

// What the world reports upwards; the game implements it.
class IWorldEvents {
public:
    virtual ~IWorldEvents() = default;
    virtual void AddConsole(const std::string& text) = 0;
    virtual void PlayerDead() = 0;
    virtual void ReportError(const std::exception& error) = 0;
    // Records of `kind` (KindCritter, KindObject) were renumbered: `map` takes
    // an old index to the new one, -1 for a record that left.
    virtual void RecordsRenumbered(int32_t kind, const std::function<int(int)>& map) = 0;
};

// Everything critters, objects and the world's script helpers may touch.
struct TWorldContext {
    TWorld& World;
    TScriptSystem& Scripts;
    TImageList& Images;
    TWaveList& Waves;
    TRandom& Rand;
    const IClock& Clock;
    const TGameConfig& Config;
    IWorldEvents& Events;

    uint32_t Now() const { return Clock.Now(); }
};
