// game.ini from anywhere: the reader takes any bytes, and every value the
// game reads from it (counts held to their limit, names, integers, the
// special object sections) comes out without a fault.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/Ini.h"
#include "world/GameConfig.h"
#include "world/SpecialObjects.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TIniFile ini = TIniFile::ParseCp1251(std::string_view(reinterpret_cast<const char*>(data), size));
    // The game reads up to TGameConfig::MaxCount entries; a few hundred reach every kind of section and keep runs quick.
    auto count = [&](const char* key) {
        return std::min({ini.ReadInteger("Main", key, 0), TGameConfig::MaxCount, int32_t(256)});
    };
    size_t total = 0;
    const struct {
        const char* Key;
        const char* Section;
        const char* Entry;
    } lists[] = {{"Sounds", "Sounds", "Sound"}, {"Heads", "Heads", "Head"}, {"CritterSkin", "CritterSkin", "Skin"},
                 {"HitTypes", "HitTypes", "Type"}};
    for (const auto& list : lists)
        for (int32_t k = 0; k < count(list.Key); ++k) {
            const std::string name = ini.ReadString(list.Section, list.Entry + std::to_string(k), "");
            // Values are cut to 2047 characters, the longest text the game draws.
            if (name.size() > 2047 * 4) std::abort();
            total += name.size() + ini.ReadString(name, "sound", "").size() + ini.ReadString(name, "image", "").size();
            if (k < 16)
                for (const char* state : {"_idle", "_walk", "_fire", "_death"})
                    for (const char* key : {"Frames", "OffX", "OffY", "Width", "Height"})
                        total += size_t(uint32_t(ini.ReadInteger(name + state, key, 0)) & 1u);
        }
    const TSpecialObjects special = TSpecialObjects::Read(ini, count("SpecialObjects"));
    for (const TIniSection& section : ini.Sections())
        if (const TSpecialObject* s = special.Find(section.Name); s && s->Alpha) total += size_t(*s->Alpha & 1);
    static volatile size_t sink;
    sink = total;
    return 0;
}
