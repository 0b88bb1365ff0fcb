// Linux and the other POSIX systems.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/Errors.h"
#include "base/FileSystem.h"
#include "base/Os.h"

namespace fs = std::filesystem;

fs::path ExecutableDir() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

fs::path SystemFontDir() {
    return "/usr/share/wine/fonts";
}

std::tm LocalTime(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

std::optional<TSystemUserDirs> SystemUserDirs() {
    return std::nullopt;
}

bool CanWriteIn(const fs::path& folder) {
    return access(folder.c_str(), W_OK) == 0;
}

void UseParentConsole() {}

unsigned CurrentProcessId() {
    return unsigned(getpid());
}

bool ProcessRunning(unsigned pid) {
    return kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

namespace {
// A temporary file of our own beside the target: created exclusively under a fresh name, so nothing planted
// there (a link, a file of someone else's) is ever opened.
int CreateTempBeside(const fs::path& target, fs::path& tmp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmp = TempNameBeside(target, unsigned(getpid()));
        int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}
}  // namespace

void WriteRealFileAtomic(const fs::path& real, std::string_view data, const std::string& shownName) {
    struct stat old {};
    bool replacing = lstat(real.c_str(), &old) == 0;
    if (replacing) {
        if (S_ISLNK(old.st_mode))
            throw EFileError("Cannot write file \"" + shownName + "\". It is a symbolic link");
        if (!S_ISREG(old.st_mode))
            throw EFileError("Cannot write file \"" + shownName + "\". Not a regular file");
        // A read-only file stays as it is, for the superuser too.
        if ((old.st_mode & 0222) == 0 || access(real.c_str(), W_OK) != 0)
            throw EFileError(FileErrorText("Cannot write file", shownName, EACCES));
    }
    fs::path tmp;
    int fd = CreateTempBeside(real, tmp);
    if (fd < 0) throw EFileError(FileErrorText("Cannot create file", shownName, errno));
    int error = 0;
    for (size_t done = 0; done < data.size() && !error;) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n > 0)
            done += size_t(n);
        else if (n < 0 && errno != EINTR)
            error = errno;
    }
    if (!error && replacing) {
        // The owner is kept where we may give it (a failure leaves it ours); the mode always.
        (void)!fchown(fd, old.st_uid, old.st_gid);
        if (fchmod(fd, old.st_mode & 07777) != 0) error = errno;
    }
    if (!error && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && !error) error = errno;
    // rename() replaces whatever name is there now (a link planted meanwhile included); it never writes through it.
    if (!error && rename(tmp.c_str(), real.c_str()) != 0) error = errno;
    if (error) {
        unlink(tmp.c_str());
        throw EFileError(FileErrorText("Cannot write file", shownName, error));
    }
}
