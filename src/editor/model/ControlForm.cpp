#include "editor/model/ControlForm.h"

#include <algorithm>
#include <functional>

#include "base/Errors.h"
#include "base/FileSystem.h"
#include "base/Text.h"
#include "critters/Critter.h"
#include "editor/model/EditCommands.h"
#include "media/Input.h"
#include "world/GameConfig.h"
#include "world/Obj.h"
#include "world/World.h"

const char* const PanelPageNames[4] = {"General", "Brush", "Critter", "Objects"};

int TSpinEdit::Clamp(int v) const {
    return AnyValue() ? v : std::clamp(v, MinValue, MaxValue);
}

int TSpinEdit::Value() const {
    auto v = TryStrToInt(Text);
    return Clamp(v ? *v : MinValue);
}

void TSpinEdit::SetValue(int v) {
    Text = std::to_string(Clamp(v));
}

void TSpinEdit::SetText(const std::string& text) {
    Text = MaxLength > 0 ? Utf8Left(text, MaxLength) : text;
}

void TSpinEdit::Exit() {
    Text = std::to_string(Value());
}

namespace {
void Limit(TSpinEdit& spin, int min, int max, size_t maxLength = 0) {
    spin.MinValue = min;
    spin.MaxValue = max;
    spin.MaxLength = maxLength;
    spin.SetValue(min);
}
}  // namespace

TControlForm::TControlForm(TWorldContext& game, TGameConfig& config, TFileSystem& files, IEditorHost& host)
    : CritterListBox(game.World.CritterLabels),
      ObjectListBox(game.World.ObjectLabels),
      Game(game),
      Config(config),
      Files(files),
      Host(host) {
    Limit(XSpinEdit, 0, MapCols - 1);
    Limit(YSpinEdit, 0, MapRows - 1);
    Limit(HPSpinEdit, 1, 999, 3);
    Limit(DmgMinSpinEdit, 0, 0);
    Limit(DmgMaxSpinEdit, 0, 0);
    Limit(AccurancySpinEdit, 0, 100);
    for (TSpinEdit* s : {&OXSpinEdit, &OYSpinEdit, &OXOSpinEdit, &OYOSpinEdit}) Limit(*s, 0, 0);
    DirComboBox.Items = {"Северо-запад", "Север", "Северо-восток", "Восток", "Юго-восток", "Юг", "Юго-запад", "Запад"};
    DirComboBox.ItemIndex = 0;
    MoveAnimComboBox.Items = {"walk", "walk_2"};
    MoveAnimComboBox.ItemIndex = 0;
    ToolComboBox.Items = {"Кисть", "Линия", "Прямоугольник", "Заливка"};
    ToolComboBox.ItemIndex = ToolPoint;
}

void TControlForm::FormCreate() {
    Config.Read(Files);
    const TIniFile& ini = Config.Ini;

    SkinComboBox.Clear();
    int skins = Config.Count("CritterSkin");
    for (int i = 0; i < skins; ++i)
        SkinComboBox.Items.push_back(ini.ReadString("CritterSkin", "Skin" + std::to_string(i), ""));

    PatternComboBox.Items = Host.LocationPictures();
    PatternComboBox.ItemIndex = PatternComboBox.Items.empty() ? -1 : 0;
    ImageComboBox.Items = Host.ObjectPictures();
    ImageComboBox.ItemIndex = ImageComboBox.Items.empty() ? -1 : 0;

    ShootAnimComboBox.Clear();
    Config.ReadHitTypes();
    ShootAnimComboBox.Items = Config.HitTypes;
    if (!ShootAnimComboBox.Items.empty()) ShootAnimComboBox.ItemIndex = 0;

    OpenDialog.InitialDir = ResolveNoCase(Files.Root(), "data/locations");
    SaveDialog.InitialDir = OpenDialog.InitialDir;
}

// ---- Page Critter -------------------------------------------------------------

void TControlForm::FillCritterFields(const tCritter& c, int i) {
    XSpinEdit.SetValue(c.StartX);
    YSpinEdit.SetValue(c.StartY);
    SkinComboBox.SelectExact(c.Skin);
    // A critter caught firing faces one of 16 directions; the list has the 8.
    DirComboBox.ItemIndex = std::clamp(c.State == csFiring ? c.Direction / 2 : c.Direction, 0, 7);
    NameLabeledEdit = CritterListBox.Items[size_t(i)];
    NameReadOnly = i == 0;
    DelCritterButtonEnabled = i != 0;
    HPSpinEdit.SetValue(c.HP);
    InvisibleCheckBox = c.Invisible;
    DisabledCheckBox = c.Disabled;
    ScriptLabeledEdit = c.ScriptName;
    DmgMinSpinEdit.SetValue(c.DmgMin);
    DmgMaxSpinEdit.SetValue(c.DmgMax);
    AccurancySpinEdit.SetValue(c.Accuracy);
}

