#include "app/MainForm.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <utility>

#include "base/Errors.h"
#include "base/SafeMath.h"
#include "base/Text.h"
#include "critters/Critter.h"
#include "world/Obj.h"

TMainForm::TMainForm(const TGameOptions& options, IPlatform& platform)
    : Options(options),
      Platform(platform),
      Files(options.DataDir.empty() ? std::filesystem::current_path() : Utf8Path(options.DataDir)),
      Fonts(GameFontDirs(Files.Root())),
      DXDraw(Fonts),
      DXWL(platform.SoundOutput()),
      GameClock(platform),
      Scripts(Files, *this),
      Context{World, Scripts, DXIL, DXWL, Rand, GameClock, Config, *this},
      ControlForm(Context, Config, Files, *this),
      Dirs(TUserDirs::ForThisSystem()) {
    Settings = TSettingsFile(Dirs.SettingsFile()).Load(SettingsProblem);
    Config.Report = [this](const std::exception& error) { ReportError(error); };
}

TMainForm::~TMainForm() {
    // Records go before the services their destructors talk to.
    World.DrawList.reset();
    World.Reset();
    World.MapScript.reset();
}

bool TMainForm::Start() {
    bool ok = true;
    auto step = [&](const std::function<void()>& f) {
        if (!ok) return;
        try {
            f();
        } catch (const std::exception& e) {
            ReportError(e);
            ok = false;
        }
    };
    OpenGameLog();
    // A run killed while writing a save, the settings or a screenshot left its temporary file behind.
    for (const auto& dir : {Dirs.SaveDir(), Dirs.Config, Dirs.Pictures})
        if (int n = RemoveStaleTempFiles(dir); n > 0)
            Log("Removed " + std::to_string(n) + " unfinished temporary files from " + dir.string());
    if (!SettingsProblem.empty()) {
        Notice("В settings.ini есть ошибка: неверные значения заменены стандартными (подробности - в журнале).", 5000);
        ReportError(EGameError(SettingsProblem));
        SettingsProblem.clear();
    }
    Platform.ApplySettings(Settings);
    step([&] {
        std::error_code ec;
        if (!std::filesystem::is_directory(Files.Root() / "data", ec)) throw EGameError(NoDataFolderText(Files.Root().string()));
    });
    step([&] { FormCreate(); });
    step([&] { ControlForm.FormCreate(); });
    step([&] { InitializeSurface(); });
    if (ok && !Options.MapFile.empty()) {
        if (DebugMode)
            Guard([&] { LoadMap(Options.MapFile); });
        else
            Guard([&] {
                // Straight into the game on that location, as the new-game button does.
                Menu.SubState = 0;
                DXT.Interval = 10;
                NewGame(Options.MapFile);
            });
    }
    return ok;
}

void TMainForm::FormCreate() {
    Log("TMainForm.FormCreate -> start logging...");
    Rand.SetSeed(Options.Seed ? *Options.Seed : Platform.Clock().Now());
    ConsoleLines.clear();
    CritterImages = ReadListFile(Files, "data\\Images\\Critters\\Critters.lst");
    ObjectImages = ReadListFile(Files, "data\\Images\\Objects\\Objects.lst");
    LocationImages = ReadListFile(Files, "data\\Images\\Locations\\Locations.lst");
    Log("TMainForm.FormCreate -> lists loaded");
    Dialog = TDialogState{};
    FirstLoad = true;
    if (!IsDebugParam(Options.GameParams)) {
        ScreenMode = smMainMenu;
        Log("TMainForm.FormCreate -> normal mode");
    } else {
        Log("TMainForm.FormCreate -> debug mode");
        ScreenMode = smGame;
        DebugMode = true;
        Scripts.Watch = &Inspector;
    }
}

void TMainForm::DXDrawInitialize() {
    if (ScreenMode == smGame)
        GameInit();
    else if (ScreenMode == smMainMenu)
        MMInit();
    Platform.HideSystemCursor();
}

void TMainForm::FinalizeSurface() { SurfaceReady = false; }

void TMainForm::InitializeSurface() {
    SurfaceReady = true;
    DXDrawInitialize();
}

void TMainForm::InitializeSurfaceAndTimer() {
    try {
        InitializeSurface();
    } catch (...) {
        // The game goes on with what did load; a stopped timer would freeze it.
        DXT.Enabled = true;
        throw;
    }
    DXT.Enabled = true;
}

