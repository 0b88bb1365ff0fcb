#include <sstream>

#include "EditorTestKit.h"
#include "base/Errors.h"

namespace {

// Steps of an edit: panel lines, "click BUTTON X Y" and "drag BUTTON X1 Y1 X2 Y2"
// on the game screen, "nudge DX DY" as the direction keys of page Objects.
struct TEditCase {
    const char* Name;
    std::vector<std::string> Steps;
};

void PrintTo(const TEditCase& edit, std::ostream* out) {
    *out << edit.Name;
}

const TEditCase EditCases[] = {
    {"AddCritter", {"panel page Critter", "panel set SkinComboBox raider", "click right 20 20"}},
    {"MoveCritter", {"panel page Critter", "panel select critter 2", "click left 20 20"}},
    {"ApplyCritterOntoAnother",
     {"panel select critter 2", "panel set XSpinEdit 16", "panel set SkinComboBox raider",
      "panel set ScriptLabeledEdit obj_def", "panel set NameLabeledEdit Другой", "panel set HPSpinEdit 7",
      "panel set DirComboBox Юг", "panel set InvisibleCheckBox 1", "panel click ApplyButton"}},
    {"DeleteCritter", {"panel select critter 1", "panel click DelCritterButton"}},
    {"DeleteLastCritter", {"panel select critter 3", "panel click DelCritterButton"}},
    {"AddObject",
     {"panel page Objects", "panel set ImageComboBox lamp", "panel set ONameLabeledEdit Лампа", "click right 30 30"}},
    {"MoveObject", {"panel page Objects", "panel select object 0", "click left 30 30"}},
    {"NudgeObject", {"panel select object 0", "nudge 1 0", "nudge 1 -1", "nudge 0 -1"}},
    {"ApplyObject",
     {"panel select object 1", "panel set ImageComboBox crate", "panel set ONameLabeledEdit Новый",
      "panel set OScriptLabeledEdit", "panel set OYOSpinEdit 3", "panel set ODisabledCheckBox 1",
      "panel click OApplyButton"}},
    {"DeleteObject", {"panel select object 1", "panel click ODeleteButton"}},
    {"LoadPattern", {"panel set PatternComboBox pattern2", "panel click LoadPatternButton"}},
    {"MapScript", {"panel set MapScrLabeledEdit counter"}},
    {"PaintStroke", {"panel page Brush", "drag left 2 2 6 2"}},
    {"PaintHitTypes", {"panel page Brush", "panel set ShootAnimComboBox metal", "drag left 2 3 2 8"}},
};

class UndoEach : public EditorTest, public ::testing::WithParamInterface<TEditCase> {
protected:
    void Run(const std::string& step) {
        std::istringstream words(step);
        std::string verb;
        words >> verb;
        if (verb == "panel") {
            std::string rest;
            std::getline(words, rest);
            G().PanelCommand(rest.substr(1));
            return;
        }
        auto button = [&] {
            std::string b;
            words >> b;
            return b == "left" ? mbLeft : mbRight;
        };
        int b = verb == "nudge" ? 0 : button(), x = 0, y = 0;
        words >> x >> y;
        if (verb == "click") {
            Click(b, x, y);
        } else if (verb == "drag") {
            int x2 = 0, y2 = 0;
            words >> x2 >> y2;
            Press(b, x, y);
            for (int tx = x, ty = y; tx != x2 || ty != y2;) {
                tx += (x2 > tx) - (x2 < tx);
                ty += (y2 > ty) - (y2 < ty);
                MoveTo(tx, ty);
            }
            Release(b);
        } else if (verb == "nudge") {
            P().NudgeSelectedObject(x, y);
        }
    }

