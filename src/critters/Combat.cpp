// Hits and death. Firing and the idle behaviour are in Firing.cpp.
#include <exception>

#include "critters/Critter.h"
#include "media/ImageList.h"
#include "media/Sound.h"
#include "world/GameConfig.h"
#include "world/World.h"

void tCritter::StopFiring() {
    SetAnimation(csIdle);
    SetDirection(Direction);
    CycleFrame = 0;
    Stop();
    ShotsFired = 0;
}

void tCritter::Hit(int32_t damage) {
    if (State == csDying || State == csDead) return;
    Stop();
    HP = int32_t(uint32_t(HP) - uint32_t(damage));
    if (HP <= 0) {
        Die();
        return;
    }
    SetAnimation(csDying);
    State = csHit;
    DrawKeyChanged();
    SetDirection(Direction);
    if (Index > 0) AiMode = aiWander;
    AiTime = Game.Now() + 300;
    TScriptPtr script = Script;
    if (script) script->Execute("OnHit");
}

void tCritter::Die() {
    std::shared_ptr<tCritter> keep = weak_from_this().lock();
    SetAnimation(csDying);
    // A faulty "OnDie" or a missing wave must not keep the death from being
    // told: the first error comes after the rest.
    std::exception_ptr firstError;
    auto attempt = [&](auto&& action) {
        try {
            action();
        } catch (const std::exception&) {
            if (!firstError) firstError = std::current_exception();
        }
    };
    const int32_t index = Index;
    const uint64_t generation = Game.World.Generation;
    TScriptPtr script = Script;
    if (script) attempt([&] { script->Execute("OnDie"); });
    // Unless the script loaded another location: this critter is gone with it.
    if (Game.World.Generation == generation) {
        if (index != 0) {
            attempt([&] { Game.Waves.Play("Death"); });
        } else {
            attempt([&] { Game.Events.AddConsole("Вы погибли."); });
            attempt([&] { Game.Waves.Play("DeathPlayer"); });
            Game.Events.PlayerDead();
        }
    }
    if (firstError) std::rethrow_exception(firstError);
}
