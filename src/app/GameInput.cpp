// The player's mouse on the game screen, and the editor's tools on it.
#include <algorithm>

#include "app/MainForm.h"
#include "critters/Critter.h"
#include "world/Obj.h"

namespace {
bool OnPanel(int x, int y) { return x <= 252 && y >= 433 && x < y - 212; }
bool OnInventoryButton(int x, int y) { return x >= 124 && x <= 163 && y >= 443 && y <= 462; }
bool OnMenuButton(int x, int y) { return x >= 172 && x <= 221 && y >= 443 && y <= 462 && x <= y - 230; }
}  // namespace

bool TMainForm::HoverValid() const {
    if (View.HoverIndex < 0) return false;
    return View.HoverKind == KindCritter ? View.HoverIndex < World.CritterCount()
                                         : View.HoverKind == KindObject && View.HoverIndex < World.ObjectCount();
}

// The button that paints on during a drag: the left one wins.
int TMainForm::BrushHeld() const {
    return View.LeftHeld ? 0 : View.RightHeld ? 1 : -1;
}

void TMainForm::GameMouseMove(int x, int y) {
    TViewState& v = View;
    if (PlayerDeadFlag) return;
    v.HoverRequest = true;
    if (v.MiddleDrag) {
        v.ScrollX = std::clamp(v.ScrollX + x - v.MouseX, -800, 0);
        v.ScrollY = std::clamp(v.ScrollY + y - v.MouseY, -600, 0);
    }
    if (v.InventoryCaptured) {
        bool on = OnInventoryButton(v.MouseX, v.MouseY);
        if (on && !v.InventoryPressed) DXWL.Play("ButIn");
        if (!on && v.InventoryPressed) DXWL.Play("ButOut");
        v.InventoryPressed = on;
    }
    if (v.MenuCaptured) {
        bool on = OnMenuButton(v.MouseX, v.MouseY);
        if (on && !v.MenuPressed) DXWL.Play("ButIn");
        if (!on && v.MenuPressed) DXWL.Play("ButOut");
        v.MenuPressed = on;
    }
    v.MouseX = x;
    v.MouseY = y;
    v.HoverTileX = (x - v.ScrollX) / TileW;
    v.HoverTileY = (y - v.ScrollY) / TileH;

    if (ControlForm.ActivePage == PageBrush) ControlForm.BrushMove(v.HoverTileX, v.HoverTileY, BrushHeld());
    ControlForm.BandMove(v.HoverTileX, v.HoverTileY);

    tCritter* player = World.Critter(0);
    if (ControlForm.ActivePage == PageGeneral && v.AttackCursor && v.LeftHeld && player &&
        player->State != csDying && player->State != csDead) {
        bool valid = HoverValid();
        if (valid && v.HoverKind == KindCritter && v.HoverIndex != 0) {
            tCritter* target = World.Critter(v.HoverIndex);
            player->Fire(target->X, target->Y);
        } else if (!(valid && v.HoverKind == KindCritter && v.HoverIndex == 0)) {
            player->Fire(v.HoverTileX, v.HoverTileY);
        }
    }
}

