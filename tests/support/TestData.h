#pragma once
// Small game data folders for tests: a fresh temporary directory with the
// files a test needs, removed again with the object. Only the standard
// library and base/ are used here, since every test program links this.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// A picture named in a list file, written as a one-colour BMP.
struct TTestPicture {
    std::string Name;
    int Width = 8, Height = 8;
};

// What a game start reads. Ini is UTF-8 and written as Windows-1251.
struct TTestGameFiles {
    std::string Ini;
    std::vector<TTestPicture> Critters;
    std::vector<TTestPicture> Objects;
    std::vector<std::string> Locations = {"pattern1"};
    // Waves beyond player_fire and rico1..12, which the game always loads.
    std::vector<std::string> Waves = {"hit", "Death", "DeathPlayer", "Console"};
};

// game.ini with [Main] holding `mainKeys` and the [Sounds] section for the
// default waves above; `sections` follow as they are.
std::string TestIni(const std::string& mainKeys = "", const std::string& sections = "");

class TTestData {
public:
    TTestData();
    ~TTestData();
    TTestData(const TTestData&) = delete;
    TTestData& operator=(const TTestData&) = delete;

    const std::filesystem::path& Root() const { return RootDir; }
    // A game path ("data\scripts\a.sc" or with '/') below the root, as written.
    std::filesystem::path Path(std::string_view gamePath) const;

    void WriteFile(std::string_view gamePath, std::string_view bytes) const;
    std::string ReadFile(std::string_view gamePath) const;
    // A 24-bit picture filled with one colour, $00BBGGRR.
    void WriteBmp(std::string_view gamePath, int width, int height, uint32_t fill) const;
    // A short silent wave.
    void WriteWav(std::string_view gamePath) const;
    // A script file from UTF-8 text, written as Windows-1251.
    void WriteScript(std::string_view name, std::string_view text) const;

    // Everything a game start loads: configuration, the three lists and
    // their pictures, the interface pictures, a small location picture for
    // each location, the waves.
    void WriteGame(const TTestGameFiles& files) const;

private:
    std::filesystem::path RootDir;
};
