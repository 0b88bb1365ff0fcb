#include "platform/SdlPlatform.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/FrameDriver.h"
#include "app/MainForm.h"
#include "app/Settings.h"
#include "editor/view/PanelWindow.h"
#include "media/Input.h"
#include "media/Sound.h"
#include "platform/Headless.h"

namespace {

class TSdlClock : public IClock {
public:
    uint32_t Now() const override { return SDL_GetTicks(); }
};

// Waves through SDL_mixer; any number of instances of one wave sound at once.
class TMixerOutput : public ISoundOutput {
public:
    // The chunks are freed while the device is still open (see TSdlPlatform::CloseAudio); the mixer's channel
    // table is gone once it is closed.
    ~TMixerOutput() override { Release(); }
    int Prepare(const TWaveData& wave) override {
        // Rebuild a wave file in memory so the mixer converts it to the device format.
        std::vector<uint8_t> file(44 + wave.Samples.size());
        auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&file[at], &v, 4); };
        auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&file[at], &v, 2); };
        std::memcpy(&file[0], "RIFF", 4);
        put32(4, uint32_t(36 + wave.Samples.size()));
        std::memcpy(&file[8], "WAVEfmt ", 8);
        put32(16, 16);
        put16(20, 1);
        put16(22, uint16_t(wave.Channels));
        put32(24, uint32_t(wave.SampleRate));
        put32(28, uint32_t(wave.SampleRate * wave.Channels * wave.BitsPerSample / 8));
        put16(32, uint16_t(wave.Channels * wave.BitsPerSample / 8));
        put16(34, uint16_t(wave.BitsPerSample));
        std::memcpy(&file[36], "data", 4);
        put32(40, uint32_t(wave.Samples.size()));
        if (!wave.Samples.empty()) std::memcpy(&file[44], wave.Samples.data(), wave.Samples.size());
        Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(file.data(), int(file.size())), 1);
        Chunks.push_back(chunk);
        return int(Chunks.size());
    }
    void Play(int handle) override {
        if (handle <= 0 || size_t(handle) > Chunks.size() || !Chunks[size_t(handle) - 1]) return;
        Mix_Chunk* chunk = Chunks[size_t(handle) - 1];
        if (Mix_PlayChannel(-1, chunk, 0) < 0) {
            Mix_AllocateChannels(Mix_AllocateChannels(-1) * 2);
            // New channels start at full volume.
            Mix_Volume(-1, Volume);
            Mix_PlayChannel(-1, chunk, 0);
        }
    }
    void Release() override {
        if (Chunks.empty()) return;
        Mix_HaltChannel(-1);
        for (Mix_Chunk* c : Chunks)
            if (c) Mix_FreeChunk(c);
        Chunks.clear();
    }

    int Volume = MIX_MAX_VOLUME;

private:
    std::vector<Mix_Chunk*> Chunks;
};

class TMixerMusic : public IMusicPlayer {
public:
    ~TMixerMusic() override { Close(); }
    bool Open(const std::string& realPath) override {
        Close();
        FileName = realPath;
        if (!Enabled) return false;
        Music = Mix_LoadMUS(realPath.c_str());
        return Music != nullptr;
    }
    bool Play() override { return Music && Mix_PlayMusic(Music, 1) == 0; }
    void Stop() override {
        if (Enabled) Mix_HaltMusic();
    }
    void Close() override {
        if (Music) {
            Mix_HaltMusic();
            Mix_FreeMusic(Music);
            Music = nullptr;
        }
    }
    bool Enabled = false;

private:
    Mix_Music* Music = nullptr;
};

