#pragma once
#include <string>

class TMainForm;

// The script inspector drawn into the panel in place of a page: the
// inspected script's step, stack, locals, timer and last events, the
// breakpoints, the pause, and the global variables.
class TInspectorView {
public:
    explicit TInspectorView(TMainForm& game) : Game(game) {}
    void Draw();

private:
    void DrawTarget();
    void DrawPause();
    void DrawState();
    void DrawEvents();
    void DrawBreakpoints();
    void DrawGlobals();
    template <class F>
    void Act(F&& handler);

    TMainForm& Game;
    int BreakNode = 0, BreakKey = 0;      // the breakpoint's node and step picked
    int GlobalIndex = 0, GlobalValue = 0;  // the global typed in
};
