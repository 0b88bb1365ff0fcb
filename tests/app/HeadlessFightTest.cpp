// The whole game, headless: the player in aiming mode holds the button on a
// raider until it is dead, on the demo data when it has been built.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "combat/CombatKit.h"
#include "platform/Headless.h"

namespace {
namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The value of `"key": ` in the dump object of critter `index`.
std::string CritterField(const std::string& dump, int index, const std::string& key) {
    size_t at = dump.find("\"critters\"");
    for (int i = 0; i <= index && at != std::string::npos; ++i) at = dump.find("\"index\"", at + 1);
    if (at == std::string::npos) return "";
    at = dump.find("\"" + key + "\"", at);
    if (at == std::string::npos) return "";
    at = dump.find(':', at) + 1;
    while (dump[at] == ' ') ++at;
    return dump.substr(at, dump.find_first_of(",\n}", at) - at);
}

class HeadlessFight : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path demo = fs::path(RW_BINARY_DIR) / "demo";
        if (fs::exists(demo / "data" / "data" / "game.ini") && fs::exists(demo / "data" / "scripts" / "raider.sc")) {
            DataDir = demo.string();
            RaiderSkin = "raider";
        } else {
            WriteCombatGame(Data);
            Data.WriteScript("player.sc", "[OnCreate]\n1=SELF\n2=200\n3=SETAMMO\n");
            Data.WriteScript("raider.sc", "[OnCreate]\n1=SELF\n2=80\n3=SETAMMO\n[OnHit]\n1=SELF\n2=0\n3=SETVICTIM\n");
            DataDir = Data.Root().string();
        }
        // The raider stands in a pen of walk blocks, so it cannot wander off the aim.
        TMapData map;
        auto critter = [](const std::string& label, const std::string& skin, int x, int y, int hp,
                          const std::string& script) {
            return MapCritter(label, x, y, script,
                              {.Skin = skin, .Direction = 3, .HP = hp, .DmgMin = 3, .DmgMax = 6, .Accuracy = 90});
        };
        map.Critters = {critter("Игрок", "metal", 30, 50, 500, "player"),
                        critter("Рейдер", RaiderSkin, 36, 50, 14, "raider")};
        for (int x = 35; x <= 37; ++x)
            for (int y = 49; y <= 51; ++y)
                if (x != 36 || y != 50) map.Grid[size_t(x) * MapRows + y].WalkBlock = 1;
        Data.WriteFile("arena.map", SerializeMap(map));
        // Aim at the raider's feet, switch to aiming, hold the left button.
        Data.WriteFile("fight.txt",
                       "1 move 730 500\n"
                       "2 down right\n"
                       "3 up right\n"
                       "4 down left\n");
    }

    std::string Run(const std::string& name, uint32_t seed) {
        TGameOptions options;
        options.GameParams = {"debug"};
        options.DataDir = DataDir;
        options.Headless = true;
        options.Seed = seed;
        options.Frames = 900;
        options.MapFile = Data.Path("arena.map").string();
        options.InputFile = Data.Path("fight.txt").string();
        options.DumpFile = Data.Path(name + ".json").string();
        options.ScreenshotFile = Data.Path(name + ".png").string();
        EXPECT_EQ(RunHeadless(options), 0);
        return ReadAll(options.DumpFile);
    }

    TTestData Data;
    std::string DataDir;
    std::string RaiderSkin = "metal";
};

TEST_F(HeadlessFight, RaiderDiesAndTheRunRepeats) {
    const std::string first = Run("first", 7);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(CritterField(first, 1, "label"), "\"Рейдер\"");
    EXPECT_EQ(CritterField(first, 1, "state"), "5");
    EXPECT_LE(std::stoi(CritterField(first, 1, "hp")), 0);
    EXPECT_NE(CritterField(first, 0, "state"), "5");
    EXPECT_LT(std::stoi(CritterField(first, 0, "ammo")), 200);
    EXPECT_NE(first.find("\"errors\": []"), std::string::npos) << first.substr(0, 600);

    EXPECT_EQ(Run("second", 7), first);
    EXPECT_EQ(ReadAll(Data.Path("second.png")), ReadAll(Data.Path("first.png")));
}
}  // namespace
