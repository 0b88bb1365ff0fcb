// Interface pictures: the three cursors, the in-game panel with its two
// buttons and console screen, the dialog window, and the main menu's
// background, credits backdrop, studio logo and buttons.
#include <algorithm>
#include <cmath>
#include <functional>

#include "DemoGen.h"
#include "app/Version.h"
#include "Font.h"
#include "Image.h"
#include "Math.h"
#include "Noise.h"
#include "Rng.h"

namespace demogen {

namespace {

using TMask = std::function<bool(int x, int y)>;

double Smoothstep(double a, double b, double x) {
    const double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Worn steel with rust creeping in, over every pixel the mask admits.
void MetalFill(TImage& img, const TMask& inside, const TColour& base, double rust, uint32_t seed) {
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) {
            if (!inside(x, y)) continue;
            const double brushed =
                ValueNoise(x / 40.0, y * 1.3, seed) * 0.5 + ValueNoise(x / 9.0, y * 0.9, seed + 1) * 0.5;
            const double n = Fbm(x / 30.0, y / 30.0, 4, seed + 2);
            TColour c = base * (0.86 + 0.12 * brushed + 0.12 * n + (HashUnit(x, y, seed + 3) - 0.5) * 0.06);
            const double r = Fbm(x / 22.0, y / 22.0, 4, seed + 4);
            c = Mix(c, Mix(Hex(0x6A3018), Hex(0xA85A2A), Fbm(x / 5.0, y / 5.0, 2, seed + 5)),
                    Smoothstep(1 - rust * 0.55, 1 - rust * 0.35, r));
            img.Set(x, y, ToRgb(c));
        }
}

// A dark monitor glass: green-black, faint scan lines, darker towards the rim.
void Screen(TImage& img, int x0, int y0, int w, int h, uint32_t seed) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double ex = std::min(x, w - 1 - x) / 14.0, ey = std::min(y, h - 1 - y) / 14.0;
            const double rim = Smoothstep(0, 1, std::min(1.0, std::min(ex, ey)));
            TColour c = Hex(0x0C140E) * (0.55 + 0.45 * rim) + Hex(0x041006) * Fbm(x / 20.0, y / 20.0, 2, seed);
            if (y % 2 == 0) c = c * 0.85;
            img.Set(x0 + x, y0 + y, ToRgb(c));
        }
    for (int k = 0; k < 2; ++k) {  // sunk frame around the glass
        for (int x = x0 - 2; x < x0 + w + 2; ++x) {
            img.Set(x, y0 - 1 - k, ToRgb(Hex(0x14100C)));
            img.Set(x, y0 + h + k, ToRgb(Hex(0x8A8070)));
        }
        for (int y = y0 - 2; y < y0 + h + 2; ++y) {
            img.Set(x0 - 1 - k, y, ToRgb(Hex(0x14100C)));
            img.Set(x0 + w + k, y, ToRgb(Hex(0x8A8070)));
        }
    }
}

void Hazard(TImage& img, int x0, int y0, int w, int h) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) {
            const bool yellow = ((x - y) / 7) % 2 == 0;
            const double wear = Fbm(x / 6.0, y / 6.0, 2, 31);
            TColour c = yellow ? Hex(0xC8A020) : Hex(0x1E1A16);
            c = Mix(c, Hex(0x6A4A30), Smoothstep(0.6, 0.8, wear));
            img.Set(x, y, ToRgb(c));
        }
}

void Rivets(TImage& img, int x0, int y0, int x1, int y1, int step, const TColour& metal) {
    for (int x = x0; x <= x1; x += step) {
        Rivet(img, x, y0, 2, metal);
        Rivet(img, x, y1, 2, metal);
    }
}

// Text with a dark drop shadow.
void ShadowText(TImage& img, const TFont& f, int x, int y, std::string_view s, const TColour& c) {
    f.Draw(img, x + 1, y + 1, s, Hex(0x000000), 0.8);
    f.Draw(img, x, y, s, c);
}

