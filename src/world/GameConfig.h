#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/Ini.h"
#include "world/SpecialObjects.h"

class TFileSystem;

// The game's configuration: game.ini as read at start-up and the hit types
// it lists, by the number a tile stores.
struct TGameConfig {
    // A count of numbered entries in [Main] (Sounds, Heads, CritterSkin,
    // HitTypes, SpecialObjects) above this is reported once, and the first
    // MaxCount entries are read.
    static constexpr int32_t MaxCount = 4096;

    TIniFile Ini;
    std::vector<std::string> HitTypes;
    // Where a count over the limit is reported; the game sets it.
    std::function<void(const std::exception&)> Report;

    // Reads data\data\game.ini; throws when it cannot be opened. Forgets
    // what was taken from the file read before.
    void Read(const TFileSystem& files);
    // Takes the hit-type list out of the file read.
    void ReadHitTypes();
    // The hit type's name by index (empty text outside the list).
    std::string HitTypeName(int index) const;
    int HitTypeCount() const { return int(HitTypes.size()); }

    // [Main] `key`, at most MaxCount; read once per file.
    int32_t Count(const std::string& key) const;
    // The [ObjectK] sections, read once per file.
    const TSpecialObjects& SpecialObjects() const;

private:
    mutable std::map<std::string, int32_t> Counts;
    mutable std::unique_ptr<TSpecialObjects> Special;
};
