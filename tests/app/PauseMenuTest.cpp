// The pause menu stops the world; F12 keeps the frame; the main menu's extra
// entries open the load and settings pages.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/SaveGame.h"
#include "critters/Critter.h"
#include "platform/Headless.h"
#include "support/TestGame.h"

namespace fs = std::filesystem;

namespace {
enum : int { F5 = 116, F9 = 120 };

// Play (not debug) on a location whose map script counts its timer ticks in global 1.
class PauseMenu : public ::testing::Test {
protected:
    void SetUp() override {
        Data.WriteGame({});
        WriteMenuFiles(Data);
        TMapData map;
        TMapCritter player;
        player.Skin = "metal";
        player.StartX = 10;
        player.StartY = 20;
        player.HP = 50;
        player.ScriptName = "obj_def";
        map.Critters.push_back(player);
        map.MapScript = "ticker";
        Data.WriteFile("data/locations/loc01.map", SerializeMap(map));
        Data.WriteScript("ticker.sc",
                         "[OnCreate]\n1=100\n2=SETTIMER\n[OnTimer]\n1=1\n2=1\n3=GETGVAR\n4=1\n5=ADD\n6=SETGVAR\n");
        UseHome(Data);
        G = MakeGame(Data, {.Debug = false});
        ASSERT_TRUE(G->Started);
    }
    TMainForm& Game() { return **G; }
    // Straight into play, as --map does.
    void Play() {
        Game().Menu.SubState = 0;
        Game().DXT.Interval = 10;
        Game().NewGame();
        Frame();
    }
    void Frame() {
        G->Platform.VirtualClock.Advance(10);
        Game().Tick();
    }
    void Key(int vk) {
        Game().DXI.Live[size_t(vk)] = true;
        Frame();
        Game().DXI.Live[size_t(vk)] = false;
        Frame();
    }
    void Click(int x, int y) {
        Game().DXDrawMouseMove(x, y);
        Game().DXDrawMouseDown(mbLeft, x, y);
        Game().DXDrawMouseUp(mbLeft, x, y);
    }
    TTestData Data;
    std::unique_ptr<TTestGame> G;
};
}  // namespace

TEST_F(PauseMenu, TheWorldStandsStillWhileItIsOpen) {
    Play();
    tCritter& player = *Game().World.Critter(0);
    player.WalkTo(30, 40);
    for (int i = 0; i < 30; ++i) Frame();
    Key(VK_ESCAPE);
    ASSERT_EQ(Game().Pause.Page, TPauseMenu::Main);
    const uint32_t now = Game().Now();
    const int32_t ticks = Game().Scripts.GlobalVars[1];
    const double x = player.PixelX, y = player.PixelY;
    const uint32_t untilTick = Game().World.MapScript->TimerNext - now;
    EXPECT_GT(ticks, 0);
    for (int i = 0; i < 300; ++i) Frame();
    EXPECT_EQ(Game().Now(), now);
    EXPECT_EQ(Game().Scripts.GlobalVars[1], ticks);
    EXPECT_EQ(player.PixelX, x);
    EXPECT_EQ(player.PixelY, y);

    Key(VK_ESCAPE);  // Escape again goes back to the game, where the clock left off
    EXPECT_FALSE(Game().Pause.IsOpen());
    EXPECT_EQ(Game().World.MapScript->TimerNext - Game().Now(), untilTick - 10);
    for (int i = 0; i < 30; ++i) Frame();
    EXPECT_GT(Game().Scripts.GlobalVars[1], ticks);
    EXPECT_NE(player.PixelX, x);
}

TEST_F(PauseMenu, LeavingAsksFirstFromTheMenuAndFromThePanelButton) {
    Play();
    Key(VK_ESCAPE);
    Click(400, 360);  // "Выйти в меню"
    EXPECT_EQ(Game().Pause.Page, TPauseMenu::ConfirmExit);
    Click(400, 345);  // "Нет": back to the pause menu
    EXPECT_EQ(Game().Pause.Page, TPauseMenu::Main);
    Click(400, 196);  // "Продолжить"
    EXPECT_FALSE(Game().Pause.IsOpen());

    Click(200, 450);  // the panel's МЕНЮ button
    EXPECT_EQ(Game().Pause.Page, TPauseMenu::ConfirmExit);
    Click(400, 345);  // "Нет" goes straight back to the game
    EXPECT_FALSE(Game().Pause.IsOpen());
    EXPECT_EQ(Game().ScreenMode, smGame);
    Click(200, 450);
    Click(400, 305);  // "Да, выйти"
    EXPECT_EQ(Game().ScreenMode, smMainMenu);
    EXPECT_FALSE(Game().GameClock.Held());
}

