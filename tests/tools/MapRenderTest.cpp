// rustwake-map render draws a location as the game shows it at rest, and
// its other commands as an author runs them.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>

#include "Render.h"
#include "critters/Critter.h"
#include "support/TestGame.h"
#include "world/Obj.h"

namespace fs = std::filesystem;

namespace {

std::string RunMapTool(const std::string& arguments) {
    const std::string command = std::string(RW_BINARY_DIR) + "/rustwake-map " + arguments + " 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    std::array<char, 512> buffer;
    while (fgets(buffer.data(), int(buffer.size()), pipe)) output += buffer.data();
    return pclose(pipe) == 0 ? output : "failed: " + output;
}

uint32_t Be32(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 | uint32_t(uint8_t(s[at + 2])) << 8 |
           uint32_t(uint8_t(s[at + 3]));
}

// The game's first frame of a demo location, before anything has moved,
// equals the top-left of the picture, apart from the frame counter and the pointer.
TEST(MapRender, MatchesTheGamesFirstFrame) {
    const std::string demo = DemoDataDir();
    if (demo.empty()) GTEST_SKIP() << "no demo data";
    for (const auto& entry : fs::directory_iterator(fs::path(demo) / "data" / "locations")) {
        const std::string location = entry.path().stem().string();
        // Only the demo's own locations: other tests save scratch ones there for a moment.
        if (location.rfind("loc", 0) != 0) continue;
        SCOPED_TRACE(location);
        TTestGameOptions gameOptions;
        auto game = std::make_unique<TTestGame>();
        game->Platform.VirtualClock.Set(gameOptions.ClockStart);
        TGameOptions options;
        options.DataDir = demo;
        options.GameParams = {"debug"};
        options.Seed = 1;
        options.Headless = true;
        game->Game = std::make_unique<TMainForm>(options, game->Platform);
        ASSERT_TRUE(game->Game->Start());
        TMainForm& g = **game;
        const std::string path = "data\\locations\\" + location + ".map";
        g.LoadMap(path);
        // Nothing animates yet: the frame shows every figure in its start frame.
        for (auto& c : g.World.Critters) c->LastFrameTime = g.Now();
        for (auto& o : g.World.Objects) o->LastFrameTime = g.Now();
        g.Tick();
        ASSERT_TRUE(g.Errors.empty()) << g.Errors[0];

        std::vector<std::string> notes;
        const TBitmap picture = RenderLocation(ParseMap(g.Files.ReadFile(path), path), demo, TRenderOptions{}, notes);
        EXPECT_TRUE(notes.empty()) << notes[0];
        ASSERT_EQ(picture.Width(), 1600);
        ASSERT_EQ(picture.Height(), 1200);
        const TBitmap& frame = g.DXDraw.Pixels();
        int differing = 0;
        for (int y = 40; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                differing += (frame.Pixel(x, y) & 0xFFFFFF) != (picture.Pixel(x, y) & 0xFFFFFF);
        EXPECT_EQ(differing, 0);
    }
}

TEST(MapRender, ToolWritesScaledPicturesAndInfoListsCells) {
    const std::string demo = DemoDataDir();
    if (demo.empty()) GTEST_SKIP() << "no demo data";
    TTestData out;
    const std::string map = demo + "/data/locations/loc01.map";
    // The data folder is found from the file's own place.
    EXPECT_EQ(RunMapTool("render " + map + " " + out.Path("a.png").string() + " --blocks --scale 0.25"), "");
    const std::string png = out.ReadFile("a.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(Be32(png, 16), 400u);
    EXPECT_EQ(Be32(png, 20), 300u);

    const std::string info = RunMapTool("info " + map + " --cells");
    EXPECT_NE(info.find("\"Cells\": [\n    {\"X\": "), std::string::npos) << info.substr(0, 200);
    EXPECT_EQ(RunMapTool("info " + map).find("\"Cells\""), std::string::npos);
    EXPECT_NE(RunMapTool("render " + map + " x.png --scale 0").find("failed"), std::string::npos);
}

// Shrinking averages the pixels a target pixel covers.
TEST(MapRender, ScaleAverages) {
    TBitmap b(4, 2, RGBColor(0, 0, 0));
    b.SetPixel(0, 0, RGBColor(200, 100, 40));
    b.SetPixel(1, 1, RGBColor(200, 100, 40));
    const TBitmap half = ScaleBitmap(b, 0.5);
    ASSERT_EQ(half.Width(), 2);
    ASSERT_EQ(half.Height(), 1);
    EXPECT_EQ(half.Pixel(0, 0), RGBColor(100, 50, 20));
    EXPECT_EQ(half.Pixel(1, 0), RGBColor(0, 0, 0));
    EXPECT_EQ(ScaleBitmap(b, 2).Pixel(1, 1), RGBColor(200, 100, 40));
}

}  // namespace
