#include "media/Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <unordered_map>
#include <vector>

#include "base/Errors.h"
#include "base/Os.h"
#include "base/Text.h"
#include "media/Surface.h"

namespace {

enum : uint8_t { SynthBold = 1, SynthItalic = 2 };
constexpr double ItalicSlant = 0.2126;  // tan 12 degrees
// How much a too-thin bold outline is widened, in 26.6 pixels.
constexpr FT_Pos BoldStrength = 64;

struct TGlyph {
    int Left = 0, Top = 0;  // bitmap origin from the pen position, Top upwards from the baseline
    int Width = 0, Height = 0;
    int Advance = 0;
    std::vector<uint8_t> Coverage;
};

struct TGlyphKey {
    FT_Face Face;
    uint8_t Style;
    char32_t Code;
    bool operator==(const TGlyphKey&) const = default;
};

struct TGlyphKeyHash {
    size_t operator()(const TGlyphKey& k) const {
        return std::hash<const void*>()(k.Face) ^ (size_t(k.Code) * 0x9E3779B97F4A7C15ull) ^ k.Style;
    }
};

// Fixed-size faces have no outline to shape, so their styles are made on the pixels: bold overprints the
// glyph one pixel to the right, italic shears the rows about the baseline.
void StyleBitmap(TGlyph& g, uint8_t style) {
    if (g.Width == 0 || g.Height == 0) return;
    const int bold = (style & SynthBold) ? 1 : 0;
    auto shift = [&](int y) {
        return (style & SynthItalic) ? int(std::floor((g.Top - y - 0.5) * ItalicSlant + 0.5)) : 0;
    };
    const int lowest = shift(g.Height - 1), highest = shift(0);
    const int width = g.Width + bold + highest - lowest;
    std::vector<uint8_t> out(size_t(width) * g.Height, 0);
    for (int y = 0; y < g.Height; ++y) {
        uint8_t* o = out.data() + size_t(y) * width + (shift(y) - lowest);
        const uint8_t* c = g.Coverage.data() + size_t(y) * g.Width;
        for (int x = 0; x < g.Width; ++x)
            for (int b = 0; b <= bold; ++b) o[x + b] = std::max(o[x + b], c[x]);
    }
    g.Coverage = std::move(out);
    g.Width = width;
    g.Left += lowest;
}

// "Small Fonts" has one built-in size, 11 pixels. Below 8 pixels the game's tiny debug labels are
// drawn with this face instead: 3 x 4 pixel capitals and digits under one pixel of leading, the
// height of a 4-point face. Lower-case letters take the capitals; anything else is a small box.
constexpr int TinyAscender = 5, TinyHeight = 6, TinyAdvance = 4, TinyMaxPixels = 7;

struct TTinyGlyph {
    char Code;
    const char* Rows[4];
};

const TTinyGlyph TinyGlyphs[] = {
    {'0', {"###", "#.#", "#.#", "###"}}, {'1', {".#.", "##.", ".#.", "###"}}, {'2', {"##.", "..#", ".#.", "###"}},
    {'3', {"###", ".##", "..#", "###"}}, {'4', {"#.#", "#.#", "###", "..#"}}, {'5', {"###", "##.", "..#", "##."}},
    {'6', {"#..", "###", "#.#", "###"}}, {'7', {"###", "..#", ".#.", ".#."}}, {'8', {"###", "###", "#.#", "###"}},
    {'9', {"###", "#.#", "###", "..#"}}, {'A', {".#.", "#.#", "###", "#.#"}}, {'B', {"##.", "###", "#.#", "##."}},
    {'C', {"###", "#..", "#..", "###"}}, {'D', {"##.", "#.#", "#.#", "##."}}, {'E', {"###", "##.", "#..", "###"}},
    {'F', {"###", "#..", "##.", "#.."}}, {'G', {"###", "#..", "#.#", "###"}}, {'H', {"#.#", "###", "#.#", "#.#"}},
    {'I', {"###", ".#.", ".#.", "###"}}, {'J', {"..#", "..#", "#.#", "###"}}, {'K', {"#.#", "##.", "#.#", "#.#"}},
    {'L', {"#..", "#..", "#..", "###"}}, {'M', {"###", "###", "#.#", "#.#"}}, {'N', {"##.", "#.#", "#.#", "#.#"}},
    {'O', {"###", "#.#", "#.#", "###"}}, {'P', {"###", "#.#", "###", "#.."}}, {'Q', {"###", "#.#", "###", "..#"}},
    {'R', {"##.", "#.#", "##.", "#.#"}}, {'S', {".##", "#..", "..#", "##."}}, {'T', {"###", ".#.", ".#.", ".#."}},
    {'U', {"#.#", "#.#", "#.#", "###"}}, {'V', {"#.#", "#.#", "#.#", ".#."}}, {'W', {"#.#", "#.#", "###", "###"}},
    {'X', {"#.#", ".#.", ".#.", "#.#"}}, {'Y', {"#.#", "#.#", ".#.", ".#."}}, {'Z', {"###", "..#", "#..", "###"}},
    {'-', {"...", "...", "###", "..."}}, {'+', {"...", ".#.", "###", ".#."}}, {'.', {"...", "...", "...", ".#."}},
    {',', {"...", "...", ".#.", "#.."}}, {':', {"...", ".#.", "...", ".#."}}, {'/', {"..#", "..#", "#..", "#.."}},
    {'(', {".#.", "#..", "#..", ".#."}}, {')', {".#.", "..#", "..#", ".#."}}, {'%', {"#.#", "..#", "#..", "#.#"}},
    {'!', {".#.", ".#.", "...", ".#."}}, {'?', {"##.", "..#", "...", ".#."}}, {'\'', {".#.", ".#.", "...", "..."}},
    {'=', {"...", "###", "...", "###"}}, {'_', {"...", "...", "...", "###"}}, {' ', {"...", "...", "...", "..."}},
};

TGlyph TinyGlyph(char32_t code) {
    if (code >= 'a' && code <= 'z') code -= 'a' - 'A';
    static const char* const box[4] = {"###", "#.#", "#.#", "###"};
    const char* const* rows = box;
    for (const TTinyGlyph& t : TinyGlyphs)
        if (char32_t(t.Code) == code) rows = t.Rows;
    TGlyph g;
    g.Top = TinyAscender - 1;
    g.Width = 3;
    g.Height = 4;
    g.Advance = TinyAdvance;
    g.Coverage.resize(12);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x) g.Coverage[size_t(y) * 3 + x] = rows[y][x] == '#' ? 255 : 0;
    return g;
}

