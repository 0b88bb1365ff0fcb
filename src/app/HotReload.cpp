#include "app/HotReload.h"

#include <set>

#include "app/MainForm.h"
#include "base/Json.h"
#include "world/Obj.h"
#include "world/World.h"

namespace {
// Files the panel lists at most; older reports go.
constexpr size_t MaxReports = 8;
}  // namespace

void THotReload::Start() {
    Started = true;
    Game.Scripts.Accept = [this](const std::string& path, const std::string& bytes) { return Check(path, bytes); };
}

void THotReload::Tick(uint32_t now) {
    if (Polled && int32_t(now - NextPoll) < 0) return;
    Polled = true;
    NextPoll = now + PollMs;
    Poll();
}

void THotReload::Poll() {
    for (const auto& [path, seen] : Game.Scripts.FilesRead()) {
        if (Game.Files.Stamp(path) == seen) continue;
        const uint64_t generation = Game.World.Generation;
        // Check has had its say (and the console its note) when the new version is in use.
        if (!Game.Scripts.Refresh(path)) continue;
        const int made = RecreateScripts(Game.Context, path);
        Game.Log("Hot reload -> " + SlashPath(path) + ": " + std::to_string(made) + " scripts made anew");
        // An OnCreate that loaded another location leaves the rest for the next look.
        if (Game.World.Generation != generation) return;
    }
    std::set<std::string> files;
    for (const TPictureUse& use : Pictures) files.insert(use.File);
    for (const std::string& file : files) {
        if (!Game.Pictures.Changed(Game.Files, file)) continue;
        if (auto it = RefusedPictures.find(file); it != RefusedPictures.end() && it->second == Game.Files.Stamp(file))
            continue;
        ReloadPicture(file);
    }
}

bool THotReload::Check(const std::string& path, const std::string& bytes) {
    TDataNames names;
    ReadDataNames(Game.Files, names);
    TScriptChecker checker;
    checker.Data = &names;
    const std::string shown = SlashPath(path);
    checker.CheckScript(shown, bytes);
    const bool kept = checker.Errors > 0;
    std::erase_if(Reports, [&](const TReport& r) { return r.File == shown; });
    Reports.insert(Reports.begin(), TReport{shown, kept, std::move(checker.Messages)});
    if (Reports.size() > MaxReports) Reports.resize(MaxReports);
    if (kept) {
        Game.Log(TLogLevel::Warning, "Hot reload -> " + shown + " has errors; the old version stays");
        Game.ConsoleNote("Скрипт " + shown + " с ошибками: работает прежний (ошибки - на панели)");
    } else {
        Game.ConsoleNote("Скрипт " + shown + " перезагружен");
    }
    return !kept;
}

void THotReload::NotePicture(int item, const std::string& file, bool cornerKey) {
    Pictures.push_back(TPictureUse{item, file, false, cornerKey});
}

void THotReload::NotePiece(int item, const std::string& file, int x, int y) {
    Pictures.push_back(TPictureUse{item, file, true, false, x, y});
}

void THotReload::ReloadPicture(const std::string& file) {
    const std::string shown = SlashPath(file);
    const TBitmap* fresh = nullptr;
    try {
        fresh = &Game.Pictures.Load(Game.Files, file);
    } catch (const std::exception& e) {
        // Half written, or broken: the old picture stays until the file changes again.
        RefusedPictures[file] = Game.Files.Stamp(file);
        Game.Log(TLogLevel::Warning, std::string("Hot reload -> ") + e.what());
        Game.ConsoleNote("Картинка " + shown + " не читается: осталась прежняя (подробности - в журнале)");
        return;
    }
    RefusedPictures.erase(file);
    std::set<int> items;
    for (const TPictureUse& use : Pictures) {
        if (use.File != file || !Game.DXIL.Valid(use.Item)) continue;
        TImageItem& item = Game.DXIL.Item(use.Item);
        if (use.Piece)
            item.Picture.CopyRect(0, 0, *fresh,
                                  TRect{use.X, use.Y, use.X + item.Picture.Width(), use.Y + item.Picture.Height()});
        else
            item.Picture = *fresh;
        if (use.CornerKey) item.TransparentColor = item.Picture.Pixel(0, 0);
        items.insert(use.Item);
    }
    // An object's frame is its picture's size.
    bool resized = false;
    for (size_t i = 0; i < Game.World.Objects.size(); ++i) {
        tObj& object = *Game.World.Objects[i];
        if (!items.count(object.ImageIndex)) continue;
        object.SetImage(object.ImageName);
        resized = true;
    }
    if (resized) Game.World.RedrawOrder();
    Game.Log("Hot reload -> " + shown + " read again");
    Game.ConsoleNote("Картинка " + shown + " обновлена");
}

void THotReload::Dump(TJsonWriter& j) const {
    j.Key("reload").BeginArray();
    for (const TReport& r : Reports) {
        j.BeginObject().Field("file", r.File).Field("kept", r.Kept);
        j.Key("messages").BeginArray();
        for (const TCheckMessage& m : r.Messages) j.Value(m.Line());
        j.EndArray().EndObject();
    }
    j.EndArray();
}
