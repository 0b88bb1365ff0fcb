#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/Errors.h"
#include "script/ScriptWatch.h"

class TFileSystem;
class TScript;
class TScriptSystem;
using TScriptPtr = std::shared_ptr<TScript>;

// Owner kinds as SELFTYPE pushes them.
enum : int32_t { OwnerMap = -1, OwnerCritter = 0, OwnerObject = 1 };

// The commands that act on the world and the screens; the language core
// hands them to the host, which pops its operands from the running script.
enum class TWorldCommand {
    GOTOXY, MOVETO, FIRE, STOPFIRE, STOP, ADDCONSOLE, STARTDIALOG, QUESTION, ANSWER, ENDDIALOG, PLAYSOUND,
    CHANGEHEAD, GETX, GETY, GETHP, SETHP, GETAMMO, SETAMMO, LOADMAP, SETSCROLL, SETDIR, GETDIR, DISABLE,
    SETVICTIM, GETVICTIM, GETVIS, SETVIS, MAKEDEAD, SHOWCREDITS
};

// A run-time error of a script: the message the player sees ("Division by
// zero", ...) and where it happened, so authors can find their mistake.
class EScriptError : public EGameError {
public:
    EScriptError(const std::string& message, std::string file, std::string node, std::string key);
    const std::string& Message() const { return Text; }
    std::string File, Node, Key;

private:
    std::string Text;
};

// What scripts need from the game.
class IScriptHost {
public:
    virtual ~IScriptHost() = default;
    virtual void Log(const std::string& message) = 0;
    // The start and end of every event run: wanted when tracing a script,
    // far too many lines otherwise. The text is built only when wanted.
    virtual bool TracesScripts() const { return true; }
    virtual void Trace(const std::string& message) { Log(message); }
    // A fault in the data an author should hear about; the run goes on.
    virtual void Warn(const std::string& message) { Log(message); }
    virtual uint32_t Now() = 0;
    virtual int32_t Random(int32_t n) = 0;
    // Runs a world command for `self`; it pops its operands with PopText /
    // PopInt and pushes its results. Returns true when the run must end
    // there (SHOWCREDITS).
    virtual bool RunWorldCommand(TScript& self, TWorldCommand command) = 0;
};

// What a step does, decided once when its file is read.
enum class TScriptOp : uint8_t {
    Literal, SetTimer, DisableTimer, Add, Sub, Mul, Div, Mod, Equ, Not, Greater, Less, GreaterEq, LessEq, Self,
    SelfType, Goto, IfGoto, Call, IfCall, Rnd, Dist, GetGVar, SetGVar, GetLVar, SetLVar, World
};

// A literal whose next step takes it as its last operand runs with that
// step as one: the literal's value goes straight in, never onto the stack.
// Assign: a variable set from a variable and constant arithmetic
// ("0 0 GETLVAR 1 ADD SETLVAR") runs as one, from its index literal.
enum class TScriptFusion : uint8_t { None, GetLVar, GetGVar, Arithmetic, Goto, IfGoto, Assign };

// A step's token resolved: a command, or the literal it pushes.
struct TScriptStep {
    TScriptOp Op = TScriptOp::Literal;
    TWorldCommand World = TWorldCommand::SHOWCREDITS;
    // Literal: the token upper-cased in its Latin letters, as it is pushed.
    // GOTO or IFGOTO right after a literal: that literal's text, the label it most likely pops.
    std::string Text;
    // The position of the step that Text names as a label in this node, -1 for none.
    int Target = -1;
    // For GOTO and IFGOTO: Text and Target hold a label.
    bool HasLabel = false;
    // A literal run together with the steps after it, its number, and for
    // Assign the steps it runs.
    TScriptFusion Fused = TScriptFusion::None;
    int32_t Value = 0;
    int32_t Span = 0;
};

// One node of a script file: its steps (key = label, value = token) in
// file order. A repeated key reads the value of its first occurrence.
struct TScriptNode {
    std::vector<std::string> Keys;
    std::vector<std::string> Values;
    // Values resolved, one per step; filled by Compile.
    std::vector<TScriptStep> Steps;
    // Position of the first step with that label (letter case ignored), -1 for none.
    int FindLabel(std::string_view label) const;
    // FindLabel for the jump at `position`, quick for labels the node's own literals push.
    int JumpTarget(int position, const std::string& label) const;
    void Compile();

private:
    // Marks the literals that run together with the step after them.
    void Fuse();

    // The node's literal texts that name one of its labels, with that label's position.
    std::unordered_map<std::string, int> LiteralTargets;
};

// A parsed .sc file. Node names ignore letter case.
class TScriptFile {
public:
    static TScriptFile Parse(std::string_view cp1251Text);
    const TScriptNode* FindNode(std::string_view name) const;
    std::vector<std::pair<std::string, TScriptNode>> Nodes;
};

// A script object: its value stack, 32 locals and its timer, owned by a
// critter, a map object or the location.
class TScript : public std::enable_shared_from_this<TScript> {
public:
    TScript(TScriptSystem& system, std::string path, int32_t ownerIndex, int32_t ownerKind);

