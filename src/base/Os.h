#pragma once
#include <ctime>
#include <filesystem>
#include <optional>

// What differs between the systems the game runs on. Each system has one source file under base/os/
// and the build compiles only its own, so the rest of the game sees this interface and no system
// headers. (The safe file write, WriteRealFileAtomic in FileSystem.h, is one of them too.)

// The folder of the running program's executable; empty when the system does not tell.
std::filesystem::path ExecutableDir();

// Where the system keeps its font files; searched after the data folder's fonts/.
std::filesystem::path SystemFontDir();

// The calendar fields of `t` in the local time zone.
std::tm LocalTime(std::time_t t);

// The player's folders where the system names them itself (Windows: %APPDATA%, %LOCALAPPDATA% and the
// Pictures known folder); none where the desktop's conventions go by the environment (the XDG variables).
struct TSystemUserDirs {
    std::filesystem::path AppData, LocalAppData, Pictures;
};
std::optional<TSystemUserDirs> SystemUserDirs();

// Whether this program may create files in the folder.
bool CanWriteIn(const std::filesystem::path& folder);

// A windowed program started from a console prints there (--help, --version, errors); one started from
// the desktop opens no console. Call before the first output.
void UseParentConsole();

// This process's id, and whether a process of that id runs now (another user's counts too): a
// temporary file named after a process that is gone was left by a killed write.
unsigned CurrentProcessId();
bool ProcessRunning(unsigned pid);
