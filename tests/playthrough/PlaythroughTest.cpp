// The demo adventure played from the main menu to the end of the credits, as a
// player would: walking by clicks, talking, choosing answers, fighting with
// short bursts in aiming mode. The driver reads the game's state after every
// frame to decide what to do next, so the run adapts to what each seed's
// chance does. A change that makes the demo unwinnable fails here. The
// screenshots of every stage are kept in build/playthrough/seed<N>/.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "../../tools/demogen/Story.h"
#include "critters/Critter.h"
#include "media/Bitmap.h"
#include "support/TestGame.h"
#include "world/Obj.h"

namespace {
namespace fs = std::filesystem;
namespace story = demogen::story;

std::string Joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + " ";
    return s;
}
// The wrapped console and dialog lines join with blanks; compare without them.
std::string Squeezed(std::string s) {
    s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\n'; }), s.end());
    return s;
}

class TPlayer {
public:
    TPlayer(uint32_t seed, fs::path shots) : Shots(std::move(shots)) {
        fs::create_directories(Shots);
        G = std::make_unique<TTestGame>();
        G->Platform.VirtualClock.Set(100000);
        TGameOptions options;
        options.DataDir = DemoDataDir();
        options.Seed = seed;
        options.Headless = true;
        G->Game = std::make_unique<TMainForm>(options, G->Platform);
        G->Started = G->Game->Start();
    }

    TMainForm& Game() { return **G; }
    tCritter* Critter(int i) { return Game().World.Critter(i); }
    tCritter& Me() { return *Critter(0); }
    int Global(int i) { return Game().Scripts.GlobalVars[size_t(i)]; }
    std::string Location() { return Game().World.PatternName; }
    std::string Console() { return Squeezed(Joined(Game().ConsoleLines)); }
    std::string Question() { return Squeezed(Joined(Game().Dialog.Question)); }
    // The question begins with `words` (after the bullet that marks its first line).
    bool Begins(const std::string& words) {
        std::string q = Question();
        if (q.rfind("\\n", 0) == 0) q.erase(0, 2);
        return q.rfind(Squeezed(words), 0) == 0;
    }
    bool Dead() { return Game().PlayerDeadFlag || Me().State == csDying || Me().State == csDead; }

    void Frame(int n = 1, int ms = StepMs) {
        for (int i = 0; i < n && !Game().Closed; ++i) {
            G->Platform.VirtualClock.Advance(uint32_t(ms));
            Game().Tick();
            ++Frames;
        }
    }
    void Move(int x, int y) {
        Game().DXDrawMouseMove(x, y);
        Frame();  // the next drawn frame finds what lies under the pointer
    }
    void Click(int x, int y, int button = mbLeft) {
        Move(x, y);
        Game().DXDrawMouseDown(button, x, y);
        Game().DXDrawMouseUp(button, x, y);
        Frame();
    }
    void Shot(const std::string& name) {
        Stages += name + " " + std::to_string((G->Platform.VirtualClock.Now() - 100000) / 1000) + " s";
        if (Game().ScreenMode != smMainMenu)
            Stages += ", HP " + std::to_string(Me().HP) + ", rounds " + std::to_string(Me().Ammo);
        Stages += "\n";
        std::ofstream(Shots / (name + ".png"), std::ios::binary) << SavePng(Game().DXDraw.Pixels());
    }

    // Scrolls as the arrow keys would, so tile (x, y) sits in the upper middle of the view, clear of the panel.
    void Look(int x, int y) {
        Game().View.ScrollX = std::clamp(400 - (x * 20 + 10), -800, 0);
        Game().View.ScrollY = std::clamp(230 - (y * 10 + 5), -600, 0);
        Frame();
    }
    int ScreenX(int tx) { return tx * 20 + 10 + Game().View.ScrollX; }
    int ScreenY(int ty) { return ty * 10 + 5 + Game().View.ScrollY; }
    bool Hovers(int kind, int index) { return Game().View.HoverIndex == index && Game().View.HoverKind == kind; }