void KeyedOutline(TImage& img, int x0, int y0, int w, int h, TRgb colour) {
    std::vector<uint8_t> solid(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) solid[size_t(y) * w + x] = img.At(x0 + x, y0 + y) != KeyColour;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (solid[size_t(y) * w + x]) continue;
            bool near = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < w && ny < h && solid[size_t(ny) * w + nx]) near = true;
                }
            if (near) img.Set(x0 + x, y0 + y, colour);
        }
}

TImage Arrow(const TColour& fill, const TColour& light) {
    TImage img(32, 32, KeyColour);
    img.HardEdges = true;
    // The tip is the hot spot: the game draws cursors at the mouse position minus (16, 16).
    const std::vector<std::pair<double, double>> arrow{{16, 16},     {16, 30.5},   {19.6, 27},  {22.6, 31.5},
                                                       {25.2, 30.2}, {22.4, 25.6}, {27.4, 25.6}};
    FillPolygon(img, arrow, fill);
    FillPolygon(img, {{17.2, 19}, {17.2, 27}, {21.5, 24.6}}, light);
    KeyedOutline(img, 0, 0, 32, 32, TRgb(20, 14, 10));
    img.Set(0, 0, KeyColour);
    return img;
}

TImage Crosshair() {
    TImage img(32, 32, KeyColour);
    img.HardEdges = true;
    const TColour red = Hex(0xFF3A20);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double d = std::hypot(x + 0.5 - 16, y + 0.5 - 16);
            if (d > 9 && d < 11.2) img.Set(x, y, ToRgb(red));
        }
    // Four ticks, two pixels thick, from the ring towards the centre dot.
    for (int k = 5; k <= 8; ++k)
        for (int t = 15; t <= 16; ++t) {
            img.Set(16 - k - 1, t, ToRgb(red));
            img.Set(16 + k, t, ToRgb(red));
            img.Set(t, 16 - k - 1, ToRgb(red));
            img.Set(t, 16 + k, ToRgb(red));
        }
    img.FillRect(15, 15, 2, 2, ToRgb(Hex(0xFFE060)));
    KeyedOutline(img, 0, 0, 32, 32, TRgb(30, 8, 4));
    img.Set(0, 0, KeyColour);
    return img;
}

