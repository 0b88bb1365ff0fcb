// The demo-data generator writes everything the game reads at start-up; these
// tests run it into a temporary folder and check what the game depends on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../../tools/demogen/Layout.h"
#include "base/Ini.h"
#include "media/Font.h"
#include "media/Surface.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

uint32_t Le(const std::string& s, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | uint8_t(s[at + i]);
    return v;
}

struct TBmp {
    int Width = 0, Height = 0, Bits = 0, Compression = -1;
    std::string Data;
    uint32_t Pixel(int x, int y) const {  // 0xRRGGBB, (0, 0) = top left
        const uint32_t stride = (uint32_t(Width) * 3 + 3) & ~3u;
        const size_t at = Le(Data, 10, 4) + size_t(Height - 1 - y) * stride + size_t(x) * 3;
        return (uint32_t(uint8_t(Data[at + 2])) << 16) | (uint32_t(uint8_t(Data[at + 1])) << 8) | uint8_t(Data[at]);
    }
};

TBmp ReadBmp(const fs::path& p) {
    TBmp b;
    b.Data = ReadAll(p);
    if (b.Data.size() < 54 || b.Data.compare(0, 2, "BM") != 0) return b;
    b.Width = int(Le(b.Data, 18, 4));
    b.Height = int(Le(b.Data, 22, 4));
    b.Bits = int(Le(b.Data, 28, 2));
    b.Compression = int(Le(b.Data, 30, 4));
    return b;
}

std::vector<std::string> ReadList(const fs::path& p) {
    const std::string text = ReadAll(p);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '\r' && text[i + 1] == '\n') {
            lines.push_back(text.substr(start, i - start));
            start = i + 2;
        }
    EXPECT_EQ(start, text.size()) << p << " must end with CR LF";
    return lines;
}

fs::path Tool() {
    return fs::path(RW_BINARY_DIR) / "rustwake-demogen";
}

void Generate(const fs::path& out) {
    const std::string cmd = "\"" + Tool().string() + "\" \"" + out.string() + "\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
}

// The checks read the tree the build step wrote beside the game (build/demo)
// when it is newer than the generator; otherwise they generate one. Each test
// runs in a process of its own, so the generator is run as seldom as possible.
class DemoData : public ::testing::Test {
protected:
    static fs::path First, Scratch;

    static void SetUpTestSuite() {
        ASSERT_TRUE(fs::exists(Tool())) << "build the target rustwake-demogen first";
        Scratch = fs::temp_directory_path() / ("rw_demogen_" + std::to_string(::getpid()));
        const fs::path built = fs::path(RW_BINARY_DIR) / "demo";
        const fs::path ini = built / "data/data/game.ini";
        if (fs::exists(ini) && fs::last_write_time(ini) >= fs::last_write_time(Tool())) {
            First = built;
        } else {
            First = Scratch / "a";
            Generate(First);
        }
    }
    static void TearDownTestSuite() { fs::remove_all(Scratch); }

    static fs::path Data(const std::string& rel) { return First / "data" / rel; }
    static TIniFile Ini() { return TIniFile::ParseCp1251(ReadAll(Data("data/game.ini"))); }
};
fs::path DemoData::First, DemoData::Scratch;

