#include "EditorTestKit.h"
#include "app/Dump.h"
#include "base/Errors.h"
#include "media/Input.h"

namespace {

TEST(SpinEdit, LimitsApplyWhenFilledAndWhenLeft) {
    TSpinEdit x{0, 79};
    x.SetValue(120);
    EXPECT_EQ(x.Text, "79");
    x.SetText("-3");
    EXPECT_EQ(x.Text, "-3");  // typing is free ...
    x.Exit();
    EXPECT_EQ(x.Text, "0");  // ... leaving brings it to the nearer limit

    TSpinEdit hp{1, 999, 3};
    hp.SetText("5000");
    EXPECT_EQ(hp.Text, "500");  // three digits at most
    hp.SetText("abc");
    EXPECT_EQ(hp.Value(), 1);  // not a number: the lower limit
    hp.Exit();
    EXPECT_EQ(hp.Text, "1");

    TSpinEdit any{0, 0};
    any.SetValue(-123456);
    EXPECT_EQ(any.Text, "-123456");
    any.SetText("12x");
    EXPECT_EQ(any.Value(), 0);
}

TEST(SpinEdit, OutOfRangeTextNeverReachesTheWorld) {
    TSpinEdit accuracy{0, 100};
    accuracy.SetText("250");
    EXPECT_EQ(accuracy.Value(), 100);
}

using Panel = EditorTest;

TEST_F(Panel, FormCreateFillsThePickLists) {
    EXPECT_EQ(P().SkinComboBox.Items, (std::vector<std::string>{"metal", "raider"}));
    EXPECT_EQ(P().PatternComboBox.Items, (std::vector<std::string>{"pattern1", "pattern2"}));
    EXPECT_EQ(P().PatternComboBox.ItemIndex, 0);
    EXPECT_EQ(P().ImageComboBox.Text(), "crate");
    EXPECT_EQ(P().ShootAnimComboBox.Items, (std::vector<std::string>{"sand", "metal", "concrete"}));
    EXPECT_EQ(P().DirComboBox.Items.size(), 8u);
    EXPECT_TRUE(P().MoveBlockRadioButton);
    // The debug start selected and refreshed the player.
    EXPECT_EQ(P().CritterListBox.Items, std::vector<std::string>{"Игрок"});
    EXPECT_EQ(P().SkinComboBox.Text(), "metal");
    EXPECT_EQ(P().XSpinEdit.Text, "30");
    EXPECT_EQ(P().DirComboBox.Text(), "Юг");
}

TEST_F(Panel, ThePlayerCanNeitherBeRenamedNorDeleted) {
    Load(Location());
    P().CritterListBox.ItemIndex = 0;
    P().CritterListBoxClick();
    EXPECT_TRUE(P().NameReadOnly);
    EXPECT_FALSE(P().DelCritterButtonEnabled);
    EXPECT_THROW(P().SetControl("NameLabeledEdit", "Злодей"), EGameError);

    P().NameLabeledEdit = "Злодей";
    P().ApplyButtonClick();
    EXPECT_EQ(P().CritterListBox.Items[0], "Игрок");

    P().DelCritterButtonClick();
    P().CritterListBoxKeyDown(VK_DELETE);
    G().PanelCommand("page Critter");
    G().DXI.Live[VK_DELETE] = true;
    G().Render();
    EXPECT_EQ(W().CritterCount(), 4);
    EXPECT_THROW(G().PanelCommand("click DelCritterButton"), EGameError);

    // The loader selects the player without a refresh, so the button may still
    // show enabled from the critter before; the player stays all the same.
    P().CritterListBox.ItemIndex = 2;
    P().CritterListBoxClick();
    Load(Location());
    ASSERT_EQ(P().CritterListBox.ItemIndex, 0);
    ASSERT_TRUE(P().DelCritterButtonEnabled);
    P().DelCritterButtonClick();
    P().CritterListBoxKeyDown(VK_DELETE);
    EXPECT_EQ(W().CritterCount(), 4);
    EXPECT_EQ(P().CritterListBox.Items[0], "Игрок");
}

TEST_F(Panel, DeletingSelectsTheCritterThatMovedInOrThePreviousOne) {
    Load(Location());
    G().PanelCommand("select critter 1");
    G().PanelCommand("click DelCritterButton");
    EXPECT_EQ(P().CritterListBox.Items, (std::vector<std::string>{"Игрок", "Торговец", "Бродяга"}));
    EXPECT_EQ(P().CritterListBox.ItemIndex, 1);
    EXPECT_EQ(P().NameLabeledEdit, "Торговец");  // refreshed
    EXPECT_EQ(P().XSpinEdit.Text, "14");

    G().PanelCommand("select critter 2");
    P().CritterListBoxKeyDown(VK_DELETE);
    EXPECT_EQ(P().CritterListBox.Items, (std::vector<std::string>{"Игрок", "Торговец"}));
    EXPECT_EQ(P().CritterListBox.ItemIndex, 1);
    EXPECT_EQ(P().NameLabeledEdit, "Торговец");

    // Objects the same way, the last one going to the previous entry.
    G().PanelCommand("select object 2");
    G().PanelCommand("click ODeleteButton");
    EXPECT_EQ(P().ObjectListBox.ItemIndex, 1);
    EXPECT_EQ(P().ONameLabeledEdit, "Фонарь");
    G().PanelCommand("select object 0");
    P().ObjectListBoxKeyDown(VK_DELETE);
    EXPECT_EQ(P().ObjectListBox.Items, std::vector<std::string>{"Фонарь"});
    EXPECT_EQ(P().ONameLabeledEdit, "Фонарь");
}

TEST_F(Panel, DeleteWithoutASelectedObjectDoesNothing) {
    Load(Location());  // the loader selects no object
    ASSERT_EQ(P().ObjectListBox.ItemIndex, -1);
    P().ODeleteButtonClick();
    G().PanelCommand("page Objects");
    G().DXI.Live[VK_DELETE] = true;
    G().Render();
    EXPECT_EQ(W().ObjectCount(), 3);
}

TEST_F(Panel, ChoosingAPaintSwitchesTheBrush) {
    G().PanelCommand("set ShootAnimComboBox concrete");
    EXPECT_TRUE(P().ShootAnimRadioButton);
    EXPECT_FALSE(P().MoveBlockRadioButton);
    G().PanelCommand("page Brush");
    Click(mbLeft, 3, 4);
    EXPECT_EQ(W().Grid.At(3, 4).HitType, 2);
    EXPECT_EQ(W().Grid.At(3, 4).WalkBlock, 0);

    G().PanelCommand("set MoveAnimComboBox walk_2");
    EXPECT_TRUE(P().MoveAnimRadioButton);
    EXPECT_FALSE(P().ShootAnimRadioButton);
    Click(mbLeft, 3, 4);
    EXPECT_EQ(W().Grid.At(3, 4).WalkAnim, 2);
    Click(mbRight, 3, 4);
    EXPECT_EQ(W().Grid.At(3, 4).WalkAnim, 0);

    G().PanelCommand("set ShootBlockRadioButton 1");
    EXPECT_FALSE(P().MoveAnimRadioButton);
    EXPECT_THROW(G().PanelCommand("set ShootBlockRadioButton 0"), EGameError);
}

TEST_F(Panel, NewCrittersAreNamedByTheEntriesBeforeThem) {
    G().PanelCommand("page Critter");
    G().PanelCommand("set SkinComboBox raider");
    G().PanelCommand("set HPSpinEdit 42");
    G().PanelCommand("set ScriptLabeledEdit counter");
    Click(mbRight, 5, 5);
    Click(mbRight, 6, 5);
    EXPECT_EQ(P().CritterListBox.Items, (std::vector<std::string>{"Игрок", "NPC1", "NPC2"}));
    EXPECT_EQ(P().CritterListBox.ItemIndex, 2);
    tCritter& added = Critter(2);
    EXPECT_EQ(added.Skin, "raider");
    EXPECT_EQ(added.HP, 42);
    EXPECT_EQ(added.ScriptName, "counter");
    EXPECT_TRUE(added.Placed);
    EXPECT_EQ(W().Grid.At(6, 5).Occupant, 2);
    EXPECT_EQ(W().Grid.At(6, 5).WalkBlock, 1);

    // The name counts entries, so it can repeat after a delete.
    G().PanelCommand("select critter 1");
    G().PanelCommand("click DelCritterButton");
    Click(mbRight, 7, 5);
    EXPECT_EQ(P().CritterListBox.Items, (std::vector<std::string>{"Игрок", "NPC2", "NPC2"}));
}

TEST_F(Panel, RightClickAddsCrittersOnFreeTilesOnlyButObjectsAnywhere) {
    W().Grid.At(8, 8).WalkBlock = 1;
    G().PanelCommand("page Critter");
    Click(mbRight, 8, 8);
    EXPECT_EQ(W().CritterCount(), 1);
    P().AddCritterAt(8, 8);  // the panel checks too
    EXPECT_EQ(W().CritterCount(), 1);

    G().PanelCommand("page Objects");
    G().PanelCommand("set ONameLabeledEdit Камень");
    Click(mbRight, 8, 8);
    ASSERT_EQ(W().ObjectCount(), 1);
    EXPECT_EQ(Object(0).X, 8);
    EXPECT_EQ(Object(0).ImageName, "crate");
    EXPECT_EQ(P().ObjectListBox.Items, std::vector<std::string>{"Камень"});
    EXPECT_EQ(P().ObjectListBox.ItemIndex, 0);
    EXPECT_TRUE(P().ODeleteButtonEnabled);
}

TEST_F(Panel, LeftClickMovesTheSelectionOnlyOntoFreeTiles) {
    Load(Location());
    G().PanelCommand("page Critter");
    G().PanelCommand("select critter 2");
    Click(mbLeft, 20, 20);
    EXPECT_EQ(Critter(2).StartX, 20);
    EXPECT_EQ(P().XSpinEdit.Text, "20");
    Click(mbLeft, 12, 10);  // another critter stands there
    EXPECT_EQ(Critter(2).X, 20);

    G().PanelCommand("page Objects");
    Click(mbLeft, 9, 9);  // no object selected
    EXPECT_EQ(Object(0).X, 5);
    G().PanelCommand("select object 1");
    Click(mbLeft, 12, 10);
    EXPECT_EQ(Object(1).X, 12);
    EXPECT_EQ(P().OXSpinEdit.Text, "12");
}

TEST_F(Panel, ApplyMovesOntoAnOccupiedTileAllTheSame) {
    Load(Location());
    G().PanelCommand("select critter 3");
    G().PanelCommand("set XSpinEdit 12");
    G().PanelCommand("set NameLabeledEdit Новый");
    G().PanelCommand("set DirComboBox Запад");
    G().PanelCommand("set AccurancySpinEdit 150");
    G().PanelCommand("click ApplyButton");
    tCritter& moved = Critter(3);
    EXPECT_EQ(moved.X, 12);
    EXPECT_EQ(moved.StartX, 12);
    EXPECT_EQ(moved.Direction, 7);
    EXPECT_EQ(moved.Accuracy, 100);
    EXPECT_EQ(W().Grid.At(12, 10).Occupant, 3);
    EXPECT_EQ(W().Grid.At(16, 10).WalkBlock, 0);
    EXPECT_EQ(P().CritterListBox.Items[3], "Новый");
}

TEST_F(Panel, ApplyRecreatesTheScriptOfTheObject) {
    Load(Location());
    int created = Global(1), destroyed = Global(2);
    G().PanelCommand("select object 1");
    G().PanelCommand("set ImageComboBox crate");
    G().PanelCommand("set OXOSpinEdit -4");
    G().PanelCommand("set OInvisibleCheckBox 1");
    G().PanelCommand("click OApplyButton");
    EXPECT_EQ(Object(1).ImageName, "crate");
    EXPECT_EQ(Object(1).OffsetX, -4);
    EXPECT_TRUE(Object(1).Invisible);
    EXPECT_EQ(Global(1), created + 1);
    EXPECT_EQ(Global(2), destroyed + 1);
}

TEST_F(Panel, RefreshKeepsAPickListWhenTheNameIsNotAnItem) {
    Load(Location());
    Critter(2).Skin = "ghost";
    G().PanelCommand("select critter 1");
    G().PanelCommand("select critter 2");
    EXPECT_EQ(P().SkinComboBox.Text(), "metal");
}

TEST_F(Panel, PanelLinesReportWhatTheyCannotDo) {
    auto fails = [&](const std::string& line, const std::string& part) {
        try {
            G().PanelCommand(line);
            ADD_FAILURE() << line << ": no error";
        } catch (const EGameError& e) {
            EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
        }
    };
    fails("page Nowhere", "Nowhere");
    fails("select critter 7", "no critter 7");
    fails("select dragon 0", "dragon");
    fails("set FooEdit 1", "FooEdit");
    fails("set SkinComboBox ghost", "ghost");
    fails("set InvisibleCheckBox yes", "0 or 1");
    fails("click MagicButton", "MagicButton");
    fails("open data/locations/none.map", "none.map");
    fails("dance", "dance");
}

TEST_F(Panel, TheMapScriptFieldOnlyChangesWhatIsSaved) {
    G().PanelCommand("set MapScrLabeledEdit counter");
    EXPECT_FALSE(W().MapScript);
    EXPECT_EQ(Global(1), 0);
    Load(ParseMap(Saved(), "saved.map"));
    EXPECT_TRUE(W().MapScript);
    EXPECT_EQ(Global(1), 1);
}

TEST_F(Panel, TheDumpShowsThePanel) {
    G().PanelCommand("page Objects");
    G().PanelCommand("set OXSpinEdit 17");
    std::string dump = DumpJson(G());
    for (const char* part : {"\"page\": \"Objects\"", "\"OXSpinEdit\": \"17\"", "\"critters\": [", "\"undoSteps\": 0"})
        EXPECT_NE(dump.find(part), std::string::npos) << part;
}

TEST_F(Panel, ExitClosesTheMainWindow) {
    G().PanelCommand("menu Exit");
    EXPECT_TRUE(G().Closed);
    EXPECT_TRUE(Game->Platform.WindowClosed);
}

}  // namespace
