#include "script/ScriptCheck.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

#include "base/FileSystem.h"
#include "base/Ini.h"
#include "base/Text.h"
#include "script/Commands.h"
#include "script/Script.h"

namespace {

const char* const Events[] = {"OnCreate", "OnDestroy", "OnClick", "OnHit", "OnDie", "OnTimer"};

const TScriptCommand* FindCommand(const std::string& word) {
    return FindScriptCommand(word);
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

// The first Cyrillic letter of a word, named for the reader: "letter 'А' is Cyrillic (U+0410)".
std::string CyrillicLetter(const std::string& utf8) {
    for (size_t i = 0; i < utf8.size();) {
        const size_t start = i;
        const char32_t c = DecodeUtf8(utf8, i);
        if (c >= 0x400 && c <= 0x4FF) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", unsigned(c));
            return "letter '" + utf8.substr(start, i - start) + "' is Cyrillic (" + code + ")";
        }
    }
    return {};
}

// Names authors give events that the game does not know, and the event meant.
const std::pair<const char*, const char*> EventSynonyms[] = {
    {"OnDeath", "OnDie"},    {"OnDead", "OnDie"},       {"OnKill", "OnDie"},       {"OnKilled", "OnDie"},
    {"OnStart", "OnCreate"}, {"OnInit", "OnCreate"},    {"OnLoad", "OnCreate"},    {"OnSpawn", "OnCreate"},
    {"OnUse", "OnClick"},    {"OnTouch", "OnClick"},    {"OnPress", "OnClick"},    {"OnActivate", "OnClick"},
    {"OnDamage", "OnHit"},   {"OnHurt", "OnHit"},       {"OnShot", "OnHit"},       {"OnTick", "OnTimer"},
    {"OnTime", "OnTimer"},   {"OnRemove", "OnDestroy"}, {"OnDelete", "OnDestroy"}, {"OnDestruct", "OnDestroy"},
};

// Commands whose last operand must be a number.
bool NeedsNumber(std::string_view word) {
    static const std::set<std::string_view> words = {
        "ADD",       "SUB",       "MUL",     "DIV",     "MOD",    "G",       "L",        "GE",        "LE",
        "RND",       "SETTIMER",  "GETGVAR", "GETLVAR", "SETHP",  "SETAMMO", "SETDIR",   "SETSCROLL", "GOTOXY",
        "MOVETO",    "FIRE",      "GETHP",   "GETAMMO", "GETDIR", "STOP",    "STOPFIRE", "MAKEDEAD",  "GETVIS",
        "GETVICTIM", "SETVICTIM", "SETVIS",  "DIST",    "GETX",   "GETY"};
    return words.count(word) > 0;
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
    for (const TScriptCommand& c : ScriptCommands()) {
        const std::string word(c.Word);
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

}  // namespace

std::string TCheckMessage::Line() const {
    return File + ':' + (Node.empty() ? "-" : Node) + ':' + (Key.empty() ? "-" : Key) + ": " +
           (Error ? "error" : "warning") + ": " + Text;
}

void TScriptChecker::Report(const std::string& file, const std::string& node, const std::string& key, bool error,
                            const std::string& text) {
    (error ? Errors : Warnings)++;
    Messages.push_back(TCheckMessage{file, node, key, error, text});
}

void TScriptChecker::CheckScript(const std::string& shownName, const std::string& bytes) {
    CheckEncoding(shownName, bytes);
    CheckRepeats(shownName, bytes);
    const TScriptFile file = TScriptFile::Parse(bytes);
    for (const auto& [name, node] : file.Nodes) CheckNode(shownName, file, name, node);
}

// A repeated node is never run, and a repeated key runs its first line's value again.
void TScriptChecker::CheckRepeats(const std::string& file, const std::string& bytes) {
    const TIniFile ini = TIniFile::ParseCp1251(bytes);
    for (const TIniSection& section : ini.Sections()) {
        if (ini.FindSection(section.Name) != &section) {
            Report(file, section.Name, "", true,
                   "node " + section.Name + " appears twice; the game runs only the first");
            continue;
        }
        std::set<std::string> seen;
        for (const auto& [key, value] : section.Entries)
            if (!seen.insert(LowerCase(key)).second)
                Report(file, section.Name, key, true,
                       "key " + key + " appears twice in the node; its second line runs the first one's value");
    }
}

// What a node's straight path leaves on the stack; none when a jump or a call breaks it.
std::optional<int> TScriptChecker::Leftover(const TScriptNode& node) {
    int depth = 0;
    for (const std::string& value : node.Values) {
        const TScriptCommand* command = FindCommand(AsciiUpper(value));
        if (!command) {
            ++depth;
            continue;
        }
        if (command->LeavesPath) return std::nullopt;
        depth = std::max(0, depth - command->Takes) + command->Leaves;
    }
    return depth;
}

// The values an event certainly finds on the stack the first time it runs: none for
// OnCreate; for the others what OnCreate leaves, unless another node may leave more.
std::optional<int> TScriptChecker::StartDepth(const TScriptFile& script, const std::string& name) {
    if (SameText(name, "OnCreate")) return 0;
    int start = 0;
    for (const auto& [other, node] : script.Nodes) {
        if (SameText(other, name)) continue;
        const std::optional<int> left = Leftover(node);
        if (!left) return std::nullopt;
        if (SameText(other, "OnCreate"))
            start = *left;
        else if (*left > 0)
            return std::nullopt;
    }
    return start;
}

void TScriptChecker::CheckEncoding(const std::string& file, const std::string& bytes) {
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0)
        Report(file, "", "", false, "starts with a UTF-8 byte-order mark; save it as Windows-1251 text");
    if (LooksLikeUtf8Letters(bytes))
        Report(file, "", "", true,
               "is UTF-8 text; the game reads Windows-1251, so its letters would show garbled "
               "(save it as Windows-1251)");
}

void TScriptChecker::CheckNode(const std::string& file, const TScriptFile& script, const std::string& name,
                               const TScriptNode& node) {
    if (!IsEvent(name)) {
        const char* meant = nullptr;
        for (const char* e : Events)
            if (Distance(LowerCase(name), LowerCase(e)) <= 2 && !script.FindNode(e)) {
                meant = e;
                break;
            }
        for (const auto& [synonym, e] : EventSynonyms)
            if (!meant && SameText(name, synonym) && !script.FindNode(e)) meant = e;
        if (meant)
            Report(file, name, "", false,
                   std::string("node is named like an event but is none: did you mean ") + meant + "?");
    }

    // Labels that jumps name: a straight path through the node ends at them.
    std::set<std::string> jumpTargets;
    std::vector<std::string> tokens;
    for (const std::string& value : node.Values) tokens.push_back(AsciiUpper(value));
    for (size_t i = 1; i < tokens.size(); ++i)
        if (const TScriptCommand* command = FindCommand(tokens[i]); command && command->Jumps)
            jumpTargets.insert(LowerCase(tokens[i - 1]));

    const std::optional<int> start = StartDepth(script, name);
    int depth = start.value_or(0);
    bool straight = IsEvent(name) && start.has_value();
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        const std::string& key = node.Keys[i];
        if (jumpTargets.count(LowerCase(key))) straight = false;
        const TScriptCommand* command = FindCommand(token);
        const bool previousIsLiteral = i > 0 && !FindCommand(tokens[i - 1]);
        const std::string& value = node.Values[i];
        if (Trim(value).empty()) Report(file, name, key, false, "the value is empty: the step pushes an empty text");
        for (size_t at = value.find(';'); at != std::string::npos; at = value.find(';', at + 1))
            if (at > 0 && (value[at - 1] == ' ' || value[at - 1] == '\t')) {
                Report(file, name, key, false,
                       "\"" + value + "\" is one value, comment and all: a comment takes a whole line");
                break;
            }
        if (command && previousIsLiteral) CheckOperand(file, script, name, node, i, tokens, *command);
        if (!command) {
            CheckLiteral(file, script, name, node, i, tokens);
            ++depth;
            continue;
        }
        if (straight && command->Takes > depth)
            Report(file, name, key, true,
                   token + " takes " + std::to_string(command->Takes) + (command->Takes == 1 ? " value" : " values") +
                       " but the steps before it leave at most " + std::to_string(depth) + " on the stack");
        depth = std::max(0, depth - command->Takes) + command->Leaves;
        if (command->Jumps && previousIsLiteral && node.FindLabel(tokens[i - 1]) < 0)
            Report(file, name, key, true, token + " to label " + tokens[i - 1] + ", which this node lacks");
        if (command->Calls && previousIsLiteral && !script.FindNode(tokens[i - 1]))
            Report(file, name, key, true, token + " of node " + tokens[i - 1] + ", which this file lacks");
        if (command->Answers && previousIsLiteral && !script.FindNode(tokens[i - 1]))
            Report(file, name, key, false, "the answer runs node " + tokens[i - 1] + ", which this file lacks");
        // Control leaves the straight path: what follows may be reached with any stack.
        if (command->LeavesPath) straight = false;
    }
}

