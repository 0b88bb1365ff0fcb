#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/model/EditCommands.h"
#include "editor/model/EditHistory.h"
#include "editor/model/EditorHost.h"
#include "editor/model/FileDialog.h"
#include "editor/model/PanelControls.h"
#include "world/WorldContext.h"

class TFileSystem;
class tCritter;
class tObj;

enum TPanelPage { PageGeneral = 0, PageBrush = 1, PageCritter = 2, PageObjects = 3 };

// The shapes of the brush page's tool list, by item index.
enum TBrushTool { ToolPoint = 0, ToolLine = 1, ToolRect = 2, ToolFill = 3 };

// The component names of the pages, by page index.
extern const char* const PanelPageNames[4];

// What the critter parameters say, as Apply and Add use it.
struct TCritterValues {
    int X = 0, Y = 0;
    int Direction = 0;
    std::string Skin;
    std::string Label;
    int HP = 0;
    bool Invisible = false, Disabled = false;
    std::string ScriptName;
    int DmgMin = 0, DmgMax = 0;
    int Accuracy = 0;
    bool UseLabel = false;  // a new critter takes Label instead of "NPC" and its number
};

// What the object parameters say.
struct TObjectValues {
    int X = 0, Y = 0;
    int OffsetX = 0, OffsetY = 0;
    std::string ImageName;
    std::string Label;
    bool Invisible = false, Disabled = false;
    std::string ScriptName;
};

// A control of the panel by its component name, for the headless input and
// the dump. Exactly one of the pointers is set.
struct TControlRef {
    const char* Name;
    TSpinEdit* Spin = nullptr;
    TListControl* Combo = nullptr;
    bool* Check = nullptr;
    bool* Radio = nullptr;
    std::string* Edit = nullptr;
};

// The editor panel "Панель Управления" as state. It exists in every mode:
// its creation reads the game's configuration, and it holds the map script
// name the game uses. Every change of the location made here goes through
// the edit history, so it can be undone.
class TControlForm {
public:
    TControlForm(TWorldContext& game, TGameConfig& config, TFileSystem& files, IEditorHost& host);
    TControlForm(const TControlForm&) = delete;
    TControlForm& operator=(const TControlForm&) = delete;

    // Opens game.ini and fills the pick lists.
    void FormCreate();

    int ActivePage = PageGeneral;

    // Page General.
    TListControl PatternComboBox;
    std::string MapScrLabeledEdit;

    // Page Brush: one radio group.
    bool MoveBlockRadioButton = true;
    bool ShootBlockRadioButton = false;
    bool WallRadioButton = false;  // walk and shoot block together
    bool MoveAnimRadioButton = false;
    bool ShootAnimRadioButton = false;
    TListControl MoveAnimComboBox;
    bool PaintWalkAnim = true;       // the walk-animation radio button paints the tile byte
    TListControl ShootAnimComboBox;  // shows the configuration's hit types
    TListControl ToolComboBox;       // point, line, rectangle, flood fill (TBrushTool)

    // Page Critter.
    TListControl& CritterListBox;  // the world's critter labels
    TSpinEdit XSpinEdit, YSpinEdit;
    TListControl DirComboBox;
    TListControl SkinComboBox;
    TSpinEdit HPSpinEdit;
    std::string NameLabeledEdit;
    bool NameReadOnly = false;  // the player's label cannot be edited
    std::string ScriptLabeledEdit = "obj_def";
    TSpinEdit DmgMinSpinEdit, DmgMaxSpinEdit;
    TSpinEdit AccurancySpinEdit;
    bool InvisibleCheckBox = false;
    bool DisabledCheckBox = false;
    bool DelCritterButtonEnabled = false;

    // Page Objects.
    TListControl& ObjectListBox;  // the world's object labels
    TSpinEdit OXSpinEdit, OYSpinEdit;
    TSpinEdit OXOSpinEdit, OYOSpinEdit;
    TListControl ImageComboBox;
    std::string ONameLabeledEdit;
    std::string OScriptLabeledEdit;
    bool OInvisibleCheckBox = false;
    bool ODisabledCheckBox = false;
    bool ODeleteButtonEnabled = false;

    // The game screen's aids: the tile grid (G) and the whole location at half size (M).
    bool GridCheckBox = false;
    bool OverviewCheckBox = false;

    TFileDialog OpenDialog{TFileDialogKind::Open};
    TFileDialog SaveDialog{TFileDialogKind::Save};

    TEditHistory History;

    // Handlers.
    void CritterListBoxClick();
    void ApplyButtonClick();
    void DelCritterButtonClick();
    void CritterListBoxKeyDown(int key);
    void ObjectListBoxClick();
    void OApplyButtonClick();
    void ODeleteButtonClick();
    void ObjectListBoxKeyDown(int key);
    void LoadPatternButtonClick();
    void ShootAnimComboBoxChange();
    void MoveAnimComboBoxChange();
    void LoadPatternClick();  // menu "Загрузить": shows the open dialog
    void SaveMenuClick();     // menu "Сохранить": shows the save dialog
    void ExitMenuClick();

    // Menu "Новая": a dialog picks the pattern; with unsaved changes it asks
    // first. NewMapAccept answers both.
    void NewMenuClick();
    void NewMapAccept();
    bool NewDialogShown = false;
    TListControl NewPatternComboBox;
    // Edits since the location was loaded, saved or made.
    bool Modified() const { return History.Changes() != SavedChanges; }
    // The question a person answers before the edits are lost; empty when nothing would be.
    std::string DiscardQuestion() const;

