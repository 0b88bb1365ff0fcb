// Locations, configurations and scripts with numbers at the extremes: the game
// runs them frame after frame with defined results (the sanitizer build
// reports any undefined behaviour as a failure).
#include <climits>

#include "world/WorldTestKit.h"

namespace {
constexpr int32_t Min = INT_MIN;
constexpr int32_t Max = INT_MAX;

struct TPoint {
    int32_t X, Y;
};

class HostileInputTest : public WorldTest {
protected:
    // Frames with the pointer sweeping the screen, so picks and the tile box run too.
    void Play(int frames) {
        for (int f = 0; f < frames; ++f) {
            G().DXDrawMouseMove((f * 97) % 800, (f * 61) % 600);
            Game->Platform.VirtualClock.Advance(60);
            G().Tick();
        }
    }
    // Every page, since the debug overlay and the selection markers differ by page.
    void PlayEveryPage(int frames) {
        for (int page : {PageGeneral, PageBrush, PageCritter, PageObjects}) {
            G().ControlForm.ActivePage = page;
            G().ControlForm.CritterListBox.ItemIndex = W().CritterCount() - 1;
            G().ControlForm.ObjectListBox.ItemIndex = W().ObjectCount() - 1;
            Play(frames);
        }
    }
    void LoadMapData(const TMapData& map) {
        WriteMap("data/locations/hostile.map", map);
        Load("data\\locations\\hostile.map");
    }
};

TEST_F(HostileInputTest, CrittersOffTheGridStayWhereTheFileSaysAndTouchNoCell) {
    const TPoint places[] = {{-1, -1}, {80, 0}, {0, 120}, {Min, Max}, {Max, Min}, {Max, Max}, {Min, Min}};
    for (const TPoint& p : places) {
        SCOPED_TRACE(std::to_string(p.X) + ", " + std::to_string(p.Y));
        TMapData map;
        map.Critters = {MapCritter("Игрок", 10, 10), MapCritter("far", p.X, p.Y)};
        map.Critters[1].Direction = Max;
        LoadMapData(map);
        // It thinks about its victim, wanders and fires at it from where it stands.
        C(1).SetVictim(0);
        PlayEveryPage(8);
        C(0).SetVictim(1);
        C(0).Fire(p.X, p.Y);
        Play(8);
        EXPECT_EQ(C(1).X, p.X);
        EXPECT_EQ(C(1).Y, p.Y);
        int occupied = 0;
        for (const TCell& cell : W().Grid.Raw()) occupied += cell.Occupant >= 0;
        EXPECT_LE(occupied, 1);
    }
}

TEST_F(HostileInputTest, ObjectsAtExtremePlacesDrawAndPickNothingOffScreen) {
    const int32_t values[] = {Min, Max, -1, Min + 1, Max - 1};
    TMapData map;
    map.Critters = {MapCritter("Игрок", 10, 10)};
    for (int32_t x : values)
        for (int32_t offset : values) {
            TMapObject o = MapObject("o", x, ~x, "spark");
            o.OffsetX = offset;
            o.OffsetY = ~offset;
            map.Objects.push_back(o);
            o.ImageName = "lamp";
            o.Y = x;
            map.Objects.push_back(o);
        }
    LoadMapData(map);
    PlayEveryPage(6);
    EXPECT_EQ(W().ObjectCount(), int(map.Objects.size()));
    EXPECT_EQ(G().View.HoverIndex == -1 || G().View.HoverKind == KindCritter, true);
}

TEST_F(HostileInputTest, ScrollPositionsFromScriptsAreBroughtBackOnScreen) {
    const TPoint scrolls[] = {{Min, Min}, {Max, Max}, {Min, Max}, {Max, Min}};
    for (const TPoint& s : scrolls) {
        Data.WriteScript("scroll.sc", "[OnCreate]\n1=" + std::to_string(s.X) + "\n2=" + std::to_string(s.Y) +
                                       "\n3=SETSCROLL\n4=1\n5=SETTIMER\n[OnTimer]\n1=" + std::to_string(s.X) +
                                       "\n2=" + std::to_string(s.Y) + "\n3=SETSCROLL\n");
        TMapData map;
        map.MapScript = "scroll";
        map.Critters = {MapCritter("Игрок", 10, 10)};
        map.Objects = {MapObject("o", 1, 1, "lamp")};
        LoadMapData(map);
        G().View.VelocityX = s.X < 0 ? -3.0f : 3.0f;
        G().View.VelocityY = s.Y < 0 ? -3.0f : 3.0f;
        PlayEveryPage(3);
        G().DXDrawMouseDown(mbMiddle, 400, 300);
        G().DXDrawMouseMove(0, 0);
        G().DXDrawMouseUp(mbMiddle, 0, 0);
        W().MapScript->TimerEnabled = false;
        G().DXDrawMouseMove(400, 300);
        G().View.VelocityX = G().View.VelocityY = 0;
        W().MapScript->Execute("OnTimer");
        Game->Platform.VirtualClock.Advance(60);
        G().Tick();
        EXPECT_EQ(G().View.ScrollX, s.X < 0 ? -800 : 0);
        EXPECT_EQ(G().View.ScrollY, s.Y < 0 ? -600 : 0);
    }
}

// Critter commands with extreme operands, run on a timer while the critters walk and fire.
TEST_F(HostileInputTest, CritterCommandsTakeAnyNumber) {
    const std::vector<std::string> extremes = {std::to_string(Min), std::to_string(Max), "-1", "120"};
    const char* commands[] = {"MOVETO", "GOTOXY", "FIRE"};
    for (const char* command : commands)
        for (const std::string& a : extremes)
            for (const std::string& b : extremes) {
                SCOPED_TRACE(std::string(command) + " " + a + " " + b);
                // Walking first, so a move off the grid meets a step under way.
                Data.WriteScript("moves.sc", "[OnCreate]\n1=50\n2=SETTIMER\n[OnTimer]\n1=1\n2=12\n3=14\n4=GOTOXY\n"
                                          "5=0\n6=12\n7=14\n8=FIRE\n9=1\n10=" + a + "\n11=" + b + "\n12=" +
                                          command + "\n13=0\n14=" + b + "\n15=" + a + "\n16=" + command +
                                          "\n17=1\n18=" + a + "\n19=SETDIR\n20=" + a + "\n21=" + b + "\n22=" + b +
                                          "\n23=" + a + "\n24=DIST\n25=" + a + "\n26=RND\n27=ADD\n28=NOT\n"
                                          "29=1\n30=" + b + "\n31=SETAMMO\n");
                TMapData map;
                map.MapScript = "moves";
                map.Critters = {MapCritter("Игрок", 10, 10), MapCritter("npc", 11, 11)};
                map.Critters[0].HP = Max;
                map.Critters[1].HP = Min;
                LoadMapData(map);
                Play(8);
                G().Errors.clear();
            }
}

TEST_F(HostileInputTest, TheLargestLocationLoadsAndPlays) {
    TMapData map;
    for (int i = 0; i < MapMaxCritters; ++i) map.Critters.push_back(MapCritter("c", i / MapRows, i % MapRows));
    for (int i = 0; i < MapMaxObjects; ++i) map.Objects.push_back(MapObject("o", i % MapCols, i % MapRows));
    LoadMapData(map);
    ASSERT_EQ(W().CritterCount(), MapMaxCritters);
    ASSERT_EQ(W().ObjectCount(), MapMaxObjects);
    EXPECT_EQ(W().DrawList->Entries().size(), size_t(MapMaxCritters + MapMaxObjects));
    Play(2);
    EXPECT_TRUE(G().Errors.empty());
}

TEST_F(HostileInputTest, ValuesOfRandomAndDistanceStayInRange) {
    Data.WriteScript("draws.sc", "[OnCreate]\n1=" + std::to_string(Max) + "\n2=RND\n3=" + std::to_string(Min) +
                                  "\n4=RND\n5=" + std::to_string(Min) + "\n6=" + std::to_string(Min) + "\n7=" +
                                  std::to_string(Max) + "\n8=" + std::to_string(Max) + "\n9=DIST\n");
    TMapData map;
    map.MapScript = "draws";
    LoadMapData(map);
    const auto& stack = W().MapScript->Stack;
    ASSERT_EQ(stack.size(), 3u);
    EXPECT_GE(std::stoll(stack[0]), 0);
    EXPECT_LT(std::stoll(stack[0]), Max);
    EXPECT_EQ(stack[1], "0");
    // The distance of the two corners, 6074000999 rounded, wraps around in 32 bits.
    EXPECT_EQ(stack[2], std::to_string(int32_t(uint32_t(6074000999ull))));
}
}  // namespace

