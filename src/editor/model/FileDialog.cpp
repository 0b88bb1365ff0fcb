#include "editor/model/FileDialog.h"

#include <algorithm>
#include <system_error>

#include "base/FileSystem.h"
#include "base/Text.h"

namespace fs = std::filesystem;

std::string TFileDialog::Pattern() const {
    size_t bar = Filter.find('|');
    return bar == std::string::npos ? Filter : Filter.substr(bar + 1);
}

std::string TFileDialog::Title() const {
    return Kind == TFileDialogKind::Open ? "Открыть" : "Сохранить как";
}

void TFileDialog::Execute() {
    if (Folder.empty()) Folder = InitialDir;
    FileName.clear();
    Message.clear();
    Pending.clear();
    Result.clear();
    Visible = true;
    Refresh();
}

void TFileDialog::Refresh() {
    std::error_code ec;
    // A folder that has gone shows its nearest existing parent.
    while (!Folder.empty() && !fs::is_directory(Folder, ec) && Folder.has_parent_path() &&
           Folder.parent_path() != Folder)
        Folder = Folder.parent_path();
    Entries.clear();
    std::string ext = Pattern();
    if (ext.rfind("*", 0) == 0) ext.erase(0, 1);  // "*.map" -> ".map"
    std::vector<TFileEntry> folders, files;
    for (auto it = fs::directory_iterator(Folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::error_code kindError;
        if (it->is_directory(kindError)) {
            folders.push_back({name, true});
        } else if (name.size() > ext.size() && SameText(name.substr(name.size() - ext.size()), ext)) {
            files.push_back({name, false});
        }
    }
    auto byName = [](const TFileEntry& a, const TFileEntry& b) { return LowerCase(a.Name) < LowerCase(b.Name); };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    if (Folder.has_parent_path() && Folder.parent_path() != Folder) Entries.push_back({"..", true});
    Entries.insert(Entries.end(), folders.begin(), folders.end());
    Entries.insert(Entries.end(), files.begin(), files.end());
}

void TFileDialog::Enter(const std::string& name) {
    Folder = name == ".." ? Folder.parent_path() : Folder / name;
    Message.clear();
    Refresh();
}

void TFileDialog::Pick(const TFileEntry& entry) {
    if (entry.Folder)
        Enter(entry.Name);
    else
        FileName = entry.Name;
}

TFileDialog::TOutcome TFileDialog::Decide(const fs::path& base, const std::string& name) {
    Message.clear();
    Pending.clear();
    std::string typed = Trim(name);
    if (typed.empty()) {
        Message = "Введите имя файла.";
        return TOutcome::Stay;
    }
    std::error_code ec;
    fs::path path = ResolveNoCase(base, typed);
    if (fs::is_directory(path, ec)) {
        Folder = path;
        FileName.clear();
        Refresh();
        return TOutcome::Stay;
    }
    if (!path.has_extension()) {
        path += "." + DefaultExt;
        path = ResolveNoCase(path.parent_path(), path.filename().string());
    }
    if (!fs::is_directory(path.parent_path(), ec)) {
        Message = "Путь не найден:\n" + path.parent_path().string();
        return TOutcome::Stay;
    }
    if (Kind == TFileDialogKind::Open) {
        if (!fs::is_regular_file(path, ec)) {
            Message = "Файл не найден:\n" + path.filename().string();
            return TOutcome::Stay;
        }
    } else if (!fs::exists(path, ec)) {
        Pending = path;
        return TOutcome::Confirm;
    }
    Result = path;
    Folder = path.parent_path();
    Visible = false;
    return TOutcome::Chosen;
}

TFileDialog::TOutcome TFileDialog::Accept() {
    return Decide(Folder, FileName);
}

TFileDialog::TOutcome TFileDialog::Confirm(bool create) {
    if (Pending.empty()) return TOutcome::Stay;
    fs::path path = Pending;
    Pending.clear();
    if (!create) return TOutcome::Stay;
    Result = path;
    Folder = path.parent_path();
    Visible = false;
    return TOutcome::Chosen;
}