// The panel in the lower left corner: three 253 x 168 patterns (normal,
// inventory button pressed, menu button pressed). Its right edge is slanted:
// a point of pattern row r is on the panel while x < r + 220 (screen x < y - 212).
TImage Panel(const TFont& small) {
    // The plate and the console are the same in all three patterns; only a button changes.
    TImage plate(253, 168, KeyColour);
    auto inside = [](int x, int y) { return y >= 1 && x < y + 220 && x <= 252; };
    MetalFill(plate, inside, Hex(0x6E665C), 0.55, 900);
    for (int y = 1; y < 168; ++y)
        for (int x = 0; x < 253; ++x) {
            if (!inside(x, y)) continue;
            const int toSlant = y + 220 - 1 - x;  // lit top and slanted edges
            if (y <= 2 || toSlant <= 1)
                plate.Blend(x, y, Hex(0xE8D8B8), 0.45);
            else if (y <= 4 || toSlant <= 3)
                plate.Blend(x, y, Hex(0xE8D8B8), 0.2);
            if (x <= 1) plate.Blend(x, y, Hex(0x000000), 0.4);
        }
    // Status readout (hit points and ammunition are written at screen (28, 444)): wide enough for
    // "HP: 100/AM: 200" and its shadow; its frame's right side goes under the ИНВ button.
    Screen(plate, 20, 9, 104, 20, 901);
    // The console: messages are drawn from screen y 484 to 581, bullets from x 25.
    Screen(plate, 18, 36, 214, 126, 903);
    for (int x = 8; x < 14; ++x)
        for (int y = 40; y < 160; y += 6) plate.Set(x, y, ToRgb(Hex(0x1A1410)));  // grille
    Rivet(plate, 240, 60, 2.2, Hex(0x8A8070));
    Rivet(plate, 240, 150, 2.2, Hex(0x8A8070));
    Rivet(plate, 10, 22, 2.2, Hex(0x8A8070));

    TImage img(253, 504, KeyColour);
    for (int p = 0; p < 3; ++p) {
        const int oy = p * 168;
        img.Paste(plate, 0, oy);
        // Buttons: inventory at screen 124..163 x 443..462, menu at 172..221 with a slanted right edge.
        auto button = [&](int x0, int x1, bool slanted, bool pressed, std::string_view label) {
            for (int ly = 11; ly <= 30; ++ly)
                for (int x = x0; x <= x1; ++x) {
                    if (slanted && x > ly + 202) continue;
                    const bool edgeTop = ly <= 12, edgeLeft = x <= x0 + 1;
                    const bool edgeBottom = ly >= 29, edgeRight = x >= x1 - 1 || (slanted && x >= ly + 201);
                    TColour c = Hex(pressed ? 0x4A3A2C : 0x8A6A48) * (0.9 + 0.15 * ValueNoise(x / 7.0, ly / 7.0, 902));
                    if (edgeTop || edgeLeft) c = pressed ? Hex(0x201810) : Mix(c, Hex(0xF0D8B0), 0.5);
                    if (edgeBottom || edgeRight) c = pressed ? Mix(c, Hex(0xF0D8B0), 0.3) : Hex(0x241A12);
                    img.Set(x, oy + ly, ToRgb(c));
                }
            const int tw = small.Measure(label);
            const int cx = slanted ? (x0 + 214) / 2 : (x0 + x1) / 2;
            ShadowText(img, small, cx - tw / 2 + (pressed ? 1 : 0), oy + 14 + (pressed ? 1 : 0), label,
                       pressed ? Hex(0xE8B050) : Hex(0xF4E2B8));
        };
        button(124, 163, false, p == 1, "ИНВ");
        button(172, 221, true, p == 2, "МЕНЮ");
    }
    AvoidKey(img, 0, 0, 253, 504);
    for (int p = 0; p < 3; ++p)
        for (int ly = 0; ly < 168; ++ly)
            for (int x = 0; x < 253; ++x)
                if (!inside(x, ly)) img.Set(x, p * 168 + ly, KeyColour);
    return img;
}

// The dialog window, drawn at (55, 81): portrait frame at screen (71, 92) -
// (380, 327), question text from (415, 116), answers from (400, 346).
TImage Dialog(const TFont& small) {
    const int w = 690, h = 400, cut = 14;
    TImage img(w, h, KeyColour);
    auto inside = [&](int x, int y) {
        return x + y >= cut && (w - 1 - x) + y >= cut && x + (h - 1 - y) >= cut && (w - 1 - x) + (h - 1 - y) >= cut;
    };
    MetalFill(img, inside, Hex(0x6A6258), 0.5, 910);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!inside(x, y)) continue;
            const int edge = std::min({x + y - cut, (w - 1 - x) + y - cut, x + (h - 1 - y) - cut,
                                       (w - 1 - x) + (h - 1 - y) - cut, x, y, w - 1 - x, h - 1 - y});
            if (edge < 2) img.Blend(x, y, (x < w / 2 && y < h / 2) ? Hex(0xF0E0C0) : Hex(0x000000), 0.5);
        }
    // Portrait recess: the portrait (309 x 235) covers it exactly.
    Screen(img, 16, 11, 309, 235, 911);
    // Below the portrait: a speaker grille and a hazard strip.
    for (int y = 262; y < 330; y += 5)
        for (int x = 30; x < 310; ++x) img.Set(x, y, ToRgb(Hex(0x1C1612))), img.Set(x, y + 1, ToRgb(Hex(0x9A9080)));
    Hazard(img, 16, 346, 309, 14);
    ShadowText(img, small, 24, 368, "СВЯЗЬ · КАНАЛ 7", Hex(0xD8C8A0));
    // Question and answer screens (green text is drawn on them).
    Screen(img, 348, 22, 326, 232, 912);
    Screen(img, 336, 262, 338, 126, 913);
    Rivets(img, 24, 4, 664, h - 6, 40, Hex(0x8A8070));
    AvoidKey(img, 0, 0, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!inside(x, y)) img.Set(x, y, KeyColour);
    return img;
}

