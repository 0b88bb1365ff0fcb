#pragma once
#include <string>

class TMainForm;

// The game state as JSON, written by the headless runner after its last frame.
std::string DumpJson(const TMainForm& game);
