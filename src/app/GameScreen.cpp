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

// The game screen's frame, in the order the game runs it: the view moves, the
// world takes its turn, then the picture is drawn from the bottom up.
void TMainForm::GameRender() {
    const uint32_t now = Now();
    if (GameOverDue(now)) {
        StartMainMenu();
        return;
    }
    ScrollByKeys();
    ScrollByEdges();
    MoveView();
    DebugKeys();
    UpdateCritters();
    AnimateObjects();
    // A script of this frame may have left the game for the menu or the credits.
    if (ScreenMode == smMainMenu || Closed) return;
    DrawLocation();
    DrawSelection();
    if (World.DrawList) World.DrawList->Draw(DXDraw, View.ScrollX, View.ScrollY);
    PickHover();
    DrawDebugOverlay();
    DrawInterface();
    DrawDialog(now);
    RenderEditorAids();
    RenderNotice();
    DrawCursor();
}

// Five seconds after the player's death the game is over.
bool TMainForm::GameOverDue(uint32_t now) const {
    return !DebugMode && PlayerDeadFlag && now - DeathTime >= 5000u;
}

// The pointer's handler again, as the view moved under it.
void TMainForm::PointerOverMovedView() {
    if (ScreenMode == smGame)
        GameMouseMove(View.MouseX, View.MouseY);
    else if (ScreenMode == smDialog)
        DialogMouseMove(View.MouseX, View.MouseY);
}

// Direction keys scroll the view, or on the objects page nudge the selected object.
void TMainForm::ScrollByKeys() {
    TViewState& v = View;
    if (ScreenMode != smGame || v.MiddleDrag) return;
    const int page = ControlForm.ActivePage;
    if (page != PageCritter && page != PageObjects) {
        if (DXI.Left()) Accelerate(v.VelocityX, VelocityStep), PointerOverMovedView();
        if (DXI.Right()) Accelerate(v.VelocityX, -VelocityStep), PointerOverMovedView();
        if (DXI.Up()) Accelerate(v.VelocityY, VelocityStep), PointerOverMovedView();
        if (DXI.Down()) Accelerate(v.VelocityY, -VelocityStep), PointerOverMovedView();
    } else if (page == PageObjects) {
        int dx = 0, dy = 0;
        if (DXI.Right()) dx = 1;
        if (DXI.Left()) dx = -1;
        if (DXI.Up()) dy = -1;
        if (DXI.Down()) dy = 1;
        if (dx != 0 || dy != 0) ControlForm.NudgeSelectedObject(dx, dy);
    }
}

// Screen edges scroll, while the pointer is on the window and the player wants it.
void TMainForm::ScrollByEdges() {
    TViewState& v = View;
    if (!v.PointerInside || !Settings.EdgeScroll) return;
    if (v.MouseX < 5) Accelerate(v.VelocityX, VelocityStep), PointerOverMovedView();
    if (v.MouseX > 795) Accelerate(v.VelocityX, -VelocityStep), PointerOverMovedView();
    if (v.MouseY < 5) Accelerate(v.VelocityY, VelocityStep), PointerOverMovedView();
    if (v.MouseY > 595) Accelerate(v.VelocityY, -VelocityStep), PointerOverMovedView();
}

// The view moves by its velocity, slows down and stays on the location.
void TMainForm::MoveView() {
    TViewState& v = View;
    v.ScrollX += RoundEven(v.VelocityX);
    v.ScrollY += RoundEven(v.VelocityY);
    Friction(v.VelocityX);
    Friction(v.VelocityY);
    v.ScrollX = Clamp(v.ScrollX, -800, 0);
    v.ScrollY = Clamp(v.ScrollY, -600, 0);
}

