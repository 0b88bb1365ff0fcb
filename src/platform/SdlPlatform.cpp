#include "platform/SdlPlatform.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <iostream>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "app/Dump.h"
#include "app/MainForm.h"
#include "app/Settings.h"
#include "base/Errors.h"
#include "editor/view/PanelWindow.h"
#include "media/Bitmap.h"
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
    void CloseMainWindow() override { Quit = true; }
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
    bool Quit = false;
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

const char* ButtonWord(int button) {
    return button == mbLeft ? "left" : button == mbRight ? "right" : "middle";
}

// The session's input in the headless input-file form, one line per event
// as it reaches the game, each written at once so a crash keeps what came before.
class TSessionRecorder {
public:
    bool Open(const TGameOptions& options, uint32_t seed) {
        Out.open(options.RecordFile, std::ios::binary | std::ios::trunc);
        if (!Out) return false;
        std::error_code ec;
        const std::filesystem::path data = std::filesystem::absolute(options.DataDir, ec);
        Replay = std::string("rustwake --headless") + (IsDebugParam(options.GameParams) ? " debug" : "") +
                 " --step-ms " + std::to_string(options.StepMs) + " --seed " + std::to_string(seed) + " --data \"" +
                 data.string() + "\" --input \"" + options.RecordFile + "\"";
        Out << "# rustwake recording: seed " << seed << ", step " << options.StepMs << " ms, data \"" << data.string()
            << "\"" << (IsDebugParam(options.GameParams) ? ", debug" : "") << '\n';
        Out.flush();
        return true;
    }
    void Line(int frame, const std::string& event) {
        if (!Out.is_open()) return;
        Out << frame << ' ' << event << '\n';
        Out.flush();
    }
    void Note(const std::string& text) {
        if (!Out.is_open()) return;
        Out << "# " << text << '\n';
        Out.flush();
    }
    void Finish(int frames) {
        Note("ended after " + std::to_string(frames) + " frames; replay: " + Replay + " --frames " +
             std::to_string(frames));
    }

private:
    std::ofstream Out;
    std::string Replay;
};

bool WriteWhole(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), std::streamsize(data.size()));
    return bool(out);
}

