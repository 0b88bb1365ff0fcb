// Saved games: a loaded game goes on exactly as the saved one would have;
// damaged saves are refused and leave the running game alone.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/Dump.h"
#include "app/FrameDriver.h"
#include "app/InputFile.h"
#include "app/SaveGame.h"
#include "critters/Critter.h"
#include "platform/Headless.h"
#include "support/TestGame.h"

namespace fs = std::filesystem;

namespace {
// The dump without the error list, which a refused load adds to.
std::string StateOf(const TMainForm& g) {
    std::string dump = DumpJson(g);
    size_t a = dump.find("\"errors\""), b = dump.find("\"pattern\"");
    return dump.erase(a, b - a);
}
}  // namespace

// A headless run of the demo's first location: its dump and its last picture.
static std::string PlayDemo(const TTestData& d, const std::string& name, const std::string& input, int frames,
                            uint32_t seed) {
    TGameOptions o;
    o.Headless = true;
    o.DataDir = DemoDataDir();
    o.MapFile = "data\\locations\\loc01.map";
    o.Frames = frames;
    o.Seed = seed;
    o.InputFile = d.Path(name + ".txt").string();
    o.DumpFile = d.Path(name + ".json").string();
    o.ScreenshotFile = d.Path(name + ".png").string();
    d.WriteFile(name + ".txt", input);
    EXPECT_EQ(RunHeadless(o), 0);
    return Slurp(o.DumpFile) + Slurp(o.ScreenshotFile);
}

// A fight on the demo's first location: the player walks, then fires bursts
// at a crossroads while raiders and the guard act on their timers. Saved at
// frame 400 with F5; F9 brings that moment back in the same run, and in a new
// process started elsewhere with another seed.
TEST(SaveContinue, LoadedGameGoesOnAsTheSavedOneWould) {
    const std::string demo = DemoDataDir();
    if (demo.empty()) GTEST_SKIP() << "demo data not built";
    TTestData d;
    UseHome(d);
    const std::string fight =
        "1 move 200 400\n2 down left\n3 up left\n250 move 150 330\n251 down right\n"
        "252 up right\n253 down left\n400 keydown 116\n401 keyup 116\n";
    auto run = [&](const std::string& name, const std::string& input, int frames, uint32_t seed) {
        return PlayDemo(d, name, input, frames, seed);
    };
    const std::string saved = run("saved", fight, 700, 1);
    ASSERT_NE(saved.find("Игра сохранена."), std::string::npos);
    ASSERT_NE(saved.find("\"errors\": []"), std::string::npos);
    EXPECT_EQ(run("same", fight + "550 keydown 120\n551 keyup 120\n", 850, 1), saved);

    d.WriteFile("new.txt", "0 keydown 120\n1 keyup 120\n");
    std::string command = std::string(RW_BINARY_DIR) + "/rustwake --headless --frames 300 --seed 9 --data " + demo +
                          " --map 'data\\locations\\loc01.map' --input " + d.Path("new.txt").string() + " --dump " +
                          d.Path("new.json").string() + " --screenshot " + d.Path("new.png").string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(Slurp(d.Path("new.json")) + Slurp(d.Path("new.png")), saved);
}

namespace {
// A game of the demo's first location driven by an input text as the runner drives it, one frame at a time.
class TDemoSession : public IFrameHost {
public:
    TDemoSession(const std::string& input, uint32_t seed) : Script(ParseInputFile(input, "input")) {
        Platform.VirtualClock.Set(HeadlessClockStart);
        TGameOptions o;
        o.Headless = true;
        o.DataDir = DemoDataDir();
        o.MapFile = "data\\locations\\loc01.map";
        o.Seed = seed;
        Game = std::make_unique<TMainForm>(o, Platform);
        Driver = std::make_unique<TFrameDriver>(*Game, *this, &Platform.VirtualClock);
        Started = Driver->Start();
    }
    ~TDemoSession() override { Game->FormDestroy(); }
    void Events(TFrameDriver& driver) override {
        for (const TInputEvent& e : Script.Take(driver.Frame())) driver.Deliver(e);
    }
    void Step() { Driver->Step(); }
    std::string State() const { return DumpJson(*Game); }
    const TBitmap& Picture() const { return Game->DXDraw.Pixels(); }

