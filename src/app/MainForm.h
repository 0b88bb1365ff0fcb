#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/DialogState.h"
#include "app/MenuState.h"
#include "app/Options.h"
#include "app/GameClock.h"
#include "app/GameLog.h"
#include "app/Platform.h"
#include "app/Settings.h"
#include "app/UserDirs.h"
#include "app/ViewState.h"
#include "base/FileSystem.h"
#include "base/Random.h"
#include "editor/model/ControlForm.h"
#include "editor/model/EditorHost.h"
#include "editor/model/Inspector.h"
#include "media/Font.h"
#include "media/ImageList.h"
#include "media/PictureCache.h"
#include "media/Input.h"
#include "media/Sound.h"
#include "media/Surface.h"
#include "app/PauseMenu.h"
#include "script/Script.h"
#include "world/GameConfig.h"
#include "world/MapFormat.h"
#include "world/World.h"
#include "world/WorldContext.h"

enum TScreenMode : uint8_t { smGame = 0, smDialog = 2, smMainMenu = 3 };
enum TMouseButton : int { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// The main window: owns every service and all game state, and carries the
// handlers of every screen. One instance is one game; tests build as many
// as they like, each on its own data folder.
class TMainForm : public IScriptHost, public IWorldEvents, public IEditorHost {
public:
    TMainForm(const TGameOptions& options, IPlatform& platform);
    ~TMainForm() override;
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    // Program entry steps after the window exists: FormCreate, the editor
    // panel's creation and the first showing of the surface. False when the
    // game cannot run (the error has been reported).
    bool Start();

    // Window handlers.
    void FormCreate();
    void DXDrawInitialize();
    void Render();
    void DXDrawMouseDown(int button, int x, int y);
    void DXDrawMouseMove(int x, int y);
    void DXDrawMouseUp(int button, int x, int y);
    // The pointer went off the window: the view stops following the edge it left by.
    // A brush stroke ends there too, so coming back paints nothing until the next press.
    void PointerLeft() {
        View.PointerInside = false;
        ControlForm.EndStroke();
    }
    void FormDestroy();
    void Log(const std::string& message) override { Log(TLogLevel::Info, message); }
    void Log(TLogLevel level, const std::string& message);
    // The per-event trace of the scripts, written only at the debug level.
    bool TracesScripts() const override { return Options.Verbose || Settings.DebugLog; }
    void Trace(const std::string& message) override;
    void PlayerDead() override;

    // One pass of the loop: due script timers, then the frame tick if the
    // frame timer is due. Returns true when a frame was rendered.
    bool Tick();
    // Script timers that are due, before the frame.
    void RunDueTimers();

    // Surface lifecycle: the screen-switch order.
    void FinalizeSurface();
    void InitializeSurface();
    // Initialize, then enable the frame timer (also when the loading fails).
    void InitializeSurfaceAndTimer();
    // Disable timer, clear images, finalize, initialize, enable timer.
    void ReloadGraphics() override;

