#include "app/FrameDriver.h"

#include <filesystem>
#include <functional>
#include <iostream>

#include "app/Dump.h"
#include "app/MainForm.h"
#include "base/Clock.h"
#include "media/Bitmap.h"

namespace {
bool WriteWhole(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), std::streamsize(data.size()));
    return bool(out);
}

TInputEvent Event(TInputEvent::TKind kind) {
    TInputEvent e;
    e.Kind = kind;
    return e;
}

// One output asked for on the command line; a failure is said on stderr and makes the exit code 2.
void Output(int& code, const std::string& what, const std::string& path, const std::function<bool(std::string&)>& write) {
    if (path.empty()) return;
    std::string why;
    if (write(why)) return;
    std::cerr << "rustwake: cannot write " << what << " \"" << path << "\"" << (why.empty() ? "" : ": " + why) << '\n';
    code = 2;
}
}  // namespace

bool TSessionRecorder::Open(const TGameOptions& options) {
    Out.open(options.RecordFile, std::ios::binary | std::ios::trunc);
    if (!Out) return false;
    const uint32_t seed = options.Seed.value_or(0);
    const bool debug = IsDebugParam(options.GameParams);
    std::error_code ec;
    const std::filesystem::path data = std::filesystem::absolute(options.DataDir, ec);
    Replay = std::string("rustwake --headless") + (debug ? " debug" : "") + " --step-ms " +
             std::to_string(options.StepMs) + " --seed " + std::to_string(seed) + " --data \"" + data.string() +
             "\" --input \"" + options.RecordFile + "\"";
    Out << "# rustwake recording: seed " << seed << ", step " << options.StepMs << " ms, data \"" << data.string()
        << "\"" << (debug ? ", debug" : "") << '\n';
    Out.flush();
    return true;
}

void TSessionRecorder::Line(int frame, const std::string& event) {
    if (!Out.is_open()) return;
    Out << frame << ' ' << event << '\n';
    Out.flush();
}

void TSessionRecorder::Note(const std::string& text) {
    if (!Out.is_open()) return;
    Out << "# " << text << '\n';
    Out.flush();
}

bool TSessionRecorder::Finish(int frames) {
    if (!Out.is_open()) return true;
    Note("ended after " + std::to_string(frames) + " frames; replay: " + Replay + " --frames " +
         std::to_string(frames));
    Out.close();
    return !Out.fail();
}

TFrameDriver::TFrameDriver(TMainForm& game, IFrameHost& host, TManualClock* frameClock, int frameLimit)
    : GameRef(game), Host(host), Clock(frameClock), FrameLimit(frameLimit) {}

bool TFrameDriver::Start() {
    const TGameOptions& options = GameRef.Options;
    if (!options.RecordFile.empty() && !Recorder.Open(options)) {
        std::cerr << "rustwake: cannot create recording \"" << options.RecordFile << "\"\n";
        RecordFailed = true;
    }
    // Until it first moves, the pointer is not over the picture (a person's
    // is wherever it was when the window opened), so no edge scrolls the view.
    GameRef.PointerLeft();
    Started = GameRef.Start();
    return Started;
}

bool TFrameDriver::Running() const {
    return Started && !GameRef.Closed && (FrameLimit < 0 || FrameNumber < FrameLimit);
}

bool TFrameDriver::Step() {
    if (!Running()) return false;
    Host.Events(*this);
    // A close among the events ends the session before this frame runs.
    if (!Running()) return false;
    LastDrawn = GameRef.Tick();
    if (LastDrawn) Host.Present(GameRef);
    if (Clock) Clock->Advance(GameRef.Options.StepMs);
    ++FrameNumber;
    return Running();
}

