#include "editor/view/PanelView.h"

#ifdef RW_HAVE_IMGUI

#include <SDL2/SDL_scancode.h>
#include <imgui.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <cfloat>
#include <filesystem>
#include <functional>
#include <string>

#include "app/MainForm.h"
#include "media/Input.h"

namespace {

const char* const PageCaptions[4] = {"Общие", "Тайлы", "Персонажи", "Объекты"};

// Colours of an ordinary desktop dialog, so the panel reads as one.
ImVec4 Rgb(int r, int g, int b) {
    return ImVec4(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
}
const ImVec4 FaceColor = Rgb(240, 240, 240);
const ImVec4 ShadowColor = Rgb(160, 160, 160);

void Label(const char* text) {
    ImGui::TextUnformatted(text);
}

// A label left of its control, which takes the rest of the row.
void RowLabel(const char* text, float column) {
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted(text);
    ImGui::SameLine(column);
}

float Avail() {
    return ImGui::GetContentRegionAvail().x;
}

// Pairs of fields share a row.
float HalfWidth() {
    return (Avail() - ImGui::GetStyle().ItemSpacing.x) / 2;
}

// A text field with the small stacked arrows of a spin control.
void Spin(TSpinEdit& spin, const char* id, float width) {
    const float arrows = 13.0f;
    const float h = ImGui::GetFrameHeight();
    ImGui::PushID(id);
    ImGui::SetNextItemWidth(std::max(width - arrows, 10.0f));
    std::string text = spin.Text;
    // The whole text is selected on focus: typing replaces the value.
    if (ImGui::InputText("##text", &text, ImGuiInputTextFlags_CharsDecimal | ImGuiInputTextFlags_AutoSelectAll))
        spin.SetText(text);
    if (ImGui::IsItemDeactivated()) spin.Exit();
    ImGui::SameLine(0, 0);
    ImVec2 pos = ImGui::GetCursorScreenPos();
    ImDrawList* draw = ImGui::GetWindowDrawList();
    ImGui::BeginGroup();
    ImGui::PushButtonRepeat(true);
    for (int part = 0; part < 2; ++part) {
        ImVec2 min(pos.x, pos.y + part * h / 2), max(pos.x + arrows, pos.y + (part + 1) * h / 2);
        ImGui::SetCursorScreenPos(min);
        bool clicked = ImGui::InvisibleButton(part == 0 ? "##up" : "##down", ImVec2(arrows, h / 2));
        ImU32 face = ImGui::GetColorU32(ImGui::IsItemActive()    ? ImGuiCol_ButtonActive
                                        : ImGui::IsItemHovered() ? ImGuiCol_ButtonHovered
                                                                 : ImGuiCol_Button);
        draw->AddRectFilled(min, max, face);
        draw->AddRect(min, max, ImGui::GetColorU32(ImGuiCol_Border));
        float cx = (min.x + max.x) / 2, cy = (min.y + max.y) / 2, s = 2.5f;
        ImU32 ink = ImGui::GetColorU32(ImGuiCol_Text);
        if (part == 0)
            draw->AddTriangleFilled(ImVec2(cx - s, cy + s / 2 + 0.5f), ImVec2(cx + s, cy + s / 2 + 0.5f),
                                    ImVec2(cx, cy - s / 2 - 0.5f), ink);
        else
            draw->AddTriangleFilled(ImVec2(cx - s, cy - s / 2 - 0.5f), ImVec2(cx + s, cy - s / 2 - 0.5f),
                                    ImVec2(cx, cy + s / 2 + 0.5f), ink);
        if (clicked) spin.SetValue(spin.Value() + (part == 0 ? 1 : -1));
    }
    ImGui::PopButtonRepeat();
    ImGui::EndGroup();
    ImGui::PopID();
}

void Combo(TControlForm& form, TListControl& list, const char* id, float width) {
    ImGui::SetNextItemWidth(width);
    std::string preview = list.Text();
    if (!ImGui::BeginCombo(id, preview.c_str(), ImGuiComboFlags_HeightLarge)) return;
    for (int i = 0; i < int(list.Items.size()); ++i) {
        ImGui::PushID(i);
        bool selected = i == list.ItemIndex;
        const std::string& item = list.Items[size_t(i)];
        if (ImGui::Selectable(item.empty() ? "##empty" : item.c_str(), selected)) form.SelectItem(list, i);
        if (selected) ImGui::SetItemDefaultFocus();
        ImGui::PopID();
    }
    ImGui::EndCombo();
}

void Edit(std::string& text, const char* id, float width, bool readOnly = false) {
    ImGui::SetNextItemWidth(width);
    if (readOnly) ImGui::PushStyleColor(ImGuiCol_FrameBg, FaceColor);
    ImGui::InputText(id, &text, readOnly ? ImGuiInputTextFlags_ReadOnly : ImGuiInputTextFlags_AutoSelectAll);
    if (readOnly) ImGui::PopStyleColor();
}

// A list of labels; true when a person picked an entry. `focused`: the list has the keyboard.
bool ListBox(TListControl& list, const char* id, float height, int& shown, bool& focused) {
    bool picked = false;
    focused = false;
    if (!ImGui::BeginListBox(id, ImVec2(-FLT_MIN, height))) return false;
    focused = ImGui::IsWindowFocused();
    for (int i = 0; i < int(list.Items.size()); ++i) {
        ImGui::PushID(i);
        const std::string& item = list.Items[size_t(i)];
        bool selected = i == list.ItemIndex;
        if (ImGui::Selectable(item.empty() ? "##empty" : item.c_str(), selected)) {
            list.ItemIndex = i;
            picked = true;
        }
        // A selection made elsewhere (the game screen, an undo) scrolls into view.
        if (selected && shown != i) ImGui::SetScrollHereY();
        ImGui::PopID();
    }
    shown = list.ItemIndex;
    ImGui::EndListBox();
    return picked;
}

// A framed group with its caption in the top edge.
class TGroupBox {
public:
    explicit TGroupBox(const char* caption) : Caption(caption) {
        Start = ImGui::GetCursorScreenPos();
        Width = Avail();
        ImGui::Dummy(ImVec2(0, ImGui::GetTextLineHeight()));
        ImGui::Indent(Pad);
        ImGui::PushItemWidth(Width - 2 * Pad);
        ImGui::BeginGroup();
    }
    ~TGroupBox() {
        ImGui::EndGroup();
        ImGui::PopItemWidth();
        ImGui::Unindent(Pad);
        float bottom = ImGui::GetItemRectMax().y + Pad;
        ImDrawList* draw = ImGui::GetWindowDrawList();
        ImU32 line = ImGui::ColorConvertFloat4ToU32(ShadowColor);
        float top = Start.y + ImGui::GetTextLineHeight() / 2, left = Start.x, right = Start.x + Width - 1;
        float textLeft = left + 6, textRight = textLeft + ImGui::CalcTextSize(Caption).x + 4;
        draw->AddLine(ImVec2(left, top), ImVec2(textLeft, top), line);
        draw->AddLine(ImVec2(textRight, top), ImVec2(right, top), line);
        draw->AddLine(ImVec2(left, top), ImVec2(left, bottom), line);
        draw->AddLine(ImVec2(right, top), ImVec2(right, bottom), line);
        draw->AddLine(ImVec2(left, bottom), ImVec2(right + 1, bottom), line);
        draw->AddText(ImVec2(textLeft + 2, Start.y), ImGui::GetColorU32(ImGuiCol_Text), Caption);
        ImGui::SetCursorScreenPos(ImVec2(Start.x, bottom + ImGui::GetStyle().ItemSpacing.y));
        ImGui::Dummy(ImVec2(Width, 0));
    }
    TGroupBox(const TGroupBox&) = delete;
    TGroupBox& operator=(const TGroupBox&) = delete;

    float Inner() const { return Width - 2 * Pad; }

private:
    static constexpr float Pad = 5.0f;
    const char* Caption;
    ImVec2 Start;
    float Width;
};

// The panel's Tahoma with Cyrillic letters comes from where the game's faces are; these are its fallbacks.
const char* const FallbackFontFiles[] = {"/usr/share/fonts/truetype/wine/tahoma.ttf",
                                         "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"};
constexpr float FontPixels = 13.0f;

}  // namespace

void TPanelView::SetUpContext(const TFontEngine& fonts) {
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    io.Fonts->Clear();
    ImFontConfig config;
    config.OversampleH = 2;
    config.OversampleV = 1;
    config.PixelSnapH = true;
    bool loaded = false;
    std::vector<std::string> files{fonts.FindFace("tahoma.ttf").string()};
    files.insert(files.end(), std::begin(FallbackFontFiles), std::end(FallbackFontFiles));
    for (const std::string& file : files) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec)) continue;
        if (io.Fonts->AddFontFromFileTTF(file.c_str(), FontPixels, &config, io.Fonts->GetGlyphRangesCyrillic())) {
            loaded = true;
            break;
        }
    }
    if (!loaded) io.Fonts->AddFontDefault();

    ImGui::StyleColorsLight();
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowPadding = ImVec2(4, 4);
    style.FramePadding = ImVec2(3, 2);
    style.ItemSpacing = ImVec2(4, 3);
    style.ItemInnerSpacing = ImVec2(3, 3);
    style.IndentSpacing = 12;
    style.ScrollbarSize = 12;
    style.GrabMinSize = 8;
    style.WindowRounding = style.ChildRounding = style.FrameRounding = style.PopupRounding = 0;
    style.ScrollbarRounding = style.GrabRounding = style.TabRounding = 0;
    style.WindowBorderSize = 0;
    style.FrameBorderSize = 1;
    style.PopupBorderSize = 1;
    style.DisabledAlpha = 0.45f;
    ImVec4* c = style.Colors;
    c[ImGuiCol_Text] = Rgb(0, 0, 0);
    c[ImGuiCol_TextDisabled] = Rgb(109, 109, 109);
    c[ImGuiCol_WindowBg] = FaceColor;
    c[ImGuiCol_PopupBg] = Rgb(255, 255, 255);
    c[ImGuiCol_Border] = Rgb(122, 122, 122);
    c[ImGuiCol_BorderShadow] = ImVec4(0, 0, 0, 0);
    c[ImGuiCol_FrameBg] = Rgb(255, 255, 255);
    c[ImGuiCol_FrameBgHovered] = Rgb(255, 255, 255);
    c[ImGuiCol_FrameBgActive] = Rgb(255, 255, 255);
    c[ImGuiCol_TitleBg] = c[ImGuiCol_TitleBgActive] = Rgb(153, 180, 209);
    c[ImGuiCol_MenuBarBg] = FaceColor;
    c[ImGuiCol_ScrollbarBg] = Rgb(232, 232, 232);
    c[ImGuiCol_ScrollbarGrab] = Rgb(194, 194, 194);
    c[ImGuiCol_ScrollbarGrabHovered] = Rgb(168, 168, 168);
    c[ImGuiCol_ScrollbarGrabActive] = Rgb(140, 140, 140);
    c[ImGuiCol_CheckMark] = Rgb(0, 0, 0);
    c[ImGuiCol_Button] = Rgb(225, 225, 225);
    c[ImGuiCol_ButtonHovered] = Rgb(229, 241, 251);
    c[ImGuiCol_ButtonActive] = Rgb(204, 228, 247);
    c[ImGuiCol_Header] = Rgb(204, 232, 255);
    c[ImGuiCol_HeaderHovered] = Rgb(229, 243, 255);
    c[ImGuiCol_HeaderActive] = Rgb(204, 232, 255);
    c[ImGuiCol_Separator] = ShadowColor;
    c[ImGuiCol_ModalWindowDimBg] = ImVec4(0.2f, 0.2f, 0.2f, 0.35f);
}

