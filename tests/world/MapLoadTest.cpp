// Loading and saving locations in a running game.
#include <chrono>

#include "base/Errors.h"
#include "world/WorldTestKit.h"

namespace {
// Two critters and two objects; start cells already marked as a saved file has them.
TMapData SampleMap() {
    TMapData map;
    map.PatternName = "pattern1";
    map.MapScript = "";
    map.Critters = {MapCritter("Игрок", 30, 50), MapCritter("NPC1", 40, 60)};
    map.Critters[0].DmgMin = 3;
    map.Critters[0].DmgMax = 6;
    map.Objects = {MapObject("crate 1", 10, 20), MapObject("lamp 1", 11, 21, "lamp", "obj_def")};
    map.Objects[1].Disabled = 1;
    for (const TMapCritter& c : map.Critters) map.Grid[size_t(c.StartX) * MapRows + size_t(c.StartY)].WalkBlock = 1;
    TCell& wall = map.Grid[size_t(5) * MapRows + 6];
    wall.WalkBlock = 1;
    wall.ShootBlock = 1;
    wall.WalkAnim = 2;
    wall.HitType = 3;
    return map;
}

// The occupant words are not meaningful in a file: masked for comparison.
std::string WithoutOccupants(std::string bytes) {
    for (size_t cell = 0; cell < size_t(MapCols) * MapRows; ++cell)
        for (size_t i = 4; i < 8; ++i) bytes[50 + cell * 8 + i] = 0;
    return bytes;
}
}  // namespace

TEST_F(WorldTest, SavingAfterLoadingGivesBackTheFile) {
    const std::string original = SerializeMap(SampleMap());
    Data.WriteFile("data/locations/sample.map", original);
    Load("data\\locations\\sample.map");
    G().SaveMap("data\\locations\\copy.map");
    EXPECT_EQ(WithoutOccupants(Data.ReadFile("data/locations/copy.map")), WithoutOccupants(original));
}

TEST_F(WorldTest, EmptyLocationLoadsEmptyAndSavesAs76858Bytes) {
    WriteMap("data/locations/empty.map", TMapData{});
    Load("data\\locations\\empty.map");
    EXPECT_TRUE(W().Critters.empty());
    EXPECT_TRUE(W().Objects.empty());
    EXPECT_FALSE(W().MapScript);
    G().SaveMap("data\\locations\\out.map");
    EXPECT_EQ(Data.ReadFile("data/locations/out.map").size(), 76858u);
}

TEST_F(WorldTest, LoadFillsTheWorldAndTheEditorLists) {
    WriteMap("data/locations/sample.map", SampleMap());
    uint64_t generation = W().Generation;
    Load("DATA\\Locations\\SAMPLE.MAP");  // a game path: any letter case, backslashes
    EXPECT_GT(W().Generation, generation);
    ASSERT_EQ(W().CritterCount(), 2);
    ASSERT_EQ(W().ObjectCount(), 2);
    EXPECT_EQ(C(1).Index, 1);
    EXPECT_EQ(C(1).Direction, 5);
    EXPECT_EQ(C(1).HP, 20);
    EXPECT_EQ(C(1).Accuracy, 70);
    EXPECT_TRUE(C(1).Placed);
    EXPECT_EQ(C(1).ImageIndex, G().DXIL.Find("metal_idle"));  // found in the reloaded collection
    EXPECT_EQ(O(1).Index, 1);
    EXPECT_EQ(O(1).Alpha, 120);
    EXPECT_TRUE(O(1).Disabled);
    EXPECT_EQ(O(0).ScriptName, "");
    EXPECT_EQ(G().ControlForm.CritterListBox.Items, (std::vector<std::string>{"Игрок", "NPC1"}));
    EXPECT_EQ(G().ControlForm.CritterListBox.ItemIndex, 0);
    EXPECT_EQ(G().ControlForm.ObjectListBox.Items, (std::vector<std::string>{"crate 1", "lamp 1"}));
    EXPECT_EQ(W().DrawList->Entries().size(), 4u);
    const TCell& wall = W().Grid.At(5, 6);
    EXPECT_EQ(wall.ShootBlock, 1);
    EXPECT_EQ(wall.WalkAnim, 2);
    EXPECT_EQ(wall.HitType, 3);
}

