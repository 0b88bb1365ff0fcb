// The game's entry in the browser. The page (dist/web) mounts the player's storage, unpacks the adventure
// at /game and calls main with the arguments its address asked for.
#include <emscripten.h>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/Options.h"
#include "platform/Headless.h"

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
    std::cerr << "rustwake: playing in the page is not built yet\n";
    return 1;
}
