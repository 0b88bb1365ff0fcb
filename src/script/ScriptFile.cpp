#include <unordered_map>

#include "base/Ini.h"
#include "base/Text.h"
#include "script/Script.h"

namespace {

struct TCommand {
    TScriptOp Op;
    TWorldCommand World = TWorldCommand::SHOWCREDITS;
};

const TCommand* FindCommand(const std::string& word) {
    using O = TScriptOp;
    using W = TWorldCommand;
    static const std::unordered_map<std::string, TCommand> commands = {
        {"SETTIMER", {O::SetTimer}}, {"DISABLETIMER", {O::DisableTimer}},
        {"ADD", {O::Add}}, {"SUB", {O::Sub}}, {"MUL", {O::Mul}}, {"DIV", {O::Div}}, {"MOD", {O::Mod}},
        {"EQU", {O::Equ}}, {"NOT", {O::Not}}, {"G", {O::Greater}}, {"L", {O::Less}},
        {"GE", {O::GreaterEq}}, {"LE", {O::LessEq}}, {"SELF", {O::Self}}, {"SELFTYPE", {O::SelfType}},
        {"GOTO", {O::Goto}}, {"IFGOTO", {O::IfGoto}}, {"CALL", {O::Call}}, {"IFCALL", {O::IfCall}},
        {"RND", {O::Rnd}}, {"DIST", {O::Dist}}, {"GETGVAR", {O::GetGVar}}, {"SETGVAR", {O::SetGVar}},
        {"GETLVAR", {O::GetLVar}}, {"SETLVAR", {O::SetLVar}},
        {"GOTOXY", {O::World, W::GOTOXY}}, {"MOVETO", {O::World, W::MOVETO}}, {"FIRE", {O::World, W::FIRE}},
        {"STOPFIRE", {O::World, W::STOPFIRE}}, {"STOP", {O::World, W::STOP}},
        {"ADDCONSOLE", {O::World, W::ADDCONSOLE}}, {"STARTDIALOG", {O::World, W::STARTDIALOG}},
        {"QUESTION", {O::World, W::QUESTION}}, {"ANSWER", {O::World, W::ANSWER}},
        {"ENDDIALOG", {O::World, W::ENDDIALOG}}, {"PLAYSOUND", {O::World, W::PLAYSOUND}},
        {"CHANGEHEAD", {O::World, W::CHANGEHEAD}}, {"GETX", {O::World, W::GETX}},
        {"GETY", {O::World, W::GETY}}, {"GETHP", {O::World, W::GETHP}}, {"SETHP", {O::World, W::SETHP}},
        {"GETAMMO", {O::World, W::GETAMMO}}, {"SETAMMO", {O::World, W::SETAMMO}},
        {"LOADMAP", {O::World, W::LOADMAP}}, {"SETSCROLL", {O::World, W::SETSCROLL}},
        {"SETDIR", {O::World, W::SETDIR}}, {"GETDIR", {O::World, W::GETDIR}},
        {"DISABLE", {O::World, W::DISABLE}}, {"SETVICTIM", {O::World, W::SETVICTIM}},
        {"GETVICTIM", {O::World, W::GETVICTIM}}, {"GETVIS", {O::World, W::GETVIS}},
        {"SETVIS", {O::World, W::SETVIS}}, {"MAKEDEAD", {O::World, W::MAKEDEAD}},
        {"SHOWCREDITS", {O::World, W::SHOWCREDITS}},
    };
    auto it = commands.find(word);
    return it == commands.end() ? nullptr : &it->second;
}

}  // namespace

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
        if (const TCommand* command = FindCommand(step.Text)) {
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
