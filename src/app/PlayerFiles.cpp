// The player's own files: the log, settings.ini and screenshots.
#include <ctime>
#include <filesystem>

#include "app/MainForm.h"
#include "app/Version.h"
#include "base/Errors.h"
#include "base/Os.h"
#include "media/Bitmap.h"

namespace fs = std::filesystem;

void TMainForm::OpenGameLog() {
    if (!GameLog.Open(Dirs.LogFile()) && Options.Verbose)
        std::fputs(("rustwake: cannot write the log file " + Dirs.LogFile().string() + "\n").c_str(), stderr);
    GameLog.Write(std::string("Rustwake ") + GameVersion);
    GameLog.Write("Data folder: " + Files.Root().string());
    GameLog.Write(Platform.Describe());
    GameLog.Write(std::string("Settings: ") + Dirs.SettingsFile().string() + ", scaling " +
                  ScalingName(Settings.Scaling) + (Settings.FullScreen ? ", full screen" : ", window"));
}

void TMainForm::SaveSettings() {
    Platform.ApplySettings(Settings);
    Guard([&] { TSettingsFile(Dirs.SettingsFile()).Save(Settings); });
}

std::string TMainForm::SaveScreenshot() {
    std::time_t t = Platform.WallTime();
    const std::tm tm = LocalTime(t);
    char stamp[64];
    std::strftime(stamp, sizeof stamp, "rustwake-%Y-%m-%d_%H-%M-%S", &tm);
    std::error_code ec;
    fs::create_directories(Dirs.Pictures, ec);
    // Several in one second get a number rather than overwrite each other.
    std::string name = std::string(stamp) + ".png";
    // A link, even one that leads nowhere, is a name taken: the writer refuses links.
    for (int n = 2; fs::exists(fs::symlink_status(Dirs.Pictures / name, ec)); ++n)
        name = std::string(stamp) + "-" + std::to_string(n) + ".png";
    TFileSystem(Dirs.Pictures).WriteFileAtomic(name, SavePng(DXDraw.Pixels()));
    std::string path = (Dirs.Pictures / name).string();
    Log("Screenshot: " + path);
    return path;
}