inline TColor Mix(TColor src, TColor dst, unsigned a) {
    const unsigned na = 255 - a;
    unsigned r = ((src & 0xFF) * a + (dst & 0xFF) * na + 127) / 255;
    unsigned g = (((src >> 8) & 0xFF) * a + ((dst >> 8) & 0xFF) * na + 127) / 255;
    unsigned b = (((src >> 16) & 0xFF) * a + ((dst >> 16) & 0xFF) * na + 127) / 255;
    return r | (g << 8) | (b << 16);
}

}  // namespace

struct TFontEngine::Impl {
    struct TResolved {
        FT_Face Face;
        uint8_t Style;
        int Ascender, Height;
        // For a bold face: the regular face of its family at the same size.
        FT_Face Regular = nullptr;
    };

    std::vector<std::filesystem::path> Dirs;
    FT_Library Library = nullptr;
    // The files' bytes, read through the system's own path type (so any folder name opens), live as
    // long as the faces made from them.
    std::map<std::string, std::string> FileBytes;
    std::map<std::pair<std::string, int>, FT_Face> Faces;
    std::unordered_map<TGlyphKey, TGlyph, TGlyphKeyHash> Glyphs;
    std::map<std::pair<FT_Face, bool>, int> Stems;

    ~Impl() {
        Glyphs.clear();
        for (auto& [key, face] : Faces) FT_Done_Face(face);
        if (Library) FT_Done_FreeType(Library);
    }

