#include <tuple>

#include "app/MainForm.h"
#include "base/Errors.h"
#include "base/FileSystem.h"
#include "critters/Critter.h"
#include "media/Bitmap.h"
#include "media/Sound.h"

namespace {
// Every picture of one load draws on one budget, so a folder of forged files cannot add up to gigabytes.
const TBitmap& LoadPicture(TPictureCache& pictures, const TFileSystem& files, const std::string& path,
                           int64_t& pixelBudget) {
    CheckDataPath(path);
    return pictures.Load(files, path, &pixelBudget);
}

// The section of a critter picture: its name cut before the second
// underscore (metal_walk_shadow -> metal_walk).
std::string CritterSection(const std::string& name) {
    size_t first = name.find('_');
    if (first == std::string::npos) return name;
    size_t second = name.find('_', first + 1);
    return second == std::string::npos ? name : name.substr(0, second);
}
}  // namespace

// The game screen's start: its sounds once, its pictures, and in debug mode a
// default player on the first start.
void TMainForm::GameInit() {
    if (DebugMode && FirstLoad) Platform.SetPanelVisible(true);
    if (!GameSoundsLoaded) LoadGameSounds();
    LoadGameImages();

    if (DebugMode && FirstLoad) {
        World.Reset();
        World.AppendCritter(std::make_shared<tCritter>(Context, 0), "Игрок");
        tCritter& player = *World.Critters[0];
        player.SetDirection(5);
        player.SetSkin("metal");
        player.SetAnimation(csIdle);
        player.StartX = 30;
        player.StartY = 50;
        player.SetPosition(30, 50);
        player.Ammo = 300;
        player.DmgMin = 3;
        player.DmgMax = 6;
        player.Accuracy = 90;
        World.CritterLabels.ItemIndex = 0;
        ControlForm.CritterListBoxClick();
        World.DrawList = std::make_unique<tObjHandler>(Context);
        World.RedrawOrder();
    }

    FirstLoad = false;
    Log("GameInit -> All is done");
}

// The shot sounds, the ricochets, the configuration's sounds and the hit types' impact sounds; once per
// visit to the game screen. A new game loads them before its first location, so the OnCreate of that
// location can already play a sound or write to the console, as on every later location.
void TMainForm::LoadGameSounds() {
    const TIniFile& ini = Config.Ini;
    Log("GameInit -> loading sounds...");
    auto addWave = [&](const std::string& name, const std::string& file) {
        CheckDataPath(file);
        TWaveData wave = LoadWav(Files.ReadFile(file), file);
        DXWL.Add(name, &wave);
    };
    addWave("player_fire", "data\\sounds\\player_fire.wav");
    for (int n = 1; n <= 12; ++n)
        addWave("rico" + std::to_string(n), "data\\sounds\\rico" + std::to_string(n) + ".wav");
    int sounds = Config.Count("Sounds");
    for (int k = 0; k < sounds; ++k) {
        std::string name = ini.ReadString("Sounds", "Sound" + std::to_string(k), "");
        addWave(name, "data\\sounds\\" + name + ".wav");
    }
    for (int t = 0; t < Config.HitTypeCount(); ++t) {
        std::string s = ini.ReadString(Config.HitTypeName(t), "sound", "");
        for (int n = 1; n <= 3; ++n) {
            std::string name = s + std::to_string(n);
            if (s.empty())
                DXWL.Add(name, nullptr);
            else
                addWave(name, "data\\sounds\\" + name + ".wav");
        }
    }
    GameSoundsLoaded = true;
    Log("GameInit -> sounds loaded");
}

