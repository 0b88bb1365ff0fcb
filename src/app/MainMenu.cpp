// The main menu: the logo splash, three buttons and the credits roll; and
// the ways between the menu and the game.
#include <algorithm>
#include <optional>

#include "app/MainForm.h"
#include "base/Text.h"
#include "critters/Critter.h"
#include "media/Bitmap.h"
#include "screens/Credits.h"
#include "world/Obj.h"

namespace {
enum { SubMenu = 0, SubSplash = 1, SubCredits = 2 };
enum { ButtonNewGame = 0, ButtonCredits = 1, ButtonExit = 2 };

struct TButtonPlace {
    int DrawX, DrawY, Left, Right, Top, Bottom;
};
constexpr TButtonPlace Buttons[3] = {
    {60, 122, 60, 195, 122, 154},
    {60, 160, 61, 195, 161, 192},
    {60, 199, 61, 195, 200, 231},
};

bool Inside(int b, int x, int y) {
    const TButtonPlace& p = Buttons[b];
    return x >= p.Left && x <= p.Right && y >= p.Top && y <= p.Bottom;
}

const TFontSpec CreditsFont{"Tahoma", 12, false, false, 0x00CC00};
}  // namespace

void TMainForm::MMInit() {
    Log("TMainForm.MMInit -> Loading started...");
    // A missing or broken menu file leaves its item empty: it draws or plays nothing and the
    // game still starts. A missing file goes to the log; one that cannot be read is reported.
    auto load = [&](const std::string& file, const auto& read) {
        if (!Files.Exists(file)) {
            Log("TMainForm.MMInit -> " + file + " not found");
            return;
        }
        try {
            read();
        } catch (const EGameError& e) {
            ReportError(e);
        }
    };
    auto addPicture = [&](const std::string& name, const std::string& file, bool transparent, int patW, int patH) {
        TImageItem& item = DXIL.Add();
        load(file, [&] { item.Picture = Pictures.Load(Files, file); });
        item.Name = name;
        item.Transparent = transparent;
        item.TransparentColor = 0xFF00FF;
        item.PatternWidth = patW;
        item.PatternHeight = patH;
    };
    addPicture("Cursor", "data\\Images\\Interface\\Cursor.bmp", true, 0, 0);
    addPicture("MainMenu", "data\\Images\\Interface\\MainMenu.bmp", false, 0, 0);
    addPicture("Credits", "data\\Images\\Interface\\Credits.bmp", false, 0, 0);
    addPicture("Vorteline", "data\\Images\\Interface\\Vorteline.bmp", false, 0, 0);
    addPicture("Button", "data\\Images\\Interface\\MMBtn.bmp", false, 136, 33);
    for (const char* name : {"Vorteline", "ButIn", "ButOut"}) {
        std::string file = std::string("data\\sounds\\") + name + ".wav";
        std::optional<TWaveData> wave;
        load(file, [&] { wave = LoadWav(Files.ReadFile(file), file); });
        DXWL.Add(name, wave ? &*wave : nullptr);
    }

    Menu.PhaseStart = Now();
    Log("TMainForm.MMInit -> trying to load music...");
    MusicFile = CopyMusic("data\\Music\\MainMenu.mp3");
    if (Menu.CreditsOnly) {
        PlayMusic(MusicFile);
        Menu.SubState = SubCredits;
        DXT.Interval = 10;
        Menu.PhaseStart = Now();
    } else if (Menu.ReturnToMenu) {
        PlayMusic(MusicFile);
        Menu.SubState = SubMenu;
        DXT.Interval = 10;
    } else {
        DXWL.Play("Vorteline");
        Menu.SubState = SubSplash;
        DXT.Interval = 46;
    }
    Log("TMainForm.MMInit -> music loaded. playing Fuck =)..");
}

void TMainForm::PlayMusic(const std::string& fileName) {
    MusicOn = false;
    if (MusicBroken) return;
    IMusicPlayer& player = Platform.MusicPlayer();
    std::string real = Files.Resolve(fileName).string();
    if (player.Open(real) && player.Play()) {
        MusicOn = true;
    } else {
        MusicBroken = true;
        Log("TMainForm -> cannot play " + real + "; music off until the main menu");
    }
}

std::string TMainForm::CopyMusic(const std::string& track) {
    // The copy goes to the player's own cache: the data folder of an installed game is read-only, and a
    // copy left there by a killed game would outlive the package.
    const std::filesystem::path copy = Dirs.MusicCopy();
    try {
        std::error_code ec;
        std::filesystem::create_directories(copy.parent_path(), ec);
        WriteRealFileAtomic(copy, Files.ReadFile(track), copy.string());
        return copy.string();
    } catch (const std::exception& e) {
        Log("TMainForm -> cannot copy " + track + " to " + copy.string() + ": " + e.what());
    }
    // The mixer plays the track from its own file just as well.
    return track;
}

