// Windows. The names of windows.h (CopyFile, DeleteFile, ...) stay in this file.
#include "base/FileSystem.h"
#include "base/Os.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/Errors.h"

namespace fs = std::filesystem;

fs::path ExecutableDir() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, name.data(), DWORD(name.size()));
        if (n == 0) return {};
        if (n < name.size()) {
            name.resize(n);
            return fs::path(name).parent_path();
        }
        // Cut short: a longer name than the buffer.
        name.resize(name.size() * 2);
    }
}

namespace {
fs::path KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    fs::path out;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)) && path) out = fs::path(path);
    CoTaskMemFree(path);
    return out;
}
}  // namespace

fs::path SystemFontDir() {
    return KnownFolder(FOLDERID_Fonts);
}

std::tm LocalTime(std::time_t t) {
    std::tm tm{};
    localtime_s(&tm, &t);
    return tm;
}

std::optional<TSystemUserDirs> SystemUserDirs() {
    // The variables first, as the player (or a script) may have set them; the known folders else.
    auto folder = [](const wchar_t* variable, REFKNOWNFOLDERID id) {
        const wchar_t* value = _wgetenv(variable);
        return value && *value ? fs::path(value) : KnownFolder(id);
    };
    TSystemUserDirs dirs;
    dirs.AppData = folder(L"APPDATA", FOLDERID_RoamingAppData);
    dirs.LocalAppData = folder(L"LOCALAPPDATA", FOLDERID_LocalAppData);
    dirs.Pictures = KnownFolder(FOLDERID_Pictures);
    if (dirs.Pictures.empty()) dirs.Pictures = dirs.AppData;
    return dirs;
}

unsigned CurrentProcessId() {
    return unsigned(GetCurrentProcessId());
}

bool ProcessRunning(unsigned pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, DWORD(pid));
    // A process we may not open exists all the same.
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

bool CanWriteIn(const fs::path& folder) {
    // Folders have no write bit worth asking: the access lists decide, so try it with a file that
    // goes when it is closed.
    fs::path probe;
    for (int attempt = 0; attempt < 100; ++attempt) {
        probe = TempNameBeside(folder / "probe", unsigned(GetCurrentProcessId()));
        HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

void UseParentConsole() {
    // Output already going somewhere (a pipe, a file, a console of our own) is left alone.
    auto connected = [](DWORD which) {
        HANDLE h = GetStdHandle(which);
        return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
    };
    if (connected(STD_OUTPUT_HANDLE) && connected(STD_ERROR_HANDLE)) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;  // started from the desktop: no console at all
    SetConsoleOutputCP(CP_UTF8);
    if (!connected(STD_OUTPUT_HANDLE)) (void)!std::freopen("CONOUT$", "w", stdout);
    if (!connected(STD_ERROR_HANDLE)) (void)!std::freopen("CONOUT$", "w", stderr);
}

namespace {
// The C library's word for a system error, so the messages read as on the other systems.
int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        default:
            return EIO;
    }
}

// A temporary file of our own beside the target, created only where no file of that name is.
HANDLE CreateTempBeside(const fs::path& target, fs::path& tmp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmp = TempNameBeside(target, unsigned(GetCurrentProcessId()));
        HANDLE h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return h;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}
}  // namespace

void WriteRealFileAtomic(const fs::path& real, std::string_view data, const std::string& shownName) {
    const DWORD attributes = GetFileAttributesW(real.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // A junction or a symbolic link is refused as the link is on the other systems.
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            throw EFileError("Cannot write file \"" + shownName + "\". It is a symbolic link");
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
            throw EFileError("Cannot write file \"" + shownName + "\". Not a regular file");
        if (attributes & FILE_ATTRIBUTE_READONLY)
            throw EFileError(FileErrorText("Cannot write file", shownName, EACCES));
    }
    fs::path tmp;
    HANDLE h = CreateTempBeside(real, tmp);
    if (h == INVALID_HANDLE_VALUE) throw EFileError(FileErrorText("Cannot create file", shownName, ErrnoOf(GetLastError())));
    DWORD error = 0;
    for (size_t done = 0; done < data.size() && !error;) {
        const DWORD chunk = DWORD(std::min<size_t>(data.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, data.data() + done, chunk, &written, nullptr))
            error = GetLastError();
        else
            done += written;
    }
    if (!error && !FlushFileBuffers(h)) error = GetLastError();
    if (!CloseHandle(h) && !error) error = GetLastError();
    // The rename replaces the name's entry, never writing through it; WRITE_THROUGH returns once it is on disk.
    if (!error && !MoveFileExW(tmp.c_str(), real.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error) {
        DeleteFileW(tmp.c_str());
        throw EFileError(FileErrorText("Cannot write file", shownName, ErrnoOf(error)));
    }
}