    // Every record answers to its position: its Index, its script's owner,
    // the occupant of its cell, its editor label.
    void ExpectConsistent() {
        ASSERT_EQ(P().CritterListBox.Items.size(), size_t(W().CritterCount()));
        ASSERT_EQ(P().ObjectListBox.Items.size(), size_t(W().ObjectCount()));
        for (int i = 0; i < W().CritterCount(); ++i) {
            EXPECT_EQ(Critter(i).Index, i);
            EXPECT_EQ(Critter(i).Script->OwnerIndex, i);
        }
        for (int i = 0; i < W().ObjectCount(); ++i) {
            EXPECT_EQ(Object(i).Index, i);
            EXPECT_EQ(Object(i).Script->OwnerIndex, i);
        }
        for (int x = 0; x < MapCols; ++x)
            for (int y = 0; y < MapRows; ++y)
                if (int o = W().Grid.At(x, y).Occupant; o >= 0) {
                    ASSERT_LT(o, W().CritterCount()) << x << "x" << y;
                    EXPECT_TRUE(Critter(o).X == x && Critter(o).Y == y) << x << "x" << y;
                }
    }

    std::vector<std::string> Labels() {
        std::vector<std::string> all = P().CritterListBox.Items;
        all.insert(all.end(), P().ObjectListBox.Items.begin(), P().ObjectListBox.Items.end());
        return all;
    }
};

TEST_P(UndoEach, UndoRestoresTheLocationAndRedoRepeatsTheEdit) {
    Load(Location());
    const std::string before = Saved();
    const std::vector<std::string> labelsBefore = Labels();
    for (const auto& step : GetParam().Steps) Run(step);
    ASSERT_TRUE(G().Errors.empty()) << G().Errors[0];
    const std::string after = Saved();
    ASSERT_NE(after, before);
    EXPECT_EQ(P().History.UndoCount(), 1u);
    ExpectConsistent();

    P().Undo();
    EXPECT_EQ(Saved(), before);
    EXPECT_EQ(Labels(), labelsBefore);
    ExpectConsistent();

    P().Redo();
    EXPECT_EQ(Saved(), after);
    ExpectConsistent();
    P().Undo();
    EXPECT_EQ(Saved(), before);
    EXPECT_EQ(P().History.RedoCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Edits, UndoEach, ::testing::ValuesIn(EditCases),
                         [](const auto& param) { return std::string(param.param.Name); });

using History = EditorTest;

TEST_F(History, DeletesKeepIndicesScriptsAndReferencesInStep) {
    Load(Location());
    Critter(3).SetVictim(2);
    Critter(2).SetVictim(1);
    const int created = Global(1), destroyed = Global(2);

    G().PanelCommand("select critter 1");
    G().PanelCommand("click DelCritterButton");
    // Renumbering is not a new life: no script was created or destroyed.
    EXPECT_EQ(Global(1), created);
    EXPECT_EQ(Global(2), destroyed);
    Critter(2).Click();
    EXPECT_EQ(Global(5), 2);
    EXPECT_EQ(Critter(2).Victim, 1);   // still the trader
    EXPECT_EQ(Critter(1).Victim, -1);  // its victim is gone
    EXPECT_EQ(W().Grid.At(16, 10).Occupant, 2);
    EXPECT_EQ(W().Grid.At(12, 10).WalkBlock, 0);

    P().Undo();
    EXPECT_EQ(Critter(3).Victim, 2);
    EXPECT_EQ(Critter(2).Victim, 1);
    EXPECT_EQ(P().CritterListBox.Items[1], "Страж");
    Critter(3).Click();
    EXPECT_EQ(Global(5), 3);

    G().PanelCommand("select object 0");
    G().PanelCommand("click ODeleteButton");
    Object(1).Click();
    EXPECT_EQ(Global(5), 1);
}

TEST_F(History, AStrokeIsOneStepWhateverButtonsJoinIt) {
    G().PanelCommand("page Brush");
    Press(mbLeft, 2, 2);
    MoveTo(3, 2);
    G().DXDrawMouseDown(mbRight, G().View.MouseX, G().View.MouseY);
    MoveTo(4, 2);
    Release(mbRight);
    MoveTo(5, 2);
    Release(mbLeft);
    EXPECT_EQ(P().History.UndoCount(), 1u);
    // The right press cleared its tile; moving on, the left button wins.
    for (int x = 2; x <= 5; ++x) EXPECT_EQ(W().Grid.At(x, 2).WalkBlock, x == 3 ? 0 : 1) << x;
    Click(mbLeft, 9, 9);
    EXPECT_EQ(P().History.UndoCount(), 2u);

    P().Undo();
    P().Undo();
    for (int x = 2; x <= 9; ++x) EXPECT_EQ(W().Grid.At(x, 2).WalkBlock, 0) << x;
    // Painting nothing new is no step.
    Click(mbRight, 20, 20);
    EXPECT_EQ(P().History.UndoCount(), 0u);
    EXPECT_EQ(P().History.RedoCount(), 2u);
}

TEST_F(History, NudgesJoinUntilAPause) {
    Load(Location());
    G().PanelCommand("select object 0");
    for (int i = 0; i < 10; ++i) {
        P().NudgeSelectedObject(1, 0);
        Game->Platform.VirtualClock.Advance(10);
    }
    EXPECT_EQ(P().History.UndoCount(), 1u);
    EXPECT_EQ(P().OXOSpinEdit.Text, "10");
    Game->Platform.VirtualClock.Advance(NudgeJoinMs + 1);
    P().NudgeSelectedObject(0, 1);
    EXPECT_EQ(P().History.UndoCount(), 2u);
    P().Undo();
    P().Undo();
    EXPECT_EQ(Object(0).OffsetX, 0);
    EXPECT_EQ(Object(0).OffsetY, 0);
    EXPECT_EQ(P().OXOSpinEdit.Text, "0");
}

TEST_F(History, ANewEditDropsWhatWasUndone) {
    G().PanelCommand("set MapScrLabeledEdit a");
    G().PanelCommand("set MapScrLabeledEdit b");
    P().Undo();
    EXPECT_EQ(P().MapScrLabeledEdit, "a");
    G().PanelCommand("set MapScrLabeledEdit c");
    EXPECT_EQ(P().History.RedoCount(), 0u);
    P().Redo();
    EXPECT_EQ(P().MapScrLabeledEdit, "c");
}

TEST_F(History, IsBoundedAndClearedByAMapLoad) {
    P().History.Limit = 5;
    for (int i = 0; i < 8; ++i) G().PanelCommand("set MapScrLabeledEdit s" + std::to_string(i));
    EXPECT_EQ(P().History.UndoCount(), 5u);
    Load(Location());
    EXPECT_EQ(P().History.UndoCount(), 0u);
    P().Undo();  // nothing to undo is no error
    EXPECT_EQ(W().CritterCount(), 4);
}

TEST_F(History, AWorldChangedOutsideTheEditorCannotBeUndone) {
    TMapData map = Location();
    map.Objects.push_back(Thing("Пусто", 9, 9, ""));
    Load(map);
    G().PanelCommand("select object 0");
    G().PanelCommand("click ODeleteButton");
    // The game drops the object without a picture on its own.
    G().Render();
    G().Render();
    ASSERT_EQ(W().ObjectCount(), 2);
    EXPECT_THROW(P().Undo(), EGameError);
    EXPECT_EQ(P().History.UndoCount(), 0u);
    EXPECT_EQ(W().ObjectCount(), 2);
}

TEST_F(History, ObjectsGoBeforeShotEffectsSoLabelsStayInStep) {
    Load(Location());
    auto effect = std::make_shared<tObj>(G().Context, W().ObjectCount());
    effect->PlayOnce = true;
    effect->SetImage("lamp");
    W().AppendObject(effect);
    G().PanelCommand("page Objects");
    G().PanelCommand("set ONameLabeledEdit Новый");
    Click(mbRight, 30, 30);
    ASSERT_EQ(W().ObjectCount(), 5);
    EXPECT_EQ(Object(3).X, 30);
    EXPECT_EQ(P().ObjectListBox.Items[3], "Новый");
    EXPECT_EQ(Object(4).PlayOnce, true);
    EXPECT_EQ(Object(4).Index, 4);

    effect->PendingRemoval = true;
    W().DrawList->Rebuild();
    EXPECT_EQ(P().ObjectListBox.Items.size(), 4u);
    P().Undo();
    EXPECT_EQ(W().ObjectCount(), 3);
    EXPECT_EQ(P().ObjectListBox.Items.size(), 3u);
}

}  // namespace
