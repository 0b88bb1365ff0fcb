#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "base/Ini.h"

// What the configuration's [ObjectK] sections say about an object picture:
// the alpha of the last "alpha" section naming it and the pattern size of the
// last "anim" one. Read once, so that setting a picture costs one look-up
// however many sections there are.
struct TSpecialObject {
    std::optional<int32_t> Alpha;
    std::optional<std::pair<int32_t, int32_t>> Pattern;
};

class TSpecialObjects {
public:
    // Sections Object0 .. Object(count - 1).
    static TSpecialObjects Read(const TIniFile& ini, int32_t count);
    // Names match exactly, letter case included.
    const TSpecialObject* Find(const std::string& pictureName) const;

private:
    std::unordered_map<std::string, TSpecialObject> ByName;
};
