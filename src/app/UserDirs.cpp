#include "app/UserDirs.h"

#include <cstdlib>

#include "base/Os.h"

namespace fs = std::filesystem;

TUserDirs TUserDirs::FromEnvironment(const std::function<const char*(const char*)>& getenv) {
    auto get = [&](const char* name) -> std::string {
        const char* v = getenv ? getenv(name) : std::getenv(name);
        return v ? std::string(v) : std::string();
    };
    std::string homeVar = get("HOME");
    fs::path home = homeVar.empty() ? fs::path(".") : fs::path(homeVar);
    // Relative values are to be ignored, as the convention says.
    auto base = [&](const char* name, const fs::path& fallback) {
        fs::path p = get(name);
        return p.is_absolute() ? p : fallback;
    };
    TUserDirs d;
    d.Config = base("XDG_CONFIG_HOME", home / ".config") / "rustwake";
    d.Data = base("XDG_DATA_HOME", home / ".local" / "share") / "rustwake";
    d.State = base("XDG_STATE_HOME", home / ".local" / "state") / "rustwake";
    d.Pictures = base("XDG_PICTURES_DIR", home / "Pictures") / "rustwake";
    d.Cache = base("XDG_CACHE_HOME", home / ".cache") / "rustwake";
    return d;
}

TUserDirs TUserDirs::ForThisSystem() {
    const std::optional<TSystemUserDirs> system = SystemUserDirs();
    if (!system) return FromEnvironment();
    // One roaming folder holds what the player keeps; the working copy stays on this machine.
    const fs::path own = system->AppData / "Rustwake";
    return TUserDirs{own, own, own, system->Pictures / "Rustwake", system->LocalAppData / "Rustwake"};
}