    THeadlessPlatform Platform;
    std::unique_ptr<TMainForm> Game;
    bool Started = false;

private:
    TInputScript Script;
    std::unique_ptr<TFrameDriver> Driver;
};

// Where two dumps part, for the failure message.
std::string FirstDifference(const std::string& a, const std::string& b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    const size_t from = i > 60 ? i - 60 : 0;
    return "saved run: ..." + a.substr(from, 100) + "\nloaded run: ..." + b.substr(from, 100);
}

// Saves at `saveFrame` of a run of `inputLines` (input-file lines) on the demo's first location, with F5 or
// through the pause menu, loads the save with F9 in another game (another seed) that goes on with the rest
// of the input, and holds the two to the same dump and picture frame after frame for `frames` frames.
enum class TSaveBy { QuickSave, PauseMenu };
void ExpectGoesOnAsSaved(int saveFrame, const std::string& inputLines, int frames, TSaveBy by = TSaveBy::QuickSave) {
    // The pause menu's save: Escape, "Сохранить", the quick save's place, among the events of the frame
    // after the next; the button comes up in the game. The loaded game's first frame is that frame.
    const bool menu = by == TSaveBy::PauseMenu;
    const int late = menu ? 1 : 0;
    std::istringstream lines(inputLines);
    std::string before, after;
    for (std::string line; std::getline(lines, line);) {
        const int frame = std::stoi(line);
        if (frame <= saveFrame)
            before += line + "\n";
        else
            after += std::to_string(frame - saveFrame + late) + line.substr(line.find(' ')) + "\n";
    }
    const auto at = [&](int k) { return std::to_string(saveFrame + k) + " "; };
    std::string input = before + (menu ? at(0) + "keydown 27\n" + at(1) + "keyup 27\n" + at(1) + "move 400 234\n" +
                                             at(1) + "down left\n" + at(1) + "up left\n" + at(2) + "move 400 80\n" +
                                             at(2) + "down left\n" + at(2) + "up left\n"
                                       : at(0) + "keydown 116\n" + at(1) + "keyup 116\n");
    std::istringstream rest(inputLines);
    for (std::string line; std::getline(rest, line);)
        if (const int frame = std::stoi(line); frame > saveFrame)
            input += std::to_string(frame + 2 * late) + line.substr(line.find(' ')) + "\n";
    TDemoSession saving(input, 1);
    ASSERT_TRUE(saving.Started);
    // A place in use would be asked about first.
    std::filesystem::remove(saving.Game->Dirs.SaveDir() / SaveFileName(0));
    for (int f = 0; f <= saveFrame + 2 * late; ++f) saving.Step();
    ASSERT_NE(saving.State().find("Игра сохранена."), std::string::npos) << "not saved";
    TDemoSession loaded("0 keydown 120\n1 keyup 120\n" + std::string(menu ? "1 up left\n" : "") + after, 9);
    ASSERT_TRUE(loaded.Started);
    loaded.Step();
    // The announcement of the load is over the picture, not in the game.
    loaded.Game->NoticeText.clear();
    if (menu) loaded.Step();
    for (int k = late;; ++k) {
        if (k > late) {
            saving.Step();
            loaded.Step();
        }
        const std::string a = saving.State(), b = loaded.State();
        ASSERT_NE(a.find("\"errors\": []"), std::string::npos) << a.substr(0, 400);
        ASSERT_TRUE(a == b) << "frame " << k << " after the save\n" << FirstDifference(a, b);
        // The loaded game draws its first picture in the frame after the load.
        if (k > 0) {
            ASSERT_TRUE(saving.Picture().Data() == loaded.Picture().Data()) << "picture, frame " << k << " after the save";
        }
        if (k == frames) break;
    }
}
}  // namespace