// E shows the panel and F1-F4 choose its page (debug mode); Shift hides the tile
// information; Delete deletes the selected critter or object, once per press.
void TMainForm::DebugKeys() {
    TViewState& v = View;
    if (DebugMode) {
        if (DXI.KeyDown(69) && !Platform.PanelVisible()) Platform.SetPanelVisible(true);
        for (int k = 0; k < 4; ++k)
            if (DXI.KeyDown(VK_F1 + k)) ControlForm.ActivePage = k;
    }
    v.TileInfoShown = !DXI.KeyDown(VK_SHIFT);
    EditorKeys();
    InspectorKeys();
    if (!DXI.KeyDown(VK_DELETE)) {
        v.DeleteLatch = false;
        return;
    }
    if (v.DeleteLatch) return;
    if (DebugMode && ControlForm.HasMultiSelection() &&
        (ControlForm.ActivePage == PageCritter || ControlForm.ActivePage == PageObjects))
        ControlForm.DeleteSelection();
    else if (ControlForm.ActivePage == PageCritter && ControlForm.CritterListBox.ItemIndex > 0)
        ControlForm.DelCritterButtonClick();
    else if (ControlForm.ActivePage == PageObjects && !ControlForm.ObjectListBox.Items.empty())
        ControlForm.ODeleteButtonClick();
    v.DeleteLatch = true;
}

// Every critter takes its turn. A script event inside the pass may load
// another location; the rest of the pass then belongs to a world that is gone.
void TMainForm::UpdateCritters() {
    const uint64_t generation = World.Generation;
    for (int i = 0; i < World.CritterCount() && World.Generation == generation; ++i)
        World.Critters[size_t(i)]->Update();
}

// Objects animate; those that finished go from the draw list.
void TMainForm::AnimateObjects() {
    bool removal = false;
    for (int i = 0; i < World.ObjectCount(); ++i) {
        tObj& obj = *World.Objects[size_t(i)];
        if (obj.PendingRemoval) removal = true;
        obj.Animate();
    }
    if (removal) World.RedrawOrder();
}

// The location picture: only the background pieces that meet the screen.
void TMainForm::DrawLocation() {
    const TViewState& v = View;
    for (int row = std::abs(v.ScrollY) / 240; row <= std::abs(v.ScrollY - 599) / 240 && row < 5; ++row)
        for (int col = std::abs(v.ScrollX) / 320; col <= std::abs(v.ScrollX - 799) / 320 && col < 5; ++col) {
            int index = row * 5 + col;
            if (DXIL.Valid(index)) DXDraw.Draw(DXIL.Item(index), col * 320 + v.ScrollX, row * 240 + v.ScrollY, 0);
        }
}

