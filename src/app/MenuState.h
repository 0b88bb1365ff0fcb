#pragma once
#include <cstdint>

// The main menu's state.
struct TMenuState {
    uint8_t SubState = 0;  // 0 menu, 1 logo splash, 2 credits
    uint32_t PhaseStart = 0;
    int32_t LogoAlpha = 0;
    bool Paused = false;
    uint32_t PausedElapsed = 0;
    bool SpaceLatch = false;
    bool Highlighted[3] = {};
    bool Pressed[3] = {};
    bool CreditsOnly = false;
    bool ReturnToMenu = false;
    int32_t CreditsOffset = 0;  // pixels the roll has moved, as last drawn
};