// Saves taken at the moments where a later frame depends on the most state: in
// the middle of a burst (aiming), the frame it ends and the one after, between
// two tiles of a walk, with the pointer on the trader the frame before the
// click that opens his dialog, the frame it opens with the button still down,
// with an answer pressed, and while his portrait fades; and through the pause
// menu, whose world stands still from its last frame. Each save is loaded with
// F9 by another game (another seed) that goes on with the rest of the input;
// frame after frame, for 400 frames, its dump and its picture are those of the
// run that saved.
TEST(SaveContinue, EveryMomentOfPlayGoesOnAsSaved) {
    const std::string demo = DemoDataDir();
    if (demo.empty()) GTEST_SKIP() << "demo data not built";
    struct TCase {
        const char* Name;
        int SaveFrame;
        const char* Input;  // frames of the saving run; those after SaveFrame are played again after the load
        TSaveBy By = TSaveBy::QuickSave;
    };
    const char* const burst = "1 down right\n2 up right\n5 move 300 380\n6 down left\n40 up left\n";
    const char* const trader = "1 move 610 285\n4 down left\n5 up left\n60 move 406 351\n61 down left\n62 up left\n";
    const TCase cases[] = {
        {"mid-burst", 20, burst},
        {"the frame a burst ends", 40, burst},
        {"just after a burst", 41, burst},
        {"just after a burst, from the pause menu", 41, burst, TSaveBy::PauseMenu},
        {"mid-step", 9, "1 move 400 200\n2 down left\n3 up left\n"},
        {"as a dialog opens, then its portrait fades", 3, trader},
        {"mid-dialog-open, the button still down", 4, trader},
        {"in the dialog, an answer pressed", 61, trader},
        {"mid-fade", 100, trader},
        {"mid-fade, from the pause menu", 100, trader, TSaveBy::PauseMenu},
    };
    TTestData d;
    UseHome(d);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ExpectGoesOnAsSaved(c.SaveFrame, c.Input, 400, c.By);
    }
}

class SaveFile : public ::testing::Test {
protected:
    void SetUp() override {
        Data.WriteGame({});
        WriteMenuFiles(Data);
        WriteFirstLocation(Data);
        UseHome(Data);
        G = MakeGame(Data, {.Debug = false});
        ASSERT_TRUE(G->Started);
        Game().NewGame();
        for (int i = 0; i < 5; ++i) Frame();
    }
    TMainForm& Game() { return **G; }
    void Frame() {
        G->Platform.VirtualClock.Advance(10);
        Game().Tick();
    }
    // The last message, its wrapped lines joined again.
    std::string ConsoleTail() {
        const auto& lines = Game().ConsoleLines;
        std::string text;
        for (size_t i = lines.size(); i-- > 0;) {
            text = lines[i] + (text.empty() ? "" : " ") + text;
            if (lines[i].rfind("\\n", 0) == 0) return text.substr(2);
        }
        return text;
    }
    fs::path Slot(int n) { return Game().Dirs.SaveDir() / SaveFileName(n); }
    TTestData Data;
    std::unique_ptr<TTestGame> G;
};

