#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/FileSystem.h"
#include "base/Text.h"
#include "script/Script.h"

namespace fs = std::filesystem;

struct TScriptSystem::CacheEntry {
    uintmax_t Size = 0;
    fs::file_time_type Stamp{};
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

    std::error_code ec;
    fs::path real = Files.Resolve(path);
    bool exists = fs::is_regular_file(real, ec);
    uintmax_t size = exists ? fs::file_size(real, ec) : 0;
    fs::file_time_type stamp = exists && !ec ? fs::last_write_time(real, ec) : fs::file_time_type{};
    if (!exists || ec) {
        if (entry) {
            entry->Parsed = noNodes;
            entry->Size = 0;
            entry->Stamp = {};
            entry->CheckedChain = Chain;
        }
        return noNodes;
    }
    if (!entry) {
        Cache.emplace_back(path, std::make_shared<CacheEntry>());
        entry = Cache.back().second.get();
    } else if (entry->Parsed && entry->Parsed != noNodes && entry->Size == size && entry->Stamp == stamp) {
        entry->CheckedChain = Chain;
        return entry->Parsed;
    }
    std::shared_ptr<const TScriptFile> parsed = noNodes;
    try {
        const std::string bytes = Files.ReadFile(path);
        // Read once per change of the file, so said once, not at every event.
        if (LooksLikeUtf8Letters(bytes))
            Host.Warn("Script " + path +
                      " is UTF-8 text, but scripts are read as Windows-1251: its letters show garbled");
        parsed = std::make_shared<const TScriptFile>(TScriptFile::Parse(bytes));
    } catch (const EGameError& e) {
        // An unreadable file runs like a missing one; the log still says why.
        Host.Log(std::string("TScript -> ") + e.what());
    }
    entry->Size = size;
    entry->Stamp = stamp;
    entry->Parsed = parsed;
    entry->CheckedChain = Chain;
    return parsed;
}
