#pragma once
#include <string>
#include <vector>

#include "base/Ini.h"

class TMainForm;

// A list box or pick list of the panel: its items and the selected one.
struct TListControl {
    std::vector<std::string> Items;
    int ItemIndex = -1;  // -1 = nothing selected

    void Clear() {
        Items.clear();
        ItemIndex = -1;
    }
    bool HasSelection() const { return ItemIndex >= 0 && size_t(ItemIndex) < Items.size(); }
    std::string Text() const { return HasSelection() ? Items[size_t(ItemIndex)] : std::string(); }
    // Selects the entry equal to `text` exactly; none keeps the selection.
    bool SelectExact(const std::string& text);
};

enum TPanelPage { PageGeneral = 0, PageBrush = 1, PageCritter = 2, PageObjects = 3 };

// The editor panel "Панель Управления" as state. It exists in every mode:
// besides the panel's controls it holds the configuration reader, the
// editor labels of critters and objects, the map script name and the
// hit-type list, which the game uses everywhere.
class TControlForm {
public:
    explicit TControlForm(TMainForm& game) : Game(game) {}

    // Opens game.ini and fills the pick lists.
    void FormCreate();

    TIniFile Config;

    int ActivePage = PageGeneral;

    // Page General.
    TListControl PatternComboBox;
    std::string MapScrLabeledEdit;

    // Page Brush.
    bool MoveBlockRadioButton = true;
    bool ShootBlockRadioButton = false;
    bool MoveAnimRadioButton = false;
    bool ShootAnimRadioButton = false;
    TListControl MoveAnimComboBox;
    bool PaintWalkAnim = true;  // the walk-animation radio button paints the tile byte
    TListControl ShootAnimComboBox;  // the hit-type list

    // Page Critter.
    TListControl CritterListBox;  // entry i = editor label of critter i
    TListControl SkinComboBox;

    // Page Objects.
    TListControl ObjectListBox;  // entry i = editor label of object i
    TListControl ImageComboBox;

    // Refreshes the critter parameters from the selected critter.
    void CritterListBoxClick();
    void ObjectListBoxClick();
    void DelCritterButtonClick();
    // The game screen's placing tools on pages Critter and Objects.
    void AddCritterAt(int x, int y);
    void MoveCritterTo(int x, int y);
    void AddObjectAt(int x, int y);
    void MoveObjectTo(int x, int y);
    void ODeleteButtonClick();

    // The hit-type list by index (empty text outside it).
    std::string HitTypeName(int index) const;
    int HitTypeCount() const { return int(ShootAnimComboBox.Items.size()); }

private:
    TMainForm& Game;
};
