// Debug mode takes in scripts and pictures changed on disk while the game runs: the runner's `panel write`
// line saves a file as an author's editor would, and the next look (twice a second) reloads it.
#include "EditorTestKit.h"

namespace {

class HotReload : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        Game = MakeGame(Data, {.WatchFiles = true});
        ASSERT_TRUE(Game->Started);
    }
    // Frames of the game screen for `ms` of the platform clock.
    void Run(uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 10) {
            Game->Platform.VirtualClock.Advance(10);
            G().Tick();
        }
    }
    // The console wraps its lines; the break's space is dropped.
    bool ConsoleHas(const std::string& text) {
        std::string all;
        for (const std::string& line : G().ConsoleLines) all += line + " ";
        return all.find(text) != std::string::npos;
    }
};

TEST_F(HotReload, ScriptsAndPicturesChangedOnDiskComeInWhileTheGameRuns) {
    // g[11] counts OnCreate runs, g[13] says which version answered a click.
    Data.WriteScript("guard.sc", "[OnCreate]\n1=11\n2=11\n3=GETGVAR\n4=1\n5=ADD\n6=SETGVAR\n[OnClick]\n1=13\n2=1\n3=SETGVAR\n");
    Data.WriteScript("guard2.sc", "[OnCreate]\n1=11\n2=11\n3=GETGVAR\n4=10\n5=ADD\n6=SETGVAR\n7=7\n8=SETTIMER\n"
                                  "[OnClick]\n1=13\n2=2\n3=SETGVAR\n");
    // ADD with one value on the stack: the checker's error.
    Data.WriteScript("guard3.sc", "[OnCreate]\n1=5\n2=ADD\n");
    TMapData map = Location();
    map.Critters[1].ScriptName = map.Critters[2].ScriptName = "guard";
    Load(map);
    Run(100);
    ASSERT_EQ(Global(11), 2);

    {
        SCOPED_TRACE("a clean script: every user gets it anew, OnCreate runs, the console says so");
        G().PanelCommand("write data/scripts/guard.sc data/scripts/guard2.sc");
        Run(600);
        EXPECT_EQ(Global(11), 22);
        EXPECT_TRUE(Critter(1).Script->TimerEnabled);
        Critter(2).Click();
        EXPECT_EQ(Global(13), 2);
        EXPECT_TRUE(ConsoleHas("Скрипт data/scripts/guard.sc перезагружен"));
        ASSERT_FALSE(G().HotReload.Reports.empty());
        EXPECT_FALSE(G().HotReload.Reports[0].Kept);
    }
    {
        SCOPED_TRACE("a script with errors: the old one goes on, the panel lists the checker's messages");
        G().PanelCommand("write data/scripts/guard.sc data/scripts/guard3.sc");
        Run(600);
        EXPECT_EQ(Global(11), 22);
        G().Scripts.GlobalVars[13] = 0;
        Critter(1).Click();
        EXPECT_EQ(Global(13), 2);
        EXPECT_TRUE(ConsoleHas("Скрипт data/scripts/guard.sc с ошибками"));
        const THotReload::TReport& report = G().HotReload.Reports.at(0);
        EXPECT_EQ(report.File, "data/scripts/guard.sc");
        EXPECT_TRUE(report.Kept);
        ASSERT_EQ(report.Messages.size(), 1u);
        EXPECT_NE(report.Messages[0].Text.find("ADD takes 2 values"), std::string::npos) << report.Messages[0].Text;
        // A location load meanwhile keeps to the old version as well.
        Load(map);
        Run(600);
        EXPECT_EQ(Global(11), 42);
    }
    {
        SCOPED_TRACE("a picture: read again into the sprites that use it");
        const int crate = G().DXIL.Find("crate");
        ASSERT_GE(crate, 0);
        Data.WriteBmp("data/Images/Objects/new_crate.bmp", 12, 6, 0x00123456);
        G().PanelCommand("write data/Images/Objects/crate.bmp data/Images/Objects/new_crate.bmp");
        Run(600);
        const TImageItem& item = G().DXIL.Item(crate);
        EXPECT_EQ(item.Picture.Width(), 12);
        EXPECT_EQ(item.Picture.Pixel(3, 3) & 0xFFFFFF, 0x123456u);
        EXPECT_EQ(Object(0).FrameWidth, 12);
        EXPECT_TRUE(ConsoleHas("Картинка data/Images/Objects/crate.bmp обновлена"));
    }
}

}  // namespace
