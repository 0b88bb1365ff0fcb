#include "editor/view/PanelWindow.h"

#include <SDL2/SDL.h>

#include <fstream>

#include "app/MainForm.h"
#include "editor/view/PanelView.h"
#include "media/Bitmap.h"

#ifdef RW_HAVE_IMGUI
#include <imgui.h>
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>
#endif

namespace {
const char* const PanelCaption = "Панель Управления";
constexpr int PanelLeft = 27, PanelTop = 83;
// In the main window the strip starts right of the game's picture.
constexpr int StripLeft = 800;

// The window an event belongs to; 0 for events of no window.
Uint32 EventWindow(const SDL_Event& e) {
    switch (e.type) {
        case SDL_WINDOWEVENT:
            return e.window.windowID;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return e.key.windowID;
        case SDL_TEXTEDITING:
            return e.edit.windowID;
        case SDL_TEXTINPUT:
            return e.text.windowID;
        case SDL_MOUSEMOTION:
            return e.motion.windowID;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            return e.button.windowID;
        case SDL_MOUSEWHEEL:
            return e.wheel.windowID;
        default:
            return 0;
    }
}

// Makes a context current for a while and puts the previous one back.
#ifdef RW_HAVE_IMGUI
class TContextScope {
public:
    explicit TContextScope(ImGuiContext* context) : Previous(ImGui::GetCurrentContext()) {
        ImGui::SetCurrentContext(context);
    }
    ~TContextScope() { ImGui::SetCurrentContext(Previous); }
    TContextScope(const TContextScope&) = delete;
    TContextScope& operator=(const TContextScope&) = delete;

private:
    ImGuiContext* Previous;
};
#endif
}  // namespace

struct TPanelWindow::TImpl {
    explicit TImpl(TMainForm& game) : Game(game), View(game) {}
    TMainForm& Game;
    TPanelView View;
    SDL_Window* Main = nullptr;
    SDL_Window* Window = nullptr;
    SDL_Renderer* Renderer = nullptr;
    Uint32 Id = 0;
    bool Visible = false;
    // The strip in the main window: drawn through a texture of its own size; it has the keyboard from a click
    // on it until a click on the game.
    bool InMain = false;
    SDL_Texture* Strip = nullptr;
    bool Keyboard = false;
    bool PointerOver = false;
#ifdef RW_HAVE_IMGUI
    ImGuiContext* Context = nullptr;
#endif
};

TPanelWindow::TPanelWindow(TMainForm& game) : Impl(std::make_unique<TImpl>(game)) {}

TPanelWindow::~TPanelWindow() {
#ifdef RW_HAVE_IMGUI
    if (Impl->Context) {
        ImGuiContext* previous = ImGui::GetCurrentContext();
        ImGui::SetCurrentContext(Impl->Context);
        ImGui_ImplSDLRenderer_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext(Impl->Context);
        ImGui::SetCurrentContext(previous == Impl->Context ? nullptr : previous);
    }
#endif
    if (Impl->Strip) SDL_DestroyTexture(Impl->Strip);
    // The main window's renderer belongs to the main window.
    if (Impl->Renderer && !Impl->InMain) SDL_DestroyRenderer(Impl->Renderer);
    if (Impl->Window) SDL_DestroyWindow(Impl->Window);
}

bool TPanelWindow::Exists() const {
    return Impl->Window != nullptr || Impl->Strip != nullptr;
}

namespace {
// An event of the main window as the strip sees it: pointer positions from the strip's corner. False for
// events that belong to the game: the pointer over the game's picture, the keyboard while the game has it.
bool ToStrip(SDL_Event& e, bool& keyboard, bool& pointerOver) {
    switch (e.type) {
        case SDL_MOUSEMOTION:
            e.motion.x -= StripLeft;
            pointerOver = e.motion.x >= 0;
            return pointerOver;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            e.button.x -= StripLeft;
            if (e.type == SDL_MOUSEBUTTONDOWN) keyboard = e.button.x >= 0;
            return e.button.x >= 0;
        case SDL_MOUSEWHEEL:
            return pointerOver;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
        case SDL_TEXTEDITING:
        case SDL_TEXTINPUT:
            return keyboard;
        default:
            return false;
    }
}
}  // namespace

