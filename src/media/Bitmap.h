#pragma once
#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Colours are $00BBGGRR: red in the low byte. Surfaces and bitmaps keep their
// pixels in that same order, so a pixel read is a game colour as it stands.
using TColor = uint32_t;

constexpr TColor RGBColor(uint8_t r, uint8_t g, uint8_t b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;  // right and bottom exclusive
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

struct TSize {
    int Cx = 0, Cy = 0;
};

// A copy of a source rectangle to (DestX, DestY), clipped so that both the
// source picture and the destination hold every pixel of it.
struct TBlit {
    int64_t SrcX = 0, SrcY = 0, DestX = 0, DestY = 0, Width = 0, Height = 0;
};
// False when nothing of it is left to copy.
bool ClipBlit(const TRect& src, int srcW, int srcH, int destX, int destY, int destW, int destH, TBlit& out);

// Where a picture is not its colour key, row by row: the runs of pixels a
// keyed draw copies and a translucent draw mixes, so that neither looks at
// the keyed-out rest. A row cut into many short runs (a dithered picture) is
// marked dense instead and drawn with the vector loops that test every pixel,
// which keeps these lists far smaller than the picture.
//
// Runs end at every multiple of the cell width, so the runs of one pattern
// cell in a row are a list of their own and a draw of one pattern never
// looks at its neighbours' runs.
class TOpaqueRuns {
public:
    struct TRun {
        int32_t Begin = 0, End = 0;  // columns, end exclusive
    };

    // A cell width of 0 (or wider than the picture) makes the whole row one cell.
    TOpaqueRuns(const TColor* pixels, int width, int height, TColor key, int cellWidth = 0);

    // The cells a picture `width` wide is cut into when asked for `cellWidth`: cells narrower than
    // MinCellWidth are not cut apart (their lists would outgrow the picture), so the row is one cell.
    static constexpr int MinCellWidth = 16;
    static int CellWidthFor(int width, int cellWidth) {
        return cellWidth >= MinCellWidth && cellWidth < width ? cellWidth : std::max(width, 0);
    }

    TColor Key() const { return KeyColor; }
    int CellWidth() const { return CellW; }
    bool Dense(int y) const { return DenseRows[size_t(y)] != 0; }
    // The runs of a row that is not dense, left to right.
    std::span<const TRun> Row(int y) const {
        return {Runs.data() + CellStart[size_t(y) * Columns], Runs.data() + CellStart[(size_t(y) + 1) * Columns]};
    }
    // What a keyed draw walks down one cell column from row y: the entry of row y + i in Start[i * Stride]
    // (its runs end where the next entry's begin), and row y + i dense when Dense[i].
    struct TCellWalk {
        const uint32_t* Start;
        size_t Stride;
        const TRun* Runs;
        const uint8_t* Dense;
    };
    TCellWalk Walk(int y, int column) const {
        return {CellStart.data() + size_t(y) * Columns + size_t(column), Columns, Runs.data(), DenseRows.data() + y};
    }

private:
    TColor KeyColor;
    int CellW = 0;
    size_t Columns = 1;
    std::vector<uint32_t> CellStart;  // per row and cell column, and one past the last
    std::vector<uint8_t> DenseRows;
    std::vector<TRun> Runs;
};

// An in-memory picture.
//
// It remembers its opaque runs once asked for them; every non-const access
// forgets them. So a pointer from Row() or Data() is for writing there and
// then, not for keeping across a later draw of the picture.
class TBitmap {
public:
    TBitmap() = default;
    TBitmap(int width, int height, TColor fill = 0);

    int Width() const { return W; }
    int Height() const { return H; }
    bool Empty() const { return W == 0 || H == 0; }
    void SetSize(int width, int height, TColor fill = 0);

    // 0 outside the picture.
    TColor Pixel(int x, int y) const { return (x < 0 || y < 0 || x >= W || y >= H) ? 0 : Pixels[size_t(y) * W + x]; }
    void SetPixel(int x, int y, TColor c) {
        Changed();
        if (x >= 0 && y >= 0 && x < W && y < H) Pixels[size_t(y) * W + x] = c;
    }
    TColor* Row(int y) {
        Changed();
        return Pixels.data() + size_t(y) * W;
    }
    const TColor* Row(int y) const { return Pixels.data() + size_t(y) * W; }
    std::vector<TColor>& Data() {
        Changed();
        return Pixels;
    }
    const std::vector<TColor>& Data() const { return Pixels; }

    // Copies src's rectangle to (x, y) of this bitmap, clipped on both sides.
    void CopyRect(int x, int y, const TBitmap& src, const TRect& srcRect);

    // The runs of pixels whose colour (the low three bytes) is not `key`,
    // cut into cells of `cellWidth`; worked out on the first call for a key
    // and width and kept until the picture changes. Copies of the picture
    // share them.
    const TOpaqueRuns& OpaqueRuns(TColor key, int cellWidth = 0) const;

private:
    void Changed() {
        if (RunsCache) RunsCache.reset();
    }

    int W = 0, H = 0;
    std::vector<TColor> Pixels;
    mutable std::shared_ptr<const TOpaqueRuns> RunsCache;
};

// Limits that keep a forged header from asking for gigabytes. A picture of
// the game is at most a few megapixels.
constexpr int MaxBitmapSide = 16384;
constexpr int64_t MaxBitmapPixels = int64_t(4096) * 4096;
// Runs of 255 and row ends give real compressed files far fewer pixels per byte.
constexpr int64_t MaxRlePixelsPerByte = 1024;
// All pictures of one image collection together (512 MiB decoded).
constexpr int64_t MaxTotalPicturePixels = int64_t(128) * 1024 * 1024;

// Reads a Windows bitmap file (1, 4, 8, 24 and 32 bits; uncompressed or RLE).
// Throws EGameError naming `fileName` and what is wrong when it is not one.
// With `pixelBudget`, the picture's pixels are taken from it, and a picture
// that does not fit is refused before it is decoded.
TBitmap LoadBmp(std::string_view bytes, const std::string& fileName, int64_t* pixelBudget = nullptr);
// Takes a picture's pixels from the budget (when there is one), or refuses the picture naming the file.
void TakePicturePixels(int64_t* pixelBudget, int64_t pixels, const std::string& fileName);
// Writes a 24-bit uncompressed bitmap file.
std::string SaveBmp(const TBitmap& bmp);
// Writes a PNG file image (used by screenshots).
std::string SavePng(const TBitmap& bmp);