TEST_F(WorldTest, PlayerDamageIsAlwaysThreeToSix) {
    TMapData map = SampleMap();
    map.Critters[0].DmgMin = 10;
    map.Critters[0].DmgMax = 20;
    WriteMap("data/locations/strong.map", map);
    Load("data\\locations\\strong.map");
    EXPECT_EQ(C(0).DmgMin, 3);
    EXPECT_EQ(C(0).DmgMax, 6);
    EXPECT_EQ(C(1).DmgMin, 2);
    EXPECT_EQ(C(1).DmgMax, 4);
}

TEST_F(WorldTest, EveryStartCellIsBlockedAndOccupied) {
    TMapData map;
    // The first critter starts on (0, 0), where every new critter used to be put first:
    // the later ones leaving it must not clear it.
    map.Critters = {MapCritter("a", 0, 0), MapCritter("b", 7, 8), MapCritter("c", 9, 10)};
    map.Grid[size_t(9) * MapRows + 10].Occupant = 5;  // a stale occupant word
    WriteMap("data/locations/starts.map", map);
    Load("data\\locations\\starts.map");
    for (int i = 0; i < 3; ++i) {
        const TCell& cell = W().Grid.At(C(i).StartX, C(i).StartY);
        EXPECT_EQ(cell.WalkBlock, 1) << i;
        EXPECT_EQ(cell.Occupant, i) << i;
        EXPECT_EQ(C(i).X, C(i).StartX);
    }
    int occupied = 0;
    for (const TCell& cell : W().Grid.Raw()) occupied += cell.Occupant != -1;
    EXPECT_EQ(occupied, 3);
}

TEST_F(WorldTest, TileZeroKeepsWhatTheMapPainted) {
    TMapData map = SampleMap();
    map.Grid[0].WalkBlock = 1;
    WriteMap("data/locations/wall.map", map);
    Load("data\\locations\\wall.map");
    EXPECT_EQ(W().Grid.At(0, 0).WalkBlock, 1);
    EXPECT_EQ(W().Grid.At(0, 0).Occupant, -1);

    WriteMap("data/locations/open.map", SampleMap());
    Load("data\\locations\\open.map");
    EXPECT_EQ(W().Grid.At(0, 0).WalkBlock, 0);
    EXPECT_EQ(W().Grid.At(0, 0).Occupant, -1);
}

TEST_F(WorldTest, DamagedOrMissingFileLeavesTheLocationUntouched) {
    WriteMap("data/locations/sample.map", SampleMap());
    Load("data\\locations\\sample.map");
    std::string bad = SerializeMap(SampleMap());
    bad[76850] = char(0xFB);  // critter count -5
    bad[76851] = bad[76852] = bad[76853] = char(0xFF);
    Data.WriteFile("data/locations/bad.map", bad);
    uint64_t generation = W().Generation;
    tCritter* player = &C(0);

    try {
        Load("data\\locations\\bad.map");
        ADD_FAILURE() << "a damaged file loaded";
    } catch (const EGameError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Location file \"data\\locations\\bad.map\" is damaged: critter count -5 is negative");
    }
    EXPECT_THROW(Load("data\\locations\\none.map"), EFileError);
    EXPECT_EQ(W().Generation, generation);
    ASSERT_EQ(W().CritterCount(), 2);
    EXPECT_EQ(&C(0), player);
    EXPECT_EQ(W().ObjectCount(), 2);
    EXPECT_EQ(W().Grid.At(5, 6).WalkAnim, 2);
    EXPECT_EQ(W().Grid.At(30, 50).Occupant, 0);
    EXPECT_EQ(G().ControlForm.CritterListBox.Items.size(), 2u);
}

