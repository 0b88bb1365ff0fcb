#pragma once
#include <span>
#include <string>
#include <vector>

// One line of an input file: the runner's input, and what a recorded window session writes.
struct TInputEvent {
    int Frame = 0;
    enum TKind { Move, Down, Up, KeyDown, KeyUp, Panel, Leave, Close } Kind = Move;
    int X = 0, Y = 0;       // move
    int Button = 0;         // down / up
    int Key = 0;            // keydown / keyup
    std::string PanelArgs;  // panel: the rest of the line
    int Line = 0;
};

// Reads an input file's text; throws EGameError naming the file and line of a
// line it cannot understand. Events come out ordered by frame.
std::vector<TInputEvent> ParseInputFile(const std::string& text, const std::string& fileName);
// As ParseInputFile, from the file itself; a file that cannot be opened throws too.
std::vector<TInputEvent> ReadInputFile(const std::string& path);
// The event as an input-file line without its frame number ("move 10 20", "keydown 39", ...).
std::string InputLine(const TInputEvent& event);

// An input file played back frame by frame.
class TInputScript {
public:
    TInputScript() = default;
    explicit TInputScript(std::vector<TInputEvent> events) : Events(std::move(events)) {}
    // The events of `frame`; frames are asked for in order.
    std::span<const TInputEvent> Take(int frame);

private:
    std::vector<TInputEvent> Events;
    size_t Next = 0;
};
