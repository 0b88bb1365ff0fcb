#include "world/SpecialObjects.h"

TSpecialObjects TSpecialObjects::Read(const TIniFile& ini, int32_t count) {
    TSpecialObjects table;
    for (int32_t k = 0; k < count; ++k) {
        const std::string section = "Object" + std::to_string(k);
        const std::string effect = ini.ReadString(section, "effect", "");
        if (effect == "alpha")
            table.ByName[ini.ReadString(section, "name", "")].Alpha = ini.ReadInteger(section, "Value", 0);
        else if (effect == "anim")
            table.ByName[ini.ReadString(section, "name", "")].Pattern =
                std::pair{ini.ReadInteger(section, "PatternWidth", 0), ini.ReadInteger(section, "PatternHeight", 0)};
    }
    return table;
}

const TSpecialObject* TSpecialObjects::Find(const std::string& pictureName) const {
    auto it = ByName.find(pictureName);
    return it == ByName.end() ? nullptr : &it->second;
}
