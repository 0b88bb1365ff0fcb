#pragma once
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

// How much a log line matters. Errors and warnings are always written; the
// trace of every script event only when asked for (--verbose, or Log=debug
// in the settings), since a crowded location raises thousands of them.
enum class TLogLevel : uint8_t { Error, Warning, Info, Debug };

// The log file a player can send along with a report: every log line and
// every error of this run. The previous runs' files are kept beside it as
// rustwake.log.1 (the last run) up to rustwake.log.<Keep>.
//
// Lines wait in memory and reach the file on an error (the line that
// matters before a crash), at least once a second, and when the game ends.
class TGameLog {
public:
    static constexpr int Keep = 3;
    static constexpr std::chrono::milliseconds FlushInterval{1000};

    TGameLog() = default;
    TGameLog(const TGameLog&) = delete;
    TGameLog& operator=(const TGameLog&) = delete;
    ~TGameLog() { Flush(); }

    // Rotates the old files and starts a new one; false (and the game goes
    // on without a file) when the folder cannot be written.
    bool Open(const std::filesystem::path& file);
    void Write(const std::string& line, TLogLevel level = TLogLevel::Info);
    // Writes out what waits; FlushIfDue only once the interval has passed.
    void Flush();
    void FlushIfDue();
    bool IsOpen() const { return Out.is_open(); }
    const std::filesystem::path& File() const { return Path; }

private:
    std::filesystem::path Path;
    std::ofstream Out;
    std::string Pending;
    std::chrono::steady_clock::time_point LastFlush = std::chrono::steady_clock::now();
};
