// The real windowed game on SDL's dummy video and audio drivers: every way of
// leaving it gives back the audio device, the mixer and the window once and
// ends with status 0.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/MainForm.h"
#include "platform/SdlPlatform.h"
#include "support/TestGame.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;

void UseDummyDrivers() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

// Starts the built game with its log on a pipe; signals are at their defaults
// whatever the test runner left them at, as in a player's session.
struct TGameProcess {
    pid_t Pid = -1;
    int Log = -1;
    std::string Text;

    explicit TGameProcess(std::vector<std::string> args) {
        int fds[2];
        if (pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        sigset_t defaults, none;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGINT);
        sigaddset(&defaults, SIGTERM);
        sigemptyset(&none);
        posix_spawnattr_setsigdefault(&attr, &defaults);
        posix_spawnattr_setsigmask(&attr, &none);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
        std::string exe = std::string(RW_BINARY_DIR) + "/rustwake";
        args.insert(args.begin(), exe);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&Pid, exe.c_str(), &actions, &attr, argv.data(), environ) != 0) Pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
        close(fds[1]);
        Log = fds[0];
    }
    ~TGameProcess() {
        if (Pid > 0) {
            kill(Pid, SIGKILL);
            waitpid(Pid, nullptr, 0);
        }
        if (Log >= 0) close(Log);
    }

    // Reads the log until it holds `line`; false on end of file or time-out.
    bool WaitFor(const std::string& line, std::chrono::seconds limit) {
        auto end = TClock::now() + limit;
        while (Text.find(line) == std::string::npos) {
            int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(end - TClock::now()).count());
            pollfd p{Log, POLLIN, 0};
            if (left <= 0 || poll(&p, 1, left) <= 0) return false;
            char buf[4096];
            ssize_t n = read(Log, buf, sizeof buf);
            if (n <= 0) return false;
            Text.append(buf, size_t(n));
        }
        return true;
    }

    // The exit status, or -1 when the process did not end in time (it is killed then).
    int Wait(std::chrono::seconds limit) {
        auto end = TClock::now() + limit;
        int status = 0;
        while (waitpid(Pid, &status, WNOHANG) == 0) {
            if (TClock::now() > end) return -1;
            std::this_thread::sleep_for(20ms);
        }
        Pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
};

struct TSignalCase {
    bool Debug;
    int Signal;
};

class WindowedExit : public testing::TestWithParam<TSignalCase> {};

TEST_P(WindowedExit, SignalEndsTheGameWithStatusZero) {
    std::string demo = DemoDataDir();
    if (demo.empty()) GTEST_SKIP() << "no demo data";
    UseDummyDrivers();
    const TSignalCase& c = GetParam();
    std::vector<std::string> args = {"--windowed", "--verbose", "--seed", "1", "--data", demo};
    // Normal mode goes straight into the game, which starts its music and sounds.
    args.insert(args.end(), {"--map", "data\\locations\\loc01.map"});
    if (c.Debug) args.insert(args.begin(), "debug");
    TGameProcess game(args);
    ASSERT_GT(game.Pid, 0);
    ASSERT_TRUE(game.WaitFor(c.Debug ? "All is done" : "music started", 60s)) << game.Text;
    std::this_thread::sleep_for(300ms);
    kill(game.Pid, c.Signal);
    EXPECT_EQ(game.Wait(60s), 0) << game.Text;
    EXPECT_EQ(game.Text.find("no audio device"), std::string::npos) << game.Text;
}

INSTANTIATE_TEST_SUITE_P(Modes, WindowedExit,
                         testing::Values(TSignalCase{false, SIGTERM}, TSignalCase{false, SIGINT},
                                         TSignalCase{true, SIGTERM}, TSignalCase{true, SIGINT}),
                         [](const auto& test) {
                             return std::string(test.param.Debug ? "Debug" : "Normal") +
                                    (test.param.Signal == SIGTERM ? "Term" : "Int");
                         });

struct TCloseCase {
    bool Debug;
    TWindowRequest Request;
};

class WindowClose : public testing::TestWithParam<TCloseCase> {};

// In-process, so the loop sees music and a wave sounding at the very frame the window goes.
TEST_P(WindowClose, WithMusicAndSoundPlayingReturnsZero) {
    std::string demo = DemoDataDir();
    if (demo.empty()) GTEST_SKIP() << "no demo data";
    UseDummyDrivers();
    TGameOptions options;
    options.DataDir = demo;
    options.Windowed = true;
    options.Seed = 1;
    options.MapFile = "data\\locations\\loc01.map";
    if (GetParam().Debug) options.GameParams = {"debug"};
    int frames = 0;
    bool musicOn = false;
    int code = RunWindowed(options, [&](TMainForm& game) {
        if (++frames == 3) {
            game.PlayMusic("data\\Music\\loc01.mp3");
            game.DXWL.Play("Console");
        }
        if (frames < 10) return TWindowRequest::None;
        musicOn = game.MusicOn;
        game.DXWL.Play("Console");
        return GetParam().Request;
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(musicOn);
    EXPECT_GE(frames, 10);
}

INSTANTIATE_TEST_SUITE_P(Modes, WindowClose,
                         testing::Values(TCloseCase{false, TWindowRequest::Quit},
                                         TCloseCase{false, TWindowRequest::CloseWindow},
                                         TCloseCase{true, TWindowRequest::Quit},
                                         TCloseCase{true, TWindowRequest::CloseWindow}),
                         [](const auto& test) {
                             return std::string(test.param.Debug ? "Debug" : "Normal") +
                                    (test.param.Request == TWindowRequest::Quit ? "Quit" : "CloseWindow");
                         });

}  // namespace
