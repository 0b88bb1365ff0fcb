#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <string>
#include <tuple>

#include "media/Font.h"
#include "media/ImageList.h"
#include "media/Surface.h"

namespace {

constexpr TColor Key = RGBColor(255, 0, 255);

// A picture of w x h whose pixels are all different, with the key colour on every third one.
TImageItem Sprite(int w, int h) {
    TImageItem item;
    item.Picture.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) item.Picture.SetPixel(x, y, (x + y) % 3 == 0 ? Key : RGBColor(x * 7, y * 5, 99));
    item.TransparentColor = Key;
    return item;
}

// Every drawing test runs with the narrow and the wide vector loops, which must give the same pixels.
struct DrawTest : ::testing::TestWithParam<bool> {
    TFontEngine Fonts;
    TSurface Surface{Fonts};

    void SetUp() override {
        if (TSurface::SetWideVectors(GetParam()) != GetParam()) GTEST_SKIP() << "no wide vectors here";
    }
    void TearDown() override { TSurface::SetWideVectors(true); }

    void Background() {
        for (int y = 0; y < TSurface::ScreenHeight; ++y)
            for (int x = 0; x < TSurface::ScreenWidth; ++x)
                Surface.Pixels().SetPixel(x, y, RGBColor(x & 0xFF, y & 0xFF, 7));
    }
};

TEST(ImagePatterns, NumberedRowByRowWithoutPartialCells) {
    TImageItem item;
    item.Picture.SetSize(100, 70);
    item.PatternWidth = 30;
    item.PatternHeight = 20;
    EXPECT_EQ(item.PatternCount(), 9);  // 3 whole columns by 3 whole rows
    TRect r;
    ASSERT_TRUE(item.PatternRect(4, r));
    EXPECT_EQ(r.Left, 30);
    EXPECT_EQ(r.Top, 20);
    EXPECT_EQ(r.Right, 60);
    EXPECT_EQ(r.Bottom, 40);
    ASSERT_TRUE(item.PatternRect(8, r));
    EXPECT_EQ(r.Left, 60);
    EXPECT_EQ(r.Top, 40);
    EXPECT_FALSE(item.PatternRect(9, r));
    EXPECT_FALSE(item.PatternRect(-1, r));

    item.PatternWidth = item.PatternHeight = 0;
    EXPECT_EQ(item.PatternCount(), 1);
    item.PatternWidth = 101;
    EXPECT_EQ(item.PatternCount(), 0);

    TImageItem empty;
    EXPECT_EQ(empty.PatternCount(), 0);
    EXPECT_FALSE(empty.PatternRect(0, r));
}

TEST(ImageListFind, IgnoresCaseAndFollowsRenames) {
    TImageList list;
    list.Add().Name = "Cursor";
    TImageItem& head = list.Add();
    EXPECT_EQ(list.Find("Игрок"), -1);
    head.Name = "Игрок";  // named after it was added, and after a look-up
    list.Add().Name = "CURSOR";
    EXPECT_EQ(list.Find("cursor"), 0);
    EXPECT_EQ(list.Find("иГРОК"), 1);
    EXPECT_EQ(list.FindItem("ИГРОК"), &head);
    EXPECT_EQ(list.Find("Curso"), -1);

    list.Item(0).Name = "Old";
    EXPECT_EQ(list.Find("cursor"), 2);
    EXPECT_EQ(list.Find("old"), 0);

    list.Clear();
    EXPECT_EQ(list.Find("old"), -1);
    EXPECT_EQ(list.FindItem("old"), nullptr);
    list.Add().Name = "Old";
    EXPECT_EQ(list.Find("OLD"), 0);
}

TEST_P(DrawTest, ColourKeyAndClippingAtEveryEdge) {
    // Width 7 runs both the four-pixel steps and the single-pixel tail.
    TImageItem item = Sprite(7, 5);
    item.Picture.SetPixel(1, 0, Key | 0xAB000000);  // the byte above the colour is not part of it
    const int xs[] = {-9, -7, -6, -3, -1, 0, 5, 793, 796, 799, 800};
    const int ys[] = {-6, -5, -4, -2, 0, 300, 595, 597, 599, 600};
    for (int x : xs)
        for (int y : ys) {
            Background();
            Surface.Draw(item, x, y, 0);
            for (int sy = -1; sy <= 5; ++sy)
                for (int sx = -1; sx <= 7; ++sx) {
                    const int px = x + sx, py = y + sy;
                    if (px < 0 || py < 0 || px >= 800 || py >= 600) continue;
                    const TColor src = item.Picture.Pixel(sx, sy);
                    const bool inside = sx >= 0 && sy >= 0 && sx < 7 && sy < 5;
                    const TColor want = inside && (src & 0xFFFFFF) != Key ? src : RGBColor(px & 0xFF, py & 0xFF, 7);
                    ASSERT_EQ(Surface.PixelRead(px, py), want)
                        << "sprite at " << x << "," << y << " pixel " << sx << "," << sy;
                }
        }
    EXPECT_EQ(Surface.PixelRead(-1, 0), 0u);
    EXPECT_EQ(Surface.PixelRead(800, 0), 0u);
}