// A skin whose pattern is wider and higher than any picture: nothing to draw, nothing to pick.
class HugeSkinTest : public WorldTest {
protected:
    void SetUp() override {
        TTestGameFiles files = WorldFiles();
        files.Ini = TestIni("", "[metal_idle]\nFrames=2147483647\nOffX=-2147483648\nOffY=2147483647\n"
                                "Width=2147483647\nHeight=2147483647\n[metal_walk]\nFrames=-2147483648\n"
                                "Width=2147483647\nHeight=-2147483648\nOffX=2147483647\n"
                                "[metal_death]\nFrames=2147483647\nWidth=2147483647\nHeight=2147483647\n");
        files.Critters = {{"metal_idle", 160, 480}, {"metal_idle_shadow", 160, 480}, {"metal_walk", 40, 40}};
        Data.WriteGame(files);
        Game = MakeGame(Data);
        ASSERT_TRUE(Game->Started);
    }
};

TEST_F(HugeSkinTest, CrittersWithItDrawNothingAndStillWalkFireAndDie) {
    TMapData map;
    map.Critters = {MapCritter("Игрок", 10, 10), MapCritter("npc", 12, 12)};
    WriteMap("data/locations/huge.map", map);
    Load("data\\locations\\huge.map");
    for (int f = 0; f < 40; ++f) {
        if (f == 5) C(0).WalkTo(20, 30);
        if (f == 20) C(0).Fire(12, 12);
        if (f == 30) C(1).Hit(1000);
        G().DXDrawMouseMove(f * 20, f * 15);
        Game->Platform.VirtualClock.Advance(60);
        G().Tick();
    }
    // Its death set of 2147483647 frames takes for ever, but it is dying.
    EXPECT_EQ(C(1).State, csDying);
}

