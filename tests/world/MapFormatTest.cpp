// The location file layout, read and written without a game.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/Errors.h"
#include "base/Text.h"
#include "world/MapFormat.h"

namespace {
int32_t IntAt(const std::string& b, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | uint8_t(b[at + size_t(i)]);
    return int32_t(v);
}
void PutInt(std::string& b, size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = char(uint32_t(v) >> (8 * i));
}
void PutShort(std::string& b, size_t at, const std::string& cp1251) {
    b[at] = char(cp1251.size());
    std::memcpy(&b[at + 1], cp1251.data(), cp1251.size());
}

// A location with that many default critters and objects.
TMapData Crowd(int critters, int objects) {
    TMapData map;
    map.Critters.resize(size_t(critters));
    map.Objects.resize(size_t(objects));
    return map;
}

// A file with one critter and one object, built byte by byte from the layout.
std::string HandBuiltFile() {
    std::string b(EmptyMapBytes + MapCritterBytes + MapObjectBytes, '\0');
    PutShort(b, 0, "desert");
    PutShort(b, 25, "town");
    size_t cell = 50 + (size_t(3) * 120 + 7) * 8;  // tile (3, 7)
    b[cell] = 1;
    b[cell + 1] = 2;
    b[cell + 2] = 3;
    b[cell + 3] = 4;
    PutInt(b, cell + 4, -1);
    PutInt(b, 76850, 1);
    size_t c = 76854;
    PutShort(b, c, Utf8ToCp1251("Игрок"));
    PutShort(b, c + 25, "metal");
    PutInt(b, c + 50, 30);
    PutInt(b, c + 54, 50);
    PutInt(b, c + 58, 5);
    b[c + 62] = 1;
    b[c + 63] = 0;
    PutInt(b, c + 64, 100);
    PutInt(b, c + 68, 6);  // DmgMax comes before DmgMin
    PutInt(b, c + 72, 3);
    PutShort(b, c + 76, "hero");
    PutInt(b, c + 101, 90);
    PutInt(b, c + 105, 1);
    size_t o = c + 109;
    PutShort(b, o, "lamp 1");
    PutShort(b, o + 25, "lamp");
    PutInt(b, o + 50, 12);
    PutInt(b, o + 54, 34);
    PutInt(b, o + 58, -3);
    PutInt(b, o + 62, 4);
    b[o + 66] = 0;
    b[o + 67] = 1;
    PutShort(b, o + 68, "");
    return b;
}

std::string DamageOf(const std::string& bytes) {
    try {
        ParseMap(bytes, "data\\locations\\bad.map");
    } catch (const EGameError& e) {
        return e.what();
    }
    return "";
}
}  // namespace

TEST(MapFormat, EmptyLocationIs76858Bytes) {
    TMapData empty;
    std::string bytes = SerializeMap(empty);
    ASSERT_EQ(bytes.size(), 76858u);
    EXPECT_EQ(bytes.substr(0, 9), std::string("\x08pattern1"));
    EXPECT_EQ(IntAt(bytes, 54), -1);  // the occupant word of tile (0, 0)
    EXPECT_EQ(IntAt(bytes, 76850), 0);
    EXPECT_EQ(IntAt(bytes, 76854), 0);
    TMapData back = ParseMap(bytes, "empty.map");
    EXPECT_EQ(back.PatternName, "pattern1");
    EXPECT_EQ(back.MapScript, "");
    EXPECT_TRUE(back.Critters.empty());
    EXPECT_TRUE(back.Objects.empty());
    EXPECT_EQ(back.Grid[0].Occupant, -1);
}

TEST(MapFormat, ReadsEveryFieldAtItsOffset) {
    TMapData map = ParseMap(HandBuiltFile(), "hand.map");
    EXPECT_EQ(map.PatternName, "desert");
    EXPECT_EQ(map.MapScript, "town");
    const TCell& cell = map.Grid[size_t(3) * 120 + 7];
    EXPECT_EQ(cell.WalkBlock, 1);
    EXPECT_EQ(cell.ShootBlock, 2);
    EXPECT_EQ(cell.WalkAnim, 3);
    EXPECT_EQ(cell.HitType, 4);
    EXPECT_EQ(map.Grid[size_t(7) * 120 + 3].WalkBlock, 0);  // column by column, not row by row

    ASSERT_EQ(map.Critters.size(), 1u);
    const TMapCritter& c = map.Critters[0];
    EXPECT_EQ(c.Label, "Игрок");
    EXPECT_EQ(c.Skin, "metal");
    EXPECT_EQ(c.StartX, 30);
    EXPECT_EQ(c.StartY, 50);
    EXPECT_EQ(c.Direction, 5);
    EXPECT_EQ(c.Invisible, 1);
    EXPECT_EQ(c.Disabled, 0);
    EXPECT_EQ(c.HP, 100);
    EXPECT_EQ(c.DmgMax, 6);
    EXPECT_EQ(c.DmgMin, 3);
    EXPECT_EQ(c.ScriptName, "hero");
    EXPECT_EQ(c.Accuracy, 90);

    ASSERT_EQ(map.Objects.size(), 1u);
    const TMapObject& o = map.Objects[0];
    EXPECT_EQ(o.Label, "lamp 1");
    EXPECT_EQ(o.ImageName, "lamp");
    EXPECT_EQ(o.X, 12);
    EXPECT_EQ(o.Y, 34);
    EXPECT_EQ(o.OffsetX, -3);
    EXPECT_EQ(o.OffsetY, 4);
    EXPECT_EQ(o.Invisible, 0);
    EXPECT_EQ(o.Disabled, 1);
    EXPECT_EQ(o.ScriptName, "");
}

