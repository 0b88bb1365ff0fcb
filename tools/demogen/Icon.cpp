// The application icon: the gear and spark of the studio logo on a
// transparent ground, drawn anew at each size so small icons stay sharp.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "DemoGen.h"
#include "Image.h"
#include "Noise.h"

namespace demogen {

namespace {

struct TSample {
    TColour Colour;
    double Alpha = 0;
};

// One point of the icon in unit coordinates (0..1 across), as the logo's
// gear: ten teeth, a dark rim, a dark hub with the spark inside, and a small margin.
TSample IconAt(double u, double v) {
    const double dx = u - 0.5, dy = v - 0.5, r = std::hypot(dx, dy) * 2.06, a = std::atan2(dy, dx);
    // The logo's tooth rule (cos(10a) > 0.3), softened over a short arc so small sizes do not alias.
    const double toothBlend = std::clamp((std::cos(a * 10) - 0.3) * 4 + 0.5, 0.0, 1.0);
    const double outer = 0.8 + 0.17 * toothBlend, hole = 0.33;
    if (r > outer) return {};
    if (r < hole) {
        const double glow = r < 0.17 ? 1 : 0.45 * std::exp(-(r - 0.17) / 0.06);
        return {Mix(Hex(0x1A100A), Hex(0xFFF0C0), glow), 1};
    }
    TColour c = Mix(Hex(0xE0A050), Hex(0x7A3A18), (dy * 2 + 1) / 2);
    c = c * (0.85 + 0.25 * Fbm(u * 20, v * 20, 3, 940));
    if (std::min(outer - r, r - hole) < 0.05) c = c * 0.6;
    return {c, 1};
}

// RGBA raster, 4 x 4 samples per pixel.
std::vector<unsigned char> DrawIcon(int size) {
    constexpr int Sub = 4;
    std::vector<unsigned char> px(size_t(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            TColour sum{};
            double alpha = 0;
            for (int sy = 0; sy < Sub; ++sy)
                for (int sx = 0; sx < Sub; ++sx) {
                    const TSample s = IconAt((x + (sx + 0.5) / Sub) / size, (y + (sy + 0.5) / Sub) / size);
                    sum = sum + s.Colour * s.Alpha;
                    alpha += s.Alpha;
                }
            const TRgb rgb = alpha > 0 ? ToRgb(sum * (1 / alpha)) : TRgb{};
            unsigned char* p = &px[(size_t(y) * size + x) * 4];
            p[0] = rgb.R, p[1] = rgb.G, p[2] = rgb.B;
            p[3] = (unsigned char)std::lround(alpha / (Sub * Sub) * 255);
        }
    return px;
}

}  // namespace

void WriteIcons(const TOutput& out) {
    for (int size : {32, 48, 128, 256}) {
        const std::vector<unsigned char> px = DrawIcon(size);
        std::string png;
        auto append = [](void* ctx, void* data, int n) { static_cast<std::string*>(ctx)->append((char*)data, n); };
        if (!stbi_write_png_to_func(append, &png, size, size, 4, px.data(), size * 4))
            throw std::runtime_error("cannot encode the icon as PNG");
        const std::string dim = std::to_string(size);
        out.WriteBytes(dim + "x" + dim + "/apps/rustwake.png", png);
    }
}

}  // namespace demogen
