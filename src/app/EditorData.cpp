#include "app/EditorData.h"

#include "base/Errors.h"
#include "base/Os.h"

namespace fs = std::filesystem;

fs::path EditorCopyDir(const TUserDirs& dirs) { return dirs.Data / "editor"; }

bool CanWriteData(const fs::path& dataDir) {
    return CanWriteIn(dataDir / "data" / "locations") || CanWriteIn(dataDir / "data");
}

void CopyDataFolder(const fs::path& dataDir, const fs::path& toDir) {
    const fs::path part = toDir / "data.part";
    std::error_code ec;
    fs::remove_all(part, ec);
    fs::create_directories(toDir, ec);
    fs::copy(dataDir / "data", part, fs::copy_options::recursive, ec);
    if (!ec) fs::rename(part, toDir / "data", ec);
    if (ec) {
        const std::string why = ec.message();
        fs::remove_all(part, ec);
        throw EFileError("Cannot copy the data folder to \"" + toDir.string() + "\": " + why);
    }
}

fs::path ChooseEditorData(const fs::path& dataDir, const TUserDirs& dirs, bool writable,
                          const std::function<bool(const std::string&)>& ask) {
    if (writable) return dataDir;
    const fs::path copy = EditorCopyDir(dirs);
    std::error_code ec;
    if (fs::is_directory(copy / "data", ec)) return copy;
    const std::string question = "The game's data in \"" + dataDir.string() +
                                 "\" cannot be changed by you, so the editor could not save.\n\n"
                                 "Copy it to \"" + copy.string() + "\" and edit the copy?";
    if (!ask(question)) return dataDir;
    CopyDataFolder(dataDir, copy);
    return copy;
}