bool TPanelWindow::Create(SDL_Window* mainWindow, bool inMainWindow) {
#ifdef RW_HAVE_IMGUI
    Impl->Main = mainWindow;
    SDL_Window* window = mainWindow;
    if (inMainWindow) {
        Impl->InMain = true;
        Impl->Renderer = SDL_GetRenderer(mainWindow);
        Impl->Strip = Impl->Renderer ? SDL_CreateTexture(Impl->Renderer, SDL_PIXELFORMAT_ABGR8888,
                                                         SDL_TEXTUREACCESS_TARGET, PanelWidth, PanelHeight)
                                     : nullptr;
        if (!Impl->Strip) {
            Error = SDL_GetError();
            return false;
        }
    } else {
        Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_UTILITY;
        window = Impl->Window = SDL_CreateWindow(PanelCaption, PanelLeft, PanelTop, PanelWidth, PanelHeight, flags);
        if (!Impl->Window) {
            Error = SDL_GetError();
            return false;
        }
        // No vsync: the game window's present already paces the loop.
        Impl->Renderer = SDL_CreateRenderer(Impl->Window, -1, SDL_RENDERER_ACCELERATED);
        if (!Impl->Renderer) Impl->Renderer = SDL_CreateRenderer(Impl->Window, -1, SDL_RENDERER_SOFTWARE);
        if (!Impl->Renderer) {
            Error = SDL_GetError();
            SDL_DestroyWindow(Impl->Window);
            Impl->Window = nullptr;
            return false;
        }
    }
    Impl->Id = SDL_GetWindowID(window);
    ImGuiContext* previous = ImGui::GetCurrentContext();
    Impl->Context = ImGui::CreateContext();
    ImGui::SetCurrentContext(previous);
    TContextScope scope(Impl->Context);
    TPanelView::SetUpContext(Impl->Game.Fonts);
    ImGui_ImplSDL2_InitForSDLRenderer(window);
    ImGui_ImplSDLRenderer_Init(Impl->Renderer);
    return true;
#else
    (void)mainWindow;
    (void)inMainWindow;
    Error = "built without Dear ImGui";
    return false;
#endif
}

bool TPanelWindow::Handle(const SDL_Event& event) {
    if (!Exists() || EventWindow(event) != Impl->Id) return false;
    SDL_Event mine = event;
    if (Impl->InMain) {
        if (!Impl->Visible) Impl->Keyboard = false;
        if (!ToStrip(mine, Impl->Keyboard, Impl->PointerOver)) return false;
        // The hidden panel's strip still takes the pointer: the game never sees a point right of its picture.
        if (!Impl->Visible) return true;
    } else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) {
        Impl->Game.Platform.SetPanelVisible(false);
        return true;
    }
#ifdef RW_HAVE_IMGUI
    TContextScope scope(Impl->Context);
    ImGui_ImplSDL2_ProcessEvent(&mine);
#endif
    return true;
}

bool TPanelWindow::Shortcut(const SDL_Event& event) {
    if (!Exists() || event.type != SDL_KEYDOWN || !(event.key.keysym.mod & KMOD_CTRL)) return false;
    // By key position, so a Cyrillic keyboard layout works the same.
    TControlForm& form = Impl->Game.ControlForm;
    if (event.key.keysym.scancode == SDL_SCANCODE_Z) {
        Impl->Game.Guard([&] { form.Undo(); });
        return true;
    }
    if (event.key.keysym.scancode == SDL_SCANCODE_Y) {
        Impl->Game.Guard([&] { form.Redo(); });
        return true;
    }
    // A test play from the tile under the pointer, and back.
    if (event.key.keysym.scancode == SDL_SCANCODE_P) {
        const TViewState& v = Impl->Game.View;
        Impl->Game.Guard([&] { form.Host.Playing() ? form.StopPlay() : form.PlayFromHere(v.HoverTileX, v.HoverTileY); });
        return true;
    }
    return false;
}

