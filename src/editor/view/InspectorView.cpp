#include "editor/view/InspectorView.h"

#ifdef RW_HAVE_IMGUI

#include <imgui.h>

#include <algorithm>
#include <cfloat>
#include <string>

#include "app/MainForm.h"

namespace {
float Avail() {
    return ImGui::GetContentRegionAvail().x;
}

float Half() {
    return (Avail() - ImGui::GetStyle().ItemSpacing.x) / 2;
}

void Wrapped(const std::string& text) {
    ImGui::PushTextWrapPos(0);
    ImGui::TextUnformatted(text.c_str());
    ImGui::PopTextWrapPos();
}

// The file's own name: "data\scripts\guard.sc" shows as "guard.sc".
std::string ShortPath(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string StepText(const std::string& node, const std::string& key, int position) {
    if (node.empty()) return "—";
    return position < 0 ? node + ": конец" : node + " / " + key;
}

// A number field that hands its value over when the author leaves it or presses Enter.
bool NumberField(const char* id, int& value, float width) {
    ImGui::SetNextItemWidth(width);
    ImGui::InputInt(id, &value, 0, 0, ImGuiInputTextFlags_AutoSelectAll);
    return ImGui::IsItemDeactivatedAfterEdit();
}
}  // namespace

template <class F>
void TInspectorView::Act(F&& handler) {
    Game.Guard(handler);
}

void TInspectorView::Draw() {
    DrawTarget();
    DrawPause();
    DrawState();
    DrawEvents();
    DrawBreakpoints();
    DrawGlobals();
}

// Which script: the critter or object selected on its page, or the location's.
void TInspectorView::DrawTarget() {
    TInspector& inspector = Game.Inspector;
    const TControlForm& form = Game.ControlForm;
    if (ImGui::Button("Выбранный", ImVec2(Half(), 0))) inspector.InspectSelected(form);
    ImGui::SameLine();
    if (ImGui::Button("Карта", ImVec2(Half(), 0))) inspector.Inspect(TInspector::TTarget::Map);
    TScriptPtr script = inspector.TargetScript();
    const auto& critters = form.CritterListBox.Items;
    const auto& objects = form.ObjectListBox.Items;
    const size_t index = size_t(inspector.TargetIndex);
    std::string who = inspector.TargetName();
    if (inspector.Target == TInspector::TTarget::Critter && index < critters.size())
        who = "Персонаж " + critters[index];
    else if (inspector.Target == TInspector::TTarget::Object && index < objects.size())
        who = "Объект " + objects[index];
    else if (inspector.Target == TInspector::TTarget::Map)
        who = "Скрипт карты";
    if (who.empty()) who = "Ничего не выбрано";
    Wrapped(who + (script ? ": " + ShortPath(script->Path) : std::string(" (нет скрипта)")));
}

void TInspectorView::DrawPause() {
    TInspector& inspector = Game.Inspector;
    if (!inspector.Paused()) {
        ImGui::BeginDisabled(!inspector.TargetScript());
        if (ImGui::Button("Остановить на шаге (F10)", ImVec2(Avail(), 0))) Act([&] { inspector.Step(); });
        ImGui::EndDisabled();
        return;
    }
    ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(0.75f, 0.0f, 0.0f, 1.0f));
    const TScriptSnapshot* at = inspector.PausedAt();
    std::string where = at ? StepText(at->Node, at->Key, at->Position) : std::string();
    const TScript& paused = *inspector.PausedScript();
    const std::string owner = paused.OwnerKind == OwnerCritter  ? "персонаж " + std::to_string(paused.OwnerIndex)
                              : paused.OwnerKind == OwnerObject ? "объект " + std::to_string(paused.OwnerIndex)
                                                                : std::string("карта");
    Wrapped("Пауза: " + owner + ", " + where + " (" +
            std::to_string(inspector.Cursor() + 1) + " из " + std::to_string(inspector.Record().size()) + ")");
    if (at && at->Position < 0) Wrapped("Итог: " + at->Result);
    ImGui::PopStyleColor();
    if (ImGui::Button("Шаг (F10)", ImVec2(Avail(), 0))) Act([&] { inspector.Step(); });
    if (ImGui::Button("Дальше (F8)", ImVec2(Avail(), 0))) Act([&] { inspector.Continue(); });
}

// The step, timer, stack and locals: as recorded at the step the pause shows, else as they are now.
void TInspectorView::DrawState() {
    TInspector& inspector = Game.Inspector;
    const TScriptSnapshot* at = inspector.PausedAt();
    TScriptPtr script = inspector.TargetScript();
    // Mid-record the values are history: shown, not edited. At the record's end they are the script's own.
    const bool recorded = at && at->Position >= 0 && inspector.PausedScript() == script;
    TScriptSnapshot state;
    if (recorded) {
        state = *at;
    } else if (script) {
        state = TInspector::Snap(*script, {}, -1, {}, Game.Now());
        if (const TScriptDebugInfo* d = script->Debug.get())
            state.Node = d->Node, state.Key = d->Key, state.Position = d->Position;
    } else {
        return;
    }
    Wrapped("Шаг: " + (state.Position < 0 && !recorded ? std::string("—") : StepText(state.Node, state.Key,
                                                                                         state.Position)));
    Wrapped(state.TimerEnabled ? "Таймер: " + std::to_string(state.TimerInterval) + " мс, через " +
                                     std::to_string(std::max<int64_t>(state.TimerDue, 0))
                               : std::string("Таймер: выключен"));
    if (ImGui::CollapsingHeader(("Стек (" + std::to_string(state.StackSize) + ")###stack").c_str(),
                                ImGuiTreeNodeFlags_DefaultOpen)) {
        ImGui::BeginChild("##stack", ImVec2(0, 58), true);
        // The top first, as the next command takes it.
        for (size_t i = state.Stack.size(); i-- > 0;) ImGui::TextUnformatted(state.Stack[i].c_str());
        ImGui::EndChild();
    }
    if (ImGui::CollapsingHeader("Локальные###locals", ImGuiTreeNodeFlags_DefaultOpen)) {
        ImGui::BeginChild("##locals", ImVec2(0, 84), true);
        for (int i = 0; i < int(state.Locals.size()); ++i) {
            ImGui::PushID(i);
            ImGui::AlignTextToFramePadding();
            ImGui::Text("%2d", i);
            ImGui::SameLine(24);
            int value = state.Locals[size_t(i)];
            ImGui::BeginDisabled(recorded);
            if (NumberField("##v", value, Avail())) Act([&] { inspector.SetLocal(i, value); });
            ImGui::EndDisabled();
            ImGui::PopID();
        }
        ImGui::EndChild();
    }
}

