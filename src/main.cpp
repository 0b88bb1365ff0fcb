#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "app/Options.h"
#include "app/Version.h"
#include "base/FileSystem.h"
#include "base/Os.h"
#include "platform/Headless.h"
#include "platform/SdlPlatform.h"

namespace fs = std::filesystem;

namespace {
// Without --data the game looks for data/ beside the executable (or in its
// demo/ folder, as built), then where an install puts it (<prefix>/share/rustwake
// beside <prefix>/bin), then in the current folder.
std::string DefaultDataDir() {
    std::error_code ec;
    if (const fs::path bin = ExecutableDir(); !bin.empty()) {
        for (fs::path dir : {bin, bin / "demo", bin.parent_path() / "share" / "rustwake"})
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
    if (options.DataDir.empty()) options.DataDir = DefaultDataDir();
    std::error_code ec;
    if (!fs::is_directory(Utf8Path(options.DataDir) / "data", ec)) {
        std::cerr << "rustwake: no data folder in \"" << options.DataDir << "\" (give one with --data DIR)\n";
        return 1;
    }
    return options.Headless ? RunHeadless(options) : RunWindowed(options);
}
