#pragma once
#include <string>
#include <vector>

// What the editor panel asks of the game around it.
class IEditorHost {
public:
    virtual ~IEditorHost() = default;
    virtual void LoadMap(const std::string& path) = 0;
    virtual void SaveMap(const std::string& path) = 0;
    // The pictures of the location are read again (a new background).
    virtual void ReloadGraphics() = 0;
    // An empty location on `pattern` holding only the player.
    virtual void NewMap(const std::string& pattern) = 0;
    // A test play of the location as it stands, the player on tile (x, y);
    // the stop brings back the game exactly as it was when the play began.
    virtual void StartPlay(int x, int y) = 0;
    virtual void StopPlay() = 0;
    virtual bool Playing() const = 0;
    // The file the location was last loaded from or saved to; empty for a new one.
    virtual std::string LocationFile() const = 0;
    // Menu "Выход": the main window closes and the program ends.
    virtual void CloseGame() = 0;
    // The picture lists read at start-up (Critters.lst, Objects.lst, Locations.lst).
    virtual const std::vector<std::string>& CritterPictures() const = 0;
    virtual const std::vector<std::string>& ObjectPictures() const = 0;
    virtual const std::vector<std::string>& LocationPictures() const = 0;
};
