#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

enum class TScaling : uint8_t {
    Smooth,   // filtered, letterboxed to keep the picture's shape
    Integer,  // whole multiples, sharp pixels, black bars around
    Stretch   // fills the window whatever its shape
};

// What the player chose, kept between runs in settings.ini.
struct TSettings {
    bool FullScreen = true;
    TScaling Scaling = TScaling::Smooth;
    int32_t MusicVolume = 100;    // 0..100
    int32_t EffectsVolume = 100;  // 0..100
    bool Mute = false;
    bool MuteUnfocused = false;  // silent while another window has the focus
    bool EdgeScroll = true;
    bool DebugLog = false;  // Log=debug: the log traces every script event

    bool operator==(const TSettings&) const = default;
};

const char* ScalingName(TScaling s);
std::string SerializeSettings(const TSettings& s);
// Throws EGameError saying which line is wrong; unknown keys are skipped so
// a newer game's file still loads.
TSettings ParseSettings(std::string_view text);

// settings.ini on disk.
class TSettingsFile {
public:
    explicit TSettingsFile(std::filesystem::path file) : Path(std::move(file)) {}
    // Missing: defaults, nothing reported. Damaged: defaults written over it
    // and the reason returned in `problem`, so it is reported only once.
    TSettings Load(std::string& problem) const;
    // Atomic: a failed write leaves the old file. Throws EFileError.
    void Save(const TSettings& s) const;
    const std::filesystem::path& File() const { return Path; }

private:
    std::filesystem::path Path;
};