TEST_F(DemoData, GameIniNamesWhatTheGameNeeds) {
    const TIniFile ini = Ini();
    const int sounds = ini.ReadInteger("Main", "Sounds", 0);
    std::vector<std::string> names;
    for (int k = 0; k < sounds; ++k) names.push_back(ini.ReadString("Sounds", "Sound" + std::to_string(k), ""));
    for (const char* needed : {"hit", "Death", "DeathPlayer", "Console"})
        EXPECT_NE(std::find(names.begin(), names.end(), needed), names.end()) << needed;
    EXPECT_GE(ini.ReadInteger("Main", "Heads", 0), 3);
    ASSERT_GE(ini.ReadInteger("Main", "CritterSkin", 0), 2);
    EXPECT_EQ(ini.ReadString("CritterSkin", "Skin0", ""), "metal");

    const int hitTypes = ini.ReadInteger("Main", "HitTypes", 0);
    ASSERT_GE(hitTypes, 3);
    for (int k = 0; k < hitTypes; ++k) {
        const std::string h = ini.ReadString("HitTypes", "Type" + std::to_string(k), "");
        EXPECT_FALSE(ini.ReadString(h, "sound", "").empty()) << h;
        EXPECT_FALSE(ini.ReadString(h, "image", "").empty()) << h;
    }

    bool anim = false, alpha = false;
    for (int k = 0; k < ini.ReadInteger("Main", "SpecialObjects", 0); ++k) {
        const std::string s = "Object" + std::to_string(k);
        const std::string effect = ini.ReadString(s, "effect", "");
        anim |=
            effect == "anim" && ini.ReadInteger(s, "PatternWidth", 0) > 0 && ini.ReadInteger(s, "PatternHeight", 0) > 0;
        alpha |= effect == "alpha" && ini.ReadInteger(s, "Value", 0) >= 100 && ini.ReadInteger(s, "Value", 0) <= 200;
    }
    EXPECT_TRUE(anim);
    EXPECT_TRUE(alpha);
    // Windows-1251 with CR LF: no lone line feeds.
    const std::string raw = ReadAll(Data("data/game.ini"));
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\n') {
            ASSERT_TRUE(i > 0 && raw[i - 1] == '\r') << "lone LF at byte " << i;
        }
    }
}

TEST_F(DemoData, CritterSheetsFollowTheirSections) {
    const TIniFile ini = Ini();
    const auto lines = ReadList(Data("Images/Critters/Critters.lst"));
    ASSERT_FALSE(lines.empty());
    for (int k = 0; k < ini.ReadInteger("Main", "CritterSkin", 0); ++k)
        for (const char* state : {"_idle", "_walk", "_fire", "_death"})
            for (const char* shadow : {"", "_shadow"}) {
                const std::string name = ini.ReadString("CritterSkin", "Skin" + std::to_string(k), "") + state + shadow;
                EXPECT_NE(std::find(lines.begin(), lines.end(), name), lines.end()) << name;
            }
    for (const std::string& line : lines) {
        const std::string section = line.substr(0, line.find('_', line.find('_') + 1));
        const TBmp bmp = ReadBmp(Data("Images/Critters/" + line + ".bmp"));
        ASSERT_EQ(bmp.Bits, 24) << line;
        EXPECT_EQ(bmp.Compression, 0) << line;
        const int rows = section.ends_with("_fire") ? 16 : 8;
        EXPECT_EQ(bmp.Width, ini.ReadInteger(section, "Width", 0) * ini.ReadInteger(section, "Frames", 0)) << line;
        EXPECT_EQ(bmp.Height, ini.ReadInteger(section, "Height", 0) * rows) << line;
        EXPECT_EQ(bmp.Pixel(0, 0), 0xFF00FFu) << line << ": the colour key is the top-left pixel";
    }
}

TEST_F(DemoData, ObjectAndLocationListsHaveTheirPictures) {
    const TIniFile ini = Ini();
    const auto objects = ReadList(Data("Images/Objects/Objects.lst"));
    EXPECT_GE(objects.size(), 8u);
    for (const std::string& name : objects) {
        const TBmp bmp = ReadBmp(Data("Images/Objects/" + name + ".bmp"));
        ASSERT_EQ(bmp.Bits, 24) << name;
        for (int k = 0; k < ini.ReadInteger("Main", "SpecialObjects", 0); ++k) {
            const std::string s = "Object" + std::to_string(k);
            if (ini.ReadString(s, "name", "") != name || ini.ReadString(s, "effect", "") != "anim") continue;
            const int pw = ini.ReadInteger(s, "PatternWidth", 0);
            EXPECT_EQ(bmp.Height, ini.ReadInteger(s, "PatternHeight", 0)) << name;
            EXPECT_TRUE(pw > 0 && bmp.Width % pw == 0 && bmp.Width / pw >= 2) << name;
        }
    }
    const auto locations = ReadList(Data("Images/Locations/Locations.lst"));
    ASSERT_GE(locations.size(), 2u);
    EXPECT_EQ(locations[0], "pattern1");
    for (const std::string& name : locations) {
        const TBmp bmp = ReadBmp(Data("Images/Locations/" + name + ".bmp"));
        EXPECT_EQ(bmp.Width, 1600) << name;
        EXPECT_EQ(bmp.Height, 1200) << name;
        EXPECT_EQ(bmp.Bits, 24) << name;
    }
}

