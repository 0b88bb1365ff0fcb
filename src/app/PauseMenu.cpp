// The pause menu, its pages, and the keys of play (F12, Escape, F5, F9).
#include "app/PauseMenu.h"

#include <algorithm>
#include <ctime>
#include <filesystem>

#include "app/MainForm.h"
#include "app/SaveGame.h"
#include "base/Os.h"
#include "base/Text.h"

namespace fs = std::filesystem;

namespace {
enum : int { VK_F5 = 116, VK_F9 = 120, VK_F12 = 123 };

const TColor Green = 0x00CC00, DarkGreen = 0x002200, Bright = 0x66FF99, PanelFill = 0x0A120A;
const TFontSpec TitleFont{"Tahoma", 12, true, false, Green};
const TFontSpec ItemFont{"Tahoma", 10, true, false, Green};
const TFontSpec SmallFont{"Tahoma", 8, true, false, Green};
const TFontSpec ButtonFont{"Tahoma", 11, false, false, 0};

// Main-menu entries: the button plates' size and column, below the three buttons.
constexpr int EntryX = 60, EntryTop = 250, EntryStep = 38, EntryW = 136, EntryH = 33;

struct TPanel {
    int Left, Top, Right, Bottom;
};

TPanel PanelOf(TPauseMenu::TPage page) {
    switch (page) {
        case TPauseMenu::Save:
        case TPauseMenu::Load:
            return {110, 16, 690, 592};
        case TPauseMenu::Settings:
            return {170, 90, 630, 510};
        case TPauseMenu::ConfirmExit:
        case TPauseMenu::ConfirmOverwrite:
            return {210, 200, 590, 390};
        default:
            return {250, 140, 550, 420};
    }
}

std::string Percent(int v) {
    return std::to_string(v) + "%";
}
const char* YesNo(bool b) {
    return b ? "да" : "нет";
}

void ShadowText(TSurface& s, int x, int y, const std::string& text, TFontSpec font, TColor colour) {
    s.BrushStyle = TBrushStyle::Clear;
    font.Color = DarkGreen;
    s.Font = font;
    s.TextOut(x + 2, y + 2, text);
    s.Font.Color = colour;
    s.TextOut(x, y, text);
}

void CentredText(TSurface& s, int y, const std::string& text, const TFontSpec& font, TColor colour) {
    s.Font = font;
    ShadowText(s, 400 - s.TextExtent(text).Cx / 2, y, text, font, colour);
}

std::string SlotTitle(int slot) {
    return slot == 0 ? std::string("Быстрое сохранение (F5)") : "Ячейка " + std::to_string(slot);
}

std::string DateText(std::time_t t) {
    const std::tm tm = LocalTime(t);
    char buf[32];
    std::strftime(buf, sizeof buf, "%d.%m.%Y %H:%M", &tm);
    return buf;
}

std::string SlotDetail(const TSlotInfo& slot) {
    if (!slot.Exists) return "пусто";
    if (slot.Readable) return slot.Location + ", " + DateText(slot.Saved);
    if (slot.Format != 0 && slot.Format != SaveFormatVersion)
        return "другая версия игры (формат " + std::to_string(slot.Format) + "), не читается";
    return "повреждено, не читается";
}

// A plate of the menu's buttons without its caption: the exit button has the
// shortest one, and the bare metal beside it is repeated over the middle.
TBitmap PlainPlate(const TImageItem& button, int pattern) {
    TBitmap plate(EntryW, EntryH);
    TRect r;
    if (!button.PatternRect(pattern, r)) return plate;
    plate.CopyRect(0, 0, button.Picture, r);
    for (int y = 3; y < EntryH - 3; ++y)
        for (int x = 36; x < EntryW - 36; ++x) plate.SetPixel(x, y, plate.Pixel(16 + x % 18, y));
    return plate;
}
}  // namespace

void TPauseMenu::Sound(const char* name) {
    if (Game.DXWL.Find(name) >= 0) Game.DXWL.Play(name);
}

void TPauseMenu::Open(TPage page) {
    Frame = Game.FrameWithoutPointer();
    Backdrop = Frame;
    for (TColor& c : Backdrop.Data())
        c = ((c & 0xFF) * 2 / 5) | ((((c >> 8) & 0xFF) * 2 / 5) << 8) | ((((c >> 16) & 0xFF) * 2 / 5) << 16);
    if (!FromMainMenu) Game.HoldClock();
    Page = page;
    Hovered = -1;
    if (page == Save || page == Load) RefreshSlots();
}

