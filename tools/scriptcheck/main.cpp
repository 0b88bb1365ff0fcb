// rustwake-script: finds mistakes in script files before the game meets them.
//   rustwake-script check [--data DIR] FILE|DIR...
// One line per problem, "file:node:key: warning|error: text"; exit status 1
// when any error was found. The checks themselves are the game's
// (script/ScriptCheck.h); the locations' names are looked up here.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "base/FileSystem.h"
#include "base/Text.h"
#include "script/ScriptCheck.h"
#include "world/MapFormat.h"

namespace fs = std::filesystem;

namespace {

// The list file's names, one a line, as the game reads them; none when it is missing.
std::vector<std::string> ReadList(const TFileSystem& files, const std::string& path) {
    return files.Exists(path) ? ReadListFile(files, path) : std::vector<std::string>{};
}

std::string Quoted(const std::string& label) {
    return label.empty() ? "" : " \"" + label + "\"";
}

// The locations of a data folder: every script and picture they name must exist.
void CheckLocations(TScriptChecker& checker, const TFileSystem& files, const std::string& shownRoot) {
    const auto critters = ReadList(files, "data\\Images\\Critters\\Critters.lst");
    const auto objects = ReadList(files, "data\\Images\\Objects\\Objects.lst");
    const auto locations = ReadList(files, "data\\Images\\Locations\\Locations.lst");
    for (const std::string& mapName : files.ListFiles("data\\locations", ".map")) {
        const std::string gamePath = "data\\locations\\" + mapName;
        const std::string shown = shownRoot + "data/locations/" + mapName;
        TMapData map;
        try {
            map = ParseMap(files.ReadFile(gamePath), shown);
        } catch (const EGameError& e) {
            checker.Report(shown, "", "", true, e.what());
            continue;
        }
        auto script = [&](const std::string& what, const std::string& scriptName) {
            if (!files.Exists("data\\scripts\\" + scriptName + ".sc"))
                checker.Report(shown, what, "script", true,
                               "script \"" + scriptName + "\" has no file data/scripts/" + scriptName + ".sc");
        };
        if (!ListHas(locations, map.PatternName))
            checker.Report(shown, "location", "pattern", true,
                           "picture \"" + map.PatternName + "\" is not in Locations.lst");
        if (!map.MapScript.empty()) script("location", map.MapScript);
        for (size_t i = 0; i < map.Critters.size(); ++i) {
            const TMapCritter& c = map.Critters[i];
            const std::string what = "critter " + std::to_string(i) + Quoted(c.Label);
            if (!ListHas(critters, c.Skin + "_idle"))
                checker.Report(shown, what, "skin", true, "picture \"" + c.Skin + "_idle\" is not in Critters.lst");
            // An empty script name is how a critter is left without events.
            if (!c.ScriptName.empty()) script(what, c.ScriptName);
        }
        for (size_t i = 0; i < map.Objects.size(); ++i) {
            const TMapObject& o = map.Objects[i];
            const std::string what = "object " + std::to_string(i) + Quoted(o.Label);
            if (!ListHas(objects, o.ImageName))
                checker.Report(shown, what, "picture", true, "picture \"" + o.ImageName + "\" is not in Objects.lst");
            script(what, o.ScriptName.empty() ? "obj_def" : o.ScriptName);
        }
    }
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EGameError("Cannot open file \"" + path.string() + "\"");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

const char UsageText[] =
    "usage: rustwake-script check [--data DIR] FILE|DIR...\n"
    "       rustwake-script --help | --version\n"
    "  checks script files (a folder: its .sc files); with --data also every script of\n"
    "  DIR/data/scripts and the scripts and pictures the locations of DIR name.\n"
    "  Prints file:node:key: warning|error: text; exit status 1 when an error was found.\n";

int Usage() {
    std::cerr << UsageText;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--help") {
        std::cout << UsageText;
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "rustwake-script " << RW_VERSION << '\n';
        return 0;
    }
    if (args.empty() || args[0] != "check") return Usage();
    std::string dataDir;
    std::vector<std::string> paths;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--data") {
            if (++i >= args.size()) return Usage();
            dataDir = args[i];
        } else if (args[i] == "--help" || args[i] == "-h") {
            std::cout << UsageText;
            return 0;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            return Usage();
        } else {
            paths.push_back(args[i]);
        }
    }
    if (dataDir.empty() && paths.empty()) return Usage();

    TScriptChecker checker;
    TDataNames dataNames;
    std::optional<TFileSystem> dataFiles;  // lives as long as the checks that look into it
    auto checkFile = [&](const fs::path& path) {
        try {
            checker.CheckScript(path.string(), ReadBytes(path));
        } catch (const EGameError& e) {
            checker.Report(path.string(), "", "", true, e.what());
        }
    };
    // Files are named as the folder was given, so the lines point where the author looks.
    auto checkFolder = [&](const fs::path& dir, const fs::path& shown) {
        std::vector<std::string> scripts;
        std::error_code ec;
        for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
            if (SameText(it->path().extension().string(), ".sc")) scripts.push_back(it->path().filename().string());
        std::sort(scripts.begin(), scripts.end());
        for (const std::string& s : scripts) {
            try {
                checker.CheckScript((shown / s).string(), ReadBytes(dir / s));
            } catch (const EGameError& e) {
                checker.Report((shown / s).string(), "", "", true, e.what());
            }
        }
    };

    if (!dataDir.empty()) {
        std::error_code ec;
        if (!fs::is_directory(fs::path(dataDir) / "data", ec)) {
            std::cerr << "rustwake-script: no data folder in \"" << dataDir << "\"\n";
            return 2;
        }
        dataFiles.emplace(dataDir);
        TFileSystem& files = *dataFiles;
        ReadDataNames(files, dataNames);
        checker.Data = &dataNames;
        std::string shownRoot = dataDir;
        if (shownRoot.back() != '/') shownRoot += '/';
        checkFolder(files.Resolve("data\\scripts"), fs::path(shownRoot) / "data" / "scripts");
        CheckLocations(checker, files, shownRoot);
    }
    for (const std::string& p : paths) {
        std::error_code ec;
        if (fs::is_directory(p, ec))
            checkFolder(p, p);
        else
            checkFile(p);
    }
    for (const TCheckMessage& m : checker.Messages) std::cout << m.Line() << '\n';
    std::cerr << checker.Errors << (checker.Errors == 1 ? " error, " : " errors, ") << checker.Warnings
              << (checker.Warnings == 1 ? " warning\n" : " warnings\n");
    return checker.Errors ? 1 : 0;
}
