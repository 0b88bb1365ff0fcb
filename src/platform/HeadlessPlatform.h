#pragma once
#include <ctime>
#include <string>

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
