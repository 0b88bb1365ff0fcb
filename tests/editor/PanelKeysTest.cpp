// The panel's Delete key, driven through Dear ImGui frames as a person would.
#if __has_include(<imgui.h>) && __has_include(<imgui_internal.h>)
#include <imgui.h>
#include <imgui_internal.h>

#include <functional>

#include "EditorTestKit.h"
#include "editor/view/PanelView.h"

namespace {

constexpr int DeleteKey = 100;

class PanelKeys : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        Context = ImGui::CreateContext();
        TPanelView::SetUpContext(G().Fonts);
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(float(PanelWidth), float(PanelHeight));
        io.DeltaTime = 1.0f / 60;
        io.KeyMap[ImGuiKey_Delete] = DeleteKey;
        unsigned char* pixels = nullptr;
        int width = 0, height = 0;
        io.Fonts->GetTexDataAsAlpha8(&pixels, &width, &height);
        View = std::make_unique<TPanelView>(G());
    }
    void TearDown() override {
        View.reset();
        ImGui::DestroyContext(Context);
    }
    void Frame() {
        ImGui::NewFrame();
        View->Draw();
        ImGui::Render();
    }
    void ClickAt(ImVec2 at) {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = at;
        Frame();
        io.MouseDown[0] = true;
        Frame();
        io.MouseDown[0] = false;
        Frame();
    }
    void PressDelete() {
        ImGuiIO& io = ImGui::GetIO();
        io.KeysDown[DeleteKey] = true;
        Frame();
        io.KeysDown[DeleteKey] = false;
        Frame();
    }
    // A point on the second row of the page's list: its only child window drawn last frame.
    static ImVec2 SecondRow() {
        for (ImGuiWindow* window : GImGui->Windows)
            if ((window->Flags & ImGuiWindowFlags_ChildWindow) && window->Active)
                return ImVec2(window->Pos.x + 20, window->Pos.y + ImGui::GetTextLineHeightWithSpacing() * 1.5f);
        ADD_FAILURE() << "no list drawn";
        return ImVec2(0, 0);
    }

    ImGuiContext* Context = nullptr;
    std::unique_ptr<TPanelView> View;
};

TEST_F(PanelKeys, OnlyTheListsTakeTheDeleteKey) {
    Load(Location());
    struct TCase {
        const char* Page;
        std::function<int()> Count;
    };
    const TCase cases[] = {{"Critter", [&] { return W().CritterCount(); }},
                           {"Objects", [&] { return int(W().Objects.size()); }}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Page);
        G().PanelCommand(std::string("page ") + c.Page);
        Frame();
        const int before = c.Count();
        // A picked entry, then the focus on the panel's own area below the controls.
        ClickAt(SecondRow());
        ClickAt(ImVec2(PanelWidth / 2.0f, PanelHeight - 4.0f));
        PressDelete();
        EXPECT_EQ(c.Count(), before);
        // Back in the list, Delete removes the entry picked there.
        ClickAt(SecondRow());
        PressDelete();
        EXPECT_EQ(c.Count(), before - 1);
    }
}

}  // namespace
#endif
