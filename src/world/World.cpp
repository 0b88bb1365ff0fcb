#include "world/World.h"

#include "app/MainForm.h"
#include "base/FileSystem.h"

void NoteScriptError(TMainForm& game, std::exception_ptr error) {
    if (game.World.CollectingErrors > 0) {
        game.World.CollectedErrors.push_back(std::move(error));
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        game.ReportError(e);
    }
}

TScriptPtr AttachScript(TMainForm& game, TScriptPtr& slot, const std::string& path, int32_t ownerIndex,
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

void DetachScript(TMainForm& game, const TScriptPtr& script) {
    if (!script) return;
    try {
        game.Scripts.Destroy(script);
    } catch (const std::exception&) {
        NoteScriptError(game, std::current_exception());
    }
}
