#pragma once
// Scripts that record which events reached which owner, for tests of the
// world's event order.
#include <string>
#include <vector>

#include "script/Script.h"

// One script node that appends an event code to a log kept in the global
// variables: g[0] counts the entries, g[1..] hold code * 1000 + (owner kind
// + 1) * 100 + owner index.
inline std::string RecordNode(const std::string& node, int code) {
    return "[" + node + "]\n1=0\n2=GETGVAR\n3=1\n4=ADD\n5=" + std::to_string(code * 1000) +
           "\n6=SELFTYPE\n7=1\n8=ADD\n9=100\n10=MUL\n11=ADD\n12=SELF\n13=ADD\n14=SETGVAR\n"
           "15=0\n16=0\n17=GETGVAR\n18=1\n19=ADD\n20=SETGVAR\n";
}
inline int EventCode(int code, int ownerKind, int ownerIndex) {
    return code * 1000 + (ownerKind + 1) * 100 + ownerIndex;
}
// The codes recorded so far, in order.
inline std::vector<int> RecordedEvents(const TScriptSystem& scripts) {
    const auto& g = scripts.GlobalVars;
    return std::vector<int>(g.begin() + 1, g.begin() + 1 + g[0]);
}