TEST_F(WorldTest, SaveCutsTextsAndLeavesOutShotEffects) {
    WriteMap("data/locations/sample.map", SampleMap());
    Load("data\\locations\\sample.map");
    G().ControlForm.CritterListBox.Items[1] = std::string(30, 'n');
    G().ControlForm.MapScrLabeledEdit = "town";
    auto effect = std::make_shared<tObj>(G().Context, 2);
    effect->PlayOnce = true;
    effect->SetImage("spark");
    W().AppendObject(effect);
    C(0).State = csFiring;
    C(0).Direction = 13;  // a firing direction: saved as the walking one it lies in

    G().SaveMap("data\\locations\\out.map");
    TMapData saved = ParseMap(Data.ReadFile("data/locations/out.map"), "out.map");
    EXPECT_EQ(saved.Critters[1].Label, std::string(24, 'n'));
    EXPECT_EQ(saved.MapScript, "town");
    EXPECT_EQ(saved.Objects.size(), 2u);
    EXPECT_EQ(saved.Critters[0].Direction, 6);
}

TEST_F(WorldTest, AMissingLocationPictureStillLeavesACompleteLocation) {
    TMapData map = SampleMap();
    map.PatternName = "nowhere";
    map.MapScript = "town";
    Data.WriteScript("town.sc", "[OnCreate]\n1=1\n2=7\n3=SETGVAR\n");
    WriteMap("data/locations/lost.map", map);
    EXPECT_THROW(Load("data\\locations\\lost.map"), EFileError);
    EXPECT_EQ(W().PatternName, "nowhere");
    EXPECT_EQ(W().DrawList->Entries().size(), 4u);
    EXPECT_EQ(C(0).DmgMax, 6);
    ASSERT_TRUE(W().MapScript);
    EXPECT_EQ(G().Scripts.GlobalVars[1], 7);
}

TEST_F(WorldTest, ALocationChangeDecodesOnlyPicturesChangedOnDisk) {
    TMapData map;
    map.Critters = {MapCritter("Игрок", 3, 3)};
    WriteMap("data/locations/a.map", map);
    Load("data\\locations\\a.map");
    const uint64_t decodes = G().Pictures.Decodes;
    const TColor before = G().DXIL.Item(0).Picture.Pixel(0, 0);
    Load("data\\locations\\a.map");
    EXPECT_EQ(G().Pictures.Decodes, decodes);
    EXPECT_EQ(G().DXIL.Item(0).Picture.Pixel(0, 0), before);

    // The same size, a new colour and a later modification time: read again, drawn anew.
    Data.WriteBmp("data/Images/Locations/pattern1.bmp", 32, 24, 0x00102030);
    const auto file = Data.Path("data/Images/Locations/pattern1.bmp");
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) + std::chrono::seconds(5));
    Load("data\\locations\\a.map");
    EXPECT_EQ(G().Pictures.Decodes, decodes + 1);
    EXPECT_EQ(G().DXIL.Item(0).Picture.Pixel(0, 0) & 0xFFFFFF, 0x102030u);
}

TEST_F(WorldTest, ANewGameOnACrowdedLocationSortsOnceIntoTheOrderOfAFullRebuild) {
    // Many critters on few rows with objects among them: the ties are where
    // a different sort would show.
    TMapData map;
    for (int i = 0; i < 300; ++i) map.Critters.push_back(MapCritter("c", i % MapCols, 10 + i / MapCols));
    for (int i = 0; i < 200; ++i) map.Objects.push_back(MapObject("o", (i * 3) % MapCols, 9 + i % 7));
    WriteMap("data/locations/crowd.map", map);
    G().NewGame("data\\locations\\crowd.map");
    ASSERT_EQ(W().CritterCount(), 300);
    const auto order = [&] {
        std::string s;
        for (const TDrawEntry& d : W().DrawList->Entries())
            s += (d.Kind == KindCritter ? " C" : " O") + std::to_string(d.Index);
        return s;
    };
    const std::string once = order();
    EXPECT_EQ(W().DrawList->Entries().size(), 500u);
    // What the game did before: a rebuild after every critter stood again.
    for (auto& c : W().Critters) {
        c->SetAnimation(csIdle);
        W().DrawList->Rebuild();
    }
    EXPECT_EQ(order(), once);
}
