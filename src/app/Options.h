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
    // Debug mode takes in scripts and pictures changed on disk (HotReload.h). The program's own runs
    // do; a game a test builds does when the test asks.
    bool WatchFiles = false;
    bool ShowHelp = false;
    bool ShowVersion = false;
};

// Parses argv (without argv[0]); throws std::invalid_argument with a
// message for unknown or incomplete options.
TGameOptions ParseOptions(const std::vector<std::string>& args);
std::string UsageText();

// What the game says when `dataDir` holds no data/ folder.
std::string NoDataFolderText(const std::string& dataDir);

// --map names a file the way a shell does: a relative name that exists in
// the current folder `cwd` is taken from there (as an absolute path); one that
// exists below the data folder is left as it is (a game path); one found in
// neither becomes the path in `cwd`, so that the error names where it was
// looked for.
void ResolveMapOption(TGameOptions& options, const std::string& cwd);

// The first game parameter decides: "debug" in any letter case, as a whole.
bool IsDebugParam(const std::vector<std::string>& gameParams);
