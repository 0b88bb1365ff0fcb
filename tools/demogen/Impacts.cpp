// Impact strips of the hit types: ten 20 x 40 frames each, played once and
// faded out by the game where a shot ends. The ground point of the tile lies
// 15 pixels above a frame's bottom edge.
#include <cmath>
#include <string>

#include "Catalogue.h"
#include "DemoGen.h"
#include "Image.h"
#include "Math.h"
#include "Rng.h"

namespace demogen {

namespace {

constexpr int FrameW = 20, FrameH = 40, Frames = 10;
constexpr double GroundY = FrameH - 15;

struct TParticle {
    double X, Y, Vx, Vy, Size;
    TColour Colour;
};

TImage Strip(std::string_view kind, uint64_t seed) {
    TImage img(FrameW * Frames, FrameH, KeyColour);
    img.HardEdges = true;
    TRng rng(seed);
    std::vector<TParticle> parts;
    const bool sand = kind == "sand", metal = kind == "metal";
    const int count = sand ? 16 : metal ? 14 : 12;
    for (int k = 0; k < count; ++k) {
        const double a = -Pi / 2 + rng.Uniform(-1.1, 1.1);
        const double speed = metal ? rng.Uniform(2.5, 4.5) : rng.Uniform(0.8, 2.2);
        TColour c = sand    ? Mix(Hex(0xC8A472), Hex(0x8E6C48), rng.Unit())
                    : metal ? Mix(Hex(0xFFF4B0), Hex(0xFF9A30), rng.Unit())
                            : Mix(Hex(0xB8B2A8), Hex(0x6E6A64), rng.Unit());
        parts.push_back({10 + rng.Uniform(-1.5, 1.5), GroundY, std::cos(a) * speed, std::sin(a) * speed,
                         sand    ? rng.Uniform(1.5, 3.2)
                         : metal ? 0.8
                                 : rng.Uniform(0.9, 1.8),
                         c});
    }
    for (int f = 0; f < Frames; ++f) {
        const int x0 = f * FrameW;
        auto clip = [](double x, double y) {
            return x >= 0.5 && x < FrameW - 0.5 && y >= 1 && y < FrameH;
        };                     // frame coordinates
        if (f < 2 && !sand) {  // the flash of the hit
            const TColour flash = metal ? Hex(0xFFFFE0) : Hex(0xE8E0D0);
            FillEllipse(img, x0 + 10, GroundY - 1, 4.5 - f * 1.5, 3 - f, flash);
        }
        if (sand || !metal) {  // a dust cloud that grows and thins
            const double r = 2.5 + f * 0.9, rise = f * 1.1;
            TRng puff(seed + 17);
            for (int k = 0; k < 7; ++k) {
                const double px = 10 + puff.Uniform(-r, r) * 0.8, py = GroundY - rise - puff.Uniform(0, r);
                const double pr = r * puff.Uniform(0.35, 0.6) * (f < 8 ? 1 : 0.8);
                if (clip(px, py))
                    FillEllipse(img, x0 + px, py, pr, pr * 0.8, sand ? Hex(0xB49468) * (1 - f * 0.03) : Hex(0x9C968E));
            }
        }
        for (auto& p : parts) {
            const double t = f + 0.5;
            const double x = p.X + p.Vx * t, y = p.Y + p.Vy * t + 0.35 * t * t;
            if (y > GroundY + 2) continue;  // landed
            if (metal) {
                const double x1 = x - p.Vx * 0.9, y1 = y - (p.Vy + 0.7 * t) * 0.9;
                if (clip(x, y) && clip(x1, y1) && f < 8)
                    DrawLine(img, x0 + x, y, x0 + x1, y1, 1.0, p.Colour * (1 - f * 0.06));
            } else if (clip(x, y)) {
                FillEllipse(img, x0 + x, y, p.Size, p.Size * 0.8, p.Colour);
            }
        }
    }
    return img;
}

}  // namespace

void WriteImpacts(const TOutput& out) {
    uint64_t seed = 300;
    for (auto& h : HitTypes) out.WriteBmp("data/Images/Misc/" + std::string(h.Image) + ".bmp", Strip(h.Name, seed++));
}

}  // namespace demogen
