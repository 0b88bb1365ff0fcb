#pragma once
#include <functional>
#include <string>

#include "editor/view/InspectorView.h"

class TFontEngine;
class TMainForm;
class TFileDialog;

// The panel's client area: 174 x 560 pixels.
constexpr int PanelWidth = 174;
constexpr int PanelHeight = 560;

// The editor panel drawn with Dear ImGui into the current context. Every
// control edits the panel's state (TControlForm) and runs its handlers; the
// view only keeps what a drawn widget needs between frames.
class TPanelView {
public:
    explicit TPanelView(TMainForm& game) : Game(game), Inspector(game) {}

    // Fonts and colours of the current context; before its first frame.
    static void SetUpContext(const TFontEngine& fonts);
    // One frame of the panel, filling the display.
    void Draw();

private:
    void DrawMenu();
    void DrawPages();
    void DrawGeneral();
    void DrawBrush();
    void DrawCritter();
    void DrawObjects();
    void DrawHoverTile();
    void DrawFileDialog(TFileDialog& dialog, const char* id);
    void DrawNewDialog();
    void DrawDiscardQuestion();
    // Runs `action`, after asking when it would lose unsaved edits.
    void AskThen(std::function<void()> action);
    void Keys();
    // Runs a handler at the error boundary: a failure is reported, the panel goes on.
    template <class F>
    void Act(F&& handler);

    TMainForm& Game;
    TInspectorView Inspector;
    int PageShown = -1;  // a page chosen (by its tab or a key) puts the inspector away
    std::string MapScriptBefore;  // the map-script field when it was entered
    bool ConfirmOpen = false;
    std::function<void()> Pending;  // waits for the answer to the discard question
    // The list entries last scrolled into view.
    int ShownCritter = -2, ShownObject = -2;
    // Which list had the keyboard in the frame drawn last: only a list takes Delete.
    bool CritterListFocused = false, ObjectListFocused = false;
};
