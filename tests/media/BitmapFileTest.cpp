#include <gtest/gtest.h>

#include "base/Errors.h"
#include "media/Bitmap.h"

namespace {

const std::string FileName = "data\\Images\\x.bmp";

void Put16(std::string& s, uint32_t v) {
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// What goes into a test bitmap file; Pixels is the raw pixel data exactly as it lies in the file.
struct TBmpFile {
    int32_t Width = 0, Height = 0;  // negative height = top-down
    int Bpp = 24;
    uint32_t Compression = 0;
    uint32_t HeaderSize = 40;
    std::vector<TColor> Palette;  // $00BBGGRR
    std::vector<uint32_t> Masks;  // written after a 40-byte header, inside a bigger one
    std::string Pixels;

    std::string Build() const {
        std::string h;
        if (HeaderSize == 12) {
            Put32(h, 12);
            Put16(h, uint32_t(Width));
            Put16(h, uint32_t(Height));
            Put16(h, 1);
            Put16(h, uint32_t(Bpp));
        } else {
            Put32(h, HeaderSize);
            Put32(h, uint32_t(Width));
            Put32(h, uint32_t(Height));
            Put16(h, 1);
            Put16(h, uint32_t(Bpp));
            Put32(h, Compression);
            Put32(h, uint32_t(Pixels.size()));
            Put32(h, 2835);
            Put32(h, 2835);
            Put32(h, uint32_t(Palette.size()));
            Put32(h, 0);
            if (HeaderSize > 40)
                for (uint32_t m : Masks) Put32(h, m);
            h.resize(HeaderSize, '\0');
            if (HeaderSize == 40)
                for (uint32_t m : Masks) Put32(h, m);
        }
        for (TColor c : Palette) {
            h += char((c >> 16) & 0xFF);
            h += char((c >> 8) & 0xFF);
            h += char(c & 0xFF);
            if (HeaderSize != 12) h += '\0';
        }
        std::string f = "BM";
        Put32(f, uint32_t(14 + h.size() + Pixels.size()));
        Put32(f, 0);
        Put32(f, uint32_t(14 + h.size()));
        return f + h + Pixels;
    }
};

TBmpFile Bmp(int32_t width, int32_t height, int bpp, uint32_t compression = 0, std::vector<TColor> palette = {}) {
    TBmpFile f;
    f.Width = width;
    f.Height = height;
    f.Bpp = bpp;
    f.Compression = compression;
    f.Palette = std::move(palette);
    return f;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += char(v);
    return s;
}

const TColor Red = RGBColor(255, 0, 0), Green = RGBColor(0, 255, 0), Blue = RGBColor(0, 0, 255);
const TColor White = RGBColor(255, 255, 255), Grey = RGBColor(128, 128, 128);

void ExpectPixels(const TBitmap& b, int w, int h, const std::vector<TColor>& topDownRows) {
    ASSERT_EQ(b.Width(), w);
    ASSERT_EQ(b.Height(), h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) EXPECT_EQ(b.Pixel(x, y), topDownRows[size_t(y * w + x)]) << "at " << x << "," << y;
}

TEST(BmpLoad, TrueColourBottomUpAndTopDown) {
    // 3 x 2, 24 bits: rows padded to 12 bytes, bottom row first.
    TBmpFile f = Bmp(3, 2, 24);
    f.Pixels = Bytes({0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0}) +       // bottom: red green blue
               Bytes({255, 255, 255, 128, 128, 128, 0, 0, 0, 0, 0, 0});  // top: white grey black
    ExpectPixels(LoadBmp(f.Build(), FileName), 3, 2, {White, Grey, 0, Red, Green, Blue});

    f.Height = -2;
    ExpectPixels(LoadBmp(f.Build(), FileName), 3, 2, {Red, Green, Blue, White, Grey, 0});

    TBmpFile t = Bmp(2, -1, 32);
    t.Pixels = Bytes({0, 0, 255, 77, 255, 0, 0, 0});  // the fourth byte is not a colour
    ExpectPixels(LoadBmp(t.Build(), FileName), 2, 1, {Red, Blue});
}

TEST(BmpLoad, PalettedDepths) {
    TBmpFile one = Bmp(10, 1, 1, 0, {Red, Blue});
    one.Pixels = Bytes({0b10110000, 0b01000000, 0, 0});
    ExpectPixels(LoadBmp(one.Build(), FileName), 10, 1, {Blue, Red, Blue, Blue, Red, Red, Red, Red, Red, Blue});

    // High nibble first; an odd width leaves the last low nibble unused.
    TBmpFile four = Bmp(3, 1, 4, 0, {0, Red, Green, Blue});
    four.Pixels = Bytes({0x31, 0x2F, 0, 0});
    ExpectPixels(LoadBmp(four.Build(), FileName), 3, 1, {Blue, Red, Green});

    // A short palette: an index past it reads black instead of memory beyond the table.
    TBmpFile eight = Bmp(4, 1, 8, 0, {Red, Green, Blue});
    eight.Pixels = Bytes({2, 1, 0, 200});
    ExpectPixels(LoadBmp(eight.Build(), FileName), 4, 1, {Blue, Green, Red, 0});

    TBmpFile core = Bmp(2, 1, 8, 0, {Green, White});
    core.HeaderSize = 12;
    core.Pixels = Bytes({1, 0, 0, 0});
    ExpectPixels(LoadBmp(core.Build(), FileName), 2, 1, {White, Green});
}

TEST(BmpLoad, SixteenBitsAndMasks) {
    TBmpFile def = Bmp(2, 1, 16);  // 5-5-5 without masks
    def.Pixels = Bytes({0x00, 0x7C, 0x1F, 0x00});
    ExpectPixels(LoadBmp(def.Build(), FileName), 2, 1, {Red, Blue});

    TBmpFile rgb565 = Bmp(2, 1, 16, 3);
    rgb565.Masks = {0xF800, 0x07E0, 0x001F};
    rgb565.Pixels = Bytes({0xE0, 0x07, 0x10, 0x84});  // full green; half of each
    ExpectPixels(LoadBmp(rgb565.Build(), FileName), 2, 1, {Green, RGBColor(132, 130, 132)});

    // A V5 header holds its masks inside; here a 32-bit picture with red in the low byte.
    TBmpFile v5 = Bmp(1, 1, 32, 3);
    v5.HeaderSize = 124;
    v5.Masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
    v5.Pixels = Bytes({10, 20, 30, 40});
    ExpectPixels(LoadBmp(v5.Build(), FileName), 1, 1, {RGBColor(10, 20, 30)});
}

TEST(BmpLoad, RunLengthEncoded) {
    // RLE8 of a 5 x 3 picture, bottom row first: a run, a delta, absolute mode with padding, end of line and of
    // the picture. Pixels a delta jumps over stay black.
    TBmpFile f = Bmp(5, 3, 8, 1, {0, Red, Green, Blue});
    f.Pixels = Bytes({3, 1, 0, 0,        // bottom row: red red red, end of line
                      0, 2, 1, 0,        // delta: right 1
                      0, 3, 2, 3, 2, 0,  // absolute: green blue green (+ pad)
                      0, 0,              // end of line
                      6, 3,              // a run longer than the row is cut at its end
                      0, 1});
    ExpectPixels(LoadBmp(f.Build(), FileName), 5, 3,
                 {Blue, Blue, Blue, Blue, Blue, 0, Green, Blue, Green, 0, Red, Red, Red, 0, 0});

    TBmpFile four = Bmp(4, 1, 4, 2, {0, Red, Green, Blue});
    four.Pixels = Bytes({3, 0x12, 0, 1});  // alternating nibbles: 1 2 1
    ExpectPixels(LoadBmp(four.Build(), FileName), 4, 1, {Red, Green, Red, 0});

    four.Pixels = Bytes({0, 3, 0x31, 0x20, 0, 1});  // absolute: 3 1 2
    ExpectPixels(LoadBmp(four.Build(), FileName), 4, 1, {Blue, Red, Green, 0});
}

void ExpectRejected(const std::string& bytes, const std::string& why) {
    try {
        LoadBmp(bytes, FileName);
        ADD_FAILURE() << "accepted; expected: " << why;
    } catch (const EGameError& e) {
        EXPECT_EQ(std::string(e.what()), "Bitmap \"data\\Images\\x.bmp\" is not a valid bitmap: " + why);
    }
}

TEST(BmpLoad, MalformedFilesAreRejectedNamingTheFile) {
    TBmpFile good = Bmp(2, 2, 24);
    good.Pixels = std::string(16, '\x40');
    const std::string ok = good.Build();
    ASSERT_NO_THROW(LoadBmp(ok, FileName));

    ExpectRejected("", "no bitmap signature");
    ExpectRejected("PK" + ok.substr(2), "no bitmap signature");
    ExpectRejected(ok.substr(0, 30), "truncated header");
    ExpectRejected(ok.substr(0, ok.size() - 4), "truncated pixel data");

    TBmpFile f = good;
    f.Width = 0;
    ExpectRejected(f.Build(), "bad picture size");
    f = good, f.Height = 16385;
    ExpectRejected(f.Build(), "picture too large (2 x 16385)");
    f = good, f.Height = INT32_MIN;
    ExpectRejected(f.Build(), "picture too large (2 x 2147483648)");
    f = good, f.Bpp = 2;
    ExpectRejected(f.Build(), "unsupported bit count 2");
    f = good, f.Compression = 4;
    ExpectRejected(f.Build(), "unsupported compression 4");
    f = good, f.Compression = 1;
    ExpectRejected(f.Build(), "compression does not match the bit count");
    f = good, f.HeaderSize = 20;
    ExpectRejected(f.Build(), "unsupported header size");

    std::string farOffset = ok;
    farOffset[10] = char(0xFF);
    ExpectRejected(farOffset, "bad pixel data offset");

    TBmpFile rle = Bmp(4, 1, 8, 1, {Red});
    rle.Pixels = Bytes({0, 5, 0, 0});  // absolute run of 5 with only 2 bytes left
    ExpectRejected(rle.Build(), "truncated pixel data");
    rle.Height = -1;
    ExpectRejected(rle.Build(), "a compressed picture cannot be top-down");
}

TEST(BmpLoad, DeclaredSizesAreBoundedBeforeDecoding) {
    TBmpFile f = Bmp(4096, 4097, 24);
    ExpectRejected(f.Build(), "picture too large (4096 x 4097)");

    // A kilobyte of runs declaring a picture of 16 million pixels.
    TBmpFile bomb = Bmp(4096, 4096, 8, 1, {Red});
    bomb.Pixels = Bytes({0, 1});
    const std::string bombFile = bomb.Build();
    ExpectRejected(bombFile, "4096 x 4096 pixels in a compressed file of " + std::to_string(bombFile.size()) + " bytes");
    // The same runs for a picture the bytes can stand for.
    bomb.Width = bomb.Height = 32;
    EXPECT_NO_THROW(LoadBmp(bomb.Build(), FileName));

    // The budget of a collection: pictures draw on it until the next one does not fit.
    TBmpFile small = Bmp(8, 8, 24);
    small.Pixels = std::string(8 * 8 * 3, '\0');
    int64_t budget = 100;
    EXPECT_EQ(LoadBmp(small.Build(), FileName, &budget).Width(), 8);
    EXPECT_EQ(budget, 36);
    try {
        LoadBmp(small.Build(), FileName, &budget);
        ADD_FAILURE() << "accepted";
    } catch (const EGameError& e) {
        EXPECT_EQ(std::string(e.what()), "Bitmap \"data\\Images\\x.bmp\" does not fit: all pictures together may hold "
                                         "at most " + std::to_string(MaxTotalPicturePixels) + " pixels");
    }
    EXPECT_EQ(budget, 36);
}

TEST(BmpLoad, EveryTruncationFailsCleanly) {
    // Each prefix of each kind of file either loads or throws the game's error; nothing reads past the end.
    std::vector<std::string> files;
    TBmpFile a = Bmp(3, 2, 8, 0, {Red, Green, Blue});
    a.Pixels = Bytes({0, 1, 2, 0, 2, 1, 0, 0});
    files.push_back(a.Build());
    TBmpFile r = Bmp(5, 2, 8, 1, {Red, Green});
    r.Pixels = Bytes({2, 1, 0, 3, 1, 0, 1, 0, 0, 2, 1, 1, 0, 0, 0, 1});
    files.push_back(r.Build());
    TBmpFile m = Bmp(2, 2, 16, 3);
    m.Masks = {0xF800, 0x07E0, 0x001F};
    m.Pixels = std::string(8, '\x11');
    files.push_back(m.Build());
    for (const std::string& file : files) {
        for (size_t n = 0; n < file.size(); ++n) {
            try {
                LoadBmp(file.substr(0, n), FileName);
            } catch (const EGameError&) {
            }
        }
        EXPECT_NO_THROW(LoadBmp(file, FileName));
    }
}

TEST(BmpSave, RoundTripsThroughTheLoader) {
    TBitmap b(3, 2);  // odd width: rows need padding
    b.SetPixel(0, 0, Red);
    b.SetPixel(2, 0, RGBColor(1, 2, 3));
    b.SetPixel(1, 1, White);
    const TBitmap back = LoadBmp(SaveBmp(b), FileName);
    EXPECT_EQ(back.Data(), b.Data());
}

TEST(PngSave, WritesAPngWithTheSize) {
    TBitmap b(300, 7, Blue);
    const std::string png = SavePng(b);
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1A\n");
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x01\x2C\0\0\0\x07", 8));
    EXPECT_THROW(SavePng(TBitmap()), EGameError);
}

TEST(BitmapCopyRect, ClipsBothSides) {
    TBitmap src(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) src.SetPixel(x, y, TColor(10 * y + x + 1));
    TBitmap dst(3, 3, 0xEEEEEE);
    // The source rectangle sticks out of the source on the left and the copy out of the target on the right.
    dst.CopyRect(1, 0, src, {-1, 1, 3, 3});
    ExpectPixels(dst, 3, 3, {0xEEEEEE, 0xEEEEEE, 11, 0xEEEEEE, 0xEEEEEE, 21, 0xEEEEEE, 0xEEEEEE, 0xEEEEEE});

    TBitmap whole(2, 2);
    whole.CopyRect(-1, -1, src, {0, 0, 4, 4});
    ExpectPixels(whole, 2, 2, {12, 13, 22, 23});

    // Within one picture the copy acts as if made from a snapshot.
    src.CopyRect(1, 0, src, {0, 0, 3, 1});
    EXPECT_EQ(src.Pixel(1, 0), 1u);
    EXPECT_EQ(src.Pixel(3, 0), 3u);

    whole.CopyRect(0, 0, src, {3, 3, 1, 1});  // inverted: nothing
    EXPECT_EQ(whole.Pixel(0, 0), 12u);
}

}  // namespace