    // Points the mouse at a critter's figure or an object's picture; false when nothing there picks it.
    bool PointAt(int kind, int index, int tx, int ty, int lift) {
        const int x0 = ScreenX(tx), y0 = ScreenY(ty) - lift;
        for (int r = 0; r <= 30; r += 6)
            for (int dy = -r; dy <= r; dy += 6)
                for (int dx = -r; dx <= r; dx += 6) {
                    if (std::max(std::abs(dx), std::abs(dy)) != r) continue;
                    Move(x0 + dx, y0 + dy);
                    if (Hovers(kind, index)) return true;
                }
        return false;
    }
    void Aiming(bool on) {
        if (Game().View.AttackCursor != on) Click(400, 200, mbRight);
    }

    // Walks to a tile within `near` tiles of (x, y); false when the player cannot get there.
    bool WalkTo(int x, int y, int near = 0) {
        static const int offsets[][2] = {{0, 0}, {1, 0}, {-1, 0}, {0, 1}, {0, -1}, {2, 1}, {-2, -1}, {1, 2}, {-1, -2}};
        Aiming(false);
        for (int leg = 0, stuck = 0; leg < 40 && stuck < 9; ++leg) {
            if (Dead()) return false;
            if (std::hypot(Me().X - x, Me().Y - y) <= near + 0.01) return true;
            // Long ways go in legs that fit on the screen.
            const double d = std::hypot(x - Me().X, y - Me().Y);
            const double part = std::min(1.0, 14.0 / d);
            const int lx = Me().X + int(std::lround((x - Me().X) * part)) + offsets[stuck][0];
            const int ly = Me().Y + int(std::lround((y - Me().Y) * part)) + offsets[stuck][1];
            Look(lx, ly);
            Move(ScreenX(lx), ScreenY(ly));
            const int fromX = Me().X, fromY = Me().Y;
            if (Game().View.HoverIndex < 0) {  // else a figure or picture is in the way: try a neighbour
                Click(ScreenX(lx), ScreenY(ly));
                for (int f = 0; f < 1500 && Me().State == csWalking; ++f) Frame();
            }
            stuck = std::hypot(Me().X - fromX, Me().Y - fromY) < 1 ? stuck + 1 : 0;
        }
        return std::hypot(Me().X - x, Me().Y - y) <= near + 0.01;
    }

    bool Talk(int index) {
        tCritter* c = Critter(index);
        Look(c->X, c->Y);
        Aiming(false);
        if (!PointAt(KindCritter, index, c->X, c->Y, 25)) return false;
        Click(Game().View.MouseX, Game().View.MouseY);
        return Game().ScreenMode == smDialog;
    }
    bool Use(int index) {
        tObj* o = Game().World.Object(index);
        Look(o->X, o->Y);
        Aiming(false);
        if (!PointAt(KindObject, index, o->X, o->Y, 20)) return false;
        Click(Game().View.MouseX, Game().View.MouseY);
        return true;
    }
    int ObjectWithScript(const std::string& script) {
        for (int i = 0; i < Game().World.ObjectCount(); ++i)
            if (Game().World.Object(i)->ScriptName == script) return i;
        return -1;
    }

    // Chooses the answer that begins with `text`; false when the dialog has none.
    bool Say(const std::string& text) {
        Frame(250);  // any portrait fade ends
        const auto& answers = Game().Dialog.Answers;
        for (size_t j = 0; j < answers.size(); ++j)
            if (answers[j].rfind(text, 0) == 0) {
                Click(406, 346 + 16 * int(j) + 5);
                Frame(5);
                return true;
            }
        return false;
    }

    // Closes in to a few tiles and fires short bursts at a critter until it is dead.
    bool Kill(int index) {
        for (int round = 0; round < 200; ++round) {
            tCritter* t = Critter(index);
            if (t->State == csDead || t->State == csDying || t->HP <= 0) {
                Aiming(false);
                Frame(60);
                return true;
            }
            if (Dead()) return false;
            if (std::hypot(t->X - Me().X, t->Y - Me().Y) > 5) {
                WalkTo(t->X, t->Y, 4);
                continue;
            }
            Look((t->X + Me().X) / 2, (t->Y + Me().Y) / 2);
            Aiming(true);
            if (!PointAt(KindCritter, index, t->X, t->Y, 25)) {
                WalkTo(t->X, t->Y, 2);
                continue;
            }
            const int x = Game().View.MouseX, y = Game().View.MouseY;
            Game().DXDrawMouseDown(mbLeft, x, y);
            Frame(220 / StepMs);  // one cycle of the firing animation: two shots
            Game().DXDrawMouseUp(mbLeft, x, y);
            Frame(8);
        }
        return false;
    }