    // Runs one node (a missing node or file runs nothing); throws
    // EScriptError on a run-time error, ending every run that called it.
    void Execute(std::string_view nodeName);

    // Operands for world commands.
    std::string PopText();
    int32_t PopInt();
    // A push beyond the stack's depth limit is a run-time error.
    void Push(std::string value);
    void PushInt(int32_t v);

    // False once destroyed or once its owner is gone: it gets no events.
    bool Alive() const { return !Destroyed && !Orphaned; }

    const std::string Path;
    const int32_t OwnerIndex;
    const int32_t OwnerKind;
    std::vector<std::string> Stack;
    std::array<int32_t, 32> Locals{};

    bool TimerEnabled = false;
    uint32_t TimerInterval = 0;
    uint32_t TimerNext = 0;

    bool Destroyed = false;
    bool Orphaned = false;

    // Made on its first step while a watch looks on (debug mode); null otherwise.
    std::unique_ptr<TScriptDebugInfo> Debug;

private:
    friend class TScriptSystem;
    // One run of a node; CALL uses it directly, so a script whose owner went
    // away during the run still finishes the node it is in.
    void Run(std::string_view nodeName);
    // The steps of one node; true when the run must end at once. A watched
    // run goes step by step, each step shown to the watch first, under `shownName`.
    template <bool Watched>
    bool RunSteps(const TScriptNode& node, std::string_view nodeName, std::string_view shownName);
    // Returns true when the run must end at once.
    bool Step(const TScriptNode& node, int& position);
    // Runs the fused literal at `position` and the step after it, leaving
    // `position` on the second; false, with nothing changed, when the pair
    // must run step by step (an operand that is no number, an empty stack).
    // Runs it with the constant arithmetic that follows; counts the steps it ran.
    bool RunFused(const TScriptNode& node, const TScriptStep& step, int& position);
    // SETLVAR of a number at a number: false, with nothing changed, for anything else.
    bool SetLocalInPlace();

    TScriptSystem& System;
    // Set while "OnDestroy" runs, so a destroy raised from it does not start another.
    bool Destroying = false;
};

// Every script of the game: creation and destruction with their events,
// the parsed-file cache, the global variables and the timers.
class TScriptSystem {
public:
    TScriptSystem(TFileSystem& files, IScriptHost& host);

    // Creates a script on a game path ("data\scripts\x.sc") and runs its
    // "OnCreate". The script exists even if OnCreate fails (the error is
    // thrown after it has been registered).
    TScriptPtr Create(const std::string& path, int32_t ownerIndex, int32_t ownerKind);
    // Creates and registers a script without running "OnCreate"; for owners
    // that must keep the script even when its "OnCreate" fails.
    TScriptPtr Register(const std::string& path, int32_t ownerIndex, int32_t ownerKind);
    // Runs "OnDestroy", then stops the timer; the script gets no further events.
    void Destroy(const TScriptPtr& script);
    // The owner is gone without destroying the script: no further events,
    // timer stopped, no OnDestroy.
    void Orphan(const TScriptPtr& script);

    // Scripts whose timers are due at `now`, each at most once, their next
    // tick already scheduled. The caller runs "ONTIMER" for each.
    std::vector<TScriptPtr> TakeDueTimers(uint32_t now);

    // The node list of a script file, read afresh when the file changed.
    std::shared_ptr<const TScriptFile> File(const std::string& path);

    std::array<int32_t, 256> GlobalVars{};

    // Runaway protection: steps per event chain and CALL nesting depth.
    static constexpr long MaxSteps = 5'000'000;
    static constexpr int MaxDepth = 1000;
    // Values a script's stack holds at most, so a script that pushes without end cannot exhaust memory.
    static constexpr size_t MaxStack = 100'000;
    // The limits in force; tests and the fuzzer lower them to stay quick.
    long StepLimit = MaxSteps;
    int DepthLimit = MaxDepth;
    // Off, every step runs alone: the plain reading the fused runs must match.
    bool FuseSteps = true;

    IScriptHost& Host;
    TFileSystem& Files;
    // The inspector's eyes on every event and step (debug mode); null in normal play.
    IScriptWatch* Watch = nullptr;

    // Live scripts (for timers and the dump).
    std::vector<std::weak_ptr<TScript>> Registry;
    // While held (a map load), a script file is looked at on disk once, not
    // once per event: thousands of records sharing a script start quickly.
    class THoldFiles {
    public:
        explicit THoldFiles(TScriptSystem& system) : System(system) {
            if (System.FileHolds++ == 0) ++System.Chain;
        }
        ~THoldFiles() { --System.FileHolds; }
        THoldFiles(const THoldFiles&) = delete;
        THoldFiles& operator=(const THoldFiles&) = delete;

    private:
        TScriptSystem& System;
    };

    // Nesting bookkeeping for the runaway limits.
    int Depth = 0;
    long StepsThisEvent = 0;

private:
    friend class TScript;
    void PruneRegistry();

    struct CacheEntry;
    std::vector<std::pair<std::string, std::shared_ptr<CacheEntry>>> Cache;
    // Counts event chains, so a file is checked on disk once per event, not on every CALL.
    uint64_t Chain = 0;
    int FileHolds = 0;
    size_t PruneAt = 64;
};
