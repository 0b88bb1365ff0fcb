#include <algorithm>

#include "base/FileSystem.h"
#include "base/Text.h"
#include "script/Script.h"

struct TScriptSystem::CacheEntry {
    TFileStamp Stamp;  // the version in use
    TFileStamp Seen;   // the version last looked at: the one in use, or one Accept refused
    std::shared_ptr<const TScriptFile> Parsed;
    uint64_t CheckedChain = 0;
};

TScriptSystem::TScriptSystem(TFileSystem& files, IScriptHost& host) : Host(host), Files(files) {}

TScriptPtr TScriptSystem::Register(const std::string& path, int32_t ownerIndex, int32_t ownerKind) {
    auto script = std::make_shared<TScript>(*this, path, ownerIndex, ownerKind);
    if (Registry.size() >= PruneAt) PruneRegistry();
    Registry.push_back(script);
    return script;
}

TScriptPtr TScriptSystem::Create(const std::string& path, int32_t ownerIndex, int32_t ownerKind) {
    TScriptPtr script = Register(path, ownerIndex, ownerKind);
    script->Execute("OnCreate");
    return script;
}

void TScriptSystem::Destroy(const TScriptPtr& script) {
    if (!script || script->Destroyed || script->Destroying) return;
    script->Destroying = true;
    // The script is gone even when its "OnDestroy" fails; the error still reaches the caller.
    struct TFinish {
        TScript& Script;
        ~TFinish() {
            Script.Destroying = false;
            Script.Destroyed = true;
            Script.TimerEnabled = false;
        }
    } finish{*script};
    script->Execute("OnDestroy");
}

void TScriptSystem::Orphan(const TScriptPtr& script) {
    if (!script) return;
    script->Orphaned = true;
    script->TimerEnabled = false;
}

void TScriptSystem::PruneRegistry() {
    std::erase_if(Registry, [](const std::weak_ptr<TScript>& w) {
        auto s = w.lock();
        return !s || !s->Alive();
    });
    // Prune again only when the list has doubled, so registering stays cheap.
    PruneAt = std::max<size_t>(64, Registry.size() * 2);
}

std::vector<TScriptPtr> TScriptSystem::TakeDueTimers(uint32_t now) {
    std::vector<TScriptPtr> due;
    for (const auto& weak : Registry) {
        TScriptPtr script = weak.lock();
        if (!script || !script->Alive() || !script->TimerEnabled) continue;
        if (int32_t(now - script->TimerNext) < 0) continue;
        // Ticks missed while the game was busy collapse into this one.
        script->TimerNext = now + script->TimerInterval;
        due.push_back(std::move(script));
    }
    return due;
}

std::shared_ptr<const TScriptFile> TScriptSystem::File(const std::string& path) {
    static const auto noNodes = std::make_shared<const TScriptFile>();
    auto it = std::find_if(Cache.begin(), Cache.end(), [&](const auto& e) { return e.first == path; });
    CacheEntry* entry = it == Cache.end() ? nullptr : it->second.get();
    // Within one event the file is looked at once; CALLs reuse what the event began with.
    if (entry && Depth > 0 && entry->CheckedChain == Chain) return entry->Parsed;
    // Watched, a file once read is looked at again by the watcher (Refresh) and by location loads only.
    const bool watched = bool(Accept);
    if (entry && watched && FileHolds == 0) return entry->Parsed;

    const TFileStamp stamp = Files.Stamp(path);
    const bool hasNodes = entry && entry->Parsed && entry->Parsed != noNodes;
    if (!stamp.Exists) {
        // A watched file gone for a moment (an editor saving it) leaves the scripts running as they were.
        if (watched && hasNodes) return entry->Parsed;
        // Remembered too, so that records without a script file do not look for it again in one event.
        if (!entry) {
            Cache.emplace_back(path, std::make_shared<CacheEntry>());
            entry = Cache.back().second.get();
        }
        entry->Parsed = noNodes;
        entry->Stamp = entry->Seen = {};
        entry->CheckedChain = Chain;
        return noNodes;
    }
    if (!entry) {
        Cache.emplace_back(path, std::make_shared<CacheEntry>());
        entry = Cache.back().second.get();
    } else if (hasNodes && (entry->Stamp == stamp || (watched && entry->Seen == stamp))) {
        entry->CheckedChain = Chain;
        return entry->Parsed;
    }
    std::shared_ptr<const TScriptFile> parsed = noNodes;
    try {
        std::string bytes = Files.ReadFile(path);
        if (watched && hasNodes && !Accept(path, bytes)) {
            entry->Seen = stamp;
            entry->CheckedChain = Chain;
            return entry->Parsed;
        }
        // Editors that save UTF-8 put a byte-order mark first; read as it stands it would swallow the first node.
        if (bytes.starts_with("\xEF\xBB\xBF")) {
            Host.Log("TScript -> warning: " + path + " starts with a UTF-8 byte-order mark; it is skipped");
            bytes.erase(0, 3);
        }
        // Read once per change of the file, so said once, not at every event.
        if (LooksLikeUtf8Letters(bytes))
            Host.Warn("Script " + path +
                      " is UTF-8 text, but scripts are read as Windows-1251: its letters show garbled");
        parsed = std::make_shared<const TScriptFile>(TScriptFile::Parse(bytes));
    } catch (const EGameError& e) {
        // An unreadable file runs like a missing one; the log still says why.
        Host.Log(std::string("TScript -> ") + e.what());
    }
    entry->Stamp = entry->Seen = stamp;
    entry->Parsed = parsed;
    entry->CheckedChain = Chain;
    return parsed;
}

std::vector<std::pair<std::string, TFileStamp>> TScriptSystem::FilesRead() const {
    std::vector<std::pair<std::string, TFileStamp>> files;
    for (const auto& [path, entry] : Cache) files.emplace_back(path, entry->Seen);
    return files;
}

bool TScriptSystem::Refresh(const std::string& path) {
    THoldFiles hold(*this);
    auto it = std::find_if(Cache.begin(), Cache.end(), [&](const auto& e) { return e.first == path; });
    const std::shared_ptr<const TScriptFile> before = it == Cache.end() ? nullptr : it->second->Parsed;
    return File(path) != before;
}
