// Dialog portraits (309 x 235, opaque): busts of the wasteland's people on a
// hazy comm-screen background, built from the same shapes as the sprites.
#include <cmath>
#include <stdexcept>
#include <string>

#include "Catalogue.h"
#include "DemoGen.h"
#include "Noise.h"
#include "Render3D.h"

namespace demogen {

namespace {

constexpr int W = 309, H = 235;

TSurface Mat(uint32_t hex, double spec = 0.08, double grain = 0.1, double rust = 0) {
    TSurface s = Material(hex, spec, grain, rust, 20);
    s.Scale = 0.5;
    return s;
}

struct TPerson {
    uint32_t Skin, Hair, Coat, Backdrop;
    enum { Goggles, Bandana, Mohawk, GasMask } Gear;
    bool Beard;
};

TPerson PersonOf(std::string_view head) {
    // The second head of a speaker is the same face lit by a lamp or a fire.
    if (head == "trader") return {0xB07A54, 0x8A8680, 0x6A4E32, 0x3A2A1E, TPerson::Goggles, true};
    if (head == "trader2") return {0xB07A54, 0x8A8680, 0x6A4E32, 0x5A2A12, TPerson::Goggles, true};
    if (head == "raider_boss") return {0x9A6A4C, 0xC0302A, 0x3A2E28, 0x3A1410, TPerson::Mohawk, false};
    if (head == "elder") return {0x8E7A68, 0xB8B0A0, 0x7A7060, 0x24241E, TPerson::GasMask, true};
    if (head == "elder2") return {0x8E7A68, 0xB8B0A0, 0x7A7060, 0x5A3414, TPerson::GasMask, true};
    if (head == "yakov") return {0xC89474, 0x2A1E18, 0x4E5A46, 0x1E2A2A, TPerson::Bandana, false};
    throw std::runtime_error("no portrait for head " + std::string(head));
}

void BuildBust(TScene& s, const TPerson& p) {
    const TSurface skin = Mat(p.Skin, 0.12, 0.08), hair = Mat(p.Hair, 0.05, 0.35), coat = Mat(p.Coat, 0.05, 0.25);
    const TSurface dark = Mat(0x2A1A14, 0.05, 0.05), eye = Mat(0xE8E0D0, 0.5, 0.02), iris = Mat(0x1E2A2E, 0.8, 0.0);
    const TFrame up{};
    s.Ellipsoid({0, -4, -16}, up, {50, 22, 24}, coat);   // shoulders
    s.Ellipsoid({0, 4, 2}, up, {16, 10, 6}, coat);       // collar
    s.Capsule({0, 0, -2}, {0, 1, 18}, 7.5, skin);        // neck
    s.Ellipsoid({0, 0, 31}, up, {13, 14, 17}, skin);     // head
    s.Ellipsoid({0, 3.5, 22}, up, {10, 10, 8.5}, skin);  // jaw
    s.Ellipsoid({-13, 0, 30}, up, {2.2, 3.5, 5}, skin);  // ears
    s.Ellipsoid({13, 0, 30}, up, {2.2, 3.5, 5}, skin);
    s.Capsule({0, 13.5, 33}, {0, 16, 26.5}, 2.2, skin);  // nose
    for (int k = -1; k <= 1; k += 2) {
        s.Ellipsoid({k * 5.2, 11.0, 31.5}, up, {3.4, 1.6, 2.4}, Mat(0x4A3024, 0.02, 0.1));  // sockets
        s.Sphere({k * 5.2, 11.4, 31.5}, 2.0, eye);
        s.Sphere({k * 5.2, 13.0, 31.5}, 1.05, iris);
        s.Capsule({k * 2.3, 13.2, 35.6}, {k * 8.6, 12.0, 35.0 + (p.Gear == TPerson::Mohawk ? -1.2 : 0)}, 1.1, hair);
    }
    s.Capsule({-3.6, 12.6, 23.8}, {3.6, 12.6, 23.8}, 0.8, Mat(0x6A2A24, 0.2, 0.05));  // mouth
    if (p.Beard) s.Ellipsoid({0, 5, 19.5}, up, {11, 9.5, 8}, hair);
    switch (p.Gear) {
        case TPerson::Goggles:
            s.Ellipsoid({0, -1, 37}, up, {13.8, 14.6, 11}, hair);
            s.Capsule({-11, 7, 41}, {0, 11.2, 42}, 1.2, dark);  // goggle strap over the brow
            s.Capsule({0, 11.2, 42}, {11, 7, 41}, 1.2, dark);
            for (int k = -1; k <= 1; k += 2) {
                s.Cylinder({k * 5.5, 11, 43}, {k * 5.5, 14.5, 44}, 3.6, Mat(0xB08A40, 0.6, 0.05));
                s.Cylinder({k * 5.5, 14.4, 44}, {k * 5.5, 14.8, 44.1}, 2.8, Mat(0x5AA0B0, 0.9, 0.0));
            }
            s.Ellipsoid({0, 6, 6}, up, {17, 9, 7}, Mat(0x9A7A50, 0.02, 0.3));  // scarf
            break;
        case TPerson::Bandana:
            s.Ellipsoid({0, -1.5, 38}, up, {14.2, 15, 11}, Mat(0xA8302A, 0.05, 0.3));
            s.Ellipsoid({0, -9, 24}, up, {12, 8, 14}, hair);  // hair at the back
            s.Capsule({-13, 2, 30}, {-14, 2, 16}, 3, hair);
            s.Capsule({-8, 4, 4}, {8, 4, 4}, 3.2, Mat(0x806A3A, 0.5, 0.1));  // welding goggles at the neck
            break;
        case TPerson::Mohawk:
            for (int k = 0; k < 7; ++k)
                s.Capsule({0, 10 - k * 4.0, 44 - k * 0.6}, {0, 9 - k * 4.0, 52 - k * 0.5}, 2.0, hair);
            s.Capsule({-7, 12.6, 38}, {-3, 13.8, 25}, 0.6, Mat(0xD06A60, 0.1, 0.05));  // scar
            s.Ellipsoid({0, 6, 18.5}, up, {9.5, 8.6, 5.5}, Mat(0xD8D0C0, 0.4, 0.05));  // bone jaw plate
            for (int k = -1; k <= 1; k += 2) {
                s.Ellipsoid({k * 34.0, -2, -2}, up, {16, 14, 10}, Mat(0x8A8780, 0.5, 0.15, 0.6));  // pauldrons
                for (int j = 0; j < 3; ++j)
                    s.Capsule({k * (28 + j * 6.0), 0, 6}, {k * (30 + j * 7.0), 2, 18}, 1.3, Mat(0xD8D0C0, 0.4, 0.05));
            }
            s.Cylinder({0, 0, 2}, {0, 0, 8}, 10, Mat(0x5A5650, 0.5, 0.1, 0.5));  // collar
            break;
        case TPerson::GasMask:
            s.Ellipsoid({0, -6.5, 33}, up, {17.5, 16.5, 22}, Mat(p.Coat, 0.03, 0.3));  // hood, open at the face
            s.Ellipsoid({0, 7, 24}, up, {9, 7, 7}, Mat(0x3A3A36, 0.3, 0.1));           // mask
            s.Cylinder({0, 13, 22}, {0, 18, 20}, 4.2, Mat(0x55524C, 0.4, 0.1, 0.4));   // filter
            s.Cylinder({0, 18, 20}, {0, 18.6, 19.8}, 3, dark);
            for (int k = -1; k <= 1; k += 2)
                s.Cylinder({k * 5.2, 13.5, 31.5}, {k * 5.2, 14.2, 31.5}, 3.2, Mat(0x6A9090, 0.9, 0));
            break;
    }
}

TImage Portrait(std::string_view head, uint32_t seed) {
    const TPerson p = PersonOf(head);
    TImage img(W, H);
    // Hazy backdrop, brighter behind the head, with the scan lines of a comm screen.
    const TColour back = Hex(p.Backdrop);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const double glow = std::exp(-std::hypot(x - 154.0, (y - 90.0) * 1.2) / 140.0);
            TColour c = back * (0.6 + 0.9 * glow) * (0.85 + 0.3 * Fbm(x / 40.0, y / 40.0, 3, seed));
            if (y % 3 == 0) c = c * 0.9;
            img.At(x, y) = ToRgb(c);
        }
    TScene scene;
    BuildBust(scene, p);
    TView view;
    view.Elevation = 6 * Deg;
    view.Scale = 3.3;
    view.Supersample = 2;
    view.Outline = false;
    view.Light = Normal(V3{-0.6, 0.7, 0.5});
    view.Ambient = 0.32;
    view.Seed = seed;
    RenderScene(scene, view, img, 0, 0, W, H, 154, 222);
    // Vignette and a thin frame line.
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const double v = std::hypot((x - 154.0) / 180.0, (y - 117.0) / 150.0);
            if (v > 0.75) img.At(x, y) = ToRgb(ToColour(img.At(x, y)) * std::max(0.35, 1 - (v - 0.75) * 1.6));
        }
    return img;
}

}  // namespace

void WritePortraits(const TOutput& out) {
    uint32_t seed = 700;
    for (auto head : Heads) out.WriteBmp("data/Images/Portraits/" + std::string(head) + ".bmp", Portrait(head, seed++));
}

}  // namespace demogen
