// The panel's list of what the script checker found in the scripts changed on disk (debug mode's hot
// reload), below the page.
#include "editor/view/PanelView.h"

#ifdef RW_HAVE_IMGUI

#include <imgui.h>

#include <algorithm>
#include <cfloat>

#include "app/MainForm.h"

void TPanelView::DrawReload() {
    std::vector<THotReload::TReport>& reports = Game.HotReload.Reports;
    if (reports.empty()) return;
    const ImVec4 errorInk(0.75f, 0.0f, 0.0f, 1.0f), warningInk(0.55f, 0.35f, 0.0f, 1.0f),
        fineInk(0.0f, 0.45f, 0.0f, 1.0f);
    ImGui::Separator();
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted("Проверка скриптов");
    const char* hide = "Скрыть";
    ImGui::SameLine(ImGui::GetWindowContentRegionMax().x - ImGui::CalcTextSize(hide).x -
                    ImGui::GetStyle().FramePadding.x * 2);
    if (ImGui::SmallButton(hide)) {
        reports.clear();
        return;
    }
    // The rest of the panel above the tile line at its foot, and never so little that a message does not fit.
    const float foot = ImGui::GetFrameHeightWithSpacing() + 2 * ImGui::GetStyle().ItemSpacing.y;
    const float height =
        std::max(ImGui::GetContentRegionAvail().y - foot, 6 * ImGui::GetTextLineHeightWithSpacing());
    ImGui::BeginChild("##reload", ImVec2(-FLT_MIN, height), true);
    ImGui::PushTextWrapPos(0);
    for (const THotReload::TReport& report : reports) {
        const std::string name = report.File.substr(report.File.find_last_of('/') + 1);
        ImGui::PushStyleColor(ImGuiCol_Text, report.Kept ? errorInk : fineInk);
        ImGui::TextWrapped("%s: %s", name.c_str(), report.Kept ? "ошибки, работает прежний" : "перезагружен");
        ImGui::PopStyleColor();
        if (report.Messages.empty()) ImGui::TextDisabled("замечаний нет");
        for (const TCheckMessage& m : report.Messages) {
            std::string place = m.Node.empty() ? std::string() : "[" + m.Node + "]";
            if (!m.Key.empty()) place += " " + m.Key;
            ImGui::PushStyleColor(ImGuiCol_Text, m.Error ? errorInk : warningInk);
            ImGui::TextWrapped("%s%s%s", place.c_str(), place.empty() ? "" : ": ", m.Text.c_str());
            ImGui::PopStyleColor();
        }
    }
    ImGui::PopTextWrapPos();
    ImGui::EndChild();
}

#endif