// The status line, shadow included, is drawn on the readout's dark glass, clear of the ИНВ button.
TEST_F(DemoData, StatusReadoutHoldsTheWidestDemoStatus) {
    TFontEngine fonts;
    TBitmap text(200, 20, 0);
    fonts.TextOut(text, TFontSpec{"Tahoma", 8, true, false, 0xFFFFFF}, 0, 0, "HP: 100/AM: 200");
    int inkRight = -1, inkBottom = -1;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 200; ++x)
            if (text.Pixel(x, y)) inkRight = std::max(inkRight, x), inkBottom = std::max(inkBottom, y);
    // Text at screen (28, 444), its shadow 2 pixels right and down; the panel's top is at screen y 432.
    const TBmp panel = ReadBmp(Data("Images/Interface/Main.bmp"));
    for (int y = 12; y <= 12 + inkBottom + 2; ++y)
        for (int x = 28; x <= 28 + inkRight + 2; ++x) {
            const uint32_t c = panel.Pixel(x, y);
            ASSERT_TRUE((c >> 16) < 0x40 && ((c >> 8) & 0xFF) < 0x40 && (c & 0xFF) < 0x40)
                << "not glass at " << x << "," << y;
        }
    EXPECT_LT(28 + inkRight + 2, 124) << "the inventory button begins at x 124";
}

TEST_F(DemoData, InterfacePicturesHaveTheirLayouts) {
    struct {
        const char* File;
        int Width, Height;
    } const sizes[] = {{"Cursor", 32, 32},    {"CursorO", 32, 32},     {"CursorA", 32, 32},
                       {"Main", 253, 504},    {"Dialog", 690, 400},    {"MainMenu", 800, 600},
                       {"Credits", 800, 600}, {"Vorteline", 300, 120}, {"MMBtn", 136, 198}};
    for (auto& s : sizes) {
        const TBmp bmp = ReadBmp(Data(std::string("Images/Interface/") + s.File + ".bmp"));
        EXPECT_EQ(bmp.Width, s.Width) << s.File;
        EXPECT_EQ(bmp.Height, s.Height) << s.File;
    }
    // The panel's slanted edge: a point of pattern row r is panel while x < r + 220.
    const TBmp panel = ReadBmp(Data("Images/Interface/Main.bmp"));
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(panel.Pixel(0, p * 168), 0xFF00FFu);
        EXPECT_EQ(panel.Pixel(221, p * 168 + 1), 0xFF00FFu);
        EXPECT_NE(panel.Pixel(219, p * 168 + 1), 0xFF00FFu);
        EXPECT_NE(panel.Pixel(252, p * 168 + 167), 0xFF00FFu);
    }
    EXPECT_NE(panel.Pixel(140, 20), panel.Pixel(140, 168 + 20)) << "pattern 1 shows the inventory button pressed";
    const TBmp cursor = ReadBmp(Data("Images/Interface/Cursor.bmp"));
    EXPECT_EQ(cursor.Pixel(0, 0), 0xFF00FFu);
    EXPECT_NE(cursor.Pixel(16, 17), 0xFF00FFu) << "the arrow's tip is the hot spot in the centre";

    const TIniFile ini = Ini();
    for (int k = 0; k < ini.ReadInteger("Main", "Heads", 0); ++k) {
        const std::string head = ini.ReadString("Heads", "Head" + std::to_string(k), "");
        const TBmp bmp = ReadBmp(Data("Images/Portraits/" + head + ".bmp"));
        EXPECT_EQ(bmp.Width, 309) << head;
        EXPECT_EQ(bmp.Height, 235) << head;
    }
    for (int k = 0; k < ini.ReadInteger("Main", "HitTypes", 0); ++k) {
        const std::string image =
            ini.ReadString(ini.ReadString("HitTypes", "Type" + std::to_string(k), ""), "image", "");
        const TBmp bmp = ReadBmp(Data("Images/Misc/" + image + ".bmp"));
        EXPECT_EQ(bmp.Height, 40) << image;
        EXPECT_TRUE(bmp.Width >= 40 && bmp.Width % 20 == 0) << image;
        EXPECT_EQ(bmp.Pixel(0, 0), 0xFF00FFu) << image;
    }
}

