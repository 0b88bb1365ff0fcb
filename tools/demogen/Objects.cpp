// Map object pictures: barrels, crates, scrap, a wrecked car, a lamp post, a
// terminal and a door, the animated fire barrel and warning beacon strips,
// and the translucent smoke cloud. Objects stand on the middle of their
// tile: the game draws them centred there with their bottom edge 10 pixels
// below the tile, so the ground point lies 15 pixels above a picture's bottom.
#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>

#include "Catalogue.h"
#include "DemoGen.h"
#include "Noise.h"
#include "Render3D.h"
#include "Rng.h"

namespace demogen {

namespace {

TSurface Mat(uint32_t hex, double spec = 0.1, double grain = 0.15, double rust = 0) {
    return Material(hex, spec, grain, rust, 16);
}

const TFrame Upright{};
TFrame Turned(double degrees) {
    const double a = degrees * Deg;
    return {{std::cos(a), std::sin(a), 0}, {-std::sin(a), std::cos(a), 0}, {0, 0, 1}};
}

void Barrel(TScene& s, V3 at, const TSurface& paint, double tilt = 0) {
    const V3 top = at + V3{std::sin(tilt) * 26, 0, std::cos(tilt) * 26};
    s.Cylinder(at, top, 9, paint);
    TSurface ring = paint;
    ring.Colour = paint.Colour * 0.8;
    for (double k : {0.1, 0.5, 0.9}) s.Cylinder(Lerp(at, top, k - 0.03), Lerp(at, top, k + 0.03), 9.5, ring);
    s.Cylinder(top - V3{0, 0, 0.1}, top + V3{0, 0, 0.4}, 7.5, Mat(0x3A342C, 0.2, 0.1));  // dark lid recess
}

struct TObjectArt {
    int Width, Height;  // of one pattern
    int Frames;
    std::function<void(TScene&, int frame)> Build;            // 3D part
    std::function<void(TImage&, int x0, int frame)> Overlay;  // 2D part drawn over it
};

TObjectArt ArtOf(std::string_view name) {
    if (name == "barrel")
        return {28, 48, 1, [](TScene& s, int) { Barrel(s, {0, 0, 0}, Mat(0xA0481E, 0.3, 0.15, 0.7)); }, nullptr};
    if (name == "barrel_toxic")
        return {32, 48, 1,
                [](TScene& s, int) {
                    Barrel(s, {0, 0, 0}, Mat(0xB8A028, 0.3, 0.15, 0.35));
                    s.Cylinder({0, 0, 11}, {0, 0, 15}, 9.6, Mat(0x1E1E1E, 0.2, 0.05));  // hazard band
                    s.Ellipsoid({6, 8, 0}, Upright, {8, 5, 0.6}, Glow(0x7CFF3A));       // leaking sludge
                },
                nullptr};
    if (name == "crate")
        return {36, 46, 1,
                [](TScene& s, int) {
                    const TSurface wood = Mat(0x8A6A44, 0.05, 0.35);
                    const TFrame f = Turned(12);
                    s.Box({0, 0, 9}, f, {12, 10, 9}, wood);
                    const TSurface plank = Mat(0x6E5032, 0.05, 0.3);
                    for (int k = -1; k <= 1; k += 2) {
                        s.Box(f.ToWorld({k * 11.6, 0, 9}), f, {0.8, 10.4, 1.6}, plank);
                        s.Box(f.ToWorld({0, k * 9.6, 9}), f, {12.4, 0.8, 1.6}, plank);
                    }
                    s.Box(f.ToWorld({0, 0, 18.2}), f, {12.4, 1.5, 0.6}, plank);
                },
                nullptr};
    if (name == "scrap_pile")
        return {64, 50, 1,
                [](TScene& s, int) {
                    TRng rng(4242);
                    const uint32_t paints[] = {0x7A4A2A, 0x5E5E60, 0x8C5A30, 0x4A5058, 0x9A7A50};
                    s.Ellipsoid({0, 0, 0}, Upright, {22, 12, 9}, Mat(0x4A3E34, 0.05, 0.4, 0.6));  // the heap's core
                    for (int k = 0; k < 34; ++k) {
                        const double a = rng.Uniform(0, 2 * Pi), r = rng.Uniform(0, 1) * 21;
                        const V3 c{std::cos(a) * r, std::sin(a) * r * 0.55, (1 - r / 23) * 12 + rng.Uniform(0, 3)};
                        const TSurface m = Mat(paints[rng.Int(5)], rng.Uniform(0.1, 0.4), 0.2, rng.Uniform(0.3, 0.9));
                        const V3 dir = Normal({rng.Uniform(-1, 1), rng.Uniform(-1, 1), rng.Uniform(-0.4, 0.4)});
                        if (rng.Chance(0.5))
                            s.Box(c, TFrame::Along(dir),
                                  {rng.Uniform(2.5, 7), rng.Uniform(4, 10), rng.Uniform(0.6, 2.5)}, m);
                        else
                            s.Cylinder(c - dir * 5, c + dir * 5, rng.Uniform(0.8, 3), m);
                    }
                },
                nullptr};
    if (name == "car_wreck")
        return {104, 66, 1,
                [](TScene& s, int) {
                    const TSurface body = Mat(0x7E4A2C, 0.35, 0.2, 0.75), dark = Mat(0x2A2624, 0.1, 0.1);
                    const TFrame f = Turned(-8);
                    auto at = [&](V3 l) { return f.ToWorld(l); };
                    s.Box(at({0, 0, 9}), f, {34, 14, 5.5}, body);                             // hull
                    s.Box(at({-3, 0, 17}), f, {15, 12, 4.5}, body);                           // cabin
                    s.Box(at({-3, 0, 17.2}), f, {15.3, 10.5, 3.2}, dark);                     // broken windows
                    s.Box(at({26, 0, 14.8}), f, {7, 13, 0.8}, Mat(0x6A4028, 0.3, 0.2, 0.8));  // bonnet, bent
                    for (int k : {-1, 1}) {
                        s.Cylinder(at({22, k * 13.5, 5.5}), at({22, k * 15.5, 5.5}), 5.5, dark);
                        if (k > 0) s.Cylinder(at({-22, k * 13.5, 5.5}), at({-22, k * 15.5, 5.5}), 5.5, dark);
                    }
                    s.Box(at({-22, -14, 3}), f, {5, 1.5, 2}, dark);  // a wheel is gone: the hub rests on a block
                    s.Box(at({35, 0, 9}), f, {1, 12, 2}, Mat(0x9A9A98, 0.6, 0.1, 0.4));  // bumper
                },
                nullptr};
    if (name == "tyres")
        return {36, 40, 1,
                [](TScene& s, int) {
                    const TSurface rubber = Mat(0x2A2A2C, 0.15, 0.25);
                    for (int k = 0; k < 3; ++k) {
                        const V3 c{k == 1 ? 1.5 : 0.0, k == 2 ? -1.0 : 0.0, 2.8 + k * 5.6};
                        s.Cylinder(c - V3{0, 0, 2.8}, c + V3{0, 0, 2.8}, 11, rubber);
                    }
                    s.Cylinder({0, -1, 16.7}, {0, -1, 17.2}, 6, Mat(0x141414, 0, 0));  // the hole
                },
                nullptr};
    if (name == "lamp_post")
        return {44, 120, 1,
                [](TScene& s, int) {
                    const TSurface pole = Mat(0x5A5650, 0.35, 0.15, 0.5);
                    s.Cylinder({0, 0, 0}, {0, 0, 3}, 5, pole);
                    s.Cylinder({0, 0, 0}, {0, 0, 112}, 1.8, pole);
                    s.Capsule({0, 0, 112}, {12, 0, 116}, 1.4, pole);
                    s.Box({14, 0, 115}, Upright, {5, 3, 1.5}, pole);
                    s.Ellipsoid({14, 0, 113.4}, Upright, {4, 2.2, 1}, Glow(0xFFE8A0));
                },
                [](TImage& img, int x0, int) {  // glow around the lamp
                    const double cx = x0 + 22 + 14, cy = 120 - 15 - 113 * std::cos(35 * Deg) + 1;
                    for (int y = 0; y < 30; ++y)
                        for (int x = x0; x < x0 + 44; ++x) {
                            if (img.At(x, y) != KeyColour) continue;
                            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                            if (d < 5.5) img.Set(x, y, ToRgb(Mix(Hex(0xFFF0B0), Hex(0xFFB040), d / 5.5)));
                        }
                }};
    if (name == "terminal")
        return {34, 58, 1,
                [](TScene& s, int) {
                    const TSurface case_ = Mat(0x5C6660, 0.3, 0.15, 0.35);
                    s.Box({0, 0, 18}, Upright, {10, 6, 18}, case_);
                    s.Box({0, 6.2, 27}, Upright, {7.5, 0.4, 6}, Glow(0x28C850));    // screen
                    s.Box({0, 6.3, 26}, Upright, {6.5, 0.4, 0.6}, Glow(0x9CFFB0));  // a line of text
                    s.Box({0, 7.5, 14}, TFrame::Along({0, 1, -0.6}), {8.5, 3.5, 0.8}, Mat(0x3A3E3C, 0.2, 0.1));  // keys
                    s.Sphere({6.5, 6.4, 34}, 1, Glow(0xFF3020));
                },
                nullptr};
    if (name == "door")
        return {52, 70, 1,
                [](TScene& s, int) {
                    const TSurface frame = Mat(0x8A8478, 0.1, 0.25), plate = Mat(0x6E6A64, 0.45, 0.15, 0.6);
                    s.Box({-20, 0, 24}, Upright, {4, 5, 24}, frame);
                    s.Box({20, 0, 24}, Upright, {4, 5, 24}, frame);
                    s.Box({0, 0, 51}, Upright, {24, 5, 4}, frame);
                    s.Box({0, 0.5, 23.5}, Upright, {16, 2, 23.5}, plate);
                    for (int k = 0; k < 4; ++k)
                        s.Box({0, 2.8, 8.0 + k * 11}, Upright, {15.5, 0.5, 0.8}, Mat(0x55514C, 0.4, 0.1, 0.4));
                    s.Box({11, 3, 24}, Upright, {1.2, 1.2, 3}, Mat(0xC8A040, 0.6, 0.05));  // handle
                    s.Box({0, 3.2, 44}, Upright, {6, 0.4, 1.6}, Glow(0xFFB020));           // warning strip
                },
                nullptr};
    if (name == "fire_barrel")
        return {40, 72, 8,
                [](TScene& s, int) {
                    Barrel(s, {0, 0, 0}, Mat(0x6A3A22, 0.25, 0.2, 0.9));
                    s.Cylinder({0, 0, 25.6}, {0, 0, 26.3}, 7.6, Glow(0xFF8A20));  // embers
                },
                [](TImage& img, int x0, int frame) {
                    // Flames licking up out of the barrel, the noise rising frame by frame.
                    const double cx = x0 + 20, baseY = 72 - 15 - 26 * std::cos(35 * Deg) + 2;
                    for (int y = 0; y < int(baseY) + 2; ++y)
                        for (int x = x0; x < x0 + 40; ++x) {
                            const double h = (baseY - y) / 30.0;  // 0 at the rim, 1 high up
                            const double w = 9 * (1 - h * 0.8);
                            const double dx = std::fabs(x + 0.5 - cx) / std::max(w, 0.5);
                            if (h < -0.1 || h > 1.1 || dx > 1.3) continue;
                            const double n = Fbm((x - x0) / 5.0, (y + frame * 4.5) / 6.0, 3, 99);
                            const double heat = (1 - dx) * (1 - h) * 1.6 + (n - 0.5) * 1.2;
                            if (heat < 0.35) continue;
                            const TColour c = heat > 1.1    ? Hex(0xFFF6C0)
                                              : heat > 0.8  ? Hex(0xFFC040)
                                              : heat > 0.55 ? Hex(0xFF7A18)
                                                            : Hex(0xC83A10);
                            img.Set(x, y, ToRgb(c));
                        }
                }};
    if (name == "beacon")
        return {24, 56, 4,
                [](TScene& s, int frame) {
                    const TSurface pole = Mat(0x4A4E52, 0.3, 0.15, 0.4);
                    s.Box({0, 0, 2}, Upright, {6, 4, 2}, pole);
                    s.Cylinder({0, 0, 0}, {0, 0, 42}, 1.5, pole);
                    const bool on = frame < 2;
                    s.Sphere({0, 0, 45}, 3.6, on ? Glow(frame == 0 ? 0xFF4020 : 0xFF8060) : Mat(0x6A1C14, 0.5, 0.05));
                    s.Cylinder({0, 0, 41}, {0, 0, 42.5}, 4, pole);
                },
                [](TImage& img, int x0, int frame) {
                    if (frame > 1) return;
                    const double cx = x0 + 12, cy = 56 - 15 - 45 * std::cos(35 * Deg);
                    const double r = frame == 0 ? 9 : 6;
                    for (int y = 0; y < 40; ++y)
                        for (int x = x0; x < x0 + 24; ++x) {
                            if (img.At(x, y) != KeyColour) continue;
                            const double d = std::hypot(x + 0.5 - cx, (y + 0.5 - cy) * 1.2);
                            if (d < r && (int(d * 3) % 2 == 0 || d < r * 0.6))
                                img.Set(x, y, ToRgb(Mix(Hex(0xFF6040), Hex(0xB01808), d / r)));
                        }
                }};
    if (name == "smoke")
        return {72, 80, 1, nullptr, [](TImage& img, int x0, int) {
                    // Soft grey puffs; the game draws the whole picture translucent.
                    TRng rng(77);
                    for (int k = 0; k < 14; ++k) {
                        const double cx = x0 + 36 + rng.Uniform(-18, 18), cy = 62 - k * 3.6 + rng.Uniform(-4, 4);
                        const double r = 9 + k * 0.7 + rng.Uniform(0, 4);
                        for (int y = int(cy - r); y <= int(cy + r); ++y)
                            for (int x = int(cx - r); x <= int(cx + r); ++x) {
                                if (!img.Inside(x, y) || x < x0 + 1 || x >= x0 + 72 || y < 1) continue;
                                const double d =
                                    std::hypot(x - cx, y - cy) / r + (Fbm(x / 6.0, y / 6.0, 2, 5) - 0.5) * 0.5;
                                if (d > 1) continue;
                                const double light = 0.45 + 0.35 * (1 - (y - (cy - r)) / (2 * r)) + 0.1 * (1 - d);
                                img.Set(x, y, ToRgb(Hex(0xB8B4AC) * light));
                            }
                    }
                }};
    throw std::runtime_error("no art for object " + std::string(name));
}

}  // namespace

void WriteObjects(const TOutput& out) {
    TView view;
    view.Seed = 555;
    for (auto& def : Objects) {
        const TObjectArt art = ArtOf(def.Name);
        if (def.Effect == "anim" && (art.Width != def.PatternWidth || art.Height != def.PatternHeight))
            throw std::runtime_error("object " + std::string(def.Name) + ": strip size differs from the catalogue");
        TImage img(art.Width * art.Frames, art.Height, KeyColour);
        for (int f = 0; f < art.Frames; ++f) {
            if (art.Build) {
                TScene scene;
                art.Build(scene, f);
                RenderScene(scene, view, img, f * art.Width, 0, art.Width, art.Height, art.Width / 2.0,
                            art.Height - 15.0);
            }
            if (art.Overlay) art.Overlay(img, f * art.Width, f);
        }
        img.Set(0, 0, KeyColour);  // the colour key is the picture's own top-left pixel
        out.WriteBmp("data/Images/Objects/" + std::string(def.Name) + ".bmp", img);
    }
}

}  // namespace demogen