void TPauseMenu::Close() {
    if (!FromMainMenu) Game.ReleaseClock();
    Page = Closed;
    FromMainMenu = ConfirmFromPanel = false;
    Hovered = -1;
    AnySave = false;
    EntriesChecked = false;
}

void TPauseMenu::Back() {
    Sound("ButOut");
    if (Page == ConfirmOverwrite)
        Page = Save, Hovered = -1;
    else if (Page == Main || FromMainMenu || (Page == ConfirmExit && ConfirmFromPanel))
        Close();
    else
        Page = Main, Hovered = -1;
}

void TPauseMenu::RefreshSlots() {
    Slots.assign(SaveSlotCount, TSlotInfo{});
    for (int i = 0; i < SaveSlotCount; ++i) {
        fs::path file = Game.Dirs.SaveDir() / SaveFileName(i);
        std::error_code ec;
        if (!fs::is_regular_file(file, ec)) continue;
        std::string bytes;
        try {
            bytes = TFileSystem(Game.Dirs.SaveDir()).ReadFile(SaveFileName(i));
            Slots[size_t(i)] = ReadSlotInfo(bytes);
        } catch (const std::exception&) {
            Slots[size_t(i)].Exists = true;
        }
        Slots[size_t(i)].Format = SaveFormat(bytes);
    }
}

std::vector<TPauseMenu::TItem> TPauseMenu::Items() const {
    std::vector<TItem> items;
    auto add = [&](std::string text, int y) { items.push_back({std::move(text), y}); };
    const TSettings& st = Game.Settings;
    switch (Page) {
        case Main: {
            int y = 192;
            for (const char* t : {"Продолжить", "Сохранить", "Загрузить", "Настройки", "Выйти в меню"})
                add(t, y), y += 42;
            break;
        }
        case ConfirmExit:
            add("Да, выйти", 302);
            add("Нет", 342);
            break;
        case ConfirmOverwrite:
            add("Да, записать поверх", 302);
            add("Нет", 342);
            break;
        case Settings: {
            static const char* const scaling[] = {"сглаженный", "целый, чёткий", "растянутый"};
            add(std::string("Экран: ") + (st.FullScreen ? "весь экран" : "окно"), 148);
            add(std::string("Масштаб: ") + scaling[size_t(st.Scaling) % 3], 186);
            add("Музыка: < " + Percent(st.MusicVolume) + " >", 224);
            add("Звуки: < " + Percent(st.EffectsVolume) + " >", 262);
            add(std::string("Без звука: ") + YesNo(st.Mute), 300);
            add(std::string("Без звука, когда окно не активно: ") + YesNo(st.MuteUnfocused), 338);
            add(std::string("Прокрутка у края: ") + YesNo(st.EdgeScroll), 376);
            add("Назад", 450);
            break;
        }
        case Save:
        case Load:
            for (int i = 0; i < SaveSlotCount; ++i) add(SlotTitle(i), 56 + i * 70);
            add("Назад", 552);
            break;
        default:
            break;
    }
    return items;
}

int TPauseMenu::ItemAt(int x, int y) const {
    TPanel p = PanelOf(Page);
    if (x < p.Left + 10 || x > p.Right - 10) return -1;
    auto items = Items();
    bool slots = Page == Save || Page == Load;
    for (size_t i = 0; i < items.size(); ++i) {
        int top = items[i].Y - 4, bottom = items[i].Y + (slots && i + 1 < items.size() ? 64 : 24);
        if (y >= top && y < bottom) return int(i);
    }
    return -1;
}

