// rustwake-map: looks into location files without starting the game.
//   rustwake-map info FILE [--cells]   a JSON summary of the location, with --cells every cell that is not empty
//   rustwake-map check FILE            exit 0 for a sound file, 1 with the reason otherwise
//   rustwake-map render FILE OUT.png [--blocks] [--scale S] [--data DIR]   the location as a picture
// Anything else prints the usage and exits with status 2.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "Render.h"
#include "base/Errors.h"
#include "base/Os.h"
#include "base/Json.h"
#include "base/Text.h"
#include "world/MapFormat.h"

namespace {
std::string Quote(const std::string& s) { return JsonEscape(s); }

class TJsonObject {
public:
    explicit TJsonObject(std::string indent) : Indent(std::move(indent)) {}
    TJsonObject& Field(const char* name, const std::string& rawValue) {
        Body += (Body.empty() ? "" : ",\n") + Indent + "  " + Quote(name) + ": " + rawValue;
        return *this;
    }
    TJsonObject& Text(const char* name, const std::string& value) { return Field(name, Quote(value)); }
    TJsonObject& Int(const char* name, long long value) { return Field(name, std::to_string(value)); }
    std::string Str() const { return "{\n" + Body + "\n" + Indent + "}"; }

private:
    std::string Indent;
    std::string Body;
};

std::string Array(const std::vector<std::string>& items, const std::string& indent) {
    if (items.empty()) return "[]";
    std::string out = "[\n";
    for (size_t i = 0; i < items.size(); ++i) out += indent + "  " + items[i] + (i + 1 < items.size() ? ",\n" : "\n");
    return out + indent + "]";
}

// Every cell with a block, an animation number or a hit type.
std::string Cells(const TMapData& map) {
    std::vector<std::string> cells;
    for (int x = 0; x < MapCols; ++x)
        for (int y = 0; y < MapRows; ++y) {
            const TCell& c = map.Grid[size_t(x) * MapRows + size_t(y)];
            if (!c.WalkBlock && !c.ShootBlock && !c.WalkAnim && !c.HitType) continue;
            cells.push_back("{\"X\": " + std::to_string(x) + ", \"Y\": " + std::to_string(y) + ", \"WalkBlock\": " +
                            std::to_string(c.WalkBlock) + ", \"ShootBlock\": " + std::to_string(c.ShootBlock) +
                            ", \"WalkAnim\": " + std::to_string(c.WalkAnim) +
                            ", \"HitType\": " + std::to_string(c.HitType) + "}");
        }
    return Array(cells, "  ");
}

std::string Info(const TMapData& map, bool withCells) {
    int walkBlocked = 0, shootBlocked = 0;
    for (const TCell& cell : map.Grid) {
        walkBlocked += cell.WalkBlock != 0;
        shootBlocked += cell.ShootBlock != 0;
    }
    std::vector<std::string> critters, objects;
    for (const TMapCritter& c : map.Critters)
        critters.push_back(TJsonObject("    ")
                               .Text("Label", c.Label)
                               .Text("Skin", c.Skin)
                               .Int("StartX", c.StartX)
                               .Int("StartY", c.StartY)
                               .Int("Direction", c.Direction)
                               .Int("Invisible", c.Invisible)
                               .Int("Disabled", c.Disabled)
                               .Int("HP", c.HP)
                               .Int("DmgMax", c.DmgMax)
                               .Int("DmgMin", c.DmgMin)
                               .Text("ScriptName", c.ScriptName)
                               .Int("Accuracy", c.Accuracy)
                               .Str());
    for (const TMapObject& o : map.Objects)
        objects.push_back(TJsonObject("    ")
                              .Text("Label", o.Label)
                              .Text("ImageName", o.ImageName)
                              .Int("X", o.X)
                              .Int("Y", o.Y)
                              .Int("OffsetX", o.OffsetX)
                              .Int("OffsetY", o.OffsetY)
                              .Int("Invisible", o.Invisible)
                              .Int("Disabled", o.Disabled)
                              .Text("ScriptName", o.ScriptName)
                              .Str());
    TJsonObject info("");
    info.Text("PatternName", map.PatternName)
        .Text("MapScript", map.MapScript)
        .Int("CritterCount", (long long)map.Critters.size())
        .Int("ObjectCount", (long long)map.Objects.size())
        .Int("WalkBlockedCells", walkBlocked)
        .Int("ShootBlockedCells", shootBlocked)
        .Field("Critters", Array(critters, "  "))
        .Field("Objects", Array(objects, "  "));
    if (withCells) info.Field("Cells", Cells(map));
    return info.Str();
}

// The data folder for pictures: the one given, the one the file lies in
// (DIR/data/locations/FILE), else where the game itself would look (an
// installed tool finds the installed data in ../share/games/rustwake).
std::filesystem::path FindDataDir(const std::string& given, const std::string& mapFile) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!given.empty()) return given;
    const fs::path locations = fs::absolute(mapFile, ec).parent_path();
    if (SameText(locations.filename().string(), "locations") &&
        SameText(locations.parent_path().filename().string(), "data"))
        return locations.parent_path().parent_path();
    if (const fs::path bin = ExecutableDir(); !bin.empty())
        for (const fs::path& dir : {bin, bin / "demo", bin.parent_path() / "share" / "games" / "rustwake"})
            if (fs::is_directory(dir / "data", ec)) return dir;
    return fs::current_path(ec);
}

