#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "script/Script.h"
#include "world/WorldContext.h"


// A picture placed on the location: optionally animated, optionally
// blended, with its own script.
class tObj : public std::enable_shared_from_this<tObj> {
public:
    tObj(TWorldContext& game, int32_t index);  // Create(index)
    // A blank record for a loaded game: no script attached, none runs.
    struct TBlank {};
    tObj(TWorldContext& game, int32_t index, TBlank) : Index(index), Game(game) {}
    ~tObj();
    tObj(const tObj&) = delete;
    tObj& operator=(const tObj&) = delete;

    void SetImage(const std::string& name);
    void SetScript(const std::string& name);
    void Click();
    void Animate();
    // Taken out of the world (map load, removal): its script gets no more
    // events and the record touches the world no more.
    void Release();

    // What drawing, picking and animating read, together: a crowded location
    // reads every record each frame, and each line of it the cache misses costs.
    int32_t X = 0, Y = 0;
    int32_t OffsetX = 0, OffsetY = 0;
    int32_t ImageIndex = -1;
    bool Invisible = false;
    bool Disabled = false;
    bool PlayOnce = false;
    bool PendingRemoval = false;
    int32_t Frame = 0;
    int32_t Alpha = 255;
    uint32_t LastFrameTime = 0;
    int32_t FrameWidth = 0, FrameHeight = 0;
    std::string ImageName;
    TScriptPtr Script;
    int32_t Index = 0;
    std::string ScriptName = "obj_def";
    bool Released = false;

private:
    TWorldContext& Game;
};