    // A new game from the menu, then straight to the ruined town.
    bool InTheTown() {
        if (!G->Started) return false;
        for (int i = 0; i < 1000 && Game().Menu.SubState == 1; ++i) Frame(5);
        Click(60, 130);
        Game().Guard([&] { Game().LoadMap("data\\locations\\loc03.map"); });
        return Location() == "pattern3";
    }

    // Runs until the credits have rolled and the program has ended.
    bool RunToTheEnd(int maxFrames) {
        // Nothing is left to click: the roll may go by in larger steps.
        for (int f = 0; f < maxFrames && !Game().Closed; ++f) Frame(1, 100);
        return Game().Closed;
    }

    // Fifty frames a second, as a slow machine would draw them.
    static constexpr int StepMs = 20;
    std::unique_ptr<TTestGame> G;
    fs::path Shots;
    long Frames = 0;
    std::string Stages;  // each screenshot with the time of play it was taken at
};

struct TRoute {
    uint32_t Seed;
    bool Errand;      // fetch Yakov's battery
    bool CallPeople;  // the choice at the end
    const char* EndingWords;
};

void PrintTo(const TRoute& r, std::ostream* os) {
    *os << "seed " << r.Seed << (r.Errand ? ", errand" : "") << (r.CallPeople ? ", call the people" : ", keep silent");
}

class Playthrough : public ::testing::TestWithParam<TRoute> {};