template <class F>
void TPanelView::Act(F&& handler) {
    Game.Guard(handler);
}

void TPanelView::Draw() {
    ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(io.DisplaySize);
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                                   ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings |
                                   ImGuiWindowFlags_MenuBar | ImGuiWindowFlags_NoBringToFrontOnFocus;
    ImGui::Begin("##panel", nullptr, flags);
    DrawMenu();
    DrawPages();
    TInspector& inspector = Game.Inspector;
    if (PageShown >= 0 && PageShown != Game.ControlForm.ActivePage) inspector.Shown = false;
    PageShown = Game.ControlForm.ActivePage;
    if (inspector.Shown) {
        Inspector.Draw();
    } else {
    switch (Game.ControlForm.ActivePage) {
        case PageGeneral:
            DrawGeneral();
            break;
        case PageBrush:
            DrawBrush();
            break;
        case PageCritter:
            DrawCritter();
            break;
        case PageObjects:
            DrawObjects();
            break;
        default:
            break;
    }
    }
    DrawHoverTile();
    DrawFileDialog(Game.ControlForm.OpenDialog, "##open");
    DrawFileDialog(Game.ControlForm.SaveDialog, "##save");
    DrawNewDialog();
    DrawDiscardQuestion();
    Keys();
    ImGui::End();
}

