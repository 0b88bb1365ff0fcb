#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A small streaming JSON writer for the headless dump and the map tool.
class TJsonWriter {
public:
    TJsonWriter& BeginObject();
    TJsonWriter& EndObject();
    TJsonWriter& BeginArray();
    TJsonWriter& EndArray();
    TJsonWriter& Key(std::string_view key);
    TJsonWriter& Value(std::string_view s);
    TJsonWriter& Value(const char* s) { return Value(std::string_view(s)); }
    TJsonWriter& Value(const std::string& s) { return Value(std::string_view(s)); }
    TJsonWriter& Value(int64_t n);
    TJsonWriter& Value(int32_t n) { return Value(int64_t(n)); }
    TJsonWriter& Value(uint32_t n) { return Value(int64_t(n)); }
    TJsonWriter& Value(uint64_t n) { return Value(int64_t(n)); }
    TJsonWriter& Value(double d);
    TJsonWriter& Value(bool b);
    TJsonWriter& Null();
    template <class T>
    TJsonWriter& Field(std::string_view key, const T& v) {
        Key(key);
        return Value(v);
    }
    std::string Str() const { return Out + "\n"; }

private:
    void Separator();
    void Indent();
    std::string Out;
    std::vector<bool> First;  // per open container: nothing written yet
    bool AfterKey = false;
};

std::string JsonEscape(std::string_view s);