int MouseButton(uint8_t b) {
    if (b == SDL_BUTTON_LEFT) return mbLeft;
    if (b == SDL_BUTTON_RIGHT) return mbRight;
    if (b == SDL_BUTTON_MIDDLE) return mbMiddle;
    return -1;
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
    TGameOptions options = givenOptions;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
        std::cerr << "rustwake: cannot open a window: " << SDL_GetError()
                  << "\n(without a display, use --headless; see --help)\n";
        return 1;
    }
    // Without a display SDL falls back to drawing nowhere; a game nobody can
    // see would run for ever, so say so unless that was asked for.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && !std::getenv("SDL_VIDEODRIVER") &&
        (std::string(driver) == "offscreen" || std::string(driver) == "dummy")) {
        std::cerr << "rustwake: no display to open a window on\n(without a display, use --headless; see --help)\n";
        SDL_Quit();
        return 1;
    }
    TSdlSession session;
    TSdlPlatform& platform = session.Platform;
    if (!platform.OpenAudio()) std::cerr << "rustwake: no audio device (" << SDL_GetError() << "); playing silent\n";

    bool debug = IsDebugParam(options.GameParams);
    platform.Debug = debug;
    // The game exists before its window: the window opens as the settings say.
    auto gamePtr = std::make_unique<TMainForm>(options, platform);
    TMainForm& game = *gamePtr;
    if (options.Windowed && !debug && game.Settings.FullScreen) {
        game.Settings.FullScreen = false;
        game.SaveSettings();
    }
    bool fullScreen = !debug && game.Settings.FullScreen;
    Uint32 flags = fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
    int x = debug ? 209 : SDL_WINDOWPOS_CENTERED, y = debug ? 95 : SDL_WINDOWPOS_CENTERED, w = 800, h = 600;
    // Full screen starts as large as the desktop, so it fills the screen even
    // where no window manager enlarges it.
    SDL_DisplayMode desktop;
    if (fullScreen && SDL_GetDesktopDisplayMode(0, &desktop) == 0) x = 0, y = 0, w = desktop.w, h = desktop.h;
    SDL_Window* window = session.Window =
        SDL_CreateWindow(debug ? "Rustwake - debug mode" : "Rustwake", x, y, w, h, flags);
    if (!window) {
        std::cerr << "rustwake: cannot open a window: " << SDL_GetError() << '\n';
        return 1;
    }
    platform.Window = window;
    SDL_Renderer* renderer = session.Renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!renderer) renderer = session.Renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    SDL_RenderSetLogicalSize(renderer, 800, 600);
    SDL_Texture* texture = session.Texture =
        SDL_CreateTexture(renderer, SDL_PIXELFORMAT_XBGR8888, SDL_TEXTUREACCESS_STREAMING, 800, 600);
    platform.Renderer = renderer;
    platform.Texture = texture;

    // Recording, or a scripted session (--input, --frames), runs frame by frame on the virtual clock the
    // headless runner uses, so that each recorded frame is the same frame when it is replayed.
    std::vector<TInputEvent> script;
    if (!options.InputFile.empty()) {
        std::ifstream in(options.InputFile, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        try {
            if (!in) throw EGameError("cannot open input file \"" + options.InputFile + "\"");
            script = ParseInputFile(text.str(), options.InputFile);
        } catch (const std::exception& e) {
            std::cerr << "rustwake: " << e.what() << '\n';
            return 2;  // the session gives the window and the audio back
        }
    }
    const bool scripted = !options.InputFile.empty() || options.Frames > 0;
    platform.FrameClock = scripted || !options.RecordFile.empty();
    TSessionRecorder recorder;
    if (platform.FrameClock) {
        platform.VirtualClock.Set(HeadlessClockStart);
        // The seed is chosen here, not by the game, so the recording can name it.
        if (!options.Seed) options.Seed = uint32_t(std::time(nullptr)) ^ SDL_GetTicks();
        if (!options.RecordFile.empty() && !recorder.Open(options, *options.Seed))
            std::cerr << "rustwake: cannot create recording \"" << options.RecordFile << "\"\n";
    }
    const Uint32 windowId = SDL_GetWindowID(window);

    int code = 0;
    {
        if (!game.Start()) code = 1;
        // The editor panel: its own window beside the game's, in debug mode.
        std::unique_ptr<TPanelWindow> panel;
        if (code == 0 && game.DebugMode) {
            panel = std::make_unique<TPanelWindow>(game);
            if (panel->Create(window)) {
                platform.PanelWindow = panel.get();
                panel->SetVisible(platform.Panel);
            } else {
                std::cerr << "rustwake: no editor panel: " << panel->Error << '\n';
                panel.reset();
            }
        }
        int frame = 0;
        size_t nextScripted = 0;
        // Where the scripted pointer is: its moves are still in the queue when a click is pushed.
        int scriptX = game.View.MouseX, scriptY = game.View.MouseY;
        const Uint32 realStart = SDL_GetTicks();
        // A click reaches the game where the pointer last moved, as the headless runner delivers it.
        auto pointTo = [&](int px, int py) {
            if (!platform.FrameClock || (px == game.View.MouseX && py == game.View.MouseY)) return;
            game.DXDrawMouseMove(px, py);
            recorder.Line(frame, "move " + std::to_string(px) + " " + std::to_string(py));
        };
        while (code == 0 && !game.Closed && !platform.Quit) {
            // Scripted events go through SDL's queue like a person's, so they are handled and recorded alike.
            for (; nextScripted < script.size() && script[nextScripted].Frame == frame; ++nextScripted) {
                const TInputEvent& e = script[nextScripted];
                SDL_Event push{};
                if (e.Kind == TInputEvent::Move) {
                    push.type = SDL_MOUSEMOTION;
                    push.motion.windowID = windowId;
                    push.motion.x = scriptX = e.X;
                    push.motion.y = scriptY = e.Y;
                } else if (e.Kind == TInputEvent::Down || e.Kind == TInputEvent::Up) {
                    push.type = e.Kind == TInputEvent::Down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
                    push.button.windowID = windowId;
                    push.button.button = e.Button == mbLeft    ? SDL_BUTTON_LEFT
                                         : e.Button == mbRight ? SDL_BUTTON_RIGHT
                                                               : SDL_BUTTON_MIDDLE;
                    push.button.x = scriptX;
                    push.button.y = scriptY;
                } else if (e.Kind == TInputEvent::KeyDown || e.Kind == TInputEvent::KeyUp) {
                    push.type = e.Kind == TInputEvent::KeyDown ? SDL_KEYDOWN : SDL_KEYUP;
                    push.key.windowID = windowId;
                    push.key.keysym.sym = SdlKey(e.Key);
                } else {
                    // Panel lines operate the panel's model directly, as in the headless runner.
                    SDL_PumpEvents();
                    game.Guard([&] { game.PanelCommand(e.PanelArgs); });
                    recorder.Line(frame, "panel " + e.PanelArgs);
                    continue;
                }
                SDL_PushEvent(&push);
            }
            SDL_Event ev;
            while (SDL_PollEvent(&ev)) {
                if (panel && panel->Handle(ev)) {
                    if (ev.type == SDL_MOUSEBUTTONDOWN || ev.type == SDL_KEYDOWN)
                        recorder.Note("frame " + std::to_string(frame) +
                                      ": the editor panel was used; its changes are not recorded");
                    continue;
                }
                switch (ev.type) {
                    case SDL_QUIT: platform.Quit = true; break;
                    case SDL_KEYDOWN:
                    case SDL_KEYUP: {
                        if (ev.type == SDL_KEYDOWN && ev.key.keysym.sym == SDLK_RETURN && (ev.key.keysym.mod & KMOD_ALT)) {
                            fullScreen = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != SDL_WINDOW_FULLSCREEN_DESKTOP;
                            platform.SetFullScreen(fullScreen);
                            // The debug window is always a window; only play remembers the choice.
                            if (!debug) {
                                game.Settings.FullScreen = fullScreen;
                                game.SaveSettings();
                            }
                            break;
                        }
                        if (panel && panel->Shortcut(ev)) {
                            recorder.Note("frame " + std::to_string(frame) + ": an editor shortcut is not recorded");
                            break;
                        }
                        int vk = VirtualKey(ev.key.keysym.sym);
                        if (vk <= 0) break;
                        const bool down = ev.type == SDL_KEYDOWN;
                        if (game.DXI.Live[size_t(vk)] != down)
                            recorder.Line(frame, std::string(down ? "keydown " : "keyup ") + std::to_string(vk));
                        game.DXI.Live[size_t(vk)] = down;
                        if (down && !ev.key.repeat) game.DXI.Pressed[size_t(vk)] = true;
                        break;
                    }
                    case SDL_MOUSEMOTION: {
                        auto [mx, my] = platform.ToSurface(ev.motion.x, ev.motion.y);
                        game.DXDrawMouseMove(mx, my);
                        recorder.Line(frame, "move " + std::to_string(mx) + " " + std::to_string(my));
                        break;
                    }
                    case SDL_MOUSEBUTTONDOWN:
                    case SDL_MOUSEBUTTONUP: {
                        int b = MouseButton(ev.button.button);
                        if (b < 0) break;
                        auto [mx, my] = platform.ToSurface(ev.button.x, ev.button.y);
                        pointTo(mx, my);
                        recorder.Line(frame, std::string(ev.type == SDL_MOUSEBUTTONDOWN ? "down " : "up ") + ButtonWord(b));
                        if (ev.type == SDL_MOUSEBUTTONDOWN)
                            game.DXDrawMouseDown(b, mx, my);
                        else
                            game.DXDrawMouseUp(b, mx, my);
                        break;
                    }
                    case SDL_WINDOWEVENT:
                        if (ev.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                            for (size_t vk = 0; vk < game.DXI.Live.size(); ++vk)
                                if (game.DXI.Live[vk]) recorder.Line(frame, "keyup " + std::to_string(vk));
                            game.DXI.Live.fill(false);
                        }
                        if (ev.window.event == SDL_WINDOWEVENT_FOCUS_LOST || ev.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                            platform.Focused = ev.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
                            platform.ApplyVolume();
                        }
                        if (ev.window.event == SDL_WINDOWEVENT_LEAVE) game.PointerLeft();
                        // With the panel open, closing the game window no longer ends SDL's last window.
                        if (ev.window.event == SDL_WINDOWEVENT_CLOSE) platform.Quit = true;
                        break;
                    default: break;
                }
            }
            if (platform.Quit || game.Closed) break;
            const bool drawn = game.Tick();
            if (drawn) {
                SDL_UpdateTexture(texture, nullptr, game.DXDraw.Pixels().Data().data(), 800 * 4);
                SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
                SDL_RenderClear(renderer);
                SDL_RenderCopy(renderer, texture, nullptr, nullptr);
                SDL_RenderPresent(renderer);
                if (panel) panel->Frame();
                TWindowRequest request = afterFrame ? afterFrame(game) : TWindowRequest::None;
                if (request != TWindowRequest::None) {
                    SDL_Event closeEvent{};
                    if (request == TWindowRequest::Quit) {
                        closeEvent.type = SDL_QUIT;
                    } else {
                        closeEvent.type = SDL_WINDOWEVENT;
                        closeEvent.window.event = SDL_WINDOWEVENT_CLOSE;
                        closeEvent.window.windowID = SDL_GetWindowID(window);
                    }
                    SDL_PushEvent(&closeEvent);
                }
            }
            if (platform.Quit) game.Closed = true;
            if (!platform.FrameClock) {
                if (!drawn) SDL_Delay(1);
                continue;
            }
            platform.VirtualClock.Advance(options.StepMs);
            ++frame;
            if (options.Frames > 0 && frame >= options.Frames) break;
            // A person's session keeps to real time; a scripted one runs as fast as it can.
            const Uint32 due = realStart + Uint32(frame) * options.StepMs, now = SDL_GetTicks();
            if (!scripted && int32_t(due - now) > 0) SDL_Delay(due - now);
        }
        recorder.Finish(frame);
        if (!options.ScreenshotFile.empty() && !WriteWhole(options.ScreenshotFile, SavePng(game.DXDraw.Pixels())))
            std::cerr << "rustwake: cannot write screenshot \"" << options.ScreenshotFile << "\"\n";
        if (!options.DumpFile.empty() && !WriteWhole(options.DumpFile, DumpJson(game)))
            std::cerr << "rustwake: cannot write dump \"" << options.DumpFile << "\"\n";
        platform.PanelWindow = nullptr;
        panel.reset();
        game.FormDestroy();
        gamePtr.reset();
    }
    return code;
}
