#pragma once
// A tiny ray caster for sprites: figures, objects and portraits are built
// from ellipsoids, capsules, cylinders and boxes and seen by an orthographic
// camera from the south, raised by the view's elevation. Tile space: x east,
// y south, z up; one unit is one screen pixel across.
#include <cmath>
#include <vector>

#include "Image.h"
#include "Math.h"

namespace demogen {

struct V3 {
    double X = 0, Y = 0, Z = 0;
    V3 operator+(const V3& o) const { return {X + o.X, Y + o.Y, Z + o.Z}; }
    V3 operator-(const V3& o) const { return {X - o.X, Y - o.Y, Z - o.Z}; }
    V3 operator*(double k) const { return {X * k, Y * k, Z * k}; }
    V3 operator-() const { return {-X, -Y, -Z}; }
};
inline double Dot(const V3& a, const V3& b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}
inline V3 Cross(const V3& a, const V3& b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}
inline double Length(const V3& a) {
    return std::sqrt(Dot(a, a));
}
inline V3 Normal(const V3& a) {
    const double l = Length(a);
    return l > 1e-12 ? a * (1.0 / l) : V3{0, 0, 1};
}
inline V3 Lerp(const V3& a, const V3& b, double t) {
    return a + (b - a) * t;
}

// An orthonormal frame: the local x, y and z axes in world coordinates.
struct TFrame {
    V3 X{1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1};
    V3 ToWorld(const V3& l) const { return X * l.X + Y * l.Y + Z * l.Z; }
    V3 ToLocal(const V3& w) const { return {Dot(w, X), Dot(w, Y), Dot(w, Z)}; }
    // A frame whose y axis points along dir, x stays as level as possible.
    static TFrame Along(const V3& dir, const V3& upHint = {0, 0, 1});
};

struct TSurface {
    TColour Colour;
    double Specular = 0.08;  // highlight strength
    double Shininess = 10;
    double Grain = 0.12;  // noise in brightness
    double Rust = 0;      // share of rust patches (0..1)
    double Emissive = 0;  // 1 = drawn at its own colour, unlit
    double Scale = 0.35;  // noise frequency
};

// A lit material; glossy ones (specular above 0.2) get a tight highlight.
TSurface Material(uint32_t hex, double spec, double grain, double rust, double glossyShininess);
// A material drawn at its own colour, unlit (lamps, screens, flames).
TSurface Glow(uint32_t hex);

struct TPrim {
    enum TKind { Ellipsoid, Capsule, Cylinder, Box } Kind;
    V3 A, B;  // capsule, cylinder: axis ends
    double R = 0;
    V3 Centre;  // ellipsoid, box
    TFrame Axes;
    V3 Size;  // ellipsoid radii, box half sizes
    TSurface Surface;
    V3 BoundCentre;
    double BoundRadius = 0;
};

class TScene {
public:
    std::vector<TPrim> Prims;
    void Capsule(V3 a, V3 b, double r, const TSurface& s);
    void Cylinder(V3 a, V3 b, double r, const TSurface& s);
    void Ellipsoid(V3 c, const TFrame& axes, V3 radii, const TSurface& s);
    void Sphere(V3 c, double r, const TSurface& s) { Ellipsoid(c, TFrame{}, {r, r, r}, s); }
    void Box(V3 c, const TFrame& axes, V3 half, const TSurface& s);
    // The first hit along a ray: distance (or -1) and the primitive.
    double Trace(const V3& o, const V3& d, int& prim) const;
};

struct TView {
    double Elevation = 35 * Deg;  // camera height angle above the ground
    double Scale = 1.0;           // pixels per unit
    int Supersample = 3;
    bool Outline = true;
    TRgb OutlineColour{28, 20, 16};
    V3 Light = Normal(V3{-0.55, 0.5, 0.7});  // towards the light: west, south, up
    double Ambient = 0.38;
    uint32_t Seed = 1;
};

// Projection of a world point to the picture, relative to the anchor (world origin).
inline void Project(const TView& v, const V3& p, double& sx, double& sy) {
    sx = p.X * v.Scale;
    sy = (p.Y * std::sin(v.Elevation) - p.Z * std::cos(v.Elevation)) * v.Scale;
}

// Draws the scene into the rectangle (x0, y0, w, h) of img with the world
// origin at (x0 + anchorX, y0 + anchorY). Pixels the scene does not cover
// keep their colour. Returns the number of pixels drawn.
int RenderScene(const TScene& scene, const TView& view, TImage& img, int x0, int y0, int w, int h, double anchorX,
                double anchorY);

// Draws the shadow the scene casts on the ground (z = 0) along the direction
// towards the light, in one flat colour, into the same kind of rectangle.
void RenderShadow(const TScene& scene, const TView& view, const V3& towardsLight, TImage& img, int x0, int y0, int w,
                  int h, double anchorX, double anchorY, TRgb colour);

}  // namespace demogen
