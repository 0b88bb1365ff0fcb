#include "support/TestData.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "base/FileSystem.h"
#include "base/Text.h"

namespace fs = std::filesystem;

namespace {
void PutLe(std::string& s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s.push_back(char(v >> (8 * i)));
}
}  // namespace

std::string TestIni(const std::string& mainKeys, const std::string& sections) {
    return "[Main]\nSounds=4\n" + mainKeys +
           "\n[Sounds]\nSound0=hit\nSound1=Death\nSound2=DeathPlayer\nSound3=Console\n" + sections;
}

TTestData::TTestData() {
    static std::atomic<int> counter{0};
    RootDir =
        fs::temp_directory_path() / ("rustwake-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(RootDir);
    fs::create_directories(RootDir);
}

TTestData::~TTestData() {
    std::error_code ec;
    fs::remove_all(RootDir, ec);
}

fs::path TTestData::Path(std::string_view gamePath) const {
    return RootDir / SlashPath(gamePath);
}

void TTestData::WriteFile(std::string_view gamePath, std::string_view bytes) const {
    fs::path p = Path(gamePath);
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + p.string());
}

std::string TTestData::ReadFile(std::string_view gamePath) const {
    std::ifstream in(Path(gamePath), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void TTestData::WriteBmp(std::string_view gamePath, int width, int height, uint32_t fill) const {
    const int stride = (width * 3 + 3) / 4 * 4;
    const uint32_t pixelBytes = uint32_t(stride * height);
    std::string s = "BM";
    PutLe(s, 54 + pixelBytes, 4);
    PutLe(s, 0, 4);
    PutLe(s, 54, 4);
    PutLe(s, 40, 4);
    PutLe(s, uint32_t(width), 4);
    PutLe(s, uint32_t(height), 4);
    PutLe(s, 1, 2);
    PutLe(s, 24, 2);
    PutLe(s, 0, 4);
    PutLe(s, pixelBytes, 4);
    PutLe(s, 2835, 4);
    PutLe(s, 2835, 4);
    PutLe(s, 0, 4);
    PutLe(s, 0, 4);
    std::string row(size_t(stride), '\0');
    for (int x = 0; x < width; ++x) {
        row[size_t(x) * 3] = char(fill >> 16);  // blue
        row[size_t(x) * 3 + 1] = char(fill >> 8);
        row[size_t(x) * 3 + 2] = char(fill);
    }
    for (int y = 0; y < height; ++y) s += row;
    WriteFile(gamePath, s);
}

void TTestData::WriteWav(std::string_view gamePath) const {
    const std::string samples(16, char(0x80));
    std::string s = "RIFF";
    PutLe(s, uint32_t(36 + samples.size()), 4);
    s += "WAVEfmt ";
    PutLe(s, 16, 4);
    PutLe(s, 1, 2);      // PCM
    PutLe(s, 1, 2);      // mono
    PutLe(s, 22050, 4);  // samples per second
    PutLe(s, 22050, 4);  // bytes per second
    PutLe(s, 1, 2);      // block align
    PutLe(s, 8, 2);      // bits per sample
    s += "data";
    PutLe(s, uint32_t(samples.size()), 4);
    s += samples;
    WriteFile(gamePath, s);
}

void TTestData::WriteScript(std::string_view name, std::string_view text) const {
    WriteFile("data/scripts/" + std::string(name), Utf8ToCp1251(text));
}

void TTestData::WriteGame(const TTestGameFiles& files) const {
    WriteFile("data/data/game.ini", Utf8ToCp1251(files.Ini.empty() ? TestIni() : files.Ini));

    auto writeList = [&](const std::string& list, const std::string& folder, const std::vector<TTestPicture>& pics) {
        std::string text;
        for (const auto& p : pics) {
            text += p.Name + "\r\n";
            WriteBmp(folder + p.Name + ".bmp", p.Width, p.Height, 0x00FF00FF);
        }
        WriteFile(list, Utf8ToCp1251(text));
    };
    writeList("data/Images/Critters/Critters.lst", "data/Images/Critters/", files.Critters);
    writeList("data/Images/Objects/Objects.lst", "data/Images/Objects/", files.Objects);
    std::string locations;
    for (const auto& name : files.Locations) {
        locations += name + "\r\n";
        WriteBmp("data/Images/Locations/" + name + ".bmp", 32, 24, 0x00406080);
    }
    WriteFile("data/Images/Locations/Locations.lst", Utf8ToCp1251(locations));

    for (const char* name : {"Cursor", "CursorO", "CursorA", "Dialog"})
        WriteBmp(std::string("data/Images/Interface/") + name + ".bmp", 32, 32, 0x00FF00FF);
    WriteBmp("data/Images/Interface/Main.bmp", 253 * 3, 168, 0x00FF00FF);

    WriteWav("data/sounds/player_fire.wav");
    for (int n = 1; n <= 12; ++n) WriteWav("data/sounds/rico" + std::to_string(n) + ".wav");
    for (const auto& name : files.Waves) WriteWav("data/sounds/" + name + ".wav");
    fs::create_directories(Path("data/scripts"));
    fs::create_directories(Path("data/locations"));
}
