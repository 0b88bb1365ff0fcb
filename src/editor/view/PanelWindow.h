#pragma once
#include <memory>
#include <string>

union SDL_Event;
struct SDL_Window;
class TMainForm;

// The panel beside the game in debug mode, drawn with Dear ImGui through an SDL_Renderer: a small SDL window
// of its own kept above the game's, or, where there is only one window (the browser's canvas), a strip to the
// right of the game's 800 x 600 picture in the game's own window.
class TPanelWindow {
public:
    explicit TPanelWindow(TMainForm& game);
    ~TPanelWindow();
    TPanelWindow(const TPanelWindow&) = delete;
    TPanelWindow& operator=(const TPanelWindow&) = delete;

    // Opens the window, hidden (or, `inMainWindow`, takes the strip of the main window right of x = 800,
    // which must be PanelWidth wider than the game). False, with the reason in Error, when it cannot.
    bool Create(SDL_Window* mainWindow, bool inMainWindow = false);
    bool Exists() const;
    // Takes the events of the panel's window; true when `event` was one.
    // Closing the window only hides it.
    bool Handle(const SDL_Event& event);
    // Undo and redo typed in the game window; true when `event` was one.
    bool Shortcut(const SDL_Event& event);
    // Showing gives the keyboard back to the game window.
    void SetVisible(bool visible);
    // Draws the panel when it is shown: presents its own window, or draws the strip into the main window's
    // renderer, to be presented with the game's picture.
    void Frame();

    std::string Error;

private:
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};

// Draws the panel as it stands into a picture without any window (SDL's
// software renderer on a surface) and writes it as PNG. False, with the
// reason in `error`, when it cannot.
bool WritePanelScreenshot(TMainForm& game, const std::string& path, std::string& error);
