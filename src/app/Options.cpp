#include "app/Options.h"

#include <filesystem>
#include <stdexcept>

#include "base/FileSystem.h"
#include "base/Text.h"

namespace {
std::string Need(const std::vector<std::string>& args, size_t& i) {
    if (i + 1 >= args.size()) throw std::invalid_argument("option " + args[i] + " needs a value");
    return args[++i];
}

int64_t NeedNumber(const std::vector<std::string>& args, size_t& i, int64_t lo, int64_t hi) {
    std::string name = args[i];
    std::string v = Need(args, i);
    try {
        size_t used = 0;
        long long n = std::stoll(v, &used, 10);
        if (used != v.size() || n < lo || n > hi) throw std::out_of_range(v);
        return n;
    } catch (const std::logic_error&) {
        throw std::invalid_argument("option " + name + " takes a whole number from " + std::to_string(lo) + " to " +
                                    std::to_string(hi) + ", not '" + v + "'");
    }
}
}  // namespace

std::string NoDataFolderText(const std::string& dataDir) {
    return "no data folder in \"" + dataDir + "\" (give one with --data DIR)";
}

void ResolveMapOption(TGameOptions& options, const std::string& cwd) {
    namespace fs = std::filesystem;
    const fs::path map(options.MapFile);
    if (options.MapFile.empty() || map.is_absolute()) return;
    std::error_code ec;
    const fs::path here = fs::path(cwd) / map;
    if (fs::exists(here, ec) || !fs::exists(ResolveNoCase(options.DataDir, options.MapFile), ec))
        options.MapFile = here.lexically_normal().string();
}

TGameOptions ParseOptions(const std::vector<std::string>& args) {
    TGameOptions o;
    o.WatchFiles = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            o.GameParams.push_back(a);
            continue;
        }
        if (a == "--headless") o.Headless = true;
        else if (a == "--windowed") o.Windowed = true;
        else if (a == "--verbose") o.Verbose = true;
        else if (a == "--help") o.ShowHelp = true;
        else if (a == "--version") o.ShowVersion = true;
        else if (a == "--frames") o.Frames = int(NeedNumber(args, i, 0, 100'000'000));
        else if (a == "--step-ms") o.StepMs = uint32_t(NeedNumber(args, i, 1, 10'000));
        else if (a == "--seed") o.Seed = uint32_t(NeedNumber(args, i, 0, 0xFFFFFFFFll));
        else if (a == "--input") o.InputFile = Need(args, i);
        else if (a == "--screenshot") o.ScreenshotFile = Need(args, i);
        else if (a == "--panel-screenshot") o.PanelScreenshotFile = Need(args, i);
        else if (a == "--dump") o.DumpFile = Need(args, i);
        else if (a == "--data") o.DataDir = Need(args, i);
        else if (a == "--map") o.MapFile = Need(args, i);
        else if (a == "--record") o.RecordFile = Need(args, i);
        else throw std::invalid_argument("unknown option " + a);
    }
    if (o.Headless && !o.RecordFile.empty())
        throw std::invalid_argument("--record records a session in a window; a headless run replays one");
    return o;
}

bool IsDebugParam(const std::vector<std::string>& gameParams) {
    return !gameParams.empty() && LowerCase(gameParams[0]) == "debug";
}

std::string UsageText() {
    return "Usage: rustwake [debug] [options]\n"
           "\n"
           "  debug               start in debug mode: windowed, straight into the game, with the editor panel\n"
           "  --data DIR          folder that holds data/ (default: the program's folder or its demo/ folder,\n"
           "                      then ../share/games/rustwake from the program's folder, then the current one)\n"
           "  --windowed          play in a window instead of full screen (Alt+Enter toggles)\n"
           "  --seed S            fix the random generator\n"
           "  --map FILE          open a location file after start-up (as the editor's \"Загрузить\")\n"
           "  --verbose           write the game's log lines to stderr\n"
           "  --version           print the version and end\n"
           "  --record FILE       write the session's input as a headless input file (seed, step and data\n"
           "                      folder in its first line), so that --headless --input FILE replays it\n"
           "  --help              show this text and exit\n"
           "\n"
           "Headless runner (no window, no sound device, virtual clock):\n"
           "  --headless          run without a window\n"
           "  --frames N          number of frames to run\n"
           "  --step-ms MS        virtual milliseconds per frame (default 10)\n"
           "  --input FILE        input events, one per line: FRAME move X Y | FRAME down|up left|right|middle |\n"
           "                      FRAME keydown|keyup VK | FRAME leave | FRAME close | FRAME panel ...;\n"
           "                      '#' starts a comment\n"
           "  --screenshot PNG    write the last frame as a PNG picture\n"
           "  --panel-screenshot PNG  write the editor panel as drawn\n"
           "  --dump JSON         write the game state after the last frame\n";
}
