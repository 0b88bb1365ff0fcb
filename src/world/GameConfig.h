#pragma once
#include <string>
#include <vector>

#include "base/Ini.h"

class TFileSystem;

// The game's configuration: game.ini as read at start-up and the hit types
// it lists, by the number a tile stores.
struct TGameConfig {
    TIniFile Ini;
    std::vector<std::string> HitTypes;

    // Reads data\data\game.ini; throws when it cannot be opened.
    void Read(const TFileSystem& files);
    // Takes the hit-type list out of the file read; throws on a count that is no number.
    void ReadHitTypes();
    // The hit type's name by index (empty text outside the list).
    std::string HitTypeName(int index) const;
    int HitTypeCount() const { return int(HitTypes.size()); }
};