// The literal pushed just before a command, as the command will read it.
void TScriptChecker::CheckOperand(const std::string& file, const TScriptFile& script, const std::string& name,
                                  const TScriptNode& node, size_t i, const std::vector<std::string>& tokens,
                                  const TScriptCommand& command) {
    const std::string& literal = tokens[i - 1];
    const std::string& key = node.Keys[i];
    const std::string word(command.Word);
    const bool isName = script.FindNode(literal) || node.FindLabel(literal) >= 0;
    const auto number = TryStrToInt(literal);
    if (NeedsNumber(word) && !number && !isName)
        Report(file, name, key, true,
               word + " needs a number, but the step before pushes \"" + node.Values[i - 1] + "\": it stops with '" +
                   literal + "' is not a valid integer value");
    if ((word == "DIV" || word == "MOD") && number && *number == 0)
        Report(file, name, key, true, word + " by the literal 0: the division by zero stops the event");
    if (!Data) return;
    auto missing = [&](const std::string& what) { Report(file, name, key, true, what); };
    if (word == "PLAYSOUND" && !Data->Waves.count(literal))
        missing("PLAYSOUND of wave " + literal + ", which the data folder's game.ini does not load");
    if (word == "STARTDIALOG" && !Data->Heads.count(literal))
        missing("STARTDIALOG with portrait " + literal + ", which [Heads] of game.ini lacks");
    if (word == "LOADMAP" && !Data->Files->Exists("data\\locations\\" + literal + ".map"))
        missing("LOADMAP of " + literal + ", which has no file data/locations/" + LowerCase(literal) + ".map");
    if (word == "CHANGEHEAD" && i >= 2 && !FindCommand(tokens[i - 2]) && !Data->Heads.count(tokens[i - 2]))
        missing("CHANGEHEAD to portrait " + tokens[i - 2] + ", which [Heads] of game.ini lacks");
}

