#pragma once
// Text on the menu and interface pictures, rendered with FreeType from the
// Tahoma Bold that Wine ships (the game's own font).
#include <string>
#include <string_view>
#include <vector>

#include "Image.h"

namespace demogen {

class TFont {
public:
    TFont(const std::string& file, int pixelSize);
    ~TFont();
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    int Measure(std::string_view utf8) const;
    int Ascent() const { return AscentPx; }
    int LineHeight() const { return HeightPx; }
    // Coverage (0..1) of the text, Measure() wide and LineHeight() high.
    std::vector<float> Mask(std::string_view utf8, int& w, int& h) const;
    // Draws the text with its top-left corner at (x, y).
    void Draw(TImage& img, int x, int y, std::string_view utf8, const TColour& c, double alpha = 1.0) const;

private:
    void* Library = nullptr;
    void* Face = nullptr;
    int AscentPx = 0, HeightPx = 0;
};

// The bold face the game itself uses for its texts.
const char* const BoldFontFile = "/usr/share/wine/fonts/tahomabd.ttf";

}  // namespace demogen
