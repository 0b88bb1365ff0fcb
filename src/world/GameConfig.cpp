#include "world/GameConfig.h"

#include "base/Errors.h"
#include "base/FileSystem.h"

void TGameConfig::Read(const TFileSystem& files) {
    Ini = TIniFile::ParseCp1251(files.ReadFile("data\\data\\game.ini"));
    Counts.clear();
    Special.reset();
}

void TGameConfig::ReadHitTypes() {
    HitTypes.clear();
    const int32_t count = Count("HitTypes");
    for (int32_t i = 0; i < count; ++i) HitTypes.push_back(Ini.ReadString("HitTypes", "Type" + std::to_string(i), ""));
}

std::string TGameConfig::HitTypeName(int index) const {
    if (index < 0 || size_t(index) >= HitTypes.size()) return "";
    return HitTypes[size_t(index)];
}

int32_t TGameConfig::Count(const std::string& key) const {
    if (auto it = Counts.find(key); it != Counts.end()) return it->second;
    int32_t count = Ini.ReadInteger("Main", key, 0);
    if (count > MaxCount) {
        if (Report)
            Report(EGameError("Configuration file data\\data\\game.ini: [Main] " + key + "=" + std::to_string(count) +
                              " is more than the limit of " + std::to_string(MaxCount) + "; the first " +
                              std::to_string(MaxCount) + " are read"));
        count = MaxCount;
    }
    Counts[key] = count;
    return count;
}

const TSpecialObjects& TGameConfig::SpecialObjects() const {
    if (!Special) Special = std::make_unique<TSpecialObjects>(TSpecialObjects::Read(Ini, Count("SpecialObjects")));
    return *Special;
}
