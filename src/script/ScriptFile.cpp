#include "base/Ini.h"
#include "base/Text.h"
#include "script/Script.h"

int TScriptNode::FindLabel(std::string_view label) const {
    for (size_t i = 0; i < Keys.size(); ++i)
        if (SameText(Keys[i], label)) return int(i);
    return -1;
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
        file.Nodes.emplace_back(section.Name, std::move(node));
    }
    return file;
}

const TScriptNode* TScriptFile::FindNode(std::string_view name) const {
    for (const auto& [nodeName, node] : Nodes)
        if (SameText(nodeName, name)) return &node;
    return nullptr;
}
