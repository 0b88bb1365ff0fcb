#pragma once
#include <ctime>
#include <string>

#include "base/Clock.h"

class ISoundOutput;
struct TSettings;

// The music player: one file open at a time, played once from its start.
class IMusicPlayer {
public:
    virtual ~IMusicPlayer() = default;
    // Opens the file (closing any open one first); false when it cannot.
    virtual bool Open(const std::string& realPath) = 0;
    virtual bool Play() = 0;
    virtual void Stop() = 0;
    virtual void Close() = 0;
    std::string FileName;
};

// What the game asks of the window system. The SDL platform and the
// headless one implement it; nothing below app/ sees either.
class IPlatform {
public:
    virtual ~IPlatform() = default;
    virtual const IClock& Clock() = 0;
    virtual ISoundOutput& SoundOutput() = 0;
    virtual IMusicPlayer& MusicPlayer() = 0;
    // The general error report: a message box over the game window.
    virtual void ShowError(const std::string& text) = 0;
    // The main window closes; the program ends after the current event.
    virtual void CloseMainWindow() = 0;
    // The editor panel window (debug mode).
    virtual void SetPanelVisible(bool visible) = 0;
    virtual bool PanelVisible() const = 0;
    // Mouse cursor of the window system over the game picture.
    virtual void HideSystemCursor() {}
    // Video and audio drivers and the window mode, for the log file.
    virtual std::string Describe() { return "no window"; }
    // Volumes, mute, scaling and full screen as the player set them.
    virtual void ApplySettings(const TSettings&) {}
    // The calendar time, for file names and save slots.
    virtual std::time_t WallTime() { return std::time(nullptr); }
};