int Render(const TMapData& map, const std::string& mapFile, const std::string& out, const std::string& dataDir,
           const TRenderOptions& options) {
    std::vector<std::string> notes;
    const TBitmap picture = RenderLocation(map, FindDataDir(dataDir, mapFile), options, notes);
    for (const std::string& note : notes) std::cerr << "rustwake-map: " << note << '\n';
    std::ofstream file(out, std::ios::binary);
    const std::string png = SavePng(picture);
    if (!file.write(png.data(), std::streamsize(png.size()))) {
        std::cerr << "Cannot create file \"" << out << "\"\n";
        return 1;
    }
    return 0;
}

const char UsageText[] =
    "usage: rustwake-map info FILE [--cells]  print a JSON summary of a location file\n"
    "                                           (--cells: also every cell that is not empty)\n"
    "       rustwake-map check FILE   exit 0 when the file is sound, 1 with the reason when not\n"
    "       rustwake-map render FILE OUT.png [--blocks] [--scale S] [--data DIR]\n"
    "                                 draw the location as the game shows it at rest\n"
    "                                 (--blocks: walk and shoot blocks and hit types over it)\n"
    "       rustwake-map --help       show this text\n"
    "       rustwake-map --version    print the version\n";

int Usage() {
    std::cerr << UsageText;
    return 2;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::cout << UsageText;
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::cout << "rustwake-map " << RW_VERSION << '\n';
        return 0;
    }
    if (argc < 3) return Usage();
    const std::string command = argv[1], path = argv[2];
    if (command != "info" && command != "check" && command != "render") return Usage();
    // Options after FILE (render: after OUT.png).
    std::string out, dataDir;
    bool cells = false;
    TRenderOptions renderOptions;
    int next = 3;
    if (command == "render") {
        if (argc < 4) return Usage();
        out = argv[next++];
    }
    for (; next < argc; ++next) {
        const std::string a = argv[next];
        if (a == "--cells" && command == "info") {
            cells = true;
        } else if (a == "--blocks" && command == "render") {
            renderOptions.Blocks = true;
        } else if ((a == "--scale" || a == "--data") && command == "render" && next + 1 < argc) {
            const std::string value = argv[++next];
            if (a == "--data") {
                dataDir = value;
                continue;
            }
            char* end = nullptr;
            renderOptions.Scale = std::strtod(value.c_str(), &end);
            if (*end || !(renderOptions.Scale > 0 && renderOptions.Scale <= 8)) {
                std::cerr << "rustwake-map: --scale takes a number above 0 and up to 8, not \"" << value << "\"\n";
                return 2;
            }
        } else {
            return Usage();
        }
    }

    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "Cannot open file \"" << path << "\"\n";
        return 1;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    try {
        TMapData map = ParseMap(bytes.str(), path);
        if (command == "render") return Render(map, path, out, dataDir, renderOptions);
        if (command == "info")
            std::cout << Info(map, cells) << '\n';
        else
            std::cout << path << ": sound, " << map.Critters.size()
                      << (map.Critters.size() == 1 ? " critter, " : " critters, ") << map.Objects.size()
                      << (map.Objects.size() == 1 ? " object\n" : " objects\n");
    } catch (const EGameError& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
