// The editor's whole-location actions: a new empty location, a test play of
// the location as it stands, and the way back from it.
#include "app/MainForm.h"
#include "app/SaveGame.h"
#include "base/Errors.h"
#include "base/Text.h"

void TMainForm::NewMap(const std::string& pattern) {
    // Refused before anything changes: a location with no background picture cannot be shown.
    if (pattern.empty() || !Files.Exists("data\\Images\\Locations\\" + pattern + ".bmp"))
        throw EGameError("There is no location picture \"" + pattern + "\" to start a new location on");
    TMapData map;
    map.PatternName = pattern;
    // The player, as the debug start places it, in the middle of the first screen.
    TMapCritter& player = map.Critters.emplace_back();
    player.Label = "Игрок";
    player.Skin = ControlForm.SkinComboBox.Items.empty() ? "metal" : ControlForm.SkinComboBox.Items.front();
    player.StartX = 20;
    player.StartY = 30;
    player.Direction = 5;
    player.HP = 100;
    player.DmgMin = 3;
    player.DmgMax = 6;
    player.Accuracy = 90;
    player.ScriptName = "obj_def";
    LoadMapData(map, "");
    EditedFile.clear();
    View.ScrollX = View.ScrollY = 0;
}

void TMainForm::StartPlay(int x, int y) {
    if (PlaySnapshot) return;
    if (ScreenMode != smGame || PlayerDeadFlag) throw EGameError("A test play starts from the game screen");
    // The stop loads this back, and a game can only be loaded on a background the data folder has.
    if (!Files.Exists("data\\Images\\Locations\\" + World.PatternName + ".bmp"))
        throw EGameError("The location picture \"" + World.PatternName + "\" is missing: no test play without it");
    std::string snapshot = SerializeGame(*this, DXDraw.Pixels());
    TMapData map = MapOfWorld();
    if (!map.Critters.empty() && TGrid::Inside(x, y) && World.Grid.At(x, y).WalkBlock == 0) {
        map.Critters[0].StartX = x;
        map.Critters[0].StartY = y;
    }
    PlaySnapshot = std::move(snapshot);
    Log("Test play of the location from tile " + std::to_string(x) + "x" + std::to_string(y));
    // The location starts as a load starts it: every OnCreate runs.
    const std::string file = EditedFile;
    LoadMapData(map, CurrentLocation);
    EditedFile = file;
}

void TMainForm::StopPlay() {
    if (!PlaySnapshot) return;
    std::string snapshot = std::move(*PlaySnapshot);
    PlaySnapshot.reset();
    const std::string file = EditedFile;
    LoadGameBytes(*this, snapshot, "test play");
    EditedFile = file;
    Log("Test play stopped");
}
