#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/Options.h"
#include "app/GameLog.h"
#include "app/Platform.h"
#include "app/Settings.h"
#include "app/UserDirs.h"
#include "base/FileSystem.h"
#include "base/Random.h"
#include "editor/model/ControlForm.h"
#include "media/Font.h"
#include "media/ImageList.h"
#include "media/PictureCache.h"
#include "media/Input.h"
#include "media/Sound.h"
#include "media/Surface.h"
#include "screens/PauseMenu.h"
#include "script/Script.h"
#include "world/SpecialObjects.h"
#include "world/World.h"

enum TScreenMode : uint8_t { smGame = 0, smDialog = 2, smMainMenu = 3 };
enum TMouseButton : int { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// View and frame state of the game screen, shared with its input handlers.
struct TViewState {
    int32_t ScrollX = 0, ScrollY = 0;
    float VelocityX = 0, VelocityY = 0;
    int32_t MouseX = 0, MouseY = 0;
    int32_t HoverTileX = 0, HoverTileY = 0;
    bool HoverRequest = false;
    int32_t HoverIndex = -1;
    int32_t HoverKind = -1;
    bool AttackCursor = false;
    bool InventoryPressed = false, MenuPressed = false;
    bool MiddleDrag = false;
    bool TileInfoShown = true;
    bool DeleteLatch = false;
    bool LeftHeld = false, RightHeld = false;
    bool InventoryCaptured = false, MenuCaptured = false;
    // The pointer is over the window; edge scrolling needs it there.
    bool PointerInside = true;
};

// The dialog window and its portrait fade.
struct TDialogState {
    std::string CurrentHead;
    int32_t OwnerIndex = -1;
    int32_t OwnerKind = -1;
    std::vector<std::string> Question;
    std::vector<std::string> Answers;
    std::vector<std::string> AnswerNodes;
    int32_t Hovered = -1;
    bool FadeRunning = false;
    std::string PreviousHead, NewHead;
    int32_t FadeDuration = 1000;
    uint32_t FadeStart = 0;
    // A portrait fade lasts as the script says, but never longer than this.
    static constexpr int32_t MaxFadeMs = 10000;
};

// The main menu's state.
struct TMenuState {
    uint8_t SubState = 0;  // 0 menu, 1 logo splash, 2 credits
    uint32_t PhaseStart = 0;
    int32_t LogoAlpha = 0;
    bool Paused = false;
    uint32_t PausedElapsed = 0;
    bool SpaceLatch = false;
    bool Highlighted[3] = {};
    bool Pressed[3] = {};
    bool CreditsOnly = false;
    bool ReturnToMenu = false;
    int32_t CreditsOffset = 0;  // pixels the roll has moved, as last drawn
};

// The main window: owns every service and all game state, and carries the
// handlers of every screen. One instance is one game; tests build as many
// as they like, each on its own data folder.
class TMainForm : public IScriptHost {
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
    void PointerLeft() { View.PointerInside = false; }
    void FormDestroy();
    void Log(const std::string& message) override;
    void PlayerDead();

    // One pass of the loop: due script timers, then the frame tick if the
    // frame timer is due. Returns true when a frame was rendered.
    bool Tick();

    // Surface lifecycle: the screen-switch order.
    void FinalizeSurface();
    void InitializeSurface();
    // Initialize, then enable the frame timer (also when the loading fails).
    void InitializeSurfaceAndTimer();
    // Disable timer, clear images, finalize, initialize, enable timer.
    void ReloadGraphics();

    // Screens.
    void GameInit();
    void GameRender();
    void GameMouseDown(int button, int x, int y);
    void GameMouseMove(int x, int y);
    void GameMouseUp(int button, int x, int y);
    void DialogMouseDown(int button, int x, int y);
    void DialogMouseMove(int x, int y);
    void DialogMouseUp(int button, int x, int y);
    // The hover index of the last pick, if it still names a record.
    bool HoverValid() const;
    // The editor's brush on page Brush.
    void PaintTile(int button, int x, int y);
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
    void AddConsole(const std::string& text);
    // Word wrap of the console (190 px, the break's space dropped) and of
    // the dialog question (300 px, continued lines keep it); the first line
    // carries the bullet marker.
    std::vector<std::string> WrapText(const std::string& text, const TFontSpec& font, int limit, bool keepSpace);
    void RenderConsole();
    void AddQuestion(const std::string& text);
    void renderDialog();
    void PlayMusic(const std::string& fileName);
    // Copies a track to the working copy "temp.mp3" and names what to play: the copy, or the track itself
    // when the data folder cannot be written (an installed game run by a player).
    std::string CopyMusic(const std::string& track);

    // A headless input line that operates the editor panel.
    void PanelCommand(const std::string& args);

    // Location files.
    void LoadMap(const std::string& path);
    void SaveMap(const std::string& path);

    // The error boundary: runs one event's handler; an error ends it and is
    // reported, and the game carries on.
    void Guard(const std::function<void()>& handler);
    void ReportError(const std::exception& error);

    // A count of numbered entries in game.ini's [Main] (Sounds, Heads,
    // CritterSkin, HitTypes, SpecialObjects). Above MaxConfigCount it is
    // reported once and the first MaxConfigCount entries are read.
    static constexpr int32_t MaxConfigCount = 4096;
    int32_t ConfigCount(const std::string& key);
    // The [ObjectK] sections, read once per configuration.
    const TSpecialObjects& SpecialObjects();
    // Forgets what was read from the configuration (it has been read anew).
    void ConfigChanged();

    // IScriptHost.
    // The game clock: the platform's, less the time the world stood still
    // (pause menu), set back or forward by a loaded game.
    uint32_t Now() override { return ClockHeld ? HeldAt : Platform.Clock().Now() - ClockOffset; }
    void HoldClock() {
        if (!ClockHeld) HeldAt = Now(), ClockHeld = true;
    }
    void ReleaseClock() {
        if (ClockHeld) ClockOffset = Platform.Clock().Now() - HeldAt, ClockHeld = false;
    }
    void SetGameTime(uint32_t t) {
        if (ClockHeld)
            HeldAt = t;
        else
            ClockOffset = Platform.Clock().Now() - t;
    }
    uint32_t ClockOffset = 0, HeldAt = 0;
    bool ClockHeld = false;
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
    TScriptSystem Scripts;
    TControlForm ControlForm;

    // Application state.
    uint8_t ScreenMode = smGame;
    bool DebugMode = false;
    bool FirstLoad = true;
    bool PlayerDeadFlag = false;
    uint32_t DeathTime = 0;
    bool MusicOn = false;
    bool MusicBroken = false;
    // What PlayMusic plays for the current screen: the working copy, or the track (see CopyMusic).
    std::string MusicFile = "temp.mp3";
    bool Closed = false;  // the main window has closed: the program ends
    bool SurfaceReady = false;

    std::vector<std::string> CritterImages, ObjectImages, LocationImages;
    std::vector<std::string> ConsoleLines;

    TWorld World;
    TViewState View;
    TDialogState Dialog;
    TMenuState Menu;

    std::map<std::string, int32_t> ConfigCounts;
    std::unique_ptr<TSpecialObjects> SpecialTable;
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
};