void TPauseMenu::Render() {
    TSurface& s = Game.DXDraw;
    s.Pixels().CopyRect(0, 0, Backdrop, TRect{0, 0, 800, 600});
    TPanel p = PanelOf(Page);
    s.FillRect(TRect{p.Left, p.Top, p.Right, p.Bottom}, PanelFill);
    s.BrushStyle = TBrushStyle::Clear;
    s.PenColor = DarkGreen;
    s.Rectangle(p.Left + 3, p.Top + 3, p.Right - 3, p.Bottom - 3);
    s.PenColor = Green;
    s.Rectangle(p.Left, p.Top, p.Right, p.Bottom);

    static const char* const titles[] = {
        "", "Пауза", "Сохранить игру", "Загрузить игру", "Настройки", "Выйти в главное меню?", "Записать поверх?"};
    int titleY = Page == Save || Page == Load ? p.Top + 10 : p.Top + 14;
    if (Page != Save && Page != Load) CentredText(s, titleY, titles[Page], TitleFont, Green);
    if (Page == ConfirmExit) CentredText(s, 246, "Несохранённая игра будет потеряна.", SmallFont, Green);
    if (Page == ConfirmOverwrite && OverwriteSlot >= 0 && size_t(OverwriteSlot) < Slots.size()) {
        CentredText(s, 240, SlotTitle(OverwriteSlot) + " уже занята:", SmallFont, Green);
        CentredText(s, 260, SlotDetail(Slots[size_t(OverwriteSlot)]), SmallFont, Green);
    }

    auto items = Items();
    for (size_t i = 0; i < items.size(); ++i) {
        bool hot = int(i) == Hovered;
        TColor colour = hot ? Bright : Green;
        bool slotRow = (Page == Save || Page == Load) && i + 1 < items.size();
        if (!slotRow) {
            CentredText(s, items[i].Y, items[i].Text, ItemFont, colour);
            continue;
        }
        int y = items[i].Y;
        const TSlotInfo& slot = i < Slots.size() ? Slots[i] : TSlotInfo{};
        if (hot) s.FillRect(TRect{p.Left + 8, y - 4, p.Right - 8, y + 64}, 0x183018);
        s.PenColor = DarkGreen;
        s.Rectangle(130, y, 212, y + 62);
        if (slot.Readable && !slot.Thumb.Empty()) s.Pixels().CopyRect(131, y + 1, slot.Thumb, TRect{0, 0, 80, 60});
        ShadowText(s, 228, y + 4, items[i].Text, ItemFont, colour);
        ShadowText(s, 228, y + 30, SlotDetail(slot), SmallFont, colour);
    }
    if (Page == Save || Page == Load) {
        s.BrushStyle = TBrushStyle::Clear;
        ShadowText(s, 130, p.Top + 8, titles[Page], TitleFont, Green);
    }
    Game.RenderNotice();
    if (TImageItem* cursor = Game.DXIL.FindItem("Cursor")) s.Draw(*cursor, MouseX - 16, MouseY - 16, 0);
    s.Release();
}

void TPauseMenu::MouseMove(int x, int y) {
    MouseX = x;
    MouseY = y;
    // The pointer is there when the game goes on, too.
    Game.View.MouseX = x, Game.View.MouseY = y;
    Hovered = ItemAt(x, y);
}

void TPauseMenu::MouseDown(int button, int x, int y) {
    MouseMove(x, y);
    if (button == mbRight) {
        Back();
        return;
    }
    if (button != mbLeft) return;
    int item = ItemAt(x, y);
    if (item < 0) return;
    Sound("ButIn");
    Activate(item, x);
}

void TPauseMenu::Activate(int item, int x) {
    TSettings& st = Game.Settings;
    switch (Page) {
        case Main:
            if (item == 0)
                Close();
            else if (item == 1)
                Page = Save, RefreshSlots();
            else if (item == 2)
                Page = Load, RefreshSlots();
            else if (item == 3)
                Page = Settings;
            else if (item == 4)
                Page = ConfirmExit, ConfirmFromPanel = false;
            break;
        case ConfirmExit:
            if (item == 0) {
                Close();
                Game.StartMainMenu();
            } else {
                Back();
            }
            return;
        case Settings: {
            int step = x < 400 ? -10 : 10;
            switch (item) {
                case 0:
                    st.FullScreen = !st.FullScreen;
                    break;
                case 1:
                    st.Scaling = TScaling((int(st.Scaling) + 1) % 3);
                    break;
                case 2:
                    st.MusicVolume = std::clamp(st.MusicVolume + step, 0, 100);
                    break;
                case 3:
                    st.EffectsVolume = std::clamp(st.EffectsVolume + step, 0, 100);
                    break;
                case 4:
                    st.Mute = !st.Mute;
                    break;
                case 5:
                    st.MuteUnfocused = !st.MuteUnfocused;
                    break;
                case 6:
                    st.EdgeScroll = !st.EdgeScroll;
                    break;
                default:
                    Back();
                    return;
            }
            Game.SaveSettings();
            break;
        }
        case Save:
            if (item >= SaveSlotCount) return Back();
            // A slot in use is written over only when the player says so.
            if (size_t(item) < Slots.size() && Slots[size_t(item)].Exists) {
                OverwriteSlot = item, Page = ConfirmOverwrite;
                break;
            }
            if (SaveGameSlot(Game, item)) Close();
            break;
        case ConfirmOverwrite:
            if (item == 0 && SaveGameSlot(Game, OverwriteSlot)) {
                Close();
                return;
            }
            Page = Save, RefreshSlots();
            break;
        case Load:
            if (item >= SaveSlotCount) return Back();
            if (size_t(item) < Slots.size() && Slots[size_t(item)].Readable) {
                // Loading from the main menu starts the game; from the pause menu it replaces it.
                bool fromMenu = FromMainMenu;
                if (LoadGameSlot(Game, item)) {
                    if (fromMenu)
                        FromMainMenu = false, Page = Closed;
                    else
                        Close();
                }
            }
            break;
        default:
            break;
    }
    Hovered = ItemAt(MouseX, MouseY);
}

