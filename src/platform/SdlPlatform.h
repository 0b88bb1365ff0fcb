#pragma once
#include "app/Options.h"

// Runs the game in a real window (full screen outside debug mode unless
// --windowed) with SDL's audio. Returns the process exit code.
int RunWindowed(const TGameOptions& options);