void TPanelView::DrawMenu() {
    TControlForm& form = Game.ControlForm;
    if (!ImGui::BeginMenuBar()) return;
    if (ImGui::BeginMenu("Файл")) {
        if (ImGui::MenuItem("Новая", "Ctrl+N")) Act([&] { form.NewMenuClick(); });
        if (ImGui::MenuItem("Загрузить")) Act([&] { form.LoadPatternClick(); });
        if (ImGui::MenuItem("Сохранить")) Act([&] { form.SaveMenuClick(); });
        ImGui::Separator();
        if (ImGui::MenuItem("Выход")) Act([&] { form.ExitMenuClick(); });
        ImGui::EndMenu();
    }
    if (ImGui::BeginMenu("Правка")) {
        // The step each entry would take back or repeat, on hovering.
        auto step = [](const std::string& name) {
            if (!name.empty() && ImGui::IsItemHovered()) ImGui::SetTooltip("%s", name.c_str());
        };
        if (ImGui::MenuItem("Отменить", "Ctrl+Z", false, form.History.CanUndo(form))) Act([&] { form.Undo(); });
        step(form.History.UndoName());
        if (ImGui::MenuItem("Повторить", "Ctrl+Y", false, form.History.CanRedo(form))) Act([&] { form.Redo(); });
        step(form.History.RedoName());
        ImGui::EndMenu();
    }
    if (ImGui::BeginMenu("Игра")) {
        const bool playing = form.Host.Playing();
        TViewState& v = Game.View;
        if (ImGui::MenuItem("Играть отсюда", "Ctrl+P", false, !playing))
            Act([&] { form.PlayFromHere(v.HoverTileX, v.HoverTileY); });
        if (ImGui::MenuItem("Остановить", "Ctrl+P", false, playing)) Act([&] { form.StopPlay(); });
        if (ImGui::MenuItem("Перезапустить локацию", "Ctrl+R", false, !form.Host.LocationFile().empty()))
            Act([&] { AskThen([&] { form.RestartLocation(); }); });
        ImGui::EndMenu();
    }
    ImGui::EndMenuBar();
}

