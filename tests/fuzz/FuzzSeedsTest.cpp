// The fuzz targets start from the demo's real files (fuzz/seeds.txt); each
// must get at least one seed its reader accepts, or it never gets past the
// first bytes of the format.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "app/SaveGame.h"
#include "base/Errors.h"
#include "base/Ini.h"
#include "base/Text.h"
#include "media/Bitmap.h"
#include "media/Sound.h"
#include "script/Script.h"
#include "support/TestGame.h"
#include "world/MapFormat.h"

namespace fs = std::filesystem;

namespace {

struct TSeedLine {
    std::string Target;
    size_t MaxLen = 0;
    std::string Folder, Extension;
};

std::vector<TSeedLine> ReadSeedLines() {
    std::ifstream in(fs::path(RW_SOURCE_DIR) / "fuzz" / "seeds.txt");
    std::vector<TSeedLine> lines;
    for (std::string text; std::getline(in, text);) {
        if (text.empty() || text[0] == '#') continue;
        std::istringstream fields(text);
        TSeedLine l;
        if (fields >> l.Target >> l.MaxLen >> l.Folder >> l.Extension) lines.push_back(l);
    }
    return lines;
}

// The reader each fuzz target feeds, called as the target calls it; true when it takes the input.
const std::map<std::string, std::function<bool(const std::string&)>> Readers = {
    {"FuzzBmp", [](const std::string& b) { return !LoadBmp(b, "seed.bmp").Empty(); }},
    {"FuzzMap", [](const std::string& b) { return ParseMap(b, "seed.map").Critters.size() > 0; }},
    {"FuzzScript", [](const std::string& b) { return !TScriptFile::Parse(b).Nodes.empty(); }},
    {"FuzzWav", [](const std::string& b) { return !LoadWav(b, "seed.wav").Samples.empty(); }},
    {"FuzzIni", [](const std::string& b) { return TIniFile::ParseCp1251(b).ReadInteger("Main", "Sounds", 0) > 0; }},
    // Every byte picks a token, so any seed is a script the game runs.
    {"FuzzWorldScript", [](const std::string& b) { return !b.empty(); }},
    {"FuzzSave", [](const std::string& b) { return CheckSave(b), true; }},
};

}  // namespace

TEST(FuzzSeeds, EveryTargetHasASeedItsReaderAccepts) {
    std::string demo = DemoDataDir();
    if (demo.empty()) GTEST_SKIP() << "no demo data";
    std::vector<TSeedLine> lines = ReadSeedLines();
    for (const auto& entry : fs::directory_iterator(fs::path(RW_SOURCE_DIR) / "fuzz")) {
        if (entry.path().extension() != ".cpp") continue;
        std::string target = entry.path().stem().string();
        SCOPED_TRACE(target);
        auto line = std::find_if(lines.begin(), lines.end(), [&](const TSeedLine& l) { return l.Target == target; });
        ASSERT_NE(line, lines.end()) << "no line in fuzz/seeds.txt";
        ASSERT_TRUE(Readers.count(target)) << "no reader known to this test";
        if (line->Folder == "-") continue;
        int seeds = 0, accepted = 0;
        for (const auto& f : fs::recursive_directory_iterator(fs::path(demo) / line->Folder)) {
            if (!f.is_regular_file() || !SameText(f.path().extension().string(), line->Extension)) continue;
            // Longer seeds are cut to max_len by the fuzzer, as the test command leaves them out.
            if (f.file_size() > line->MaxLen) continue;
            std::ifstream in(f.path(), std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)), {});
            ++seeds;
            try {
                accepted += Readers.at(target)(bytes) ? 1 : 0;
            } catch (const EGameError& e) {
                ADD_FAILURE() << f.path() << ": " << e.what();
            }
        }
        EXPECT_GT(seeds, 0);
        EXPECT_GT(accepted, 0);
    }
}
