#include "app/GameLog.h"

#include <ctime>

#include "base/Os.h"

namespace fs = std::filesystem;

bool TGameLog::Open(const fs::path& file) {
    Path = file;
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    auto numbered = [&](int n) {
        fs::path p = file;
        p += "." + std::to_string(n);
        return p;
    };
    fs::remove(numbered(Keep), ec);
    for (int n = Keep - 1; n >= 1; --n) fs::rename(numbered(n), numbered(n + 1), ec);
    fs::rename(file, numbered(1), ec);
    Out.open(file, std::ios::out | std::ios::trunc);
    return Out.is_open();
}

void TGameLog::Write(const std::string& line) {
    if (!Out.is_open()) return;
    std::time_t t = std::time(nullptr);
    const std::tm tm = LocalTime(t);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%H:%M:%S ", &tm);
    // Flushed at once: the line that matters is the one before a crash.
    Out << stamp << line << '\n' << std::flush;
}