void TMainForm::ReloadGraphics() {
    DXT.Enabled = false;
    DXIL.Clear();
    FinalizeSurface();
    InitializeSurfaceAndTimer();
}

void TMainForm::Render() {
    DXI.Poll();
    PointerPatch.Drawn = false;
    if (Pause.IsOpen())
        Pause.Render();
    else if (ScreenMode == smGame || ScreenMode == smDialog)
        GameRender();
    else if (ScreenMode == smMainMenu)
        MMRender();
}

void TMainForm::DrawPointer(const TImageItem& item, int x, int y) {
    const TBitmap& frame = DXDraw.Pixels();
    const TRect r{std::clamp(x, 0, frame.Width()), std::clamp(y, 0, frame.Height()),
                  std::clamp(x + item.PatW(), 0, frame.Width()), std::clamp(y + item.PatH(), 0, frame.Height())};
    PointerPatch.Under = TBitmap(std::max(r.Width(), 0), std::max(r.Height(), 0));
    PointerPatch.Under.CopyRect(0, 0, frame, r);
    PointerPatch.X = r.Left, PointerPatch.Y = r.Top;
    PointerPatch.Drawn = true;
    DXDraw.Draw(item, x, y, 0);
}

TBitmap TMainForm::FrameWithoutPointer() const {
    TBitmap frame = DXDraw.Pixels();
    if (PointerPatch.Drawn)
        frame.CopyRect(PointerPatch.X, PointerPatch.Y, PointerPatch.Under,
                       TRect{0, 0, PointerPatch.Under.Width(), PointerPatch.Under.Height()});
    return frame;
}

bool TMainForm::Tick() {
    const bool breakpoint = BreakpointPause();
    if (!breakpoint) RunDueTimers();
    // Frames keep coming while the game clock is held, so the pause menu is drawn.
    const uint32_t real = Platform.Clock().Now();
    if (Closed || !DXT.Due(real)) return false;
    DXT.CountTick(real);
    if (breakpoint) {
        // The picture stays as the world left it; only the inspector's keys are read.
        DXI.Poll();
        Guard([&] { InspectorKeys(); });
        GameLog.FlushIfDue();
        return true;
    }
    ++FrameCount;
    Guard([&] { Render(); });
    Guard([&] { Pause.Keys(); });
    GameLog.FlushIfDue();
    return true;
}

// The scripts of a game left for the menu stay until the next map load
// replaces them; their timers must not act on the menu meanwhile.
void TMainForm::RunDueTimers() {
    if (ScreenMode == smMainMenu || Pause.IsOpen()) return;
    for (const auto& script : Scripts.TakeDueTimers(Now())) {
        if (Closed || ScreenMode == smMainMenu) break;
        if (script->Alive()) Guard([&] { script->Execute("ONTIMER"); });
    }
}

// A pointer far outside the window (a recorded input file may say anything) is held where the
// handlers' sums with it cannot overflow; it is off the screen either way.
static void ClampPointer(int& x, int& y) {
    x = ClampScreen(int64_t(x));
    y = ClampScreen(int64_t(y));
}

void TMainForm::DXDrawMouseDown(int button, int x, int y) {
    // Stopped at a breakpoint, the game screen takes no pointer input: the world must resume as it stopped.
    if (Inspector.Paused()) return;
    ClampPointer(x, y);
    Guard([&] {
        if (Pause.IsOpen())
            Pause.MouseDown(button, x, y);
        else if (ScreenMode == smGame)
            GameMouseDown(button, x, y);
        else if (ScreenMode == smDialog)
            DialogMouseDown(button, x, y);
        else if (ScreenMode == smMainMenu)
            MMMouseDown(button, x, y);
    });
}

void TMainForm::DXDrawMouseMove(int x, int y) {
    if (Inspector.Paused()) return;
    ClampPointer(x, y);
    View.PointerInside = true;
    Guard([&] {
        if (Pause.IsOpen())
            Pause.MouseMove(x, y);
        else if (ScreenMode == smGame)
            GameMouseMove(x, y);
        else if (ScreenMode == smDialog)
            DialogMouseMove(x, y);
        else if (ScreenMode == smMainMenu)
            MMMouseMove(x, y);
    });
}