TEST(MapFormat, WritesTheSameBytesItReads) {
    std::string bytes = HandBuiltFile();
    EXPECT_EQ(SerializeMap(ParseMap(bytes, "hand.map")), bytes);
}

TEST(MapFormat, ShortStringsAreCutTo24CharactersAndZeroFilled) {
    TMapData map;
    map.Critters.emplace_back();
    map.Critters[0].Label = std::string(30, 'a');
    map.Critters[0].ScriptName = "Длинноеимясценариявтридцатьбукв";  // Cyrillic: one byte per character on disk
    map.MapScript = "x";
    std::string bytes = SerializeMap(map);
    EXPECT_EQ(uint8_t(bytes[76854]), 24);
    EXPECT_EQ(bytes.substr(76855, 24), std::string(24, 'a'));
    EXPECT_EQ(uint8_t(bytes[76854 + 76]), 24);
    EXPECT_EQ(bytes.substr(26, 24), std::string("x") + std::string(23, '\0'));
    TMapData back = ParseMap(bytes, "cut.map");
    EXPECT_EQ(back.Critters[0].ScriptName, Utf8Left("Длинноеимясценариявтридцатьбукв", 24));
}

TEST(MapFormat, DamagedFilesAreRejectedWithTheReason) {
    const std::string good = HandBuiltFile();
    struct Case {
        const char* Name;
        std::string Bytes;
        const char* Reason;
    };
    auto with = [&](auto change) {
        std::string b = good;
        change(b);
        return b;
    };
    const size_t c = 76854, o = c + 109;
    const Case cases[] = {
        {"empty file", "", "0 bytes long, shorter than the 76858 bytes of an empty location"},
        {"one byte short", good.substr(0, good.size() - 1), "too short for its 1 object"},
        {"a trailing byte", good + "x", "77057 bytes long, but its counts describe 77056 bytes"},
        {"negative critter count", with([&](std::string& b) { PutInt(b, 76850, -5); }), "critter count -5 is negative"},
        {"negative object count", with([&](std::string& b) { PutInt(b, c + 105, -1); }), "object count -1 is negative"},
        {"huge critter count", with([&](std::string& b) { PutInt(b, 76850, INT_MAX); }),
         "too short for its 2147483647 critters"},
        {"critters above the limit", SerializeMap(Crowd(MapMaxCritters + 1, 0)),
         "critter count 9601 is more than the limit of 9600"},
        {"objects above the limit", SerializeMap(Crowd(0, MapMaxObjects + 1)),
         "object count 16385 is more than the limit of 16384"},
        {"long pattern name", with([](std::string& b) { b[0] = 25; }), "the pattern name has length 25"},
        {"long map script name", with([](std::string& b) { b[25] = char(255); }), "the map script name has length 255"},
        {"long critter label", with([&](std::string& b) { b[c] = 30; }), "critter 0's label has length 30"},
        {"long object script", with([&](std::string& b) { b[o + 68] = 25; }), "object 0's script name has length 25"},
    };
    for (const Case& k : cases) {
        std::string reason = DamageOf(k.Bytes);
        EXPECT_NE(reason.find("Location file \"data\\locations\\bad.map\" is damaged: "), std::string::npos) << k.Name;
        EXPECT_NE(reason.find(k.Reason), std::string::npos) << k.Name << ": " << reason;
    }
}

TEST(MapTool, ChecksAndDescribesFiles) {
    const std::string tool = std::string(RW_BINARY_DIR) + "/rustwake-map";
    if (!std::filesystem::exists(tool)) GTEST_SKIP() << "rustwake-map is not built";
    const auto dir = std::filesystem::temp_directory_path() / ("rustwake-maptool-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    };
    const std::string good = write("good.map", HandBuiltFile());
    const std::string bad = write("bad.map", HandBuiltFile() + "x");
    auto run = [&](const std::string& args) {
        std::string out = (dir / "out.txt").string();
        int status = std::system((tool + " " + args + " > " + out + " 2>&1").c_str());
        std::ifstream in(out);
        std::stringstream text;
        text << in.rdbuf();
        return std::make_pair(WEXITSTATUS(status), text.str());
    };

    EXPECT_EQ(run("check " + good).first, 0);
    auto [badStatus, badText] = run("check " + bad);
    EXPECT_EQ(badStatus, 1);
    EXPECT_NE(badText.find("is damaged"), std::string::npos);
    auto [infoStatus, info] = run("info " + good);
    EXPECT_EQ(infoStatus, 0);
    for (const char* part : {"\"PatternName\": \"desert\"", "\"CritterCount\": 1", "\"DmgMax\": 6",
                             "\"Label\": \"Игрок\"", "\"WalkBlockedCells\": 1", "\"ImageName\": \"lamp\""})
        EXPECT_NE(info.find(part), std::string::npos) << part;
    std::filesystem::remove_all(dir);
}
