#pragma once
#include <functional>
#include <string>

#include "app/Options.h"

class TMainForm;

// What a test asks of the window after a frame: the events a player's desktop would send.
enum class TWindowRequest { None, Quit, CloseWindow };

// Runs the game in a real window (full screen outside debug mode unless
// --windowed) with SDL's audio. Returns the process exit code. `afterFrame`
// (tests) sees the game after every frame drawn and may ask for an event.
int RunWindowed(const TGameOptions& options, const std::function<TWindowRequest(TMainForm&)>& afterFrame = {});

// A message box for an error before the game has a window (no data to start on); says nothing where
// no display is there to show it.
void ShowStartupError(const std::string& text);

// A yes/no question before the game has a window; no when it cannot be shown.
bool AskStartupQuestion(const std::string& text);