void TMainForm::DXDrawMouseUp(int button, int x, int y) {
    if (Inspector.Paused()) return;
    ClampPointer(x, y);
    Guard([&] {
        if (Pause.IsOpen())
            return;
        else if (ScreenMode == smGame)
            GameMouseUp(button, x, y);
        else if (ScreenMode == smDialog)
            DialogMouseUp(button, x, y);
        else if (ScreenMode == smMainMenu)
            MMMouseUp(button, x, y);
    });
}

void TMainForm::FormDestroy() {
    World.Reset();
    if (MusicOn && !Platform.MusicPlayer().FileName.empty()) {
        Platform.MusicPlayer().Stop();
        Platform.MusicPlayer().Close();
    }
    DeleteMusicCopy();
    // Earlier versions kept the copy in the data folder.
    if (Files.Exists("temp.mp3")) Files.DeleteFile("temp.mp3");
    GameLog.Flush();
}

void TMainForm::Log(TLogLevel level, const std::string& message) {
    if (Options.Verbose) std::cerr << message << '\n';
    if (LogHook) LogHook(message);
    GameLog.Write(message, level);
}

void TMainForm::Trace(const std::string& message) {
    if (TracesScripts()) Log(TLogLevel::Debug, message);
}

void TMainForm::PlayerDead() {
    if (!DebugMode) PlayerDeadFlag = true;
    DeathTime = Now();
}

void TMainForm::RecordsRenumbered(int32_t kind, const std::function<int(int)>& map) {
    const int32_t owner = kind == KindCritter ? OwnerCritter : OwnerObject;
    if (Dialog.OwnerKind == owner && Dialog.OwnerIndex >= 0) Dialog.OwnerIndex = map(Dialog.OwnerIndex);
    if (View.HoverKind == kind && View.HoverIndex >= 0) View.HoverIndex = map(View.HoverIndex);
    // The inspector follows its record to its new number; once the record is gone it looks at nothing.
    const auto target = kind == KindCritter ? TInspector::TTarget::Critter : TInspector::TTarget::Object;
    if (Inspector.Target == target) {
        const int i = map(Inspector.TargetIndex);
        Inspector.Inspect(i < 0 ? TInspector::TTarget::None : target, i);
    }
}

void TMainForm::CloseGame() {
    Closed = true;
    Platform.CloseMainWindow();
}

void TMainForm::Guard(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        ReportError(e);
    }
}

void TMainForm::Warn(const std::string& message) {
    Log(TLogLevel::Warning, message);
    if (!DebugMode) return;
    if (World.CollectingErrors > 0)
        World.CollectedErrors.push_back(std::make_exception_ptr(EGameError(message)));
    else
        ReportError(EGameError(message));
}

std::string TMainForm::RecordError(const std::exception& error) {
    std::string text = error.what();
    if (const auto* se = dynamic_cast<const EScriptError*>(&error))
        text = se->Message() + "\n\nScript \"" + se->File + "\", node [" + se->Node + "], step " + se->Key;
    text = EscapeControlBytes(text);
    Errors.push_back(text);
    GameLog.Write("ERROR: " + text, TLogLevel::Error);
    std::cerr << "Rustwake: " << text << '\n';
    return text;
}

void TMainForm::Notice(const std::string& text, uint32_t ms) {
    NoticeText = text;
    NoticeMs = ms;
    NoticeUntil = 0;
}

void TMainForm::RenderNotice() {
    if (NoticeText.empty()) return;
    const uint32_t now = Platform.Clock().Now();
    if (NoticeUntil == 0) NoticeUntil = std::max(now + NoticeMs, 1u);
    if (int32_t(now - NoticeUntil) >= 0) {
        NoticeText.clear();
        return;
    }
    DXDraw.BrushStyle = TBrushStyle::Clear;
    DXDraw.Font = TFontSpec{"Tahoma", 10, true, false, 0x002200};
    const int x = 400 - DXDraw.TextExtent(NoticeText).Cx / 2;
    DXDraw.TextOut(x + 2, 14, NoticeText);
    DXDraw.Font.Color = 0x66FF99;
    DXDraw.TextOut(x, 12, NoticeText);
}

void TMainForm::ReportError(const std::exception& error) {
    Platform.ShowError(RecordError(error));
    for (const std::exception_ptr& consequence : std::exchange(World.DeferredErrors, {})) {
        try {
            std::rethrow_exception(consequence);
        } catch (const std::exception& e) {
            ReportError(e);
        }
    }
}