// The last events, the newest first.
void TInspectorView::DrawEvents() {
    TScriptPtr script = Game.Inspector.TargetScript();
    const TScriptDebugInfo* d = script ? script->Debug.get() : nullptr;
    const size_t count = d ? d->EventCount() : 0;
    if (!ImGui::CollapsingHeader(("События (" + std::to_string(count) + ")###events").c_str())) return;
    ImGui::BeginChild("##events", ImVec2(0, 84), true);
    for (size_t i = count; i-- > 0;) {
        const TScriptEventRecord& e = d->Event(i);
        const bool ok = e.Result == "ok";
        if (!ok) ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(0.75f, 0.0f, 0.0f, 1.0f));
        ImGui::TextUnformatted((std::to_string(e.Time) + " " + e.Node + ": " + e.Result).c_str());
        if (!ok) ImGui::PopStyleColor();
    }
    ImGui::EndChild();
}

// A breakpoint on a node and step of the inspected script's file, picked from the file's own.
void TInspectorView::DrawBreakpoints() {
    TInspector& inspector = Game.Inspector;
    if (!ImGui::CollapsingHeader("Точки останова###breakpoints")) return;
    if (TScriptPtr script = inspector.TargetScript()) {
        auto file = Game.Scripts.File(script->Path);
        const auto& nodes = file->Nodes;
        if (!nodes.empty()) {
            BreakNode = std::clamp(BreakNode, 0, int(nodes.size()) - 1);
            const TScriptNode& node = nodes[size_t(BreakNode)].second;
            ImGui::SetNextItemWidth(Half());
            if (ImGui::BeginCombo("##bnode", nodes[size_t(BreakNode)].first.c_str())) {
                for (int i = 0; i < int(nodes.size()); ++i)
                    if (ImGui::Selectable(nodes[size_t(i)].first.c_str(), i == BreakNode)) BreakNode = i, BreakKey = 0;
                ImGui::EndCombo();
            }
            ImGui::SameLine();
            const int keys = int(node.Keys.size());
            BreakKey = keys ? std::clamp(BreakKey, 0, keys - 1) : 0;
            ImGui::SetNextItemWidth(Half());
            if (ImGui::BeginCombo("##bkey", keys ? node.Keys[size_t(BreakKey)].c_str() : "")) {
                for (int i = 0; i < keys; ++i) {
                    ImGui::PushID(i);
                    const std::string item = node.Keys[size_t(i)] + "=" + node.Values[size_t(i)];
                    if (ImGui::Selectable(item.c_str(), i == BreakKey)) BreakKey = i;
                    ImGui::PopID();
                }
                ImGui::EndCombo();
            }
            if (ImGui::Button("Поставить", ImVec2(Avail(), 0)) && keys)
                Act([&] { inspector.SetBreakpoint(nodes[size_t(BreakNode)].first, node.Keys[size_t(BreakKey)]); });
        }
    }
    for (size_t i = 0; i < inspector.Breakpoints.size(); ++i) {
        const TBreakpoint b = inspector.Breakpoints[i];
        ImGui::PushID(int(i));
        if (ImGui::SmallButton("x")) std::erase_if(inspector.Breakpoints, [&](const TBreakpoint& o) {
                return o.Script == b.Script && o.Node == b.Node && o.Key == b.Key;
            });
        ImGui::SameLine();
        ImGui::TextUnformatted((ShortPath(b.Script) + " " + b.Node + " / " + b.Key).c_str());
        ImGui::PopID();
    }
}

// The global variables that hold something, and any one set by its number.
void TInspectorView::DrawGlobals() {
    TInspector& inspector = Game.Inspector;
    if (!ImGui::CollapsingHeader("Глобальные###globals")) return;
    const auto& globals = Game.Scripts.GlobalVars;
    ImGui::BeginChild("##globals", ImVec2(0, 84), true);
    for (int i = 0; i < int(globals.size()); ++i) {
        if (globals[size_t(i)] == 0) continue;
        ImGui::PushID(i);
        ImGui::AlignTextToFramePadding();
        ImGui::Text("%3d", i);
        ImGui::SameLine(30);
        int value = globals[size_t(i)];
        if (NumberField("##g", value, Avail())) Act([&] { inspector.SetGlobal(i, value); });
        ImGui::PopID();
    }
    ImGui::EndChild();
    NumberField("##gi", GlobalIndex, 40);
    ImGui::SameLine();
    NumberField("##gv", GlobalValue, Avail() - 50);
    ImGui::SameLine();
    if (ImGui::Button("=", ImVec2(Avail(), 0))) Act([&] { inspector.SetGlobal(GlobalIndex, GlobalValue); });
}

#else

void TInspectorView::Draw() {}

#endif