void TControlForm::CritterListBoxClick() {
    int i = CritterListBox.ItemIndex;
    const tCritter* c = Game.World.Critter(i);
    if (!c || !CritterListBox.HasSelection()) return;
    FillCritterFields(*c, i);
}

TCritterValues TControlForm::CritterPanelValues() const {
    TCritterValues v;
    v.X = XSpinEdit.Value();
    v.Y = YSpinEdit.Value();
    v.Direction = std::max(DirComboBox.ItemIndex, 0);
    v.Skin = SkinComboBox.Text();
    v.Label = NameLabeledEdit;
    v.HP = HPSpinEdit.Value();
    v.Invisible = InvisibleCheckBox;
    v.Disabled = DisabledCheckBox;
    v.ScriptName = ScriptLabeledEdit;
    v.DmgMin = DmgMinSpinEdit.Value();
    v.DmgMax = DmgMaxSpinEdit.Value();
    v.Accuracy = AccurancySpinEdit.Value();
    return v;
}

void TControlForm::ApplyButtonClick() {
    int i = CritterListBox.ItemIndex;
    if (!Game.World.Critter(i)) return;
    History.Run(*this, MakeApplyCritter(i, CritterPanelValues()));
}

void TControlForm::DelCritterButtonClick() {
    // The player stays, whatever the button showed when the loader selected it.
    int i = CritterListBox.ItemIndex;
    if (i <= 0 || !Game.World.Critter(i)) return;
    History.Run(*this, MakeDeleteCritter(i));
}

void TControlForm::CritterListBoxKeyDown(int key) {
    if (key == VK_DELETE && DelCritterButtonEnabled) DelCritterButtonClick();
}

void TControlForm::AddCritterAt(int x, int y) {
    if (!TGrid::Inside(x, y) || Game.World.Grid.At(x, y).WalkBlock != 0) return;
    History.Run(*this, MakeAddCritter(x, y, CritterPanelValues()));
}

void TControlForm::MoveCritterTo(int x, int y) {
    int i = CritterListBox.ItemIndex;
    if (!Game.World.Critter(i) || !TGrid::Inside(x, y) || Game.World.Grid.At(x, y).WalkBlock != 0) return;
    History.Run(*this, MakeMoveCritter(i, x, y));
}

// ---- Page Objects -------------------------------------------------------------

void TControlForm::ObjectListBoxClick() {
    ODeleteButtonEnabled = !ObjectListBox.Items.empty();
    if (!ObjectListBox.HasSelection()) return;
    int i = ObjectListBox.ItemIndex;
    const tObj* o = Game.World.Object(i);
    if (!o) return;
    OXSpinEdit.SetValue(o->X);
    OYSpinEdit.SetValue(o->Y);
    OXOSpinEdit.SetValue(o->OffsetX);
    OYOSpinEdit.SetValue(o->OffsetY);
    ImageComboBox.SelectExact(o->ImageName);
    ONameLabeledEdit = ObjectListBox.Items[size_t(i)];
    OInvisibleCheckBox = o->Invisible;
    ODisabledCheckBox = o->Disabled;
    OScriptLabeledEdit = o->ScriptName;
}

TObjectValues TControlForm::ObjectPanelValues() const {
    TObjectValues v;
    v.X = OXSpinEdit.Value();
    v.Y = OYSpinEdit.Value();
    v.OffsetX = OXOSpinEdit.Value();
    v.OffsetY = OYOSpinEdit.Value();
    v.ImageName = ImageComboBox.Text();
    v.Label = ONameLabeledEdit;
    v.Invisible = OInvisibleCheckBox;
    v.Disabled = ODisabledCheckBox;
    v.ScriptName = OScriptLabeledEdit;
    return v;
}

void TControlForm::OApplyButtonClick() {
    int i = ObjectListBox.ItemIndex;
    if (!ObjectListBox.HasSelection() || !Game.World.Object(i)) return;
    History.Run(*this, MakeApplyObject(i, ObjectPanelValues()));
}

void TControlForm::ODeleteButtonClick() {
    // The Delete key of the game screen asks with any selection, also none.
    int i = ObjectListBox.ItemIndex;
    if (!ObjectListBox.HasSelection() || !Game.World.Object(i)) return;
    History.Run(*this, MakeDeleteObject(i));
}