TEST_P(Playthrough, FromTheMenuToTheEndOfTheCredits) {
    const TRoute route = GetParam();
    if (DemoDataDir().empty()) GTEST_SKIP() << "no demo data built";
    TPlayer p(route.Seed, fs::path(RW_BINARY_DIR) / "playthrough" / ("seed" + std::to_string(route.Seed)));
    ASSERT_TRUE(p.G->Started);
    TMainForm& g = p.Game();

    // The menu: the logo splash, then "Новая игра".
    for (int i = 0; i < 1000 && g.Menu.SubState == 1; ++i) p.Frame(5);
    p.Shot("00_menu");
    p.Click(60, 130);
    ASSERT_EQ(g.ScreenMode, smGame);
    ASSERT_EQ(p.Location(), "pattern1");
    p.Frame(50);
    p.Shot("01_junkyard");

    // The east gate does not open from the bunker.
    const int gate1 = p.ObjectWithScript("exit01");
    ASSERT_TRUE(p.Use(gate1));
    EXPECT_EQ(p.Location(), "pattern1");
    EXPECT_NE(p.Console().find(Squeezed("Ворота слишком далеко")), std::string::npos) << p.Console();

    // The trader: a lesson in shooting, the news, fifty rounds.
    ASSERT_TRUE(p.Talk(story::TraderIndex));
    EXPECT_TRUE(p.Begins("Чего тебе, бродяга?")) << "his first words: " << p.Question();
    ASSERT_TRUE(p.Say("Как тут выжить?"));
    EXPECT_NE(p.Question().find(Squeezed("Правой кнопкой")), std::string::npos) << p.Question();
    EXPECT_NE(p.Question().find(Squeezed("Жми коротко")), std::string::npos);
    p.Shot("02_trader_tips");
    ASSERT_TRUE(p.Say("Что слышно на трассе?"));
    EXPECT_EQ(p.Global(story::GTraderStep), 1);
    p.Frame(100);
    EXPECT_EQ(g.Dialog.CurrentHead, "TRADER2") << "the trader's own face in lamplight";
    ASSERT_TRUE(p.Say("Мне бы патронов."));
    EXPECT_EQ(p.Me().Ammo, 250);
    ASSERT_TRUE(p.Say("Спасибо."));
    EXPECT_EQ(g.ScreenMode, smGame);

    // Through the gate; what the player carries goes along.
    ASSERT_TRUE(p.WalkTo(story::Loc01EastGate.X - 1, story::Loc01EastGate.Y, 2)) << p.Me().X << "," << p.Me().Y;
    int hp = p.Me().HP, ammo = p.Me().Ammo;
    ASSERT_TRUE(p.Use(gate1));
    ASSERT_EQ(p.Location(), "pattern2");
    EXPECT_EQ(p.Me().HP, hp);
    EXPECT_EQ(p.Me().Ammo, ammo);
    p.Frame(50);
    p.Shot("03_yard");

    // The old man by the fire: his figure's centre picks him, not a lamp post.
    p.Look(story::Elder.X, story::Elder.Y);
    p.Move(p.ScreenX(story::Elder.X), p.ScreenY(story::Elder.Y) - 25);
    EXPECT_TRUE(p.Hovers(KindCritter, story::ElderIndex)) << g.View.HoverKind << " " << g.View.HoverIndex;
    ASSERT_TRUE(p.Talk(story::ElderIndex));
    EXPECT_TRUE(p.Begins("Ты пришёл с трассы?")) << "his first words: " << p.Question();
    ASSERT_TRUE(p.Say("Кто ты такой?"));
    p.Frame(100);
    EXPECT_EQ(g.Dialog.CurrentHead, "ELDER2") << "his own face, not the chief's";
    p.Shot("04_elder");
    ASSERT_TRUE(p.Say("Прощай."));
    EXPECT_EQ(p.Global(story::GElderStep), 1);
    ASSERT_TRUE(p.WalkTo(story::Radio.X, story::Radio.Y + 2, 1));
    ASSERT_TRUE(p.Use(p.ObjectWithScript("radio")));
    EXPECT_EQ(p.Global(story::GRadioHeard), 1);

    // The south gate stays locked while the chief lives.
    const int gate3 = p.ObjectWithScript("exit03");
    ASSERT_TRUE(p.Kill(2)) << "the raider by the warehouse";
    ASSERT_TRUE(p.WalkTo(story::Loc02SouthGate.X, story::Loc02SouthGate.Y, 3)) << p.Me().X << "," << p.Me().Y;
    ASSERT_TRUE(p.Use(gate3));
    EXPECT_EQ(p.Location(), "pattern2");
    EXPECT_NE(p.Console().find(Squeezed("Южные ворота заперты")), std::string::npos)
        << p.Console() << " at " << p.Me().X << "," << p.Me().Y;
    ASSERT_TRUE(p.Kill(3)) << "the raider on the road";
    if (p.Me().HP < 70) {
        ASSERT_TRUE(p.Talk(story::ElderIndex));
        ASSERT_TRUE(p.Say("Я ранен."));
        ASSERT_TRUE(p.Say("Спасибо."));
        EXPECT_EQ(p.Me().HP, 100);
    }
    ASSERT_TRUE(p.Kill(story::ChiefIndex)) << "the chief, HP " << p.Me().HP;
    p.Shot("05_chief_dead");
    EXPECT_EQ(p.Global(story::GChiefDead), 1);
    EXPECT_GE(p.Global(story::GRaidersKilled), 2);

    ASSERT_TRUE(p.WalkTo(story::Loc02SouthGate.X, story::Loc02SouthGate.Y, 3)) << p.Me().X << "," << p.Me().Y;
    hp = p.Me().HP, ammo = p.Me().Ammo;
    ASSERT_TRUE(p.Use(gate3));
    ASSERT_EQ(p.Location(), "pattern3");
    EXPECT_EQ(p.Me().HP, hp);
    EXPECT_EQ(p.Me().Ammo, ammo);
    p.Frame(50);
    p.Shot("06_town");

    // Yakov: his errand, the battery, the reward, the choice.
    ASSERT_TRUE(p.Talk(story::YakovIndex));
    p.Shot("07_yakov");
    EXPECT_TRUE(p.Begins("Стой! ...Нет, ты не из банды.")) << "his first words: " << p.Question();
    EXPECT_EQ(p.Global(story::GYakovStep), 1);
    if (route.Errand) {
        ASSERT_TRUE(p.Say("Тебе нужна помощь?"));
        ASSERT_TRUE(p.Say("Принесу."));
        EXPECT_EQ(p.Global(story::GYakovStep), 2);
        ASSERT_TRUE(p.Kill(story::Looter1Index));
        ASSERT_TRUE(p.Kill(story::Looter2Index));
        ASSERT_TRUE(p.WalkTo(story::Battery.X, story::Battery.Y - 2, 1));
        ASSERT_TRUE(p.Use(p.ObjectWithScript("battery")));
        EXPECT_EQ(p.Global(story::GBattery), 1);
        p.Shot("08_battery");
        ASSERT_TRUE(p.Talk(story::YakovIndex));
        ASSERT_TRUE(p.Say("Вот аккумулятор."));
        EXPECT_EQ(p.Me().HP, 100);
        EXPECT_EQ(p.Global(story::GYakovStep), 3);
    }
    ASSERT_TRUE(p.Say("Кого можно позвать?"));
    ASSERT_TRUE(p.Say(route.CallPeople ? "Зови людей." : "Молчи."));
    EXPECT_EQ(p.Global(story::GChoice), route.CallPeople ? 1 : 2);
    ASSERT_TRUE(p.Say("Иду."));

    // The transmitter: the ending stays on screen until the player closes it.
    ASSERT_TRUE(p.WalkTo(story::Transmitter.X, story::Transmitter.Y + 2, 1));
    ASSERT_TRUE(p.Use(p.ObjectWithScript("transmitter")));
    ASSERT_EQ(g.ScreenMode, smDialog);
    p.Frame(300);
    EXPECT_NE(p.Question().find(Squeezed(route.EndingWords)), std::string::npos) << p.Question();
    p.Shot("09_ending");
    ASSERT_TRUE(p.Say("Конец."));
    EXPECT_EQ(g.Menu.SubState, 2) << "the credits roll";
    p.Frame(500);
    p.Shot("10_credits");
    EXPECT_TRUE(p.RunToTheEnd(60000));
    p.Stages += "the end " + std::to_string((p.G->Platform.VirtualClock.Now() - 100000) / 1000) + " s\n";
    EXPECT_TRUE(g.Errors.empty()) << g.Errors.front();
    std::printf("seed %u: %ld frames\n%s", route.Seed, p.Frames, p.Stages.c_str());
    std::ofstream(p.Shots / "stages.txt") << p.Stages;
}