void TPauseMenu::Keys() {
    auto pressed = [&](int vk) {
        bool down = Game.DXI.KeyDown(vk), edge = Game.DXI.Pressed[size_t(vk)] || (down && !Latch[size_t(vk)]);
        Latch[size_t(vk)] = down;
        Game.DXI.Pressed[size_t(vk)] = false;
        return edge;
    };
    bool f12 = pressed(VK_F12), esc = pressed(VK_ESCAPE), f5 = pressed(VK_F5), f9 = pressed(VK_F9);
    if (Game.ScreenMode != smMainMenu) EntriesChecked = false;
    if (f12) {
        std::string path = Game.SaveScreenshot();
        if (Game.ScreenMode != smMainMenu && !IsOpen())
            Game.AddConsole("Снимок экрана: " + fs::path(path).filename().string());
    }
    bool play = !Game.DebugMode && Game.ScreenMode != smMainMenu && !Game.Closed;
    if (esc) {
        if (IsOpen())
            Back();
        // Over a dialog too: the world stops beneath it and "Продолжить" goes back to the dialog as it was.
        else if (play && (Game.ScreenMode == smGame || Game.ScreenMode == smDialog) && !Game.PlayerDeadFlag)
            Sound("ButIn"), Open(Main);
    }
    if (play && !IsOpen()) {
        if (f5) SaveGameSlot(Game, 0);
        if (f9) LoadGameSlot(Game, 0);
    }
}

void TPauseMenu::DrawMenuEntries() {
    if (!EntriesChecked) {
        EntriesChecked = true;
        AnySave = false;
        std::error_code ec;
        for (int i = 0; i < SaveSlotCount && !AnySave; ++i)
            AnySave = fs::is_regular_file(Game.Dirs.SaveDir() / SaveFileName(i), ec);
    }
    TImageItem* button = Game.DXIL.FindItem("Button");
    if (!button) return;
    if (Plates[0].Empty()) Plates[0] = PlainPlate(*button, 4), Plates[1] = PlainPlate(*button, 5);
    TSurface& s = Game.DXDraw;
    int n = 0;
    for (int e = 0; e < 2; ++e) {
        if (e == 0 && !AnySave) continue;
        int y = EntryTop + n++ * EntryStep;
        s.Pixels().CopyRect(EntryX, y, Plates[EntryHighlighted[e] ? 1 : 0], TRect{0, 0, EntryW, EntryH});
        std::string text = e == 0 ? "Загрузить" : "Настройки";
        // The size and colours of the three buttons' captions above (15 pixels).
        s.Font = ButtonFont;
        const TSize size = s.TextExtent(text);
        const int tx = EntryX + (EntryW - size.Cx) / 2, ty = y + (EntryH - size.Cy) / 2;
        s.BrushStyle = TBrushStyle::Clear;
        s.Font.Color = 0x000000;
        s.TextOut(tx + 1, ty + 1, text);
        s.Font.Color = EntryHighlighted[e] ? 0xB0F0FF : 0xA0C0D8;
        s.TextOut(tx, ty, text);
    }
    s.Release();
}

int TPauseMenu::EntryAt(int x, int y) const {
    int n = 0;
    for (int e = 0; e < 2; ++e) {
        if (e == 0 && !AnySave) continue;
        int top = EntryTop + n++ * EntryStep;
        if (x >= EntryX && x < EntryX + EntryW && y >= top && y < top + EntryH) return e;
    }
    return -1;
}

void TPauseMenu::MenuEntryHover(int x, int y) {
    int e = EntryAt(x, y);
    for (int i = 0; i < 2; ++i) EntryHighlighted[i] = i == e;
}

bool TPauseMenu::MenuEntryClick(int x, int y) {
    int e = EntryAt(x, y);
    if (e < 0) return false;
    Sound("ButIn");
    EntryHighlighted[e] = false;
    FromMainMenu = true;
    Open(e == 0 ? Load : Settings);
    MouseX = x, MouseY = y;
    return true;
}
