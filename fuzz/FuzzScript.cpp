// Feeds arbitrary bytes to the script reader and runs the result: no input
// may crash, hang or leak, whatever the nodes do to the stack or each other.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "base/FileSystem.h"
#include "script/Commands.h"
#include "script/Script.h"

namespace {

const std::string ScriptPath = "data\\scripts\\fuzz.sc";

// Pops and pushes as the real commands do; LOADMAP replaces the map script
// and orphans the critter script, as a map load does.
class TFuzzHost : public IScriptHost {
public:
    void Log(const std::string&) override {}
    uint32_t Now() override { return Clock; }
    int32_t Random(int32_t n) override { return int32_t(++Draws % uint32_t(n)); }
    bool RunWorldCommand(TScript& self, TWorldCommand command) override {
        using W = TWorldCommand;
        switch (command) {
            case W::SHOWCREDITS: return true;
            case W::ANSWER:
                AnswerNode = self.PopText();
                self.PopText();
                return false;
            case W::LOADMAP:
                self.PopText();
                if (++Loads > 8) return false;
                Scripts->Orphan(Critter);
                Critter.reset();
                Scripts->Destroy(Map);
                Map = Scripts->Create(ScriptPath, -1, OwnerMap);
                return false;
            default: break;
        }
        const TScriptCommand& row = WorldCommandRow(command);
        for (int i = 0; i < row.Takes; ++i) self.PopInt();
        for (int i = 0; i < row.Leaves; ++i) self.PushInt(int32_t(Draws));
        return false;
    }

    TScriptSystem* Scripts = nullptr;
    TScriptPtr Critter, Map;
    std::string AnswerNode;
    uint32_t Clock = 0, Draws = 0;
    int Loads = 0;
};

void Guarded(void (*action)(TFuzzHost&, const TScriptFile&), TFuzzHost& host, const TScriptFile& file) {
    try {
        action(host, file);
    } catch (const EGameError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One game folder per fuzzing process, removed when it exits.
    static const struct TFolder {
        TFolder() { std::filesystem::create_directories(Path / "data" / "scripts"); }
        ~TFolder() {
            std::error_code ec;
            std::filesystem::remove_all(Path, ec);
        }
        std::filesystem::path Path =
            std::filesystem::temp_directory_path() / ("rw-fuzz-script-" + std::to_string(::getpid()));
    } folder;
    const std::filesystem::path& root = folder.Path;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    TScriptFile file = TScriptFile::Parse(bytes);
    std::ofstream(root / "data" / "scripts" / "fuzz.sc", std::ios::binary | std::ios::trunc) << bytes;

    TFileSystem files(root);
    TFuzzHost host;
    TScriptSystem scripts(files, host);
    scripts.StepLimit = 20000;
    scripts.DepthLimit = 64;
    host.Scripts = &scripts;

    Guarded([](TFuzzHost& h, const TScriptFile&) { h.Critter = h.Scripts->Create(ScriptPath, 0, OwnerCritter); },
            host, file);
    Guarded([](TFuzzHost& h, const TScriptFile&) { h.Map = h.Scripts->Create(ScriptPath, -1, OwnerMap); }, host,
            file);
    Guarded(
        [](TFuzzHost& h, const TScriptFile& f) {
            for (size_t i = 0; i < f.Nodes.size() && i < 4 && h.Critter; ++i) h.Critter->Execute(f.Nodes[i].first);
        },
        host, file);
    Guarded(
        [](TFuzzHost& h, const TScriptFile&) {
            h.Clock += 1000;
            for (auto& s : h.Scripts->TakeDueTimers(h.Clock)) s->Execute("ONTIMER");
        },
        host, file);
    Guarded(
        [](TFuzzHost& h, const TScriptFile&) {
            if (h.Critter && !h.AnswerNode.empty()) h.Critter->Execute(h.AnswerNode);
        },
        host, file);
    Guarded([](TFuzzHost& h, const TScriptFile&) { h.Scripts->Destroy(h.Critter); }, host, file);
    Guarded([](TFuzzHost& h, const TScriptFile&) { h.Scripts->Destroy(h.Map); }, host, file);
    return 0;
}