// A location lays down whom the player killed there and gives the player back
// the hit points and rounds carried through the gate; nothing kept, nothing given.
TEST(DemoState, LocationsRememberTheDeadAndWhatThePlayerCarried) {
    if (DemoDataDir().empty()) GTEST_SKIP() << "no demo data built";
    TPlayer p(1, fs::path(RW_BINARY_DIR) / "playthrough" / "state");
    ASSERT_TRUE(p.G->Started);
    TMainForm& g = p.Game();
    for (int i = 0; i < 1000 && g.Menu.SubState == 1; ++i) p.Frame(5);
    p.Click(60, 130);
    ASSERT_EQ(p.Location(), "pattern1");
    EXPECT_EQ(p.Me().HP, 100);
    EXPECT_EQ(p.Me().Ammo, 200);
    EXPECT_EQ(p.Global(story::GDeadBase), story::DeadBase(1));

    auto& globals = g.Scripts.GlobalVars;
    globals[story::DeadBase(2) + 2] = 1;  // the raider by the warehouse
    globals[story::GPlayerHp] = 37;
    globals[story::GPlayerAmmo] = 13;
    g.Guard([&] { g.LoadMap("data\\locations\\loc02.map"); });
    ASSERT_EQ(p.Location(), "pattern2");
    EXPECT_EQ(p.Me().HP, 37);
    EXPECT_EQ(p.Me().Ammo, 12);
    EXPECT_EQ(p.Global(story::GPlayerHp), 0) << "given back once";
    EXPECT_EQ(p.Critter(2)->HP, 0);
    EXPECT_EQ(p.Critter(3)->HP, 30) << "the other raider lives";
    p.Me().SetPosition(p.Critter(2)->X - 3, p.Critter(2)->Y);  // right beside him
    p.Frame(100);
    EXPECT_EQ(p.Critter(2)->State, csDead);
    EXPECT_EQ(p.Critter(2)->Victim, -1) << "the dead raider never spots the player";
    EXPECT_TRUE(g.Errors.empty());
}