// The location picture in 25 pieces, the interface, portraits, impacts, critters and objects.
void TMainForm::LoadGameImages() {
    const TIniFile& ini = Config.Ini;
    Log("GameInit -> Loading images...");
    int64_t pixelBudget = MaxTotalPicturePixels;
    HotReload.ForgetPictures();
    {
        std::string path = "data\\Images\\Locations\\" + World.PatternName + ".bmp";
        const TBitmap& scratch = LoadPicture(Pictures, Files, path, pixelBudget);
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 5; ++col) {
                TImageItem& item = DXIL.Add();
                item.Picture.SetSize(320, 240);
                item.Picture.CopyRect(0, 0, scratch, TRect{col * 320, row * 240, (col + 1) * 320, (row + 1) * 240});
                HotReload.NotePiece(DXIL.Count() - 1, path, col * 320, row * 240);
                item.Name = "pattern" + std::to_string(col) + std::to_string(row);
                item.Transparent = false;
                item.TransparentColor = 0xFF00FF;
            }
    }

    auto addInterface = [&](const std::string& name, int patW, int patH) {
        TImageItem& item = DXIL.Add();
        const std::string file = "data\\Images\\Interface\\" + name + ".bmp";
        item.Picture = LoadPicture(Pictures, Files, file, pixelBudget);
        HotReload.NotePicture(DXIL.Count() - 1, file);
        item.Name = name;
        item.PatternWidth = patW;
        item.PatternHeight = patH;
        item.Transparent = true;
        item.TransparentColor = 0xFF00FF;
    };
    addInterface("Cursor", 0, 0);
    addInterface("CursorO", 0, 0);
    addInterface("CursorA", 0, 0);
    addInterface("Main", 253, 168);
    addInterface("Dialog", 0, 0);

    int heads = Config.Count("Heads");
    for (int k = 0; k < heads; ++k) {
        std::string name = ini.ReadString("Heads", "Head" + std::to_string(k), "");
        TImageItem& item = DXIL.Add();
        if (!name.empty()) {
            const std::string file = "data\\Images\\Portraits\\" + name + ".bmp";
            item.Picture = LoadPicture(Pictures, Files, file, pixelBudget);
            HotReload.NotePicture(DXIL.Count() - 1, file);
        }
        item.Name = name;
        item.Transparent = false;
        item.TransparentColor = 0xFF00FF;
    }

    for (int t = 0; t < Config.HitTypeCount(); ++t) {
        std::string name = ini.ReadString(Config.HitTypeName(t), "image", "");
        TImageItem& item = DXIL.Add();
        if (!name.empty()) {
            const std::string file = "data\\Images\\Misc\\" + name + ".bmp";
            item.Picture = LoadPicture(Pictures, Files, file, pixelBudget);
            HotReload.NotePicture(DXIL.Count() - 1, file);
        }
        item.Name = name;
        item.PatternWidth = 20;
        item.PatternHeight = 40;
        item.Transparent = true;
        item.TransparentColor = 0xFF00FF;
    }

    for (const std::string& line : CritterImages) {
        TImageItem& item = DXIL.Add();
        const std::string file = "data\\Images\\Critters\\" + line + ".bmp";
        item.Picture = LoadPicture(Pictures, Files, file, pixelBudget);
        HotReload.NotePicture(DXIL.Count() - 1, file, true);
        item.Name = line;
        item.Transparent = true;
        item.TransparentColor = item.Picture.Pixel(0, 0);
        std::string section = CritterSection(line);
        item.PatternWidth = ini.ReadInteger(section, "Width", 0);
        item.PatternHeight = ini.ReadInteger(section, "Height", 0);
    }

    const TSpecialObjects& special = Config.SpecialObjects();
    for (const std::string& line : ObjectImages) {
        TImageItem& item = DXIL.Add();
        const std::string file = "data\\Images\\Objects\\" + line + ".bmp";
        item.Picture = LoadPicture(Pictures, Files, file, pixelBudget);
        HotReload.NotePicture(DXIL.Count() - 1, file, true);
        item.Name = line;
        item.Transparent = true;
        item.TransparentColor = item.Picture.Pixel(0, 0);
        item.PatternWidth = 0;
        item.PatternHeight = 0;
        if (const TSpecialObject* s = special.Find(line); s && s->Pattern)
            std::tie(item.PatternWidth, item.PatternHeight) = *s->Pattern;
    }
    Log("GameInit -> Images loaded");
}