TEST_F(PauseMenu, SettingsPageChangesAndKeepsTheSettings) {
    Play();
    Key(VK_ESCAPE);
    Click(400, 322);  // "Настройки"
    ASSERT_EQ(Game().Pause.Page, TPauseMenu::Settings);
    Click(300, 228);  // music, left half: quieter
    Click(500, 266);  // effects, right half: already at the top
    Click(400, 380);  // edge scrolling off
    Click(400, 190);  // scaling: the next one
    EXPECT_EQ(Game().Settings.MusicVolume, 90);
    EXPECT_EQ(Game().Settings.EffectsVolume, 100);
    EXPECT_FALSE(Game().Settings.EdgeScroll);
    EXPECT_EQ(Game().Settings.Scaling, TScaling::Integer);
    std::string problem;
    EXPECT_EQ(TSettingsFile(Game().Dirs.SettingsFile()).Load(problem), Game().Settings);
    Click(400, 455);  // "Назад"
    EXPECT_EQ(Game().Pause.Page, TPauseMenu::Main);
}

TEST_F(PauseMenu, F12WritesTheFrameAsTheHeadlessScreenshotHasIt) {
    TGameOptions o;
    o.Headless = true;
    o.DataDir = Data.Root().string();
    o.MapFile = "data\\locations\\loc01.map";
    o.Frames = 21;
    o.Seed = 1;
    o.InputFile = Data.Path("f12.txt").string();
    o.ScreenshotFile = Data.Path("frame20.png").string();
    Data.WriteFile("f12.txt", "3 move 300 200\n20 keydown 123\n");
    ASSERT_EQ(RunHeadless(o), 0);
    std::vector<fs::path> shots;
    for (const auto& e : fs::directory_iterator(Game().Dirs.Pictures)) shots.push_back(e.path());
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0].extension(), ".png");
    EXPECT_EQ(Slurp(shots[0]), Slurp(o.ScreenshotFile));
}

TEST_F(PauseMenu, MainMenuOffersLoadingOnlyWithASave) {
    for (int i = 0; i < 1000 && Game().Menu.SubState != 0; ++i) Frame();
    Frame();
    EXPECT_FALSE(Game().Pause.AnySave);
    Click(120, 265);  // the first entry below the buttons: settings while there is no save
    EXPECT_EQ(Game().Pause.Page, TPauseMenu::Settings);
    Key(VK_ESCAPE);
    EXPECT_FALSE(Game().Pause.IsOpen());

    Play();
    ASSERT_TRUE(SaveGameSlot(Game(), 2));
    Game().StartMainMenu();
    Frame();
    EXPECT_TRUE(Game().Pause.AnySave);
    Click(120, 265);
    ASSERT_EQ(Game().Pause.Page, TPauseMenu::Load);
    EXPECT_TRUE(Game().Pause.Slots[2].Readable);
    Click(400, 56 + 2 * 70 + 20);  // slot 2
    EXPECT_EQ(Game().ScreenMode, smGame);
    EXPECT_FALSE(Game().Pause.IsOpen());
    EXPECT_FALSE(Game().GameClock.Held());
}

