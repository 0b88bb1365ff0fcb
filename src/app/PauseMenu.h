#pragma once
#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "media/Bitmap.h"

class TMainForm;

// What the save-slot pages show of one slot.
struct TSlotInfo {
    bool Exists = false;
    bool Readable = false;
    std::string Location;  // the location's title
    uint32_t Format = 0;    // the file's format number, 0 when it is no saved game
    std::time_t Saved = 0;
    TBitmap Thumb;  // 80 x 60
};

// The pause menu over the game (Escape), its pages for the save slots, the
// settings and the confirmation to leave; the settings and loading pages are
// also reached from the main menu, through two entries below its buttons.
// While it is open the world stands still: no frame of the game runs and the
// game clock is held.
class TPauseMenu {
public:
    enum TPage : uint8_t { Closed, Main, Save, Load, Settings, ConfirmExit, ConfirmOverwrite };

    explicit TPauseMenu(TMainForm& game) : Game(game) {}

    bool IsOpen() const { return Page != Closed; }
    // From the game screen: holds the clock and keeps the frame as the backdrop.
    void Open(TPage page = Main);
    // Back to the game (or to the main menu's buttons); the clock runs on.
    void Close();
    void Render();
    void MouseMove(int x, int y);
    void MouseDown(int button, int x, int y);
    // Escape: one page back, or back to the game.
    void Back();

    // The main menu's extra entries below its three buttons.
    void DrawMenuEntries();
    // True when the click was on an entry (and the entry has acted).
    bool MenuEntryClick(int x, int y);
    void MenuEntryHover(int x, int y);

    // The keys of play: F12 everywhere, Escape, F5 and F9 in the game screen.
    void Keys();

    TPage Page = Closed;
    int32_t Hovered = -1;
    bool FromMainMenu = false;
    bool ConfirmFromPanel = false;  // "Нет" goes straight back to the game
    int32_t OverwriteSlot = -1;     // the slot ConfirmOverwrite asks about
    TBitmap Frame;                  // the game's last frame, for the save slots' pictures
    TBitmap Backdrop;               // the same, dimmed behind the menu
    std::vector<TSlotInfo> Slots;
    bool AnySave = false;
    bool EntryHighlighted[2] = {};
    bool EntriesChecked = false;
    int32_t MouseX = 400, MouseY = 300;

private:
    struct TItem {
        std::string Text;
        int Y = 0;
    };
    std::vector<TItem> Items() const;
    int ItemAt(int x, int y) const;
    void Activate(int item, int x);
    void RefreshSlots();
    void Sound(const char* name);
    int EntryAt(int x, int y) const;

    TMainForm& Game;
    std::array<bool, 256> Latch{};
    TBitmap Plates[2];  // the entries' plates, plain and highlighted
};
