#pragma once
// What the game tells the web page around it; outside the browser there is no page and nothing to tell.
#ifdef __EMSCRIPTEN__
#include <emscripten.h>

// The browser gives one canvas: the editor panel shares the game's window, and the page scales the picture.
constexpr bool InPage = true;
// The settings' scaling mode (TScaling's order), for the page to size the canvas by.
inline void PageScaling(int mode) {
    EM_ASM({ if (Module.setScaling) Module.setScaling($0); }, mode);
}
#else
constexpr bool InPage = false;
inline void PageScaling(int) {}
#endif