// The ways back: the town's north gate leads to the yard's south gate, the
// yard's west gate to the junkyard's east gate, each arrival within reach of
// the gate that leads on again.
TEST(DemoState, GatesLeadBackTheWayThePlayerCame) {
    if (DemoDataDir().empty()) GTEST_SKIP() << "no demo data built";
    TPlayer p(2, fs::path(RW_BINARY_DIR) / "playthrough" / "back");
    TMainForm& g = p.Game();
    ASSERT_TRUE(p.InTheTown());
    struct {
        const char* Gate;
        demogen::story::TSpot At, Arrival, Onward;
        const char* Then;
    } const ways[] = {
        {"exit04", story::Loc03NorthGate, story::Loc02FromTown, story::Loc02SouthGate, "pattern2"},
        {"exit02", story::Loc02WestGate, story::Loc01FromYard, story::Loc01EastGate, "pattern1"},
    };
    for (const auto& way : ways) {
        ASSERT_TRUE(p.WalkTo(way.At.X, way.At.Y, 3)) << way.Gate;
        ASSERT_TRUE(p.Use(p.ObjectWithScript(way.Gate))) << way.Gate;
        ASSERT_EQ(p.Location(), way.Then) << way.Gate;
        EXPECT_EQ(p.Me().X, way.Arrival.X) << way.Gate;
        EXPECT_EQ(p.Me().Y, way.Arrival.Y) << way.Gate;
        EXPECT_LE(std::hypot(way.Onward.X - way.Arrival.X, way.Onward.Y - way.Arrival.Y), story::ReachTiles);
    }
    EXPECT_TRUE(g.Errors.empty());
}

// The player standing in front of the transmitter covers part of it: a click on
// the player's figure there uses the transmitter instead of turning the player.
TEST(DemoState, TheTransmitterAnswersAClickThroughThePlayersFigure) {
    if (DemoDataDir().empty()) GTEST_SKIP() << "no demo data built";
    TPlayer p(1, fs::path(RW_BINARY_DIR) / "playthrough" / "covered");
    TMainForm& g = p.Game();
    ASSERT_TRUE(p.InTheTown());
    const int transmitter = p.ObjectWithScript("transmitter");
    ASSERT_GE(transmitter, 0);
    p.Me().SetPosition(story::Transmitter.X, story::Transmitter.Y + 1);
    p.Look(story::Transmitter.X, story::Transmitter.Y);
    p.Frame(5);
    // A point of the player's figure with the transmitter's picture behind it.
    bool found = false;
    for (int y = p.ScreenY(p.Me().Y) - 60; y < p.ScreenY(p.Me().Y) && !found; y += 2)
        for (int x = p.ScreenX(p.Me().X) - 20; x < p.ScreenX(p.Me().X) + 20 && !found; x += 2) {
            p.Move(x, y);
            found = p.Hovers(KindCritter, 0) && g.World.DrawList->PickUsableObject(g.View.ScrollX, g.View.ScrollY,
                                                                                    x, y) == transmitter;
        }
    ASSERT_TRUE(found) << "the player's figure never covers the transmitter";
    const int direction = p.Me().Direction;
    const size_t lines = g.ConsoleLines.size();
    p.Click(g.View.MouseX, g.View.MouseY);
    EXPECT_EQ(p.Me().Direction, direction) << "the player did not turn";
    EXPECT_TRUE(g.ScreenMode == smDialog || g.ConsoleLines.size() > lines) << "the transmitter answered";
}

INSTANTIATE_TEST_SUITE_P(Demo, Playthrough,
                         ::testing::Values(TRoute{1, true, true, "через три дня к воротам подходит первый караван"},
                                           TRoute{2, true, false, "будет слушать эфир каждую ночь"},
                                           TRoute{3, true, true, "через три дня к воротам"},
                                           TRoute{4, false, false, "Вы уходите по трассе на рассвете"},
                                           TRoute{5, false, true,
                                                  "через неделю на трассе показываются первые повозки"}),
                         [](const auto& test) { return "Seed" + std::to_string(test.param.Seed); });

}  // namespace
