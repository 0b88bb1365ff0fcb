#pragma once
#include <string>
#include <vector>

#include "app/InputFile.h"
#include "app/Options.h"
#include "platform/HeadlessPlatform.h"

// The virtual clock's start, shared by recorded windowed sessions so that
// they replay headless to the same frames. It starts late so that "long ago"
// comparisons behave as on a machine that has been running for a while.
constexpr uint32_t HeadlessClockStart = 100000;

// Runs the real game loop for options.Frames frames and writes the
// screenshot and dump. Returns the process exit code.
int RunHeadless(const TGameOptions& options);