// Flat button tabs that wrap into a second row when the captions do not fit.
void TPanelView::DrawPages() {
    TControlForm& form = Game.ControlForm;
    const ImGuiStyle& style = ImGui::GetStyle();
    const float spacing = 2.0f;
    const float width = Avail();
    float x = 0;
    ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 0.0f);
    for (int i = 0; i < 4; ++i) {
        float w = ImGui::CalcTextSize(PageCaptions[i]).x + style.FramePadding.x * 2 + 6;
        if (i > 0 && x + spacing + w <= width) {
            ImGui::SameLine(0, spacing);
            x += spacing;
        } else if (i > 0) {
            x = 0;
        }
        bool active = form.ActivePage == i;
        ImGui::PushStyleColor(ImGuiCol_Button, active ? Rgb(204, 228, 247) : FaceColor);
        if (ImGui::Button(PageCaptions[i], ImVec2(w, 0))) form.ActivePage = i;
        if (active) {
            // The page shown looks pressed in.
            ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
            ImGui::GetWindowDrawList()->AddRect(min, max, ImGui::ColorConvertFloat4ToU32(Rgb(0, 120, 215)));
        }
        ImGui::PopStyleColor();
        x += w;
    }
    // The inspector's tab shows it over the page, whose selection it inspects.
    TInspector& inspector = Game.Inspector;
    const char* caption = "Скрипт";
    float w = ImGui::CalcTextSize(caption).x + style.FramePadding.x * 2 + 6;
    if (x + spacing + w <= width) ImGui::SameLine(0, spacing);
    ImGui::PushStyleColor(ImGuiCol_Button, inspector.Shown ? Rgb(204, 228, 247) : FaceColor);
    if (ImGui::Button(caption, ImVec2(w, 0))) {
        inspector.Shown = !inspector.Shown;
        if (inspector.Shown && inspector.Target == TInspector::TTarget::None) inspector.InspectSelected(form);
    }
    ImGui::PopStyleColor();
    ImGui::PopStyleVar();
    ImGui::Separator();
}

