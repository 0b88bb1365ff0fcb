#include <gtest/gtest.h>

#include "media/Input.h"

namespace {

TEST(Keyboard, StateChangesOnlyAtPoll) {
    TKeyboard kb;
    kb.Live[VK_SPACE] = true;
    EXPECT_FALSE(kb.KeyDown(VK_SPACE));
    kb.Poll();
    EXPECT_TRUE(kb.KeyDown(VK_SPACE));
    kb.Live[VK_SPACE] = false;
    EXPECT_TRUE(kb.KeyDown(VK_SPACE));
    kb.Poll();
    EXPECT_FALSE(kb.KeyDown(VK_SPACE));

    kb.Live.fill(true);
    kb.Poll();
    EXPECT_FALSE(kb.KeyDown(0));
    EXPECT_FALSE(kb.KeyDown(256));
    EXPECT_FALSE(kb.KeyDown(-1));
    EXPECT_TRUE(kb.KeyDown(255));
}

TEST(Keyboard, EachDirectionHasItsThreeKeys) {
    const struct {
        int Key;
        int Dir;  // 0 up, 1 down, 2 left, 3 right
    } keys[] = {{'K', 0}, {VK_UP, 0},   {VK_NUMPAD8, 0}, {'J', 1}, {VK_DOWN, 1},  {VK_NUMPAD2, 1},
                {'H', 2}, {VK_LEFT, 2}, {VK_NUMPAD4, 2}, {'L', 3}, {VK_RIGHT, 3}, {VK_NUMPAD6, 3}};
    for (const auto& k : keys) {
        TKeyboard kb;
        kb.Live[size_t(k.Key)] = true;
        kb.Poll();
        const bool dirs[4] = {kb.Up(), kb.Down(), kb.Left(), kb.Right()};
        for (int d = 0; d < 4; ++d) EXPECT_EQ(dirs[d], d == k.Dir) << "key " << k.Key << " direction " << d;
    }
    TKeyboard kb;
    kb.Live['k'] = kb.Live['W'] = kb.Live[VK_NUMPAD6 + 1] = true;  // not direction keys
    kb.Poll();
    EXPECT_FALSE(kb.Up() || kb.Down() || kb.Left() || kb.Right());
}

TEST(FrameTimer, CountsTicksOverEachSecond) {
    TFrameTimer t;
    for (uint32_t now = 5000; now < 6000; now += 10) t.CountTick(now);
    EXPECT_EQ(t.FrameRate(), 0);
    t.CountTick(6000);
    EXPECT_EQ(t.FrameRate(), 100);

    // The main menu's 46 ms interval.
    for (uint32_t now = 6046; now <= 7012; now += 46) t.CountTick(now);
    EXPECT_EQ(t.FrameRate(), 22);

    // After a long stall the rate is that of the stalled stretch, not a full second's worth.
    t.CountTick(12000);
    EXPECT_EQ(t.FrameRate(), 0);

    // Across the wrap of the millisecond counter.
    TFrameTimer w;
    for (uint32_t i = 0; i <= 60; ++i) w.CountTick(0xFFFFFF00u + i * 20);
    EXPECT_EQ(w.FrameRate(), 50);
}

TEST(FrameTimer, DueFollowsIntervalAndEnabled) {
    TFrameTimer t;
    EXPECT_TRUE(t.Due(0));
    t.Interval = 10;
    t.CountTick(100);
    EXPECT_FALSE(t.Due(109));
    EXPECT_TRUE(t.Due(110));
    t.Enabled = false;
    EXPECT_FALSE(t.Due(500));
}

}  // namespace
