#include "world/GameConfig.h"

#include "base/FileSystem.h"

void TGameConfig::Read(const TFileSystem& files) {
    Ini = TIniFile::ParseCp1251(files.ReadFile("data\\data\\game.ini"));
}

void TGameConfig::ReadHitTypes() {
    HitTypes.clear();
    int count = Ini.ReadInteger("Main", "HitTypes", 0);
    for (int i = 0; i < count; ++i) HitTypes.push_back(Ini.ReadString("HitTypes", "Type" + std::to_string(i), ""));
}

std::string TGameConfig::HitTypeName(int index) const {
    if (index < 0 || size_t(index) >= HitTypes.size()) return "";
    return HitTypes[size_t(index)];
}
