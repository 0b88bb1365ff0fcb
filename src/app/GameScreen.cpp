#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/MainForm.h"
#include "base/SafeMath.h"
#include "base/Text.h"
#include "critters/Critter.h"
#include "world/Obj.h"

namespace {
constexpr float VelocityStep = 0.2f;
constexpr float VelocityMax = 3.0f;

// Velocities are single precision; the arithmetic runs wider and is stored
// back, as the frame has always done it.
void Accelerate(float& v, double delta) {
    v = float(double(v) + delta);
    if (v > VelocityMax) v = VelocityMax;
    if (v < -VelocityMax) v = -VelocityMax;
}

void Friction(float& v) {
    if (v != 0) v = float(double(v) - (v > 0 ? 1.0 : -1.0) * double(VelocityStep) / 3.0);
}

int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

const char* YesNo(int v) { return v == 0 ? "Нет" : "Да"; }
}  // namespace

void TMainForm::GameRender() {
    TViewState& v = View;
    uint32_t now = Now();

    // 1. Five seconds after the player's death the game is over.
    if (!DebugMode && PlayerDeadFlag && now - DeathTime >= 5000u) {
        StartMainMenu();
        return;
    }

    auto moveHandler = [&] {
        if (ScreenMode == smGame)
            GameMouseMove(v.MouseX, v.MouseY);
        else if (ScreenMode == smDialog)
            DialogMouseMove(v.MouseX, v.MouseY);
    };

    // 2. Direction keys, by the editor panel's page.
    if (ScreenMode == smGame && !v.MiddleDrag) {
        int page = ControlForm.ActivePage;
        if (page != PageCritter && page != PageObjects) {
            if (DXI.Left()) Accelerate(v.VelocityX, VelocityStep), moveHandler();
            if (DXI.Right()) Accelerate(v.VelocityX, -VelocityStep), moveHandler();
            if (DXI.Up()) Accelerate(v.VelocityY, VelocityStep), moveHandler();
            if (DXI.Down()) Accelerate(v.VelocityY, -VelocityStep), moveHandler();
        } else if (page == PageObjects) {
            int dx = 0, dy = 0;
            if (DXI.Right()) dx = 1;
            if (DXI.Left()) dx = -1;
            if (DXI.Up()) dy = -1;
            if (DXI.Down()) dy = 1;
            if (dx != 0 || dy != 0) ControlForm.NudgeSelectedObject(dx, dy);
        }
    }

    // 3. Screen edges, while the pointer is on the window and the player wants it.
    if (v.PointerInside && Settings.EdgeScroll) {
        if (v.MouseX < 5) Accelerate(v.VelocityX, VelocityStep), moveHandler();
        if (v.MouseX > 795) Accelerate(v.VelocityX, -VelocityStep), moveHandler();
        if (v.MouseY < 5) Accelerate(v.VelocityY, VelocityStep), moveHandler();
        if (v.MouseY > 595) Accelerate(v.VelocityY, -VelocityStep), moveHandler();
    }

    // 4.-6. Move the view, friction, clamp.
    v.ScrollX += RoundEven(v.VelocityX);
    v.ScrollY += RoundEven(v.VelocityY);
    Friction(v.VelocityX);
    Friction(v.VelocityY);
    v.ScrollX = Clamp(v.ScrollX, -800, 0);
    v.ScrollY = Clamp(v.ScrollY, -600, 0);

    // 7.-9. Debug keys, Shift, Delete.
    if (DebugMode) {
        if (DXI.KeyDown(69) && !Platform.PanelVisible()) Platform.SetPanelVisible(true);
        for (int k = 0; k < 4; ++k)
            if (DXI.KeyDown(VK_F1 + k)) ControlForm.ActivePage = k;
    }
    v.TileInfoShown = !DXI.KeyDown(VK_SHIFT);
    if (DebugMode && (ControlForm.ActivePage == PageCritter || ControlForm.ActivePage == PageObjects)) {
        // Ctrl+C, Ctrl+V at the pointer, Ctrl+D: the selection of several records.
        auto chord = [&](int vk) { return EditorKeyTap(vk) && DXI.KeyDown(VK_CONTROL); };
        if (chord('C')) ControlForm.CopySelection();
        if (chord('V')) ControlForm.PasteAt(v.HoverTileX, v.HoverTileY);
        if (chord('D')) ControlForm.DuplicateSelection();
    }
    if (DebugMode) {
        // G shows the tile grid, M the whole location; each key toggles.
        auto tap = [&](int vk) { return EditorKeyTap(vk) && !DXI.KeyDown(VK_CONTROL); };
        if (tap('G')) ControlForm.GridCheckBox = !ControlForm.GridCheckBox;
        if (tap('M')) ControlForm.OverviewCheckBox = !ControlForm.OverviewCheckBox;
    }
    if (DXI.KeyDown(VK_DELETE)) {
        if (!v.DeleteLatch) {
            if (DebugMode && ControlForm.HasMultiSelection() &&
                (ControlForm.ActivePage == PageCritter || ControlForm.ActivePage == PageObjects))
                ControlForm.DeleteSelection();
            else if (ControlForm.ActivePage == PageCritter && ControlForm.CritterListBox.ItemIndex > 0)
                ControlForm.DelCritterButtonClick();
            else if (ControlForm.ActivePage == PageObjects && !ControlForm.ObjectListBox.Items.empty())
                ControlForm.ODeleteButtonClick();
            v.DeleteLatch = true;
        }
    } else {
        v.DeleteLatch = false;
    }

    // 10. Critters. A script event inside the pass may load another
    // location; the rest of the pass then belongs to a world that is gone.
    uint64_t generation = World.Generation;
    for (int i = 0; i < World.CritterCount() && World.Generation == generation; ++i) World.Critters[size_t(i)]->Update();

    // 11. Objects.
    bool removal = false;
    for (int i = 0; i < World.ObjectCount(); ++i) {
        tObj& obj = *World.Objects[size_t(i)];
        if (obj.PendingRemoval) removal = true;
        obj.Animate();
    }
    if (removal && World.DrawList) World.DrawList->Rebuild();
    // A script of this frame may have left the game for the menu or the credits.
    if (ScreenMode == smMainMenu || Closed) return;

    // 12. Location picture: only the background pieces that meet the screen.
    for (int row = std::abs(v.ScrollY) / 240; row <= std::abs(v.ScrollY - 599) / 240 && row < 5; ++row)
        for (int col = std::abs(v.ScrollX) / 320; col <= std::abs(v.ScrollX - 799) / 320 && col < 5; ++col) {
            int index = row * 5 + col;
            if (DXIL.Valid(index)) DXDraw.Draw(DXIL.Item(index), col * 320 + v.ScrollX, row * 240 + v.ScrollY, 0);
        }

    // 13. Debug selection markers, drawn under the sprites.
    if (DebugMode) {
        DXDraw.BrushStyle = TBrushStyle::Clear;
        DXDraw.PenColor = 0x00FFFF;
        if (ControlForm.ActivePage == PageCritter) {
            if (const tCritter* c = World.Critter(ControlForm.CritterListBox.ItemIndex)) {
                const int64_t left = int64_t(c->X) * TileW + v.ScrollX, top = int64_t(c->Y) * TileH + v.ScrollY;
                DXDraw.Ellipse(ClampScreen(left - 10), ClampScreen(top - 5), ClampScreen(left + 30),
                               ClampScreen(top + 15));
            }
        } else if (ControlForm.ActivePage == PageObjects) {
            const tObj* o = World.Object(ControlForm.ObjectListBox.ItemIndex);
            if (o && DXIL.Valid(o->ImageIndex)) {
                const int64_t w = DXIL.Item(o->ImageIndex).PatW();
                const int64_t cx = int64_t(o->X) * TileW + v.ScrollX + o->OffsetX + 10;
                const int64_t cy = int64_t(o->Y) * TileH + v.ScrollY + o->OffsetY + 5;
                DXDraw.Ellipse(ClampScreen(cx - 10 - w / 2), ClampScreen(cy - 5 - w / 4), ClampScreen(cx + 10 + w / 2),
                               ClampScreen(cy + 5 + w / 4));
            }
        }
        DXDraw.Release();
    }

    // 14. Sprites.
    if (World.DrawList) World.DrawList->Draw(DXDraw, View.ScrollX, View.ScrollY);

    // 15. The pick compares with the surface, so it runs before anything
    // else covers the sprites.
    if (v.HoverRequest) {
        v.HoverRequest = false;
        int32_t kind = -1;
        v.HoverIndex = World.DrawList ? World.DrawList->Pick(DXDraw, v.ScrollX, v.ScrollY, v.MouseX, v.MouseY, kind) : -1;
        v.HoverKind = kind;
    }

    // 16. Debug overlay.
    if (DebugMode && (ControlForm.ActivePage == PageCritter || ControlForm.ActivePage == PageObjects)) {
        // The selection of several records in white, and the band being drawn.
        const TBrushStyle brush = DXDraw.BrushStyle;
        const TColor pen = DXDraw.PenColor;
        DXDraw.BrushStyle = TBrushStyle::Clear;
        DXDraw.PenColor = 0xFFFFFF;
        auto frame = [&](int x0, int y0, int x1, int y1) {
            DXDraw.Rectangle(ClampScreen(int64_t(x0) * TileW + v.ScrollX), ClampScreen(int64_t(y0) * TileH + v.ScrollY),
                             ClampScreen(int64_t(x1 + 1) * TileW + v.ScrollX),
                             ClampScreen(int64_t(y1 + 1) * TileH + v.ScrollY));
        };
        for (int i : ControlForm.SelectedCritters)
            if (const tCritter* c = World.Critter(i)) frame(c->X, c->Y, c->X, c->Y);
        for (int i : ControlForm.SelectedObjects)
            if (const tObj* o = World.Object(i)) frame(o->X, o->Y, o->X, o->Y);
        int x0, y0, x1, y1;
        if (ControlForm.BandRect(x0, y0, x1, y1)) frame(x0, y0, x1, y1);
        DXDraw.BrushStyle = brush;
        DXDraw.PenColor = pen;
    }
    if (DebugMode) {
        if (ControlForm.ActivePage == PageBrush) {
            int row0 = std::abs(v.ScrollY) / TileH, row1 = std::min(std::abs(v.ScrollY - 599) / TileH, MapRows - 1);
            int col0 = std::abs(v.ScrollX) / TileW, col1 = std::min(std::abs(v.ScrollX - 799) / TileW, MapCols - 1);
            DXDraw.BrushStyle = TBrushStyle::Clear;
            DXDraw.PenColor = 0x0000FF;
            for (int x = col0; x <= col1; ++x)
                for (int y = row0; y <= row1; ++y)
                    if (World.Grid.At(x, y).WalkBlock != 0)
                        DXDraw.Rectangle(x * TileW + v.ScrollX, y * TileH + v.ScrollY, (x + 1) * TileW + v.ScrollX,
                                         (y + 1) * TileH + v.ScrollY);
            DXDraw.PenColor = 0x00FF00;
            for (int x = col0; x <= col1; ++x)
                for (int y = row0; y <= row1; ++y)
                    if (World.Grid.At(x, y).ShootBlock != 0)
                        DXDraw.Rectangle(x * TileW + v.ScrollX + 1, y * TileH + v.ScrollY + 1,
                                         (x + 1) * TileW + v.ScrollX - 1, (y + 1) * TileH + v.ScrollY - 1);
            DXDraw.PenColor = 0x00FFFF;
            DXDraw.Font = TFontSpec{"Small Fonts", 4, false, false, 0x00FFFF};
            for (int x = col0; x <= col1; ++x)
                for (int y = row0; y <= row1; ++y) {
                    int hit = World.Grid.At(x, y).HitType;
                    if (hit > 0) {
                        int left = x * TileW + v.ScrollX, top = y * TileH + v.ScrollY;
                        DXDraw.Rectangle(left + 2, top + 2, left + 10, top + 8);
                        DXDraw.TextOut(left + 4, top + 2, std::to_string(hit));
                    }
                }
            // The line or rectangle being dragged, before the release paints it.
            std::vector<std::pair<int, int>> shape;
            if (ControlForm.BrushShape(shape)) {
                DXDraw.PenColor = 0xFFFFFF;
                for (const auto& [x, y] : shape)
                    if (x >= col0 && x <= col1 && y >= row0 && y <= row1)
                        DXDraw.Rectangle(x * TileW + v.ScrollX + 3, y * TileH + v.ScrollY + 3,
                                         (x + 1) * TileW + v.ScrollX - 3, (y + 1) * TileH + v.ScrollY - 3);
            }
            if (v.TileInfoShown && !v.MiddleDrag) {
                int bx = v.MouseX > 634 ? v.MouseX - 166 : v.MouseX;
                int by = v.MouseY > 518 ? v.MouseY - 98 : v.MouseY;
                DXDraw.BrushStyle = TBrushStyle::Solid;
                DXDraw.BrushColor = 0x303030;
                DXDraw.PenColor = 0x00FF00;
                DXDraw.Rectangle(bx + 16, by + 16, bx + 166, by + 82);
                DXDraw.BrushStyle = TBrushStyle::Clear;
                DXDraw.Font = TFontSpec{"Tahoma", 8, true, false, 0x00FF00};
                const TCell& cell = World.Grid.At(v.HoverTileX, v.HoverTileY);
                DXDraw.TextOut(bx + 20, by + 18,
                               "Тайл: " + std::to_string(v.HoverTileX) + "x" + std::to_string(v.HoverTileY));
                DXDraw.TextOut(bx + 20, by + 30, std::string("Блок ходьбы: ") + YesNo(cell.WalkBlock));
                DXDraw.TextOut(bx + 20, by + 42, std::string("Блок стрельбы: ") + YesNo(cell.ShootBlock));
                DXDraw.TextOut(bx + 20, by + 54, "Анимация ходьбы: " + std::to_string(cell.WalkAnim));
                DXDraw.TextOut(bx + 20, by + 66, "Тип попадания: " + std::to_string(cell.HitType));
            }
        }
        DXDraw.BrushStyle = TBrushStyle::Clear;
        DXDraw.Font = TFontSpec{"Tahoma", 10, true, false, 0x00FF00};
        DXDraw.TextOut(2, 0, "FPS: " + std::to_string(DXT.FrameRate()));
        DXDraw.Release();
    }

    // 17. Interface panel and console.
    if (!DebugMode) {
        if (TImageItem* main = DXIL.FindItem("Main"))
            DXDraw.Draw(*main, 0, 432, v.InventoryPressed ? 1 : v.MenuPressed ? 2 : 0);
        RenderConsole();
    }

    // 18. Dialog.
    if (ScreenMode == smDialog) {
        if (TImageItem* panel = DXIL.FindItem("Dialog")) DXDraw.Draw(*panel, 55, 81, 0);
        if (Dialog.FadeRunning) {
            if (TImageItem* prev = DXIL.FindItem(Dialog.PreviousHead)) DXDraw.Draw(*prev, 71, 92, 0);
            // The dialog takes no clicks while a portrait fades, so no script can keep it waiting for weeks.
            const int32_t duration = std::min(Dialog.FadeDuration, Dialog.MaxFadeMs);
            int32_t alpha =
                duration > 0 ? RoundEven(double(now - Dialog.FadeStart) * (255.0 / duration)) : 255;
            if (TImageItem* next = DXIL.FindItem(Dialog.NewHead))
                DXDraw.DrawAlpha(*next, TRect{71, 92, 380, 327}, 0, alpha);
            if (duration <= 0 || now - Dialog.FadeStart > uint32_t(duration)) {
                Dialog.FadeRunning = false;
                Dialog.CurrentHead = Dialog.NewHead;
            }
        } else if (!Dialog.CurrentHead.empty()) {
            if (TImageItem* head = DXIL.FindItem(Dialog.CurrentHead)) DXDraw.Draw(*head, 71, 92, 0);
        }
        renderDialog();
    }

    RenderEditorAids();

    // 19. Cursor.
    if (!PlayerDeadFlag && !Dialog.FadeRunning) {
        const char* cursor;
        if (ScreenMode == smDialog)
            cursor = Dialog.Hovered == -1 ? "Cursor" : "CursorO";
        else
            cursor = v.AttackCursor ? "CursorA" : v.HoverIndex == -1 ? "Cursor" : "CursorO";
        if (TImageItem* item = DXIL.FindItem(cursor)) DXDraw.Draw(*item, v.MouseX - 16, v.MouseY - 16, 0);
    }
}
