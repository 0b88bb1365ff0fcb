#pragma once
#include <functional>
#include <memory>
#include <string>

#include "app/Options.h"

class TMainForm;

// What a test asks of the window after a frame: the events a player's desktop would send.
enum class TWindowRequest { None, Quit, CloseWindow };

// Runs the game in a real window (full screen outside debug mode unless
// --windowed) with SDL's audio. Returns the process exit code. `afterFrame`
// (tests) sees the game after every frame drawn and may ask for an event.
int RunWindowed(const TGameOptions& options, const std::function<TWindowRequest(TMainForm&)>& afterFrame = {});

// A windowed run that its caller steps frame by frame: the loop of RunWindowed, or the browser's animation
// frame callback, which must return between frames.
class TWindowedRun {
public:
    TWindowedRun();
    ~TWindowedRun();
    TWindowedRun(const TWindowedRun&) = delete;
    TWindowedRun& operator=(const TWindowedRun&) = delete;

    // Opens the window and the audio and starts the game: 0, or the exit code when it cannot run.
    int Open(const TGameOptions& options, const std::function<TWindowRequest(TMainForm&)>& afterFrame = {});
    // One frame; false once the session is over.
    bool Step();
    // Waits between frames as a person's session or a recording needs (a loop's own pacing).
    void Pace();
    // Writes the outputs asked for, ends the game and gives the window back. The exit code.
    int Close();
    // The running game; null before Open and after Close.
    TMainForm* Game();

private:
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};

// A message box for an error before the game has a window (no data to start on); says nothing where
// no display is there to show it.
void ShowStartupError(const std::string& text);

// A yes/no question before the game has a window; no when it cannot be shown.
bool AskStartupQuestion(const std::string& text);
