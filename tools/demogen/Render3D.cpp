#include "Render3D.h"

#include <algorithm>
#include <limits>

#include "Noise.h"

namespace demogen {

TFrame TFrame::Along(const V3& dir, const V3& upHint) {
    TFrame f;
    f.Y = Normal(dir);
    V3 x = Cross(f.Y, upHint);
    if (Length(x) < 1e-6) x = Cross(f.Y, V3{1, 0, 0});
    f.X = Normal(x);
    f.Z = Cross(f.X, f.Y);
    return f;
}

void TScene::Capsule(V3 a, V3 b, double r, const TSurface& s) {
    TPrim p;
    p.Kind = TPrim::Capsule;
    p.A = a;
    p.B = b;
    p.R = r;
    p.Surface = s;
    p.BoundCentre = (a + b) * 0.5;
    p.BoundRadius = Length(b - a) * 0.5 + r;
    Prims.push_back(p);
}

void TScene::Cylinder(V3 a, V3 b, double r, const TSurface& s) {
    Capsule(a, b, r, s);
    Prims.back().Kind = TPrim::Cylinder;
}

void TScene::Ellipsoid(V3 c, const TFrame& axes, V3 radii, const TSurface& s) {
    TPrim p;
    p.Kind = TPrim::Ellipsoid;
    p.Centre = c;
    p.Axes = axes;
    p.Size = radii;
    p.Surface = s;
    p.BoundCentre = c;
    p.BoundRadius = std::max({radii.X, radii.Y, radii.Z});
    Prims.push_back(p);
}

void TScene::Box(V3 c, const TFrame& axes, V3 half, const TSurface& s) {
    TPrim p;
    p.Kind = TPrim::Box;
    p.Centre = c;
    p.Axes = axes;
    p.Size = half;
    p.Surface = s;
    p.BoundCentre = c;
    p.BoundRadius = Length(half);
    Prims.push_back(p);
}

namespace {

// Ray (o, d), d of unit length. Returns the distance of the entry point or -1.
double Intersect(const TPrim& p, const V3& o, const V3& d) {
    switch (p.Kind) {
        case TPrim::Ellipsoid: {
            const V3 lo = p.Axes.ToLocal(o - p.Centre), ld = p.Axes.ToLocal(d);
            const V3 so{lo.X / p.Size.X, lo.Y / p.Size.Y, lo.Z / p.Size.Z};
            const V3 sd{ld.X / p.Size.X, ld.Y / p.Size.Y, ld.Z / p.Size.Z};
            const double a = Dot(sd, sd), b = Dot(so, sd), c = Dot(so, so) - 1;
            const double h = b * b - a * c;
            if (h < 0) return -1;
            return (-b - std::sqrt(h)) / a;
        }
        case TPrim::Capsule: {
            const V3 ba = p.B - p.A, oa = o - p.A;
            const double baba = Dot(ba, ba), bard = Dot(ba, d), baoa = Dot(ba, oa), rdoa = Dot(d, oa),
                         oaoa = Dot(oa, oa);
            const double a = baba - bard * bard, b = baba * rdoa - baoa * bard,
                         c = baba * oaoa - baoa * baoa - p.R * p.R * baba;
            double h = b * b - a * c;
            if (h >= 0 && a > 1e-9) {
                const double t = (-b - std::sqrt(h)) / a;
                const double y = baoa + t * bard;
                if (y > 0 && y < baba) return t;
                const V3 oc = y <= 0 ? oa : o - p.B;
                const double b2 = Dot(d, oc), c2 = Dot(oc, oc) - p.R * p.R;
                h = b2 * b2 - c2;
                if (h > 0) return -b2 - std::sqrt(h);
                return -1;
            }
            if (a <= 1e-9) {  // along the axis: the nearer cap
                double best = -1;
                for (const V3* e : {&p.A, &p.B}) {
                    const V3 oc = o - *e;
                    const double b2 = Dot(d, oc), c2 = Dot(oc, oc) - p.R * p.R, h2 = b2 * b2 - c2;
                    if (h2 > 0) {
                        const double t = -b2 - std::sqrt(h2);
                        if (best < 0 || t < best) best = t;
                    }
                }
                return best;
            }
            return -1;
        }
        case TPrim::Cylinder: {
            const V3 ba = p.B - p.A, oc = o - p.A;
            const double baba = Dot(ba, ba), bard = Dot(ba, d), baoc = Dot(ba, oc);
            const double k2 = baba - bard * bard, k1 = baba * Dot(oc, d) - baoc * bard,
                         k0 = baba * Dot(oc, oc) - baoc * baoc - p.R * p.R * baba;
            double h = k1 * k1 - k2 * k0;
            if (h < 0) return -1;
            h = std::sqrt(h);
            if (k2 > 1e-9) {
                const double t = (-k1 - h) / k2;
                const double y = baoc + t * bard;
                if (y > 0 && y < baba) return t;
                if (std::fabs(bard) < 1e-12) return -1;
                const double tc = ((y < 0 ? 0.0 : baba) - baoc) / bard;
                if (std::fabs(k1 + k2 * tc) < h) return tc;
                return -1;
            }
            if (std::fabs(bard) < 1e-12) return -1;
            const double t0 = (0 - baoc) / bard, t1 = (baba - baoc) / bard;
            return std::min(t0, t1);
        }
        case TPrim::Box: {
            const V3 lo = p.Axes.ToLocal(o - p.Centre), ld = p.Axes.ToLocal(d);
            double tn = -std::numeric_limits<double>::max(), tf = std::numeric_limits<double>::max();
            const double los[3] = {lo.X, lo.Y, lo.Z}, lds[3] = {ld.X, ld.Y, ld.Z},
                         hs[3] = {p.Size.X, p.Size.Y, p.Size.Z};
            for (int k = 0; k < 3; ++k) {
                if (std::fabs(lds[k]) < 1e-12) {
                    if (std::fabs(los[k]) > hs[k]) return -1;
                    continue;
                }
                double t1 = (-hs[k] - los[k]) / lds[k], t2 = (hs[k] - los[k]) / lds[k];
                if (t1 > t2) std::swap(t1, t2);
                tn = std::max(tn, t1);
                tf = std::min(tf, t2);
            }
            if (tn > tf || tf < 0) return -1;
            return tn;
        }
    }
    return -1;
}

V3 SurfaceNormal(const TPrim& p, const V3& x) {
    switch (p.Kind) {
        case TPrim::Ellipsoid: {
            const V3 l = p.Axes.ToLocal(x - p.Centre);
            return Normal(p.Axes.ToWorld(
                {l.X / (p.Size.X * p.Size.X), l.Y / (p.Size.Y * p.Size.Y), l.Z / (p.Size.Z * p.Size.Z)}));
        }
        case TPrim::Capsule: {
            const V3 ba = p.B - p.A;
            const double t = std::clamp(Dot(x - p.A, ba) / Dot(ba, ba), 0.0, 1.0);
            return Normal(x - (p.A + ba * t));
        }
        case TPrim::Cylinder: {
            const V3 ba = p.B - p.A;
            const double baba = Dot(ba, ba);
            const double t = Dot(x - p.A, ba) / baba;
            const V3 axis = Normal(ba);
            if (t < 0.002) return -axis;
            if (t > 0.998) return axis;
            return Normal(x - (p.A + ba * t));
        }
        case TPrim::Box: {
            const V3 l = p.Axes.ToLocal(x - p.Centre);
            const double rx = std::fabs(l.X) / p.Size.X, ry = std::fabs(l.Y) / p.Size.Y, rz = std::fabs(l.Z) / p.Size.Z;
            if (rx >= ry && rx >= rz) return l.X > 0 ? p.Axes.X : -p.Axes.X;
            if (ry >= rz) return l.Y > 0 ? p.Axes.Y : -p.Axes.Y;
            return l.Z > 0 ? p.Axes.Z : -p.Axes.Z;
        }
    }
    return {0, 0, 1};
}

// Point in the primitive's own frame, so textures move with the part.
V3 LocalPoint(const TPrim& p, const V3& x) {
    if (p.Kind == TPrim::Capsule || p.Kind == TPrim::Cylinder) return x - p.A;
    return p.Axes.ToLocal(x - p.Centre);
}

TColour Shade(const TPrim& p, size_t index, const V3& x, const V3& toEye, const TView& v) {
    const TSurface& s = p.Surface;
    if (s.Emissive >= 1) return s.Colour;
    const V3 n = SurfaceNormal(p, x);
    const V3 l = LocalPoint(p, x) * s.Scale;
    const uint32_t seed = v.Seed + uint32_t(index) * 31u;
    TColour base = s.Colour;
    if (s.Grain > 0) base = base * (1 + s.Grain * (Fbm3(l.X, l.Y, l.Z, 2, seed) - 0.5) * 2);
    if (s.Rust > 0) {
        const double r = Fbm3(l.X * 0.7 + 5, l.Y * 0.7, l.Z * 0.7, 3, seed + 7);
        const double k = std::clamp((r - (1 - s.Rust) * 0.75) * 5, 0.0, 1.0);
        base = Mix(base, Mix(Hex(0x7A3A18), Hex(0xA55A28), Fbm3(l.X * 2, l.Y * 2, l.Z * 2, 1, seed + 9)), k);
    }
    const double diffuse = std::max(0.0, Dot(n, v.Light));
    const double sky = v.Ambient * (0.75 + 0.25 * n.Z);
    const V3 refl = n * (2 * Dot(n, v.Light)) - v.Light;
    const double spec = s.Specular * std::pow(std::max(0.0, Dot(refl, toEye)), s.Shininess);
    // A little light from behind keeps dark sides readable against dark ground.
    const double rim = 0.12 * std::pow(1 - std::max(0.0, Dot(n, toEye)), 2);
    TColour c = base * (sky + diffuse * 0.95 + rim) + TColour{spec, spec * 0.95, spec * 0.85};
    if (s.Emissive > 0) c = Mix(c, s.Colour, s.Emissive);
    return c;
}

}  // namespace

double TScene::Trace(const V3& o, const V3& d, int& prim) const {
    double best = -1;
    prim = -1;
    for (size_t i = 0; i < Prims.size(); ++i) {
        const TPrim& p = Prims[i];
        const V3 oc = p.BoundCentre - o;
        const double along = Dot(oc, d);
        if (Dot(oc, oc) - along * along > p.BoundRadius * p.BoundRadius) continue;
        const double t = Intersect(p, o, d);
        if (t > 0 && (best < 0 || t < best)) {
            best = t;
            prim = int(i);
        }
    }
    return best;
}

int RenderScene(const TScene& scene, const TView& view, TImage& img, int x0, int y0, int w, int h, double anchorX,
                double anchorY) {
    const int ss = std::max(1, view.Supersample);
    const int sw = w * ss, sh = h * ss;
    const double se = std::sin(view.Elevation), ce = std::cos(view.Elevation);
    const V3 toEye{0, ce, se}, right{1, 0, 0}, up{0, -se, ce};
    const double far = 2000;
    std::vector<float> depth(size_t(sw) * sh, std::numeric_limits<float>::max());
    std::vector<int16_t> owner(size_t(sw) * sh, -1);

    auto rayOrigin = [&](int sx, int sy) {
        const double u = ((sx + 0.5) / ss - anchorX) / view.Scale, vv = ((sy + 0.5) / ss - anchorY) / view.Scale;
        return right * u + up * (-vv) + toEye * far;
    };
    const V3 dir = -toEye;
    for (size_t i = 0; i < scene.Prims.size(); ++i) {
        const TPrim& p = scene.Prims[i];
        double cx, cy;
        Project(view, p.BoundCentre, cx, cy);
        const double r = p.BoundRadius * view.Scale + 1;
        const int bx0 = std::max(0, int(std::floor((anchorX + cx - r) * ss)));
        const int bx1 = std::min(sw - 1, int(std::ceil((anchorX + cx + r) * ss)));
        const int by0 = std::max(0, int(std::floor((anchorY + cy - r) * ss)));
        const int by1 = std::min(sh - 1, int(std::ceil((anchorY + cy + r) * ss)));
        for (int sy = by0; sy <= by1; ++sy)
            for (int sx = bx0; sx <= bx1; ++sx) {
                const double t = Intersect(p, rayOrigin(sx, sy), dir);
                const size_t k = size_t(sy) * sw + sx;
                if (t > 0 && t < depth[k]) {
                    depth[k] = float(t);
                    owner[k] = int16_t(i);
                }
            }
    }

    std::vector<uint8_t> covered(size_t(w) * h, 0);
    int drawn = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            TColour sum;
            int n = 0;
            for (int j = 0; j < ss; ++j)
                for (int i = 0; i < ss; ++i) {
                    const int sx = x * ss + i, sy = y * ss + j;
                    const size_t k = size_t(sy) * sw + sx;
                    if (owner[k] < 0) continue;
                    const V3 hit = rayOrigin(sx, sy) + dir * depth[k];
                    sum = sum + Shade(scene.Prims[owner[k]], size_t(owner[k]), hit, toEye, view);
                    ++n;
                }
            // Colour-keyed sprites have no partial pixels: half a pixel covered counts as covered.
            if (n * 2 >= ss * ss) {
                TRgb c = ToRgb(sum * (1.0 / n));
                if (c == KeyColour) c = TRgb(254, 0, 254);
                img.Set(x0 + x, y0 + y, c);
                covered[size_t(y) * w + x] = 1;
                ++drawn;
            }
        }
    if (view.Outline)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (covered[size_t(y) * w + x]) continue;
                const bool edge =
                    (x > 0 && covered[size_t(y) * w + x - 1]) || (x + 1 < w && covered[size_t(y) * w + x + 1]) ||
                    (y > 0 && covered[size_t(y - 1) * w + x]) || (y + 1 < h && covered[size_t(y + 1) * w + x]);
                if (edge) img.Set(x0 + x, y0 + y, view.OutlineColour);
            }
    return drawn;
}

