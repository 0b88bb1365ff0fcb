#include <gtest/gtest.h>

#include "script/Script.h"

namespace {

std::vector<std::pair<std::string, std::string>> Steps(const TScriptFile& file, const std::string& node) {
    std::vector<std::pair<std::string, std::string>> out;
    if (const TScriptNode* n = file.FindNode(node))
        for (size_t i = 0; i < n->Keys.size(); ++i) out.emplace_back(n->Keys[i], n->Values[i]);
    return out;
}

using StepList = std::vector<std::pair<std::string, std::string>>;

TEST(ScriptFileFormat, NamesAndKeysIgnoreCaseAndBlanksAroundThem) {
    auto file = TScriptFile::Parse("[OnClick]\n  Start  =  hello world  \n\tnext\t=\t5\n");
    ASSERT_NE(file.FindNode("ONCLICK"), nullptr);
    EXPECT_EQ(file.FindNode("onclick"), file.FindNode("OnClick"));
    EXPECT_EQ(Steps(file, "onCLICK"), (StepList{{"Start", "hello world"}, {"next", "5"}}));
    EXPECT_EQ(file.FindNode("OnClick")->FindLabel("START"), 0);
    EXPECT_EQ(file.FindNode("OnClick")->FindLabel("Next"), 1);
    EXPECT_EQ(file.FindNode("OnClick")->FindLabel("missing"), -1);
    EXPECT_EQ(file.FindNode("OnHit"), nullptr);
}

TEST(ScriptFileFormat, CommentsStrayLinesAndLinesWithoutEqualsAreNoSteps) {
    auto file = TScriptFile::Parse(
        "before=outside any node\n"
        "[N]\n"
        "; 1=commented out\n"
        "   ;2=indented comment\n"
        "just words\n"
        "\n"
        "3=kept ; not a comment here\n");
    EXPECT_EQ(file.Nodes.size(), 1u);
    EXPECT_EQ(Steps(file, "N"), (StepList{{"3", "kept ; not a comment here"}}));
}

TEST(ScriptFileFormat, MatchingQuotesAreRemovedOthersKept) {
    auto file = TScriptFile::Parse(
        "[N]\n"
        "a=\"  spaced  \"\n"
        "b='single'\n"
        "c=\"mixed'\n"
        "d=\"\n"
        "e=\"\"\n"
        "f=say \"hi\"\n");
    EXPECT_EQ(Steps(file, "N"), (StepList{{"a", "  spaced  "},
                                          {"b", "single"},
                                          {"c", "\"mixed'"},
                                          {"d", "\""},
                                          {"e", ""},
                                          {"f", "say \"hi\""}}));
}

TEST(ScriptFileFormat, ValueIsEverythingAfterTheFirstEquals) {
    auto file = TScriptFile::Parse("[N]\nk=a=b==c\n=no key\nempty=\n");
    EXPECT_EQ(Steps(file, "N"), (StepList{{"k", "a=b==c"}, {"", "no key"}, {"empty", ""}}));
}

TEST(ScriptFileFormat, RepeatedKeyKeepsItsStepButReadsTheFirstValue) {
    auto file = TScriptFile::Parse("[N]\n1=first\n2=other\nONE=x\n1=second\none=y\n");
    EXPECT_EQ(Steps(file, "N"), (StepList{{"1", "first"}, {"2", "other"}, {"ONE", "x"}, {"1", "first"}, {"one", "x"}}));
    EXPECT_EQ(file.FindNode("N")->FindLabel("1"), 0);
    EXPECT_EQ(file.FindNode("N")->FindLabel("One"), 2);
}

TEST(ScriptFileFormat, RepeatedSectionFirstOneWins) {
    auto file = TScriptFile::Parse("[Node]\n1=a\n[other]\n1=o\n[NODE]\n1=b\n2=c\n");
    EXPECT_EQ(Steps(file, "node"), (StepList{{"1", "a"}}));
    EXPECT_EQ(Steps(file, "other"), (StepList{{"1", "o"}}));
}

class ScriptFileLineEnds : public ::testing::TestWithParam<const char*> {};

TEST_P(ScriptFileLineEnds, EveryLineEndGivesTheSameSteps) {
    std::string eol = GetParam();
    std::string text = "[A]" + eol + "1=x" + eol + eol + "2=y" + eol + "[B]" + eol + "k=v";
    auto file = TScriptFile::Parse(text);
    EXPECT_EQ(Steps(file, "A"), (StepList{{"1", "x"}, {"2", "y"}}));
    EXPECT_EQ(Steps(file, "B"), (StepList{{"k", "v"}}));
}

INSTANTIATE_TEST_SUITE_P(CrLf, ScriptFileLineEnds, ::testing::Values("\r\n", "\n", "\r"));

TEST(ScriptFileFormat, MixedLineEndsAndMissingLastNewline) {
    auto file = TScriptFile::Parse("[A]\r\n1=x\r2=y\n3=z\r\n\r\n4=w");
    EXPECT_EQ(Steps(file, "A"), (StepList{{"1", "x"}, {"2", "y"}, {"3", "z"}, {"4", "w"}}));
}

TEST(ScriptFileFormat, TextIsDecodedFromWindows1251) {
    // "[Привет]" / "Ключ=Мир" in Windows-1251.
    auto file = TScriptFile::Parse("[\xCF\xF0\xE8\xE2\xE5\xF2]\n\xCA\xEB\xFE\xF7=\xCC\xE8\xF0\n");
    EXPECT_EQ(Steps(file, "Привет"), (StepList{{"Ключ", "Мир"}}));
    EXPECT_NE(file.FindNode("ПРИВЕТ"), nullptr);
    EXPECT_EQ(file.FindNode("Привет")->FindLabel("КЛЮЧ"), 0);
}

TEST(ScriptFileFormat, StepsAreResolvedWhenRead) {
    // "Метка=x" then a literal "мЕТКА" (Windows-1251), a command in lower case, a repeated key.
    auto file = TScriptFile::Parse("[N]\n\xCC\xE5\xF2\xEA\xE0=x\n2=\xEC\xC5\xD2\xCA\xC0\n3=goto\n"
                                   "4=Gotoxy\n2=repeated\n6=n\n7=Mix Ed\n");
    const auto& steps = file.FindNode("N")->Steps;
    ASSERT_EQ(steps.size(), 7u);
    EXPECT_EQ(steps[0].Op, TScriptOp::Literal);
    EXPECT_EQ(steps[0].Text, "X");
    EXPECT_EQ(steps[1].Text, "мЕТКА");
    EXPECT_EQ(steps[1].Target, 0);
    EXPECT_EQ(steps[2].Op, TScriptOp::Goto);
    EXPECT_TRUE(steps[2].HasLabel);
    EXPECT_EQ(steps[2].Target, 0);
    EXPECT_EQ(steps[3].Op, TScriptOp::World);
    EXPECT_EQ(steps[3].World, TWorldCommand::GOTOXY);
    EXPECT_EQ(steps[4].Text, "мЕТКА");  // the first value of key 2
    EXPECT_EQ(steps[5].Text, "N");
    EXPECT_EQ(steps[5].Target, -1);
    EXPECT_EQ(steps[6].Text, "MIX ED");
    EXPECT_EQ(file.FindNode("N")->JumpTarget(2, "МЕТКА"), 0);
    EXPECT_EQ(file.FindNode("N")->JumpTarget(2, "x"), -1);
}

TEST(ScriptFileFormat, ValuesAreCutTo2047Characters) {
    std::string longValue(3000, '\xFF');  // 'я', two bytes each in UTF-8
    auto file = TScriptFile::Parse("[N]\nk=" + longValue + "\n");
    const auto& value = file.FindNode("N")->Values.at(0);
    EXPECT_EQ(value.size(), 2047u * 2);
    EXPECT_EQ(value.substr(0, 2), "я");
}

TEST(ScriptFileFormat, EmptyAndJunkInputNeverFail) {
    EXPECT_TRUE(TScriptFile::Parse("").Nodes.empty());
    EXPECT_TRUE(TScriptFile::Parse("\r\n\r\n").Nodes.empty());
    auto unclosed = TScriptFile::Parse("[Open\n1=x\n");
    EXPECT_EQ(Steps(unclosed, "Open"), (StepList{{"1", "x"}}));
    uint32_t seed = 7;
    for (int round = 0; round < 200; ++round) {
        std::string junk;
        for (int i = 0; i < 300; ++i) {
            seed = seed * 1103515245u + 12345u;
            const char alphabet[] = "[]=;'\"\r\n\t \0aZ\xC0\xFF";
            junk += (seed >> 16) % 3 == 0 ? char(seed >> 24) : alphabet[(seed >> 16) % (sizeof(alphabet) - 1)];
        }
        auto file = TScriptFile::Parse(junk);
        for (const auto& [name, node] : file.Nodes) {
            ASSERT_EQ(node.Keys.size(), node.Values.size());
            ASSERT_EQ(node.Steps.size(), node.Values.size());
            // The labels resolved when reading agree with the case-blind scan.
            for (const TScriptStep& step : node.Steps)
                if (step.Op == TScriptOp::Literal) {
                    EXPECT_EQ(step.Target, node.FindLabel(step.Text));
                }
            EXPECT_EQ(file.FindNode(name), &node);
        }
    }
}

}  // namespace
