#include <gtest/gtest.h>

#include "critters/Critter.h"
#include "support/TestGame.h"

namespace {

class Overlays : public TDebugGameTest {
protected:
    int Width(const std::string& text, int size) {
        return Game().Fonts.TextExtent(TFontSpec{"Tahoma", size, true, false, 0}, text).Cx;
    }
};

}  // namespace

TEST_F(Overlays, ConsoleWrapsAt190PixelsAndDropsTheSpaceOfTheBreak) {
    TMainForm& g = Game();
    g.AddConsole("");
    EXPECT_EQ(g.ConsoleLines, std::vector<std::string>{"\\n"});

    g.ConsoleLines.clear();
    std::string longWord(60, 'W');
    ASSERT_GT(Width(longWord, 8), 190);
    g.AddConsole("a " + longWord);
    EXPECT_EQ(g.ConsoleLines, (std::vector<std::string>{"\\na", longWord}));

    g.ConsoleLines.clear();
    std::string left = "Рейдер заметил вас у старой";  // comfortably under 190 pixels
    std::string right = "трассы и открыл огонь";
    ASSERT_LT(Width(left + "   ", 8), 190);
    ASSERT_GT(Width(left + "   " + right, 8), 190);
    g.AddConsole(left + "   " + right);
    ASSERT_GE(g.ConsoleLines.size(), 2u);
    EXPECT_EQ(g.ConsoleLines[0].substr(0, 2), "\\n");
    // Only the space right before the moved word goes; the others stay.
    EXPECT_EQ(g.ConsoleLines[0].back(), ' ');
    EXPECT_NE(g.ConsoleLines[1][0], ' ');
    std::string joined;
    for (auto& l : g.ConsoleLines) joined += l + "|";
    EXPECT_NE(joined.find("  |"), std::string::npos) << joined;
    EXPECT_EQ(g.DXWL.PlayLog.back(), "Console");
}

TEST_F(Overlays, ConsoleShowsTheNewestSevenLinesAndTheStatus) {
    TMainForm& g = Game();
    g.DebugMode = false;
    for (int i = 0; i < 8; ++i) g.AddConsole("line " + std::to_string(i));
    g.World.Critters[0]->HP = 42;
    g.World.Critters[0]->Ammo = 7;
    g.DXDraw.Fill(0);
    g.RenderConsole();
    // The bullet of the newest line: ellipse box (25, 572) - (31, 578).
    EXPECT_EQ(g.DXDraw.PixelRead(28, 575), 0x00CC00u);
    // Seven lines at most: nothing at the eighth line's place (y = 470).
    for (int x = 20; x < 200; ++x) EXPECT_EQ(g.DXDraw.PixelRead(x, 474), 0u);
}

TEST_F(Overlays, QuestionLinesAfterTheFirstKeepTheirSpace) {
    TMainForm& g = Game();
    std::string text = "Рейдеры держат перекрёсток, а их главарь засел в промзоне за восточными воротами";
    g.AddQuestion(text);
    ASSERT_GE(g.Dialog.Question.size(), 2u);
    EXPECT_EQ(g.Dialog.Question[0].substr(0, 2), "\\n");
    for (size_t i = 1; i < g.Dialog.Question.size(); ++i) EXPECT_EQ(g.Dialog.Question[i][0], ' ');
    std::string rebuilt = g.Dialog.Question[0].substr(2);
    for (size_t i = 1; i < g.Dialog.Question.size(); ++i) rebuilt += g.Dialog.Question[i];
    EXPECT_EQ(rebuilt, text);
    EXPECT_LT(Width(g.Dialog.Question[0].substr(2), 9), 300);
    for (size_t i = 1; i < g.Dialog.Question.size(); ++i) EXPECT_LT(Width(g.Dialog.Question[i], 9), 300);

    std::string word(80, 'M');
    g.AddQuestion(word);
    EXPECT_EQ(g.Dialog.Question, std::vector<std::string>{"\\n" + word});
}

TEST_F(Overlays, ScriptedDialogEndToEndWithTheFrozenHover) {
    TMainForm& g = Game();
    Data.WriteScript("talk.sc",
                     "[OnClick]\n1=nobody\n2=STARTDIALOG\n3=Кто ты?\n4=QUESTION\n"
                     "5=Первый\n6=FIRST\n7=ANSWER\n8=Второй\n9=SECOND\n10=ANSWER\n"
                     "[First]\n1=first chosen\n2=ADDCONSOLE\n3=ENDDIALOG\n"
                     "[Second]\n1=second chosen\n2=ADDCONSOLE\n3=ENDDIALOG\n");
    g.World.AppendCritter(std::make_shared<tCritter>(g.Context, 1));
    g.World.Critters[1]->SetScript("talk");
    g.World.Critters[1]->Click();
    ASSERT_EQ(g.ScreenMode, smDialog);
    EXPECT_EQ(g.Dialog.OwnerIndex, 1);
    EXPECT_EQ(g.Dialog.Hovered, -1);
    // Answer 1's rectangle starts at y = 362 and x = 402.
    g.DXDrawMouseMove(405, 364);
    EXPECT_EQ(g.Dialog.Hovered, 1);
    g.DXDrawMouseMove(401, 364);
    EXPECT_EQ(g.Dialog.Hovered, -1);
    // Pressed on answer 0, released on answer 1: answer 0 is chosen.
    g.DXDrawMouseMove(405, 348);
    g.DXDrawMouseDown(mbLeft, 405, 348);
    g.DXDrawMouseMove(405, 364);
    EXPECT_EQ(g.Dialog.Hovered, 0);
    g.DXDrawMouseUp(mbLeft, 405, 364);
    EXPECT_EQ(g.ScreenMode, smGame);
    EXPECT_EQ(g.ConsoleLines.back(), "\\nFIRST CHOSEN");
}

TEST_F(Overlays, MapScriptDialogsChooseNothingAndFadesOfAnyLengthEnd) {
    TMainForm& g = Game();
    g.ScreenMode = smDialog;
    g.Dialog.OwnerIndex = -1;
    g.Dialog.OwnerKind = -1;
    g.Dialog.Answers = {"a"};
    g.Dialog.AnswerNodes = {"NODE"};
    g.DXDrawMouseMove(405, 350);
    g.DXDrawMouseDown(mbLeft, 405, 350);
    g.DXDrawMouseUp(mbLeft, 405, 350);
    EXPECT_TRUE(g.Errors.empty());

    g.Dialog.FadeRunning = true;
    g.Dialog.NewHead = "next";
    g.Dialog.FadeDuration = 0;
    g.Dialog.FadeStart = g.Now();
    G->Platform.VirtualClock.Advance(10);
    g.Tick();
    EXPECT_FALSE(g.Dialog.FadeRunning);
    EXPECT_EQ(g.Dialog.CurrentHead, "next");

    // The longest fade a script can ask for still ends, after at most ten seconds.
    g.Dialog.FadeRunning = true;
    g.Dialog.NewHead = "last";
    g.Dialog.FadeDuration = 2147483647;
    g.Dialog.FadeStart = g.Now();
    G->Platform.VirtualClock.Advance(9990);
    g.Tick();
    EXPECT_TRUE(g.Dialog.FadeRunning);
    G->Platform.VirtualClock.Advance(20);
    g.Tick();
    EXPECT_FALSE(g.Dialog.FadeRunning);
    EXPECT_EQ(g.Dialog.CurrentHead, "last");
}
