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

void TGameLog::Write(const std::string& line, TLogLevel level) {
    if (!Out.is_open()) return;
    std::time_t t = std::time(nullptr);
    const std::tm tm = LocalTime(t);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%H:%M:%S ", &tm);
    Pending += stamp;
    Pending += line;
    Pending += '\n';
    if (level == TLogLevel::Error)
        Flush();
    else
        FlushIfDue();
}

void TGameLog::Flush() {
    LastFlush = std::chrono::steady_clock::now();
    if (Pending.empty() || !Out.is_open()) return;
    Out << Pending << std::flush;
    Pending.clear();
}

void TGameLog::FlushIfDue() {
    if (!Pending.empty() && std::chrono::steady_clock::now() - LastFlush >= FlushInterval) Flush();
}
