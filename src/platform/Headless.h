#pragma once
#include <string>
#include <vector>

#include "app/Options.h"
#include "app/Platform.h"
#include "media/Sound.h"

// The platform without a window or an audio device: a virtual clock the
// runner advances, sounds and music only recorded, errors on stderr.
class THeadlessPlatform : public IPlatform {
public:
    class TMusic : public IMusicPlayer {
    public:
        bool Open(const std::string& realPath) override;
        bool Play() override { return IsOpen; }
        void Stop() override {}
        void Close() override { IsOpen = false; }
        bool IsOpen = false;
    };

    const IClock& Clock() override { return VirtualClock; }
    ISoundOutput& SoundOutput() override { return Sound; }
    IMusicPlayer& MusicPlayer() override { return Music; }
    void ShowError(const std::string&) override {}
    void CloseMainWindow() override { WindowClosed = true; }
    void SetPanelVisible(bool visible) override { Panel = visible; }
    bool PanelVisible() const override { return Panel; }
    std::string Describe() override { return "Video: headless, audio: none, window: none"; }
    // A fixed calendar that moves with the virtual clock, so names are the same run after run.
    std::time_t WallTime() override { return std::time_t(946684800) + VirtualClock.Now() / 1000; }

    TManualClock VirtualClock;
    TSilentOutput Sound;
    TMusic Music;
    bool WindowClosed = false;
    bool Panel = false;
};

// The virtual clock's start, shared by recorded windowed sessions so that
// they replay headless to the same frames.
constexpr uint32_t HeadlessClockStart = 100000;

// One line of a headless input file.
struct TInputEvent {
    int Frame = 0;
    enum TKind { Move, Down, Up, KeyDown, KeyUp, Panel, Leave } Kind = Move;
    int X = 0, Y = 0;       // move
    int Button = 0;         // down / up
    int Key = 0;            // keydown / keyup
    std::string PanelArgs;  // panel: the rest of the line
    int Line = 0;
};

// Reads an input file; throws EGameError naming the file and line of a
// line it cannot understand.
std::vector<TInputEvent> ParseInputFile(const std::string& text, const std::string& fileName);

// Runs the real game loop for options.Frames frames and writes the
// screenshot and dump. Returns the process exit code.
int RunHeadless(const TGameOptions& options);
