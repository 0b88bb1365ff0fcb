#include "platform/Headless.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/Dump.h"
#include "app/MainForm.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "editor/view/PanelWindow.h"
#include "media/Bitmap.h"

namespace {
// The virtual clock starts here so that "long ago" comparisons behave as
// they do on a machine that has been running for a while.
constexpr uint32_t ClockStart = HeadlessClockStart;

int ParseButton(const std::string& word) {
    if (word == "left") return mbLeft;
    if (word == "right") return mbRight;
    if (word == "middle") return mbMiddle;
    return -1;
}

bool WriteBinary(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), std::streamsize(data.size()));
    return bool(out);
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

int RunHeadless(const TGameOptions& options) {
    THeadlessPlatform platform;
    platform.VirtualClock.Set(ClockStart);

    std::vector<TInputEvent> events;
    if (!options.InputFile.empty()) {
        std::ifstream in(options.InputFile, std::ios::binary);
        if (!in) {
            std::cerr << "rustwake: cannot open input file \"" << options.InputFile << "\"\n";
            return 2;
        }
        std::stringstream ss;
        ss << in.rdbuf();
        try {
            events = ParseInputFile(ss.str(), options.InputFile);
        } catch (const std::exception& e) {
            std::cerr << "rustwake: " << e.what() << '\n';
            return 2;
        }
    }

    TMainForm game(options, platform);
    bool started = game.Start();

    size_t next = 0;
    int frame = 0;
    for (; started && frame < options.Frames && !game.Closed; ++frame) {
        for (; next < events.size() && events[next].Frame == frame; ++next) {
            const TInputEvent& e = events[next];
            switch (e.Kind) {
                case TInputEvent::Move: game.DXDrawMouseMove(e.X, e.Y); break;
                case TInputEvent::Down: game.DXDrawMouseDown(e.Button, game.View.MouseX, game.View.MouseY); break;
                case TInputEvent::Up: game.DXDrawMouseUp(e.Button, game.View.MouseX, game.View.MouseY); break;
                case TInputEvent::KeyDown: game.DXI.Live[size_t(e.Key)] = true; break;
                case TInputEvent::KeyUp: game.DXI.Live[size_t(e.Key)] = false; break;
                case TInputEvent::Panel: game.Guard([&] { game.PanelCommand(e.PanelArgs); }); break;
                case TInputEvent::Leave: game.PointerLeft(); break;
            }
            if (game.Closed) break;
        }
        if (game.Closed) break;
        game.Tick();
        if (platform.WindowClosed) game.Closed = true;
        platform.VirtualClock.Advance(options.StepMs);
    }

    int code = started ? 0 : 1;
    if (!options.ScreenshotFile.empty() && !WriteBinary(options.ScreenshotFile, SavePng(game.DXDraw.Pixels()))) {
        std::cerr << "rustwake: cannot write screenshot \"" << options.ScreenshotFile << "\"\n";
        code = 2;
    }
    if (!options.PanelScreenshotFile.empty()) {
        std::string why;
        if (!WritePanelScreenshot(game, options.PanelScreenshotFile, why)) {
            std::cerr << "rustwake: cannot write panel screenshot \"" << options.PanelScreenshotFile << "\": " << why
                      << '\n';
            code = 2;
        }
    }
    if (!options.DumpFile.empty() && !WriteBinary(options.DumpFile, DumpJson(game))) {
        std::cerr << "rustwake: cannot write dump \"" << options.DumpFile << "\"\n";
        code = 2;
    }
    if (game.Closed) std::cerr << "rustwake: the game ended after frame " << frame << '\n';
    game.FormDestroy();
    return code;
}
