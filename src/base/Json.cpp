#include "base/Json.h"

#include <cmath>
#include <cstdio>

namespace {
// The length of the well-formed UTF-8 sequence at s[i] (no overlong forms,
// no surrogates, nothing past U+10FFFF), or 0.
size_t Utf8Sequence(std::string_view s, size_t i) {
    const unsigned char c = s[i];
    const size_t n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
    const unsigned char c1 = s[i + (n > 1 ? 1 : 0)];
    if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 > 0x9F) || (c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 > 0x8F))
        return 0;
    return n;
}
}  // namespace

// Bytes that are not UTF-8 (a damaged file's name, a forged save) become U+FFFD, so the text is always valid JSON.
std::string JsonEscape(std::string_view s) {
    std::string out = "\"";
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = s[i];
        if (c >= 0x80) {
            const size_t n = Utf8Sequence(s, i);
            if (n == 0) {
                out += "\xEF\xBF\xBD";
            } else {
                out.append(s.substr(i, n));
                i += n - 1;
            }
            continue;
        }
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += char(c);
                }
        }
    }
    return out + "\"";
}

void TJsonWriter::Indent() {
    Out += '\n';
    Out.append(First.size() * 2, ' ');
}

void TJsonWriter::Separator() {
    if (AfterKey) {
        AfterKey = false;
        return;
    }
    if (!First.empty()) {
        if (!First.back()) Out += ',';
        First.back() = false;
        Indent();
    }
}

TJsonWriter& TJsonWriter::BeginObject() {
    Separator();
    Out += '{';
    First.push_back(true);
    return *this;
}

TJsonWriter& TJsonWriter::EndObject() {
    bool empty = First.back();
    First.pop_back();
    if (!empty) Indent();
    Out += '}';
    return *this;
}

TJsonWriter& TJsonWriter::BeginArray() {
    Separator();
    Out += '[';
    First.push_back(true);
    return *this;
}

TJsonWriter& TJsonWriter::EndArray() { return EndObject(), Out.back() = ']', *this; }

TJsonWriter& TJsonWriter::Key(std::string_view key) {
    Separator();
    Out += JsonEscape(key);
    Out += ": ";
    AfterKey = true;
    return *this;
}

TJsonWriter& TJsonWriter::Value(std::string_view s) {
    Separator();
    Out += JsonEscape(s);
    return *this;
}

TJsonWriter& TJsonWriter::Value(int64_t n) {
    Separator();
    Out += std::to_string(n);
    return *this;
}

TJsonWriter& TJsonWriter::Value(double d) {
    Separator();
    if (!std::isfinite(d)) {
        Out += "null";
        return *this;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", d);
    Out += buf;
    return *this;
}

TJsonWriter& TJsonWriter::Value(bool b) {
    Separator();
    Out += b ? "true" : "false";
    return *this;
}

TJsonWriter& TJsonWriter::Null() {
    Separator();
    Out += "null";
    return *this;
}