class TSdlPlatform : public IPlatform {
public:
    const IClock& Clock() override {
        return FrameClock ? static_cast<const IClock&>(VirtualClock) : static_cast<const IClock&>(SysClock);
    }
    ISoundOutput& SoundOutput() override {
        return AudioOpen ? static_cast<ISoundOutput&>(Mixer) : static_cast<ISoundOutput&>(Silent);
    }
    IMusicPlayer& MusicPlayer() override { return Music; }
    void ShowError(const std::string& text) override {
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Rustwake", text.c_str(), Window);
    }
    // The game has set its Closed flag; the frame driver ends the loop on it.
    void CloseMainWindow() override {}
    void SetPanelVisible(bool visible) override {
        Panel = visible;
        if (PanelWindow) PanelWindow->SetVisible(visible);
    }
    bool PanelVisible() const override { return Panel; }
    void HideSystemCursor() override { SDL_ShowCursor(SDL_DISABLE); }
    std::string Describe() override {
        const char* video = SDL_GetCurrentVideoDriver();
        const char* audio = AudioOpen ? SDL_GetCurrentAudioDriver() : nullptr;
        bool full = Window && (SDL_GetWindowFlags(Window) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
        int w = 0, h = 0;
        if (Window) SDL_GetWindowSize(Window, &w, &h);
        return std::string("Video: ") + (video ? video : "none") + ", audio: " + (audio ? audio : "none (silent)") +
               ", window: " + (full ? "full screen " : "window ") + std::to_string(w) + "x" + std::to_string(h);
    }
    void ApplySettings(const TSettings& s) override {
        Current = s;
        ApplyVolume();
        ApplyScaling();
        if (Window) {
            bool full = (SDL_GetWindowFlags(Window) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
            if (!Debug && full != s.FullScreen) SetFullScreen(s.FullScreen);
        }
    }
    void ApplyVolume() {
        if (!AudioOpen) return;
        bool silent = Current.Mute || (Current.MuteUnfocused && !Focused);
        Mix_VolumeMusic(silent ? 0 : Current.MusicVolume * MIX_MAX_VOLUME / 100);
        Mixer.Volume = silent ? 0 : Current.EffectsVolume * MIX_MAX_VOLUME / 100;
        Mix_Volume(-1, Mixer.Volume);
    }
    void ApplyScaling() {
        if (!Renderer || !Texture) return;
        SDL_SetTextureScaleMode(Texture, Current.Scaling == TScaling::Integer ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
        if (Current.Scaling == TScaling::Stretch) {
            SDL_RenderSetLogicalSize(Renderer, 0, 0);
            SDL_RenderSetIntegerScale(Renderer, SDL_FALSE);
        } else {
            SDL_RenderSetLogicalSize(Renderer, 800, 600);
            SDL_RenderSetIntegerScale(Renderer, Current.Scaling == TScaling::Integer ? SDL_TRUE : SDL_FALSE);
        }
    }
    // Window points to surface pixels; the renderer's logical size does it
    // for the letterboxed modes, a stretched picture needs it done here.
    std::pair<int, int> ToSurface(int x, int y) const {
        if (Current.Scaling != TScaling::Stretch || !Window) return {x, y};
        int w = 0, h = 0;
        SDL_GetWindowSize(Window, &w, &h);
        if (w <= 0 || h <= 0) return {x, y};
        return {x * 800 / w, y * 600 / h};
    }
    void SetFullScreen(bool full) {
        SDL_SetWindowFullscreen(Window, full ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        if (!full) {
            SDL_SetWindowSize(Window, 800, 600);
            SDL_SetWindowPosition(Window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        }
    }

    bool OpenAudio() {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        Mix_Init(MIX_INIT_MP3);
        Mix_AllocateChannels(32);
        AudioOpen = true;
        Music.Enabled = true;
        return true;
    }
    // Music and chunks go before the device they play on; every exit path calls this, so it runs once.
    void CloseAudio() {
        if (!AudioOpen) return;
        Music.Close();
        Music.Enabled = false;
        Mixer.Release();
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        AudioOpen = false;
    }

    TSdlClock SysClock;
    // A recorded or scripted session runs on the headless runner's frame clock.
    TManualClock VirtualClock;
    bool FrameClock = false;
    TMixerOutput Mixer;
    TSilentOutput Silent;
    TMixerMusic Music;
    bool AudioOpen = false;
    bool Panel = false;
    bool Debug = false;
    bool Focused = true;
    TSettings Current;
    SDL_Window* Window = nullptr;
    SDL_Renderer* Renderer = nullptr;
    SDL_Texture* Texture = nullptr;
    TPanelWindow* PanelWindow = nullptr;  // debug mode only
};

// Everything SDL hands out, given back once in reverse order of creation, whichever way the run ends.
struct TSdlSession {
    TSdlPlatform Platform;
    SDL_Window* Window = nullptr;
    SDL_Renderer* Renderer = nullptr;
    SDL_Texture* Texture = nullptr;

    ~TSdlSession() {
        Platform.CloseAudio();
        Platform.Window = nullptr;
        if (Texture) SDL_DestroyTexture(Texture);
        if (Renderer) SDL_DestroyRenderer(Renderer);
        if (Window) SDL_DestroyWindow(Window);
        SDL_Quit();
    }
};

int VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + int(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + int(key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + int(key - SDLK_F1);
    switch (key) {
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return VK_SHIFT;
        case SDLK_LCTRL:
        case SDLK_RCTRL: return 17;
        case SDLK_LALT:
        case SDLK_RALT: return 18;
        case SDLK_ESCAPE: return VK_ESCAPE;
        case SDLK_SPACE: return VK_SPACE;
        case SDLK_RETURN: return 13;
        case SDLK_BACKSPACE: return 8;
        case SDLK_TAB: return 9;
        case SDLK_LEFT: return VK_LEFT;
        case SDLK_UP: return VK_UP;
        case SDLK_RIGHT: return VK_RIGHT;
        case SDLK_DOWN: return VK_DOWN;
        case SDLK_DELETE: return VK_DELETE;
        case SDLK_INSERT: return 45;
        case SDLK_HOME: return 36;
        case SDLK_END: return 35;
        case SDLK_PAGEUP: return 33;
        case SDLK_PAGEDOWN: return 34;
        case SDLK_KP_2: return VK_NUMPAD2;
        case SDLK_KP_4: return VK_NUMPAD4;
        case SDLK_KP_6: return VK_NUMPAD6;
        case SDLK_KP_8: return VK_NUMPAD8;
        default: return 0;
    }
}

// The key SDL reports for a virtual-key code: the inverse of VirtualKey, for scripted sessions.
SDL_Keycode SdlKey(int vk) {
    std::vector<SDL_Keycode> keys = {SDLK_LSHIFT, SDLK_LCTRL, SDLK_LALT,   SDLK_ESCAPE, SDLK_SPACE,  SDLK_RETURN,
                                     SDLK_BACKSPACE, SDLK_TAB, SDLK_LEFT, SDLK_UP,     SDLK_RIGHT,  SDLK_DOWN,
                                     SDLK_DELETE, SDLK_INSERT, SDLK_HOME,  SDLK_END,    SDLK_PAGEUP, SDLK_PAGEDOWN,
                                     SDLK_KP_2,   SDLK_KP_4,   SDLK_KP_6,  SDLK_KP_8};
    for (SDL_Keycode k = SDLK_a; k <= SDLK_z; ++k) keys.push_back(k);
    for (SDL_Keycode k = SDLK_0; k <= SDLK_9; ++k) keys.push_back(k);
    for (SDL_Keycode k = SDLK_F1; k <= SDLK_F12; ++k) keys.push_back(k);
    for (SDL_Keycode k : keys)
        if (VirtualKey(k) == vk) return k;
    return SDLK_UNKNOWN;
}

int MouseButton(uint8_t b) {
    if (b == SDL_BUTTON_LEFT) return mbLeft;
    if (b == SDL_BUTTON_RIGHT) return mbRight;
    if (b == SDL_BUTTON_MIDDLE) return mbMiddle;
    return -1;
}

uint8_t SdlButton(int button) {
    return button == mbLeft ? SDL_BUTTON_LEFT : button == mbRight ? SDL_BUTTON_RIGHT : SDL_BUTTON_MIDDLE;
}

// The window around the frame: SDL's events in, the picture out, the editor
// panel beside it. A scripted session's events go through SDL's queue like a
// person's, so they are handled (and recorded) alike.
class TWindowHost : public IFrameHost {
public:
    TWindowHost(TSdlSession& session, TMainForm& game, std::vector<TInputEvent> script,
                std::function<TWindowRequest(TMainForm&)> afterFrame)
        : Session(session), Platform(session.Platform), Game(game), Script(std::move(script)),
          AfterFrame(std::move(afterFrame)), WindowId(SDL_GetWindowID(session.Window)) {}

    void Events(TFrameDriver& driver) override {
        for (const TInputEvent& e : Script.Take(driver.Frame())) {
            // Panel lines operate the panel's model directly, in their place among the frame's events.
            if (e.Kind == TInputEvent::Panel) {
                Drain(driver);
                driver.PanelLine(e.PanelArgs);
            } else {
                Push(e);
            }
        }
        Drain(driver);
    }

    void Present(TMainForm& game) override {
        SDL_UpdateTexture(Session.Texture, nullptr, game.DXDraw.Pixels().Data().data(), 800 * 4);
        SDL_SetRenderDrawColor(Session.Renderer, 0, 0, 0, 255);
        SDL_RenderClear(Session.Renderer);
        SDL_RenderCopy(Session.Renderer, Session.Texture, nullptr, nullptr);
        SDL_RenderPresent(Session.Renderer);
        if (Panel) Panel->Frame();
        const TWindowRequest request = AfterFrame ? AfterFrame(game) : TWindowRequest::None;
        if (request == TWindowRequest::None) return;
        SDL_Event close{};
        if (request == TWindowRequest::Quit) {
            close.type = SDL_QUIT;
        } else {
            close.type = SDL_WINDOWEVENT;
            close.window.event = SDL_WINDOWEVENT_CLOSE;
            close.window.windowID = WindowId;
        }
        SDL_PushEvent(&close);
    }

    bool WritePanelPicture(const std::string& path, std::string& why) override {
        return WritePanelScreenshot(Game, path, why);
    }

    // The editor panel: its own window beside the game's, in debug mode.
    void OpenPanel() {
        Panel = std::make_unique<TPanelWindow>(Game);
        if (Panel->Create(Session.Window)) {
            Platform.PanelWindow = Panel.get();
            Panel->SetVisible(Platform.Panel);
        } else {
            std::cerr << "rustwake: no editor panel: " << Panel->Error << '\n';
            Panel.reset();
        }
    }
    void ClosePanel() {
        Platform.PanelWindow = nullptr;
        Panel.reset();
    }

    // Between frames: a person's session keeps to real time, a scripted one runs as fast as it can.
    void Pace(const TFrameDriver& driver, bool scripted) {
        if (!driver.FrameClocked()) {
            if (!driver.Drawn()) SDL_Delay(1);
            return;
        }
        const Uint32 due = RealStart + Uint32(driver.Frame()) * Game.Options.StepMs, now = SDL_GetTicks();
        if (!scripted && int32_t(due - now) > 0) SDL_Delay(due - now);
    }

private:
    // A scripted event into SDL's queue, as the desktop would send it.
    void Push(const TInputEvent& e) {
        SDL_Event push{};
        switch (e.Kind) {
            case TInputEvent::Move:
                push.type = SDL_MOUSEMOTION;
                push.motion.windowID = WindowId;
                push.motion.x = ScriptX = e.X;
                push.motion.y = ScriptY = e.Y;
                break;
            case TInputEvent::Down:
            case TInputEvent::Up:
                // A click comes where the scripted pointer last moved; its moves are still in the queue.
                push.type = e.Kind == TInputEvent::Down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
                push.button.windowID = WindowId;
                push.button.button = SdlButton(e.Button);
                push.button.x = ScriptX;
                push.button.y = ScriptY;
                break;
            case TInputEvent::KeyDown:
            case TInputEvent::KeyUp:
                push.type = e.Kind == TInputEvent::KeyDown ? SDL_KEYDOWN : SDL_KEYUP;
                push.key.windowID = WindowId;
                push.key.keysym.sym = SdlKey(e.Key);
                break;
            case TInputEvent::Leave:
                push.type = SDL_WINDOWEVENT;
                push.window.windowID = WindowId;
                push.window.event = SDL_WINDOWEVENT_LEAVE;
                break;
            case TInputEvent::Close: push.type = SDL_QUIT; break;
            case TInputEvent::Panel: return;
        }
        SDL_PushEvent(&push);
    }

    void Drain(TFrameDriver& driver) {
        SDL_Event ev;
        while (SDL_PollEvent(&ev)) Dispatch(ev, driver);
    }

    void Dispatch(const SDL_Event& ev, TFrameDriver& driver) {
        if (Panel && Panel->Handle(ev)) {
            if (ev.type == SDL_MOUSEBUTTONDOWN || ev.type == SDL_KEYDOWN)
                driver.Note("the editor panel was used; its changes are not recorded");
            return;
        }
        switch (ev.type) {
            case SDL_QUIT: driver.RequestClose(); break;
            case SDL_KEYDOWN:
            case SDL_KEYUP: Key(ev, driver); break;
            case SDL_MOUSEMOTION: {
                auto [x, y] = Platform.ToSurface(ev.motion.x, ev.motion.y);
                driver.PointerMove(x, y);
                break;
            }
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP: {
                const int b = MouseButton(ev.button.button);
                if (b < 0) break;
                auto [x, y] = Platform.ToSurface(ev.button.x, ev.button.y);
                driver.ButtonAt(b, ev.type == SDL_MOUSEBUTTONDOWN, x, y);
                break;
            }
            case SDL_WINDOWEVENT: Window(ev, driver); break;
            default: break;
        }
    }

    void Key(const SDL_Event& ev, TFrameDriver& driver) {
        if (ev.type == SDL_KEYDOWN && ev.key.keysym.sym == SDLK_RETURN && (ev.key.keysym.mod & KMOD_ALT)) {
            ToggleFullScreen();
            return;
        }
        if (Panel && Panel->Shortcut(ev)) {
            driver.Note("an editor shortcut is not recorded");
            return;
        }
        driver.KeyEvent(VirtualKey(ev.key.keysym.sym), ev.type == SDL_KEYDOWN);
    }

    // Alt+Enter. The debug window is always a window; only play remembers the choice.
    void ToggleFullScreen() {
        const bool full =
            (SDL_GetWindowFlags(Session.Window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != SDL_WINDOW_FULLSCREEN_DESKTOP;
        Platform.SetFullScreen(full);
        if (Platform.Debug) return;
        Game.Settings.FullScreen = full;
        Game.SaveSettings();
    }

    void Window(const SDL_Event& ev, TFrameDriver& driver) {
        switch (ev.window.event) {
            case SDL_WINDOWEVENT_FOCUS_LOST:
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                if (ev.window.event == SDL_WINDOWEVENT_FOCUS_LOST) driver.ReleaseKeys();
                Platform.Focused = ev.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
                Platform.ApplyVolume();
                break;
            case SDL_WINDOWEVENT_LEAVE: driver.Leave(); break;
            // With the panel open, closing the game window no longer ends SDL's last window.
            case SDL_WINDOWEVENT_CLOSE: driver.RequestClose(); break;
            default: break;
        }
    }

    TSdlSession& Session;
    TSdlPlatform& Platform;
    TMainForm& Game;
    TInputScript Script;
    std::function<TWindowRequest(TMainForm&)> AfterFrame;
    const Uint32 WindowId;
    const Uint32 RealStart = SDL_GetTicks();
    std::unique_ptr<TPanelWindow> Panel;
    // Where the scripted pointer is.
    int ScriptX = 0, ScriptY = 0;
};

// SDL with a display to draw on; false, said on stderr, when there is none.
bool OpenVideo() {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
        std::cerr << "rustwake: cannot open a window: " << SDL_GetError()
                  << "\n(without a display, use --headless; see --help)\n";
        return false;
    }
    // Without a display SDL falls back to drawing nowhere; a game nobody can
    // see would run for ever, so say so unless that was asked for.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && !std::getenv("SDL_VIDEODRIVER") &&
        (std::string(driver) == "offscreen" || std::string(driver) == "dummy")) {
        std::cerr << "rustwake: no display to open a window on\n(without a display, use --headless; see --help)\n";
        SDL_Quit();
        return false;
    }
    return true;
}

// The window, its renderer and the texture the frame is copied into, as the settings say (the game exists
// before its window).
bool OpenWindow(TSdlSession& session, TMainForm& game) {
    TSdlPlatform& platform = session.Platform;
    const bool debug = platform.Debug;
    if (game.Options.Windowed && !debug && game.Settings.FullScreen) {
        game.Settings.FullScreen = false;
        game.SaveSettings();
    }
    const bool fullScreen = !debug && game.Settings.FullScreen;
    int x = debug ? 209 : SDL_WINDOWPOS_CENTERED, y = debug ? 95 : SDL_WINDOWPOS_CENTERED, w = 800, h = 600;
    // Full screen starts as large as the desktop, so it fills the screen even
    // where no window manager enlarges it.
    SDL_DisplayMode desktop;
    if (fullScreen && SDL_GetDesktopDisplayMode(0, &desktop) == 0) x = 0, y = 0, w = desktop.w, h = desktop.h;
    session.Window = SDL_CreateWindow(debug ? "Rustwake - debug mode" : "Rustwake", x, y, w, h,
                                      fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (!session.Window) {
        std::cerr << "rustwake: cannot open a window: " << SDL_GetError() << '\n';
        return false;
    }
    platform.Window = session.Window;
    session.Renderer = SDL_CreateRenderer(session.Window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!session.Renderer) session.Renderer = SDL_CreateRenderer(session.Window, -1, SDL_RENDERER_SOFTWARE);
    SDL_RenderSetLogicalSize(session.Renderer, 800, 600);
    session.Texture =
        SDL_CreateTexture(session.Renderer, SDL_PIXELFORMAT_XBGR8888, SDL_TEXTUREACCESS_STREAMING, 800, 600);
    platform.Renderer = session.Renderer;
    platform.Texture = session.Texture;
    return true;
}

}  // namespace

void ShowStartupError(const std::string& text) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Rustwake", text.c_str(), nullptr);
    SDL_Quit();
}

bool AskStartupQuestion(const std::string& text) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
    };
    const SDL_MessageBoxData box{SDL_MESSAGEBOX_INFORMATION, nullptr, "Rustwake", text.c_str(), 2, buttons, nullptr};
    int pressed = 0;
    const bool yes = SDL_ShowMessageBox(&box, &pressed) == 0 && pressed == 1;
    SDL_Quit();
    return yes;
}

int RunWindowed(const TGameOptions& givenOptions, const std::function<TWindowRequest(TMainForm&)>& afterFrame) {
    if (!OpenVideo()) return 1;
    TSdlSession session;
    TSdlPlatform& platform = session.Platform;
    if (!platform.OpenAudio()) std::cerr << "rustwake: no audio device (" << SDL_GetError() << "); playing silent\n";
    platform.Debug = IsDebugParam(givenOptions.GameParams);

    // Recording, or a scripted session (--input, --frames), runs frame by frame on the virtual clock the
    // headless runner uses, so that each recorded frame is the same frame when it is replayed.
    TGameOptions options = givenOptions;
    std::vector<TInputEvent> script;
    try {
        if (!options.InputFile.empty()) script = ReadInputFile(options.InputFile);
    } catch (const std::exception& e) {
        std::cerr << "rustwake: " << e.what() << '\n';
        return 2;  // the session gives the window and the audio back
    }
    const bool scripted = !options.InputFile.empty() || options.Frames > 0;
    platform.FrameClock = scripted || !options.RecordFile.empty();
    if (platform.FrameClock) {
        platform.VirtualClock.Set(HeadlessClockStart);
        // The seed is chosen here, not by the game, so the recording can name it.
        if (!options.Seed) options.Seed = uint32_t(std::time(nullptr)) ^ SDL_GetTicks();
    }

    auto game = std::make_unique<TMainForm>(options, platform);
    if (!OpenWindow(session, *game)) return 1;
    TWindowHost host(session, *game, std::move(script), afterFrame);
    TFrameDriver driver(*game, host, platform.FrameClock ? &platform.VirtualClock : nullptr,
                        options.Frames > 0 ? options.Frames : -1);
    if (driver.Start()) {
        if (game->DebugMode) host.OpenPanel();
        while (driver.Step()) host.Pace(driver, scripted);
    }
    const int code = driver.Finish();
    host.ClosePanel();
    game->FormDestroy();
    return code;
}