TEST_P(DrawTest, PatternsAndOpaqueDrawing) {
    TImageItem item = Sprite(6, 4);
    item.PatternWidth = 3;
    item.PatternHeight = 2;
    Background();
    Surface.Draw(item, 10, 10, 3);  // second row, second column
    EXPECT_EQ(Surface.PixelRead(10, 10), item.Picture.Pixel(3, 2));
    EXPECT_EQ(Surface.PixelRead(11, 10), RGBColor(11, 10, 7));  // a key pixel
    EXPECT_EQ(Surface.PixelRead(12, 11), item.Picture.Pixel(5, 3));

    item.Transparent = false;
    Surface.Draw(item, 20, 20, 0);
    EXPECT_EQ(Surface.PixelRead(20, 20), Key);

    const std::vector<TColor> before = Surface.Pixels().Data();
    Surface.Draw(item, 30, 30, 4);
    Surface.Draw(item, 30, 30, -1);
    Surface.Draw(TImageItem(), 30, 30, 0);
    EXPECT_EQ(Surface.Pixels().Data(), before);
}

uint8_t Channel(TColor c, int i) {
    return uint8_t(c >> (8 * i));
}

// Every source and destination channel value against every other, for a few alphas: the mix must be the exact
// value src * a / 255 + dst * (255 - a) / 255 rounded to the nearest whole number.
TEST_P(DrawTest, AlphaMixIsTheRoundedExactValue) {
    TImageItem item;
    item.Transparent = false;
    item.Picture.SetSize(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) item.Picture.SetPixel(x, y, RGBColor(x, y, 255 - x));
    auto background = [&] {
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) Surface.Pixels().SetPixel(x, y, RGBColor(y, 255 - y, x ^ 0x5A));
    };
    for (int alpha : {1, 120, 128, 254}) {
        background();
        Surface.DrawAlpha(item, {0, 0, 256, 256}, 0, alpha);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                const TColor s = item.Picture.Pixel(x, y), d = RGBColor(y, 255 - y, x ^ 0x5A);
                const TColor got = Surface.PixelRead(x, y);
                for (int c = 0; c < 3; ++c) {
                    const double exact = (Channel(s, c) * alpha + Channel(d, c) * (255.0 - alpha)) / 255.0;
                    ASSERT_EQ(Channel(got, c), int(std::floor(exact + 0.5)))
                        << "alpha " << alpha << " src " << int(Channel(s, c)) << " dst " << int(Channel(d, c));
                }
            }
    }
    background();
    Surface.Pixels().SetPixel(0, 0, RGBColor(0, 128, 255));
    item.Picture.SetPixel(0, 0, RGBColor(200, 100, 50));
    Surface.DrawAlpha(item, {0, 0, 256, 256}, 0, 120);
    EXPECT_EQ(Surface.PixelRead(0, 0), RGBColor(94, 115, 159));
}

TEST_P(DrawTest, AlphaLimits) {
    TImageItem item = Sprite(5, 5);
    for (int alpha : {0, -40}) {
        Background();
        const std::vector<TColor> before = Surface.Pixels().Data();
        Surface.DrawAlpha(item, {10, 10, 15, 15}, 0, alpha);
        EXPECT_EQ(Surface.Pixels().Data(), before) << alpha;
    }
    // 255 and anything above it draw the picture as it is, keyed pixels still left out.
    for (int alpha : {255, 256, 1000}) {
        Background();
        Surface.DrawAlpha(item, {10, 10, 15, 15}, 0, alpha);
        EXPECT_EQ(Surface.PixelRead(11, 10), item.Picture.Pixel(1, 0)) << alpha;
        EXPECT_EQ(Surface.PixelRead(10, 10), RGBColor(10, 10, 7)) << alpha;
    }
    Background();
    const std::vector<TColor> before = Surface.Pixels().Data();
    Surface.DrawAlpha(item, {10, 10, 10, 20}, 0, 200);
    Surface.DrawAlpha(item, {15, 15, 10, 10}, 0, 200);
    Surface.DrawAlpha(item, {10, 10, 20, 20}, 1, 200);
    Surface.DrawAlpha(item, {-50, 10, -1, 20}, 0, 200);
    EXPECT_EQ(Surface.Pixels().Data(), before);
}

