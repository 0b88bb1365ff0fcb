// Feeds arbitrary bytes to the saved-game reader, and loads what it accepts
// into a running game on the demo's data, which then plays a few frames:
// nothing may crash, hang, allocate without bound or do anything undefined.
// A whole save file (the seeds are real saves of the demo) is taken as it is;
// other inputs: an odd first byte seals the rest as a save of this version, so
// mutations get past the check sum to the game's fields.
// The demo data is looked for in $RW_FUZZ_DATA, else build/demo; without it
// only the reader is fuzzed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>

#include "app/MainForm.h"
#include "app/SaveGame.h"
#include "platform/HeadlessPlatform.h"

namespace {
namespace fs = std::filesystem;

struct TFuzzGame {
    fs::path Home = fs::temp_directory_path() / ("rw-fuzz-save-" + std::to_string(::getpid()));
    THeadlessPlatform Platform;
    std::unique_ptr<TMainForm> Game;

    TFuzzGame() {
        const char* env = std::getenv("RW_FUZZ_DATA");
        const fs::path data = env && *env ? fs::path(env) : fs::path("build/demo");
        std::error_code ec;
        if (!fs::is_directory(data / "data", ec)) return;
        // The player's folders of a home of its own: nothing of a real player's is read or written.
        for (const char* v : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_PICTURES_DIR"})
            ::setenv(v, (Home / v).c_str(), 1);
        TGameOptions options;
        options.DataDir = data.string();
        options.MapFile = "data\\locations\\loc01.map";
        options.Seed = 1;
        options.Headless = true;
        Platform.VirtualClock.Set(100000);
        Game = std::make_unique<TMainForm>(options, Platform);
        if (!Game->Start()) std::abort();
        Game->Scripts.StepLimit = 20000;
        Game->Scripts.DepthLimit = 32;
    }
    ~TFuzzGame() {
        Game.reset();
        std::error_code ec;
        fs::remove_all(Home, ec);
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static TFuzzGame fuzz;
    const std::string_view input(reinterpret_cast<const char*>(data), size), rest = input.substr(1);
    std::string bytes = input.rfind("RWSAVE\r\n", 0) == 0 ? std::string(input)
                        : data[0] & 1                      ? SealSave(rest)
                                                           : std::string(rest);
    try {
        ReadSlotInfo(bytes);
    } catch (const std::exception&) {
    }
    try {
        CheckSave(bytes);
    } catch (const std::exception&) {
        return 0;
    }
    if (!fuzz.Game) return 0;
    TMainForm& g = *fuzz.Game;
    try {
        LoadGameBytes(g, bytes, "fuzz.sav");
    } catch (const std::exception&) {
    }
    // A few frames of the loaded game: its critters, objects, scripts, view and dialog at work.
    for (int step = 0; step < 3 && !g.Closed; ++step) {
        fuzz.Platform.VirtualClock.Advance(40);
        g.Tick();
    }
    if (g.Closed || g.ScreenMode == smMainMenu) {
        g.Closed = false;
        g.Guard([&] { g.NewGame("data\\locations\\loc01.map"); });
    }
    g.Errors.clear();
    return 0;
}