    TResolved Resolve(const TFontSpec& spec) {
        std::string file = "tahoma.ttf";
        bool hasBoldFile = true;
        if (SameText(spec.Face, "Small Fonts")) {
            file = "small_fonts.ttf";
            hasBoldFile = false;
        } else if (SameText(spec.Face, "MS Sans Serif")) {
            file = "ms_sans_serif.ttf";
            hasBoldFile = false;
        }
        uint8_t style = 0;
        std::string regularFile;
        if (spec.Bold) {
            if (hasBoldFile) {
                regularFile = file;
                file = "tahomabd.ttf";
            } else {
                style |= SynthBold;
            }
        }
        if (spec.Italic) style |= SynthItalic;
        // Points at 96 DPI; absurd sizes are held to something that still renders.
        const int points = spec.Size > 0 ? spec.Size : 8;
        const int pixels = std::clamp(int(std::lround(points * 96.0 / 72.0)), 1, 512);
        if (file == "small_fonts.ttf" && pixels <= TinyMaxPixels) return {nullptr, style, TinyAscender, TinyHeight};
        FT_Face face = OpenFace(file, pixels);
        const FT_Size_Metrics& m = face->size->metrics;
        const int asc = int((m.ascender + 63) >> 6);
        const int desc = int(m.descender >> 6);
        return {face, style, asc, asc - desc, regularFile.empty() ? nullptr : OpenFace(regularFile, pixels)};
    }

    // Width in whole pixels of the stem of "l" as the face draws it: from its hinted outline,
    // or its built-in pixel strike where it has one and `outline` is false.
    int StemWidth(FT_Face face, bool outline) {
        const auto key = std::make_pair(face, outline);
        if (auto it = Stems.find(key); it != Stems.end()) return it->second;
        int widest = 0;
        FT_GlyphSlot slot = face->glyph;
        if (FT_Load_Glyph(face, FT_Get_Char_Index(face, 'l'), FT_LOAD_DEFAULT | (outline ? FT_LOAD_NO_BITMAP : 0)) ==
                0 &&
            (slot->format == FT_GLYPH_FORMAT_BITMAP || FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0)) {
            const FT_Bitmap& bm = slot->bitmap;
            for (unsigned y = 0; y < bm.rows; ++y) {
                const unsigned char* row = bm.buffer + ptrdiff_t(y) * bm.pitch;
                int run = 0;
                for (unsigned x = 0; x < bm.width; ++x) {
                    const bool ink =
                        bm.pixel_mode == FT_PIXEL_MODE_MONO ? (row[x >> 3] & (0x80 >> (x & 7))) != 0 : row[x] >= 128;
                    run = ink ? run + 1 : 0;
                    widest = std::max(widest, run);
                }
            }
        }
        Stems.emplace(key, widest);
        return widest;
    }

    std::filesystem::path FindFace(const std::string& file) const {
        std::error_code ec;
        for (const auto& dir : Dirs)
            if (std::filesystem::is_regular_file(dir / file, ec)) return dir / file;
        return {};
    }

    // "A/x.ttf" (nor "B/x.ttf"): where a missing face was looked for.
    std::string Tried(const std::string& file) const {
        std::string out;
        for (const auto& dir : Dirs)
            out += (out.empty() ? "\"" : " (nor \"") + (dir / file).string() + (out.empty() ? "\"" : "\")");
        return out;
    }

    const std::string& Bytes(const std::string& file) {
        auto [it, fresh] = FileBytes.try_emplace(file);
        if (fresh)
            if (const std::filesystem::path path = FindFace(file); !path.empty()) {
                std::ifstream in(path, std::ios::binary);
                std::ostringstream ss;
                ss << in.rdbuf();
                it->second = ss.str();
            }
        return it->second;
    }

