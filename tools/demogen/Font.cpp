#include "Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <stdexcept>

namespace demogen {

namespace {

std::u32string Decode(std::string_view s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = s[i];
        const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        char32_t cp = extra ? (c & (0x3F >> extra)) : c;
        for (int k = 1; k <= extra && i + k < s.size(); ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
        out += cp;
        i += extra + 1;
    }
    return out;
}

FT_Face F(void* p) {
    return static_cast<FT_Face>(p);
}

}  // namespace

TFont::TFont(const std::string& file, int pixelSize) {
    FT_Library lib;
    if (FT_Init_FreeType(&lib)) throw std::runtime_error("FreeType cannot start");
    Library = lib;
    FT_Face face;
    if (FT_New_Face(lib, file.c_str(), 0, &face)) {
        FT_Done_FreeType(lib);
        throw std::runtime_error("cannot open font " + file);
    }
    Face = face;
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize));
    AscentPx = int(face->size->metrics.ascender >> 6);
    HeightPx = int((face->size->metrics.ascender - face->size->metrics.descender) >> 6);
}

TFont::~TFont() {
    FT_Done_Face(F(Face));
    FT_Done_FreeType(static_cast<FT_Library>(Library));
}

int TFont::Measure(std::string_view utf8) const {
    int w = 0;
    for (char32_t cp : Decode(utf8)) {
        if (FT_Load_Char(F(Face), cp, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP)) continue;
        w += int(F(Face)->glyph->advance.x >> 6);
    }
    return w;
}

std::vector<float> TFont::Mask(std::string_view utf8, int& w, int& h) const {
    w = Measure(utf8) + 2;
    h = HeightPx;
    std::vector<float> mask(size_t(w) * h, 0.0f);
    int pen = 0;
    for (char32_t cp : Decode(utf8)) {
        if (FT_Load_Char(F(Face), cp, FT_LOAD_RENDER | FT_LOAD_NO_BITMAP)) continue;
        const FT_GlyphSlot g = F(Face)->glyph;
        for (unsigned r = 0; r < g->bitmap.rows; ++r)
            for (unsigned c = 0; c < g->bitmap.width; ++c) {
                const int x = pen + g->bitmap_left + int(c), y = AscentPx - g->bitmap_top + int(r);
                if (x < 0 || y < 0 || x >= w || y >= h) continue;
                const float v = g->bitmap.buffer[r * g->bitmap.pitch + c] / 255.0f;
                mask[size_t(y) * w + x] = std::max(mask[size_t(y) * w + x], v);
            }
        pen += int(g->advance.x >> 6);
    }
    return mask;
}

void TFont::Draw(TImage& img, int x, int y, std::string_view utf8, const TColour& c, double alpha) const {
    int w, h;
    const std::vector<float> mask = Mask(utf8, w, h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            if (mask[size_t(j) * w + i] > 0) img.Blend(x + i, y + j, c, mask[size_t(j) * w + i] * alpha);
}

}  // namespace demogen