TEST_P(DrawTest, TranslucentDrawScalesIntoTheRectangle) {
    const TColor a = RGBColor(10, 0, 0), b = RGBColor(0, 20, 0), c = RGBColor(0, 0, 30), d = RGBColor(40, 40, 0);
    TImageItem two;
    two.Picture.SetSize(2, 2);
    two.Picture.Data() = {a, b, c, d};
    two.Transparent = false;
    Surface.Fill(0);
    Surface.DrawAlpha(two, {100, 100, 106, 104}, 0, 255);  // each pixel becomes 3 x 2
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(Surface.PixelRead(100 + x, 100 + y), two.Picture.Pixel(x / 3, y / 2)) << x << "," << y;
    EXPECT_EQ(Surface.PixelRead(106, 100), 0u);

    // Shrinking samples the middle of each destination pixel: 8 -> 4 takes columns 1, 3, 5, 7.
    TImageItem eight = Sprite(8, 8);
    eight.Transparent = false;
    Surface.DrawAlpha(eight, {200, 200, 204, 204}, 0, 255);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Surface.PixelRead(200 + x, 200 + y), eight.Picture.Pixel(2 * x + 1, 2 * y + 1));

    // Clipped on the left, the visible part still comes from the right half of the picture.
    Surface.DrawAlpha(two, {-3, 0, 3, 4}, 0, 255);
    EXPECT_EQ(Surface.PixelRead(0, 0), b);
    EXPECT_EQ(Surface.PixelRead(2, 3), d);
}

TEST_P(DrawTest, TranslucentDrawSkipsTheKeyOnlyWhenTransparent) {
    TImageItem item = Sprite(9, 9);
    const TColor behind = RGBColor(100, 100, 100);
    Surface.Fill(behind);
    Surface.DrawAlpha(item, {0, 0, 18, 18}, 0, 128);  // scaled: the key test runs on sampled pixels
    EXPECT_EQ(Surface.PixelRead(0, 0), behind);
    EXPECT_EQ(Surface.PixelRead(17, 14), behind);
    EXPECT_NE(Surface.PixelRead(2, 0), behind);

    item.Transparent = false;
    Surface.DrawAlpha(item, {0, 0, 9, 9}, 0, 128);
    EXPECT_EQ(Surface.PixelRead(0, 0), RGBColor(178, 50, 178));
}

// Pictures as the game's are made: figures in a keyed field, rows that are all key or all figure, dithered
// rows cut into many short runs, and stray bytes above the colour. Many patterns side by side give rows
// with many runs.
TImageItem RandomPicture(std::mt19937& rng) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    TImageItem item;
    item.TransparentColor = pick(0, 3) == 0 ? RGBColor(0, 0, 0) : Key;
    if (pick(0, 4) == 0) item.TransparentColor |= 0x5A000000;  // only the colour's bytes count
    const TColor key = item.TransparentColor & 0xFFFFFF;
    item.PatternWidth = pick(1, 45);
    item.PatternHeight = pick(1, 30);
    const int w = item.PatternWidth * pick(1, 12), h = item.PatternHeight * pick(1, 3);
    item.Picture.SetSize(w, h);
    for (int y = 0; y < h; ++y) {
        const int kind = pick(0, 9);
        for (int x = 0; x < w; ++x) {
            const int cx = x % item.PatternWidth;
            bool opaque;
            if (kind == 0) opaque = false;
            else if (kind == 1) opaque = true;
            else if (kind == 2) opaque = (x + y) % 2 == 0;
            else if (kind == 3) opaque = pick(0, 1) == 0;
            else opaque = std::abs(2 * cx - item.PatternWidth + (y % 5)) < item.PatternWidth * (kind - 3) / 6;
            TColor c = opaque ? TColor(rng()) & 0xFFFFFF : key;
            if (opaque && c == key) c ^= 1;
            if (pick(0, 7) == 0) c |= TColor(pick(1, 255)) << 24;
            item.Picture.SetPixel(x, y, c);
        }
    }
    return item;
}