void RenderShadow(const TScene& scene, const TView& view, const V3& towardsLight, TImage& img, int x0, int y0, int w,
                  int h, double anchorX, double anchorY, TRgb colour) {
    const double se = std::sin(view.Elevation);
    const V3 d = Normal(towardsLight);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int hits = 0;
            for (int j = 0; j < 2; ++j)
                for (int i = 0; i < 2; ++i) {
                    const double u = (x + 0.25 + 0.5 * i - anchorX) / view.Scale;
                    const double v = (y + 0.25 + 0.5 * j - anchorY) / view.Scale;
                    const V3 ground{u, v / se, 0.0};
                    int prim;
                    if (scene.Trace(ground - d * 0.01, d, prim) > 0) ++hits;
                }
            if (hits >= 2) img.Set(x0 + x, y0 + y, colour);
        }
}

TSurface Material(uint32_t hex, double spec, double grain, double rust, double glossyShininess) {
    TSurface s;
    s.Colour = Hex(hex);
    s.Specular = spec;
    s.Shininess = spec > 0.2 ? glossyShininess : 8;
    s.Grain = grain;
    s.Rust = rust;
    return s;
}

TSurface Glow(uint32_t hex) {
    TSurface s;
    s.Colour = Hex(hex);
    s.Emissive = 1;
    return s;
}

}  // namespace demogen
