// A windowed session recorded with --record replays headless to the same
// state: the recording is the input file, the seed and step are in its first line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/TestData.h"
#include "support/TestGame.h"

namespace {

struct TSession {
    const char* Name;
    const char* Mode;  // the game's first parameters
    const char* Input;
    int Frames;
    const char* Recorded;  // a line the recording must hold
};

const TSession Sessions[] = {
    {"DebugGame", "debug",
     "0 move 400 300\n3 down left\n4 up left\n10 keydown 39\n30 keyup 39\n40 move 200 200\n41 down right\n"
     "42 up right\n45 move 520 310\n46 down left\n47 up left\n60 panel page Critter\n",
     200, "\n46 down left\n"},
    {"MainMenu", "--windowed", "0 move 100 100\n20 move 390 320\n21 down left\n22 up left\n", 150, "\n21 down left\n"},
};

class Recording : public ::testing::TestWithParam<TSession> {};

TEST_P(Recording, ReplaysHeadlessToTheSameDump) {
    const TSession& s = GetParam();
    const std::string demo = DemoDataDir();
    if (demo.empty()) GTEST_SKIP() << "no demo data";
    TTestData out;
    out.WriteFile("script.txt", s.Input);
    const std::string game = std::string(RW_BINARY_DIR) + "/rustwake ";
    const std::string common = " --data " + demo + " --frames " + std::to_string(s.Frames) + " --seed 7";
    // Scripted input goes through the window's event queue, as a person's would.
    const std::string windowed = "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " + game + s.Mode + common +
                                 " --input " + out.Path("script.txt").string() + " --record " +
                                 out.Path("rec.txt").string() + " --dump " + out.Path("window.json").string();
    std::system((windowed + " 2>/dev/null").c_str());
    const std::string recording = out.ReadFile("rec.txt");
    ASSERT_EQ(recording.rfind("# rustwake recording: seed 7, step 10 ms, data \"", 0), 0u) << recording;
    EXPECT_NE(recording.find(s.Recorded), std::string::npos) << recording;

    const std::string mode = std::string(s.Mode) == "debug" ? "debug" : "";
    const std::string headless = game + "--headless " + mode + common + " --input " + out.Path("rec.txt").string() +
                                 " --dump " + out.Path("headless.json").string();
    ASSERT_EQ(std::system((headless + " 2>/dev/null").c_str()), 0);
    EXPECT_EQ(out.ReadFile("window.json"), out.ReadFile("headless.json"));
}

// The recording is written as every other file of the game: never through a
// link, never into a read-only file.
TEST(RecordingFile, NeitherFollowsALinkNorWritesAReadOnlyFile) {
    const std::string demo = DemoDataDir();
    if (demo.empty()) GTEST_SKIP() << "no demo data";
    TTestData out;
    out.WriteFile("target.txt", "someone else's file\n");
    out.WriteFile("readonly.txt", "kept\n");
    std::filesystem::create_symlink(out.Path("target.txt"), out.Path("link.txt"));
    std::filesystem::permissions(out.Path("readonly.txt"), std::filesystem::perms::owner_read);
    for (const char* name : {"link.txt", "readonly.txt"}) {
        SCOPED_TRACE(name);
        const std::string command = "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " + std::string(RW_BINARY_DIR) +
                                    "/rustwake --windowed --data " + demo + " --frames 5 --seed 7 --record " +
                                    out.Path(name).string() + " 2>/dev/null";
        std::system(command.c_str());
    }
    EXPECT_TRUE(std::filesystem::is_symlink(out.Path("link.txt")));
    EXPECT_EQ(out.ReadFile("target.txt"), "someone else's file\n");
    EXPECT_EQ(out.ReadFile("readonly.txt"), "kept\n");
}

INSTANTIATE_TEST_SUITE_P(Windowed, Recording, ::testing::ValuesIn(Sessions),
                         [](const auto& test) { return std::string(test.param.Name); });

}  // namespace