void TPanelView::DrawGeneral() {
    TControlForm& form = Game.ControlForm;
    Label("Паттерн:");
    Combo(form, form.PatternComboBox, "##pattern", Avail());
    if (ImGui::Button("Загрузить", ImVec2(Avail(), 0))) Act([&] { form.LoadPatternButtonClick(); });
    ImGui::Spacing();
    Label("Скрипт карты:");
    ImGui::SetNextItemWidth(Avail());
    ImGui::InputText("##mapscript", &form.MapScrLabeledEdit, ImGuiInputTextFlags_AutoSelectAll);
    if (ImGui::IsItemActivated()) MapScriptBefore = form.MapScrLabeledEdit;
    if (ImGui::IsItemDeactivated()) Act([&] { form.CommitMapScript(MapScriptBefore); });
}

void TPanelView::DrawBrush() {
    TControlForm& form = Game.ControlForm;
    Label("Установка:");
    ImGui::Indent(4);
    if (ImGui::RadioButton("Блок ходьбы", form.MoveBlockRadioButton)) form.CheckRadio(form.MoveBlockRadioButton);
    if (ImGui::RadioButton("Блок стрельбы", form.ShootBlockRadioButton)) form.CheckRadio(form.ShootBlockRadioButton);
    if (ImGui::RadioButton("Стена (оба блока)", form.WallRadioButton)) form.CheckRadio(form.WallRadioButton);
    if (ImGui::RadioButton("Анимация ходьбы", form.MoveAnimRadioButton)) form.CheckRadio(form.MoveAnimRadioButton);
    ImGui::Indent(18);
    Combo(form, form.MoveAnimComboBox, "##moveanim", Avail());
    ImGui::Unindent(18);
    if (ImGui::RadioButton("Тип попадания", form.ShootAnimRadioButton)) form.CheckRadio(form.ShootAnimRadioButton);
    ImGui::Indent(18);
    Combo(form, form.ShootAnimComboBox, "##hittype", Avail());
    ImGui::Unindent(18);
    ImGui::Unindent(4);
    ImGui::Spacing();
    Label("Инструмент:");
    Combo(form, form.ToolComboBox, "##tool", Avail());
}

void TPanelView::DrawCritter() {
    TControlForm& form = Game.ControlForm;
    if (ListBox(form.CritterListBox, "##critters", 96, ShownCritter, CritterListFocused))
        Act([&] { form.CritterListBoxClick(); });
    {
        TGroupBox group("Параметры");
        const float column = 62;
        Label("Начальный тайл:");
        float half = (group.Inner() - ImGui::GetStyle().ItemSpacing.x) / 2;
        Spin(form.XSpinEdit, "x", half);
        ImGui::SameLine();
        Spin(form.YSpinEdit, "y", half);
        Label("Напрвление:");
        Combo(form, form.DirComboBox, "##dir", group.Inner());
        RowLabel("Скин:", column);
        Combo(form, form.SkinComboBox, "##skin", group.Inner() - column);
        RowLabel("HP:", column);
        Spin(form.HPSpinEdit, "hp", group.Inner() - column);
        RowLabel("Имя:", column);
        Edit(form.NameLabeledEdit, "##name", group.Inner() - column, form.NameReadOnly);
        RowLabel("Скрипт:", column);
        Edit(form.ScriptLabeledEdit, "##script", group.Inner() - column);
        Label("Повреждения:");
        Spin(form.DmgMinSpinEdit, "dmgmin", half);
        ImGui::SameLine();
        Spin(form.DmgMaxSpinEdit, "dmgmax", half);
        RowLabel("Точность:", column);
        Spin(form.AccurancySpinEdit, "accuracy", group.Inner() - column);
        ImGui::Checkbox("Невидимый", &form.InvisibleCheckBox);
        ImGui::Checkbox("Неиспользуемый", &form.DisabledCheckBox);
    }
    float half = HalfWidth();
    if (ImGui::Button("Применить", ImVec2(half, 0))) Act([&] { form.ApplyButtonClick(); });
    ImGui::SameLine();
    ImGui::BeginDisabled(!form.DelCritterButtonEnabled);
    if (ImGui::Button("Удалить", ImVec2(half, 0))) Act([&] { form.DelCritterButtonClick(); });
    ImGui::EndDisabled();
}

