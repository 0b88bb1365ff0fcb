// The window and the headless runner drive the same frame: the same input file
// gives the same dump and exit code in both, and a windowed session recorded
// with --record replays headless to the same state (the recording is the input
// file, the seed and step are in its first line).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "support/TestData.h"
#include "support/TestGame.h"

namespace {

// The built game on the demo with the dummy drivers and seed 7, its input and dump in `out`; its exit code.
int RunGame(const TTestData& out, const std::string& params, int frames, const std::string& input,
            const std::string& dump, const std::string& more = "") {
    const std::string command = "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " + std::string(RW_BINARY_DIR) +
                                "/rustwake " + params + " --data " + DemoDataDir() + " --frames " +
                                std::to_string(frames) + " --seed 7 --input " + out.Path(input).string() +
                                " --dump " + out.Path(dump).string() + more + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const std::string Loc01 = " --map 'data\\locations\\loc01.map'";

struct TSession {
    const char* Name;
    std::string Window;  // the game's parameters in the window
    std::string Replay;  // and in the runner
    const char* Input;
    int Frames;
    const char* Recorded;  // a line the recording must hold
};

const TSession Sessions[] = {
    {"DebugGame", "debug", "debug",
     "0 move 400 300\n3 down left\n4 up left\n10 keydown 39\n30 keyup 39\n40 move 200 200\n41 down right\n"
     "42 up right\n45 move 520 310\n46 down left\n47 up left\n60 panel page Critter\n",
     200, "\n46 down left\n"},
    {"MainMenu", "--windowed", "", "0 move 100 100\n20 move 390 320\n21 down left\n22 up left\n", 150,
     "\n21 down left\n"},
    // Escape tapped within one frame opens and closes the pause menu; the pointer leaves; the window closes.
    {"TapLeaveClose", "--windowed" + Loc01, Loc01,
     "0 move 400 300\n10 keydown 27\n10 keyup 27\n20 keydown 27\n20 keyup 27\n30 move 799 300\n40 leave\n60 close\n",
     150, "\n10 keyup 27\n20 keydown 27\n20 keyup 27\n30 move 799 300\n40 leave\n60 close\n"},
};

class Recording : public ::testing::TestWithParam<TSession> {};

TEST_P(Recording, ReplaysHeadlessToTheSameDump) {
    const TSession& s = GetParam();
    if (DemoDataDir().empty()) GTEST_SKIP() << "no demo data";
    TTestData out;
    out.WriteFile("script.txt", s.Input);
    // Scripted input goes through the window's event queue, as a person's would.
    RunGame(out, s.Window, s.Frames, "script.txt", "window.json", " --record " + out.Path("rec.txt").string());
    const std::string recording = out.ReadFile("rec.txt");
    ASSERT_EQ(recording.rfind("# rustwake recording: seed 7, step 10 ms, data \"", 0), 0u) << recording;
    EXPECT_NE(recording.find(s.Recorded), std::string::npos) << recording;

    ASSERT_EQ(RunGame(out, "--headless " + s.Replay, s.Frames, "rec.txt", "headless.json"), 0);
    EXPECT_EQ(out.ReadFile("window.json"), out.ReadFile("headless.json"));
}

INSTANTIATE_TEST_SUITE_P(Windowed, Recording, ::testing::ValuesIn(Sessions),
                         [](const auto& test) { return std::string(test.param.Name); });

struct TDriverCase {
    const char* Name;
    std::string Window, Replay;  // the game's parameters in the window and in the runner
    const char* Input;
    const char* Shows;       // what the dump holds when the input acted
    const char* BadOutput;   // an output option pointed into a missing folder, or null
};

const TDriverCase DriverCases[] = {
    {"KeyTappedWithinOneFrame", "--windowed" + Loc01, Loc01, "0 move 400 300\n10 keydown 27\n10 keyup 27\n",
     "\"ButIn\"", nullptr},
    // Right arrow held with the pointer never over the window: only the key scrolls.
    {"PointerOffUntilItMoves", "debug", "debug", "5 keydown 39\n40 keyup 39\n", "\"scroll\": [\n    -", nullptr},
    {"UnwritableScreenshot", "debug", "debug", "", nullptr, "--screenshot"},
    {"UnwritableDump", "debug", "debug", "", nullptr, "--dump"},
};

class Drivers : public ::testing::TestWithParam<TDriverCase> {};

TEST_P(Drivers, WindowAndRunnerAgree) {
    const TDriverCase& c = GetParam();
    if (DemoDataDir().empty()) GTEST_SKIP() << "no demo data";
    TTestData out;
    out.WriteFile("input.txt", c.Input);
    const std::string bad = c.BadOutput ? std::string(" ") + c.BadOutput + " " + out.Path("missing/out").string() : "";
    auto run = [&](const std::string& params, const std::string& name) {
        return RunGame(out, params, 60, "input.txt", name + ".json", bad);
    };
    const int window = run(c.Window, "window"), headless = run("--headless " + c.Replay, "headless");
    EXPECT_EQ(window, c.BadOutput ? 2 : 0);
    EXPECT_EQ(headless, window);
    if (c.BadOutput) return;
    const std::string dump = out.ReadFile("headless.json");
    EXPECT_NE(dump.find(c.Shows), std::string::npos) << dump;
    EXPECT_EQ(out.ReadFile("window.json"), dump);
}

INSTANTIATE_TEST_SUITE_P(SameInput, Drivers, ::testing::ValuesIn(DriverCases),
                         [](const auto& test) { return std::string(test.param.Name); });

}  // namespace