TEST_F(PauseMenu, EscapeInADialogStopsItAndContinueGoesBackToIt) {
    Play();
    Game().ScreenMode = smDialog;
    Game().AddQuestion("Стой! Кто идёт?");
    Game().Dialog.Answers = {"Свои."};
    Game().Dialog.AnswerNodes = {"BYE"};
    Game().DXDrawMouseMove(100, 100);
    Frame();
    const TBitmap pointerElsewhere = Game().DXDraw.Pixels();
    Game().DXDrawMouseMove(600, 150);
    Frame();
    Key(VK_ESCAPE);
    ASSERT_EQ(Game().Pause.Page, TPauseMenu::Main);
    // The frame behind the menu has no pointer of its own: where it was, the scene shows.
    for (int y = 134; y < 166; ++y)
        for (int x = 584; x < 616; ++x)
            ASSERT_EQ(Game().Pause.Frame.Pixel(x, y), pointerElsewhere.Pixel(x, y)) << x << "," << y;
    Click(400, 196);  // "Продолжить"
    EXPECT_FALSE(Game().Pause.IsOpen());

    // A portrait fading: the menu holds it where it stands.
    Game().Dialog.FadeRunning = true;
    Game().Dialog.FadeStart = Game().Now();
    Game().Dialog.FadeDuration = 1000;
    Game().Dialog.NewHead = "Cursor";
    Frame();
    const TDialogState dialog = Game().Dialog;
    const uint32_t now = Game().Now();
    Key(VK_ESCAPE);
    ASSERT_EQ(Game().Pause.Page, TPauseMenu::Main);
    for (int i = 0; i < 200; ++i) Frame();
    EXPECT_EQ(Game().Now(), now + 10) << "the world stops under the menu";
    EXPECT_TRUE(Game().Dialog.FadeRunning);
    Click(400, 196);
    EXPECT_FALSE(Game().Pause.IsOpen());
    EXPECT_EQ(Game().ScreenMode, smDialog);
    EXPECT_EQ(Game().Dialog.Question, dialog.Question);
    EXPECT_EQ(Game().Dialog.Answers, dialog.Answers);
    EXPECT_EQ(Game().Dialog.FadeStart, dialog.FadeStart);
    for (int i = 0; i < 150; ++i) Frame();
    EXPECT_FALSE(Game().Dialog.FadeRunning) << "the fade runs on from where it stood";
}

// The save pages speak the game's language: a slot in use is written over only
// when the player says so, another version's save is named as such, and a save or
// load that fails or succeeds says so.
TEST_F(PauseMenu, SavesAskBeforeOverwritingAndSayWhatHappened) {
    Play();
    ASSERT_TRUE(SaveGameSlot(Game(), 2));
    const fs::path slot2 = Game().Dirs.SaveDir() / SaveFileName(2);
    const std::string first = Slurp(slot2);
    std::string other = first;
    other[8] = 2;  // the format number
    std::ofstream(Game().Dirs.SaveDir() / SaveFileName(3), std::ios::binary) << other;
    Game().World.Critter(0)->WalkTo(14, 24);
    for (int i = 0; i < 40; ++i) Frame();

    Key(VK_ESCAPE);
    Click(400, 238);  // "Сохранить"
    ASSERT_EQ(Game().Pause.Page, TPauseMenu::Save);
    EXPECT_FALSE(Game().Pause.Slots[3].Readable);
    EXPECT_EQ(Game().Pause.Slots[3].Format, 2u);
    EXPECT_EQ(Game().Pause.Slots[2].Location, "loc01");
    Click(400, 56 + 2 * 70 + 20);  // slot 2, in use
    ASSERT_EQ(Game().Pause.Page, TPauseMenu::ConfirmOverwrite);
    Click(400, 345);  // "Нет"
    EXPECT_EQ(Game().Pause.Page, TPauseMenu::Save);
    EXPECT_EQ(Slurp(slot2), first);
    Click(400, 56 + 2 * 70 + 20);
    Click(400, 305);  // "Да, записать поверх"
    EXPECT_FALSE(Game().Pause.IsOpen());
    EXPECT_NE(Slurp(slot2), first);

    // Another version's quick save: refused, named, the game untouched.
    std::ofstream(Game().Dirs.SaveDir() / SaveFileName(0), std::ios::binary | std::ios::trunc) << other;
    Key(F9);
    EXPECT_NE(Game().NoticeText.find("другой версией игры (формат 2"), std::string::npos) << Game().NoticeText;
    fs::remove(Game().Dirs.SaveDir() / SaveFileName(0));
    Key(F5);
    Key(F9);
    EXPECT_EQ(Game().NoticeText, "Игра загружена.");

    // A save that cannot be written says so in the console.
    Game().ConsoleLines.clear();
    fs::remove(Game().Dirs.SaveDir() / SaveFileName(0));
    fs::create_directories(Game().Dirs.SaveDir() / SaveFileName(0));
    const size_t errors = Game().Errors.size();
    Key(F5);
    ASSERT_FALSE(Game().ConsoleLines.empty());
    std::string console;
    for (const std::string& line : Game().ConsoleLines) console += line + " ";
    EXPECT_NE(console.find("Игра не сохранена"), std::string::npos) << console;
    EXPECT_EQ(console.find("Игра сохранена."), std::string::npos);
    EXPECT_EQ(Game().Errors.size(), errors + 1) << "the reason is in the log";
}
