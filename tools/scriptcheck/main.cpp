// rustwake-script: finds mistakes in script files before the game meets them.
//   rustwake-script check [--data DIR] FILE|DIR...
// One line per problem, "file:node:key: warning|error: text"; exit status 1
// when any error was found. The game itself never rejects a script: a
// misspelt command is a literal, a missing node runs nothing. These are the
// places where that leniency hides an author's mistake.
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "base/FileSystem.h"
#include "base/Text.h"
#include "script/Script.h"
#include "world/MapFormat.h"

namespace fs = std::filesystem;

namespace {

// Operands taken and values left by each command word.
struct TCommandShape {
    const char* Word;
    int Pops, Pushes;
};

constexpr std::array<TCommandShape, 54> Commands = {{
    {"SETTIMER", 1, 0},   {"DISABLETIMER", 0, 0}, {"ADD", 2, 1},      {"SUB", 2, 1},         {"MUL", 2, 1},
    {"DIV", 2, 1},        {"MOD", 2, 1},          {"EQU", 2, 1},      {"NOT", 1, 1},         {"G", 2, 1},
    {"L", 2, 1},          {"GE", 2, 1},           {"LE", 2, 1},       {"SELF", 0, 1},        {"SELFTYPE", 0, 1},
    {"GOTO", 1, 0},       {"IFGOTO", 2, 0},       {"CALL", 1, 0},     {"IFCALL", 2, 0},      {"RND", 1, 1},
    {"DIST", 4, 1},       {"GETGVAR", 1, 1},      {"SETGVAR", 2, 0},  {"GETLVAR", 1, 1},     {"SETLVAR", 2, 0},
    {"GOTOXY", 3, 0},     {"MOVETO", 3, 0},       {"FIRE", 3, 0},     {"STOPFIRE", 1, 0},    {"STOP", 1, 0},
    {"ADDCONSOLE", 1, 0}, {"STARTDIALOG", 1, 0},  {"QUESTION", 1, 0}, {"ANSWER", 2, 0},      {"ENDDIALOG", 0, 0},
    {"PLAYSOUND", 1, 0},  {"CHANGEHEAD", 2, 0},   {"GETX", 2, 1},     {"GETY", 2, 1},        {"GETHP", 1, 1},
    {"SETHP", 2, 0},      {"GETAMMO", 1, 1},      {"SETAMMO", 2, 0},  {"LOADMAP", 1, 0},     {"SETSCROLL", 2, 0},
    {"SETDIR", 2, 0},     {"GETDIR", 1, 1},       {"DISABLE", 3, 0},  {"SETVICTIM", 2, 0},   {"GETVICTIM", 1, 1},
    {"GETVIS", 1, 1},     {"SETVIS", 2, 0},       {"MAKEDEAD", 1, 0}, {"SHOWCREDITS", 0, 0},
}};

const char* const Events[] = {"OnCreate", "OnDestroy", "OnClick", "OnHit", "OnDie", "OnTimer"};

const TCommandShape* FindCommand(const std::string& word) {
    for (const TCommandShape& c : Commands)
        if (word == c.Word) return &c;
    return nullptr;
}

// Edits between two words; a swap of neighbours counts as one.
size_t Distance(const std::string& a, const std::string& b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

bool LatinWord(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

// Cyrillic letters that look like Latin capitals: the game's upper-casing
// does not touch them, so "АDD" with a Cyrillic А never reaches ADD.
std::string LatinLookalikes(const std::string& utf8) {
    static const std::map<char32_t, char> look = {
        {U'А', 'A'}, {U'В', 'B'}, {U'Е', 'E'}, {U'К', 'K'}, {U'М', 'M'}, {U'Н', 'H'}, {U'О', 'O'}, {U'Р', 'P'},
        {U'С', 'C'}, {U'Т', 'T'}, {U'Х', 'X'}, {U'У', 'Y'}, {U'а', 'A'}, {U'е', 'E'}, {U'к', 'K'}, {U'м', 'M'},
        {U'н', 'H'}, {U'о', 'O'}, {U'р', 'P'}, {U'с', 'C'}, {U'т', 'T'}, {U'х', 'X'}, {U'у', 'Y'}};
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        char32_t c = DecodeUtf8(utf8, i);
        if (c < 0x80) {
            out += char(c >= 'a' && c <= 'z' ? c - 32 : c);
        } else if (auto it = look.find(c); it != look.end()) {
            out += it->second;
        } else {
            return {};
        }
    }
    return out;
}

// The command a literal was probably meant to be.
std::string MeantCommand(const std::string& literal) {
    bool ascii = std::all_of(literal.begin(), literal.end(), [](char c) { return (unsigned char)c < 0x80; });
    if (!ascii) {
        std::string latin = LatinLookalikes(literal);
        return FindCommand(latin) ? latin : std::string();
    }
    if (!LatinWord(literal) || literal.size() < 2) return {};
    std::string best;
    size_t bestDistance = 3;
    for (const TCommandShape& c : Commands) {
        const std::string word = c.Word;
        const size_t allowed = word.size() <= 4 ? 1 : 2;
        const size_t d = Distance(literal, word);
        if (d <= allowed && d < bestDistance) {
            best = word;
            bestDistance = d;
        }
    }
    return best;
}

bool IsEvent(const std::string& name) {
    return std::any_of(std::begin(Events), std::end(Events), [&](const char* e) { return SameText(name, e); });
}

class TChecker {
public:
    int Errors = 0, Warnings = 0;

    void Report(const std::string& file, const std::string& node, const std::string& key, bool error,
                const std::string& text) {
        (error ? Errors : Warnings)++;
        std::cout << file << ':' << (node.empty() ? "-" : node) << ':' << (key.empty() ? "-" : key) << ": "
                  << (error ? "error" : "warning") << ": " << text << '\n';
    }

    void CheckScript(const std::string& shownName, const std::string& bytes) {
        CheckEncoding(shownName, bytes);
        const TScriptFile file = TScriptFile::Parse(bytes);
        for (const auto& [name, node] : file.Nodes) CheckNode(shownName, file, name, node);
    }

private:
    void CheckEncoding(const std::string& file, const std::string& bytes) {
        if (bytes.rfind("\xEF\xBB\xBF", 0) == 0)
            Report(file, "", "", false, "starts with a UTF-8 byte-order mark; save it as Windows-1251 text");
        if (LooksLikeUtf8Letters(bytes))
            Report(file, "", "", true,
                   "is UTF-8 text; the game reads Windows-1251, so its letters would show garbled "
                   "(save it as Windows-1251)");
    }

    void CheckNode(const std::string& file, const TScriptFile& script, const std::string& name,
                   const TScriptNode& node) {
        if (!IsEvent(name))
            for (const char* e : Events)
                if (Distance(LowerCase(name), LowerCase(e)) <= 2 && !script.FindNode(e)) {
                    Report(file, name, "", false,
                           std::string("node is named like an event but is none: did you mean ") + e + "?");
                    break;
                }

        // Labels that jumps name: a straight path through the node ends at them.
        std::set<std::string> jumpTargets;
        std::vector<std::string> tokens;
        for (const std::string& value : node.Values) tokens.push_back(AsciiUpper(value));
        for (size_t i = 1; i < tokens.size(); ++i)
            if (tokens[i] == "GOTO" || tokens[i] == "IFGOTO") jumpTargets.insert(LowerCase(tokens[i - 1]));

        int depth = 0;
        bool straight = IsEvent(name);
        for (size_t i = 0; i < tokens.size(); ++i) {
            const std::string& token = tokens[i];
            const std::string& key = node.Keys[i];
            if (jumpTargets.count(LowerCase(key))) straight = false;
            const TCommandShape* command = FindCommand(token);
            const bool previousIsLiteral = i > 0 && !FindCommand(tokens[i - 1]);
            if (!command) {
                CheckLiteral(file, script, name, node, i, tokens);
                ++depth;
                continue;
            }
            if (straight && command->Pops > depth)
                Report(file, name, key, true,
                       token + " takes " + std::to_string(command->Pops) + (command->Pops == 1 ? " value" : " values") +
                           " but the steps before it leave at most " + std::to_string(depth) + " on the stack");
            depth = std::max(0, depth - command->Pops) + command->Pushes;
            const std::string word = command->Word;
            if ((word == "GOTO" || word == "IFGOTO") && previousIsLiteral && node.FindLabel(tokens[i - 1]) < 0)
                Report(file, name, key, true, word + " to label " + tokens[i - 1] + ", which this node lacks");
            if ((word == "CALL" || word == "IFCALL") && previousIsLiteral && !script.FindNode(tokens[i - 1]))
                Report(file, name, key, true, word + " of node " + tokens[i - 1] + ", which this file lacks");
            if (word == "ANSWER" && previousIsLiteral && !script.FindNode(tokens[i - 1]))
                Report(file, name, key, false, "the answer runs node " + tokens[i - 1] + ", which this file lacks");
            // Control leaves the straight path: what follows may be reached with any stack.
            if (word == "GOTO" || word == "IFGOTO" || word == "CALL" || word == "IFCALL" || word == "SHOWCREDITS")
                straight = false;
        }
    }

    void CheckLiteral(const std::string& file, const TScriptFile& script, const std::string& name,
                      const TScriptNode& node, size_t i, const std::vector<std::string>& tokens) {
        const std::string& token = tokens[i];
        const std::string& value = node.Values[i];
        const std::string& key = node.Keys[i];
        // Node names, labels and what a name- or text-taking command consumes are not misspelt commands.
        static const std::set<std::string> takesName = {"LOADMAP", "PLAYSOUND", "STARTDIALOG", "CALL",    "IFCALL",
                                                        "GOTO",    "IFGOTO",    "ADDCONSOLE",  "QUESTION"};
        const bool isName = script.FindNode(token) || node.FindLabel(token) >= 0;
        const bool operand = (i + 1 < tokens.size() && (takesName.count(tokens[i + 1]) || tokens[i + 1] == "ANSWER")) ||
                             (i + 2 < tokens.size() && (tokens[i + 2] == "ANSWER" || tokens[i + 2] == "CHANGEHEAD"));
        if (!isName && !operand) {
            const std::string meant = MeantCommand(token);
            if (!meant.empty()) {
                Report(file, name, key, true,
                       "\"" + value + "\" is not a command and is pushed as a text: did you mean " + meant + "?");
                return;
            }
        }
        if (value == token || isName) return;
        // Names the game looks up without regard to case lose nothing by being upper-cased.
        static const std::set<std::string> caseFree = {"LOADMAP", "PLAYSOUND", "STARTDIALOG", "CALL",
                                                       "IFCALL",  "GOTO",      "IFGOTO"};
        if (i + 1 < tokens.size() && caseFree.count(tokens[i + 1])) return;
        if (i + 2 < tokens.size() && tokens[i + 2] == "CHANGEHEAD") return;
        Report(file, name, key, false,
               "\"" + value + "\" has lower-case Latin letters; the game reads it as \"" + token + "\"");
    }
};

// The list file's names, one a line, as the game reads them; none when it is missing.
std::vector<std::string> ReadList(const TFileSystem& files, const std::string& path) {
    return files.Exists(path) ? ReadListFile(files, path) : std::vector<std::string>{};
}

std::string Quoted(const std::string& label) {
    return label.empty() ? "" : " \"" + label + "\"";
}

// The locations of a data folder: every script and picture they name must exist.
void CheckLocations(TChecker& checker, const TFileSystem& files, const std::string& shownRoot) {
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

    TChecker checker;
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
        TFileSystem files(dataDir);
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
    std::cerr << checker.Errors << (checker.Errors == 1 ? " error, " : " errors, ") << checker.Warnings
              << (checker.Warnings == 1 ? " warning\n" : " warnings\n");
    return checker.Errors ? 1 : 0;
}