    // Screens.
    void GameInit();
    void LoadGameSounds();
    void LoadGameImages();
    void GameRender();
    // The steps of GameRender, in its order.
    bool GameOverDue(uint32_t now) const;
    void PointerOverMovedView();
    void ScrollByKeys();
    void ScrollByEdges();
    void MoveView();
    void DebugKeys();
    void UpdateCritters();
    void AnimateObjects();
    void DrawLocation();
    void DrawSelection();
    void PickHover();
    void DrawDebugOverlay();
    void DrawTileMarks();
    void DrawTileInfo();
    void DrawInterface();
    void DrawDialog(uint32_t now);
    void DrawCursor();
    void GameMouseDown(int button, int x, int y);
    void GameMouseMove(int x, int y);
    void GameMouseUp(int button, int x, int y);
    void DialogMouseDown(int button, int x, int y);
    void DialogMouseMove(int x, int y);
    void DialogMouseUp(int button, int x, int y);
    // The hover index of the last pick, if it still names a record.
    bool HoverValid() const;
    // The grid and the overview of the whole location (debug mode).
    void RenderEditorAids();
    // A click on the overview scrolls there and closes it; false when none is shown.
    bool OverviewClick(int x, int y);
    void EditorKeys();
    void DrawBrushShape();
    void DrawMultiSelection();
    // The editor's letter keys act once per press.
    bool EditorKeyTap(int vk);
    std::array<bool, 256> EditorKeyLatch{};
    // The button the editor's brush paints on with (0 left, 1 right, -1 none).
    int BrushHeld() const;
    void MMInit();
    void MMRender();
    void MMMouseDown(int button, int x, int y);
    void MMMouseMove(int x, int y);
    void MMMouseUp(int button, int x, int y);
    void StartMainMenu();
    // The new-game button; another location file than the first may be given
    // (--map outside debug mode plays it straight away).
    void NewGame(const std::string& location = "data\\locations\\loc01.map");
    // The screen switch from the game to the menu (or its credits).
    void BackToMenu(bool credits);
    void RenderCredits(uint32_t now);
    void LeaveCredits();
    void StopMusic();
    void ShowCredits();
    void AddConsole(const std::string& text) override;
    // Word wrap of the console (190 px, the break's space dropped) and of
    // the dialog question (300 px, continued lines keep it); the first line
    // carries the bullet marker.
    std::vector<std::string> WrapText(const std::string& text, const TFontSpec& font, int limit, bool keepSpace);
    void RenderConsole();
    // Draws the pointer as the frame's last picture and keeps what it covered, so that a menu opened
    // over this frame shows the scene without a second pointer frozen in it.
    void DrawPointer(const TImageItem& item, int x, int y);
    // The last frame as it was before its pointer was drawn.
    TBitmap FrameWithoutPointer() const;
    void AddQuestion(const std::string& text);
    void renderDialog();
    void PlayMusic(const std::string& fileName);
    // Copies a track to the working copy "temp.mp3" in the player's cache folder and names what to play:
    // the copy, or the track itself when the copy fails (logged).
    std::string CopyMusic(const std::string& track);
    void DeleteMusicCopy();
    // A new or loaded game's track, in place of whatever plays.
    void StartGameMusic();

    // A headless input line that operates the editor panel.
    void PanelCommand(const std::string& args);
    // The inspector's panel lines (inspect, break, unbreak, step, continue, local, global); false for
    // any other verb.
    bool InspectorCommand(const std::string& verb, std::istream& words);
    // The world stands still while the inspector is paused at a breakpoint: the game clock is held
    // from the first frame it is, and let go at the first frame after. True while paused.
    bool BreakpointPause();
    // F10 steps, F8 continues (debug mode).
    void InspectorKeys();

    // Location files.
    void LoadMap(const std::string& path) override;
    void ShowLoadedLocation(uint64_t generation);
    void SaveMap(const std::string& path) override;
    // A location held in memory, loaded as a file would be (`path` names it in messages).
    void LoadMapData(const TMapData& map, const std::string& path);
    // The location as it stands, as the saver writes it.
    TMapData MapOfWorld() const;

    // The error boundary: runs one event's handler; an error ends it and is
    // reported, and the game carries on.
    void Guard(const std::function<void()>& handler);
    void ReportError(const std::exception& error) override;
    // As ReportError, without the error box: for failures the game has already told the player about
    // in its own words (the console). Returns the recorded text.
    std::string RecordError(const std::exception& error);
    // A short line over the screen for `ms` from its first showing (a game loaded, ...): not part of
    // the game, so never saved.
    void Notice(const std::string& text, uint32_t ms = 2000);
    void RenderNotice();
    std::string NoticeText;
    uint32_t NoticeMs = 0, NoticeUntil = 0;  // NoticeUntil: the platform clock's time it goes; 0 not shown yet

    // IWorldEvents: the dialog owner and the hover follow renumbered records.
    void RecordsRenumbered(int32_t kind, const std::function<int(int)>& map) override;