    FT_Face OpenFace(const std::string& file, int pixels) {
        auto key = std::make_pair(file, pixels);
        if (auto it = Faces.find(key); it != Faces.end()) return it->second;
        if (!Library && FT_Init_FreeType(&Library) != 0) throw EGameError("Cannot start the font renderer");
        const std::string path = FindFace(file).string();
        const std::string& bytes = Bytes(file);
        FT_Face face = nullptr;
        if (bytes.empty() ||
            FT_New_Memory_Face(Library, reinterpret_cast<const FT_Byte*>(bytes.data()), FT_Long(bytes.size()), 0,
                               &face) != 0)
            throw EGameError("Cannot open font file " + Tried(file));
        FT_Select_Charmap(face, FT_ENCODING_UNICODE);
        FT_Error sized;
        if (FT_IS_SCALABLE(face)) {
            sized = FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels));
        } else {
            // A bitmap-only face has a few fixed sizes; like the window system, take the nearest one.
            int best = 0;
            for (int i = 1; i < face->num_fixed_sizes; ++i)
                if (std::abs(face->available_sizes[i].y_ppem / 64 - pixels) <
                    std::abs(face->available_sizes[best].y_ppem / 64 - pixels))
                    best = i;
            sized = face->num_fixed_sizes > 0 ? FT_Select_Size(face, best) : 1;
        }
        if (sized != 0) {
            FT_Done_Face(face);
            throw EGameError("Font file \"" + path + "\" has no size " + std::to_string(pixels));
        }
        Faces.emplace(key, face);
        return face;
    }

    const TGlyph& Glyph(const TResolved& font, char32_t code) {
        const TGlyphKey key{font.Face, font.Style, code};
        if (auto it = Glyphs.find(key); it != Glyphs.end()) return it->second;
        TGlyph& g = Glyphs[key];
        if (!font.Face) {
            g = TinyGlyph(code);
            if (font.Style) StyleBitmap(g, font.Style);
            if (font.Style & SynthBold) ++g.Advance;
            return g;
        }
        FT_Face face = font.Face;
        // Styles made here need an outline to work on.
        // Above 11 pixels the bold face's built-in pixel strikes are not bold
        // for every script (its Latin letters come out regular), so bold is
        // drawn from outlines there.
        const bool boldStrikeWrong = (face->style_flags & FT_STYLE_FLAG_BOLD) && face->size->metrics.y_ppem > 11;
        const bool outlineOnly = FT_IS_SCALABLE(face) && (font.Style || boldStrikeWrong);
        // At some sizes the bold face's hinting draws stems no wider than the regular face's
        // (1 pixel at 12 and 13 pixels): there its outlines are made a pixel bolder.
        const bool thinBold =
            boldStrikeWrong && font.Regular && StemWidth(face, true) <= StemWidth(font.Regular, false);
        const FT_Int32 flags = FT_LOAD_DEFAULT | (outlineOnly ? FT_LOAD_NO_BITMAP : 0);
        if (FT_Load_Glyph(face, FT_Get_Char_Index(face, FT_ULong(code)), flags) != 0) return g;
        FT_GlyphSlot slot = face->glyph;
        const int extraAdvance = (font.Style & SynthBold) ? 1 : 0;
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            if (thinBold) FT_Outline_EmboldenXY(&slot->outline, BoldStrength, 0);
            if (font.Style & SynthBold) FT_Outline_EmboldenXY(&slot->outline, 64, 0);
            if (font.Style & SynthItalic) {
                FT_Matrix shear{0x10000, FT_Fixed(ItalicSlant * 0x10000), 0, 0x10000};
                FT_Outline_Transform(&slot->outline, &shear);
            }
        }
        g.Advance = int((slot->advance.x + 32) >> 6) + extraAdvance;
        if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return g;
        const FT_Bitmap& bm = slot->bitmap;
        g.Left = slot->bitmap_left;
        g.Top = slot->bitmap_top;
        g.Width = int(bm.width);
        g.Height = int(bm.rows);
        g.Coverage.assign(size_t(g.Width) * g.Height, 0);
        for (int y = 0; y < g.Height; ++y) {
            const unsigned char* row = bm.buffer + ptrdiff_t(y) * bm.pitch;
            uint8_t* out = g.Coverage.data() + size_t(y) * g.Width;
            for (int x = 0; x < g.Width; ++x) {
                if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                    out[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
                else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
                    out[x] = uint8_t(bm.num_grays == 256 ? row[x] : row[x] * 255 / std::max(1, bm.num_grays - 1));
            }
        }
        if (slot->format == FT_GLYPH_FORMAT_BITMAP && font.Style) StyleBitmap(g, font.Style);
        // A smoothed outline may reach a pixel left of the pen; that fringe is
        // dropped so text never draws outside its measured extent.
        if (g.Left < 0 && g.Width > 0) {
            const int cut = std::min(-g.Left, g.Width);
            std::vector<uint8_t> kept(size_t(g.Width - cut) * g.Height);
            for (int y = 0; y < g.Height; ++y)
                std::copy_n(g.Coverage.begin() + ptrdiff_t(y) * g.Width + cut, g.Width - cut,
                            kept.begin() + ptrdiff_t(y) * (g.Width - cut));
            g.Coverage = std::move(kept);
            g.Width -= cut;
            g.Left = 0;
        }
        return g;
    }
};