void TPanelView::DrawObjects() {
    TControlForm& form = Game.ControlForm;
    if (ListBox(form.ObjectListBox, "##objects", 120, ShownObject, ObjectListFocused))
        Act([&] { form.ObjectListBoxClick(); });
    {
        TGroupBox group("Параметры");
        float half = (group.Inner() - ImGui::GetStyle().ItemSpacing.x) / 2;
        Label("Тайл:");
        Spin(form.OXSpinEdit, "ox", half);
        ImGui::SameLine();
        Spin(form.OYSpinEdit, "oy", half);
        Label("Смещение");
        Spin(form.OXOSpinEdit, "oxo", half);
        ImGui::SameLine();
        Spin(form.OYOSpinEdit, "oyo", half);
        Label("Изображение:");
        Combo(form, form.ImageComboBox, "##image", group.Inner());
        Label("Название");
        Edit(form.ONameLabeledEdit, "##oname", group.Inner());
        Label("Скрипт:");
        Edit(form.OScriptLabeledEdit, "##oscript", group.Inner());
        ImGui::Checkbox("Невидимый", &form.OInvisibleCheckBox);
        ImGui::Checkbox("Неиспользуемый", &form.ODisabledCheckBox);
    }
    float half = HalfWidth();
    if (ImGui::Button("Применить", ImVec2(half, 0))) Act([&] { form.OApplyButtonClick(); });
    ImGui::SameLine();
    ImGui::BeginDisabled(!form.ODeleteButtonEnabled);
    if (ImGui::Button("Удалить", ImVec2(half, 0))) Act([&] { form.ODeleteButtonClick(); });
    ImGui::EndDisabled();
}

// The tile under the mouse in the game window, at the foot of every page.
void TPanelView::DrawHoverTile() {
    const TViewState& v = Game.View;
    char text[64];
    std::snprintf(text, sizeof text, "Тайл: %dx%d", v.HoverTileX, v.HoverTileY);
    float line = ImGui::GetFrameHeightWithSpacing();
    float foot = ImGui::GetWindowHeight() - ImGui::GetStyle().WindowPadding.y - line;
    if (ImGui::GetCursorPosY() < foot) ImGui::SetCursorPosY(foot);
    ImGui::Separator();
    ImGui::TextUnformatted(text);
}

