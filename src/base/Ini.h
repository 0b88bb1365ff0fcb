#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// One section of an INI-form text: its key = value lines in file order.
// Lookups find the first occurrence of a key, ignoring letter case.
struct TIniSection {
    std::string Name;
    std::vector<std::pair<std::string, std::string>> Entries;  // key, value
    std::unordered_map<std::string, size_t> FirstIndex;         // lower-cased key -> entry

    const std::string* Find(std::string_view key) const;
};

// An INI-form text read with the profile-string conventions: section and
// key names ignore letter case, blanks around names and values are dropped,
// ';' starts a comment line, a value in matching quotes loses them, the value
// is everything after the first '=', a repeated key or section reads its
// first occurrence, values are cut to 2047 characters. Files are
// Windows-1251; everything here is UTF-8.
class TIniFile {
public:
    TIniFile() = default;
    static TIniFile Parse(std::string_view utf8Text);
    static TIniFile ParseCp1251(std::string_view fileBytes);

    const TIniSection* FindSection(std::string_view name) const;
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // Decimal, or hexadecimal after "$", "0x" or "0X"; any other text gives def.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;

    const std::vector<TIniSection>& Sections() const { return SectionList; }

private:
    std::vector<TIniSection> SectionList;
    std::unordered_map<std::string, size_t> SectionIndex;  // lower-cased name -> first section
};