// Rusty lettering: a metal gradient inside the glyphs, a dark rim and a drop shadow.
void TitleText(TImage& img, const TFont& f, int x0, int y0, std::string_view text, uint32_t seed) {
    int w, h;
    const std::vector<float> m = f.Mask(text, w, h);
    auto at = [&](int x, int y) { return (x < 0 || y < 0 || x >= w || y >= h) ? 0.0f : m[size_t(y) * w + x]; };
    for (int y = -4; y < h + 6; ++y)
        for (int x = -4; x < w + 6; ++x) {
            float rim = 0, shadow = at(x - 4, y - 5);
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) rim = std::max(rim, at(x + dx, y + dy));
            img.Blend(x0 + x, y0 + y, Hex(0x000000), shadow * 0.55);
            img.Blend(x0 + x, y0 + y, Hex(0x1A0E08), rim);
            const float v = at(x, y);
            if (v <= 0) continue;
            const double t = double(y) / h;
            TColour c = Mix(Hex(0xF0C080), Hex(0x8A3C18), Smoothstep(0.15, 0.9, t));
            const double rust = Fbm((x0 + x) / 9.0, (y0 + y) / 9.0, 4, seed);
            c = Mix(c, Hex(0x5A2410), Smoothstep(0.55, 0.75, rust) * 0.8);
            // Light on the upper edges of the strokes.
            const double edge = at(x, y) - at(x, y - 2);
            if (edge > 0.3) c = Mix(c, Hex(0xFFF0D0), 0.5);
            img.Blend(x0 + x, y0 + y, c * (0.9 + 0.2 * HashUnit(x, y, seed)), v);
        }
}

