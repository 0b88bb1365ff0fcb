#pragma once
#include <cstdint>

// View and frame state of the game screen, shared with its input handlers.
struct TViewState {
    int32_t ScrollX = 0, ScrollY = 0;
    float VelocityX = 0, VelocityY = 0;
    int32_t MouseX = 0, MouseY = 0;
    int32_t HoverTileX = 0, HoverTileY = 0;
    bool HoverRequest = false;
    int32_t HoverIndex = -1;
    int32_t HoverKind = -1;
    bool AttackCursor = false;
    bool InventoryPressed = false, MenuPressed = false;
    bool MiddleDrag = false;
    bool TileInfoShown = true;
    bool DeleteLatch = false;
    bool LeftHeld = false, RightHeld = false;
    bool InventoryCaptured = false, MenuCaptured = false;
    // The pointer is over the window; edge scrolling needs it there.
    bool PointerInside = true;
};
