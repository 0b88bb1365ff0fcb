// Loading and saving locations.
#include <algorithm>
#include <exception>
#include <string>

#include "app/MainForm.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "critters/Critter.h"
#include "world/MapFormat.h"
#include "world/Obj.h"

namespace {
// Script errors raised while a location is being built wait until it stands
// complete; then each is reported. A load nested in another (a script of the
// new location loading a third) reports its own.
class TLoadErrors {
public:
    explicit TLoadErrors(TMainForm& game)
        : Game(game), First(game.World.CollectedErrors.size()), Uncaught(std::uncaught_exceptions()) {
        ++Game.World.CollectingErrors;
    }
    ~TLoadErrors() {
        --Game.World.CollectingErrors;
        auto& all = Game.World.CollectedErrors;
        std::vector<std::exception_ptr> mine(all.begin() + std::ptrdiff_t(std::min(First, all.size())), all.end());
        all.resize(std::min(First, all.size()));
        // The load is failing (a picture or wave did not load): what went wrong because of that follows the cause.
        if (std::uncaught_exceptions() > Uncaught) {
            auto& deferred = Game.World.DeferredErrors;
            deferred.insert(deferred.end(), mine.begin(), mine.end());
            return;
        }
        for (const auto& error : mine) {
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                Game.ReportError(e);
            } catch (...) {
            }
        }
    }
    TLoadErrors(const TLoadErrors&) = delete;
    TLoadErrors& operator=(const TLoadErrors&) = delete;

private:
    TMainForm& Game;
    size_t First;
    int Uncaught;
};

// The old location's critters and objects leave the world. Their scripts stay
// but get no more events; records still running a method live until it ends.
void ReleaseLocation(TMainForm& game) {
    TWorld& world = game.World;
    ++world.Generation;
    auto critters = std::move(world.Critters);
    auto objects = std::move(world.Objects);
    world.Critters.clear();
    world.Objects.clear();
    for (auto& c : critters)
        if (c) c->Release();
    for (auto& o : objects)
        if (o) o->Release();
    if (world.DrawList) world.DrawList->Entries.clear();
    world.CritterLabels.Clear();
    world.ObjectLabels.Clear();
}
}  // namespace

namespace {
// A script file the location names but the data lacks would run nothing and
// say nothing; the author hears of it once per load.
void WarnMissingScripts(TMainForm& game, const TMapData& map, const std::string& path) {
    std::vector<std::string> missing;
    auto check = [&](const std::string& name, const std::string& user) {
        const std::string file = "data\\scripts\\" + name + ".sc";
        if (game.Files.Exists(file)) return;
        for (std::string& line : missing)
            if (line.rfind(file + ":", 0) == 0) {
                line += ", " + user;
                return;
            }
        missing.push_back(file + ": " + user);
    };
    // An empty name leaves a critter without events, and the default script
    // obj_def is one a data folder may do without.
    auto named = [](const std::string& name) { return !name.empty() && !SameText(name, "obj_def"); };
    if (!map.MapScript.empty()) check(map.MapScript, "the map");
    for (size_t i = 0; i < map.Critters.size(); ++i)
        if (named(map.Critters[i].ScriptName))
            check(map.Critters[i].ScriptName, "critter " + std::to_string(i) + " \"" + map.Critters[i].Label + "\"");
    for (size_t i = 0; i < map.Objects.size(); ++i)
        if (named(map.Objects[i].ScriptName))
            check(map.Objects[i].ScriptName, "object " + std::to_string(i) + " \"" + map.Objects[i].Label + "\"");
    if (missing.empty()) return;
    std::string text = "The location \"" + path + "\" names script files that do not exist:";
    for (const std::string& line : missing) text += "\n  " + line;
    game.Warn(text);
}
}  // namespace