TEST_F(SaveFile, DamagedOrForeignSavesAreRefusedAndTheGameIsUntouched) {
    ASSERT_TRUE(SaveGameSlot(Game(), 1));
    const std::string good = Slurp(Slot(1));
    ASSERT_NO_THROW(CheckSave(good));
    Game().World.Critter(0)->WalkTo(20, 30);
    for (int i = 0; i < 3; ++i) Frame();

    struct TCase {
        const char* Name;
        std::function<std::string(std::string)> Damage;
        const char* Reason;
    };
    const TCase cases[] = {
        {"empty", [](std::string) { return std::string(); }, "not a saved game"},
        {"garbage", [](std::string s) { return std::string(s.size(), '\x5A'); }, "not a saved game"},
        {"truncated", [](std::string s) { return s.substr(0, s.size() / 2); }, "length is wrong"},
        {"lengthened", [](std::string s) { return s + "x"; }, "length is wrong"},
        {"flipped", [](std::string s) { return s[s.size() / 2] ^= 1, s; }, "check sum"},
        {"older", [](std::string s) { return s[8] = 0, s; }, "another version of the game (format 0"},
        {"resealed short", [](std::string s) { return SealSave(s.substr(20, s.size() / 3)); }, "ends too early"},
        {"resealed long", [](std::string s) { return SealSave(s.substr(20) + "zz"); }, "past its end"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::ofstream(Slot(2), std::ios::binary | std::ios::trunc) << c.Damage(good);
        const std::string before = StateOf(Game());
        size_t errors = Game().Errors.size();
        EXPECT_FALSE(LoadGameSlot(Game(), 2));
        ASSERT_EQ(Game().Errors.size(), errors + 1);
        EXPECT_NE(Game().Errors.back().find(Slot(2).string()), std::string::npos) << Game().Errors.back();
        EXPECT_NE(Game().Errors.back().find(c.Reason), std::string::npos) << Game().Errors.back();
        EXPECT_EQ(StateOf(Game()), before);
        EXPECT_FALSE(ReadSlotInfo(good).Thumb.Empty());
    }
}

TEST_F(SaveFile, RefusedAtDeathButTakenInADialogAndLoadedFromTheMenu) {
    Game().World.Critter(0)->State = csDead;
    EXPECT_FALSE(SaveGameSlot(Game(), 3));
    EXPECT_NE(ConsoleTail().find("Сейчас сохраниться нельзя."), std::string::npos) << ConsoleTail();
    EXPECT_FALSE(fs::exists(Slot(3)));
    Game().World.Critter(0)->State = csIdle;

    // A conversation is saved whole and comes back from the menu as it was.
    Game().ScreenMode = smDialog;
    Game().Dialog.CurrentHead = "Cursor";
    Game().Dialog.OwnerIndex = 0;
    Game().Dialog.OwnerKind = OwnerCritter;
    Game().AddQuestion("Стой! Кто идёт?");
    Game().Dialog.Answers = {"Свои."};
    Game().Dialog.AnswerNodes = {"BYE"};
    ASSERT_TRUE(SaveGameSlot(Game(), 3));
    EXPECT_EQ(ConsoleTail(), "Игра сохранена в ячейку 3.");
    const std::string saved = StateOf(Game());
    Game().StartMainMenu();
    ASSERT_EQ(Game().ScreenMode, smMainMenu);
    ASSERT_TRUE(LoadGameSlot(Game(), 3));
    EXPECT_EQ(Game().ScreenMode, smDialog);
    EXPECT_TRUE(Game().MusicOn);
    auto world = [](const std::string& dump) {
        return dump.substr(dump.find("\"critters\""), dump.find("\"hover\"") - dump.find("\"critters\""));
    };
    EXPECT_EQ(world(StateOf(Game())), world(saved));
    TSlotInfo info = ReadSlotInfo(Slurp(Slot(3)));
    EXPECT_EQ(info.Location, "loc01");
    EXPECT_EQ(info.Thumb.Width(), 80);
}

namespace {
// A save's bytes with the first length-prefixed text `from` of its payload replaced by `to`, sealed again.
std::string SwapText(const std::string& save, const std::string& from, const std::string& to) {
    auto prefixed = [](const std::string& text) {
        std::string out(4, '\0');
        for (int i = 0; i < 4; ++i) out[size_t(i)] = char(text.size() >> (8 * i));
        return out + text;
    };
    std::string payload = save.substr(20);
    const size_t at = payload.find(prefixed(from));
    if (at == std::string::npos) return "the text is not in the save: " + from;
    return SealSave(payload.replace(at, from.size() + 4, prefixed(to)));
}
}  // namespace

// Forged saves: every field a later frame does arithmetic on or reads a file by
// is held to what the game can write, and a save beyond that is refused naming
// the field, before anything of the running game changes.
TEST_F(SaveFile, ForgedFieldsAreRefusedNamingThem) {
    struct TCase {
        const char* Name;
        std::function<std::string(TMainForm&)> Forge;  // the forged save's bytes
        const char* Reason;                             // nullptr: loads
    };
    auto saved = [](TMainForm& g) { return SerializeGame(g, TBitmap(800, 600)); };
    auto withView = [&](std::function<void(TViewState&)> change) {
        return [=](TMainForm& g) {
            const TViewState keep = g.View;
            change(g.View);
            std::string bytes = saved(g);
            g.View = keep;
            return bytes;
        };
    };
    auto withConsole = [&](std::vector<std::string> lines) {
        return [=](TMainForm& g) {
            const auto keep = g.ConsoleLines;
            g.ConsoleLines = lines;
            std::string bytes = saved(g);
            g.ConsoleLines = keep;
            return bytes;
        };
    };
    const std::string script = "data\\scripts\\obj_def.sc";
    auto withScript = [&](std::string path) {
        return [=](TMainForm& g) { return SwapText(saved(g), script, path); };
    };
    const TCase cases[] = {
        {"pointer far right", withView([](TViewState& v) { v.MouseX = INT_MAX; }), "the pointer's x is out of range"},
        {"pointer far up", withView([](TViewState& v) { v.MouseY = INT_MIN; }), "the pointer's y is out of range"},
        {"scroll", withView([](TViewState& v) { v.ScrollX = INT_MIN + 5; }), "scroll x is out of range"},
        {"scroll down", withView([](TViewState& v) { v.ScrollY = 16777217; }), "scroll y is out of range"},
        {"pointed tile", withView([](TViewState& v) { v.HoverTileY = INT_MAX; }), "pointed tile's y is out of range"},
        {"pointed kind", withView([](TViewState& v) { v.HoverKind = 7; }), "pointed record's kind is out of range"},
        {"view speed", withView([](TViewState& v) { v.VelocityX = NAN; }), "the view's speed is out of range"},
        {"pointer at the limit", withView([](TViewState& v) { v.MouseX = -16777216; }), nullptr},
        {"a megabyte line", withConsole({std::string(1 << 20, 'x')}), "the console is longer than 2047 characters"},
        {"too many lines", withConsole(std::vector<std::string>(1001, "x")), "the console holds more than 1000"},
        {"bytes that are no text", withConsole({"\xff\xfe\x80 \xed\xa0\x80"}), nullptr},
        {"script outside the game", withScript("/etc/passwd"), "is not in data\\scripts"},
        {"script up and out", withScript("data\\scripts\\..\\..\\x.sc"), "is not in data\\scripts"},
        {"script in a subfolder", withScript("data\\scripts\\sub\\obj_def.sc"), nullptr},
    };
    fs::create_directories(Slot(4).parent_path());
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::ofstream(Slot(4), std::ios::binary | std::ios::trunc) << c.Forge(Game());
        const std::string before = StateOf(Game());
        const size_t errors = Game().Errors.size();
        if (!c.Reason) {
            EXPECT_TRUE(LoadGameSlot(Game(), 4)) << (Game().Errors.empty() ? "" : Game().Errors.back());
            // The dump is JSON whatever bytes the save held.
            const std::string dump = DumpJson(Game());
            EXPECT_EQ(dump.find('\xff'), std::string::npos);
            EXPECT_EQ(dump.find("\xed\xa0"), std::string::npos);
            continue;
        }
        EXPECT_FALSE(LoadGameSlot(Game(), 4));
        ASSERT_EQ(Game().Errors.size(), errors + 1);
        EXPECT_NE(Game().Errors.back().find(c.Reason), std::string::npos) << Game().Errors.back();
        EXPECT_EQ(StateOf(Game()), before);
    }
}

