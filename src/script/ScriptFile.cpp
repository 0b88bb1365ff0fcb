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
    Fuse();
}

void TScriptNode::Fuse() {
    using O = TScriptOp;
    using F = TScriptFusion;
    for (size_t i = 0; i + 1 < Steps.size(); ++i) {
        TScriptStep& literal = Steps[i];
        const TScriptStep& next = Steps[i + 1];
        if (literal.Op != O::Literal) continue;
        const std::optional<int32_t> value = TryStrToInt(literal.Text);
        literal.Value = value.value_or(0);
        switch (next.Op) {
            case O::GetLVar: if (value) literal.Fused = F::GetLVar; break;
            case O::GetGVar: if (value) literal.Fused = F::GetGVar; break;
            case O::Add: case O::Sub: case O::Mul: case O::Equ: case O::Greater: case O::Less: case O::GreaterEq:
            case O::LessEq:
                if (value) literal.Fused = F::Arithmetic;
                break;
            // A division by a literal zero fails as written, step by step.
            case O::Div: case O::Mod: if (value && *value != 0) literal.Fused = F::Arithmetic; break;
            // A jump to a label the node lacks fails as written, step by step.
            case O::Goto: if (next.Target >= 0) literal.Fused = F::Goto; break;
            case O::IfGoto: if (next.Target >= 0) literal.Fused = F::IfGoto; break;
            default: break;
        }
    }
    for (size_t i = 0; i + 2 < Steps.size(); ++i) {
        TScriptStep& index = Steps[i];
        const TScriptFusion read = Steps[i + 1].Fused;
        if (index.Op != O::Literal || index.Fused != F::None || !TryStrToInt(index.Text) ||
            (read != F::GetLVar && read != F::GetGVar))
            continue;
        size_t end = i + 3;
        while (end + 1 < Steps.size() && Steps[end].Fused == F::Arithmetic) end += 2;
        if (end < Steps.size() && (Steps[end].Op == O::SetLVar || Steps[end].Op == O::SetGVar)) {
            index.Fused = F::Assign;
            index.Span = int32_t(end - i + 1);
        }
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
