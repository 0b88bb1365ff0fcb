#include "media/Bitmap.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "base/Errors.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

TBitmap::TBitmap(int width, int height, TColor fill) {
    SetSize(width, height, fill);
}

void TBitmap::SetSize(int width, int height, TColor fill) {
    Changed();
    W = std::max(width, 0);
    H = std::max(height, 0);
    if (W == 0 || H == 0) W = H = 0;
    Pixels.assign(size_t(W) * H, fill);
}

TOpaqueRuns::TOpaqueRuns(const TColor* pixels, int width, int height, TColor key, int cellWidth)
    : KeyColor(key & 0xFFFFFF) {
    const size_t w = size_t(std::max(width, 0)), h = size_t(std::max(height, 0));
    CellW = CellWidthFor(int(w), cellWidth);
    const size_t cell = std::max<size_t>(size_t(CellW), 1);
    Columns = std::max<size_t>((w + cell - 1) / cell, 1);
    // Past this many runs a row costs more as a list than as a pass over every pixel.
    const size_t denseAt = std::max<size_t>(8, w / 16);
    CellStart.reserve(h * Columns + 1);
    DenseRows.assign(h, 0);
    for (size_t y = 0; y < h; ++y) {
        const TColor* row = pixels + y * w;
        const size_t first = Runs.size();
        for (size_t x = 0; x < w && !DenseRows[y];) {
            if (x % cell == 0) CellStart.push_back(uint32_t(Runs.size()));
            const size_t cellEnd = std::min(w, (x / cell + 1) * cell);
            while (x < cellEnd && (row[x] & 0xFFFFFF) == KeyColor) ++x;
            while (x < cellEnd) {
                const size_t begin = x;
                while (x < cellEnd && (row[x] & 0xFFFFFF) != KeyColor) ++x;
                if (Runs.size() - first == denseAt) {
                    DenseRows[y] = 1;
                    break;
                }
                Runs.push_back({int32_t(begin), int32_t(x)});
                while (x < cellEnd && (row[x] & 0xFFFFFF) == KeyColor) ++x;
            }
        }
        if (DenseRows[y]) {
            // A dense row keeps no runs: every cell of it is an empty list.
            Runs.resize(first);
            CellStart.resize(y * Columns);
        }
        CellStart.resize((y + 1) * Columns, uint32_t(Runs.size()));
    }
    CellStart.push_back(uint32_t(Runs.size()));
    Runs.shrink_to_fit();
}

const TOpaqueRuns& TBitmap::OpaqueRuns(TColor key, int cellWidth) const {
    if (!RunsCache || RunsCache->Key() != (key & 0xFFFFFF) ||
        RunsCache->CellWidth() != TOpaqueRuns::CellWidthFor(W, cellWidth))
        RunsCache = std::make_shared<const TOpaqueRuns>(Pixels.data(), W, H, key, cellWidth);
    return *RunsCache;
}

bool ClipBlit(const TRect& src, int srcW, int srcH, int destX, int destY, int destW, int destH, TBlit& out) {
    int64_t sx = src.Left, sy = src.Top, dx = destX, dy = destY;
    int64_t w = int64_t(src.Right) - sx, h = int64_t(src.Bottom) - sy;
    // Whichever side starts further outside decides how much is cut.
    int64_t cutX = std::max<int64_t>({0, -sx, -dx}), cutY = std::max<int64_t>({0, -sy, -dy});
    sx += cutX, dx += cutX, w -= cutX;
    sy += cutY, dy += cutY, h -= cutY;
    w = std::min({w, int64_t(srcW) - sx, int64_t(destW) - dx});
    h = std::min({h, int64_t(srcH) - sy, int64_t(destH) - dy});
    if (w <= 0 || h <= 0) return false;
    out = {sx, sy, dx, dy, w, h};
    return true;
}

void TBitmap::CopyRect(int x, int y, const TBitmap& src, const TRect& srcRect) {
    if (&src == this) {
        // Overlapping rows of one picture would be read after they were written.
        TBitmap copy = src;
        CopyRect(x, y, copy, srcRect);
        return;
    }
    TBlit b;
    if (!ClipBlit(srcRect, src.W, src.H, x, y, W, H, b)) return;
    for (int64_t r = 0; r < b.Height; ++r)
        std::memcpy(Row(int(b.DestY + r)) + b.DestX, src.Row(int(b.SrcY + r)) + b.SrcX,
                    size_t(b.Width) * sizeof(TColor));
}