// Debug mode marks the selected critter or object, under the sprites.
void TMainForm::DrawSelection() {
    if (!DebugMode) return;
    const TViewState& v = View;
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

// What is under the pointer. The pick compares with the surface, so it runs
// before anything else covers the sprites.
void TMainForm::PickHover() {
    TViewState& v = View;
    if (!v.HoverRequest) return;
    v.HoverRequest = false;
    int32_t kind = -1;
    v.HoverIndex = World.DrawList ? World.DrawList->Pick(DXDraw, v.ScrollX, v.ScrollY, v.MouseX, v.MouseY, kind) : -1;
    v.HoverKind = kind;
}

// Debug mode: the brush page's tile marks and information box, and the frame rate.
void TMainForm::DrawDebugOverlay() {
    if (!DebugMode) return;
    if (ControlForm.ActivePage == PageBrush) {
        DrawTileMarks();
        DrawBrushShape();
        if (View.TileInfoShown && !View.MiddleDrag) DrawTileInfo();
    }
    DrawMultiSelection();
    DXDraw.BrushStyle = TBrushStyle::Clear;
    DXDraw.Font = TFontSpec{"Tahoma", 10, true, false, 0x00FF00};
    DXDraw.TextOut(2, 0, "FPS: " + std::to_string(DXT.FrameRate()));
    DXDraw.Release();
}

// Walk blocks in red, shoot blocks in green, hit types by number, on the tiles on screen.
void TMainForm::DrawTileMarks() {
    const TViewState& v = View;
    const int row0 = std::abs(v.ScrollY) / TileH, row1 = std::min(std::abs(v.ScrollY - 599) / TileH, MapRows - 1);
    const int col0 = std::abs(v.ScrollX) / TileW, col1 = std::min(std::abs(v.ScrollX - 799) / TileW, MapCols - 1);
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
                DXDraw.Rectangle(x * TileW + v.ScrollX + 1, y * TileH + v.ScrollY + 1, (x + 1) * TileW + v.ScrollX - 1,
                                 (y + 1) * TileH + v.ScrollY - 1);
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
}

// The box beside the pointer that tells about the tile under it.
void TMainForm::DrawTileInfo() {
    const TViewState& v = View;
    const int bx = v.MouseX > 634 ? v.MouseX - 166 : v.MouseX;
    const int by = v.MouseY > 518 ? v.MouseY - 98 : v.MouseY;
    DXDraw.BrushStyle = TBrushStyle::Solid;
    DXDraw.BrushColor = 0x303030;
    DXDraw.PenColor = 0x00FF00;
    DXDraw.Rectangle(bx + 16, by + 16, bx + 166, by + 82);
    DXDraw.BrushStyle = TBrushStyle::Clear;
    DXDraw.Font = TFontSpec{"Tahoma", 8, true, false, 0x00FF00};
    const TCell& cell = World.Grid.At(v.HoverTileX, v.HoverTileY);
    DXDraw.TextOut(bx + 20, by + 18, "Тайл: " + std::to_string(v.HoverTileX) + "x" + std::to_string(v.HoverTileY));
    DXDraw.TextOut(bx + 20, by + 30, std::string("Блок ходьбы: ") + YesNo(cell.WalkBlock));
    DXDraw.TextOut(bx + 20, by + 42, std::string("Блок стрельбы: ") + YesNo(cell.ShootBlock));
    DXDraw.TextOut(bx + 20, by + 54, "Анимация ходьбы: " + std::to_string(cell.WalkAnim));
    DXDraw.TextOut(bx + 20, by + 66, "Тип попадания: " + std::to_string(cell.HitType));
}

// Outside debug mode: the interface panel with its pressed button, and the console.
void TMainForm::DrawInterface() {
    if (DebugMode) return;
    if (TImageItem* main = DXIL.FindItem("Main"))
        DXDraw.Draw(*main, 0, 432, View.InventoryPressed ? 1 : View.MenuPressed ? 2 : 0);
    RenderConsole();
}

// The dialog: its panel, the speaker's portrait (fading from the previous
// one), the question and the answers.
void TMainForm::DrawDialog(uint32_t now) {
    if (ScreenMode != smDialog) return;
    if (TImageItem* panel = DXIL.FindItem("Dialog")) DXDraw.Draw(*panel, 55, 81, 0);
    if (Dialog.FadeRunning) {
        if (TImageItem* prev = DXIL.FindItem(Dialog.PreviousHead)) DXDraw.Draw(*prev, 71, 92, 0);
        // The dialog takes no clicks while a portrait fades, so no script can keep it waiting for weeks.
        const int32_t duration = std::min(Dialog.FadeDuration, Dialog.MaxFadeMs);
        int32_t alpha = duration > 0 ? RoundEven(double(now - Dialog.FadeStart) * (255.0 / duration)) : 255;
        if (TImageItem* next = DXIL.FindItem(Dialog.NewHead)) DXDraw.DrawAlpha(*next, TRect{71, 92, 380, 327}, 0, alpha);
        if (duration <= 0 || now - Dialog.FadeStart > uint32_t(duration)) {
            Dialog.FadeRunning = false;
            Dialog.CurrentHead = Dialog.NewHead;
        }
    } else if (!Dialog.CurrentHead.empty()) {
        if (TImageItem* head = DXIL.FindItem(Dialog.CurrentHead)) DXDraw.Draw(*head, 71, 92, 0);
    }
    renderDialog();
}

// The cursor: aiming, over something that can be used, or plain; none while the
// player is dead or a portrait fades.
void TMainForm::DrawCursor() {
    const TViewState& v = View;
    if (PlayerDeadFlag || Dialog.FadeRunning) return;
    const char* cursor;
    if (ScreenMode == smDialog)
        cursor = Dialog.Hovered == -1 ? "Cursor" : "CursorO";
    else
        cursor = v.AttackCursor ? "CursorA" : v.HoverIndex == -1 ? "Cursor" : "CursorO";
    if (TImageItem* item = DXIL.FindItem(cursor)) DrawPointer(*item, v.MouseX - 16, v.MouseY - 16);
}
