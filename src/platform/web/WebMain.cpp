// The game's entry in the browser. The page (dist/web) mounts the player's storage, unpacks the adventure
// at /game and calls main with the arguments its address asked for. A windowed run is stepped from the
// browser's animation frames: main returns to the browser and the run lives on.
#include <SDL2/SDL.h>
#include <emscripten.h>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/Dump.h"
#include "app/MainForm.h"
#include "app/Options.h"
#include "platform/Headless.h"
#include "platform/SdlPlatform.h"

namespace {
TWindowedRun* Run = nullptr;

void Frame(void*) {
    const double start = emscripten_get_now();
    const bool going = Run->Step();
    // The frame's work, for the page's figures.
    EM_ASM({ if (Module.frameTime) Module.frameTime($0); }, emscripten_get_now() - start);
    if (going) return;
    emscripten_cancel_main_loop();
    const int code = Run->Close();
    delete Run;
    Run = nullptr;
    EM_ASM({ if (Module.ended) Module.ended($0); }, code);
}
}  // namespace

// The running game's state as the headless runner's dump, for the page's tests and an author's console.
extern "C" EMSCRIPTEN_KEEPALIVE const char* rustwake_dump() {
    static std::string dump;
    TMainForm* game = Run ? Run->Game() : nullptr;
    dump = game ? DumpJson(*game) : std::string("{}");
    return dump.c_str();
}

// One line of the editor panel's commands (as the headless input's "panel" lines), run on the game as it
// plays: for the page's tests, and for an author's console. Errors show over the page as usual.
extern "C" EMSCRIPTEN_KEEPALIVE void rustwake_panel(const char* line) {
    TMainForm* game = Run ? Run->Game() : nullptr;
    if (!game || !line) return;
    const std::string args = line;
    game->Guard([&] { game->PanelCommand(args); });
}

int main(int argc, char** argv) {
    TGameOptions options;
    try {
        options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::cerr << "rustwake: " << e.what() << '\n';
        return 2;
    }
    if (options.Headless) {
        // The runner's loop on the virtual clock, all in this call; the page then reads its files.
        const int code = RunHeadless(options);
        EM_ASM({ Module.finished($0); }, code);
        return code;
    }
    // The browser's storage holds HOME; the music's working copy and the log are no player's files (the log
    // goes to the console), so they stay in memory and are never written into it.
    setenv("XDG_CACHE_HOME", "/tmp/cache", 0);
    setenv("XDG_STATE_HOME", "/tmp/state", 0);
    // The keyboard is the game's only while the canvas has the focus; the page's own fields keep theirs.
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_KEYBOARD_ELEMENT, "#canvas");
    Run = new TWindowedRun;
    if (const int code = Run->Open(options)) {
        delete Run;
        Run = nullptr;
        return code;
    }
    emscripten_set_main_loop_arg(Frame, nullptr, 0, true);
    return 0;
}
