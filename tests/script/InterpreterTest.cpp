#include <cctype>
#include <set>

#include "ScriptTestKit.h"

namespace {

using Strings = std::vector<std::string>;

// A node of one step per token, keys 1, 2, 3 ...
std::string Node(const std::string& name, const Strings& tokens) {
    std::string text = "[" + name + "]\r\n";
    for (size_t i = 0; i < tokens.size(); ++i) text += std::to_string(i + 1) + "=" + tokens[i] + "\r\n";
    return text;
}

class Interpreter : public ScriptTest {
protected:
    // Runs the tokens as node "Run" of a fresh script and returns the stack it leaves.
    Strings RunTokens(const Strings& tokens) {
        Script = Make(Node("Run", tokens));
        Script->Execute("Run");
        return Script->Stack;
    }
    EScriptError FailTokens(const Strings& tokens) {
        Script = Make(Node("Run", tokens));
        try {
            Script->Execute("Run");
        } catch (const EScriptError& e) {
            return e;
        }
        ADD_FAILURE() << "no error";
        return EScriptError("", "", "", "");
    }
    TScriptPtr Script;
};

TEST_F(Interpreter, RunIsFramedByLogLinesEvenWithoutNodeOrFile) {
    auto script = Make(Node("OnClick", {"1"}));
    Host.Logs.clear();
    script->Execute("OnClick");
    script->Execute("Nowhere");
    EXPECT_EQ(Host.Logs, (Strings{StartLine("OnClick"), EndLine("OnClick"), StartLine("Nowhere"), EndLine("Nowhere")}));

    auto missing = Scripts.Create("data\\scripts\\.sc", 0, OwnerCritter);
    EXPECT_EQ(Host.Logs.back(), "TScript.Execute -> Script data\\scripts\\.sc executing node OnCreate done");
}

TEST_F(Interpreter, LiteralsLoseOnlyLatinLowerCase) {
    // "Привет" in Windows-1251 stays as written; Latin letters are upper-cased.
    EXPECT_EQ(RunTokens({"Hello", "ADDCONSOLE", "\xCF\xF0\xE8\xE2\xE5\xF2, world!", "mixed-Case_9"}),
              (Strings{"Привет, WORLD!", "MIXED-CASE_9"}));
    EXPECT_EQ(Host.Console, Strings{"HELLO"});
}

TEST_F(Interpreter, CommandWordsAreRecognisedInAnyCase) {
    EXPECT_EQ(RunTokens({"7", "2", "sub", "3", "Add"}), Strings{"8"});
}

TEST_F(Interpreter, EmptyValuePushesEmptyText) {
    EXPECT_EQ(RunTokens({"", "''", "x"}), (Strings{"", "", "X"}));
}

struct ArithmeticCase {
    Strings Tokens;
    std::string Result;
};

// Shown in failures as "7 2 SUB -> 5".
void PrintTo(const ArithmeticCase& c, std::ostream* os) {
    for (const auto& t : c.Tokens) *os << t << ' ';
    *os << "-> " << c.Result;
}

class Arithmetic : public Interpreter, public ::testing::WithParamInterface<ArithmeticCase> {};

TEST_P(Arithmetic, GivesTheTableResult) { EXPECT_EQ(RunTokens(GetParam().Tokens), Strings{GetParam().Result}); }

INSTANTIATE_TEST_SUITE_P(
    Table, Arithmetic,
    ::testing::Values(ArithmeticCase{{"7", "2", "SUB"}, "5"}, ArithmeticCase{{"7", "2", "DIV"}, "3"},
                      ArithmeticCase{{"-7", "2", "DIV"}, "-3"}, ArithmeticCase{{"-7", "2", "MOD"}, "-1"},
                      ArithmeticCase{{"7", "-2", "MOD"}, "1"}, ArithmeticCase{{"2", "7", "G"}, "0"},
                      ArithmeticCase{{"7", "2", "G"}, "1"}, ArithmeticCase{{"2", "7", "L"}, "1"},
                      ArithmeticCase{{"7", "7", "GE"}, "1"}, ArithmeticCase{{"8", "7", "LE"}, "0"},
                      ArithmeticCase{{"6", "7", "MUL"}, "42"}, ArithmeticCase{{"$10", "0x10", "EQU"}, "1"},
                      ArithmeticCase{{"0", "NOT"}, "1"}, ArithmeticCase{{"-3", "NOT"}, "0"},
                      ArithmeticCase{{"' 5'", "+5", "EQU"}, "1"},
                      // 32-bit wrap-around, never a trap.
                      ArithmeticCase{{"2147483647", "1", "ADD"}, "-2147483648"},
                      ArithmeticCase{{"-2147483648", "1", "SUB"}, "2147483647"},
                      ArithmeticCase{{"65536", "65537", "MUL"}, "65536"},
                      ArithmeticCase{{"-2147483648", "-1", "DIV"}, "-2147483648"},
                      ArithmeticCase{{"-2147483648", "-1", "MOD"}, "0"},
                      ArithmeticCase{{"0", "0", "3", "4", "DIST"}, "5"},
                      ArithmeticCase{{"1", "1", "3", "2", "DIST"}, "2"},
                      ArithmeticCase{{"-2147483648", "0", "2147483647", "0", "DIST"}, "-1"}),
    // Names must stay plain: a '-' would turn the test filter into an exclusion.
    [](const ::testing::TestParamInfo<ArithmeticCase>& param) {
        std::string name = param.param.Tokens.back() + "_" + std::to_string(param.index);
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST_F(Interpreter, ConditionsAreFalseOnlyForTheTextZero) {
    for (const std::string& condition : Strings{"0", "00", "-0", "''", "1", "x"}) {
        SCOPED_TRACE(condition);
        bool expectTaken = condition != "0";
        Script = Make(Node("Run", {condition, "SKIP", "IFGOTO", "not skipped"}) + "SKIP=landed\r\n");
        Script->Execute("Run");
        EXPECT_EQ(Script->Stack, expectTaken ? Strings{"LANDED"} : (Strings{"NOT SKIPPED", "LANDED"}));

        Script = Make(Node("Run", {condition, "Helper", "IFCALL"}) + Node("HELPER", {"called"}));
        Script->Execute("Run");
        EXPECT_EQ(Script->Stack, expectTaken ? Strings{"CALLED"} : Strings{});
    }
}

TEST_F(Interpreter, JumpsFindLabelsInAnyCaseAndLoopBackwards) {
    // Counts local 0 up to 5 with a backward jump.
    auto script = Make("[Run]\nloop=0\n2=0\n3=GETLVAR\n4=1\n5=ADD\n6=SETLVAR\n7=0\n8=GETLVAR\n9=5\n10=L\n"
                       "11=Loop\n12=IFGOTO\n13=end\n14=GOTO\n15=skipped\nEnd=0\n17=GETLVAR\n");
    script->Execute("Run");
    EXPECT_EQ(script->Stack, Strings{"5"});
    EXPECT_EQ(script->Locals[0], 5);
}

// Labels resolve the same wherever the popped text came from: the literal just
// before the jump, one pushed earlier, another node, or a world command.
TEST_F(Interpreter, JumpsReachTheSameStepWhereverTheLabelComesFrom) {
    Host.On(TWorldCommand::GETX, [](TScript& self) {
        self.Push("Target");  // mixed case, as no literal could push it
        return false;
    });
    auto script = Make("[Run]\n1=Target\n2=Helper\n3=CALL\n4=GOTO\n5=skipped\nTarget=landed\n"
                       "[Helper]\n1=x\n2=ADDCONSOLE\n"
                       "[Early]\n1=target\n2=one\n3=two\n4=ADDCONSOLE\n5=ADDCONSOLE\n6=GOTO\n7=skipped\n"
                       "TARGET=early\n"
                       "[Host]\n1=GETX\n2=GOTO\n3=skipped\ntarget=host\n"
                       "[Cond]\n1=1\n2=GETX\n3=IFGOTO\n4=skipped\nTarget=cond\n"
                       "[Fail]\n1=keep\n2=Target\n3=Elsewhere\n4=CALL\n[Elsewhere]\n1=GOTO\n");
    const std::vector<std::pair<std::string, std::string>> landings = {
        {"Run", "LANDED"}, {"Early", "EARLY"}, {"Host", "HOST"}, {"Cond", "COND"}};
    for (const auto& [node, landed] : landings) {
        script->Stack.clear();
        script->Execute(node);
        EXPECT_EQ(script->Stack, Strings{landed}) << node;
    }
    // A label is looked up in the node that jumps, not the one that pushed it.
    script->Stack.clear();
    EXPECT_EQ(ErrorOf(script, "Fail"), "List index out of bounds (-1)");
    EXPECT_EQ(script->Stack, Strings{"KEEP"});
}

TEST_F(Interpreter, FailingIfGotoLeavesBothOperandsPopped) {
    // One operand: the label goes, then the missing condition fails.
    EXPECT_EQ(FailTokens({"label", "IFGOTO"}).Message(), "List index out of bounds (-1)");
    EXPECT_TRUE(Script->Stack.empty());
    auto e = FailTokens({"keep", "1", "nowhere", "IFGOTO"});
    EXPECT_EQ(e.Key, "4");
    EXPECT_EQ(Script->Stack, Strings{"KEEP"});
}

TEST_F(Interpreter, AnEditedFileRunsItsNewStepsAndLabels) {
    auto script = Make("[Run]\n1=B\n2=GOTO\nA=old a\nB=old b\n");
    script->Execute("Run");
    EXPECT_EQ(script->Stack, Strings{"OLD B"});
    // Same size on disk, so only the time stamp tells the change.
    std::filesystem::path file = Root / "data" / "scripts" / "test.sc";
    auto stamp = std::filesystem::last_write_time(file);
    WriteScript("test.sc", "[Run]\n1=A\n2=GOTO\nB=new a\nA=new b\n");
    std::filesystem::last_write_time(file, stamp + std::chrono::seconds(2));
    script->Stack.clear();
    script->Execute("Run");
    EXPECT_EQ(script->Stack, Strings{"NEW B"});
}

TEST_F(Interpreter, JumpToARepeatedKeyGoesToItsFirstLine) {
    auto script = Make("[Run]\n1=B\n2=GOTO\nA=never\nB=x\nA=y\nB=z\n");
    script->Execute("Run");
    // After the jump to the first B: its value, then A again (first value "never"), then B again ("x").
    EXPECT_EQ(script->Stack, (Strings{"X", "NEVER", "X"}));
}

TEST_F(Interpreter, CallRunsAnotherNodeOnTheSameStackAndLocals) {
    auto script = Make("[Run]\n1=2\n2=3\n3=0\n4=7\n5=SETLVAR\n6=Helper\n7=CALL\n8=after\n"
                       "[HELPER]\n1=MUL\n2=0\n3=GETLVAR\n");
    Host.Logs.clear();
    script->Execute("Run");
    EXPECT_EQ(script->Stack, (Strings{"6", "7", "AFTER"}));
    EXPECT_EQ(Host.Logs, (Strings{StartLine("Run"), StartLine("HELPER"), EndLine("HELPER"), EndLine("Run")}));
}

TEST_F(Interpreter, ShowCreditsEndsOnlyTheNodeItIsIn) {
    auto script = Make("[Run]\n1=Credits\n2=CALL\n3=back\n[Credits]\n1=SHOWCREDITS\n2=lost\n");
    Host.Logs.clear();
    script->Execute("Run");
    EXPECT_EQ(script->Stack, Strings{"BACK"});
    EXPECT_EQ(Host.Logs, (Strings{StartLine("Run"), StartLine("CREDITS"), EndLine("Run")}));

    Host.Logs.clear();
    script->Execute("Credits");
    EXPECT_EQ(Host.Logs, Strings{StartLine("Credits")});
}

TEST_F(Interpreter, StackOutlivesTheRunAndIsSharedByEveryNode) {
    auto script = Make("[OnCreate]\n1=left\n2=behind\n[OnClick]\n1=ADDCONSOLE\n");
    EXPECT_EQ(script->Stack, (Strings{"LEFT", "BEHIND"}));
    script->Execute("OnClick");
    script->Execute("OnClick");
    EXPECT_EQ(Host.Console, (Strings{"BEHIND", "LEFT"}));
    EXPECT_TRUE(script->Stack.empty());
}

TEST_F(Interpreter, RndDrawsBelowItsOperandAndGivesZeroForNoRange) {
    auto script = Make(Node("Run", {"5", "RND"}) + Node("Zero", {"0", "RND", "-4", "RND"}));
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        script->Execute("Run");
        seen.insert(script->PopText());
    }
    EXPECT_EQ(seen, (std::set<std::string>{"0", "1", "2", "3", "4"}));
    EXPECT_EQ(Host.RandomCalls, std::vector<int32_t>(200, 5));

    script->Execute("Zero");
    EXPECT_EQ(script->Stack, (Strings{"0", "0"}));
    EXPECT_EQ(Host.RandomCalls.size(), 200u);
}

TEST_F(Interpreter, SelfAndSelfTypeNameTheOwner) {
    auto map = Make(Node("OnCreate", {"SELF", "SELFTYPE"}), -1, OwnerMap);
    auto object = Scripts.Create(Path, 12, OwnerObject);
    EXPECT_EQ(map->Stack, (Strings{"-1", "-1"}));
    EXPECT_EQ(object->Stack, (Strings{"12", "1"}));
}

TEST_F(Interpreter, GlobalsAreSharedLocalsAreOwnAndBadIndicesTouchNothing) {
    WriteScript("a.sc", Node("OnCreate", {"255", "42", "SETGVAR", "31", "7", "SETLVAR", "256", "9", "SETGVAR",
                                          "-1", "9", "SETGVAR", "32", "9", "SETLVAR", "-1", "9", "SETLVAR"}));
    WriteScript("b.sc", Node("OnCreate", {"255", "GETGVAR", "31", "GETLVAR", "256", "GETGVAR", "32", "GETLVAR",
                                          "-1", "GETLVAR"}));
    auto a = Scripts.Create("data\\scripts\\a.sc", 1, OwnerCritter);
    auto b = Scripts.Create("data\\scripts\\b.sc", 2, OwnerCritter);
    EXPECT_EQ(b->Stack, (Strings{"42", "0", "0", "0", "0"}));
    EXPECT_EQ(a->Locals[31], 7);
    int nonZero = 0;
    for (int32_t v : Scripts.GlobalVars) nonZero += v != 0;
    EXPECT_EQ(nonZero, 1);
    for (size_t i = 0; i < 31; ++i) EXPECT_EQ(a->Locals[i], 0);
}

TEST_F(Interpreter, TimerCommandsSetAndStopTheTimer) {
    Host.Clock = 1000;
    auto script = Make(Node("Start", {"250", "SETTIMER"}) + Node("Zero", {"0", "SETTIMER"}) +
                       Node("Minus", {"-5", "SETTIMER"}) + Node("Off", {"DISABLETIMER"}));
    for (const char* stop : {"Zero", "Minus", "Off"}) {
        script->Execute("Start");
        EXPECT_TRUE(script->TimerEnabled);
        EXPECT_EQ(script->TimerInterval, 250u);
        EXPECT_EQ(script->TimerNext, 1250u);
        script->Execute(stop);
        EXPECT_FALSE(script->TimerEnabled) << stop;
    }
}

TEST_F(Interpreter, EveryWorldCommandWordReachesTheHost) {
    using W = TWorldCommand;
    const std::vector<std::pair<std::string, W>> words = {
        {"GOTOXY", W::GOTOXY},       {"MOVETO", W::MOVETO},         {"FIRE", W::FIRE},
        {"STOPFIRE", W::STOPFIRE},   {"STOP", W::STOP},             {"ADDCONSOLE", W::ADDCONSOLE},
        {"STARTDIALOG", W::STARTDIALOG}, {"QUESTION", W::QUESTION}, {"ANSWER", W::ANSWER},
        {"ENDDIALOG", W::ENDDIALOG}, {"PLAYSOUND", W::PLAYSOUND},   {"CHANGEHEAD", W::CHANGEHEAD},
        {"GETX", W::GETX},           {"GETY", W::GETY},             {"GETHP", W::GETHP},
        {"SETHP", W::SETHP},         {"GETAMMO", W::GETAMMO},       {"SETAMMO", W::SETAMMO},
        {"LOADMAP", W::LOADMAP},     {"SETSCROLL", W::SETSCROLL},   {"SETDIR", W::SETDIR},
        {"GETDIR", W::GETDIR},       {"DISABLE", W::DISABLE},       {"SETVICTIM", W::SETVICTIM},
        {"GETVICTIM", W::GETVICTIM}, {"GETVIS", W::GETVIS},         {"SETVIS", W::SETVIS},
        {"MAKEDEAD", W::MAKEDEAD},   {"SHOWCREDITS", W::SHOWCREDITS}};
    std::string text;
    for (const auto& [word, command] : words) {
        Host.On(command, [](TScript&) { return false; });
        text += Node(word, {word});
    }
    auto script = Make(text);
    for (const auto& [word, command] : words) {
        Host.Commands.clear();
        script->Execute(word);
        EXPECT_EQ(Host.Commands, std::vector<W>{command}) << word;
    }
    // DIST, the variables and the arithmetic stay in the interpreter.
    Host.Commands.clear();
    RunTokens({"0", "0", "1", "1", "DIST", "RND", "GETGVAR", "GETLVAR", "SELF", "SELFTYPE", "NOT"});
    EXPECT_TRUE(Host.Commands.empty());
}

TEST_F(Interpreter, WorldCommandsPopTheirOperandsLastPushedFirst) {
    Strings popped;
    Host.On(TWorldCommand::GOTOXY, [&](TScript& self) {
        int32_t y = self.PopInt(), x = self.PopInt(), c = self.PopInt();
        popped = {std::to_string(c), std::to_string(x), std::to_string(y)};
        self.PushInt(99);
        return false;
    });
    EXPECT_EQ(RunTokens({"keep", "0", "5", "7", "GOTOXY"}), (Strings{"KEEP", "99"}));
    EXPECT_EQ(popped, (Strings{"0", "5", "7"}));
}

// Errors: the game's exact text, where it happened, and what the stack keeps.

TEST_F(Interpreter, NotANumberNamesTheTextAndTheStep) {
    auto e = FailTokens({"base", "1", "abc", "ADD", "after"});
    EXPECT_EQ(e.Message(), "'ABC' is not a valid integer value");
    EXPECT_STREQ(e.what(), "'ABC' is not a valid integer value");
    EXPECT_EQ(e.File, Path);
    EXPECT_EQ(e.Node, "Run");
    EXPECT_EQ(e.Key, "4");
    // The failing operand is gone; the one below it was never popped.
    EXPECT_EQ(Script->Stack, (Strings{"BASE", "1"}));
    EXPECT_EQ(Host.Logs.back(), StartLine("Run"));
}

TEST_F(Interpreter, RunTimeErrorsHaveTheGameTexts) {
    EXPECT_EQ(FailTokens({"ADD"}).Message(), "List index out of bounds (-1)");
    EXPECT_EQ(FailTokens({"1", "0", "DIV"}).Message(), "Division by zero");
    EXPECT_EQ(FailTokens({"1", "0", "MOD"}).Message(), "Division by zero");
    EXPECT_TRUE(Script->Stack.empty());
    EXPECT_EQ(FailTokens({"nowhere", "GOTO"}).Message(), "List index out of bounds (-1)");
    EXPECT_EQ(FailTokens({"1", "nowhere", "IFGOTO"}).Message(), "List index out of bounds (-1)");
    EXPECT_EQ(FailTokens({"99999999999", "NOT"}).Message(), "'99999999999' is not a valid integer value");
    EXPECT_EQ(FailTokens({"", "NOT"}).Message(), "'' is not a valid integer value");
    EXPECT_EQ(FailTokens({"boom", "PLAYSOUND"}).Message(), "Wave 'BOOM' not found");
    EXPECT_EQ(FailTokens({"boom", "PLAYSOUND"}).Key, "2");
    // A label that is never jumped to is never looked up.
    EXPECT_EQ(RunTokens({"0", "nowhere", "IFGOTO", "fine"}), Strings{"FINE"});
}

TEST_F(Interpreter, ErrorInACalledNodeNamesTheInnermostPlaceAndEndsEveryRun) {
    auto script = Make("[OnClick]\n1=Inner\n2=CALL\n3=never\n[Inner]\nfirst=done\nbad=1\ndivide=0\nzero=DIV\n");
    Host.Logs.clear();
    try {
        script->Execute("OnClick");
        FAIL() << "no error";
    } catch (const EScriptError& e) {
        EXPECT_EQ(e.Message(), "Division by zero");
        EXPECT_EQ(e.Node, "INNER");
        EXPECT_EQ(e.Key, "zero");
    }
    EXPECT_EQ(script->Stack, Strings{"DONE"});
    EXPECT_EQ(Host.Logs, (Strings{StartLine("OnClick"), StartLine("INNER")}));
    // The next event starts cleanly and fails the same way.
    EXPECT_EQ(Scripts.Depth, 0);
    EXPECT_EQ(ErrorOf(script, "OnClick"), "Division by zero");
    EXPECT_EQ(script->Stack, (Strings{"DONE", "DONE"}));
}

}  // namespace

namespace {
// A timer node that pushes for ever ends at the stack's limit, named like the step limit, and the script goes on.
TEST_F(Interpreter, EndlessPushingStopsAtTheStackLimit) {
    auto script = Make("[OnTimer]\nloop=pushed\n2=loop\n3=GOTO\n[Next]\n1=ADD\n");
    EXPECT_EQ(ErrorOf(script, "OnTimer"),
              "Script stack would hold more than " + std::to_string(TScriptSystem::MaxStack) + " values");
    EXPECT_EQ(script->Stack.size(), TScriptSystem::MaxStack);
    // Popping makes room again.
    EXPECT_EQ(ErrorOf(script, "Next"), "'PUSHED' is not a valid integer value");
    EXPECT_EQ(RunTokens({"1", "2", "ADD"}), Strings{"3"});
}
}  // namespace

namespace {
// What a run leaves behind: its error and step, the stack's size and top, the variables.
struct TRunOutcome {
    std::string Error, Key;
    size_t Depth = 0;
    Strings Top;
    std::array<int32_t, 32> Locals{};
    std::array<int32_t, 256> Globals{};
    long Steps = 0;
    bool operator==(const TRunOutcome&) const = default;
};

class FusedSteps : public Interpreter, public ::testing::WithParamInterface<const char*> {
protected:
    TRunOutcome Outcome(bool fuse, long stepLimit, size_t filled) {
        Scripts.FuseSteps = fuse;
        Scripts.StepLimit = stepLimit;
        Scripts.GlobalVars.fill(0);
        Scripts.GlobalVars[2] = 4;
        auto script = Make(std::string("[Run]\n") + GetParam());
        script->Locals[1] = 3;
        script->Stack.assign(filled, "1");
        TRunOutcome out;
        try {
            script->Execute("Run");
        } catch (const EScriptError& e) {
            out.Error = e.Message();
            out.Key = e.Key;
        }
        out.Depth = script->Stack.size();
        out.Top.assign(script->Stack.end() - std::ptrdiff_t(std::min<size_t>(out.Depth, 4)), script->Stack.end());
        out.Locals = script->Locals;
        out.Globals = Scripts.GlobalVars;
        out.Steps = Scripts.StepsThisEvent;
        return out;
    }
};

// Literals run together with the commands after them must leave exactly what
// the steps one by one leave: at every step limit, and with the stack near
// its limit.
TEST_P(FusedSteps, LeaveWhatTheStepsOneByOneLeave) {
    for (long limit = 1; limit <= 90; ++limit)
        ASSERT_EQ(Outcome(true, limit, 0), Outcome(false, limit, 0)) << "step limit " << limit;
    for (size_t free = 0; free <= 4; ++free) {
        const size_t filled = TScriptSystem::MaxStack - free;
        ASSERT_EQ(Outcome(true, 1000, filled), Outcome(false, 1000, filled)) << free << " free";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Interpreter, FusedSteps,
    ::testing::Values(
        // A counting loop: variables set from variables, compared, jumped on.
        "1=0\n2=0\n3=SETLVAR\nloop=0\n5=0\n6=GETLVAR\n7=1\n8=ADD\n9=SETLVAR\n10=0\n11=GETLVAR\n12=5\n13=L\n"
        "14=loop\n15=IFGOTO\n16=0\n17=GETLVAR\n",
        // Chains of constants on globals, with wrap-around and every comparison.
        "1=3\n2=2147483647\n3=SETGVAR\n4=3\n5=3\n6=GETGVAR\n7=2\n8=MUL\n9=-1\n10=DIV\n11=7\n12=MOD\n13=SETGVAR\n"
        "14=2\n15=GETGVAR\n16=-2147483647\n17=SUB\n18=4\n19=GE\n20=9\n21=LE\n22=1\n23=EQU\n24=0\n25=G\n",
        // Indices outside the arrays read 0 and write nothing.
        "1=99\n2=5\n3=SETLVAR\n4=-1\n5=GETLVAR\n6=300\n7=GETGVAR\n8=2\n9=ADD\n10=40\n11=99\n12=GETLVAR\n13=SETLVAR\n"
        "14=-3\n15=1\n16=GETLVAR\n17=SETGVAR\n",
        // Operands that are no numbers, an empty stack, division by a literal zero.
        "1=ABC\n2=1\n3=ADD\n", "1=far\n2=IFGOTO\nfar=5\n", "1=5\n2=0\n3=DIV\n", "1=$10\n2=0\n3=MOD\n",
        // Jumps into the middle of a fused run, to missing labels, on texts as conditions.
        "1=mid\n2=GOTO\n3=0\nmid=1\n5=GETLVAR\n6=1\n7=ADD\n8=SETLVAR\n", "1=1\n2=nowhere\n3=GOTO\n",
        "1=00\n2=on\n3=IFGOTO\n4=skipped\non=1\n6=GETLVAR\n7=3\n8=SUB\n9=on\n10=IFGOTO\n11=0\n12=GETLVAR\n"
        "13=end\n14=IFGOTO\n15=reached\nend=1\n17=GETLVAR\n18=nowhere\n19=IFGOTO\n"));
}  // namespace