    // IEditorHost.
    void CloseGame() override;
    void NewMap(const std::string& pattern) override;
    void StartPlay(int x, int y) override;
    void StopPlay() override;
    bool Playing() const override { return PlaySnapshot.has_value(); }
    std::string LocationFile() const override { return EditedFile; }
    // The game as it stood when a test play began.
    std::optional<std::string> PlaySnapshot;
    // The location file the editor works on (loaded or saved last).
    std::string EditedFile;
    const std::vector<std::string>& CritterPictures() const override { return CritterImages; }
    const std::vector<std::string>& ObjectPictures() const override { return ObjectImages; }
    const std::vector<std::string>& LocationPictures() const override { return LocationImages; }

    // IScriptHost.
    uint32_t Now() override { return GameClock.Now(); }
    // The pause menu's hold on the world, counted from the last frame's tick (see TGameClock).
    void HoldClock() { GameClock.Hold(DXT.SinceTick(Platform.Clock().Now())); }
    void ReleaseClock() { GameClock.Release(DXT.SinceTick(Platform.Clock().Now())); }
    void SetGameTime(uint32_t t) { GameClock.Set(t); }
    int32_t Random(int32_t n) override { return Rand.Random(n); }
    // Logged; in debug mode also shown, after the location load under way if any.
    void Warn(const std::string& message) override;
    bool RunWorldCommand(TScript& self, TWorldCommand command) override;

    // Services.
    TGameOptions Options;
    IPlatform& Platform;
    TFileSystem Files;
    TFontEngine Fonts;
    TSurface DXDraw;
    TImageList DXIL;
    TPictureCache Pictures;  // decoded picture files, so a location change decodes only what changed
    TWaveList DXWL;
    TKeyboard DXI;
    TFrameTimer DXT;
    TRandom Rand;
    TGameClock GameClock;
    TScriptSystem Scripts;
    TGameConfig Config;  // read when the panel is created
    TWorld World;
    // What critters, objects and the panel may reach of the game.
    TWorldContext Context;
    TControlForm ControlForm;
    // The panel's script inspector; it watches the scripts in debug mode.
    TInspector Inspector{Context};
    bool InspectorHeldClock = false;

    // Application state.
    uint8_t ScreenMode = smGame;
    bool DebugMode = false;
    bool FirstLoad = true;
    bool GameSoundsLoaded = false;  // the game's waves are in DXWL (the menu's own three always are)
    bool PlayerDeadFlag = false;
    uint32_t DeathTime = 0;
    bool MusicOn = false;
    // Set by a failed play: music stays off until the next return to the main menu.
    bool MusicBroken = false;
    // What PlayMusic plays for the current screen: the working copy, or the track (see CopyMusic).
    std::string MusicFile = "temp.mp3";
    bool Closed = false;  // the main window has closed: the program ends
    bool SurfaceReady = false;

    std::vector<std::string> CritterImages, ObjectImages, LocationImages;
    std::vector<std::string> ConsoleLines;

    TViewState View;
    TDialogState Dialog;
    TMenuState Menu;

    // The player's own files: settings, saves, screenshots, the log.
    TUserDirs Dirs;
    TSettings Settings;
    TGameLog GameLog;
    // Writes settings.ini and hands the settings to the platform; a failed
    // write is reported and the game goes on with them.
    void SaveSettings();
    // F12: the 800 x 600 frame as a PNG under the pictures folder; returns its path.
    std::string SaveScreenshot();
    // The log file's first lines: version, data folder, drivers, window mode.
    void OpenGameLog();
    std::string SettingsProblem;  // reported once the game has started
    TPauseMenu Pause{*this};
    // The location file last loaded, for the save slots.
    std::string CurrentLocation;

    // Where log lines go besides stderr with --verbose (tests listen here).
    std::function<void(const std::string&)> LogHook;

    // Every message the error report showed, in order.
    std::vector<std::string> Errors;
    uint64_t FrameCount = 0;

private:
    struct TPointerPatch {
        TBitmap Under;  // the frame's pixels beneath the pointer
        int X = 0, Y = 0;
        bool Drawn = false;
    } PointerPatch;
};