void TMainForm::DeleteMusicCopy() {
    std::error_code ec;
    std::filesystem::remove(Dirs.MusicCopy(), ec);
}

void TMainForm::StartGameMusic() {
    StopMusic();
    DeleteMusicCopy();
    MusicFile = CopyMusic("data\\Music\\loc01.mp3");
    PlayMusic(MusicFile);
}

void TMainForm::StopMusic() {
    if (!MusicOn) return;
    Platform.MusicPlayer().Stop();
    Platform.MusicPlayer().Close();
}

void TMainForm::MMRender() {
    uint32_t now = Now();
    uint32_t t = now - Menu.PhaseStart;
    TImageItem* logo = DXIL.FindItem("Vorteline");
    switch (Menu.SubState) {
        case SubSplash:
            if (t < 3000) {
                Menu.LogoAlpha = std::min(Menu.LogoAlpha + 6, 255);
                DXDraw.Fill(0);
                if (logo) DXDraw.DrawAlpha(*logo, TRect{250, 240, 550, 360}, 0, Menu.LogoAlpha);
            } else if (t <= 6000) {
                if (logo) DXDraw.Draw(*logo, 250, 240, 0);
            } else {
                Menu.LogoAlpha -= 6;
                DXDraw.Fill(0);
                if (logo) DXDraw.DrawAlpha(*logo, TRect{250, 240, 550, 360}, 0, Menu.LogoAlpha);
            }
            if (t >= 9000) {
                Menu.SubState = SubMenu;
                DXT.Interval = 10;
                PlayMusic(MusicFile);
                Log("TMainForm.MMInit -> music started.");
            }
            break;
        case SubMenu: {
            if (TImageItem* bg = DXIL.FindItem("MainMenu")) DXDraw.Draw(*bg, 0, 0, 0);
            if (TImageItem* button = DXIL.FindItem("Button"))
                for (int b = 0; b < 3; ++b)
                    DXDraw.Draw(*button, Buttons[b].DrawX, Buttons[b].DrawY, b * 2 + (Menu.Highlighted[b] ? 1 : 0));
            Pause.DrawMenuEntries();
            if (TImageItem* cursor = DXIL.FindItem("Cursor"))
                DXDraw.Draw(*cursor, View.MouseX - 16, View.MouseY - 16, 0);
            break;
        }
        case SubCredits: RenderCredits(now); break;
    }
}

void TMainForm::RenderCredits(uint32_t now) {
    if (TImageItem* bg = DXIL.FindItem("Credits")) DXDraw.Draw(*bg, 0, 0, 0);
    DXI.Poll();
    if (DXI.KeyDown(VK_ESCAPE)) {
        LeaveCredits();
        return;
    }
    if (DXI.KeyDown(VK_SPACE)) {
        if (!Menu.SpaceLatch) {
            Menu.SpaceLatch = true;
            if (!Menu.Paused)
                Menu.PausedElapsed = now - Menu.PhaseStart;
            else
                Menu.PhaseStart = now - Menu.PausedElapsed;
            Menu.Paused = !Menu.Paused;
        }
    } else {
        Menu.SpaceLatch = false;
    }
    const auto& lines = CreditsLines();
    int count = int(lines.size());
    int p = int((Menu.Paused ? Menu.PausedElapsed : now - Menu.PhaseStart) / 50);
    Menu.CreditsOffset = p;
    int first = p <= 616 ? 0 : (p - 616) / 16;
    if (first >= count) {
        LeaveCredits();
        return;
    }
    int last = std::min(p / 16, count - 1);
    for (int i = first; i <= last; ++i) {
        std::string text = lines[size_t(i)];
        TFontSpec font = CreditsFont;
        TColor colour = 0x00CC00;
        if (text.rfind("\\b", 0) == 0) font.Bold = true, text.erase(0, 2);
        if (text.rfind("\\i", 0) == 0) font.Italic = true, text.erase(0, 2);
        if (text.rfind("\\c", 0) == 0) {
            if (auto c = TryStrToInt(text.substr(2, 7))) colour = TColor(*c);
            text.erase(0, std::min<size_t>(9, text.size()));
        }
        DXDraw.BrushStyle = TBrushStyle::Clear;
        DXDraw.Font = font;
        int half = DXDraw.TextExtent(text).Cx / 2;
        DXDraw.Font.Color = 0x333333;
        DXDraw.TextOut(402 - half, 602 - p + 16 * i, text);
        DXDraw.Font.Color = colour;
        DXDraw.TextOut(400 - half, 600 - p + 16 * i, text);
        DXDraw.Release();
    }
}

