#pragma once
#include <optional>
#include <set>
#include <string>
#include <vector>

class TFileSystem;
class TScriptFile;
struct TScriptNode;
struct TScriptCommand;

// The script checker: finds mistakes in script files before the game meets them. The game itself never
// rejects a script (a misspelt command is a literal, a missing node runs nothing); these are the places
// where that leniency hides an author's mistake. rustwake-script prints what it finds, and the game in
// debug mode lists it in the editor panel when a changed script is reloaded.

// One finding, where it is and how grave.
struct TCheckMessage {
    std::string File, Node, Key;  // Node and Key empty when the finding is about the whole file
    bool Error = false;           // else a warning
    std::string Text;
    // "file:node:key: warning|error: text", "-" for an empty place.
    std::string Line() const;
};

// What a data folder holds for the names scripts use (PLAYSOUND, STARTDIALOG, CHANGEHEAD, LOADMAP).
struct TDataNames {
    std::set<std::string> Waves, Heads;  // upper-cased
    const TFileSystem* Files = nullptr;
};
// The waves and portraits the game loads from a data folder's game.ini; none without one.
void ReadDataNames(const TFileSystem& files, TDataNames& names);

class TScriptChecker {
public:
    int Errors = 0, Warnings = 0;
    std::vector<TCheckMessage> Messages;  // in the order found
    // With the data folder's names, the names scripts use are looked up too.
    const TDataNames* Data = nullptr;

    void Report(const std::string& file, const std::string& node, const std::string& key, bool error,
                const std::string& text);
    // One script file's bytes as they are on disk; `shownName` names it in the findings.
    void CheckScript(const std::string& shownName, const std::string& bytes);

private:
    void CheckRepeats(const std::string& file, const std::string& bytes);
    static std::optional<int> Leftover(const TScriptNode& node);
    static std::optional<int> StartDepth(const TScriptFile& script, const std::string& name);
    void CheckEncoding(const std::string& file, const std::string& bytes);
    void CheckNode(const std::string& file, const TScriptFile& script, const std::string& name,
                   const TScriptNode& node);
    void CheckOperand(const std::string& file, const TScriptFile& script, const std::string& name,
                      const TScriptNode& node, size_t i, const std::vector<std::string>& tokens,
                      const TScriptCommand& command);
    void CheckLiteral(const std::string& file, const TScriptFile& script, const std::string& name,
                      const TScriptNode& node, size_t i, const std::vector<std::string>& tokens);
};