    // Test play: from the pointer's tile (or the player's, off the map), and
    // back to the editor as it was. The tools rest while it runs.
    void PlayFromHere(int x, int y);
    void StopPlay();
    // Reloads the location from its file (asks first, as "Новая" does).
    void RestartLocation();

    // The game screen's placing tools on pages Critter and Objects.
    void AddCritterAt(int x, int y);
    void MoveCritterTo(int x, int y);
    void AddObjectAt(int x, int y);
    void MoveObjectTo(int x, int y);
    // The selection of several critters and objects (pages Critter and
    // Objects), by position, and what is done to all of it as one step.
    std::vector<int> SelectedCritters, SelectedObjects;
    // Every critter and object on a tile of the rectangle (the rubber band).
    void SelectRect(int x0, int y0, int x1, int y1);
    void ClearSelection();
    bool HasMultiSelection() const { return !SelectedCritters.empty() || !SelectedObjects.empty(); }
    void DeleteSelection();
    void CopySelection();
    // The copy's top left corner goes on tile (x, y); the pasted records become the selection.
    void PasteAt(int x, int y);
    // A copy one tile right and down of the original.
    void DuplicateSelection();
    void MoveSelection(int dx, int dy);
    // The band and the drag of a selection on the game screen (Ctrl held).
    void BandDown(int x, int y);
    void BandMove(int x, int y);
    void BandUp(int x, int y);
    bool BandRect(int& x0, int& y0, int& x1, int& y1) const;

    // The direction keys on page Objects: the selected object's pixel offset.
    void NudgeSelectedObject(int dx, int dy);

    // A painting stroke on page Brush, from the press to the release, is one
    // step of the history. PaintCell reports each cell before it writes it.
    void BeginStroke();
    void NotePaint(int x, int y);
    void EndStroke();

    // The brush on the game screen, in tiles. `clear` is the right button.
    // A press paints one tile, or fills, or starts a line or rectangle that
    // the release paints; a drag paints every tile between two samples. Only
    // a press on the map starts painting: a pointer that comes back with a
    // button held, or a click on the panel, paints nothing.
    // `held` is the button that paints on (0 left, 1 right, -1 none).
    void BrushDown(bool clear, int x, int y);
    void BrushMove(int x, int y, int held);
    void BrushUp(int x, int y, int held);
    // One cell as the page's radio group says.
    void PaintCell(bool clear, int x, int y);
    // The rectangle or line being dragged, for the overlay: false when none.
    bool BrushShape(std::vector<std::pair<int, int>>& cells) const;

    // The end of the file dialogs: load or save the chosen file. The save
    // warns about scripts and pictures the location names but the data
    // folder lacks; the file is written all the same.
    void OpenMapFile(const std::string& path);
    void SaveMapFile(const std::string& path);
    // What the save warning lists, one line each; empty when nothing is missing.
    std::vector<std::string> MissingAssets() const;

    void Undo();
    void Redo();

    // Editing a control as a person does; change handlers run.
    void SelectItem(TListControl& combo, int index);
    void CheckRadio(bool& radio);
    // The map-script field was left; `before` is what it held when entered.
    void CommitMapScript(const std::string& before);

    // Every control by component name (list boxes excluded).
    std::vector<TControlRef> Controls();
    // Sets a control from the text of a headless input line; throws
    // EGameError when the control or the value cannot be set.
    void SetControl(const std::string& name, const std::string& value);
    static std::string ControlText(const TControlRef& control);

    TCritterValues CritterPanelValues() const;
    TObjectValues ObjectPanelValues() const;

    TWorldContext& Game;
    TGameConfig& Config;
    TFileSystem& Files;
    IEditorHost& Host;

private:
    void FillCritterFields(const tCritter& critter, int index);

    void PaintCells(bool clear, const std::vector<std::pair<int, int>>& cells);
    // The tiles a flood fill from (x, y) paints.
    std::vector<std::pair<int, int>> FillRegion(int x, int y) const;

    // The brush's drag: which button paints, the last tile painted and where
    // a line or rectangle started.
    int BrushButton = -1;  // the button that began the stroke: 0 paints, 1 clears, -1 none
    int BrushLastX = 0, BrushLastY = 0;
    int BrushAnchorX = 0, BrushAnchorY = 0;
    uint64_t SavedChanges = 0;
    // What Ctrl+C took: values and places relative to the copy's top left tile.
    struct TClip {
        std::vector<std::pair<TCritterValues, std::pair<int, int>>> Critters;
        std::vector<std::pair<TObjectValues, std::pair<int, int>>> Objects;
    } Clipboard;
    // The band: pressed on (BandX0, BandY0), now at (BandX1, BandY1); a press
    // on a selected record drags the selection instead.
    bool Banding = false, DraggingSelection = false;
    int BandX0 = 0, BandY0 = 0, BandX1 = 0, BandY1 = 0;
    void PruneSelection();
    // Loads or makes another location through `load`; the history starts afresh.
    void ReplaceLocation(const std::function<void()>& load);
    int PagePlayed = PageGeneral;  // the page to go back to when a test play stops
    bool StrokeOpen = false;
    uint64_t StrokeGeneration = 0;
    std::vector<TPaintedCell> StrokeCells;
    std::vector<bool> StrokeMarked;  // by cell number, while a stroke is open
};