TImage MainMenuPicture(const TFont& title, const TFont& small) {
    TImage img(800, 600);
    TRng rng(920);
    // A dust-choked sunset: the sky, the sun, a ruined skyline and dunes.
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const double t = y / 600.0;
            TColour c = Mix(Hex(0x2A1A16), Hex(0xC86A2C), Smoothstep(0.0, 0.62, t));
            const double sun = std::hypot(x - 560.0, (y - 330.0) * 1.2);
            c = c + Hex(0xFFC070) * (0.9 * std::exp(-sun / 60.0)) + Hex(0x804020) * (0.5 * std::exp(-sun / 220.0));
            const double dust = Fbm(x / 160.0, y / 40.0, 4, 921);
            c = c * (0.85 + 0.3 * dust);
            img.At(x, y) = ToRgb(c);
        }
    FillEllipse(img, 560, 330, 34, 34, Hex(0xFFE0A0), 0.85);
    // Skyline: towers with broken tops, a crane.
    for (int k = 0; k < 26; ++k) {
        const double bx = rng.Uniform(-20, 800), bw = rng.Uniform(18, 60), bh = rng.Uniform(40, 170);
        std::vector<std::pair<double, double>> pts{{bx, 420}, {bx, 420 - bh}};
        for (int s = 1; s <= 4; ++s) pts.push_back({bx + bw * s / 4, 420 - bh + rng.Uniform(-4, 28)});
        pts.push_back({bx + bw, 420});
        FillPolygon(img, pts, Mix(Hex(0x3A2418), Hex(0x6A3A22), rng.Unit() * 0.5));
        for (int wy = int(430 - bh); wy < 410; wy += 12)  // empty windows
            for (double wx = bx + 4; wx < bx + bw - 6; wx += 9)
                if (rng.Chance(0.55)) img.FillRect(int(wx), wy, 4, 6, ToRgb(Hex(0x24140E)));
    }
    DrawLine(img, 770, 420, 740, 190, 4, Hex(0x2A1A12));  // a crane over the ruins
    DrawLine(img, 740, 190, 590, 206, 3, Hex(0x2A1A12));
    DrawLine(img, 610, 204, 610, 270, 1, Hex(0x2A1A12));
    for (int y = 380; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const double dune = 410 + 25 * std::sin(x / 140.0) + 15 * std::sin(x / 53.0 + 1) + (y - 380) * 0.0;
            if (y < dune) continue;
            const double t = (y - dune) / 200.0;
            TColour c = Mix(Hex(0x8A5430), Hex(0x1E120C), Smoothstep(0, 0.9, t));
            c = c * (0.9 + 0.2 * Fbm(x / 50.0, y / 12.0, 3, 922) + std::sin(x * 0.15 + y * 0.6) * 0.02);
            img.At(x, y) = ToRgb(c);
        }
    // A wrecked car half buried in the foreground.
    FillPolygon(img, {{480, 560}, {500, 520}, {560, 505}, {640, 500}, {700, 515}, {740, 545}, {735, 570}, {490, 575}},
                Hex(0x120A06));
    FillPolygon(img, {{545, 512}, {575, 480}, {650, 478}, {690, 508}}, Hex(0x120A06));
    FillEllipse(img, 530, 572, 20, 14, Hex(0x080402));
    // The title and the plate behind the buttons (drawn at x 60, y 122 / 160 / 199).
    TitleText(img, title, 250, 30, "RUSTWAKE", 923);
    ShadowText(img, small, 420, 138, "Пустошь помнит всё", Hex(0xF0C890));
    for (int y = 108; y < 248; ++y)
        for (int x = 46; x < 210; ++x) img.Blend(x, y, Hex(0x0C0806), 0.55);
    Rivets(img, 52, 113, 204, 242, 38, Hex(0x8A7A68));
    // The program's own version, right-aligned in the corner.
    const std::string version = std::string("v") + GameVersion;
    ShadowText(img, small, 788 - small.Measure(version), 578, version, Hex(0xB08860));
    return img;
}

TImage CreditsPicture() {
    TImage img(800, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const double vig = 1 - 0.6 * std::pow(std::hypot((x - 400) / 400.0, (y - 300) / 300.0), 2) / 2;
            TColour c = Hex(0x120D0A) * (0.8 + 0.4 * Fbm(x / 120.0, y / 120.0, 4, 930)) * vig;
            if (y > 520) c = c + Hex(0x1A0C06) * ((y - 520) / 80.0);  // a last glow of sunset at the bottom
            img.At(x, y) = ToRgb(c);
        }
    TRng rng(931);
    for (int k = 0; k < 30; ++k) {  // a black skyline along the bottom
        const double bx = rng.Uniform(-20, 800), bw = rng.Uniform(20, 60), bh = rng.Uniform(20, 70);
        FillPolygon(img,
                    {{bx, 600},
                     {bx, 600 - bh},
                     {bx + bw * 0.5, 600 - bh + rng.Uniform(0, 15)},
                     {bx + bw, 600 - bh},
                     {bx + bw, 600}},
                    Hex(0x060403));
    }
    return img;
}

TImage Logo(const TFont& big, const TFont& small) {
    TImage img(300, 120);
    // A gear with a spark: our studio, Scraplight Works.
    const double cx = 58, cy = 60;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy, r = std::hypot(dx, dy), a = std::atan2(dy, dx);
            const double tooth = std::cos(a * 10) > 0.3 ? 40 : 33;
            if (r > tooth || r < 13) continue;
            TColour c = Mix(Hex(0xE0A050), Hex(0x7A3A18), (dy / 40 + 1) / 2);
            c = c * (0.85 + 0.25 * Fbm(x / 6.0, y / 6.0, 3, 940));
            if (r > tooth - 2 || r < 15) c = c * 0.6;
            img.At(x, y) = ToRgb(c);
        }
    FillEllipse(img, cx, cy, 7, 7, Hex(0xFFF0C0));
    FillEllipse(img, cx, cy, 14, 14, Hex(0xFFC060), 0.25);
    TitleText(img, big, 108, 22, "SCRAPLIGHT", 941);
    ShadowText(img, small, 112, 74, "W  O  R  K  S", Hex(0xC8B090));
    return img;
}

