#include "world/Obj.h"

#include "base/Text.h"
#include "media/ImageList.h"
#include "media/Sound.h"
#include "world/GameConfig.h"
#include "world/World.h"

namespace {
const char* const DefaultObjectScript = "data\\scripts\\obj_def.sc";
// 18 animation steps a second.
constexpr double ObjectFrameMs = 1000.0 / 18;
}  // namespace

tObj::tObj(TWorldContext& game, int32_t index) : Index(index), Game(game) {
    AttachScript(Game, Script, DefaultObjectScript, Index, OwnerObject);
}

tObj::~tObj() {
    Game.Scripts.Orphan(Script);
}

void tObj::Release() {
    Released = true;
    Game.Scripts.Orphan(Script);
}

void tObj::SetImage(const std::string& name) {
    ImageName = name;
    ImageIndex = -1;
    int found = Game.Images.Find(name);
    if (found >= 0) {
        const TImageItem& item = Game.Images.Item(found);
        ImageIndex = found;
        FrameWidth = item.PatW();
        FrameHeight = item.PatH();
    }
    if (Game.World.DrawList) Game.World.DrawList->PlaceChanged(*this);
    // The last matching section wins; with none the previous alpha stays.
    if (const TSpecialObject* special = Game.Config.SpecialObjects().Find(name); special && special->Alpha)
        Alpha = *special->Alpha;
}

void tObj::SetScript(const std::string& name) {
    std::shared_ptr<tObj> keep = weak_from_this().lock();
    DetachScript(Game, Script);
    // "OnDestroy" may have loaded another location: this object is gone then.
    if (Released) return;
    ScriptName = ShortString(name);
    std::string path = ScriptName.empty() ? DefaultObjectScript : "data\\scripts\\" + ScriptName + ".sc";
    AttachScript(Game, Script, path, Index, OwnerObject);
}

void tObj::Click() {
    TScriptPtr script = Script;
    if (script) script->Execute("ONCLICK");
}

void tObj::Animate() {
    if (ImageName.empty()) {
        if (!PendingRemoval) ++Game.World.FinishedObjects;
        PendingRemoval = true;
        return;
    }
    if (!Game.Images.Valid(ImageIndex)) return;
    int patterns = Game.Images.Item(ImageIndex).PatternCount();
    if (patterns < 2) return;
    uint32_t now = Game.Now();
    if (double(now) <= double(LastFrameTime) + ObjectFrameMs) return;
    LastFrameTime = now;
    ++Frame;
    if (Frame >= patterns) {
        if (PlayOnce) {
            if (!PendingRemoval) ++Game.World.FinishedObjects;
            PendingRemoval = true;
        } else {
            Frame = 0;
        }
    }
}