void TMainForm::LoadMap(const std::string& path) {
    if (World.LoadDepth >= TWorld::MaxLoadDepth)
        throw EGameError("Location loads nested deeper than " + std::to_string(TWorld::MaxLoadDepth));
    struct TDepth {
        int& Depth;
        explicit TDepth(int& depth) : Depth(depth) { ++Depth; }
        ~TDepth() { --Depth; }
    } depth(World.LoadDepth);
    // Nothing of the current location changes unless the whole file is sound.
    const TMapData map = ParseMap(Files.ReadFile(path), path);
    TLoadErrors errors(*this);
    TScriptSystem::THoldFiles sameScripts(Scripts);
    CurrentLocation = path;
    WarnMissingScripts(*this, map, path);

    World.PatternName = map.PatternName;
    ControlForm.MapScrLabeledEdit = map.MapScript;
    auto& cells = World.Grid.Raw();
    std::copy(map.Grid.begin(), map.Grid.end(), cells.begin());
    for (TCell& cell : cells) cell.Occupant = -1;

    // The old critters and objects go together, before any script of the new
    // location runs, so no script of the new one meets a record of the old.
    ReleaseLocation(*this);
    const uint64_t generation = World.Generation;
    // A script of the new location loaded yet another one: that load is
    // complete and this one must not write over it.
    auto replaced = [&] { return World.Generation != generation; };

    World.Critters.reserve(map.Critters.size());
    for (size_t j = 0; j < map.Critters.size(); ++j) {
        const TMapCritter& record = map.Critters[j];
        auto critter = std::make_shared<tCritter>(Context, int32_t(j));
        if (replaced()) {
            critter->Release();
            return;
        }
        World.Critters.push_back(critter);
        World.CritterLabels.Items.push_back(record.Label);
        critter->SetSkin(record.Skin);
        critter->StartX = record.StartX;
        critter->StartY = record.StartY;
        critter->SetDirection(record.Direction);
        critter->SetAnimation(csIdle);
        critter->Invisible = record.Invisible != 0;
        critter->Disabled = record.Disabled != 0;
        critter->HP = record.HP;
        critter->DmgMax = record.DmgMax;
        critter->DmgMin = record.DmgMin;
        critter->ScriptName = record.ScriptName;
        critter->Accuracy = record.Accuracy;
        critter->SetScript(critter->ScriptName);
        if (replaced()) return;
        critter->Placed = true;
    }
    // Start tiles win over whatever the scripts did meanwhile. The draw list
    // is built once at the end, not for every critter placed.
    for (const auto& critter : World.Critters) {
        critter->Placed = false;
        critter->SetPosition(critter->StartX, critter->StartY);
        critter->Placed = true;
    }
    World.CritterLabels.ItemIndex = World.CritterLabels.Items.empty() ? -1 : 0;

    World.Objects.reserve(map.Objects.size());
    for (size_t m = 0; m < map.Objects.size(); ++m) {
        const TMapObject& record = map.Objects[m];
        auto object = std::make_shared<tObj>(Context, int32_t(m));
        if (replaced()) {
            object->Release();
            return;
        }
        World.Objects.push_back(object);
        World.ObjectLabels.Items.push_back(record.Label);
        object->SetImage(record.ImageName);
        object->X = record.X;
        object->Y = record.Y;
        object->OffsetX = record.OffsetX;
        object->OffsetY = record.OffsetY;
        object->Invisible = record.Invisible != 0;
        object->Disabled = record.Disabled != 0;
        object->ScriptName = record.ScriptName;
        object->SetScript(object->ScriptName);
        if (replaced()) return;
    }

    ShowLoadedLocation(generation);
}

// A loaded location's pictures, draw order and map script. A picture that
// fails to load must not leave the location without its draw order and map
// script; its error follows once they are in place.
void TMainForm::ShowLoadedLocation(uint64_t generation) {
    auto replaced = [&] { return World.Generation != generation; };
    std::exception_ptr graphicsError;
    try {
        ReloadGraphics();
    } catch (const std::exception&) {
        graphicsError = std::current_exception();
    }
    auto finish = [&] {
        if (graphicsError) std::rethrow_exception(graphicsError);
    };
    if (World.DrawList) World.DrawList->Rebuild();
    if (!World.Critters.empty()) {
        World.Critters[0]->DmgMin = 3;
        World.Critters[0]->DmgMax = 6;
    }

    if (TScriptPtr old = std::move(World.MapScript)) {
        DetachScript(Context, old);
        if (replaced()) return finish();
    }
    if (!ControlForm.MapScrLabeledEdit.empty())
        AttachScript(Context, World.MapScript, "data\\scripts\\" + ControlForm.MapScrLabeledEdit + ".sc", OwnerMap,
                     OwnerMap);
    finish();
}

void TMainForm::SaveMap(const std::string& path) {
    TMapData map;
    map.PatternName = World.PatternName;
    map.MapScript = ControlForm.MapScrLabeledEdit;
    map.Grid.assign(World.Grid.Raw().begin(), World.Grid.Raw().end());

    auto label = [](const TListControl& list, int i) {
        return size_t(i) < list.Items.size() ? list.Items[size_t(i)] : std::string();
    };
    for (int j = 0; j < World.CritterCount(); ++j) {
        const tCritter* c = World.Critter(j);
        if (!c) continue;
        TMapCritter& r = map.Critters.emplace_back();
        r.Label = label(World.CritterLabels, j);
        r.Skin = c->Skin;
        r.StartX = c->StartX;
        r.StartY = c->StartY;
        // The file holds one of the eight walking directions, also for a critter caught firing.
        r.Direction = c->State == csFiring ? c->Direction / 2 : c->Direction;
        r.Invisible = c->Invisible;
        r.Disabled = c->Disabled;
        r.HP = c->HP;
        r.DmgMax = c->DmgMax;
        r.DmgMin = c->DmgMin;
        r.ScriptName = c->ScriptName;
        r.Accuracy = c->Accuracy;
    }
    for (int m = 0; m < World.ObjectCount(); ++m) {
        const tObj* o = World.Object(m);
        // Impact effects of shots fired while editing are not part of the location.
        if (!o || o->PlayOnce) continue;
        TMapObject& r = map.Objects.emplace_back();
        r.Label = label(World.ObjectLabels, m);
        r.ImageName = o->ImageName;
        r.X = o->X;
        r.Y = o->Y;
        r.OffsetX = o->OffsetX;
        r.OffsetY = o->OffsetY;
        r.Invisible = o->Invisible;
        r.Disabled = o->Disabled;
        r.ScriptName = o->ScriptName;
    }
    Files.WriteFileAtomic(path, SerializeMap(map));
}