void TControlForm::ObjectListBoxKeyDown(int key) {
    if (key == VK_DELETE && ODeleteButtonEnabled) ODeleteButtonClick();
}

void TControlForm::AddObjectAt(int x, int y) {
    History.Run(*this, MakeAddObject(x, y, ObjectPanelValues()));
}

void TControlForm::MoveObjectTo(int x, int y) {
    int i = ObjectListBox.ItemIndex;
    if (!ObjectListBox.HasSelection() || !Game.World.Object(i)) return;
    History.Run(*this, MakeMoveObject(i, x, y));
}

void TControlForm::NudgeSelectedObject(int dx, int dy) {
    int i = ObjectListBox.ItemIndex;
    if ((dx == 0 && dy == 0) || !ObjectListBox.HasSelection() || !Game.World.Object(i)) return;
    History.Run(*this, MakeNudgeObject(i, dx, dy, Game.Now()));
}

// ---- Pages General and Brush --------------------------------------------------

void TControlForm::LoadPatternButtonClick() {
    History.Run(*this, MakeLoadPattern(ShortString(PatternComboBox.Text()), PatternComboBox.ItemIndex));
}

void TControlForm::CheckRadio(bool& radio) {
    // The panel took the click: a stroke the game screen never saw end is over.
    EndStroke();
    MoveBlockRadioButton = ShootBlockRadioButton = WallRadioButton = MoveAnimRadioButton = ShootAnimRadioButton =
        false;
    radio = true;
}

void TControlForm::ShootAnimComboBoxChange() {
    CheckRadio(ShootAnimRadioButton);
}

void TControlForm::MoveAnimComboBoxChange() {
    CheckRadio(MoveAnimRadioButton);
}

void TControlForm::SelectItem(TListControl& combo, int index) {
    if (index < -1 || index >= int(combo.Items.size())) return;
    EndStroke();
    combo.ItemIndex = index;
    if (&combo == &ShootAnimComboBox) ShootAnimComboBoxChange();
    if (&combo == &MoveAnimComboBox) MoveAnimComboBoxChange();
}

void TControlForm::CommitMapScript(const std::string& before) {
    if (before != MapScrLabeledEdit) History.Record(*this, MakeSetMapScript(before, MapScrLabeledEdit));
}

// ---- Strokes ----------------------------------------------------------------

// A second button pressed during a stroke carries it on.
void TControlForm::BeginStroke() {
    if (StrokeOpen) return;
    StrokeOpen = true;
    StrokeGeneration = Game.World.Generation;
}

void TControlForm::NotePaint(int x, int y) {
    if (!TGrid::Inside(x, y)) return;
    BeginStroke();
    int index = x * MapRows + y;
    if (StrokeMarked.empty()) StrokeMarked.assign(size_t(MapCols) * MapRows, false);
    if (StrokeMarked[size_t(index)]) return;
    StrokeMarked[size_t(index)] = true;
    const TCell& c = Game.World.Grid.At(x, y);
    StrokeCells.push_back({index, {c.WalkBlock, c.ShootBlock, c.WalkAnim, c.HitType}, {}});
}

void TControlForm::EndStroke() {
    BrushButton = -1;
    if (!StrokeOpen) return;
    StrokeOpen = false;
    std::vector<TPaintedCell> changed;
    const auto& raw = Game.World.Grid.Raw();
    for (TPaintedCell& p : StrokeCells) {
        const TCell& c = raw[size_t(p.Cell)];
        p.After = {c.WalkBlock, c.ShootBlock, c.WalkAnim, c.HitType};
        if (p.After != p.Before) changed.push_back(p);
    }
    StrokeCells.clear();
    StrokeMarked.clear();
    // The cells noted belong to a location a script has since replaced.
    if (StrokeGeneration != Game.World.Generation) return;
    if (!changed.empty()) History.Record(*this, MakePaintStroke(std::move(changed)));
}

// ---- Menu -------------------------------------------------------------------

void TControlForm::LoadPatternClick() {
    OpenDialog.Execute();
}

void TControlForm::SaveMenuClick() {
    SaveDialog.Execute();
}

void TControlForm::ExitMenuClick() {
    Host.CloseGame();
}

void TControlForm::NewMenuClick() {
    EndStroke();
    NewPatternComboBox.Items = Host.LocationPictures();
    if (!NewPatternComboBox.HasSelection()) NewPatternComboBox.ItemIndex = NewPatternComboBox.Items.empty() ? -1 : 0;
    NewDialogShown = true;
}

std::string TControlForm::DiscardQuestion() const {
    return Modified() ? "Несохранённые изменения будут потеряны. Продолжить?" : std::string();
}

