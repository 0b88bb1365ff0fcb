// The game's entry in the browser. The page (dist/web) mounts the player's storage, unpacks the adventure
// at /game and calls main with the arguments its address asked for. A windowed run is stepped from the
// browser's animation frames: main returns to the browser and the run lives on.
#include <SDL2/SDL.h>
#include <emscripten.h>

#include <algorithm>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/Dump.h"
#include "app/Options.h"
#include "platform/Headless.h"
#include "platform/SdlPlatform.h"

namespace {
TWindowedRun* Run = nullptr;
// Frame times of the last stretch of frames, for the page to show.
double StretchMs = 0, WorstMs = 0;
int StretchFrames = 0;
constexpr int Stretch = 120;

void Frame(void*) {
    const double start = emscripten_get_now();
    const bool going = Run->Step();
    const double ms = emscripten_get_now() - start;
    StretchMs += ms;
    WorstMs = std::max(WorstMs, ms);
    if (++StretchFrames == Stretch) {
        EM_ASM({ if (Module.reportFrames) Module.reportFrames($0, $1, $2); }, StretchFrames,
               StretchMs / StretchFrames, WorstMs);
        StretchMs = WorstMs = 0;
        StretchFrames = 0;
    }
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