void TPanelView::DrawFileDialog(TFileDialog& dialog, const char* id) {
    TControlForm& form = Game.ControlForm;
    std::string title = dialog.Title() + std::string("###") + id;
    if (dialog.Visible && !ImGui::IsPopupOpen(title.c_str())) ImGui::OpenPopup(title.c_str());
    ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(io.DisplaySize);
    if (!ImGui::BeginPopupModal(title.c_str(), nullptr, ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove)) return;
    if (!dialog.Visible) {
        ImGui::CloseCurrentPopup();
        ImGui::EndPopup();
        return;
    }
    auto choose = [&](TFileDialog::TOutcome outcome) {
        if (outcome == TFileDialog::TOutcome::Confirm) ConfirmOpen = true;
        if (outcome != TFileDialog::TOutcome::Chosen) return;
        std::string path = dialog.Result.string();
        if (dialog.Kind == TFileDialogKind::Open)
            Act([&] { form.OpenMapFile(path); });
        else
            Act([&] { form.SaveMapFile(path); });
    };

    ImGui::PushTextWrapPos(0);
    ImGui::TextDisabled("%s", dialog.Folder.string().c_str());
    ImGui::PopTextWrapPos();
    // The listing takes what the name, filter, message and buttons leave.
    int messageLines =
        dialog.Message.empty() ? 0 : 1 + int(std::count(dialog.Message.begin(), dialog.Message.end(), '\n'));
    float listHeight = ImGui::GetContentRegionAvail().y - ImGui::GetFrameHeightWithSpacing() * 3 -
                       ImGui::GetTextLineHeightWithSpacing() * float(2 + messageLines);
    if (ImGui::BeginListBox("##entries", ImVec2(-FLT_MIN, std::max(listHeight, 60.0f)))) {
        std::vector<TFileEntry> entries = dialog.Entries;
        for (size_t i = 0; i < entries.size(); ++i) {
            const TFileEntry& e = entries[i];
            std::string text = e.Folder ? "[" + e.Name + "]" : e.Name;
            ImGui::PushID(int(i));
            bool selected = !e.Folder && e.Name == dialog.FileName;
            if (ImGui::Selectable(text.c_str(), selected, ImGuiSelectableFlags_AllowDoubleClick)) {
                bool twice = ImGui::IsMouseDoubleClicked(0);
                if (e.Folder && twice) {
                    dialog.Enter(e.Name);
                } else if (!e.Folder) {
                    dialog.Pick(e);
                    if (twice) choose(dialog.Accept());
                }
            }
            ImGui::PopID();
        }
        ImGui::EndListBox();
    }
    Label("Имя файла:");
    ImGui::SetNextItemWidth(Avail());
    if (ImGui::InputText("##filename", &dialog.FileName, ImGuiInputTextFlags_EnterReturnsTrue)) choose(dialog.Accept());
    Label("Тип файлов:");
    std::string filter = dialog.Filter;
    size_t bar = filter.find('|');
    std::string shown = bar == std::string::npos ? filter : filter.substr(0, bar) + " (" + filter.substr(bar + 1) + ")";
    ImGui::BeginDisabled();
    ImGui::SetNextItemWidth(Avail());
    ImGui::InputText("##filter", &shown, ImGuiInputTextFlags_ReadOnly);
    ImGui::EndDisabled();
    if (!dialog.Message.empty()) {
        ImGui::PushStyleColor(ImGuiCol_Text, Rgb(190, 0, 0));
        ImGui::PushTextWrapPos(0);
        ImGui::TextUnformatted(dialog.Message.c_str());
        ImGui::PopTextWrapPos();
        ImGui::PopStyleColor();
    }
    float half = HalfWidth();
    const char* ok = dialog.Kind == TFileDialogKind::Open ? "Открыть" : "Сохранить";
    if (ImGui::Button(ok, ImVec2(half, 0))) choose(dialog.Accept());
    ImGui::SameLine();
    if (ImGui::Button("Отмена", ImVec2(half, 0)) || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape)))
        dialog.Cancel();

    if (ConfirmOpen && !ImGui::IsPopupOpen("Подтверждение")) ImGui::OpenPopup("Подтверждение");
    ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x / 2, io.DisplaySize.y / 2), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(io.DisplaySize.x - 12, 0));
    if (ImGui::BeginPopupModal("Подтверждение", nullptr, ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove)) {
        ImGui::PushTextWrapPos(0);
        ImGui::Text("Файл %s не существует.", dialog.Pending.filename().string().c_str());
        ImGui::TextUnformatted("Создать его?");
        ImGui::PopTextWrapPos();
        float w = HalfWidth();
        bool yes = ImGui::Button("Да", ImVec2(w, 0));
        ImGui::SameLine();
        bool no = ImGui::Button("Нет", ImVec2(w, 0));
        if (yes || no) {
            ConfirmOpen = false;
            ImGui::CloseCurrentPopup();
            choose(dialog.Confirm(yes));
        }
        ImGui::EndPopup();
    }
    if (!dialog.Visible) ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
}

