#pragma once
#include <cstdint>

#include "app/Platform.h"
#include "base/Clock.h"

// The game clock: the platform's, less the time the world stood still (pause
// menu), set back or forward by a loaded game. Scripts, critters and objects
// all read this one.
class TGameClock : public IClock {
public:
    // The platform may change its clock after start-up (a recorded session
    // runs on the virtual one), so it is asked each time.
    explicit TGameClock(IPlatform& platform) : Platform(platform) {}
    uint32_t Now() const override { return IsHeld ? HeldAt : Platform.Clock().Now() - Offset; }
    // `sinceFrame`: how long ago the last frame began. The world stands still from that frame on and
    // goes on from the frame before the release, so it never runs two frames at one time nor skips one.
    void Hold(uint32_t sinceFrame = 0) {
        if (!IsHeld) HeldAt = Now() - sinceFrame, IsHeld = true;
    }
    void Release(uint32_t sinceFrame = 0) {
        if (IsHeld) Offset = Platform.Clock().Now() - sinceFrame - HeldAt, IsHeld = false;
    }
    void Set(uint32_t t) {
        if (IsHeld)
            HeldAt = t;
        else
            Offset = Platform.Clock().Now() - t;
    }
    bool Held() const { return IsHeld; }

private:
    IPlatform& Platform;
    uint32_t Offset = 0, HeldAt = 0;
    bool IsHeld = false;
};
