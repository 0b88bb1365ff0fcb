#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "script/Script.h"
#include "world/World.h"
#include "world/WorldContext.h"


enum TCritterState : uint8_t { csIdle = 0, csWalking = 1, csFiring = 2, csDying = 3, csHit = 4, csDead = 5 };
enum TAiMode : uint8_t { aiThink = 0, aiAttack = 1, aiWander = 2 };

// Step of each of the eight directions, clockwise from north-west.
std::pair<int, int> DeltaFromDirection(int direction);
int DirectionFromDelta(int dx, int dy);

// A living figure on the location: the player (index 0) or a non-player
// character.
class tCritter : public std::enable_shared_from_this<tCritter> {
public:
    tCritter(TWorldContext& game, int32_t index);  // Create(index)
    // A blank record for a loaded game, which sets every field itself: no
    // script is attached, so none runs.
    struct TBlank {};
    tCritter(TWorldContext& game, int32_t index, TBlank) : Index(index), Game(game) {}
    ~tCritter();
    tCritter(const tCritter&) = delete;
    tCritter& operator=(const tCritter&) = delete;

    void SetDirection(int32_t d);
    void SetSkin(const std::string& name);
    void SetAnimation(int state);
    // Looks up the pictures of the current animation again (they were loaded
    // after the critter was made); state, direction and frame stay.
    void FindPictures();
    void SetPosition(int32_t x, int32_t y);
    void SetScript(const std::string& name);
    void SetVictim(int32_t index) { Victim = index; }
    void Click();
    void ReleaseTile();
    void Stop();
    void Update();

    // Movement.
    void WalkTo(int32_t x, int32_t y);
    void FindPath();
    void TakeStep();

    // Combat.
    void Fire(int32_t tx, int32_t ty);
    void StopFiring();
    void Hit(int32_t damage);
    void Die();

    // Taken out of the world (map load, delete): its script gets no more
    // events and the record writes to the grid no more.
    void Release();

    int32_t X = 0, Y = 0;
    uint8_t State = csIdle;
    int32_t Direction = 0;
    int32_t FramesPerDirection = 0;
    int32_t CycleLength = 0;
    int32_t FirstFrame = 0;
    int32_t Fps = 18;
    int32_t CycleFrame = 0;
    int32_t DestX = 0, DestY = 0;
    int32_t NextX = 0, NextY = 0;
    // What drawing and picking read, together: a crowded location draws from
    // every record each frame, and each line of it the cache misses costs.
    double PixelX = 0, PixelY = 0;
    int32_t ImageIndex = -1;
    int32_t ShadowIndex = -1;
    int32_t CurrentFrame = 0;
    bool Invisible = false;
    bool Disabled = false;
    int32_t StepDX = 0, StepDY = 0;
    int32_t StepTicks = 0;
    uint32_t LastFrameTime = 0;
    std::string Skin = "metal";
    std::vector<std::pair<int32_t, int32_t>> Path;
    int32_t PathLength = 0;
    int32_t OffX = 0, OffY = 0;
    int32_t ShotEndX = 0, ShotEndY = 0;
    int32_t TargetX = 0, TargetY = 0;
    int32_t FrameWidth = 0, FrameHeight = 0;
    int32_t Index = 0;
    int32_t ShotsFired = 0;
    bool AmmoReported = false;
    uint8_t AiMode = aiThink;
    uint32_t AiTime = 0;
    int32_t BurstLength = 0;
    int32_t Victim = -1;
    TScriptPtr Script;
    bool Placed = false;
    int32_t Accuracy = 0;
    int32_t StartX = 0, StartY = 0;
    int32_t HP = 0;
    std::string ScriptName = "obj_def";
    int32_t DmgMax = 0;
    int32_t DmgMin = 0;
    int32_t Ammo = 0;

    // The critter has marked its cell on the grid. A new critter stands on
    // no cell until it is first placed, so creating one leaves tile (0, 0)
    // as the map painted it.
    bool OnGrid = false;
    bool Released = false;
    // Where the draw list last found this critter, and in which of its readings.
    struct {
        uint32_t Taking = 0;
        int32_t Place = -1;
    } DrawPlace;
    // Y or State changed: the draw list reads this critter again at its next rebuild.
    void DrawKeyChanged();
    // PixelX, PixelY or the pictures were written: the draw list notes where
    // the critter now stands and how large it is.
    void PlaceChanged();

private:
    // The grid cell at (x, y); a released critter writes to a scratch cell.
    TCell& Cell(int32_t x, int32_t y);
    void UpdatePixels();
    // SetPosition(X, Y) for a critter on the grid; only the pixels otherwise.
    void Reanchor();
    // The branches of Update by state.
    void UpdateIdle(uint32_t now);
    void UpdateWalking(uint32_t now);
    void UpdateFiring(uint32_t now);

    TWorldContext& Game;
    TCell Scratch;
};