// Places near every edge, anywhere on the surface, and at the far ends of the coordinates.
int RandomPlace(std::mt19937& rng, int size, int extent) {
    static const int extremes[] = {INT_MIN, INT_MIN + 1, -1000000, 1000000, INT_MAX - 1, INT_MAX};
    const int kind = std::uniform_int_distribution<int>(0, 9)(rng);
    if (kind == 0) return extremes[rng() % std::size(extremes)];
    if (kind < 4) return (kind == 1 ? -size : extent - size) + std::uniform_int_distribution<int>(-3, 3)(rng) +
                         std::uniform_int_distribution<int>(0, size)(rng);
    return std::uniform_int_distribution<int>(-size - 2, extent + 2)(rng);
}

// Where two screens first differ, or "" when they do not.
std::string FirstDifference(const std::vector<TColor>& got, const std::vector<TColor>& want) {
    if (got == want) return "";
    for (size_t i = 0; i < got.size(); ++i)
        if (got[i] != want[i])
            return "pixel " + std::to_string(i % 800) + "," + std::to_string(i / 800) + ": " + std::to_string(got[i]) +
                   " instead of " + std::to_string(want[i]);
    return "";
}

// Every pixel different, the upper byte used too.
void RandomBackground(TSurface& surface, std::mt19937& rng) {
    const TColor salt = TColor(rng());
    std::vector<TColor>& pixels = surface.Pixels().Data();
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = TColor(i * 2654435761u) ^ salt;
}

// Drawn with its colour key, a picture leaves the key's pixels as they were and copies every other pixel
// exactly, stray upper byte and all, wherever it stands and however much of it is cut off.
TEST_P(DrawTest, KeyedDrawCopiesExactlyThePixelsThatAreNotTheKey) {
    std::mt19937 rng(20240611);
    std::vector<TColor> before, want;
    for (int picture = 0; picture < 50; ++picture) {
        const TImageItem item = RandomPicture(rng);
        const TColor key = item.TransparentColor & 0xFFFFFF;
        const int pw = item.PatW(), ph = item.PatH();
        RandomBackground(Surface, rng);  // each draw goes over the ones before
        for (int draw = 0; draw < 12; ++draw) {
            const int pattern = int(rng() % unsigned(item.PatternCount()));
            const int x = RandomPlace(rng, pw, 800), y = RandomPlace(rng, ph, 600);
            const bool viaAlpha = draw % 3 == 2;  // alpha 255 at the picture's own size is the same draw
            before = Surface.Pixels().Data();
            if (viaAlpha) {
                if (int64_t(x) + pw > INT_MAX || int64_t(y) + ph > INT_MAX) continue;
                Surface.DrawAlpha(item, {x, y, x + pw, y + ph}, pattern, 255);
            } else {
                Surface.Draw(item, x, y, pattern);
            }
            TRect r;
            ASSERT_TRUE(item.PatternRect(pattern, r));
            want = before;
            for (int64_t sy = 0; sy < ph; ++sy)
                for (int64_t sx = 0; sx < pw; ++sx) {
                    const int64_t px = x + sx, py = y + sy;
                    const TColor src = item.Picture.Pixel(r.Left + int(sx), r.Top + int(sy));
                    if (px >= 0 && py >= 0 && px < 800 && py < 600 && (src & 0xFFFFFF) != key)
                        want[size_t(py * 800 + px)] = src;
                }
            ASSERT_EQ(FirstDifference(Surface.Pixels().Data(), want), "")
                << "picture " << picture << " pattern " << pattern << " at " << x << "," << y
                << (viaAlpha ? " (alpha 255)" : "");
        }
    }
}