void TMainForm::LeaveCredits() {
    if (Menu.CreditsOnly) {
        Closed = true;
        Platform.CloseMainWindow();
    }
    Menu.SubState = SubMenu;
}

void TMainForm::MMMouseMove(int x, int y) {
    View.MouseX = x;
    View.MouseY = y;
    if (Menu.SubState != SubMenu) return;
    Pause.MenuEntryHover(x, y);
    for (int b = 0; b < 3; ++b) {
        if (!Menu.Pressed[b]) continue;
        bool in = Inside(b, x, y);
        if (in && !Menu.Highlighted[b]) {
            DXWL.Play("ButIn");
            Menu.Highlighted[b] = true;
        } else if (!in && Menu.Highlighted[b]) {
            DXWL.Play("ButOut");
            Menu.Highlighted[b] = false;
        }
    }
}

void TMainForm::MMMouseDown(int button, int, int) {
    if (Menu.SubState == SubCredits) {
        LeaveCredits();
        Menu.Highlighted[ButtonCredits] = Menu.Pressed[ButtonCredits] = false;
        return;
    }
    if (Menu.SubState != SubMenu || button != mbLeft) return;
    if (Pause.MenuEntryClick(View.MouseX, View.MouseY)) return;
    for (int b = 0; b < 3; ++b)
        if (Inside(b, View.MouseX, View.MouseY)) {
            Menu.Pressed[b] = Menu.Highlighted[b] = true;
            DXWL.Play("ButIn");
        }
}

void TMainForm::MMMouseUp(int, int, int) {
    if (Menu.SubState != SubMenu) return;
    for (int b = 0; b < 3; ++b) {
        if (!Menu.Pressed[b]) continue;
        DXWL.Play("ButOut");
        bool in = Inside(b, View.MouseX, View.MouseY);
        Menu.Pressed[b] = Menu.Highlighted[b] = false;
        if (!in) continue;
        if (b == ButtonNewGame) {
            NewGame();
            return;
        }
        if (b == ButtonCredits) {
            Menu.SubState = SubCredits;
            Menu.PhaseStart = Now();
            Menu.Paused = false;
            DXDraw.BrushStyle = TBrushStyle::Clear;
        } else if (b == ButtonExit) {
            StopMusic();
            DeleteMusicCopy();
            Closed = true;
            Platform.CloseMainWindow();
            return;
        }
    }
}

void TMainForm::NewGame(const std::string& location) {
    Log("TMainForm.MMMouseUp -> Loading started...");
    World.DrawList = std::make_unique<tObjHandler>(Context);
    ScreenMode = smGame;
    try {
        LoadMap(location);
    } catch (...) {
        // Without its first location there is no game to show: back to the
        // menu, and the error report says why.
        BackToMenu(false);
        throw;
    }
    Log("TMainForm.MMMouseUp -> Map loaded");
    FirstLoad = false;
    for (auto& c : World.Critters) c->SetAnimation(csIdle);
    for (auto& o : World.Objects) o->SetImage(o->ImageName);
    View.ScrollX = -800;
    View.ScrollY = 0;
    Log("TMainForm.MMMouseUp -> trying to start music...");
    StartGameMusic();
    Log("TMainForm.MMMouseUp -> music started.");
}

void TMainForm::BackToMenu(bool credits) {
    DXT.Enabled = false;
    DXIL.Clear();
    FinalizeSurface();
    ScreenMode = smMainMenu;
    ConsoleLines.clear();
    World.DrawList.reset();
    DXWL.Clear();
    FirstLoad = true;
    Menu.ReturnToMenu = true;
    Menu.Highlighted[ButtonNewGame] = Menu.Pressed[ButtonNewGame] = false;
    if (!credits) {
        View.LeftHeld = View.RightHeld = View.MiddleDrag = false;
        PlayerDeadFlag = false;
        // Back in the main menu the music gets a fresh try.
        MusicBroken = false;
    }
    InitializeSurfaceAndTimer();
}

void TMainForm::StartMainMenu() {
    for (auto& cell : World.Grid.Raw()) cell.Occupant = -1;
    Scripts.GlobalVars.fill(0);
    BackToMenu(false);
}

void TMainForm::ShowCredits() {
    Menu.CreditsOnly = true;
    DeleteMusicCopy();
    BackToMenu(true);
    DXDraw.BrushStyle = TBrushStyle::Clear;
    Menu.SubState = SubCredits;
    Menu.PhaseStart = Now();
    Menu.Paused = false;
}
