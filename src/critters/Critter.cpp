#include "critters/Critter.h"

#include <algorithm>

#include "base/Text.h"
#include "media/ImageList.h"
#include "media/Sound.h"
#include "world/GameConfig.h"
#include "world/World.h"

namespace {
const char* const StateNames[4] = {"idle", "walk", "fire", "death"};

constexpr std::pair<int, int> Steps[8] = {{-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}};

// The game's integers wrap around in 32 bits; a map or a script can hold any value.
int32_t Wrap(int64_t v) {
    return int32_t(uint32_t(uint64_t(v)));
}

int Fold(int64_t d, int range) {
    int r = int(d % range);
    return r < 0 ? r + range : r;
}
}  // namespace

std::pair<int, int> DeltaFromDirection(int direction) {
    return Steps[Fold(direction, 8)];
}

int DirectionFromDelta(int dx, int dy) {
    int sx = (dx > 0) - (dx < 0), sy = (dy > 0) - (dy < 0);
    for (int d = 0; d < 8; ++d)
        if (Steps[d].first == sx && Steps[d].second == sy) return d;
    return 0;
}

tCritter::tCritter(TWorldContext& game, int32_t index) : Game(game) {
    Placed = false;
    Victim = -1;
    SetDirection(0);
    SetSkin("metal");
    SetAnimation(csIdle);
    X = 0;
    Y = 0;
    DrawKeyChanged();
    UpdatePixels();
    Index = index;
    ScriptName = "obj_def";
    AttachScript(Game, Script, "data\\scripts\\obj_def.sc", Index, OwnerCritter);
}

tCritter::~tCritter() {
    Game.Scripts.Orphan(Script);
}

void tCritter::Release() {
    Released = true;
    OnGrid = false;
    Game.Scripts.Orphan(Script);
}

TCell& tCritter::Cell(int32_t x, int32_t y) {
    if (Released) {
        Scratch = TCell{};
        return Scratch;
    }
    return Game.World.Grid.At(x, y);
}

void tCritter::UpdatePixels() {
    PixelX = double(X) * TileW - OffX;
    PixelY = double(Y) * TileH - OffY;
    PlaceChanged();
}

void tCritter::Reanchor() {
    if (OnGrid)
        SetPosition(X, Y);
    else
        UpdatePixels();
}

void tCritter::SetDirection(int32_t d) {
    Direction = Fold(d, State == csFiring ? 16 : 8);
    FirstFrame = Wrap(int64_t(Direction) * FramesPerDirection);
    CurrentFrame = FirstFrame;
}

void tCritter::SetSkin(const std::string& name) {
    Skin = name;
}

void tCritter::SetAnimation(int state) {
    if (state < csIdle || state > csDying) return;
    if (State == csWalking && state != csWalking) {
        if (NextX != X || NextY != Y) Cell(NextX, NextY).WalkBlock = 0;
        NextX = X;
        NextY = Y;
    }
    if (State == csFiring && state != csFiring) Direction /= 2;
    State = uint8_t(state);
    DrawKeyChanged();
    const std::string set = Skin + "_" + StateNames[state];
    const TIniFile& ini = Game.Config.Ini;
    FramesPerDirection = ini.ReadInteger(set, "Frames", 0);
    OffX = ini.ReadInteger(set, "OffX", 0);
    OffY = ini.ReadInteger(set, "OffY", 0);
    FrameWidth = ini.ReadInteger(set, "Width", 0);
    FrameHeight = ini.ReadInteger(set, "Height", 0);
    SetDirection(Direction);
    CycleLength = FramesPerDirection;
    Fps = 18;
    ImageIndex = Game.Images.Find(set);
    ShadowIndex = Game.Images.Find(set + "_shadow");
    Reanchor();
}

void tCritter::FindPictures() {
    // The dead keep the last picture of their dying.
    int state = State == csDead ? int(csDying) : int(State);
    if (state < csIdle || state > csDying) return;
    const std::string set = Skin + "_" + StateNames[state];
    ImageIndex = Game.Images.Find(set);
    ShadowIndex = Game.Images.Find(set + "_shadow");
    PlaceChanged();
}

void tCritter::SetPosition(int32_t x, int32_t y) {
    if (OnGrid) {
        TCell& old = Cell(X, Y);
        old.WalkBlock = 0;
        old.Occupant = -1;
    }
    X = x;
    Y = y;
    DrawKeyChanged();
    TCell& cell = Cell(x, y);
    cell.WalkBlock = 1;
    cell.Occupant = Index;
    OnGrid = !Released;
    UpdatePixels();
    if (Placed && !Released && Game.World.DrawList) Game.World.DrawList->RebuildForCritters();
}

void tCritter::PlaceChanged() {
    if (Game.World.DrawList) Game.World.DrawList->PlaceChanged(*this);
}

void tCritter::DrawKeyChanged() {
    if (Game.World.DrawList) Game.World.DrawList->KeyChanged(*this);
}

void tCritter::SetScript(const std::string& name) {
    std::shared_ptr<tCritter> keep = weak_from_this().lock();
    DetachScript(Game, Script);
    // "OnDestroy" may have loaded another location: this critter is gone then.
    if (Released) return;
    ScriptName = ShortString(name);
    AttachScript(Game, Script, "data\\scripts\\" + ScriptName + ".sc", Index, OwnerCritter);
}

void tCritter::Click() {
    TScriptPtr script = Script;
    if (script) script->Execute("OnClick");
}

void tCritter::ReleaseTile() {
    TCell& cell = Cell(X, Y);
    cell.WalkBlock = 0;
    cell.Occupant = -1;
    OnGrid = false;
}

void tCritter::Stop() {
    if (State == csWalking) Cell(NextX, NextY).WalkBlock = 0;
    NextX = X;
    NextY = Y;
    Path.clear();
    PathLength = 0;
    DestX = X;
    DestY = Y;
    SetAnimation(csIdle);
    CycleFrame = 0;
    Reanchor();
}

void tCritter::Update() {
    // A script run from here may free this critter (a map load); it stays
    // alive until the update is over.
    std::shared_ptr<tCritter> keep = weak_from_this().lock();
    uint32_t now = Game.Now();
    if (double(now) <= double(LastFrameTime) + 1000.0 / Fps) return;
    LastFrameTime = now;
    CurrentFrame = Wrap(int64_t(CurrentFrame) + 1);
    if (CurrentFrame >= int64_t(FirstFrame) + CycleLength) CurrentFrame = FirstFrame;
    CycleFrame = Wrap(int64_t(CurrentFrame) - FirstFrame);
    const int64_t lastFrame = std::max<int64_t>(FirstFrame, int64_t(FirstFrame) + CycleLength - 1);
    switch (State) {
        case csIdle:
            UpdateIdle(now);
            break;
        case csWalking:
            UpdateWalking(now);
            break;
        case csFiring:
            UpdateFiring(now);
            break;
        case csDying:
            // A death set of no frames ends at once instead of never.
            if (CurrentFrame >= lastFrame) {
                State = csDead;
                DrawKeyChanged();
            }
            break;
        case csHit:
            // The flinch shows the first frames of the death set; a shorter set
            // ends it at its last frame, or the critter would never stand again.
            if (CycleFrame >= std::min<int64_t>(3, int64_t(CycleLength) - 1)) Stop();
            break;
        case csDead:
            CurrentFrame = int32_t(lastFrame);
            break;
        default:
            break;
    }
}