void TMainForm::GameMouseDown(int button, int, int) {
    TViewState& v = View;
    if (PlayerDeadFlag) return;
    if (!DebugMode && OnPanel(v.MouseX, v.MouseY)) {
        if (button == mbLeft && OnInventoryButton(v.MouseX, v.MouseY)) {
            v.InventoryCaptured = v.InventoryPressed = true;
            DXWL.Play("ButIn");
        } else if (button == mbLeft && OnMenuButton(v.MouseX, v.MouseY)) {
            v.MenuCaptured = v.MenuPressed = true;
            DXWL.Play("ButIn");
        }
        return;
    }
    if (button == mbLeft && OverviewClick(v.MouseX, v.MouseY)) return;
    if (button == mbLeft) v.LeftHeld = true;
    if (button == mbRight) v.RightHeld = true;
    if (button == mbMiddle && DebugMode) v.MiddleDrag = true;

    int tx = (v.MouseX - v.ScrollX) / TileW, ty = (v.MouseY - v.ScrollY) / TileH;
    int page = ControlForm.ActivePage;
    if (page == PageBrush && (button == mbLeft || button == mbRight)) ControlForm.BrushDown(button == mbRight, tx, ty);

    if (page == PageGeneral) {
        tCritter* player = World.Critter(0);
        bool valid = HoverValid();
        int32_t index = valid ? v.HoverIndex : -1;
        int32_t kind = valid ? v.HoverKind : -1;
        if (button == mbLeft && !v.AttackCursor) {
            if (index == -1) {
                if (player) player->WalkTo(tx, ty);
            } else if (kind == KindCritter && index == 0) {
                // The player's own figure in front of a device: the click goes to the device.
                const int32_t device =
                    World.DrawList ? World.DrawList->PickUsableObject(v.ScrollX, v.ScrollY, v.MouseX, v.MouseY) : -1;
                if (device >= 0) {
                    v.LeftHeld = false;
                    World.Object(device)->Click();
                } else if (player && player->State == csIdle) {
                    player->SetDirection(player->Direction + 1);
                }
            } else if (kind == KindCritter) {
                World.Critter(index)->Click();
            } else {
                v.LeftHeld = false;
                World.Object(index)->Click();
            }
        } else if (button == mbLeft && player && player->State != csDying && player->State != csDead) {
            if (kind == KindCritter && index > 0) {
                tCritter* target = World.Critter(index);
                player->Fire(target->X, target->Y);
            } else if (!(kind == KindCritter && index == 0)) {
                player->Stop();
                player->Fire(tx, ty);
            }
        } else if (button == mbRight) {
            v.AttackCursor = !v.AttackCursor;
        }
    } else if ((page == PageCritter || page == PageObjects) && DebugMode && button == mbLeft && DXI.KeyDown(VK_CONTROL)) {
        // Ctrl and the left button: the rubber band, or the selection dragged.
        ControlForm.BandDown(tx, ty);
    } else if (page == PageCritter && DebugMode) {
        if (World.Grid.At(tx, ty).WalkBlock == 0) {
            if (button == mbRight) ControlForm.AddCritterAt(tx, ty);
            else if (button == mbLeft) ControlForm.MoveCritterTo(tx, ty);
        }
    } else if (page == PageObjects && DebugMode) {
        if (button == mbRight) ControlForm.AddObjectAt(tx, ty);
        else if (button == mbLeft) ControlForm.MoveObjectTo(tx, ty);
    }
}

void TMainForm::GameMouseUp(int button, int, int) {
    TViewState& v = View;
    if (PlayerDeadFlag) return;
    if (button == mbLeft) v.LeftHeld = false;
    if (button == mbRight) v.RightHeld = false;
    if (button == mbMiddle) v.MiddleDrag = false;
    // A painting stroke is one step of the editor's history.
    ControlForm.BrushUp((v.MouseX - v.ScrollX) / TileW, (v.MouseY - v.ScrollY) / TileH, BrushHeld());
    if (!v.LeftHeld && !v.RightHeld) ControlForm.EndStroke();
    if (button == mbLeft) ControlForm.BandUp((v.MouseX - v.ScrollX) / TileW, (v.MouseY - v.ScrollY) / TileH);
    if (v.InventoryCaptured) {
        DXWL.Play("ButOut");
        if (OnInventoryButton(v.MouseX, v.MouseY)) AddConsole("Grimdust еще жив, но инвентарь уже нет.");
        v.InventoryCaptured = v.InventoryPressed = false;
    }
    if (v.MenuCaptured) {
        DXWL.Play("ButOut");
        v.MenuCaptured = v.MenuPressed = false;
        if (OnMenuButton(v.MouseX, v.MouseY)) {
            // Leaving loses the game, so the player confirms it first.
            Pause.ConfirmFromPanel = true;
            Pause.Open(TPauseMenu::ConfirmExit);
            return;
        }
    }
    if (ControlForm.ActivePage == PageGeneral && v.AttackCursor && button == mbLeft)
        if (tCritter* player = World.Critter(0)) player->StopFiring();
}
