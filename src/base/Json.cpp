#include "base/Json.h"

#include <cmath>
#include <cstdio>

std::string JsonEscape(std::string_view s) {
    std::string out = "\"";
    for (unsigned char c : s) {
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
