#include <unordered_map>

#include "base/Ini.h"
#include "base/Text.h"
#include "script/Commands.h"
#include "script/Script.h"

const TScriptCommand* FindScriptCommand(std::string_view upperWord) {
    static const std::unordered_map<std::string_view, const TScriptCommand*> byWord = [] {
        std::unordered_map<std::string_view, const TScriptCommand*> words;
        for (const TScriptCommand& command : ScriptCommands()) words.emplace(command.Word, &command);
        return words;
    }();
    auto it = byWord.find(upperWord);
    return it == byWord.end() ? nullptr : it->second;
}

int TScriptNode::FindLabel(std::string_view label) const {
    for (size_t i = 0; i < Keys.size(); ++i)
        if (SameText(Keys[i], label)) return int(i);
    return -1;
}

int TScriptNode::JumpTarget(int position, const std::string& label) const {
    const TScriptStep& jump = Steps[size_t(position)];
    if (jump.HasLabel && jump.Text == label) return jump.Target;
    if (auto it = LiteralTargets.find(label); it != LiteralTargets.end()) return it->second;
    return FindLabel(label);
}

void TScriptNode::Compile() {
    // Folded keys give what FindLabel's case-blind scan gives, without a scan per literal.
    std::unordered_map<std::string, int> firstKey;
    for (size_t i = 0; i < Keys.size(); ++i) firstKey.emplace(LowerCase(Keys[i]), int(i));
    Steps.clear();
    Steps.reserve(Values.size());
    LiteralTargets.clear();
    for (const std::string& value : Values) {
        TScriptStep step;
        step.Text = AsciiUpper(value);
        if (const TScriptCommand* command = FindScriptCommand(step.Text)) {
            step.Op = command->Op;
            step.World = command->World;
            step.Text.clear();
            if ((step.Op == TScriptOp::Goto || step.Op == TScriptOp::IfGoto) && !Steps.empty() &&
                Steps.back().Op == TScriptOp::Literal) {
                step.Text = Steps.back().Text;
                step.Target = Steps.back().Target;
                step.HasLabel = true;
            }
        } else {
            auto it = firstKey.find(LowerCase(step.Text));
            step.Target = it == firstKey.end() ? -1 : it->second;
            if (step.Target >= 0) LiteralTargets.emplace(step.Text, step.Target);
        }
        Steps.push_back(std::move(step));
    }
}

TScriptFile TScriptFile::Parse(std::string_view cp1251Text) {
    TIniFile ini = TIniFile::ParseCp1251(cp1251Text);
    TScriptFile file;
    for (const TIniSection& section : ini.Sections()) {
        // A repeated section is never reached by name: the first one wins.
        if (ini.FindSection(section.Name) != &section) continue;
        TScriptNode node;
        node.Keys.reserve(section.Entries.size());
        node.Values.reserve(section.Entries.size());
        for (const auto& [key, value] : section.Entries) {
            node.Keys.push_back(key);
            // A repeated key is looked up by name, which finds its first line.
            const std::string* first = section.Find(key);
            node.Values.push_back(first ? *first : value);
        }
        node.Compile();
        file.Nodes.emplace_back(section.Name, std::move(node));
    }
    return file;
}

const TScriptNode* TScriptFile::FindNode(std::string_view name) const {
    for (const auto& [nodeName, node] : Nodes)
        if (SameText(nodeName, name)) return &node;
    return nullptr;
}
