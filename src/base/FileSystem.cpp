#include "base/FileSystem.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

#include "base/Errors.h"
#include "base/Os.h"
#include "base/Text.h"

namespace fs = std::filesystem;

std::string SlashPath(std::string_view gamePath) {
    std::string s(gamePath);
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

void CheckDataPath(std::string_view gamePath) {
    fs::path p = fs::path(SlashPath(gamePath)).lexically_normal();
    auto first = p.begin();
    if (p.is_absolute() || first == p.end() || !SameText(first->string(), "data") || ++first == p.end())
        throw EFileError("Path \"" + std::string(gamePath) + "\" leaves the data folder");
}

namespace {
// The root is made absolute once, so a path built from it (the editor's file
// dialogs) means the same file when it is resolved again later.
fs::path AbsoluteRoot(const fs::path& root) {
    std::error_code ec;
    fs::path absolute = fs::absolute(root.empty() ? fs::path(".") : root, ec);
    if (ec) return root;
    absolute = absolute.lexically_normal();
    if (!absolute.has_filename() && absolute.has_relative_path()) absolute = absolute.parent_path();
    return absolute;
}
}  // namespace

TFileSystem::TFileSystem(fs::path root) : RootDir(AbsoluteRoot(root)) {}

const std::vector<std::string>* TFileSystem::Listing(const fs::path& dir) const {
    std::error_code ec;
    auto stamp = fs::last_write_time(dir, ec);
    if (ec) return nullptr;
    auto& entry = Cache[dir.string()];
    if (entry.Names.empty() || entry.Stamp != stamp) {
        entry.Names.clear();
        entry.Stamp = stamp;
        for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
            entry.Names.push_back(it->path().filename().string());
    }
    return &entry.Names;
}

namespace {
// Walks the components of `path` from `base`, taking the on-disk spelling of
// each one that exists only in another letter case.
template <class TLister>
fs::path ResolveWith(const fs::path& base, std::string_view path, TLister listing) {
    const fs::path p = Utf8Path(SlashPath(path));
    fs::path cur = p.is_absolute() ? p.root_path() : base;
    bool matching = true;
    for (const auto& part : p.relative_path()) {
        std::string name = part.string();
        if (name.empty() || name == ".") continue;
        std::error_code ec;
        if (matching && name != ".." && !fs::exists(cur / Utf8Path(name), ec)) {
            matching = false;
            if (const std::vector<std::string>* names = listing(cur))
                for (const auto& n : *names)
                    if (SameText(n, name)) {
                        name = n;
                        matching = true;
                        break;
                    }
        }
        cur /= Utf8Path(name);
    }
    return cur;
}
}  // namespace

fs::path TFileSystem::Resolve(std::string_view gamePath) const {
    return ResolveWith(RootDir, gamePath, [this](const fs::path& dir) { return Listing(dir); });
}

fs::path ResolveNoCase(const fs::path& base, std::string_view path) {
    std::vector<std::string> names;
    auto listing = [&names](const fs::path& dir) {
        names.clear();
        std::error_code ec;
        for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
            names.push_back(it->path().filename().string());
        return &names;
    };
    return ResolveWith(base, path, listing).lexically_normal();
}

TFileStamp FileStamp(const fs::path& real) {
    std::error_code ec;
    TFileStamp stamp;
    if (!fs::is_regular_file(real, ec)) return stamp;
    stamp.Size = fs::file_size(real, ec);
    if (!ec) stamp.Time = fs::last_write_time(real, ec);
    if (!ec) stamp.Exists = true;
    return ec ? TFileStamp{} : stamp;
}

bool TFileSystem::Exists(std::string_view gamePath) const {
    std::error_code ec;
    return fs::is_regular_file(Resolve(gamePath), ec);
}

std::string TFileSystem::ReadFile(std::string_view gamePath) const {
    fs::path real = Resolve(gamePath);
    std::error_code ec;
    if (!fs::is_regular_file(real, ec))
        throw EFileError("Cannot open file \"" + std::string(gamePath) + "\". No such file");
    std::ifstream in(real, std::ios::binary);
    if (!in) throw EFileError("Cannot open file \"" + std::string(gamePath) + "\". Access denied");
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) throw EFileError("Cannot read file \"" + std::string(gamePath) + "\"");
    return ss.str();
}

std::string FileErrorText(const char* what, const std::string& shownName, int error) {
    return std::string(what) + " \"" + shownName + "\". " + std::strerror(error);
}

namespace {
// The process id in a name of TempNameBeside's pattern, or -1.
long TempFileOwner(const std::string& name) {
    if (name.size() < 8 || name[0] != '.' || name.back() != '~') return -1;
    // From the end: HEX, then N, then PID, each after a dot, NAME before them.
    size_t end = name.size() - 1;
    std::string_view parts[3];
    for (int k = 2; k >= 0; --k) {
        const size_t dot = name.rfind('.', end - 1);
        if (dot == std::string::npos || dot == 0 || dot + 1 == end) return -1;
        parts[k] = std::string_view(name).substr(dot + 1, end - dot - 1);
        end = dot;
    }
    auto all = [](std::string_view s, const char* digits) { return s.find_first_not_of(digits) == s.npos; };
    if (!all(parts[0], "0123456789") || !all(parts[1], "0123456789") || !all(parts[2], "0123456789abcdef") ||
        parts[0].size() > 9 || end < 2)
        return -1;
    return std::stol(std::string(parts[0]));
}
}  // namespace

int RemoveStaleTempFiles(const fs::path& dir) {
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), last; !ec && it != last; it.increment(ec)) {
        const long pid = TempFileOwner(it->path().filename().string());
        if (pid <= 0 || !it->is_regular_file(ec) || it->is_symlink(ec)) continue;
        // Ours is a file of an earlier run with the same number: this run has written nothing yet.
        const bool running = unsigned(pid) != CurrentProcessId() && ProcessRunning(unsigned(pid));
        if (!running && fs::remove(it->path(), ec)) ++removed;
    }
    return removed;
}

fs::path TempNameBeside(const fs::path& target, unsigned processId) {
    static std::atomic<uint32_t> counter{0};
    uint64_t salt = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%u.%u.%llx~", processId, unsigned(counter++),
                  (unsigned long long)(salt & 0xFFFFFFFFFFULL));
    return target.parent_path() / ("." + target.filename().string() + suffix);
}

void TFileSystem::WriteFileAtomic(std::string_view gamePath, std::string_view data) const {
    WriteRealFileAtomic(Resolve(gamePath), data, std::string(gamePath));
}

bool TFileSystem::CopyFile(std::string_view from, std::string_view to) const {
    try {
        WriteFileAtomic(to, ReadFile(from));
        return true;
    } catch (const EFileError&) {
        return false;
    }
}

bool TFileSystem::DeleteFile(std::string_view gamePath) const {
    std::error_code ec;
    return fs::remove(Resolve(gamePath), ec);
}

std::vector<std::string> TFileSystem::ListFiles(std::string_view gameDir, std::string_view extension) const {
    std::vector<std::string> out;
    std::error_code ec;
    fs::path dir = Resolve(gameDir);
    for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.size() >= extension.size() &&
            SameText(std::string_view(name).substr(name.size() - extension.size()), extension))
            out.push_back(name);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> ReadListFile(const TFileSystem& files, const std::string& gamePath) {
    return SplitLines(Cp1251ToUtf8(files.ReadFile(gamePath)));
}