namespace {

class TBmpReader {
public:
    TBmpReader(std::string_view bytes, const std::string& fileName, int64_t* pixelBudget)
        : Bytes(bytes), FileName(fileName), PixelBudget(pixelBudget) {}

    TBitmap Read();

private:
    struct TMask {
        uint32_t Mask = 0;
        int Shift = 0;
        uint64_t Max = 0;

        void Set(uint32_t mask) {
            Mask = mask;
            if (mask == 0) return;
            Shift = std::countr_zero(mask);
            int top = 32 - std::countl_zero(mask);
            Max = (uint64_t(1) << (top - Shift)) - 1;
        }
        uint8_t Channel(uint32_t pixel) const {
            if (Mask == 0) return 0;
            uint64_t v = (pixel & Mask) >> Shift;
            return uint8_t((v * 255 + Max / 2) / Max);
        }
    };

    [[noreturn]] void Fail(const std::string& why) const {
        throw EGameError("Bitmap \"" + FileName + "\" is not a valid bitmap: " + why);
    }
    bool Has(size_t pos, size_t count) const { return pos <= Bytes.size() && count <= Bytes.size() - pos; }
    uint8_t U8(size_t pos) const { return uint8_t(Bytes[pos]); }
    uint16_t U16(size_t pos) const { return uint16_t(U8(pos) | (U8(pos + 1) << 8)); }
    uint32_t U32(size_t pos) const { return uint32_t(U16(pos)) | (uint32_t(U16(pos + 2)) << 16); }

    TColor PaletteColor(unsigned index) const { return index < Palette.size() ? Palette[index] : 0; }
    TColor MaskedColor(uint32_t pixel) const {
        return RGBColor(Masks[0].Channel(pixel), Masks[1].Channel(pixel), Masks[2].Channel(pixel));
    }
    // Row y of the picture as stored in the file order (bottom-up unless TopDown).
    TColor* OutRow(TBitmap& bmp, int64_t fileRow) const {
        return bmp.Row(int(TopDown ? fileRow : Height - 1 - fileRow));
    }

    size_t Stride() const { return (size_t(Width) * Bpp + 31) / 32 * 4; }
    // Some writers leave out the padding of the last row.
    size_t UncompressedSize() const { return Stride() * size_t(Height - 1) + (size_t(Width) * Bpp + 7) / 8; }

    void ReadUncompressed(TBitmap& bmp, size_t offset);
    void ReadRle(TBitmap& bmp, size_t offset);

