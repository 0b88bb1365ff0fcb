#pragma once
// The demo-data generator: every part of the data/ tree is written by one
// function below; main() runs them in order into one output folder.
#include <filesystem>
#include <string>
#include <string_view>

namespace demogen {

class TImage;

// Everything is written below one root folder; directories are made on demand.
class TOutput {
public:
    explicit TOutput(std::filesystem::path root) : Root(std::move(root)) {}
    const std::filesystem::path& RootDir() const { return Root; }
    // relPath uses '/', e.g. "data/Images/Interface/Main.bmp". Throws on failure.
    void WriteBytes(const std::string& relPath, std::string_view bytes) const;
    // UTF-8 text in memory becomes Windows-1251 with CR LF line ends on disk.
    void WriteText(const std::string& relPath, std::string_view utf8) const;
    void WriteBmp(const std::string& relPath, const TImage& img) const;
    std::filesystem::path PathOf(const std::string& relPath) const { return Root / relPath; }

private:
    std::filesystem::path Root;
};

void WriteGameIni(const TOutput& out);    // GameIni.cpp: game.ini and the three list files
void WriteLocations(const TOutput& out);  // Terrain.cpp: the location pictures
void WriteCritters(const TOutput& out);   // Critters.cpp: animation sheets and shadows
void WriteObjects(const TOutput& out);    // Objects.cpp: map object pictures
void WriteInterface(const TOutput& out);  // Interface.cpp: cursors, panel, dialog, menu
void WritePortraits(const TOutput& out);  // Portraits.cpp: dialog heads
void WriteImpacts(const TOutput& out);    // Impacts.cpp: hit-type impact strips
void WriteSounds(const TOutput& out);     // Sounds.cpp: every wave
// Music.cpp: the two tracks (see Music.h; they are made in the background).
void WriteWorld(const TOutput& out);  // Maps.cpp: scripts and (later) locations
// Icon.cpp: the application icon, SIZExSIZE/apps/rustwake.png for the desktop's icon theme folders.
void WriteIcons(const TOutput& out);

}  // namespace demogen