// Six 136 x 33 patterns: new game, credits, exit, each normal and lit.
TImage MenuButtons(const TFont& f) {
    TImage img(136, 198);
    const char* captions[3] = {"Новая игра", "Титры", "Выход"};
    for (int k = 0; k < 6; ++k) {
        const bool lit = k % 2 == 1;
        const int oy = k * 33;
        for (int y = 0; y < 33; ++y)
            for (int x = 0; x < 136; ++x) {
                TColour c = Hex(lit ? 0x8A5428 : 0x4E4034) *
                            (0.85 + 0.2 * ValueNoise(x / 12.0, y / 3.0, 950 + k / 2) + 0.12 * (1 - y / 33.0));
                c = Mix(c, Hex(0x6A3018), Smoothstep(0.62, 0.78, Fbm(x / 10.0, y / 10.0, 3, 960 + k / 2)) * 0.6);
                img.At(x, oy + y) = ToRgb(c);
            }
        for (int x = 0; x < 136; ++x) {
            img.Set(x, oy, ToRgb(Hex(lit ? 0xFFD090 : 0xA89070)));
            img.Set(x, oy + 32, ToRgb(Hex(0x140C08)));
            img.Set(x, oy + 31, ToRgb(Hex(0x2A1C14)));
        }
        for (int y = 0; y < 33; ++y) {
            img.Set(0, oy + y, ToRgb(Hex(lit ? 0xFFD090 : 0xA89070)));
            img.Set(135, oy + y, ToRgb(Hex(0x140C08)));
        }
        Rivet(img, 6, oy + 16.5, 2, Hex(0x9A8A78));
        Rivet(img, 129, oy + 16.5, 2, Hex(0x9A8A78));
        const std::string_view cap = captions[k / 2];
        const int tw = f.Measure(cap);
        const int ty = oy + (33 - f.LineHeight()) / 2;
        if (lit)
            f.Draw(img, 68 - tw / 2, ty, cap, Hex(0xFFB040), 0.5),
                f.Draw(img, 68 - tw / 2 + 1, ty, cap, Hex(0xFFB040), 0.4);
        ShadowText(img, f, 68 - tw / 2, ty, cap, lit ? Hex(0xFFF0B0) : Hex(0xD8C0A0));
    }
    return img;
}

}  // namespace

void WriteInterface(const TOutput& out) {
    const TFont small(BoldFontFile, 11), button(BoldFontFile, 15), title(BoldFontFile, 88), logo(BoldFontFile, 27),
        tag(BoldFontFile, 16);
    const std::string dir = "data/Images/Interface/";
    out.WriteBmp(dir + "Cursor.bmp", Arrow(Hex(0xC88A48), Hex(0xF4D8A8)));
    out.WriteBmp(dir + "CursorO.bmp", Arrow(Hex(0x58D040), Hex(0xD8FFB0)));
    out.WriteBmp(dir + "CursorA.bmp", Crosshair());
    out.WriteBmp(dir + "Main.bmp", Panel(small));
    out.WriteBmp(dir + "Dialog.bmp", Dialog(small));
    out.WriteBmp(dir + "MainMenu.bmp", MainMenuPicture(title, tag));
    out.WriteBmp(dir + "Credits.bmp", CreditsPicture());
    out.WriteBmp(dir + "Vorteline.bmp", Logo(logo, tag));
    out.WriteBmp(dir + "MMBtn.bmp", MenuButtons(button));
}

}  // namespace demogen
