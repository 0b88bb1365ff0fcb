#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "media/Bitmap.h"

class TFontEngine;
struct TImageItem;

enum class TBrushStyle { Solid, Clear };

struct TFontSpec {
    std::string Face = "Tahoma";  // "Tahoma", "Small Fonts", "MS Sans Serif"
    int Size = 8;                 // points at 96 DPI
    bool Bold = false;
    bool Italic = false;
    TColor Color = 0;
};

// The 800 x 600 drawing surface every screen draws on, with its canvas
// (font, brush, pen) for text and shapes.
class TSurface {
public:
    static constexpr int ScreenWidth = 800;
    static constexpr int ScreenHeight = 600;

    explicit TSurface(TFontEngine& fonts);

    TBitmap& Pixels() { return Screen; }
    const TBitmap& Pixels() const { return Screen; }

    void Fill(TColor c);
    // 0 outside the surface.
    TColor PixelRead(int x, int y) const { return Screen.Pixel(x, y); }

    // Images: pattern `pattern` of the item, colour key honoured when
    // Transparent, clipped to the surface; a bad pattern index draws nothing.
    void Draw(const TImageItem& item, int x, int y, int pattern);
    // Scales the pattern into `dest` and mixes it: src * a + dst * (1 - a),
    // a = alpha / 255, colour-key pixels skipped. alpha <= 0 draws nothing,
    // alpha >= 255 draws opaque.
    void DrawAlpha(const TImageItem& item, const TRect& dest, int pattern, int alpha);

    // Canvas.
    TFontSpec Font;
    TBrushStyle BrushStyle = TBrushStyle::Solid;
    TColor BrushColor = 0xFFFFFF;
    TColor PenColor = 0;

    void TextOut(int x, int y, std::string_view utf8);
    TSize TextExtent(std::string_view utf8);
    // Outlined with the pen, filled with the brush unless the brush is clear;
    // right and bottom exclusive, as the window system draws them.
    void Rectangle(int left, int top, int right, int bottom);
    void Ellipse(int left, int top, int right, int bottom);
    void FillRect(const TRect& r, TColor c);
    // Ends a run of text and shape drawing.
    void Release() {}

    TFontEngine& Fonts() { return FontEngine; }

    // The pixel loops use the widest vectors the processor has; false keeps them to the narrower ones every
    // x86-64 has (for comparing the two). Returns whether the wide ones are now in use.
    static bool SetWideVectors(bool enable);

private:
    TFontEngine& FontEngine;
    TBitmap Screen;
    std::vector<int> XMap;  // source column of each destination column, kept to spare an allocation per draw
};
