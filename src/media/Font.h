#pragma once
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "media/Bitmap.h"

struct TFontSpec;

// TrueType text with the faces the game names ("Tahoma" with its bold face,
// "Small Fonts", "MS Sans Serif"), sizes in points at 96 DPI. The same font
// object measures and draws, so extents always agree with what is drawn.
class TFontEngine {
public:
    // fontDirs: where tahoma.ttf, tahomabd.ttf, small_fonts.ttf and
    // ms_sans_serif.ttf are looked for, in order; none = the system's font
    // folder alone (fonts-wine's on Linux).
    explicit TFontEngine(std::vector<std::filesystem::path> fontDirs = {});
    explicit TFontEngine(const std::string& fontDir);
    ~TFontEngine();
    TFontEngine(const TFontEngine&) = delete;
    TFontEngine& operator=(const TFontEngine&) = delete;

    // The first of the folders that holds `file`; empty when none does.
    std::filesystem::path FindFace(const std::string& file) const;

    TSize TextExtent(const TFontSpec& font, std::string_view utf8);
    // Widths add up character by character: element b is the width of the
    // first b bytes, for every b where a character begins or the text ends
    // (in between it holds the width before that character). So the width of
    // any piece cut at character boundaries is a difference of two elements.
    std::vector<int64_t> PrefixWidths(const TFontSpec& font, std::string_view utf8);
    // Draws with its top-left corner at (x, y), clipped to the bitmap; with
    // `background`, the extent rectangle is filled first (solid brush).
    void TextOut(TBitmap& target, const TFontSpec& font, int x, int y, std::string_view utf8,
                 const TColor* background = nullptr);

private:
    struct Impl;
    std::unique_ptr<Impl> P;
};

// The game's font folders: the data folder's fonts/ (the faces a package
// carries), then the system's.
std::vector<std::filesystem::path> GameFontDirs(const std::filesystem::path& dataDir);
