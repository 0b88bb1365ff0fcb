#pragma once
#include <filesystem>
#include <functional>
#include <string>

// Where the game keeps the player's own files, by the system's conventions.
// On Linux: settings under $XDG_CONFIG_HOME, saves under $XDG_DATA_HOME, the
// log under $XDG_STATE_HOME, screenshots under $XDG_PICTURES_DIR, the music's
// working copy under $XDG_CACHE_HOME; each in a "rustwake" folder. On Windows:
// settings, saves and log in %APPDATA%\Rustwake, the working copy in
// %LOCALAPPDATA%\Rustwake, screenshots in Rustwake in the player's Pictures.
struct TUserDirs {
    std::filesystem::path Config, Data, State, Pictures, Cache;

    std::filesystem::path SettingsFile() const { return Config / "settings.ini"; }
    std::filesystem::path SaveDir() const { return Data / "saves"; }
    std::filesystem::path LogFile() const { return State / "rustwake.log"; }
    std::filesystem::path MusicCopy() const { return Cache / "temp.mp3"; }

    // Read from the environment; `getenv` is replaceable for tests.
    static TUserDirs FromEnvironment(const std::function<const char*(const char*)>& getenv = nullptr);
    // The folders of the system the game runs on: the system's own where it names them, else the environment's.
    static TUserDirs ForThisSystem();
};
