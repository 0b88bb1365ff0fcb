#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Texts live in memory as UTF-8; files on disk are Windows-1251.
std::string Cp1251ToUtf8(std::string_view cp1251);
// Characters with no Windows-1251 code become '?'.
std::string Utf8ToCp1251(std::string_view utf8);

// Decodes the code point at s[i] and moves i past it; a malformed byte
// decodes as itself.
char32_t DecodeUtf8(std::string_view s, size_t& i);

// Length in characters (code points), not bytes.
size_t Utf8Length(std::string_view utf8);
// The first n characters of a UTF-8 text.
std::string Utf8Left(std::string_view utf8, size_t n);
// Short strings of the file formats hold at most 24 characters.
constexpr size_t ShortStringMax = 24;
inline std::string ShortString(std::string_view utf8) { return Utf8Left(utf8, ShortStringMax); }

// Upper-cases a..z only; every other byte stays as written.
std::string AsciiUpper(std::string_view s);
// Lower-cases A..Z and the Cyrillic capitals.
std::string LowerCase(std::string_view utf8);
// Case-insensitive equality over Latin and Cyrillic letters.
bool SameText(std::string_view a, std::string_view b);

// True for bytes that are valid UTF-8 holding letters beyond ASCII: a file
// saved as UTF-8 where Windows-1251 was meant (such text is rarely valid UTF-8).
bool LooksLikeUtf8Letters(std::string_view bytes);

// The standard text-to-integer conversion: leading blanks, optional sign,
// decimal digits, or hex digits after "$", "0x" or "0X". Out of range or any
// other text gives nothing.
std::optional<int32_t> TryStrToInt(std::string_view s);
// As TryStrToInt, but throws EGameError "'%s' is not a valid integer value".
int32_t StrToInt(std::string_view s);

std::string Trim(std::string_view s);
// The lines of a text: CR LF, a lone CR or a lone LF ends a line; lines are
// taken whole, without trimming, and a last line end adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);
// Whether `names` holds `name`, letter case aside.
bool ListHas(const std::vector<std::string>& names, std::string_view name);
// Control bytes other than line ends as \xNN, so a name holding one is shown whole.
std::string EscapeControlBytes(std::string_view s);

// Nearest integer, halves to the even neighbour.
int32_t RoundEven(double v);
