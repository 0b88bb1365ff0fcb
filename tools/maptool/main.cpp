// rustwake-map: looks into location files without starting the game.
//   rustwake-map info FILE    a JSON summary of the location
//   rustwake-map check FILE   exit 0 for a sound file, 1 with the reason otherwise
// Anything else prints the usage and exits with status 2.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "base/Errors.h"
#include "base/Json.h"
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

std::string Info(const TMapData& map) {
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
    return TJsonObject("")
        .Text("PatternName", map.PatternName)
        .Text("MapScript", map.MapScript)
        .Int("CritterCount", (long long)map.Critters.size())
        .Int("ObjectCount", (long long)map.Objects.size())
        .Int("WalkBlockedCells", walkBlocked)
        .Int("ShootBlockedCells", shootBlocked)
        .Field("Critters", Array(critters, "  "))
        .Field("Objects", Array(objects, "  "))
        .Str();
}

const char UsageText[] =
    "usage: rustwake-map info FILE    print a JSON summary of a location file\n"
    "       rustwake-map check FILE   exit 0 when the file is sound, 1 with the reason when not\n"
    "       rustwake-map --help       show this text\n";

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
    if (argc != 3) return Usage();
    const std::string command = argv[1], path = argv[2];
    if (command != "info" && command != "check") return Usage();

    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "Cannot open file \"" << path << "\"\n";
        return 1;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    try {
        TMapData map = ParseMap(bytes.str(), path);
        if (command == "info")
            std::cout << Info(map) << '\n';
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