// A translucent keyed draw mixes what the same draw without the key mixes, and only where the sampled
// picture pixel is not the key; at its own size and scaled, over screens whose pixels use the upper byte.
TEST_P(DrawTest, TranslucentKeyedDrawIsTheUnkeyedMixOutsideTheKey) {
    std::mt19937 rng(777);
    TFontEngine fonts;
    TSurface unkeyed(fonts);
    std::vector<TColor> before, want;
    for (int picture = 0; picture < 50; ++picture) {
        TImageItem item = RandomPicture(rng);
        TImageItem plain = item;
        plain.Transparent = false;
        const TColor key = item.TransparentColor & 0xFFFFFF;
        RandomBackground(Surface, rng);
        for (int draw = 0; draw < 10; ++draw) {
            const int pattern = int(rng() % unsigned(item.PatternCount()));
            TRect r;
            ASSERT_TRUE(item.PatternRect(pattern, r));
            const int dw = draw % 2 ? r.Width() : int(rng() % 90) + 1, dh = draw % 2 ? r.Height() : int(rng() % 90) + 1;
            const int x = std::clamp(RandomPlace(rng, dw, 800), -100000, 100000);
            const int y = std::clamp(RandomPlace(rng, dh, 600), -100000, 100000);
            const TRect dest{x, y, x + dw, y + dh};
            const int alpha = draw == 0 ? 1 : int(rng() % 254) + 1;
            before = Surface.Pixels().Data();
            unkeyed.Pixels().Data() = before;
            Surface.DrawAlpha(item, dest, pattern, alpha);
            unkeyed.DrawAlpha(plain, dest, pattern, alpha);
            want = before;
            for (int py = std::max(y, 0); py < std::min(y + dh, 600); ++py)
                for (int px = std::max(x, 0); px < std::min(x + dw, 800); ++px) {
                    // The centre of the destination pixel, in the pattern.
                    const int sx = r.Left + int(((2 * int64_t(px - x) + 1) * r.Width()) / (2 * int64_t(dw)));
                    const int sy = r.Top + int(((2 * int64_t(py - y) + 1) * r.Height()) / (2 * int64_t(dh)));
                    if ((item.Picture.Pixel(sx, sy) & 0xFFFFFF) != key)
                        want[size_t(py) * 800 + size_t(px)] = unkeyed.PixelRead(px, py);
                }
            ASSERT_EQ(FirstDifference(Surface.Pixels().Data(), want), "")
                << "picture " << picture << " pattern " << pattern << " into " << x << "," << y << " " << dw << "x"
                << dh << " alpha " << alpha;
        }
    }
}

// The runs a keyed draw copies are those of the picture as it is now: after any change to its pixels or its
// key, and for a copy that went its own way.
TEST_P(DrawTest, KeyedDrawFollowsChangesToThePictureAndItsKey) {
    TImageItem item = Sprite(6, 3);
    auto drawn = [&](const TImageItem& it, int x, int y) {
        Surface.Fill(0);
        Surface.Draw(it, 0, 0, 0);
        return Surface.PixelRead(x, y);
    };
    EXPECT_EQ(drawn(item, 0, 0), 0u);  // (0, 0) is the key
    item.Picture.SetPixel(0, 0, RGBColor(1, 2, 3));
    EXPECT_EQ(drawn(item, 0, 0), RGBColor(1, 2, 3));
    item.Picture.Row(1)[2] = RGBColor(4, 5, 6);  // (2, 1) was the key
    EXPECT_EQ(drawn(item, 2, 1), RGBColor(4, 5, 6));
    item.Picture.Data()[size_t(2 * 6 + 2)] = Key;  // (2, 2)
    EXPECT_EQ(drawn(item, 2, 2), 0u);

    TImageItem copy = item;
    copy.Picture.SetPixel(0, 0, Key);
    EXPECT_EQ(drawn(copy, 0, 0), 0u);
    EXPECT_EQ(drawn(item, 0, 0), RGBColor(1, 2, 3));

    item.TransparentColor = RGBColor(1, 2, 3);
    EXPECT_EQ(drawn(item, 0, 0), 0u);
    EXPECT_EQ(drawn(item, 3, 0), Key);

    item.Picture.SetSize(2, 2, RGBColor(9, 9, 9));
    EXPECT_EQ(drawn(item, 1, 1), RGBColor(9, 9, 9));
    EXPECT_EQ(drawn(item, 2, 1), 0u);

    // The same picture cut into patterns and drawn whole again: each draw takes its pixels from its own place.
    item.Picture.SetSize(32, 2, RGBColor(9, 9, 9));
    item.Picture.SetPixel(0, 0, RGBColor(1, 2, 3));  // the key
    item.PatternWidth = 16;
    Surface.Fill(0);
    Surface.Draw(item, 100, 0, 1);
    item.PatternWidth = 0;
    Surface.Draw(item, 200, 0, 0);
    for (const auto& [x, y, want] : {std::tuple{99, 0, 0u},
                                     {100, 0, RGBColor(9, 9, 9)},
                                     {115, 1, RGBColor(9, 9, 9)},
                                     {116, 0, 0u},
                                     {200, 0, 0u},
                                     {201, 0, RGBColor(9, 9, 9)},
                                     {216, 0, RGBColor(9, 9, 9)},
                                     {231, 1, RGBColor(9, 9, 9)},
                                     {232, 1, 0u}})
        EXPECT_EQ(Surface.PixelRead(x, y), want) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Vectors, DrawTest, ::testing::Bool(),
                         [](const auto& param) { return param.param ? "Wide" : "Narrow"; });

}  // namespace
