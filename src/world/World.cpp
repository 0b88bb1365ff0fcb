#include "world/World.h"

#include <algorithm>

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

int RecreateScripts(TWorldContext& game, const std::string& path) {
    TWorld& world = game.World;
    const uint64_t generation = world.Generation;
    int made = 0;
    // The old script goes quiet without "OnDestroy": its owner is not going away, only its file changed.
    auto renew = [&](TScriptPtr& slot, int32_t index, int32_t kind) {
        if (!slot || !slot->Alive() || slot->Path != path) return;
        game.Scripts.Orphan(slot);
        AttachScript(game, slot, path, index, kind);
        ++made;
    };
    // An "OnCreate" that loads another location ends the round: the records it went through are gone.
    for (size_t i = 0; i < world.Critters.size() && world.Generation == generation; ++i) {
        std::shared_ptr<tCritter> critter = world.Critters[i];
        renew(critter->Script, critter->Index, OwnerCritter);
    }
    for (size_t i = 0; i < world.Objects.size() && world.Generation == generation; ++i) {
        std::shared_ptr<tObj> object = world.Objects[i];
        renew(object->Script, object->Index, OwnerObject);
    }
    if (world.Generation == generation) renew(world.MapScript, OwnerMap, OwnerMap);
    return made;
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

namespace {
// Editor entry i belongs to record i; a list shorter than the records (shot
// effects at the end have no label) takes the label at its end.
void InsertLabel(TListControl& labels, int at, const std::string& label) {
    labels.Items.insert(labels.Items.begin() + std::min<ptrdiff_t>(at, ptrdiff_t(labels.Items.size())), label);
}

void EraseLabel(TListControl& labels, int at) {
    if (size_t(at) < labels.Items.size()) labels.Items.erase(labels.Items.begin() + at);
}

std::function<int(int)> Removed(int at) {
    return [at](int k) { return k < at ? k : k == at ? -1 : k - 1; };
}

std::function<int(int)> Inserted(int at) {
    return [at](int k) { return k < at ? k : k + 1; };
}
}  // namespace

void TWorld::AppendCritter(std::shared_ptr<tCritter> c, const std::optional<std::string>& label) {
    if (label) InsertLabel(CritterLabels, CritterCount(), *label);
    Critters.Items.push_back(std::move(c));
    ++RecordChanges;
}

void TWorld::AppendObject(std::shared_ptr<tObj> o, const std::optional<std::string>& label) {
    if (label) InsertLabel(ObjectLabels, ObjectCount(), *label);
    Objects.Items.push_back(std::move(o));
    ++RecordChanges;
}

void TWorld::InsertCritter(TWorldContext& game, int at, std::shared_ptr<tCritter> c, const std::string& label) {
    Critters.Items.insert(Critters.Items.begin() + at, std::move(c));
    ++RecordChanges;
    InsertLabel(CritterLabels, at, label);
    RenumberCritters(game, Inserted(at));
}

void TWorld::InsertObject(TWorldContext& game, int at, std::shared_ptr<tObj> o, const std::string& label) {
    Objects.Items.insert(Objects.Items.begin() + at, std::move(o));
    ++RecordChanges;
    InsertLabel(ObjectLabels, at, label);
    RenumberObjects(game, Inserted(at));
}

std::shared_ptr<tCritter> TWorld::RemoveCritter(TWorldContext& game, int at) {
    std::shared_ptr<tCritter> c = Critters.Items[size_t(at)];
    // A walking critter has its next cell reserved as well.
    if (c->State == csWalking) c->Stop();
    c->ReleaseTile();
    c->Release();
    Critters.Items.erase(Critters.Items.begin() + at);
    ++RecordChanges;
    EraseLabel(CritterLabels, at);
    RenumberCritters(game, Removed(at));
    return c;
}

std::shared_ptr<tObj> TWorld::RemoveObject(TWorldContext& game, int at) {
    std::shared_ptr<tObj> o = Objects.Items[size_t(at)];
    o->Release();
    Objects.Items.erase(Objects.Items.begin() + at);
    ++RecordChanges;
    EraseLabel(ObjectLabels, at);
    RenumberObjects(game, Removed(at));
    return o;
}

void TWorld::RemoveFinishedObjects() {
    auto& objects = Objects.Items;
    for (size_t p = 0; p < objects.size();) {
        if (!objects[p] || !objects[p]->PendingRemoval) {
            ++p;
            continue;
        }
        objects[p]->Release();
        objects.erase(objects.begin() + std::ptrdiff_t(p));
        ++RecordChanges;
        TListControl& labels = ObjectLabels;
        if (p < labels.Items.size()) {
            labels.Items.erase(labels.Items.begin() + std::ptrdiff_t(p));
            if (labels.ItemIndex > int(p) || labels.ItemIndex >= int(labels.Items.size())) --labels.ItemIndex;
        }
    }
    FinishedObjects = 0;
}

void TWorld::Reset() {
    ++Generation;
    ++RecordChanges;
    // Moved out first: a record's release must not meet a half-emptied list.
    auto critters = std::move(Critters.Items);
    auto objects = std::move(Objects.Items);
    Critters.Items.clear();
    Objects.Items.clear();
    for (auto& c : critters)
        if (c) c->Release();
    for (auto& o : objects)
        if (o) o->Release();
    if (DrawList) DrawList->Clear();
    CritterLabels.Clear();
    ObjectLabels.Clear();
}

void TWorld::RedrawOrder() const {
    if (DrawList) DrawList->Rebuild();
}
