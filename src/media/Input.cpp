#include "media/Input.h"

void TKeyboard::Poll() {
    State = Live;
    auto any = [this](int a, int b, int c) { return State[size_t(a)] || State[size_t(b)] || State[size_t(c)]; };
    Dir[0] = any('K', VK_UP, VK_NUMPAD8);
    Dir[1] = any('J', VK_DOWN, VK_NUMPAD2);
    Dir[2] = any('H', VK_LEFT, VK_NUMPAD4);
    Dir[3] = any('L', VK_RIGHT, VK_NUMPAD6);
}

void TFrameTimer::CountTick(uint32_t now) {
    if (!Started) {
        Started = true;
        SecondStart = now;
        TicksThisSecond = 0;
    }
    LastTick = now;
    const uint32_t elapsed = now - SecondStart;
    if (elapsed >= 1000) {
        // Scaled to the window actually measured, so a stall of several seconds does not read as a busy second.
        Fps = int((uint64_t(TicksThisSecond) * 1000 + elapsed / 2) / elapsed);
        SecondStart = now;
        TicksThisSecond = 0;
    }
    ++TicksThisSecond;
}