// "Новая": the pattern of the new location.
void TPanelView::DrawNewDialog() {
    TControlForm& form = Game.ControlForm;
    const char* title = "Новая локация";
    if (form.NewDialogShown && !ImGui::IsPopupOpen(title)) ImGui::OpenPopup(title);
    ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x / 2, io.DisplaySize.y / 3), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(io.DisplaySize.x - 12, 0));
    if (!ImGui::BeginPopupModal(title, nullptr, ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove)) return;
    Label("Паттерн:");
    Combo(form, form.NewPatternComboBox, "##newpattern", Avail());
    float half = HalfWidth();
    if (ImGui::Button("Создать", ImVec2(half, 0))) {
        form.NewDialogShown = false;
        AskThen([&form] { form.NewMapAccept(); });
    }
    ImGui::SameLine();
    if (ImGui::Button("Отмена", ImVec2(half, 0)) || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape)))
        form.NewDialogShown = false;
    if (!form.NewDialogShown) ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
}

void TPanelView::AskThen(std::function<void()> action) {
    if (Game.ControlForm.DiscardQuestion().empty()) {
        Act(action);
        return;
    }
    Pending = std::move(action);
}

// Unsaved edits would be lost: the author says whether to go on.
void TPanelView::DrawDiscardQuestion() {
    const char* title = "Несохранённые изменения";
    if (Pending && !ImGui::IsPopupOpen(title)) ImGui::OpenPopup(title);
    ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x / 2, io.DisplaySize.y / 2), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(io.DisplaySize.x - 12, 0));
    if (!ImGui::BeginPopupModal(title, nullptr, ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove)) return;
    ImGui::PushTextWrapPos(0);
    ImGui::TextUnformatted(Game.ControlForm.DiscardQuestion().c_str());
    ImGui::PopTextWrapPos();
    float w = HalfWidth();
    bool yes = ImGui::Button("Да", ImVec2(w, 0));
    ImGui::SameLine();
    bool no = ImGui::Button("Нет", ImVec2(w, 0));
    if (yes || no || !Pending) {
        std::function<void()> action = std::move(Pending);
        Pending = nullptr;
        ImGui::CloseCurrentPopup();
        if (yes && action) Act(action);
    }
    ImGui::EndPopup();
}

void TPanelView::Keys() {
    TControlForm& form = Game.ControlForm;
    ImGuiIO& io = ImGui::GetIO();
    if (io.WantTextInput || form.OpenDialog.Visible || form.SaveDialog.Visible) return;
    if (!ImGui::IsWindowFocused(ImGuiFocusedFlags_RootAndChildWindows)) return;
    if (io.KeyCtrl && ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Z), false)) Act([&] { form.Undo(); });
    if (io.KeyCtrl && ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Y), false)) Act([&] { form.Redo(); });
    if (io.KeyCtrl && ImGui::IsKeyPressed(SDL_SCANCODE_N, false)) Act([&] { form.NewMenuClick(); });
    if (io.KeyCtrl && ImGui::IsKeyPressed(SDL_SCANCODE_P, false)) {
        TViewState& v = Game.View;
        Act([&] { form.Host.Playing() ? form.StopPlay() : form.PlayFromHere(v.HoverTileX, v.HoverTileY); });
    }
    if (io.KeyCtrl && ImGui::IsKeyPressed(SDL_SCANCODE_R, false) && !form.Host.LocationFile().empty())
        AskThen([&form] { form.RestartLocation(); });
    // The inspector's step and continue, as debuggers have them.
    TInspector& inspector = Game.Inspector;
    if (ImGui::IsKeyPressed(SDL_SCANCODE_F10, false) && (inspector.Paused() || inspector.TargetScript()))
        Act([&] { inspector.Step(); });
    if (ImGui::IsKeyPressed(SDL_SCANCODE_F8, false) && inspector.Paused()) Act([&] { inspector.Continue(); });
    // Delete belongs to the two lists: pressed in a field, box or button of the panel it deletes nothing.
    if (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Delete), false)) {
        if (form.ActivePage == PageCritter && CritterListFocused) Act([&] { form.CritterListBoxKeyDown(VK_DELETE); });
        if (form.ActivePage == PageObjects && ObjectListFocused) Act([&] { form.ObjectListBoxKeyDown(VK_DELETE); });
    }
}

#else

void TPanelView::SetUpContext(const TFontEngine&) {}
void TPanelView::Draw() {}

#endif
