#pragma once
#include <cstdint>
#include <fstream>
#include <string>

#include "app/InputFile.h"
#include "app/Options.h"

class TMainForm;
class TManualClock;
class TFrameDriver;

// What surrounds the frame: where its events come from and where a drawn
// frame goes. The window, the headless runner and the browser each give one.
class IFrameHost {
public:
    virtual ~IFrameHost() = default;
    // Hands this frame's events, in the order they happened, to the driver's input seam.
    virtual void Events(TFrameDriver& driver) = 0;
    // Shows the frame just drawn.
    virtual void Present(TMainForm&) {}
    // Writes the editor panel as drawn (--panel-screenshot); false, with the reason, when it cannot.
    virtual bool WritePanelPicture(const std::string&, std::string& why) {
        why = "no editor panel here";
        return false;
    }
};

// The session's input as an input file, one line per event as it reaches the
// game, each written at once so that a crash keeps what came before.
class TSessionRecorder {
public:
    bool Open(const TGameOptions& options);
    void Line(int frame, const std::string& event);
    void Note(const std::string& text);
    // The last line: how many frames ran and the command that replays them. False when a write failed.
    bool Finish(int frames);
    bool IsOpen() const { return Out.is_open(); }

private:
    std::ofstream Out;
    std::string Replay;
};

// The frame, one for every driver. A driver calls Start once, then Step once
// per frame for as long as it returns true (a loop, or the browser's animation
// frame callback), then Finish. Every input reaches the game through the seam
// below, so a recorded session replays to the same state under any driver.
class TFrameDriver {
public:
    // `frameClock`: the virtual clock a scripted or recorded session runs on, one step per frame; null
    // for a person's session on the platform's real clock. `frameLimit`: the frames to run (-1: no end).
    TFrameDriver(TMainForm& game, IFrameHost& host, TManualClock* frameClock, int frameLimit = -1);

    // FormCreate and the rest of the game's start-up; false when the game cannot run.
    bool Start();
    // One frame: its events, the tick, the picture. False once the session is over.
    bool Step();
    // The screenshot, panel picture and dump asked for, and the recording's last line. The exit code:
    // 0, 1 when the game could not start, 2 when an output could not be written.
    int Finish();

    // The input seam.
    void KeyEvent(int vk, bool down);
    void PointerMove(int x, int y);
    // A button at the pointer's place.
    void Button(int button, bool down);
    // A button at (x, y): the pointer moves there first if the game has it elsewhere.
    void ButtonAt(int button, bool down, int x, int y);
    // The pointer went off the window.
    void Leave();
    // The window lost the keyboard: every held key comes up.
    void ReleaseKeys();
    // The player closed the window: the game ends before this frame runs.
    void RequestClose();
    void PanelLine(const std::string& args);
    // An input file's event, through the same seam.
    void Deliver(const TInputEvent& event);
    // Something the recording cannot hold (the panel used with the mouse, ...), noted at this frame.
    void Note(const std::string& text);

    bool Running() const;
    // Frames run so far (on the virtual clock; a real-clock session counts its passes).
    int Frame() const { return FrameNumber; }
    // Whether the last Step drew a frame.
    bool Drawn() const { return LastDrawn; }
    bool FrameClocked() const { return Clock != nullptr; }
    TMainForm& Game() { return GameRef; }

private:
    void Record(const TInputEvent& event);

    TMainForm& GameRef;
    IFrameHost& Host;
    TManualClock* Clock;
    int FrameLimit;
    TSessionRecorder Recorder;
    bool RecordFailed = false;
    bool Started = false;
    bool LastDrawn = false;
    int FrameNumber = 0;
};
