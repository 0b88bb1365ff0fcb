#pragma once
#include <string>
#include <vector>

#include "app/Options.h"
#include "platform/HeadlessPlatform.h"

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
