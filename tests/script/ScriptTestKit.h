#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

#include "base/FileSystem.h"
#include "base/Random.h"
#include "script/Script.h"

// A game stand-in: records what scripts ask of it. World commands pop their
// operands the way the real ones do for the few the tests use.
class TFakeHost : public IScriptHost {
public:
    void Log(const std::string& message) override { Logs.push_back(message); }
    uint32_t Now() override { return Clock; }
    int32_t Random(int32_t n) override {
        RandomCalls.push_back(n);
        return Generator.Random(n);
    }
    bool RunWorldCommand(TScript& self, TWorldCommand command) override {
        Commands.push_back(command);
        if (auto it = Handlers.find(int(command)); it != Handlers.end()) return it->second(self);
        switch (command) {
            case TWorldCommand::ADDCONSOLE: Console.push_back(self.PopText()); return false;
            case TWorldCommand::PLAYSOUND: throw EGameError("Wave '" + self.PopText() + "' not found");
            case TWorldCommand::SHOWCREDITS: return true;
            default: return false;
        }
    }
    void On(TWorldCommand command, std::function<bool(TScript&)> handler) { Handlers[int(command)] = handler; }

    std::vector<std::string> Logs;
    std::vector<std::string> Console;
    std::vector<TWorldCommand> Commands;
    std::vector<int32_t> RandomCalls;
    uint32_t Clock = 0;
    TRandom Generator{12345};
    std::map<int, std::function<bool(TScript&)>> Handlers;
};

// A game folder of its own in the temp directory, with a script system on it.
class ScriptTest : public ::testing::Test {
protected:
    ScriptTest()
        : Root(MakeRoot()), Files(Root), Scripts(Files, Host) {
        std::filesystem::create_directories(Root / "data" / "scripts");
    }
    ~ScriptTest() override {
        std::error_code ec;
        std::filesystem::remove_all(Root, ec);
    }

    // Writes data/scripts/<name> with the bytes given (Windows-1251 on disk).
    void WriteScript(const std::string& name, const std::string& bytes) {
        std::ofstream(Root / "data" / "scripts" / name, std::ios::binary) << bytes;
    }
    // Writes the file and creates a critter script on it (its "OnCreate" runs).
    TScriptPtr Make(const std::string& bytes, int32_t ownerIndex = 3, int32_t ownerKind = OwnerCritter) {
        WriteScript("test.sc", bytes);
        return Scripts.Create(Path, ownerIndex, ownerKind);
    }
    // Runs a node and returns the message of the error it ends with, "" for none.
    static std::string ErrorOf(const TScriptPtr& script, const std::string& node) {
        try {
            script->Execute(node);
        } catch (const EScriptError& e) {
            return e.Message();
        }
        return "";
    }
    std::string StartLine(const std::string& node) const {
        return "TScript.Execute -> Script " + Path + " executing node " + node + "...";
    }
    std::string EndLine(const std::string& node) const {
        return "TScript.Execute -> Script " + Path + " executing node " + node + " done";
    }

    const std::string Path = "data\\scripts\\test.sc";
    std::filesystem::path Root;
    TFakeHost Host;
    TFileSystem Files;
    TScriptSystem Scripts;

private:
    static std::filesystem::path MakeRoot() {
        static std::atomic<int> serial{0};
        return std::filesystem::temp_directory_path() /
               ("rw-script-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    }
};
