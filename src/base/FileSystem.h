#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The one place that turns a game path ("data\Images\Main.bmp") into a real
// file. Backslashes become '/', relative paths are taken from the game's root
// folder (program and working directory alike), and every component is
// matched against the directory listing without regard to letter case, so
// data made on a case-insensitive system loads here as it is.
// A file's version as far as it can be told without reading it: whether it is there, its size and
// modification time. Watching for changes compares two of these.
struct TFileStamp {
    bool Exists = false;
    uintmax_t Size = 0;
    std::filesystem::file_time_type Time{};
    bool operator==(const TFileStamp&) const = default;
};
// The stamp of a real path; a file that cannot be looked at counts as missing.
TFileStamp FileStamp(const std::filesystem::path& real);

class TFileSystem {
public:
    explicit TFileSystem(std::filesystem::path root);

    const std::filesystem::path& Root() const { return RootDir; }

    // The real path for a game path. Components that do not exist yet are
    // kept as written, so the result also serves for creating files.
    std::filesystem::path Resolve(std::string_view gamePath) const;
    bool Exists(std::string_view gamePath) const;
    TFileStamp Stamp(std::string_view gamePath) const { return FileStamp(Resolve(gamePath)); }

    // Whole-file read; throws EFileError naming the path when it cannot.
    std::string ReadFile(std::string_view gamePath) const;
    // WriteRealFileAtomic on the resolved game path.
    void WriteFileAtomic(std::string_view gamePath, std::string_view data) const;
    // Copy over an existing file (as WriteFileAtomic, so never through a
    // link) / delete; both report success only.
    bool CopyFile(std::string_view from, std::string_view to) const;
    bool DeleteFile(std::string_view gamePath) const;
    // Files of a folder whose names end with the extension (any case).
    std::vector<std::string> ListFiles(std::string_view gameDir, std::string_view extension) const;

private:
    struct DirCache {
        std::filesystem::file_time_type Stamp;
        std::vector<std::string> Names;
    };
    const std::vector<std::string>* Listing(const std::filesystem::path& dir) const;

    std::filesystem::path RootDir;
    mutable std::map<std::string, DirCache> Cache;
};

// The real path of `path` below `base` (or of `path` itself when absolute),
// components matched without regard to letter case, without any cache: for
// folders outside the game's own, such as the editor's file dialogs.
std::filesystem::path ResolveNoCase(const std::filesystem::path& base, std::string_view path);

// Writes a fresh temporary file beside `file` and renames it into place, so a
// failed write never destroys the old file and nothing but `file` is written.
// Refuses a symbolic link, a non-regular file and a read-only file; keeps the
// replaced file's mode. Throws EFileError naming `shownName`.
void WriteRealFileAtomic(const std::filesystem::path& file, std::string_view data, const std::string& shownName);

// Removes the temporary files WriteRealFileAtomic leaves in `dir` when the
// program is killed while writing (".NAME.PID.N.HEX~"), of processes no longer
// running; another file, a link or a running writer's file stays. Returns how many.
int RemoveStaleTempFiles(const std::filesystem::path& dir);

// For the systems' WriteRealFileAtomic: a fresh name for the temporary file beside `target`, and the
// error text naming the file with the C library's description of `error` (an errno value).
std::filesystem::path TempNameBeside(const std::filesystem::path& target, unsigned processId);
std::string FileErrorText(const char* what, const std::string& shownName, int error);

// Throws EFileError naming the path when a game path built from data (a
// script name, a list line, a location to travel to) leads out of data/.
void CheckDataPath(std::string_view gamePath);

// A list file (Critters.lst and its kind): one name per line, in
// Windows-1251, read as UTF-8 lines (see SplitLines). Throws as ReadFile.
std::vector<std::string> ReadListFile(const TFileSystem& files, const std::string& gamePath);

// The path a UTF-8 text names (the game's strings are UTF-8). A plain
// std::string would be taken in the system's narrow code page on Windows.
inline std::filesystem::path Utf8Path(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// "data\Images\Main.bmp" -> "data/Images/Main.bmp".
std::string SlashPath(std::string_view gamePath);