void TPanelWindow::SetVisible(bool visible) {
    Impl->Visible = visible;
    if (!visible) Impl->Keyboard = Impl->PointerOver = false;
    if (!Impl->Window) return;
    if (visible) {
        SDL_ShowWindow(Impl->Window);
        if (Impl->Main) SDL_RaiseWindow(Impl->Main);
    } else {
        SDL_HideWindow(Impl->Window);
    }
}

void TPanelWindow::Frame() {
#ifdef RW_HAVE_IMGUI
    if (!Exists() || !Impl->Visible) return;
    TContextScope scope(Impl->Context);
    ImGui_ImplSDLRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    if (Impl->InMain) {
        // The backend measured the whole main window; the panel is the strip.
        ImGui::GetIO().DisplaySize = ImVec2(float(PanelWidth), float(PanelHeight));
        ImGui::GetIO().DisplayFramebufferScale = ImVec2(1, 1);
        SDL_SetRenderTarget(Impl->Renderer, Impl->Strip);
    }
    ImGui::NewFrame();
    Impl->View.Draw();
    ImGui::Render();
    SDL_SetRenderDrawColor(Impl->Renderer, 240, 240, 240, 255);
    SDL_RenderClear(Impl->Renderer);
    ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
    if (Impl->InMain) {
        SDL_SetRenderTarget(Impl->Renderer, nullptr);
        const SDL_Rect place{StripLeft, 0, PanelWidth, PanelHeight};
        SDL_RenderCopy(Impl->Renderer, Impl->Strip, nullptr, &place);
    } else {
        SDL_RenderPresent(Impl->Renderer);
    }
#endif
}

bool WritePanelScreenshot(TMainForm& game, const std::string& path, std::string& error) {
#ifdef RW_HAVE_IMGUI
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, PanelWidth, PanelHeight, 32, SDL_PIXELFORMAT_ABGR8888);
    SDL_Renderer* renderer = surface ? SDL_CreateSoftwareRenderer(surface) : nullptr;
    if (!renderer) {
        error = SDL_GetError();
        if (surface) SDL_FreeSurface(surface);
        return false;
    }
    TBitmap picture(PanelWidth, PanelHeight);
    {
        // The window's context, if any, comes back afterwards.
        ImGuiContext* previous = ImGui::GetCurrentContext();
        ImGuiContext* context = ImGui::CreateContext();
        ImGui::SetCurrentContext(context);
        TPanelView::SetUpContext(game.Fonts);
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(float(PanelWidth), float(PanelHeight));
        io.DeltaTime = 1.0f / 60;
        ImGui_ImplSDLRenderer_Init(renderer);
        TPanelView view(game);
        // Windows and lists settle their sizes over the first frames.
        for (int frame = 0; frame < 3; ++frame) {
            ImGui_ImplSDLRenderer_NewFrame();
            ImGui::NewFrame();
            view.Draw();
            ImGui::Render();
            SDL_SetRenderDrawColor(renderer, 240, 240, 240, 255);
            SDL_RenderClear(renderer);
            ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
            SDL_RenderFlush(renderer);
        }
        ImGui_ImplSDLRenderer_Shutdown();
        ImGui::DestroyContext(context);
        ImGui::SetCurrentContext(previous);
    }
    SDL_LockSurface(surface);
    for (int y = 0; y < PanelHeight; ++y) {
        const auto* row =
            reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(surface->pixels) + y * surface->pitch);
        // ABGR8888 holds red in the low byte, as the game's colours do.
        for (int x = 0; x < PanelWidth; ++x) picture.SetPixel(x, y, row[x] & 0x00FFFFFFu);
    }
    SDL_UnlockSurface(surface);
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(surface);
    std::string png = SavePng(picture);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(png.data(), std::streamsize(png.size()));
    if (!out) {
        error = "cannot write \"" + path + "\"";
        return false;
    }
    return true;
#else
    (void)game;
    (void)path;
    error = "built without Dear ImGui";
    return false;
#endif
}
