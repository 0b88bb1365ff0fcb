#pragma once
#include <filesystem>
#include <fstream>
#include <string>

// The log file a player can send along with a report: every log line and
// every error of this run. The previous runs' files are kept beside it as
// rustwake.log.1 (the last run) up to rustwake.log.<Keep>.
class TGameLog {
public:
    static constexpr int Keep = 3;

    // Rotates the old files and starts a new one; false (and the game goes
    // on without a file) when the folder cannot be written.
    bool Open(const std::filesystem::path& file);
    void Write(const std::string& line);
    bool IsOpen() const { return Out.is_open(); }
    const std::filesystem::path& File() const { return Path; }

private:
    std::filesystem::path Path;
    std::ofstream Out;
};
