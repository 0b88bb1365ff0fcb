#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "script/ScriptCheck.h"

class TJsonWriter;
class TMainForm;

// Debug mode's hot reload: twice a second of the platform's clock the script and picture files the game
// uses are looked at. A changed script passes the checker first: clean, every critter, object and
// location running it gets a new script of it whose OnCreate runs; with errors the old one goes on and
// the panel lists what the checker found. A changed picture is read again into the pictures using it.
class THotReload {
public:
    explicit THotReload(TMainForm& game) : Game(game) {}

    static constexpr uint32_t PollMs = 500;
    // Makes the script system ask before it takes a changed file, and the frames look for changes.
    void Start();
    bool Watching() const { return Started; }
    // Every frame of the game screen, with the platform clock; looks at the files when it is time.
    void Tick(uint32_t now);
    void Poll();

    // A picture of the image list and the game path of its file; a piece of a larger picture names the
    // piece's top left corner in it (Piece); a key colour taken from the top left pixel follows it.
    void NotePicture(int item, const std::string& file, bool cornerKey = false);
    void NotePiece(int item, const std::string& file, int x, int y);
    void ForgetPictures() { Pictures.clear(); }

    // What the checker said of a script file the last time it changed (newest first, one entry a file).
    struct TReport {
        std::string File;   // "data/scripts/guard.sc"
        bool Kept = false;  // refused: the old version runs
        std::vector<TCheckMessage> Messages;
    };
    std::vector<TReport> Reports;
    // "reload": the reports, each with the checker's lines.
    void Dump(TJsonWriter& json) const;

private:
    // The script system's question about a changed file; reports either answer.
    bool Check(const std::string& path, const std::string& bytes);
    void ReloadPicture(const std::string& file);

    struct TPictureUse {
        int Item = -1;
        std::string File;
        bool Piece = false, CornerKey = false;
        int X = 0, Y = 0;
    };
    TMainForm& Game;
    bool Started = false, Polled = false;
    uint32_t NextPoll = 0;
    std::vector<TPictureUse> Pictures;
    std::map<std::string, TFileStamp> RefusedPictures;  // pictures that did not read, as they were
};
