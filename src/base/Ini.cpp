#include "base/Ini.h"

#include "base/Text.h"

namespace {
constexpr size_t MaxValueChars = 2047;

std::string Unquote(std::string v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}
}  // namespace

const std::string* TIniSection::Find(std::string_view key) const {
    auto it = FirstIndex.find(LowerCase(Trim(key)));
    return it == FirstIndex.end() ? nullptr : &Entries[it->second].second;
}

TIniFile TIniFile::ParseCp1251(std::string_view bytes) { return Parse(Cp1251ToUtf8(bytes)); }

TIniFile TIniFile::Parse(std::string_view text) {
    TIniFile ini;
    TIniSection* current = nullptr;
    for (const std::string& raw : SplitLines(text)) {
        std::string line = Trim(raw);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            std::string name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            ini.SectionList.push_back(TIniSection{name, {}, {}});
            current = &ini.SectionList.back();
            ini.SectionIndex.emplace(LowerCase(name), ini.SectionList.size() - 1);
            continue;
        }
        if (!current) continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = Trim(line.substr(0, eq));
        std::string value = Unquote(Trim(line.substr(eq + 1)));
        if (Utf8Length(value) > MaxValueChars) value = Utf8Left(value, MaxValueChars);
        current->FirstIndex.emplace(LowerCase(key), current->Entries.size());
        current->Entries.emplace_back(std::move(key), std::move(value));
    }
    return ini;
}

const TIniSection* TIniFile::FindSection(std::string_view name) const {
    auto it = SectionIndex.find(LowerCase(Trim(name)));
    return it == SectionIndex.end() ? nullptr : &SectionList[it->second];
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
    if (const auto* s = FindSection(section))
        if (const auto* v = s->Find(key)) return *v;
    return std::string(def);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
    const TIniSection* s = FindSection(section);
    const std::string* v = s ? s->Find(key) : nullptr;
    if (!v) return def;
    auto n = TryStrToInt(*v);
    return n ? *n : def;
}