void TControlForm::NewMapAccept() {
    NewDialogShown = false;
    ReplaceLocation([&] { Host.NewMap(ShortString(NewPatternComboBox.Text())); });
    SelectItem(PatternComboBox, NewPatternComboBox.ItemIndex);
}

void TControlForm::PlayFromHere(int x, int y) {
    if (Host.Playing()) return;
    EndStroke();
    PagePlayed = ActivePage;
    Host.StartPlay(x, y);
    // The tools rest: clicks walk, use and fire as in the game.
    ActivePage = PageGeneral;
}

void TControlForm::StopPlay() {
    if (!Host.Playing()) return;
    Host.StopPlay();
    History.Adopt(*this);
    ActivePage = PagePlayed;
}

void TControlForm::RestartLocation() {
    if (Host.Playing()) StopPlay();
    const std::string file = Host.LocationFile();
    if (file.empty()) throw EGameError("The location has not been saved yet: there is no file to reload");
    OpenMapFile(file);
}

void TControlForm::ReplaceLocation(const std::function<void()>& load) {
    EndStroke();
    if (Host.Playing()) StopPlay();
    const uint64_t generation = Game.World.Generation;
    try {
        load();
    } catch (...) {
        if (Game.World.Generation != generation) History.Clear();
        throw;
    }
    // A fresh start: nothing to undo, nothing selected, nothing unsaved.
    History.Clear();
    ClearSelection();
    SavedChanges = History.Changes();
}

void TControlForm::OpenMapFile(const std::string& path) {
    ReplaceLocation([&] { Host.LoadMap(path); });
}

void TControlForm::SaveMapFile(const std::string& path) {
    EndStroke();
    // What is saved is the location being edited, not a test play of it.
    if (Host.Playing()) StopPlay();
    Host.SaveMap(path);
    SavedChanges = History.Changes();
    std::vector<std::string> missing = MissingAssets();
    if (missing.empty()) return;
    std::string text = "The location was saved to \"" + path + "\", but the data folder lacks what it names:";
    for (const auto& line : missing) text += "\n  " + line;
    Game.Events.ReportError(EGameError(text));
}

std::vector<std::string> TControlForm::MissingAssets() const {
    // One line per missing file, naming everything that uses it.
    std::vector<std::pair<std::string, std::string>> lines;
    auto note = [&](const std::string& what, const std::string& user) {
        for (auto& line : lines)
            if (line.first == what) {
                line.second += ", " + user;
                return;
            }
        lines.emplace_back(what, user);
    };
    auto script = [&](const std::string& name, const std::string& user) {
        std::string path = "data\\scripts\\" + name + ".sc";
        if (!Files.Exists(path)) note("script " + path, user);
    };
    auto listed = [](const std::vector<std::string>& list, const std::string& name) {
        return std::any_of(list.begin(), list.end(), [&](const std::string& s) { return SameText(s, name); });
    };
    auto label = [](const TListControl& list, int i) {
        return size_t(i) < list.Items.size() ? " \"" + list.Items[size_t(i)] + "\"" : std::string();
    };

    const TWorld& world = Game.World;
    if (!listed(Host.LocationPictures(), world.PatternName))
        note("pattern \"" + world.PatternName + "\" (Locations.lst)", "the location");
    if (!MapScrLabeledEdit.empty()) script(ShortString(MapScrLabeledEdit), "the map");
    for (int i = 0; i < world.CritterCount(); ++i) {
        const tCritter& c = *world.Critters[size_t(i)];
        std::string user = "critter " + std::to_string(i) + label(CritterListBox, i);
        if (!listed(Host.CritterPictures(), c.Skin + "_idle")) note("picture \"" + c.Skin + "_idle\" (Critters.lst)", user);
        script(c.ScriptName, user);
    }
    for (int i = 0; i < world.ObjectCount(); ++i) {
        const tObj& o = *world.Objects[size_t(i)];
        if (o.PlayOnce) continue;
        std::string user = "object " + std::to_string(i) + label(ObjectListBox, i);
        if (!listed(Host.ObjectPictures(), o.ImageName)) note("picture \"" + o.ImageName + "\" (Objects.lst)", user);
        script(o.ScriptName.empty() ? "obj_def" : o.ScriptName, user);
    }
    std::vector<std::string> out;
    for (const auto& [what, users] : lines) out.push_back(what + ": " + users);
    return out;
}

void TControlForm::Undo() {
    EndStroke();
    History.Undo(*this);
}

void TControlForm::Redo() {
    EndStroke();
    History.Redo(*this);
}

// ---- Controls by name -------------------------------------------------------

