// The workbench's tools, driven as the runner's panel lines and mouse events
// drive them, one table per tool.
#include <sstream>

#include "EditorTestKit.h"

namespace {

// Steps: panel lines, "down|up BUTTON X Y", "move X Y" (tiles), "leave".
class Tools : public EditorTest {
protected:
    void Steps(const std::vector<std::string>& steps) {
        for (const std::string& step : steps) {
            std::istringstream words(step);
            std::string verb;
            words >> verb;
            if (verb == "panel") {
                std::string rest;
                std::getline(words, rest);
                G().PanelCommand(rest.substr(1));
                continue;
            }
            if (verb == "leave") {
                G().PointerLeft();
                continue;
            }
            if (verb == "keydown" || verb == "keyup") {
                int vk = 0;
                words >> vk;
                G().DXI.Live[size_t(vk)] = verb == "keydown";
                G().DXI.Poll();
                continue;
            }
            std::string b;
            int x = 0, y = 0;
            if (verb != "move") words >> b;
            words >> x >> y;
            MoveTo(x, y);
            int button = b == "right" ? mbRight : mbLeft;
            if (verb == "down") G().DXDrawMouseDown(button, G().View.MouseX, G().View.MouseY);
            if (verb == "up") G().DXDrawMouseUp(button, G().View.MouseX, G().View.MouseY);
        }
    }
    // Cells with a walk block, and with a shoot block, besides the player's own tile.
    std::pair<int, int> Blocks() {
        int walk = 0, shoot = 0;
        for (const TCell& c : W().Grid.Raw()) {
            walk += c.WalkBlock != 0;
            shoot += c.ShootBlock != 0;
        }
        return {walk - 1, shoot};
    }
};

struct TBrushCase {
    const char* Name;
    std::vector<std::string> Steps;
    int Walk, Shoot;                       // blocked cells afterwards
    std::vector<std::pair<int, int>> Set;  // cells that must be walk-blocked
    std::vector<std::pair<int, int>> Unset;
    size_t UndoSteps;
};

void PrintTo(const TBrushCase& c, std::ostream* out) {
    *out << c.Name;
}

const TBrushCase BrushCases[] = {
    // A fast stroke: two samples 20 tiles apart paint the 21 tiles between.
    {"DragPaintsEveryTileBetweenSamples", {"down left 2 5", "move 22 5", "up left 22 5"}, 21, 0,
     {{2, 5}, {12, 5}, {22, 5}}, {{23, 5}}, 1},
    {"DiagonalDragLeavesNoGap", {"down left 0 0", "move 9 3", "up left 9 3"}, 10, 0, {{0, 0}, {9, 3}}, {}, 1},
    {"LineIsPaintedOnRelease",
     {"panel set ToolComboBox Линия", "down left 0 0", "move 5 7", "up left 10 0"}, 11, 0,
     {{0, 0}, {10, 0}}, {{5, 7}}, 1},
    {"RectangleBetweenPressAndRelease",
     {"panel set ToolComboBox Прямоугольник", "down left 4 5", "move 9 9", "up left 2 2"}, 12, 0,
     {{2, 2}, {4, 5}}, {{5, 5}, {9, 9}}, 1},
    {"WallSetsBothBlocks", {"panel set WallRadioButton 1", "down left 3 3", "move 4 3", "up left 4 3"}, 2, 2,
     {{3, 3}, {4, 3}}, {}, 1},
    {"FillStopsAtAWall",
     {"panel set ToolComboBox Прямоугольник", "down left 10 0", "up left 10 119",
      "panel set ToolComboBox Заливка", "down left 3 3", "up left 3 3"},
     120 + 10 * 120, 0, {{0, 0}, {9, 119}}, {{11, 0}, {79, 119}}, 2},
    {"RightButtonFillClears",
     {"panel set ToolComboBox Прямоугольник", "down left 0 0", "up left 3 3", "panel set ToolComboBox Заливка",
      "down right 1 1", "up right 1 1"},
     0, 0, {}, {{0, 0}, {3, 3}}, 2},
    // No stray tiles: the pointer back over the map with the button still
    // held after leaving it, and a panel click in the middle of a stroke.
    {"ComingBackPaintsNothing", {"down left 5 5", "leave", "move 8 5", "up left 8 5"}, 1, 0, {{5, 5}}, {{6, 5}, {8, 5}},
     1},
    {"APanelClickEndsTheStroke",
     {"down left 5 5", "panel set ShootBlockRadioButton 1", "move 0 5", "up left 0 5"}, 1, 0, {{5, 5}},
     {{0, 5}, {4, 5}}, 1},
};

class BrushTools : public Tools, public ::testing::WithParamInterface<TBrushCase> {};

TEST_P(BrushTools, PaintAndUndoAsOneStepEach) {
    const TBrushCase& c = GetParam();
    G().PanelCommand("page Brush");
    Steps(c.Steps);
    EXPECT_EQ(Blocks(), std::make_pair(c.Walk, c.Shoot));
    for (auto [x, y] : c.Set) EXPECT_EQ(W().Grid.At(x, y).WalkBlock, 1) << x << "x" << y;
    for (auto [x, y] : c.Unset) EXPECT_EQ(W().Grid.At(x, y).WalkBlock, 0) << x << "x" << y;
    EXPECT_EQ(P().History.UndoCount(), c.UndoSteps);
    while (P().History.UndoCount() > 0) P().Undo();
    EXPECT_EQ(Blocks(), std::make_pair(0, 0));
}

INSTANTIATE_TEST_SUITE_P(Brush, BrushTools, ::testing::ValuesIn(BrushCases),
                         [](const auto& param) { return std::string(param.param.Name); });

// The selection of several records: each action one step that undoes whole.
struct TSelectCase {
    const char* Name;
    std::vector<std::string> Steps;
    int Critters, Objects;  // in the location afterwards
    std::pair<int, int> Where;  // the last critter's start tile afterwards
};

void PrintTo(const TSelectCase& c, std::ostream* out) {
    *out << c.Name;
}

// The location: the player on (10, 10), NPCs on (12, 10), (14, 10), (16, 10); objects on (5..7, 5).
const TSelectCase SelectCases[] = {
    {"BandThenDelete", {"panel band 11 9 14 11", "panel delete"}, 2, 3, {16, 10}},
    {"DeleteKeepsThePlayer", {"panel band 0 0 79 119", "panel delete"}, 1, 0, {10, 10}},
    {"CopyPasteCarriesFields", {"panel band 16 10 16 10", "panel copy", "panel paste 30 30"}, 5, 3, {30, 30}},
    {"PasteAtThePointerKeepsTheShape", {"panel band 5 5 16 10", "panel copy", "panel paste 40 40"}, 7, 6, {51, 45}},
    {"Duplicate", {"panel band 14 10 16 10", "panel duplicate"}, 6, 3, {17, 11}},
    {"ShiftMovesAllTogether", {"panel band 12 10 16 10", "panel shift 1 0"}, 4, 3, {17, 10}},
    {"CtrlDragBandsThenMoves",
     {"keydown 17", "down left 12 9", "move 16 11", "up left 16 11", "down left 12 10", "move 12 12", "up left 12 12",
      "keyup 17"},
     4, 3, {16, 12}},
};

class Selecting : public Tools, public ::testing::WithParamInterface<TSelectCase> {};

TEST_P(Selecting, ActsOnEveryRecordAsOneStep) {
    const TSelectCase& c = GetParam();
    Load(Location());
    const std::string before = Saved();
    G().PanelCommand("page Critter");
    Steps(c.Steps);
    EXPECT_EQ(W().CritterCount(), c.Critters);
    EXPECT_EQ(int(P().ObjectListBox.Items.size()), c.Objects);
    EXPECT_EQ(std::make_pair(Critter(W().CritterCount() - 1).StartX, Critter(W().CritterCount() - 1).StartY), c.Where);
    EXPECT_EQ(P().History.UndoCount(), 1u);
    P().Undo();
    EXPECT_EQ(Saved(), before);
}

INSTANTIATE_TEST_SUITE_P(Selection, Selecting, ::testing::ValuesIn(SelectCases),
                         [](const auto& param) { return std::string(param.param.Name); });

TEST_F(Tools, PastedRecordsKeepTheirScriptsAndFields) {
    Load(Location());
    Object(1).OffsetX = 4;
    Steps({"panel band 14 10 14 10", "panel copy", "panel band 6 5 6 5", "panel copy", "panel paste 30 30"});
    // The second copy replaced the first: only the lamp comes.
    ASSERT_EQ(int(P().ObjectListBox.Items.size()), 4);
    EXPECT_EQ(W().CritterCount(), 4);
    EXPECT_EQ(P().ObjectListBox.Items[3], "Фонарь");
    EXPECT_EQ(Object(3).ImageName, "lamp");
    EXPECT_EQ(Object(3).ScriptName, "counter");
    EXPECT_EQ(Object(3).OffsetX, 4);
    EXPECT_EQ(P().SelectedObjects, std::vector<int>{3});
    Steps({"panel band 12 10 12 10", "panel copy", "panel paste 40 40"});
    ASSERT_EQ(W().CritterCount(), 5);
    EXPECT_EQ(P().CritterListBox.Items[4], "Страж");
    EXPECT_EQ(Critter(4).ScriptName, "counter");
    EXPECT_EQ(Critter(4).HP, 30);
    EXPECT_EQ(Critter(4).Accuracy, 60);
}

// G shows the tile grid; M the whole location, where a click scrolls.
TEST_F(Tools, GridAndOverview) {
    auto frame = [&] {
        Game->Platform.VirtualClock.Advance(50);
        G().Tick();
    };
    auto tap = [&](int vk) {
        G().DXI.Live[size_t(vk)] = true;
        frame();
        G().DXI.Live[size_t(vk)] = false;
        frame();
    };
    tap('G');
    EXPECT_TRUE(P().GridCheckBox);
    EXPECT_EQ(G().DXDraw.PixelRead(400, 303), 0x505050u);
    tap('M');
    ASSERT_TRUE(P().OverviewCheckBox);
    G().DXDrawMouseMove(300, 250);
    G().DXDrawMouseDown(mbLeft, 300, 250);
    G().DXDrawMouseUp(mbLeft, 300, 250);
    EXPECT_FALSE(P().OverviewCheckBox);
    EXPECT_EQ(std::make_pair(G().View.ScrollX, G().View.ScrollY), std::make_pair(-200, -200));
    EXPECT_EQ(W().Critters[0]->State, csIdle);  // the click only scrolled
}

// Файл → Новая, a test play from a tile and back, and a restart from the file.
TEST_F(Tools, NewPlayStopAndRestart) {
    Load(Location());
    Steps({"panel page Brush", "down left 3 3", "up left 3 3"});
    EXPECT_TRUE(P().Modified());
    Steps({"panel menu New", "panel new pattern2"});
    EXPECT_EQ(W().PatternName, "pattern2");
    ASSERT_EQ(W().CritterCount(), 1);
    EXPECT_EQ(Critter(0).X, 20);
    EXPECT_EQ(W().ObjectCount(), 0);
    EXPECT_EQ(Blocks(), std::make_pair(0, 0));
    EXPECT_FALSE(P().Modified());
    EXPECT_EQ(P().History.UndoCount(), 0u);

    Steps({"panel page Critter", "panel set HPSpinEdit 40", "down right 5 5", "up right 5 5"});
    ASSERT_EQ(W().CritterCount(), 2);
    Steps({"panel play 8 9"});
    EXPECT_TRUE(G().Playing());
    EXPECT_EQ(P().ActivePage, PageGeneral);
    EXPECT_EQ(Critter(0).X, 8);
    EXPECT_EQ(Critter(0).Y, 9);
    Critter(1).HP = 1;
    Critter(0).WalkTo(12, 9);
    Steps({"panel stop"});
    EXPECT_FALSE(G().Playing());
    EXPECT_EQ(P().ActivePage, PageCritter);
    EXPECT_EQ(Critter(0).X, 20);
    EXPECT_EQ(Critter(0).State, csIdle);
    EXPECT_EQ(Critter(1).HP, 40);
    // The edits made before the play are still there to undo.
    EXPECT_EQ(P().History.UndoCount(), 1u);
    P().Undo();
    EXPECT_EQ(W().CritterCount(), 1);
    P().Redo();

    const std::string file = Data.Path("data/locations/new.map").string();
    G().PanelCommand("save " + file);
    EXPECT_FALSE(P().Modified());
    Critter(1).HP = 5;
    Steps({"panel restart"});
    EXPECT_EQ(Critter(1).HP, 40);
    EXPECT_TRUE(G().Errors.empty()) << G().Errors.front();
}

}  // namespace
