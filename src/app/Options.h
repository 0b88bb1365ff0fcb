#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Command-line options. Our own begin with "--" and are taken out before the
// game looks at its parameters (the first of which may be "debug").
struct TGameOptions {
    std::vector<std::string> GameParams;  // what is left, in order
    std::string DataDir;                  // folder holding data/ (program and working directory)
    std::optional<uint32_t> Seed;
    bool Headless = false;
    bool Windowed = false;
    bool Verbose = false;
    int Frames = 0;
    uint32_t StepMs = 10;
    std::string InputFile;
    std::string ScreenshotFile;
    std::string PanelScreenshotFile;
    std::string DumpFile;
    std::string MapFile;
    std::string RecordFile;  // windowed: the session's input, written as a headless input file
    bool ShowHelp = false;
};

// Parses argv (without argv[0]); throws std::invalid_argument with a
// message for unknown or incomplete options.
TGameOptions ParseOptions(const std::vector<std::string>& args);
std::string UsageText();

// The first game parameter decides: "debug" in any letter case, as a whole.
bool IsDebugParam(const std::vector<std::string>& gameParams);