std::vector<TControlRef> TControlForm::Controls() {
    auto spin = [](const char* n, TSpinEdit& s) { return TControlRef{n, &s}; };
    auto combo = [](const char* n, TListControl& l) { return TControlRef{n, nullptr, &l}; };
    auto check = [](const char* n, bool& b) { return TControlRef{n, nullptr, nullptr, &b}; };
    auto radio = [](const char* n, bool& b) { return TControlRef{n, nullptr, nullptr, nullptr, &b}; };
    auto edit = [](const char* n, std::string& s) { return TControlRef{n, nullptr, nullptr, nullptr, nullptr, &s}; };
    return {
        combo("PatternComboBox", PatternComboBox),
        edit("MapScrLabeledEdit", MapScrLabeledEdit),
        radio("MoveBlockRadioButton", MoveBlockRadioButton),
        radio("ShootBlockRadioButton", ShootBlockRadioButton),
        radio("WallRadioButton", WallRadioButton),
        radio("MoveAnimRadioButton", MoveAnimRadioButton),
        combo("MoveAnimComboBox", MoveAnimComboBox),
        radio("ShootAnimRadioButton", ShootAnimRadioButton),
        combo("ShootAnimComboBox", ShootAnimComboBox),
        combo("ToolComboBox", ToolComboBox),
        spin("XSpinEdit", XSpinEdit),
        spin("YSpinEdit", YSpinEdit),
        combo("DirComboBox", DirComboBox),
        combo("SkinComboBox", SkinComboBox),
        spin("HPSpinEdit", HPSpinEdit),
        edit("NameLabeledEdit", NameLabeledEdit),
        edit("ScriptLabeledEdit", ScriptLabeledEdit),
        spin("DmgMinSpinEdit", DmgMinSpinEdit),
        spin("DmgMaxSpinEdit", DmgMaxSpinEdit),
        spin("AccurancySpinEdit", AccurancySpinEdit),
        check("InvisibleCheckBox", InvisibleCheckBox),
        check("DisabledCheckBox", DisabledCheckBox),
        spin("OXSpinEdit", OXSpinEdit),
        spin("OYSpinEdit", OYSpinEdit),
        spin("OXOSpinEdit", OXOSpinEdit),
        spin("OYOSpinEdit", OYOSpinEdit),
        combo("ImageComboBox", ImageComboBox),
        edit("ONameLabeledEdit", ONameLabeledEdit),
        edit("OScriptLabeledEdit", OScriptLabeledEdit),
        check("OInvisibleCheckBox", OInvisibleCheckBox),
        check("ODisabledCheckBox", ODisabledCheckBox),
        check("GridCheckBox", GridCheckBox),
        check("OverviewCheckBox", OverviewCheckBox),
    };
}

std::string TControlForm::ControlText(const TControlRef& c) {
    if (c.Spin) return c.Spin->Text;
    if (c.Combo) return c.Combo->Text();
    if (c.Check) return *c.Check ? "1" : "0";
    if (c.Radio) return *c.Radio ? "1" : "0";
    return c.Edit ? *c.Edit : std::string();
}

void TControlForm::SetControl(const std::string& name, const std::string& value) {
    std::vector<TControlRef> all = Controls();
    auto it = std::find_if(all.begin(), all.end(), [&](const TControlRef& c) { return name == c.Name; });
    if (it == all.end()) throw EGameError("The panel has no control \"" + name + "\"");
    const TControlRef& c = *it;
    auto flag = [&]() {
        if (value != "0" && value != "1") throw EGameError(name + " takes 0 or 1, not \"" + value + "\"");
        return value == "1";
    };
    if (c.Spin) {
        c.Spin->SetText(value);
        c.Spin->Exit();
    } else if (c.Combo) {
        auto item = std::find(c.Combo->Items.begin(), c.Combo->Items.end(), value);
        if (item == c.Combo->Items.end()) throw EGameError(name + " has no item \"" + value + "\"");
        SelectItem(*c.Combo, int(item - c.Combo->Items.begin()));
    } else if (c.Check) {
        *c.Check = flag();
    } else if (c.Radio) {
        if (!flag()) throw EGameError(name + " is unchecked by checking another radio button");
        CheckRadio(*c.Radio);
    } else if (c.Edit == &NameLabeledEdit && NameReadOnly) {
        throw EGameError("NameLabeledEdit is read-only while the player is selected");
    } else if (c.Edit == &MapScrLabeledEdit) {
        std::string before = MapScrLabeledEdit;
        MapScrLabeledEdit = value;
        CommitMapScript(before);
    } else {
        *c.Edit = value;
    }
}
