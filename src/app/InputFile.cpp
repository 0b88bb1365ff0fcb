#include "app/InputFile.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/MainForm.h"
#include "base/Errors.h"
#include "base/Text.h"

namespace {
const char* const ButtonWords[] = {"left", "right", "middle"};  // by TMouseButton

int ParseButton(const std::string& word) {
    for (int b : {mbLeft, mbRight, mbMiddle})
        if (word == ButtonWords[b]) return b;
    return -1;
}
}  // namespace

std::vector<TInputEvent> ParseInputFile(const std::string& text, const std::string& fileName) {
    std::vector<TInputEvent> events;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        line = Trim(line);
        if (line.empty()) continue;
        auto fail = [&](const std::string& why) {
            throw EGameError("Input file \"" + fileName + "\", line " + std::to_string(lineNo) + ": " + why);
        };
        std::istringstream words(line);
        std::string frameWord, verb;
        words >> frameWord >> verb;
        TInputEvent e;
        e.Line = lineNo;
        auto frame = TryStrToInt(frameWord);
        if (!frame || *frame < 0) fail("'" + frameWord + "' is not a frame number");
        e.Frame = *frame;
        if (verb == "move") {
            e.Kind = TInputEvent::Move;
            std::string xs, ys;
            words >> xs >> ys;
            auto x = TryStrToInt(xs), y = TryStrToInt(ys);
            if (!x || !y) fail("move needs X and Y");
            e.X = *x;
            e.Y = *y;
        } else if (verb == "down" || verb == "up") {
            e.Kind = verb == "down" ? TInputEvent::Down : TInputEvent::Up;
            std::string b;
            words >> b;
            e.Button = ParseButton(b);
            if (e.Button < 0) fail("button must be left, right or middle, not '" + b + "'");
        } else if (verb == "keydown" || verb == "keyup") {
            e.Kind = verb == "keydown" ? TInputEvent::KeyDown : TInputEvent::KeyUp;
            std::string k;
            words >> k;
            auto vk = TryStrToInt(k);
            if (!vk || *vk < 1 || *vk > 255) fail("key must be a virtual-key code 1..255, not '" + k + "'");
            e.Key = *vk;
        } else if (verb == "leave") {
            e.Kind = TInputEvent::Leave;
        } else if (verb == "close") {
            e.Kind = TInputEvent::Close;
        } else if (verb == "panel") {
            e.Kind = TInputEvent::Panel;
            std::getline(words, e.PanelArgs);
            e.PanelArgs = Trim(e.PanelArgs);
        } else {
            fail("unknown event '" + verb + "'");
        }
        events.push_back(e);
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const TInputEvent& a, const TInputEvent& b) { return a.Frame < b.Frame; });
    return events;
}

std::vector<TInputEvent> ReadInputFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EGameError("cannot open input file \"" + path + "\"");
    std::stringstream text;
    text << in.rdbuf();
    return ParseInputFile(text.str(), path);
}

std::string InputLine(const TInputEvent& e) {
    switch (e.Kind) {
        case TInputEvent::Move: return "move " + std::to_string(e.X) + " " + std::to_string(e.Y);
        case TInputEvent::Down: return std::string("down ") + ButtonWords[e.Button];
        case TInputEvent::Up: return std::string("up ") + ButtonWords[e.Button];
        case TInputEvent::KeyDown: return "keydown " + std::to_string(e.Key);
        case TInputEvent::KeyUp: return "keyup " + std::to_string(e.Key);
        case TInputEvent::Panel: return "panel " + e.PanelArgs;
        case TInputEvent::Leave: return "leave";
        case TInputEvent::Close: return "close";
    }
    return {};
}

std::span<const TInputEvent> TInputScript::Take(int frame) {
    const size_t first = Next;
    while (Next < Events.size() && Events[Next].Frame <= frame) ++Next;
    return std::span<const TInputEvent>(Events).subspan(first, Next - first);
}