TEST_F(DemoData, EveryWaveTheGameLoadsExists) {
    const TIniFile ini = Ini();
    std::vector<std::string> waves{"player_fire", "Vorteline", "ButIn", "ButOut"};
    for (int n = 1; n <= 12; ++n) waves.push_back("rico" + std::to_string(n));
    for (int k = 0; k < ini.ReadInteger("Main", "Sounds", 0); ++k)
        waves.push_back(ini.ReadString("Sounds", "Sound" + std::to_string(k), ""));
    for (int k = 0; k < ini.ReadInteger("Main", "HitTypes", 0); ++k) {
        const std::string sound =
            ini.ReadString(ini.ReadString("HitTypes", "Type" + std::to_string(k), ""), "sound", "");
        for (int n = 1; n <= 3; ++n) waves.push_back(sound + std::to_string(n));
    }
    for (const std::string& w : waves) {
        const std::string data = ReadAll(Data("sounds/" + w + ".wav"));
        ASSERT_GT(data.size(), 44u) << w;
        EXPECT_EQ(data.substr(0, 4), "RIFF") << w;
        EXPECT_EQ(Le(data, 20, 2), 1u) << w << ": PCM";
        EXPECT_EQ(Le(data, 22, 2), 1u) << w << ": mono";
        EXPECT_EQ(Le(data, 24, 4), 22050u) << w;
        EXPECT_EQ(Le(data, 34, 2), 16u) << w;
    }
    EXPECT_TRUE(fs::exists(Data("scripts/obj_def.sc")));
}

TEST_F(DemoData, TheSameBytesOnEveryRun) {
    const fs::path second = Scratch / "b";
    Generate(second);
    for (const char* rel : {"data/game.ini", "Images/Locations/pattern2.bmp", "Images/Critters/metal_walk.bmp",
                            "Images/Interface/MMBtn.bmp", "sounds/player_fire.wav", "Music/loc01.mp3"}) {
        const fs::path a = First / "data" / rel, b = second / "data" / rel;
        if (!fs::exists(a) && std::string(rel).starts_with("Music")) continue;  // no encoder installed
        EXPECT_EQ(ReadAll(a), ReadAll(b)) << rel;
    }
}

TEST(DemoLayout, WallsLieOnTheTileGrid) {
    for (const auto& lay : demogen::Layouts)
        for (auto list : {lay.Walls, lay.Metal, lay.Floors, lay.Roads, lay.Lights})
            for (const auto& r : list) {
                EXPECT_TRUE(r.X >= 0 && r.Y >= 0 && r.W > 0 && r.H > 0 && r.X + r.W <= 80 && r.Y + r.H <= 120)
                    << lay.Pattern << " " << r.X << "," << r.Y;
            }
    // The debug start puts the player on tile (30, 50) of pattern1: it must be open ground.
    for (const auto& w : demogen::Layouts[0].Walls) EXPECT_FALSE(w.Contains(30, 50));
}

}  // namespace