void TScriptChecker::CheckLiteral(const std::string& file, const TScriptFile& script, const std::string& name,
                                  const TScriptNode& node, size_t i, const std::vector<std::string>& tokens) {
    const std::string& token = tokens[i];
    const std::string& value = node.Values[i];
    const std::string& key = node.Keys[i];
    // Node names, labels and what a name- or text-taking command consumes are not misspelt commands.
    // `mask` picks the operand a literal would be for the command `ahead` steps after it.
    auto operandOf = [&](size_t ahead, uint8_t TScriptCommand::*mask) {
        if (i + ahead >= tokens.size()) return false;
        const TScriptCommand* command = FindCommand(tokens[i + ahead]);
        return command && (command->*mask & (1u << (ahead - 1))) != 0;
    };
    const bool isName = script.FindNode(token) || node.FindLabel(token) >= 0;
    const bool operand = operandOf(1, &TScriptCommand::Names) || operandOf(1, &TScriptCommand::Texts) ||
                         operandOf(2, &TScriptCommand::Names) || operandOf(2, &TScriptCommand::Texts);
    if (!isName && !operand) {
        const std::string meant = MeantCommand(token);
        if (!meant.empty()) {
            const std::string cyrillic = CyrillicLetter(value);
            Report(file, name, key, true,
                   "\"" + value + "\" is not a command and is pushed as a text: did you mean " + meant + "?" +
                       (cyrillic.empty() ? "" : " (" + cyrillic + ")"));
            return;
        }
    }
    if (value == token || isName) return;
    // Names the game looks up without regard to case lose nothing by being upper-cased.
    if (operandOf(1, &TScriptCommand::Names) || operandOf(2, &TScriptCommand::Names)) return;
    Report(file, name, key, false,
           "\"" + value + "\" has lower-case Latin letters; the game reads it as \"" + token + "\"");
}

// The waves and portraits the game loads from a data folder's game.ini.
void ReadDataNames(const TFileSystem& files, TDataNames& names) {
    names.Files = &files;
    if (!files.Exists("data\\data\\game.ini")) return;
    const TIniFile ini = TIniFile::ParseCp1251(files.ReadFile("data\\data\\game.ini"));
    names.Waves.insert("PLAYER_FIRE");
    for (int n = 1; n <= 12; ++n) names.Waves.insert("RICO" + std::to_string(n));
    for (int k = 0; k < ini.ReadInteger("Main", "Sounds", 0) && k < 4096; ++k)
        names.Waves.insert(AsciiUpper(ini.ReadString("Sounds", "Sound" + std::to_string(k), "")));
    for (int t = 0; t < ini.ReadInteger("Main", "HitTypes", 0) && t < 4096; ++t) {
        const std::string type = ini.ReadString("HitTypes", "Type" + std::to_string(t), "");
        const std::string sound = ini.ReadString(type, "sound", "");
        for (int n = 1; n <= 3 && !sound.empty(); ++n) names.Waves.insert(AsciiUpper(sound + std::to_string(n)));
    }
    for (int k = 0; k < ini.ReadInteger("Main", "Heads", 0) && k < 4096; ++k)
        names.Heads.insert(AsciiUpper(ini.ReadString("Heads", "Head" + std::to_string(k), "")));
}
