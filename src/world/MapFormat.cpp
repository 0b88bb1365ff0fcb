#include "world/MapFormat.h"

#include "base/Errors.h"
#include "base/Text.h"

namespace {
class TMapReader {
public:
    TMapReader(std::string_view bytes, const std::string& fileName) : Bytes(bytes), FileName(fileName) {}

    [[noreturn]] void Fail(const std::string& what) const {
        throw EGameError("Location file \"" + FileName + "\" is damaged: " + what);
    }

    // The caller has made sure the bytes are there.
    int32_t Int() {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | uint8_t(Bytes[Pos + size_t(i)]);
        Pos += 4;
        return int32_t(v);
    }
    uint8_t Byte() { return uint8_t(Bytes[Pos++]); }
    std::string Short(const std::string& what) {
        size_t length = uint8_t(Bytes[Pos]);
        if (length > ShortStringMax)
            Fail(what + " has length " + std::to_string(length) + ", more than " + std::to_string(ShortStringMax));
        std::string text = Cp1251ToUtf8(Bytes.substr(Pos + 1, length));
        Pos += MapShortStringBytes;
        return text;
    }
    // Reads a count and checks that the file is long enough for what it counts.
    int32_t Count(const char* name, size_t recordBytes, size_t bytesAfter, int32_t limit) {
        int32_t count = Int();
        if (count < 0) Fail(std::string(name) + " count " + std::to_string(count) + " is negative");
        uint64_t need = uint64_t(Pos) + uint64_t(count) * recordBytes + bytesAfter;
        if (Bytes.size() < need)
            Fail("it is " + std::to_string(Bytes.size()) + " bytes long, too short for its " + std::to_string(count) +
                 " " + name + (count == 1 ? "" : "s") + " (" + std::to_string(need) + " bytes at least)");
        if (count > limit)
            Fail(std::string(name) + " count " + std::to_string(count) + " is more than the limit of " +
                 std::to_string(limit));
        return count;
    }

    std::string_view Bytes;
    const std::string& FileName;
    size_t Pos = 0;
};

class TMapWriter {
public:
    void Int(int32_t v) {
        for (int i = 0; i < 4; ++i) Out.push_back(char(uint32_t(v) >> (8 * i)));
    }
    void Byte(uint8_t v) { Out.push_back(char(v)); }
    void Short(std::string_view utf8) {
        std::string text = Utf8ToCp1251(ShortString(utf8));
        if (text.size() > ShortStringMax) text.resize(ShortStringMax);
        Out.push_back(char(text.size()));
        Out += text;
        Out.append(ShortStringMax - text.size(), '\0');
    }

    std::string Out;
};

std::string CritterName(size_t j) {
    return "critter " + std::to_string(j);
}
std::string ObjectName(size_t m) {
    return "object " + std::to_string(m);
}
}  // namespace

TMapData ParseMap(std::string_view bytes, const std::string& fileName) {
    TMapReader in(bytes, fileName);
    if (bytes.size() < EmptyMapBytes)
        in.Fail("it is " + std::to_string(bytes.size()) + " bytes long, shorter than the " +
                std::to_string(EmptyMapBytes) + " bytes of an empty location");
    TMapData map;
    map.PatternName = in.Short("the pattern name");
    map.MapScript = in.Short("the map script name");
    for (TCell& cell : map.Grid) {
        cell.WalkBlock = in.Byte();
        cell.ShootBlock = in.Byte();
        cell.WalkAnim = in.Byte();
        cell.HitType = in.Byte();
        cell.Occupant = in.Int();
    }

    int32_t critters = in.Count("critter", MapCritterBytes, 4, MapMaxCritters);
    map.Critters.resize(size_t(critters));
    for (size_t j = 0; j < map.Critters.size(); ++j) {
        TMapCritter& c = map.Critters[j];
        c.Label = in.Short(CritterName(j) + "'s label");
        c.Skin = in.Short(CritterName(j) + "'s skin");
        c.StartX = in.Int();
        c.StartY = in.Int();
        c.Direction = in.Int();
        c.Invisible = in.Byte();
        c.Disabled = in.Byte();
        c.HP = in.Int();
        c.DmgMax = in.Int();
        c.DmgMin = in.Int();
        c.ScriptName = in.Short(CritterName(j) + "'s script name");
        c.Accuracy = in.Int();
    }

    int32_t objects = in.Count("object", MapObjectBytes, 0, MapMaxObjects);
    map.Objects.resize(size_t(objects));
    for (size_t m = 0; m < map.Objects.size(); ++m) {
        TMapObject& o = map.Objects[m];
        o.Label = in.Short(ObjectName(m) + "'s label");
        o.ImageName = in.Short(ObjectName(m) + "'s picture name");
        o.X = in.Int();
        o.Y = in.Int();
        o.OffsetX = in.Int();
        o.OffsetY = in.Int();
        o.Invisible = in.Byte();
        o.Disabled = in.Byte();
        o.ScriptName = in.Short(ObjectName(m) + "'s script name");
    }
    // Bytes beyond the last record mean the counts do not describe the file.
    if (in.Pos != bytes.size())
        in.Fail("it is " + std::to_string(bytes.size()) + " bytes long, but its counts describe " +
                std::to_string(in.Pos) + " bytes");
    return map;
}

std::string SerializeMap(const TMapData& map) {
    TMapWriter out;
    out.Out.reserve(EmptyMapBytes + map.Critters.size() * MapCritterBytes + map.Objects.size() * MapObjectBytes);
    out.Short(map.PatternName);
    out.Short(map.MapScript);
    const size_t cells = size_t(MapCols) * MapRows;
    for (size_t i = 0; i < cells; ++i) {
        TCell cell = i < map.Grid.size() ? map.Grid[i] : TCell{};
        out.Byte(cell.WalkBlock);
        out.Byte(cell.ShootBlock);
        out.Byte(cell.WalkAnim);
        out.Byte(cell.HitType);
        out.Int(cell.Occupant);
    }
    out.Int(int32_t(map.Critters.size()));
    for (const TMapCritter& c : map.Critters) {
        out.Short(c.Label);
        out.Short(c.Skin);
        out.Int(c.StartX);
        out.Int(c.StartY);
        out.Int(c.Direction);
        out.Byte(c.Invisible);
        out.Byte(c.Disabled);
        out.Int(c.HP);
        out.Int(c.DmgMax);
        out.Int(c.DmgMin);
        out.Short(c.ScriptName);
        out.Int(c.Accuracy);
    }
    out.Int(int32_t(map.Objects.size()));
    for (const TMapObject& o : map.Objects) {
        out.Short(o.Label);
        out.Short(o.ImageName);
        out.Int(o.X);
        out.Int(o.Y);
        out.Int(o.OffsetX);
        out.Int(o.OffsetY);
        out.Byte(o.Invisible);
        out.Byte(o.Disabled);
        out.Short(o.ScriptName);
    }
    return std::move(out.Out);
}
