#include "base/Text.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "base/Errors.h"

namespace {

// Code points of Windows-1251 bytes 0x80..0xBF; 0xC0..0xFF map to U+0410..U+044F.
const char32_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Decodes one code point at s[i], advancing i; malformed bytes decode as themselves.
char32_t DecodeOne(std::string_view s, size_t& i) {
    unsigned char c = s[i];
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + extra >= s.size()) {
        ++i;
        return c;
    }
    char32_t cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        unsigned char cc = s[i + k];
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return c;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    i += extra + 1;
    return cp;
}

char32_t FoldCase(char32_t cp) {
    if (cp >= 'A' && cp <= 'Z') return cp + 32;
    if (cp >= 0x0410 && cp <= 0x042F) return cp + 32;
    if (cp >= 0x0400 && cp <= 0x040F) return cp + 80;
    return cp;
}

}  // namespace

char32_t DecodeUtf8(std::string_view s, size_t& i) { return DecodeOne(s, i); }

std::string Cp1251ToUtf8(std::string_view in) {
    std::string out;
    out.reserve(in.size() * 2);
    for (unsigned char c : in) {
        if (c < 0x80)
            out += char(c);
        else if (c < 0xC0)
            AppendUtf8(out, kHigh[c - 0x80]);
        else
            AppendUtf8(out, 0x0410 + (c - 0xC0));
    }
    return out;
}

std::string Utf8ToCp1251(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size();) {
        char32_t cp = DecodeOne(in, i);
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp >= 0x0410 && cp <= 0x044F) {
            out += char(0xC0 + (cp - 0x0410));
        } else {
            char b = '?';
            for (int k = 0; k < 64; ++k)
                if (kHigh[k] == cp) {
                    b = char(0x80 + k);
                    break;
                }
            out += b;
        }
    }
    return out;
}

size_t Utf8Length(std::string_view s) {
    size_t n = 0;
    for (size_t i = 0; i < s.size();) {
        DecodeOne(s, i);
        ++n;
    }
    return n;
}

std::string Utf8Left(std::string_view s, size_t n) {
    size_t i = 0;
    for (size_t k = 0; k < n && i < s.size(); ++k) DecodeOne(s, i);
    return std::string(s.substr(0, i));
}

std::string AsciiUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return out;
}

std::string LowerCase(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) AppendUtf8(out, FoldCase(DecodeOne(s, i)));
    return out;
}

bool SameText(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size())
        if (FoldCase(DecodeOne(a, i)) != FoldCase(DecodeOne(b, j))) return false;
    return i == a.size() && j == b.size();
}

std::optional<int32_t> TryStrToInt(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        neg = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return std::nullopt;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        v = v * base + d;
        // Hex literals may spell the full 32-bit pattern ($FFFFFFFF is -1).
        if (v > (base == 16 ? int64_t(0xFFFFFFFF) : int64_t(0x80000000))) return std::nullopt;
    }
    if (base == 16) {
        int32_t r = int32_t(uint32_t(v));
        return neg ? int32_t(0u - uint32_t(r)) : r;
    }
    if (neg) return int32_t(-v);
    if (v > 0x7FFFFFFF) return std::nullopt;
    return int32_t(v);
}

int32_t StrToInt(std::string_view s) {
    auto v = TryStrToInt(s);
    if (!v) throw EGameError("'" + std::string(s) + "' is not a valid integer value");
    return *v;
}

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (unsigned char)s[b] <= ' ') ++b;
    while (e > b && (unsigned char)s[e - 1] <= ' ') --e;
    return std::string(s.substr(b, e - b));
}

int32_t RoundEven(double v) {
    // Reals beyond the int range (a critter far off the grid) saturate instead of being undefined.
    const double r = std::nearbyint(v);
    if (!(r >= double(INT32_MIN))) return std::isnan(r) ? 0 : INT32_MIN;
    if (r > double(INT32_MAX)) return INT32_MAX;
    return int32_t(r);
}

bool LooksLikeUtf8Letters(std::string_view bytes) {
    bool letters = false;
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char lead = (unsigned char)bytes[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const size_t length = lead >= 0xF5 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        if (length == 0 || i + length > bytes.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if (((unsigned char)bytes[i + k] & 0xC0) != 0x80) return false;
        size_t at = i;
        const char32_t c = DecodeUtf8(bytes, at);
        // The byte-order mark alone is no letter.
        letters |= c >= 0xC0 && c != 0xFEFF;
        i += length;
    }
    return letters;
}

std::string EscapeControlBytes(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        auto b = uint8_t(c);
        if ((b < 0x20 && c != '\n') || b == 0x7F) {
            static const char hex[] = "0123456789ABCDEF";
            out += "\\x";
            out += hex[b >> 4];
            out += hex[b & 15];
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(pos, end - pos));
        pos = end + 1;
        if (end < text.size() && text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
    }
    return lines;
}

bool ListHas(const std::vector<std::string>& names, std::string_view name) {
    for (const std::string& s : names)
        if (SameText(s, name)) return true;
    return false;
}
