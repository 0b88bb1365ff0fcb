#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "app/EditorData.h"
#include "app/Options.h"
#include "app/Version.h"
#include "base/FileSystem.h"
#include "base/Os.h"
#include "platform/Headless.h"
#include "platform/SdlPlatform.h"

namespace fs = std::filesystem;

namespace {
// Without --data the game looks for data/ beside the executable (or in its
// demo/ folder, as built), then where an install puts it (<prefix>/share/games/rustwake
// beside <prefix>/bin or <prefix>/games), then in the current folder.
std::string DefaultDataDir() {
    std::error_code ec;
    if (const fs::path bin = ExecutableDir(); !bin.empty()) {
        for (fs::path dir : {bin, bin / "demo", bin.parent_path() / "share" / "games" / "rustwake"})
            if (fs::is_directory(dir / "data", ec)) return dir.string();
    }
    return fs::current_path().string();
}
}  // namespace

int main(int argc, char** argv) {
    UseParentConsole();
    TGameOptions options;
    try {
        options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::cerr << "rustwake: " << e.what() << "\n\n" << UsageText();
        return 2;
    }
    if (options.ShowHelp) {
        std::cout << UsageText();
        return 0;
    }
    if (options.ShowVersion) {
        std::cout << "rustwake " << GameVersion << '\n';
        return 0;
    }
    const bool dataGiven = !options.DataDir.empty();
    if (!dataGiven) options.DataDir = DefaultDataDir();
    std::error_code ec;
    ResolveMapOption(options, fs::current_path(ec).string());
    // Headless, the game itself reports a missing data folder, so the dump says why it did not start.
    if (!options.Headless && !fs::is_directory(Utf8Path(options.DataDir) / "data", ec)) {
        const std::string text = NoDataFolderText(options.DataDir);
        std::cerr << "rustwake: " << text << '\n';
        ShowStartupError(text);
        return 1;
    }
    // The editor of an installed game works on the player's own copy of the data.
    if (!options.Headless && !dataGiven && IsDebugParam(options.GameParams)) {
        try {
            const fs::path data = Utf8Path(options.DataDir);
            options.DataDir = ChooseEditorData(data, TUserDirs::ForThisSystem(), CanWriteData(data), AskStartupQuestion)
                                  .string();
        } catch (const std::exception& e) {
            std::cerr << "rustwake: " << e.what() << '\n';
            ShowStartupError(e.what());
        }
    }
    return options.Headless ? RunHeadless(options) : RunWindowed(options);
}
