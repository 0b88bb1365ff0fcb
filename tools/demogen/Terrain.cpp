// The location pictures (1600 x 1200): sand and dirt, cracked asphalt, slab
// floors and ruined concrete walls by day (pattern1), and a concrete yard
// with containers, tanks, rails and pools of lamp light by night (pattern2),
// and a ruined town at dusk (pattern3).
// Walls, floors, roads and containers come from Layout.h.
#include <algorithm>
#include <cmath>
#include <thread>

#include "Catalogue.h"
#include "DemoGen.h"
#include "Image.h"
#include "Layout.h"
#include "Math.h"
#include "Noise.h"
#include "Rng.h"

namespace demogen {

namespace {

constexpr int MapW = 1600, MapH = 1200, TileW = 20, TileH = 10;

double Smoothstep(double a, double b, double x) {
    const double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

struct TPixelRect {
    int X0, Y0, X1, Y1;  // right and bottom exclusive
};
TPixelRect Pixels(const TTileRect& r) {
    return {r.X * TileW, r.Y * TileH, (r.X + r.W) * TileW, (r.Y + r.H) * TileH};
}

// How far (in pixels) a point lies inside a rectangle whose edges are roughened by noise; < 0 outside.
double RaggedInside(const TPixelRect& r, double x, double y, double rough, uint32_t seed) {
    const double d = std::min(std::min(x - r.X0, r.X1 - x), std::min(y - r.Y0, r.Y1 - y));
    return d + (Fbm(x / 23.0, y / 11.0, 3, seed) - 0.5) * rough;
}

TColour Sand(double x, double y, uint32_t seed) {
    const double large = Fbm(x / 260.0, y / 130.0, 3, seed);
    const double mid = Fbm(x / 36.0, y / 18.0, 3, seed + 1);
    const double fine = ValueNoise(x / 5.0, y / 2.5, seed + 3);
    const double grain = HashUnit(int(x), int(y), seed + 2);
    TColour c = Mix(Hex(0xA88458), Hex(0xC9A46C), Smoothstep(0.3, 0.7, large));
    c = Mix(c, Hex(0xA86E40), Smoothstep(0.55, 0.75, mid) * 0.5);
    c = Mix(c, Hex(0x8A6E4E), Smoothstep(0.6, 0.8, Fbm(x / 90.0, y / 45.0, 2, seed + 4)) * 0.45);
    // Wind ripples across the open sand.
    const double ripple = std::sin(x * 0.23 + y * 0.62 + mid * 9) * 0.035 * Smoothstep(0.35, 0.65, large);
    return c * (0.93 + 0.1 * mid + 0.06 * fine + (grain - 0.5) * 0.08 + ripple);
}

TColour Asphalt(double x, double y, uint32_t seed) {
    const double n = Fbm(x / 30.0, y / 15.0, 3, seed);
    const double grain = HashUnit(int(x), int(y), seed + 5);
    TColour c = Hex(0x55534F) * (0.85 + 0.25 * n + (grain - 0.5) * 0.22);
    // Cracks along the borders of irregular cells, where the road is worn.
    double f1, f2;
    Cells(x / 38.0, y / 19.0, seed + 6, f1, f2);
    const double worn = Fbm(x / 90.0, y / 45.0, 2, seed + 7);
    if (f2 - f1 < 0.02 + 0.03 * (worn - 0.55) && worn > 0.55) c = c * 0.5;
    return c;
}

TColour Concrete(double x, double y, uint32_t seed, const TColour& tint) {
    const int sx = int(std::floor(x / 40)), sy = int(std::floor(y / 20));
    const double slab = HashUnit(sx, sy, seed);
    const double n = Fbm(x / 25.0, y / 12.0, 3, seed + 1), grain = HashUnit(int(x), int(y), seed + 2);
    TColour c = tint * (0.86 + 0.16 * slab + 0.14 * n + (grain - 0.5) * 0.1);
    const double fx = x - sx * 40, fy = y - sy * 20;
    if (fx < 1 || fy < 1) c = c * 0.72;  // seams between slabs
    double f1, f2;
    Cells(x / 30.0, y / 15.0, seed + 3, f1, f2);
    if (f2 - f1 < 0.025 && slab > 0.7) c = c * 0.7;
    const double stain = Fbm(x / 50.0, y / 25.0, 3, seed + 4);
    return c * (1 - Smoothstep(0.66, 0.85, stain) * 0.2);
}

void OilStain(TImage& img, double cx, double cy, double r, uint32_t seed) {
    for (int y = int(cy - r); y <= int(cy + r); ++y)
        for (int x = int(cx - 2 * r); x <= int(cx + 2 * r); ++x) {
            if (!img.Inside(x, y)) continue;
            const double dx = (x - cx) / (2 * r), dy = (y - cy) / r;
            const double d = std::sqrt(dx * dx + dy * dy) + (Fbm(x / 9.0, y / 5.0, 3, seed) - 0.5) * 0.7;
            if (d > 1) continue;
            const double a = Smoothstep(1.0, 0.7, d) * 0.75;
            TColour c = ToColour(img.At(x, y)) * 0.25;
            // A faint sheen on the oil.
            c = c + Hex(0x30284A) * (0.3 * std::max(0.0, std::sin(d * 9 + x * 0.05)));
            img.Blend(x, y, c, a);
        }
}

void Chunk(TImage& img, TRng& rng, double cx, double cy, double size, const TColour& base) {
    std::vector<std::pair<double, double>> pts;
    const int n = rng.Range(4, 6);
    for (int k = 0; k < n; ++k) {
        const double a = 2 * Pi * k / n + rng.Uniform(-0.3, 0.3);
        const double r = size * rng.Uniform(0.6, 1.0);
        pts.push_back({cx + std::cos(a) * r, cy + std::sin(a) * r * 0.6});
    }
    FillEllipse(img, cx + size * 0.5, cy + size * 0.45, size * 1.1, size * 0.5, Hex(0x000000), 0.35);  // shadow
    FillPolygon(img, pts, base);
    for (auto& p : pts) p.second -= size * 0.25, p.first -= size * 0.15;
    for (auto& p : pts) p.first = cx + (p.first - cx) * 0.6, p.second = cy - size * 0.2 + (p.second - cy) * 0.5;
    FillPolygon(img, pts, Mix(base, Hex(0xFFFFFF), 0.25));  // lit top
}

void Rubble(TImage& img, TRng& rng, double cx, double cy, double spread, int count, const TColour& base) {
    for (int k = 0; k < count; ++k) {
        const double x = cx + rng.Uniform(-spread, spread), y = cy + rng.Uniform(-spread, spread) * 0.5;
        Chunk(img, rng, x, y, rng.Uniform(1.2, 3.8), base * rng.Uniform(0.75, 1.1));
        if (rng.Chance(0.12))
            DrawLine(img, x, y, x + rng.Uniform(-7, 7), y - rng.Uniform(2, 6), 1.0, Hex(0x8A4A22));  // rebar
    }
}

struct TWallStyle {
    TColour Top, Face;
    double Height;  // pixels of the south face
    bool Bricks;
};

// A wall drawn inside its tile rectangle: the top face above, the south face
// below it. Horizontal walls are broken along their length.
void DrawWall(TImage& img, const TTileRect& tr, const TWallStyle& st, uint32_t seed, TRng& rng) {
    const TPixelRect r = Pixels(tr);
    const bool horizontal = tr.W > 1;  // north-south walls are one tile wide
    const double faceH = st.Height;
    // The low sun in the south-west throws the shadow east and north.
    for (int y = r.Y0 - 6; y < r.Y1; ++y)
        for (int x = r.X0 + 3; x < r.X1 + 12; ++x) {
            if (!img.Inside(x, y)) continue;
            const double east = x >= r.X1 ? 1 - (x - r.X1) / 12.0 : 1;
            const double north = y < r.Y0 ? 1 - (r.Y0 - y) / 6.0 : 1;
            img.Blend(x, y, Hex(0x1A1008), 0.45 * east * north);
        }
    for (int x = r.X0; x < r.X1; ++x) {
        // Broken height of this column (horizontal walls only).
        double broken = 0;
        if (horizontal) {
            const double n = Fbm(x / 34.0, tr.Y * 1.7, 2, seed) + (ValueNoise(x / 4.0, tr.Y, seed + 1) - 0.5) * 0.12;
            broken = Smoothstep(0.5, 0.66, n) * 0.7;
            if (x - r.X0 < 3 || r.X1 - x <= 3) broken = std::max(broken, 0.35);
        }
        const double h = faceH * (1 - broken) + (HashUnit(x, tr.Y, seed + 9) - 0.5) * 1.5;
        int topX0 = r.X0, topX1 = r.X1;
        if (!horizontal) topX0 = r.X0 + 4, topX1 = r.X1 - 4;
        if (x < topX0 || x >= topX1) continue;
        const double baseY = r.Y1 - 0.5;
        const double faceTop = baseY - h;
        const double topThick = horizontal ? (r.Y1 - r.Y0) - faceH : 0;
        const double topY0 = horizontal ? faceTop - topThick : r.Y0 + 1;
        for (int y = int(std::floor(topY0)); y < r.Y1; ++y) {
            if (y < r.Y0) continue;
            const double fy = y + 0.5;
            TColour c;
            if (fy >= faceTop) {
                // South face: formwork lines, rust streaks under the rebar, darker at the foot.
                const double v = (fy - faceTop) / std::max(1.0, h);
                const double streak = Fbm(x / 3.0, fy / 30.0, 2, seed + 3);
                c = st.Face * (0.95 - 0.3 * v + (Fbm(x / 8.0, fy / 4.0, 2, seed + 4) - 0.5) * 0.25);
                if (st.Bricks) {
                    const int row = int(std::floor((fy - faceTop) / 4));
                    const double off = (row % 2) * 5;
                    if (int(fy - faceTop) % 4 == 0 || int(x + off) % 10 == 0) c = c * 0.7;
                } else if (int(fy - faceTop) == int(h * 0.45)) {
                    c = c * 0.82;
                }
                if (streak > 0.66) c = Mix(c, Hex(0x7A3E1C), (streak - 0.66) * 2.0);
            } else {
                c = st.Top * (0.92 + (Fbm(x / 6.0, fy / 3.0, 2, seed + 5) - 0.5) * 0.3 +
                              (HashUnit(x, y, seed + 6) - 0.5) * 0.08);
                if (fy < topY0 + 1.2 || x == topX0) c = c * 1.12;  // lit edge
            }
            img.Set(x, y, ToRgb(c));
        }
        // Rebar sticks out of broken tops.
        if (horizontal && broken > 0.4 && HashUnit(x, tr.Y, seed + 11) < 0.07) {
            const double y0 = faceTop - topThick * 0.5;
            DrawLine(img, x + 0.5, y0, x + 0.5 + rng.Uniform(-3, 3), y0 - rng.Uniform(4, 9), 1.0, Hex(0x7E4420));
        }
    }
    if (!horizontal) {
        // The end of a north-south wall shows its south face at the bottom.
        for (int y = int(r.Y1 - faceH); y < r.Y1; ++y)
            for (int x = r.X0 + 4; x < r.X1 - 4; ++x) {
                const double v = (y - (r.Y1 - faceH)) / faceH;
                img.Set(x, y, ToRgb(st.Face * (0.95 - 0.3 * v + (HashUnit(x, y, seed) - 0.5) * 0.1)));
            }
        for (int y = r.Y0 + 1; y < r.Y1 - int(faceH); ++y) img.Set(r.X1 - 5, y, ToRgb(st.Top * 0.7));
    }
    // Rubble at the wall's foot and ends.
    const int pieces = 4 + (r.X1 - r.X0 + r.Y1 - r.Y0) / 25;
    for (int k = 0; k < pieces; ++k) {
        const double x = rng.Uniform(r.X0 - 10, r.X1 + 10);
        const double y = rng.Chance(0.5) ? r.Y1 + rng.Uniform(0, 8) : r.Y0 - rng.Uniform(0, 6);
        Chunk(img, rng, x, y, rng.Uniform(1.2, 3.5), st.Top * rng.Uniform(0.7, 1.0));
    }
}

// A shipping container or machine block inside its rectangle, seen from above and the south.
void DrawContainer(TImage& img, const TTileRect& tr, const TColour& paint, uint32_t seed) {
    const TPixelRect r = Pixels(tr);
    const double faceH = 16;
    const bool northSouth = tr.H * TileH > tr.W * TileW;
    for (int y = r.Y0 + 4; y < r.Y1 + 4; ++y)
        for (int x = r.X1; x < r.X1 + 10; ++x)
            if (img.Inside(x, y)) img.Blend(x, y, Hex(0x000000), 0.4 * (1 - (x - r.X1) / 10.0));
    for (int y = r.Y0; y < r.Y1; ++y)
        for (int x = r.X0 + 1; x < r.X1 - 1; ++x) {
            const bool face = y >= r.Y1 - faceH;
            const double rust = Fbm(x / 12.0, y / 6.0, 3, seed);
            TColour c = paint * (face ? 0.62 : 0.95);
            // Corrugation across the long side.
            const double wave = northSouth && !face ? std::sin(y * 1.2) : std::sin(x * 0.9);
            c = c * (1 + 0.08 * wave);
            c = Mix(c, Hex(0x6E3A1E), Smoothstep(0.55, 0.8, rust) * 0.8);
            c = c * (1 + (HashUnit(x, y, seed + 1) - 0.5) * 0.08);
            if (y == r.Y0 || x == r.X0 + 1) c = c * 1.25;
            if (x == r.X1 - 2 || y == r.Y1 - int(faceH) - 1) c = c * 0.6;
            if (face && (x - r.X0) % 40 < 2) c = c * 0.7;  // door bars
            img.Set(x, y, ToRgb(c));
        }
}

// An upright tank: a round top and a curved south face.
void DrawTank(TImage& img, const TTileRect& tr, uint32_t seed) {
    const TPixelRect r = Pixels(tr);
    const double cx = (r.X0 + r.X1) / 2.0, rx = (r.X1 - r.X0) / 2.0 - 1, ry = rx * 0.5;
    const double topY = r.Y0 + ry + 1, bottomY = r.Y1 - ry * 0.6;
    for (int y = r.Y0; y < r.Y1; ++y)
        for (int x = r.X0; x < r.X1; ++x) {
            const double dx = (x + 0.5 - cx) / rx;
            if (std::fabs(dx) > 1) continue;
            const double curve = std::sqrt(1 - dx * dx);
            const double top = topY - ry * curve, bot = bottomY + ry * 0.6 * curve;
            if (y + 0.5 < top || y + 0.5 > bot) continue;
            const bool lid =
                (x + 0.5 - cx) * (x + 0.5 - cx) / (rx * rx) + (y + 0.5 - topY) * (y + 0.5 - topY) / (ry * ry) <= 1;
            const double rust = Fbm(x / 10.0, y / 8.0, 3, seed);
            TColour c =
                lid ? Hex(0x8F9396) * (0.95 + 0.1 * (1 - curve)) : Hex(0x7D8286) * (0.45 + 0.6 * (0.5 - dx * 0.5));
            if (!lid && int(y - topY) % 14 == 0) c = c * 0.8;  // welded rings
            c = Mix(c, Hex(0x7A4020), Smoothstep(0.58, 0.8, rust) * 0.7);
            img.Set(x, y, ToRgb(c));
        }
}

void Tracks(TImage& img, TRng& rng, double x0, double y0, double x1, double y1, double bend) {
    for (int side = -1; side <= 1; side += 2)
        for (double t = 0; t <= 1; t += 0.0015) {
            const double x = x0 + (x1 - x0) * t + std::sin(t * Pi) * bend;
            const double y = y0 + (y1 - y0) * t + side * 5;
            if (rng.Chance(0.7)) img.Blend(int(x), int(y), Hex(0x000000), 0.16);
        }
}

void Bush(TImage& img, TRng& rng, double cx, double cy) {
    FillEllipse(img, cx + 4, cy + 1, 9, 3, Hex(0x000000), 0.25);
    for (int k = 0; k < 14; ++k) {
        const double a = rng.Uniform(Pi * 1.05, Pi * 1.95);
        const double len = rng.Uniform(4, 10);
        DrawLine(img, cx, cy, cx + std::cos(a) * len, cy + std::sin(a) * len * 0.8, 0.9,
                 Mix(Hex(0x4A3A26), Hex(0x7A6A40), rng.Unit()));
    }
}

void Crater(TImage& img, double cx, double cy, double r, uint32_t seed) {
    for (int y = int(cy - r * 0.6); y <= int(cy + r * 0.6); ++y)
        for (int x = int(cx - r * 1.2); x <= int(cx + r * 1.2); ++x) {
            if (!img.Inside(x, y)) continue;
            const double dx = (x - cx) / (r * 1.1), dy = (y - cy) / (r * 0.55);
            const double d = std::sqrt(dx * dx + dy * dy) + (Fbm(x / 7.0, y / 4.0, 2, seed) - 0.5) * 0.3;
            if (d > 1.15) continue;
            TColour c = ToColour(img.At(x, y));
            if (d < 0.8)
                c = c * (0.55 + 0.3 * d + 0.25 * (dx - dy) * (d < 0.8 ? 0.5 : 0));  // scorched bowl
            else
                c = c * (1.12 - 0.2 * std::fabs(d - 0.95) * 4);  // thrown-up rim
            img.At(x, y) = ToRgb(c);
        }
}

// Sand, roads, slab floors and broken walls under a low sun: the junkyard,
// and the ruined town before the dusk is laid over it.
TImage SunlitGround(const TLocationLayout& lay, uint32_t seed) {
    TImage img(MapW, MapH);
    std::vector<TPixelRect> roads, floors;
    for (auto& r : lay.Roads) roads.push_back(Pixels(r));
    for (auto& r : lay.Floors) floors.push_back(Pixels(r));
    for (int y = 0; y < MapH; ++y)
        for (int x = 0; x < MapW; ++x) {
            const double fx = x + 0.5, fy = y + 0.5;
            TColour c = Sand(fx, fy, seed);
            for (auto& r : floors) {
                if (fx < r.X0 - 8 || fx > r.X1 + 8 || fy < r.Y0 - 8 || fy > r.Y1 + 8) continue;
                const double in = RaggedInside(r, fx, fy, 10, seed + 20);
                if (in > 0) {
                    TColour f = Concrete(fx, fy, seed + 30, Hex(0x98928A));
                    const double drift = Smoothstep(0.62, 0.8, Fbm(fx / 45.0, fy / 22.0, 3, seed + 31)) * 0.7;
                    c = Mix(f, c, std::max(drift, Smoothstep(3, 0, in)));
                }
            }
            for (auto& r : roads) {
                if (fx < r.X0 - 10 || fx > r.X1 + 10 || fy < r.Y0 - 10 || fy > r.Y1 + 10) continue;
                const double in = RaggedInside(r, fx, fy, 14, seed + 40);
                if (in > -1) {
                    TColour a = Asphalt(fx, fy, seed + 41);
                    // Faded lane marks along the middle of the road.
                    const bool wide = r.X1 - r.X0 > r.Y1 - r.Y0;
                    const double across = wide ? fy - (r.Y0 + r.Y1) / 2.0 : fx - (r.X0 + r.X1) / 2.0;
                    const double along = wide ? fx : fy;
                    if (std::fabs(across) < 1.6 && std::fmod(along, 70) < 34)
                        a = Mix(a, Hex(0xC8B060), 0.55 * Smoothstep(0.3, 0.6, Fbm(fx / 20.0, fy / 10.0, 2, seed + 42)));
                    const double drift =
                        Smoothstep(0.66, 0.8,
                                   Fbm(fx / 60.0, fy / 30.0, 3, seed + 43) + 0.15 / (1 + std::max(0.0, in))) *
                        0.85;
                    c = Mix(c, Mix(a, c, drift), Smoothstep(-1, 2, in));
                }
            }
            img.At(x, y) = ToRgb(c);
        }

    TRng rng(seed);
    // Potholes on the roads, oil stains, craters, tyre tracks and dry bushes.
    for (auto& r : roads)
        for (int k = 0; k < (r.X1 - r.X0) * (r.Y1 - r.Y0) / 9000; ++k) {
            const double x = rng.Uniform(r.X0 + 10, r.X1 - 10), y = rng.Uniform(r.Y0 + 6, r.Y1 - 6);
            const double s = rng.Uniform(4, 9);
            FillEllipse(img, x, y, s * 1.6, s * 0.8, Hex(0x2A2622), 0.9);
            FillEllipse(img, x + 1, y + 1, s * 1.2, s * 0.5, Hex(0x9C7E58), 0.8);
        }
    for (int k = 0; k < 14; ++k)
        OilStain(img, rng.Uniform(40, MapW - 40), rng.Uniform(30, MapH - 30), rng.Uniform(6, 16), seed + 100 + k);
    for (int k = 0; k < 7; ++k)
        Crater(img, rng.Uniform(100, MapW - 100), rng.Uniform(80, MapH - 80), rng.Uniform(14, 26), seed + 200 + k);
    Tracks(img, rng, 0, 700, 1600, 760, 60);
    Tracks(img, rng, 620, 0, 700, 1200, -90);
    for (int k = 0; k < 40; ++k) {
        const double x = rng.Uniform(20, MapW - 20), y = rng.Uniform(20, MapH - 20);
        bool clear = true;
        for (auto& r : roads) clear = clear && !(x > r.X0 - 10 && x < r.X1 + 10 && y > r.Y0 - 10 && y < r.Y1 + 10);
        for (auto& r : floors) clear = clear && !(x > r.X0 && x < r.X1 && y > r.Y0 && y < r.Y1);
        if (clear) Bush(img, rng, x, y);
    }
    for (int k = 0; k < 260; ++k)
        Chunk(img, rng, rng.Uniform(0, MapW), rng.Uniform(0, MapH), rng.Uniform(0.8, 2.2), Hex(0x8A7A64));
    for (auto& r : floors)
        for (int k = 0; k < 6; ++k)
            Rubble(img, rng, rng.Uniform(r.X0 + 20, r.X1 - 20), rng.Uniform(r.Y0 + 20, r.Y1 - 20), 14, 9,
                   Hex(0x9C968C));

    const TWallStyle wall{Hex(0xC8C0B0), Hex(0x847A6C), 15, false};
    uint32_t ws = seed + 500;
    for (auto& w : lay.Walls) DrawWall(img, w, wall, ws++, rng);
    return img;
}

TImage Pattern1(uint32_t seed) {
    return SunlitGround(Layouts[0], seed);
}

// The ruined town at dusk: the day picture under a sky that fades from amber in
// the west to violet in the east, with warm pools round the street fires.
TImage Pattern3(uint32_t seed) {
    const TLocationLayout& lay = Layouts[2];
    TImage img = SunlitGround(lay, seed);
    std::vector<std::pair<double, double>> fires;
    for (auto& l : lay.Lights) fires.push_back({l.X * TileW + 10.0, l.Y * TileH + 5.0});
    for (int y = 0; y < MapH; ++y)
        for (int x = 0; x < MapW; ++x) {
            const double t = double(x) / MapW;
            TColour light = Mix(TColour{0.95, 0.62, 0.42}, TColour{0.48, 0.40, 0.62}, t);
            for (auto& f : fires) {
                const double dx = (x - f.first) / 150.0, dy = (y - f.second) / 80.0;
                const double d2 = dx * dx + dy * dy;
                if (d2 < 1) light = light + TColour{0.9, 0.55, 0.25} * ((1 - d2) * (1 - d2));
            }
            const double haze = 0.92 + 0.16 * Fbm(x / 300.0, y / 150.0, 2, seed + 60);
            img.At(x, y) = ToRgb(ToColour(img.At(x, y)) * light * haze);
        }
    return img;
}

TImage Pattern2(uint32_t seed) {
    const TLocationLayout& lay = Layouts[1];
    TImage img(MapW, MapH);
    std::vector<TPixelRect> roads, floors;
    for (auto& r : lay.Roads) roads.push_back(Pixels(r));
    for (auto& r : lay.Floors) floors.push_back(Pixels(r));
    for (int y = 0; y < MapH; ++y)
        for (int x = 0; x < MapW; ++x) {
            const double fx = x + 0.5, fy = y + 0.5;
            // The yard: big worn slabs, with dirt where they have broken up.
            TColour c = Concrete(fx * 0.5, fy * 0.5, seed, Hex(0x77736C));
            const double broken = Fbm(fx / 120.0, fy / 60.0, 4, seed + 1);
            c = Mix(c, Mix(Sand(fx, fy, seed + 2), Hex(0x5A5048), 0.5), Smoothstep(0.64, 0.72, broken));
            for (auto& r : floors)
                if (fx >= r.X0 - 4 && fx <= r.X1 + 4 && fy >= r.Y0 - 4 && fy <= r.Y1 + 4 &&
                    RaggedInside(r, fx, fy, 6, seed + 3) > 0)
                    c = Concrete(fx, fy, seed + 4, Hex(0x6C6A66));
            for (auto& r : roads) {
                if (fx < r.X0 - 4 || fx > r.X1 + 4 || fy < r.Y0 - 4 || fy > r.Y1 + 4) continue;
                const double in = RaggedInside(r, fx, fy, 6, seed + 5);
                if (in > 0) {
                    TColour a = Asphalt(fx, fy, seed + 6) * 0.9;
                    const bool wide = r.X1 - r.X0 > r.Y1 - r.Y0;
                    const double across = wide ? fy - r.Y0 : fx - r.X0;
                    const double along = wide ? fx : fy;
                    const double width = wide ? r.Y1 - r.Y0 : r.X1 - r.X0;
                    // Painted edge lines and a dashed middle line.
                    if ((across > 4 && across < 6.5) || (across > width - 6.5 && across < width - 4) ||
                        (std::fabs(across - width / 2) < 1.5 && std::fmod(along, 60) < 30))
                        a = Mix(a, Hex(0xD8D0B0), 0.5 * Smoothstep(0.25, 0.55, Fbm(fx / 18.0, fy / 9.0, 2, seed + 7)));
                    c = a;
                }
            }
            // Puddles: dark water with a cold reflection.
            const double wet = Fbm(fx / 70.0, fy / 35.0, 3, seed + 8);
            if (wet > 0.74)
                c = Mix(c, Hex(0x1C2430) + Hex(0x303848) * Fbm(fx / 10.0, fy / 40.0, 2, seed + 9),
                        Smoothstep(0.74, 0.77, wet) * 0.8);
            img.At(x, y) = ToRgb(c);
        }

    TRng rng(seed);
    // Rail line: ballast, sleepers and two rails.
    const int railY = 920;
    for (int y = railY - 26; y < railY + 26; ++y)
        for (int x = 0; x < MapW; ++x) {
            const double edge = 26 - std::fabs(y - railY) + (Fbm(x / 12.0, y / 6.0, 2, seed + 20) - 0.5) * 8;
            if (edge > 0)
                img.At(x, y) = ToRgb(Mix(Hex(0x4E4A44), Hex(0x6E685E), HashUnit(x / 2, y / 2, seed + 21)) * 0.9);
        }
    for (int x = 0; x < MapW; x += 18) img.FillRect(x, railY - 16, 7, 32, ToRgb(Hex(0x4A3424) * rng.Uniform(0.8, 1.1)));
    for (int side = -1; side <= 1; side += 2) {
        img.FillRect(0, railY + side * 10 - 1, MapW, 3, ToRgb(Hex(0x5A5A5C)));
        img.FillRect(0, railY + side * 10 - 1, MapW, 1, ToRgb(Hex(0xB8B8BC)));
    }
    // Drain grates, oil stains, scattered scrap.
    for (int k = 0; k < 10; ++k) {
        const int x = rng.Range(50, MapW - 80), y = rng.Range(50, MapH - 60);
        img.FillRect(x, y, 26, 12, ToRgb(Hex(0x1A1A1A)));
        for (int i = 2; i < 26; i += 4) img.FillRect(x + i, y + 1, 2, 10, ToRgb(Hex(0x5C5A58)));
    }
    for (int k = 0; k < 22; ++k)
        OilStain(img, rng.Uniform(40, MapW - 40), rng.Uniform(30, MapH - 30), rng.Uniform(6, 18), seed + 100 + k);
    for (int k = 0; k < 300; ++k)
        Chunk(img, rng, rng.Uniform(0, MapW), rng.Uniform(0, MapH), rng.Uniform(0.8, 2.4),
              rng.Chance(0.3) ? Hex(0x8A5A38) : Hex(0x7A7870));
    for (auto& r : floors)
        for (int k = 0; k < 5; ++k)
            Rubble(img, rng, rng.Uniform(r.X0 + 20, r.X1 - 20), rng.Uniform(r.Y0 + 20, r.Y1 - 20), 14, 8,
                   Hex(0x8A8680));

    const TWallStyle brick{Hex(0x8E8880), Hex(0x6E4030), 15, true};
    uint32_t ws = seed + 500;
    for (auto& w : lay.Walls) DrawWall(img, w, brick, ws++, rng);
    const TColour paints[] = {Hex(0x8C3A26), Hex(0x2F5A78), Hex(0x4E6A3A), Hex(0xA07A2A)};
    int pk = 0;
    for (auto& m : lay.Metal) {
        if (m.W == 4 && m.H == 8)  // the round tanks of the layout
            DrawTank(img, m, seed + 600 + pk);
        else
            DrawContainer(img, m, paints[pk % 4], seed + 600 + pk);
        ++pk;
    }

    // Night: a cold dim ambient, warm pools under the lamps.
    std::vector<std::pair<double, double>> lamps;
    for (auto& l : lay.Lights) lamps.push_back({l.X * TileW + 10.0, l.Y * TileH + 5.0});
    for (int y = 0; y < MapH; ++y)
        for (int x = 0; x < MapW; ++x) {
            TColour c = ToColour(img.At(x, y));
            TColour light{0.36, 0.42, 0.62};
            for (auto& l : lamps) {
                const double dx = (x - l.first) / 170.0, dy = (y - l.second) / 90.0;
                const double d2 = dx * dx + dy * dy;
                if (d2 < 1) {
                    const double k = (1 - d2) * (1 - d2);
                    light = light + TColour{1.15, 0.78, 0.42} * k;
                }
            }
            const double moon = 0.9 + 0.2 * Fbm(x / 400.0, y / 200.0, 2, seed + 30);
            img.At(x, y) = ToRgb(c * light * moon);
        }
    return img;
}

}  // namespace

void WriteLocations(const TOutput& out) {
    // The pictures are independent and take most of the generator's time: draw them side by side.
    TImage night, dusk;
    std::thread second([&night] { night = Pattern2(2002); });
    std::thread third([&dusk] { dusk = Pattern3(3003); });
    TImage day;
    try {
        day = Pattern1(1001);
    } catch (...) {
        second.join();
        third.join();
        throw;
    }
    second.join();
    third.join();
    out.WriteBmp("data/Images/Locations/pattern1.bmp", day);
    out.WriteBmp("data/Images/Locations/pattern2.bmp", night);
    out.WriteBmp("data/Images/Locations/pattern3.bmp", dusk);
}

}  // namespace demogen
