// Scripts run in a whole game, with operands at the extremes: each input byte
// picks a token (a command word, or a number such as -2147483648, 2147483647,
// -1, 80 or 120), the tokens become the map script's timer node, and the game
// plays a few frames with it while critters walk, fire and are drawn. No
// input may crash, hang, exhaust memory or do anything undefined.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include "app/MainForm.h"
#include "critters/Critter.h"
#include "media/Bitmap.h"
#include "platform/HeadlessPlatform.h"
#include "world/MapFormat.h"

namespace {
namespace fs = std::filesystem;

const char* const Tokens[] = {
    "-2147483648", "2147483647", "-2147483647", "-1", "0", "1", "2", "5", "79", "80", "119", "120", "$FFFFFFFF",
    "ADD", "SUB", "MUL", "DIV", "MOD", "EQU", "NOT", "G", "L", "GE", "LE", "RND", "DIST", "SELF", "SELFTYPE",
    "GETGVAR", "SETGVAR", "GETLVAR", "SETLVAR", "GOTOXY", "MOVETO", "FIRE", "STOPFIRE", "STOP", "SETDIR", "GETDIR",
    "GETX", "GETY", "GETHP", "SETHP", "GETAMMO", "SETAMMO", "SETVICTIM", "GETVICTIM", "GETVIS", "SETVIS",
    "MAKEDEAD", "DISABLE", "SETSCROLL", "CHANGEHEAD", "STARTDIALOG", "QUESTION", "ANSWER", "ENDDIALOG",
    "ADDCONSOLE", "SETTIMER", "DISABLETIMER", "1", "Run", "CALL", "IFCALL", "top", "GOTO", "IFGOTO", "head",
};
constexpr size_t TokenCount = sizeof(Tokens) / sizeof(Tokens[0]);

void Write(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

void PutLe(std::string& s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s += char(v >> (8 * i));
}

std::string Wave() {
    std::string s = "RIFF";
    PutLe(s, 36 + 8, 4);
    s += "WAVEfmt ";
    for (uint32_t v : {16u}) PutLe(s, v, 4);
    PutLe(s, 1, 2);
    PutLe(s, 1, 2);
    PutLe(s, 22050, 4);
    PutLe(s, 22050, 4);
    PutLe(s, 1, 2);
    PutLe(s, 8, 2);
    s += "data";
    PutLe(s, 8, 4);
    return s + std::string(8, char(0x80));
}

// The smallest data folder a debug game starts on, and a location with a few critters and objects.
struct TFuzzGame {
    fs::path Root = fs::temp_directory_path() / ("rw-fuzz-world-" + std::to_string(::getpid()));
    THeadlessPlatform Platform;
    std::unique_ptr<TMainForm> Game;
    int Runs = 0;

    TFuzzGame() {
        const std::string bmp = SaveBmp(TBitmap(40, 60, 0xFF00FF));
        Write(Root / "data/data/game.ini", "[Main]\nHeads=1\nHitTypes=1\n[Heads]\nHead0=head\n[HitTypes]\nType0=dust\n"
                                           "[metal_idle]\nFrames=2\nWidth=20\nHeight=30\n[metal_walk]\nFrames=2\n"
                                           "Width=20\nHeight=30\n[metal_fire]\nFrames=4\nWidth=20\nHeight=30\n"
                                           "[metal_death]\nFrames=2\nWidth=20\nHeight=30\n");
        Write(Root / "data/Images/Critters/Critters.lst", "metal_idle\r\nmetal_walk\r\nmetal_fire\r\nmetal_death\r\n");
        for (const char* n : {"metal_idle", "metal_walk", "metal_fire", "metal_death"})
            Write(Root / "data/Images/Critters" / (std::string(n) + ".bmp"), bmp);
        Write(Root / "data/Images/Objects/Objects.lst", "crate\r\n");
        Write(Root / "data/Images/Objects/crate.bmp", bmp);
        Write(Root / "data/Images/Locations/Locations.lst", "pattern1\r\n");
        Write(Root / "data/Images/Locations/pattern1.bmp", SaveBmp(TBitmap(16, 16, 0x406080)));
        for (const char* n : {"Cursor", "CursorO", "CursorA", "Main", "Dialog"})
            Write(Root / "data/Images/Interface" / (std::string(n) + ".bmp"), bmp);
        Write(Root / "data/Images/Portraits/head.bmp", bmp);
        Write(Root / "data/sounds/player_fire.wav", Wave());
        for (int n = 1; n <= 12; ++n) Write(Root / "data/sounds" / ("rico" + std::to_string(n) + ".wav"), Wave());
        TMapData map;
        map.MapScript = "fuzz";
        for (int i = 0; i < 3; ++i) {
            TMapCritter& c = map.Critters.emplace_back();
            c.Skin = "metal";
            c.StartX = 10 + i;
            c.StartY = 10 + 2 * i;
            c.HP = 30;
            c.DmgMax = 5;
            c.Accuracy = 50;
        }
        for (int i = 0; i < 2; ++i) {
            TMapObject& o = map.Objects.emplace_back();
            o.ImageName = "crate";
            o.X = 12 + i;
            o.Y = 8;
        }
        Write(Root / "data/locations/fuzz.map", SerializeMap(map));
        Write(Root / "data/scripts/fuzz.sc", "");

        TGameOptions options;
        options.DataDir = Root.string();
        options.GameParams = {"debug"};
        options.Seed = 1;
        options.Headless = true;
        Platform.VirtualClock.Set(100000);
        Game = std::make_unique<TMainForm>(options, Platform);
        Game->Scripts.StepLimit = 20000;
        Game->Scripts.DepthLimit = 32;
        if (!Game->Start()) std::abort();
    }
    ~TFuzzGame() {
        Game.reset();
        std::error_code ec;
        fs::remove_all(Root, ec);
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TFuzzGame fuzz;
    TMainForm& g = *fuzz.Game;
    std::string node = "[OnTimer]\n";
    for (size_t i = 0; i < size && i < 256; ++i)
        node += (i == 0 ? "top" : std::to_string(i)) + "=" + Tokens[data[i] % TokenCount] + "\n";
    Write(fuzz.Root / "data/scripts/fuzz.sc", "[OnCreate]\n1=1\n2=SETTIMER\n[Run]\n1=2147483647\n2=RND\n" + node);
    // A fresh location now and then, so what one input did to it does not pile up.
    if (fuzz.Runs++ % 64 == 0 || g.World.CritterCount() != 3)
        g.Guard([&] { g.LoadMap("data\\locations\\fuzz.map"); });
    g.ScreenMode = smGame;
    g.DXDrawMouseMove(int(data[0]) * 3, size > 1 ? int(data[1]) * 2 : 0);
    // A whole frame now and then; in between the script's timer, the critters and the sprites, which is
    // where its numbers go, at a fraction of the cost.
    const bool wholeFrame = fuzz.Runs % 8 == 0;
    g.DXT.Enabled = wholeFrame;
    for (int step = 0; step < 3; ++step) {
        fuzz.Platform.VirtualClock.Advance(60);
        g.Tick();
        if (wholeFrame) continue;
        const uint64_t generation = g.World.Generation;
        for (int i = 0; i < g.World.CritterCount() && g.World.Generation == generation; ++i)
            g.Guard([&] { g.World.Critters[size_t(i)]->Update(); });
        if (g.World.DrawList) {
            g.World.DrawList->Draw();
            int32_t kind = -1;
            g.World.DrawList->Pick(g.View.MouseX, g.View.MouseY, kind);
        }
    }
    g.DXT.Enabled = true;
    if (g.World.MapScript) g.World.MapScript->Stack.clear();
    g.Errors.clear();
    g.ConsoleLines.clear();
    return 0;
}