int TFrameDriver::Finish() {
    const TGameOptions& options = GameRef.Options;
    int code = Started ? 0 : 1;
    if (!Recorder.Finish(FrameNumber)) RecordFailed = true;
    if (RecordFailed) {
        std::cerr << "rustwake: the recording \"" << options.RecordFile << "\" is not complete\n";
        code = 2;
    }
    Output(code, "screenshot", options.ScreenshotFile,
           [&](std::string&) { return WriteWhole(options.ScreenshotFile, SavePng(GameRef.DXDraw.Pixels())); });
    Output(code, "panel screenshot", options.PanelScreenshotFile,
           [&](std::string& why) { return Host.WritePanelPicture(options.PanelScreenshotFile, why); });
    Output(code, "dump", options.DumpFile,
           [&](std::string&) { return WriteWhole(options.DumpFile, DumpJson(GameRef)); });
    return code;
}

void TFrameDriver::Record(const TInputEvent& event) { Recorder.Line(FrameNumber, InputLine(event)); }

void TFrameDriver::KeyEvent(int vk, bool down) {
    if (GameRef.Closed || vk < 1 || vk > 255) return;
    TKeyboard& keys = GameRef.DXI;
    if (keys.Live[size_t(vk)] == down) return;
    TInputEvent e = Event(down ? TInputEvent::KeyDown : TInputEvent::KeyUp);
    e.Key = vk;
    Record(e);
    keys.Live[size_t(vk)] = down;
    // A key that goes down and up within one frame still counts for keys that act once per press.
    if (down) keys.Pressed[size_t(vk)] = true;
}

void TFrameDriver::PointerMove(int x, int y) {
    if (GameRef.Closed) return;
    TInputEvent e = Event(TInputEvent::Move);
    e.X = x, e.Y = y;
    Record(e);
    GameRef.DXDrawMouseMove(x, y);
}

void TFrameDriver::Button(int button, bool down) {
    if (GameRef.Closed) return;
    TInputEvent e = Event(down ? TInputEvent::Down : TInputEvent::Up);
    e.Button = button;
    Record(e);
    const TViewState& v = GameRef.View;
    if (down)
        GameRef.DXDrawMouseDown(button, v.MouseX, v.MouseY);
    else
        GameRef.DXDrawMouseUp(button, v.MouseX, v.MouseY);
}

void TFrameDriver::ButtonAt(int button, bool down, int x, int y) {
    if (x != GameRef.View.MouseX || y != GameRef.View.MouseY) PointerMove(x, y);
    Button(button, down);
}

void TFrameDriver::Leave() {
    if (GameRef.Closed) return;
    Record(Event(TInputEvent::Leave));
    GameRef.PointerLeft();
}

void TFrameDriver::ReleaseKeys() {
    for (int vk = 1; vk < 256; ++vk) KeyEvent(vk, false);
}

void TFrameDriver::RequestClose() {
    if (GameRef.Closed) return;
    Record(Event(TInputEvent::Close));
    GameRef.Closed = true;
}

void TFrameDriver::PanelLine(const std::string& args) {
    if (GameRef.Closed) return;
    TInputEvent e = Event(TInputEvent::Panel);
    e.PanelArgs = args;
    Record(e);
    GameRef.Guard([&] { GameRef.PanelCommand(args); });
}

void TFrameDriver::Deliver(const TInputEvent& e) {
    switch (e.Kind) {
        case TInputEvent::Move: PointerMove(e.X, e.Y); break;
        case TInputEvent::Down:
        case TInputEvent::Up: Button(e.Button, e.Kind == TInputEvent::Down); break;
        case TInputEvent::KeyDown:
        case TInputEvent::KeyUp: KeyEvent(e.Key, e.Kind == TInputEvent::KeyDown); break;
        case TInputEvent::Panel: PanelLine(e.PanelArgs); break;
        case TInputEvent::Leave: Leave(); break;
        case TInputEvent::Close: RequestClose(); break;
    }
}

void TFrameDriver::Note(const std::string& text) { Recorder.Note("frame " + std::to_string(FrameNumber) + ": " + text); }
