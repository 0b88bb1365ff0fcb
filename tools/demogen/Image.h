#pragma once
// Pictures of the demo data: a plain 24-bit RGB raster with the few drawing
// operations the generators share, and the BMP writer the game reads.
#include <cstdint>
#include <string>
#include <vector>

namespace demogen {

struct TRgb {
    uint8_t R = 0, G = 0, B = 0;
    constexpr TRgb() = default;
    constexpr TRgb(int r, int g, int b) : R(uint8_t(r)), G(uint8_t(g)), B(uint8_t(b)) {}
    bool operator==(const TRgb&) const = default;
};

// The colour key of the interface pictures and of every sheet we write.
constexpr TRgb KeyColour{255, 0, 255};

// Colours in floating point for shading and mixing (0..1 per channel).
struct TColour {
    double R = 0, G = 0, B = 0;
    TColour operator+(const TColour& o) const { return {R + o.R, G + o.G, B + o.B}; }
    TColour operator-(const TColour& o) const { return {R - o.R, G - o.G, B - o.B}; }
    TColour operator*(double k) const { return {R * k, G * k, B * k}; }
    TColour operator*(const TColour& o) const { return {R * o.R, G * o.G, B * o.B}; }
};
TColour Hex(uint32_t rgb);  // 0xRRGGBB
TColour Mix(const TColour& a, const TColour& b, double t);
TRgb ToRgb(const TColour& c);
TColour ToColour(TRgb c);

class TImage {
public:
    TImage() = default;
    TImage(int w, int h, TRgb fill = TRgb{});
    int Width() const { return W; }
    int Height() const { return H; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < W && y < H; }
    TRgb& At(int x, int y) { return Px[size_t(y) * W + x]; }
    TRgb At(int x, int y) const { return Px[size_t(y) * W + x]; }
    TRgb Get(int x, int y, TRgb outside = TRgb{}) const { return Inside(x, y) ? At(x, y) : outside; }
    void Set(int x, int y, TRgb c) {
        if (Inside(x, y)) At(x, y) = c;
    }
    // Mixes c over the pixel with coverage a (0..1). With hard edges (for
    // colour-keyed pictures, which must not blend into the key) a pixel is
    // either painted or left alone.
    void Blend(int x, int y, const TColour& c, double a);
    bool HardEdges = false;
    void Fill(TRgb c);
    void FillRect(int x0, int y0, int w, int h, TRgb c);
    void BlendRect(int x0, int y0, int w, int h, const TColour& c, double a);
    // Copies src into this picture at (x, y); pixels of src equal to skip are not copied.
    void Paste(const TImage& src, int x, int y, const TRgb* skip = nullptr);

    // Bottom-up, rows padded to 4 bytes, BITMAPINFOHEADER, 24 bits.
    std::string EncodeBmp() const;

private:
    int W = 0, H = 0;
    std::vector<TRgb> Px;
};

// Anti-aliased shapes drawn with coverage blending.
void FillEllipse(TImage& img, double cx, double cy, double rx, double ry, const TColour& c, double alpha = 1.0);
void FillPolygon(TImage& img, const std::vector<std::pair<double, double>>& pts, const TColour& c, double alpha = 1.0);
void DrawLine(TImage& img, double x0, double y0, double x1, double y1, double width, const TColour& c,
              double alpha = 1.0);
// A rectangle with bevelled lit and shaded edges, as riveted plates are drawn.
void Bevel(TImage& img, int x0, int y0, int w, int h, const TColour& face, int depth, bool sunken = false);
void Rivet(TImage& img, double cx, double cy, double r, const TColour& metal);
// Replaces every pixel equal to the key by a near colour, so art never turns transparent by chance.
void AvoidKey(TImage& img, int x0, int y0, int w, int h);

}  // namespace demogen