    std::string_view Bytes;
    const std::string& FileName;
    int64_t* PixelBudget;
    int64_t Width = 0, Height = 0;
    bool TopDown = false;
    int Bpp = 0;
    uint32_t Compression = 0;
    TMask Masks[3];
    std::vector<TColor> Palette;
};

enum : uint32_t { BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitfields = 3, BiAlphaBitfields = 6 };

TBitmap TBmpReader::Read() {
    if (!Has(0, 2) || Bytes[0] != 'B' || Bytes[1] != 'M') Fail("no bitmap signature");
    if (!Has(0, 18)) Fail("truncated header");
    size_t pixelOffset = U32(10);
    uint32_t headerSize = U32(14);
    size_t hdr = 14;
    if (headerSize != 12 && (headerSize < 40 || headerSize > 256)) Fail("unsupported header size");
    if (!Has(hdr, headerSize)) Fail("truncated header");

    uint32_t colorsUsed = 0;
    size_t paletteEntry = 4;
    if (headerSize == 12) {
        Width = U16(hdr + 4);
        Height = U16(hdr + 6);
        Bpp = U16(hdr + 10);
        paletteEntry = 3;
    } else {
        Width = int32_t(U32(hdr + 4));
        Height = int32_t(U32(hdr + 8));
        Bpp = U16(hdr + 14);
        Compression = U32(hdr + 16);
        colorsUsed = U32(hdr + 32);
    }
    if (Height < 0) {
        TopDown = true;
        Height = -Height;
    }
    if (Width <= 0 || Height <= 0) Fail("bad picture size");
    if (Width > MaxBitmapSide || Height > MaxBitmapSide || Width * Height > MaxBitmapPixels)
        Fail("picture too large (" + std::to_string(Width) + " x " + std::to_string(Height) + ")");

    size_t afterHeader = hdr + headerSize;
    switch (Compression) {
        case BiRgb:
            if (Bpp != 1 && Bpp != 4 && Bpp != 8 && Bpp != 16 && Bpp != 24 && Bpp != 32)
                Fail("unsupported bit count " + std::to_string(Bpp));
            if (Bpp == 16) {
                Masks[0].Set(0x7C00), Masks[1].Set(0x03E0), Masks[2].Set(0x001F);
            } else if (Bpp == 32) {
                Masks[0].Set(0xFF0000), Masks[1].Set(0x00FF00), Masks[2].Set(0x0000FF);
            }
            break;
        case BiRle8:
        case BiRle4:
            if (Bpp != (Compression == BiRle8 ? 8 : 4)) Fail("compression does not match the bit count");
            if (TopDown) Fail("a compressed picture cannot be top-down");
            break;
        case BiBitfields:
        case BiAlphaBitfields: {
            if (Bpp != 16 && Bpp != 32) Fail("bit fields need 16 or 32 bits per pixel");
            // The plain header keeps its masks after itself; the later headers hold them inside.
            size_t maskPos = hdr + 40;
            if (headerSize == 40) {
                size_t maskBytes = Compression == BiAlphaBitfields ? 16 : 12;
                if (!Has(maskPos, maskBytes)) Fail("truncated colour masks");
                afterHeader += maskBytes;
            } else if (headerSize < 52) {
                Fail("truncated colour masks");
            }
            for (int c = 0; c < 3; ++c) Masks[c].Set(U32(maskPos + 4 * c));
            break;
        }
        default:
            Fail("unsupported compression " + std::to_string(Compression));
    }

    if (pixelOffset < hdr + headerSize || pixelOffset > Bytes.size()) Fail("bad pixel data offset");
    if (Bpp <= 8) {
        size_t count = size_t(1) << Bpp;
        if (colorsUsed != 0 && colorsUsed < count) count = colorsUsed;
        // Writers that leave out unused entries still point past the ones they wrote.
        if (pixelOffset > afterHeader) count = std::min(count, (pixelOffset - afterHeader) / paletteEntry);
        if (count == 0) Fail("missing palette");
        if (!Has(afterHeader, count * paletteEntry)) Fail("truncated palette");
        Palette.resize(count);
        for (size_t i = 0; i < count; ++i) {
            size_t p = afterHeader + i * paletteEntry;
            Palette[i] = RGBColor(U8(p + 2), U8(p + 1), U8(p));
        }
    }

    const bool rle = Compression == BiRle8 || Compression == BiRle4;
    if (!rle && !Has(pixelOffset, UncompressedSize())) Fail("truncated pixel data");
    // A few bytes of runs must not stand for a huge picture.
    if (rle && Width * Height > MaxRlePixelsPerByte * int64_t(Bytes.size()))
        Fail(std::to_string(Width) + " x " + std::to_string(Height) + " pixels in a compressed file of " +
             std::to_string(Bytes.size()) + " bytes");
    TakePicturePixels(PixelBudget, Width * Height, FileName);
    TBitmap bmp{int(Width), int(Height)};
    if (rle)
        ReadRle(bmp, pixelOffset);
    else
        ReadUncompressed(bmp, pixelOffset);
    return bmp;
}

void TBmpReader::ReadUncompressed(TBitmap& bmp, size_t offset) {
    const size_t stride = Stride();
    const auto* data = reinterpret_cast<const uint8_t*>(Bytes.data()) + offset;
    for (int64_t r = 0; r < Height; ++r) {
        const uint8_t* s = data + stride * size_t(r);
        TColor* d = OutRow(bmp, r);
        switch (Bpp) {
            case 1:
                for (int64_t x = 0; x < Width; ++x) d[x] = PaletteColor((s[x >> 3] >> (7 - (x & 7))) & 1);
                break;
            case 4:
                for (int64_t x = 0; x < Width; ++x) d[x] = PaletteColor((s[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
                break;
            case 8:
                for (int64_t x = 0; x < Width; ++x) d[x] = PaletteColor(s[x]);
                break;
            case 16:
                for (int64_t x = 0; x < Width; ++x) d[x] = MaskedColor(uint32_t(s[2 * x] | (s[2 * x + 1] << 8)));
                break;
            case 24:
                for (int64_t x = 0; x < Width; ++x, s += 3) d[x] = RGBColor(s[2], s[1], s[0]);
                break;
            case 32:
                if (Masks[0].Mask == 0xFF0000 && Masks[1].Mask == 0xFF00 && Masks[2].Mask == 0xFF) {
                    for (int64_t x = 0; x < Width; ++x, s += 4) d[x] = RGBColor(s[2], s[1], s[0]);
                } else {
                    for (int64_t x = 0; x < Width; ++x, s += 4)
                        d[x] = MaskedColor(uint32_t(s[0]) | (uint32_t(s[1]) << 8) | (uint32_t(s[2]) << 16) |
                                           (uint32_t(s[3]) << 24));
                }
                break;
        }
    }
}

void TBmpReader::ReadRle(TBitmap& bmp, size_t offset) {
    const bool four = Compression == BiRle4;
    size_t p = offset;
    int64_t x = 0, row = 0;
    auto put = [&](unsigned index) {
        if (x < Width && row < Height) OutRow(bmp, row)[x] = PaletteColor(index);
        ++x;
    };
    // A stream that simply stops between codes is taken as ended; one cut inside a code is not.
    while (row < Height && Has(p, 2)) {
        uint8_t count = U8(p), value = U8(p + 1);
        p += 2;
        if (count > 0) {
            for (int i = 0; i < count && x < Width; ++i) put(four ? ((i & 1) ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (!Has(p, 2)) Fail("truncated pixel data");
            x += U8(p);
            row += U8(p + 1);
            p += 2;
        } else {
            size_t bytes = four ? (value + 1) / 2 : value;
            if (!Has(p, bytes)) Fail("truncated pixel data");
            for (int i = 0; i < value; ++i) {
                uint8_t b = U8(p + (four ? i / 2 : i));
                put(four ? ((i & 1) ? b & 15 : b >> 4) : b);
            }
            p += (bytes + 1) & ~size_t(1);
        }
    }
}

void PutU16(std::string& s, uint16_t v) {
    s += char(v & 0xFF);
    s += char(v >> 8);
}

void PutU32(std::string& s, uint32_t v) {
    PutU16(s, uint16_t(v & 0xFFFF));
    PutU16(s, uint16_t(v >> 16));
}

}  // namespace

void TakePicturePixels(int64_t* pixelBudget, int64_t pixels, const std::string& fileName) {
    if (!pixelBudget) return;
    if (pixels > *pixelBudget)
        throw EGameError("Bitmap \"" + fileName + "\" does not fit: all pictures together may hold at most " +
                         std::to_string(MaxTotalPicturePixels) + " pixels");
    *pixelBudget -= pixels;
}

TBitmap LoadBmp(std::string_view bytes, const std::string& fileName, int64_t* pixelBudget) {
    return TBmpReader(bytes, fileName, pixelBudget).Read();
}

std::string SaveBmp(const TBitmap& bmp) {
    const int w = bmp.Width(), h = bmp.Height();
    const uint32_t stride = (uint32_t(w) * 3 + 3) & ~3u;
    const uint32_t dataSize = stride * uint32_t(h);
    std::string s;
    s.reserve(54 + dataSize);
    s += "BM";
    PutU32(s, 54 + dataSize);
    PutU32(s, 0);
    PutU32(s, 54);
    PutU32(s, 40);
    PutU32(s, uint32_t(w));
    PutU32(s, uint32_t(h));
    PutU16(s, 1);
    PutU16(s, 24);
    PutU32(s, BiRgb);
    PutU32(s, dataSize);
    PutU32(s, 3780);  // 96 DPI in pixels per metre
    PutU32(s, 3780);
    PutU32(s, 0);
    PutU32(s, 0);
    for (int y = h - 1; y >= 0; --y) {
        const TColor* row = bmp.Row(y);
        for (int x = 0; x < w; ++x) {
            s += char((row[x] >> 16) & 0xFF);
            s += char((row[x] >> 8) & 0xFF);
            s += char(row[x] & 0xFF);
        }
        s.append(stride - uint32_t(w) * 3, '\0');
    }
    return s;
}

std::string SavePng(const TBitmap& bmp) {
    if (bmp.Empty()) throw EGameError("Cannot write an empty picture as PNG");
    std::vector<uint8_t> rgb(size_t(bmp.Width()) * bmp.Height() * 3);
    uint8_t* o = rgb.data();
    for (TColor c : bmp.Data()) {
        *o++ = uint8_t(c);
        *o++ = uint8_t(c >> 8);
        *o++ = uint8_t(c >> 16);
    }
    std::string out;
    auto append = [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data), size_t(size));
    };
    if (!stbi_write_png_to_func(append, &out, bmp.Width(), bmp.Height(), 3, rgb.data(), bmp.Width() * 3))
        throw EGameError("Cannot encode the picture as PNG");
    return out;
}
