// The player's own files: settings.ini, the log, --version; and edge
// scrolling that follows the pointer and the settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/Dump.h"
#include "app/Settings.h"
#include "app/Version.h"
#include "critters/Critter.h"
#include "support/TestGame.h"

namespace fs = std::filesystem;

namespace {
fs::path SettingsPath(const TTestData& d) {
    return d.Root() / "home/XDG_CONFIG_HOME/rustwake/settings.ini";
}
}  // namespace

TEST(Settings, RoundTripThroughTheFile) {
    TTestData d;
    TSettings odd;
    odd.FullScreen = false;
    odd.Scaling = TScaling::Integer;
    odd.MusicVolume = 0;
    odd.EffectsVolume = 37;
    odd.Mute = true;
    odd.MuteUnfocused = true;
    odd.EdgeScroll = false;
    odd.DebugLog = true;
    TSettings stretched;
    stretched.Scaling = TScaling::Stretch;
    for (const TSettings& s : {TSettings{}, odd, stretched}) {
        TSettingsFile file(d.Root() / "cfg/rustwake/settings.ini");
        file.Save(s);
        std::string problem;
        EXPECT_EQ(file.Load(problem), s);
        EXPECT_EQ(problem, "");
    }
    // Hand-edited files: any case, blanks, comments, keys of a newer game.
    TSettings parsed = ParseSettings("; mine\r\n[ display ]\r\n fullscreen = off \r\nSCALING=Stretch\r\nFuture=1\r\n");
    EXPECT_FALSE(parsed.FullScreen);
    EXPECT_EQ(parsed.Scaling, TScaling::Stretch);
}

TEST(Settings, DamagedFileIsReportedOnceAndReplacedByDefaults) {
    const char* damaged[] = {
        "[Display]\nFullScreen=maybe\n",
        "[Sound]\nMusicVolume=101\n",
        "[Sound]\nEffectsVolume=-1\n",
        "[Display]\nScaling=huge\n",
        "[Diagnostics]\nLog=everything\n",
        "[Display\n",
        "\x01\x02garbage\xff\n",
    };
    for (const char* text : damaged) {
        SCOPED_TRACE(text);
        TTestData d;
        d.WriteGame({});
        UseHome(d);
        fs::create_directories(SettingsPath(d).parent_path());
        std::ofstream(SettingsPath(d), std::ios::binary) << text;
        auto g = MakeGame(d);
        ASSERT_TRUE(g->Started);
        ASSERT_EQ(g->Game->Errors.size(), 1u);
        EXPECT_NE(g->Game->Errors[0].find("settings.ini\" is damaged"), std::string::npos);
        EXPECT_EQ(g->Game->Settings, TSettings{});
        EXPECT_EQ(Slurp(SettingsPath(d)), SerializeSettings({}));
        auto again = MakeGame(d);
        EXPECT_TRUE(again->Game->Errors.empty());
    }
}

TEST(Settings, ChangesAreWrittenAndReadAtTheNextStartAndDumped) {
    TTestData d;
    d.WriteGame({});
    UseHome(d);
    {
        auto g = MakeGame(d);
        g->Game->Settings.MusicVolume = 40;
        g->Game->Settings.EdgeScroll = false;
        g->Game->SaveSettings();
    }
    auto g = MakeGame(d);
    EXPECT_EQ(g->Game->Settings.MusicVolume, 40);
    std::string dump = DumpJson(**g);
    EXPECT_NE(dump.find("\"musicVolume\": 40"), std::string::npos);
    EXPECT_NE(dump.find("\"edgeScroll\": false"), std::string::npos);
}

TEST(GameLog, NamesTheRunKeepsErrorsAndTheLastRuns) {
    TTestData d;
    d.WriteGame({});
    UseHome(d);
    fs::path log = d.Root() / "home/XDG_STATE_HOME/rustwake/rustwake.log";
    for (int run = 0; run < TGameLog::Keep + 2; ++run) {
        auto g = MakeGame(d);
        g->Game->ReportError(EGameError("run " + std::to_string(run) + " failed"));
    }
    std::string text = Slurp(log);
    EXPECT_NE(text.find(std::string("Rustwake ") + GameVersion), std::string::npos);
    EXPECT_NE(text.find("Data folder: " + d.Root().string()), std::string::npos);
    EXPECT_NE(text.find("Video: headless"), std::string::npos);
    EXPECT_NE(text.find("TMainForm.FormCreate"), std::string::npos);
    EXPECT_NE(text.find("ERROR: run " + std::to_string(TGameLog::Keep + 1) + " failed"), std::string::npos);
    EXPECT_NE(Slurp(log.string() + ".1").find("ERROR: run " + std::to_string(TGameLog::Keep) + " failed"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(log.string() + "." + std::to_string(TGameLog::Keep)));
    EXPECT_FALSE(fs::exists(log.string() + "." + std::to_string(TGameLog::Keep + 1)));
}

TEST(GameLog, LinesWaitUntilAnErrorOrTheEnd) {
    TTestData d;
    const fs::path file = d.Root() / "buffered.log";
    {
        TGameLog log;
        ASSERT_TRUE(log.Open(file));
        log.Write("loaded", TLogLevel::Info);
        log.Write("odd picture", TLogLevel::Warning);
        EXPECT_EQ(Slurp(file), "");
        log.Write("ERROR: broken", TLogLevel::Error);
        const std::string text = Slurp(file);
        EXPECT_LT(text.find("loaded"), text.find("odd picture"));
        EXPECT_LT(text.find("odd picture"), text.find("ERROR: broken"));
        log.Write("closing", TLogLevel::Info);
    }
    EXPECT_NE(Slurp(file).find("closing"), std::string::npos);
}

TEST(GameLog, ScriptEventsAreTracedOnlyWhenAskedFor) {
    TTestData d;
    d.WriteGame({});
    UseHome(d);
    fs::path log = d.Root() / "home/XDG_STATE_HOME/rustwake/rustwake.log";
    for (bool debugLog : {false, true}) {
        {
            auto g = MakeGame(d);
            ASSERT_TRUE(g->Started);
            g->Game->Settings.DebugLog = debugLog;
            g->Game->Guard([&] { g->Game->World.Critters.at(0)->Click(); });
        }
        EXPECT_EQ(Slurp(log).find("executing node OnClick") != std::string::npos, debugLog);
    }
}

TEST(GameLog, VersionOption) {
    std::string out = fs::path(RW_BINARY_DIR) / "version.txt";
    ASSERT_EQ(std::system((std::string(RW_BINARY_DIR) + "/rustwake --version > " + out).c_str()), 0);
    EXPECT_EQ(Slurp(out), std::string("rustwake ") + GameVersion + "\n");
}

class EdgeScroll : public TDebugGameTest {};

TEST_F(EdgeScroll, StopsWhenThePointerLeavesOrThePlayerTurnsItOff) {
    TViewState& v = Game().View;
    auto moved = [&] {
        v.ScrollX = -400;
        v.VelocityX = 0;
        for (int i = 0; i < 20; ++i) Frame();
        return v.ScrollX != -400;
    };
    Game().DXDrawMouseMove(2, 300);
    EXPECT_TRUE(moved());
    Game().PointerLeft();
    EXPECT_FALSE(moved());
    Game().DXDrawMouseMove(2, 300);
    EXPECT_TRUE(moved());
    Game().Settings.EdgeScroll = false;
    EXPECT_FALSE(moved());
}
