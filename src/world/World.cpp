#include "world/World.h"

#include "base/FileSystem.h"
#include "critters/Critter.h"
#include "world/Obj.h"

void NoteScriptError(TWorldContext& game, std::exception_ptr error) {
    if (game.World.CollectingErrors > 0) {
        game.World.CollectedErrors.push_back(std::move(error));
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        game.Events.ReportError(e);
    }
}

TScriptPtr AttachScript(TWorldContext& game, TScriptPtr& slot, const std::string& path, int32_t ownerIndex,
                        int32_t ownerKind) {
    // The owner holds the script before "OnCreate" runs, so a map load started
    // from it finds and orphans this script rather than an older one.
    // A name that leads out of the data folder leaves the owner a script without a file.
    std::exception_ptr pathError;
    try {
        CheckDataPath(path);
    } catch (const std::exception&) {
        pathError = std::current_exception();
    }
    slot = game.Scripts.Register(pathError ? std::string() : path, ownerIndex, ownerKind);
    TScriptPtr script = slot;
    if (pathError) {
        NoteScriptError(game, pathError);
        return script;
    }
    try {
        script->Execute("OnCreate");
    } catch (const std::exception&) {
        NoteScriptError(game, std::current_exception());
    }
    return script;
}

void DetachScript(TWorldContext& game, const TScriptPtr& script) {
    if (!script) return;
    try {
        game.Scripts.Destroy(script);
    } catch (const std::exception&) {
        NoteScriptError(game, std::current_exception());
    }
}

namespace {
// A script whose owner got a new number. The owner index is fixed at
// creation, so the script moves into a new object that carries on with the
// old one's stack, locals and timer, and the old one goes quiet. No
// "OnDestroy" or "OnCreate" is raised for a record that only changed its number.
void MoveScript(TWorldContext& game, TScriptPtr& slot, int32_t index, int32_t kind) {
    if (!slot || slot->OwnerIndex == index) return;
    TScriptPtr old = slot;
    TScriptPtr fresh = game.Scripts.Register(old->Path, index, kind);
    fresh->Stack = old->Stack;
    fresh->Locals = old->Locals;
    fresh->TimerEnabled = old->TimerEnabled;
    fresh->TimerInterval = old->TimerInterval;
    fresh->TimerNext = old->TimerNext;
    fresh->Destroyed = old->Destroyed;
    fresh->Orphaned = old->Orphaned;
    slot = fresh;
    game.Scripts.Orphan(old);
}
}  // namespace

void RenumberCritters(TWorldContext& game, const std::function<int(int)>& map) {
    TWorld& world = game.World;
    for (int p = 0; p < world.CritterCount(); ++p) {
        tCritter& c = *world.Critters[size_t(p)];
        if (c.Index != p) {
            c.Index = p;
            MoveScript(game, c.Script, p, OwnerCritter);
        }
        if (c.Victim >= 0) c.Victim = map(c.Victim);
    }
    for (TCell& cell : world.Grid.Raw())
        if (cell.Occupant >= 0) cell.Occupant = map(cell.Occupant);
    game.Events.RecordsRenumbered(KindCritter, map);
}

void RenumberObjects(TWorldContext& game, const std::function<int(int)>& map) {
    TWorld& world = game.World;
    for (int p = 0; p < world.ObjectCount(); ++p) {
        tObj& o = *world.Objects[size_t(p)];
        if (o.Index != p) {
            o.Index = p;
            MoveScript(game, o.Script, p, OwnerObject);
        }
    }
    game.Events.RecordsRenumbered(KindObject, map);
}