TFontEngine::TFontEngine(std::vector<std::filesystem::path> fontDirs) : P(std::make_unique<Impl>()) {
    P->Dirs = fontDirs.empty() ? std::vector<std::filesystem::path>{SystemFontDir()} : std::move(fontDirs);
}

TFontEngine::TFontEngine(const std::string& fontDir)
    : TFontEngine(fontDir.empty() ? std::vector<std::filesystem::path>{}
                                  : std::vector<std::filesystem::path>{fontDir}) {}

std::filesystem::path TFontEngine::FindFace(const std::string& file) const {
    return P->FindFace(file);
}

std::vector<std::filesystem::path> GameFontDirs(const std::filesystem::path& dataDir) {
    return {dataDir / "fonts", SystemFontDir()};
}

TFontEngine::~TFontEngine() = default;

TSize TFontEngine::TextExtent(const TFontSpec& font, std::string_view utf8) {
    const Impl::TResolved f = P->Resolve(font);
    int width = 0;
    for (size_t i = 0; i < utf8.size();) width += P->Glyph(f, DecodeUtf8(utf8, i)).Advance;
    return {width, f.Height};
}

std::vector<int64_t> TFontEngine::PrefixWidths(const TFontSpec& font, std::string_view utf8) {
    const Impl::TResolved f = P->Resolve(font);
    std::vector<int64_t> widths(utf8.size() + 1);
    int64_t width = 0;
    for (size_t i = 0; i < utf8.size();) {
        const size_t from = i;
        const int advance = P->Glyph(f, DecodeUtf8(utf8, i)).Advance;
        std::fill(widths.begin() + std::ptrdiff_t(from), widths.begin() + std::ptrdiff_t(i), width);
        width += advance;
    }
    widths[utf8.size()] = width;
    return widths;
}

void TFontEngine::TextOut(TBitmap& target, const TFontSpec& font, int x, int y, std::string_view utf8,
                          const TColor* background) {
    const Impl::TResolved f = P->Resolve(font);
    // 64-bit positions: a caller may place text anywhere, far off the surface included.
    const int64_t w = target.Width(), h = target.Height();
    if (background) {
        const TSize extent = TextExtent(font, utf8);
        const int64_t left = std::max<int64_t>(x, 0), right = std::min<int64_t>(int64_t(x) + extent.Cx, w);
        const int64_t top = std::max<int64_t>(y, 0), bottom = std::min<int64_t>(int64_t(y) + extent.Cy, h);
        if (left < right)
            for (int64_t row = top; row < bottom; ++row)
                std::fill(target.Row(int(row)) + left, target.Row(int(row)) + right, *background);
    }
    const TColor color = font.Color & 0xFFFFFF;
    const int64_t baseline = int64_t(y) + f.Ascender;
    int64_t penX = x;
    for (size_t i = 0; i < utf8.size() && penX < w + 64;) {
        const TGlyph& g = P->Glyph(f, DecodeUtf8(utf8, i));
        const int64_t gx = penX + g.Left, gy = baseline - g.Top;
        penX += g.Advance;
        const int64_t x0 = std::max<int64_t>(gx, 0), x1 = std::min<int64_t>(gx + g.Width, w);
        const int64_t y0 = std::max<int64_t>(gy, 0), y1 = std::min<int64_t>(gy + g.Height, h);
        for (int64_t row = y0; row < y1; ++row) {
            const uint8_t* cov = g.Coverage.data() + size_t(row - gy) * g.Width + (x0 - gx);
            TColor* d = target.Row(int(row)) + x0;
            for (int64_t n = 0; n < x1 - x0; ++n) {
                const unsigned a = cov[n];
                if (a == 255)
                    d[n] = color;
                else if (a != 0)
                    d[n] = Mix(color, d[n], a);
            }
        }
    }
}
