// Firing: aiming with spread, the shots on the firing frames, and what a
// non-player critter does while it stands idle.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "critters/Critter.h"
#include "media/ImageList.h"
#include "media/Sound.h"
#include "world/GameConfig.h"
#include "world/LineOfFire.h"
#include "world/Obj.h"
#include "world/World.h"

namespace {
constexpr long double Pi = 3.141592653589793238462643383279502884L;

// Halves to even; the intermediate values are extended precision.
int64_t Round(long double v) {
    return std::llrint(v);
}

// Accuracy above 100 would make the spread negative and bias every shot;
// it aims as well as 100 does. The upper bound only keeps the draw's range
// an int: the error is held to a quarter of the distance anyway.
constexpr float MaxSpread = 1e8f;

int32_t Wrap(int64_t v) {
    return int32_t(uint32_t(uint64_t(v)));
}

// The sound and the short-lived picture of a shot that ends on no critter. A
// cell whose hit type the configuration does not list (a map made with
// another one) has no impact at all.
void MakeImpact(TWorldContext& game, const TCell& cell, int32_t x, int32_t y) {
    if (cell.HitType >= game.Config.HitTypeCount()) return;
    const std::string hitType = game.Config.HitTypeName(cell.HitType);
    const TIniFile& ini = game.Config.Ini;
    TRandom& random = game.Rand;
    std::string sound;
    if (random.Random(100) >= 90)
        sound = "rico" + std::to_string(random.Random(12) + 1);
    else
        sound = ini.ReadString(hitType, "sound", "") + std::to_string(random.Random(3) + 1);
    game.Waves.Play(sound);
    const std::string picture = ini.ReadString(hitType, "image", "");

    const uint64_t generation = game.World.Generation;
    auto effect = std::make_shared<tObj>(game, game.World.ObjectCount());
    // Its "OnCreate" loaded another location: the effect belongs to none.
    if (game.World.Generation != generation) {
        effect->Release();
        return;
    }
    game.World.AppendObject(effect);
    effect->X = x;
    effect->Y = y;
    effect->OffsetX = random.Random(5) - 3;
    effect->OffsetY = cell.HitType != 0 ? random.Random(5) : random.Random(5) - 15;
    effect->SetImage(picture);
    effect->PlayOnce = true;
    game.World.RedrawOrder();
}
}  // namespace

void tCritter::Fire(int32_t tx, int32_t ty) {
    if (Ammo == 0) {
        const bool report = !AmmoReported;
        // Marked first, so that a failing console sound is not retried every tick.
        AmmoReported = true;
        if (State == csFiring) StopFiring();
        if (report) Game.Events.AddConsole(Index == 0 ? "У вас закончились патроны!" : "У рейдера закончились патроны!");
        return;
    }
    AmmoReported = false;
    TargetX = tx;
    TargetY = ty;

    const int64_t dx = int64_t(tx) - X, dy = int64_t(ty) - Y;
    const float dist = float(std::sqrt((long double)dx * dx + (long double)dy * dy));
    const float spread =
        std::clamp(float(((100 - (long double)Accuracy) + ShotsFired / 1.5L) * dist / 150), 0.0f, MaxSpread);
    const int32_t n = int32_t(Round(2 * (long double)spread + 1));
    int64_t ex = Round(Game.Rand.Random(n) - (long double)spread);
    int64_t ey = Round(Game.Rand.Random(n) - (long double)spread);
    const long double quarter = (long double)dist / 4;
    if (std::llabs(ex) > quarter) ex = Round(ex > 0 ? quarter : -quarter);
    if (std::llabs(ey) > quarter) ey = Round(ey > 0 ? quarter : -quarter);

    const auto clampX = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, 0, MapCols - 1)); };
    const auto clampY = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, 0, MapRows - 1)); };
    std::tie(ShotEndX, ShotEndY) =
        TraceShot(Game.World.Grid, Game.Rand, X, Y, clampX(TargetX + ex), clampY(TargetY + ey));

    // Facing follows the aimed tile, not the spread; north is the positive direction here.
    const float theta = Angle(dx, -dy);
    const int32_t direction = Wrap(-Round(((long double)theta * 180 / Pi - 135) / 22.5L));
    if (State != csFiring) {
        CycleFrame = 0;
        SetAnimation(csFiring);
    }
    SetDirection(direction);
    // A running burst keeps its animation phase while turning.
    CurrentFrame = Wrap(int64_t(FirstFrame) + CycleFrame);
    BurstLength = Game.Rand.Random(8) + 2;
}

void tCritter::UpdateFiring(uint32_t now) {
    if (CycleFrame != 1 && CycleFrame != 3) return;
    ShotsFired = Wrap(int64_t(ShotsFired) + 1);
    Ammo = Wrap(int64_t(Ammo) - 1);
    Game.Waves.Play("player_fire");

    // The victim's script, or the effect's, may load another location: both
    // this critter and the victim then belong to a world that is gone.
    const uint64_t generation = Game.World.Generation;
    const TCell cell = std::as_const(Game.World.Grid).At(ShotEndX, ShotEndY);
    tCritter* victim = cell.Occupant >= 0 ? Game.World.Critter(cell.Occupant) : nullptr;
    if (!victim) {
        MakeImpact(Game, cell, ShotEndX, ShotEndY);
    } else {
        Game.Waves.Play("hit");
        victim->Hit(Wrap(int64_t(Game.Rand.Random(DmgMax)) + DmgMin));
    }
    if (Game.World.Generation != generation) return;

    // A shooter that hit itself, or that a script stopped, ends its burst here.
    if (State != csFiring) return;
    if (Index == 0 || ShotsFired < BurstLength) {
        Fire(TargetX, TargetY);
        return;
    }
    AiMode = uint8_t(Game.Rand.Random(2) + 1);
    AiTime = now + 300 + uint32_t(Game.Rand.Random(500));
    StopFiring();
}

void tCritter::UpdateIdle(uint32_t now) {
    if (Index < 1 || now < AiTime) return;
    switch (AiMode) {
        case aiWander: {
            const int32_t dy = Game.Rand.Random(5) - 2;
            const int32_t dx = Game.Rand.Random(5) - 2;
            WalkTo(Wrap(int64_t(X) + dx), Wrap(int64_t(Y) + dy));
            AiMode = aiThink;
            AiTime = now + 300;
            break;
        }
        case aiAttack: {
            const tCritter* victim = Game.World.Critter(Victim);
            if (victim && victim->State != csDead) Fire(victim->X, victim->Y);
            break;
        }
        case aiThink: {
            // A victim index that names no critter is no victim.
            const tCritter* victim = Game.World.Critter(Victim);
            if (!victim) break;
            AiMode = HasLineOfFire(Game.World.Grid, X, Y, victim->X, victim->Y) ? aiAttack : aiWander;
            AiTime = now + uint32_t(Game.Rand.Random(300));
            break;
        }
        default:
            break;
    }
}