TEST(ConfigLimits, HugeCountsAreReportedOnceAndReadUpToTheLimit) {
    TTestData data;
    TTestGameFiles files = WorldFiles();
    files.Ini = TestIni("Heads=2147483647\nHitTypes=0x7FFFFFFF\nCritterSkin=2147483647\nSpecialObjects=$7FFFFFFF\n",
                        "[HitTypes]\nType0=metal\n[Object4095]\nname=lamp\neffect=alpha\nValue=99\n"
                        "[Object4096]\nname=lamp\neffect=alpha\nValue=7\n");
    data.WriteGame(files);
    auto game = MakeGame(data);
    ASSERT_TRUE(game->Started);
    TMainForm& g = **game;
    std::vector<std::string> limitErrors;
    for (const std::string& e : g.Errors)
        if (e.find("data\\data\\game.ini") != std::string::npos && e.find("limit of 4096") != std::string::npos)
            limitErrors.push_back(e);
    ASSERT_EQ(limitErrors.size(), 4u);
    EXPECT_NE(limitErrors[0].find("[Main] CritterSkin=2147483647 is more than the limit of 4096"), std::string::npos);
    EXPECT_EQ(g.ControlForm.SkinComboBox.Items.size(), 4096u);
    EXPECT_EQ(g.Config.HitTypeCount(), 4096);
    // Section 4095 is read, 4096 is past the limit.
    TMapData map;
    map.Objects = {MapObject("o", 1, 1, "lamp")};
    data.WriteFile("data/locations/lamp.map", SerializeMap(map));
    g.LoadMap("data\\locations\\lamp.map");
    EXPECT_EQ(g.World.Objects.at(0)->Alpha, 99);
    EXPECT_EQ(g.Errors.size(), limitErrors.size());
}
