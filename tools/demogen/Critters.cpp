// Critter animation sheets: a small 3D figure (legs, body, arms, head, gun)
// is posed for every frame and direction and ray-cast into the sheet, with
// its cast shadow drawn into the matching _shadow sheet.
#include <algorithm>
#include <string>

#include "Catalogue.h"
#include "DemoGen.h"
#include "Render3D.h"

namespace demogen {

namespace {

// What a skin wears and carries.
struct TLook {
    TSurface Body, Armour, Legs, Boots, Skin, Head, Visor, Gun, Pack, Extra;
    enum { Metal, Raider, Nomad } Kind;
};

TSurface Mat(uint32_t hex, double spec = 0.06, double grain = 0.12, double rust = 0) {
    return Material(hex, spec, grain, rust, 18);
}


TLook LookOf(std::string_view skin) {
    TLook l;
    if (skin == "raider") {
        l.Kind = TLook::Raider;
        l.Body = Mat(0x5A3A22, 0.1, 0.2);           // leather jacket
        l.Armour = Mat(0x8A8780, 0.45, 0.15, 0.5);  // scrap shoulder plate
        l.Legs = Mat(0x4E4A3A, 0.03, 0.15);
        l.Boots = Mat(0x2A211B, 0.1);
        l.Skin = Mat(0xB07A58, 0.08, 0.08);
        l.Head = Mat(0xC0392B, 0.05, 0.2);   // mohawk
        l.Visor = Mat(0x1C2A2E, 0.6, 0.05);  // goggles
        l.Gun = Mat(0x3A3633, 0.35, 0.1, 0.3);
        l.Pack = Mat(0x6B5B3E, 0.03, 0.2);
        l.Extra = Mat(0xD8D0C0, 0.3, 0.05);  // spikes
    } else if (skin == "radioman") {
        l.Kind = TLook::Nomad;  // the town's radio man: a field jacket and a red bandana
        l.Body = Mat(0x4E5A46, 0.04, 0.18);
        l.Armour = Mat(0x806A3A, 0.03, 0.2);
        l.Legs = Mat(0x3E3A30, 0.02, 0.15);
        l.Boots = Mat(0x2B231C, 0.08);
        l.Skin = Mat(0xC89474, 0.06, 0.08);
        l.Head = Mat(0xA8302A, 0.03, 0.25);
        l.Visor = Mat(0x806A3A, 0.5, 0.1);
        l.Gun = Mat(0x3A3633, 0.3, 0.1, 0.2);
        l.Pack = Mat(0x4A4A44, 0.2, 0.15, 0.3);
        l.Extra = Mat(0x2E2A26, 0.05);
    } else if (skin == "nomad") {
        l.Kind = TLook::Nomad;
        l.Body = Mat(0xB59B72, 0.02, 0.18);   // sand robe
        l.Armour = Mat(0x8C7450, 0.03, 0.2);  // scarf
        l.Legs = Mat(0x7D6A4C, 0.02, 0.15);
        l.Boots = Mat(0x3B2E22, 0.08);
        l.Skin = Mat(0x9A6E4E, 0.06, 0.08);
        l.Head = Mat(0xA88F66, 0.02, 0.18);    // hood
        l.Visor = Mat(0x3F7F8C, 0.7, 0.05);    // glinting goggles
        l.Gun = Mat(0x4A3B2C, 0.2, 0.2, 0.2);  // long rifle with a wooden stock
        l.Pack = Mat(0x5E4E38, 0.03, 0.2);
        l.Extra = Mat(0x2E2A26, 0.05);
    } else {
        l.Kind = TLook::Metal;
        l.Body = Mat(0x5C6168, 0.15, 0.15);        // padded suit
        l.Armour = Mat(0xB0703E, 0.5, 0.2, 0.45);  // rusty plates
        l.Legs = Mat(0x50545A, 0.12, 0.15);
        l.Boots = Mat(0x2E2C2A, 0.25);
        l.Skin = Mat(0x3A3836, 0.12, 0.15);      // gloves
        l.Head = Mat(0xA86A3C, 0.55, 0.2, 0.4);  // helmet
        l.Visor = Glow(0xFF6A1A);
        l.Gun = Mat(0x50555C, 0.5, 0.08, 0.15);
        l.Pack = Mat(0x5A5048, 0.25, 0.2, 0.4);
        l.Extra = Mat(0xC8A040, 0.5, 0.1);
    }
    return l;
}

// One frame's pose.
struct TPose {
    double Bearing = 0;     // facing, radians clockwise from north
    double Phase = 0;       // walk cycle, radians
    double Stride = 0;      // foot swing, units
    double Bob = 0;         // body height change
    bool Shoulder = false;  // gun raised to the shoulder (firing)
    double Recoil = 0;
    int Flash = 0;     // 0 none, 1 or 2 muzzle flash shapes
    double Fall = 0;   // 0 standing .. 1 lying on the back
    double Knees = 0;  // extra knee bend while collapsing
    double Blood = 0;  // radius of the pool under a corpse
    double Breath = 0;
};

// Elbow or knee of a two-bone limb from its root to its end, bending towards hint.
V3 Joint(const V3& root, const V3& end, double l1, double l2, const V3& hint) {
    V3 d = end - root;
    double dist = std::clamp(Length(d), 0.01, l1 + l2 - 0.05);
    const V3 dir = Normal(d);
    const double a = (l1 * l1 - l2 * l2 + dist * dist) / (2 * dist);
    const double h = std::sqrt(std::max(0.0, l1 * l1 - a * a));
    const V3 perp = Normal(hint - dir * Dot(hint, dir));
    return root + dir * a + perp * h;
}

// Builds the figure in its own frame (x right, y forward, z up), then places it.
void BuildFigure(TScene& scene, const TLook& look, const TPose& pose) {
    TScene local;
    const double bob = pose.Bob;
    const double hipZ = 29 + bob - pose.Knees * 7;

    // Legs: feet swing forward and back in turn, lifting while they move forward.
    V3 feet[2];
    for (int s = 0; s < 2; ++s) {
        const double side = s == 0 ? -1 : 1;
        const double ph = pose.Phase + (s == 0 ? 0 : Pi);
        const double fwd = pose.Stride * std::sin(ph);
        const double lift = pose.Stride > 0 ? 3.5 * std::max(0.0, std::cos(ph)) : 0;
        const V3 hip{side * 4, -pose.Recoil * 0.3, hipZ};
        const V3 ankle{side * 4.3, fwd + pose.Knees * 2, 3.2 + lift};
        const V3 knee = Joint(hip, ankle, 13.2, 13.2, V3{0, 1, 0});
        local.Capsule(hip, knee, 3.7, look.Legs);
        local.Capsule(knee, ankle, 3.1, look.Legs);
        local.Capsule(ankle + V3{0, -1.2, -0.6}, ankle + V3{0, 3.6, -0.9}, 2.6, look.Boots);
        if (look.Kind == TLook::Metal) local.Sphere(knee + V3{0, 1.6, 0}, 2.6, look.Armour);  // knee guards
        feet[s] = ankle;
    }

    const double lean = -pose.Recoil * 0.8;
    const V3 pelvis{0, lean * 0.3, hipZ + 1.5};
    const V3 chest{0, lean, hipZ + 12 + pose.Breath};
    const TFrame upright;
    local.Ellipsoid(pelvis, upright, {6.8, 4.6, 4.5}, look.Legs);
    if (look.Kind == TLook::Nomad) {
        // A robe hanging from the shoulders to the knees.
        local.Ellipsoid(pelvis + V3{0, 0, 1}, upright, {8.2, 6.2, 11}, look.Body);
        local.Ellipsoid(chest, upright, {8.2, 5.6, 8.2}, look.Body);
        local.Ellipsoid(chest + V3{0, 0.5, 6.5}, upright, {6.5, 5.0, 2.8}, look.Armour);  // scarf
    } else {
        local.Ellipsoid(V3{0, lean * 0.6, hipZ + 6}, upright, {6.6, 4.6, 5.5}, look.Body);
        local.Ellipsoid(chest, upright, {8.4, 5.4, 8.0}, look.Body);
    }
    if (look.Kind == TLook::Metal) {
        local.Ellipsoid(chest + V3{0, 1.2, 0.5}, upright, {7.6, 5.0, 7.2}, look.Armour);  // breastplate
        local.Box(chest + V3{0, 5.6, -1.5}, upright, {2.8, 0.9, 2.0}, look.Extra);        // chest lamp plate
    }
    if (look.Kind == TLook::Raider) local.Box(pelvis + V3{0, 0.8, 2.6}, upright, {7.0, 5.0, 0.9}, look.Extra);  // belt

    // Back pack: tells the back from the front at a glance.
    local.Box(chest + V3{0, -6.8, 0}, upright, {5.6, 2.4, 6.2}, look.Pack);
    if (look.Kind == TLook::Metal) {
        local.Cylinder(chest + V3{-3, -8.5, -5}, chest + V3{-3, -8.5, 6}, 1.6, look.Armour);  // air tank
    }

    // Head.
    const V3 neck = chest + V3{0, 0.3, 8.5};
    const V3 head = neck + V3{0, 0.6, 4.6};
    local.Capsule(neck, neck + V3{0, 0, 2}, 2.4, look.Skin);
    switch (look.Kind) {
        case TLook::Metal:
            local.Ellipsoid(head + V3{0, -0.3, 0.6}, upright, {5.2, 5.6, 5.3}, look.Head);
            local.Box(head + V3{0, 4.7, 0.2}, upright, {3.8, 0.8, 1.1}, look.Visor);
            local.Capsule(head + V3{-2.5, 3.5, -2.8}, head + V3{2.5, 3.5, -2.8}, 1.3, look.Armour);  // jaw guard
            break;
        case TLook::Raider:
            local.Sphere(head, 4.5, look.Skin);
            for (int k = 0; k < 4; ++k)  // mohawk from brow to nape
                local.Capsule(head + V3{0, 2.5 - 2.2 * k, 4.2 - 0.4 * k}, head + V3{0, 1.8 - 2.2 * k, 6.2 - 0.5 * k},
                              1.0, look.Head);
            local.Sphere(head + V3{-1.9, 3.7, 0.9}, 1.5, look.Visor);
            local.Sphere(head + V3{1.9, 3.7, 0.9}, 1.5, look.Visor);
            local.Capsule(head + V3{-4.3, 0, 0.9}, head + V3{4.3, 0, 0.9}, 0.6, look.Boots);  // strap
            break;
        case TLook::Nomad:
            local.Ellipsoid(head + V3{0, -0.6, 0.7}, upright, {5.4, 5.8, 5.6}, look.Head);   // hood
            local.Ellipsoid(head + V3{0, 1.3, -0.6}, upright, {4.0, 4.0, 4.2}, look.Extra);  // face wrap
            local.Sphere(head + V3{-1.8, 4.3, 0.6}, 1.3, look.Visor);
            local.Sphere(head + V3{1.8, 4.3, 0.6}, 1.3, look.Visor);
            break;
    }

    // The gun and where the hands hold it.
    V3 grip, gunDir;
    if (pose.Shoulder) {
        grip = V3{2.6, 6 - pose.Recoil * 1.5, hipZ + 14.5};
        gunDir = {0, 1, 0};
    } else {
        grip = V3{3.4, 5.8 + lean, hipZ + 6 + pose.Breath};
        gunDir = Normal(V3{-0.35, 1, -0.45});
    }
    const TFrame gf = TFrame::Along(gunDir);

    // Arms reach from the shoulders to the gun; while falling they drop to the sides.
    for (int s = 0; s < 2; ++s) {
        const double side = s == 0 ? -1 : 1;
        const V3 shoulder = chest + V3{side * 8.2, 0, 5.2};
        V3 hand = s == 1 ? grip + gunDir * -0.5 + V3{0.6, 0, -0.4} : grip + gunDir * 9 + gf.Z * -1.2;
        if (pose.Fall > 0) {
            const double k = std::clamp(pose.Fall * 1.6, 0.0, 1.0);
            hand = Lerp(hand, shoulder + V3{side * 11, -1, -5}, k);
        }
        const V3 elbow = Joint(shoulder, hand, 10.5, 10.5, V3{side * 1.2, -0.6, -1});
        local.Capsule(shoulder, elbow, 2.7, look.Body);
        local.Capsule(elbow, hand, 2.4, look.Kind == TLook::Raider ? look.Skin : look.Body);
        local.Sphere(hand, 2.1, look.Kind == TLook::Metal ? look.Skin : look.Boots);
        if (look.Kind == TLook::Metal) local.Sphere(shoulder + V3{0, 0, 0.6}, 4.3, look.Armour);
        if (look.Kind == TLook::Raider && s == 0) {
            local.Sphere(shoulder + V3{0, 0, 0.8}, 4.2, look.Armour);
            for (int k = 0; k < 3; ++k)
                local.Capsule(shoulder + V3{-2.5, -1.5 + 1.6 * k, 2.5}, shoulder + V3{-5.5, -1.5 + 1.6 * k, 6.5}, 0.55,
                              look.Extra);
        }
    }

    // Dying: the whole body tips over backwards (a little to the side, so the
    // corpse never lies straight along the line of sight) about the feet, and
    // slides so that it lies centred on its tile.
    const double phi = pose.Fall * 90 * Deg;
    const V3 axis = Normal(V3{std::cos(35 * Deg), std::sin(35 * Deg), 0});
    const V3 headWay = Cross(axis, V3{0, 0, 1});
    const V3 slide = headWay * (-30 * std::sin(phi));
    auto rotate = [&](const V3& v) {
        return v * std::cos(phi) + Cross(axis, v) * std::sin(phi) + axis * (Dot(axis, v) * (1 - std::cos(phi)));
    };
    auto fall = [&](V3 p) {
        if (pose.Fall <= 0) return p;
        const V3 r = rotate(p) + slide;
        return V3{r.X, r.Y, r.Z + 4.2 * std::sin(phi) * std::min(1.0, p.Z / 20)};
    };
    const TFrame fallFrame{rotate({1, 0, 0}), rotate({0, 1, 0}), rotate({0, 0, 1})};

    // The gun is placed after the fall: it slips from the hands and ends flat
    // on the ground beside the body instead of turning with it.
    TScene post;
    V3 gunAt = fall(grip), gunAim = pose.Fall > 0 ? fallFrame.ToWorld(gunDir) : gunDir;
    if (pose.Fall > 0) {
        const double k = std::clamp((pose.Fall - 0.2) / 0.6, 0.0, 1.0);
        gunAt = Lerp(gunAt, V3{12, 6, 1.4}, k);
        gunAim = Normal(Lerp(gunAim, Normal(V3{0.35, 1, 0}), k));
    }
    const TFrame gw = TFrame::Along(gunAim);
    const bool longGun = look.Kind == TLook::Nomad;
    const double barrelEnd = longGun ? 26 : 20;
    post.Box(gunAt + gunAim * 4, gw, {1.3, 8.5, 1.9}, look.Gun);
    post.Box(gunAt + gunAim * -5.5 + gw.Z * -0.8, gw, {1.1, 3.2, 2.2}, longGun ? look.Pack : look.Gun);  // stock
    post.Box(gunAt + gunAim * 5 + gw.Z * -3.2, gw, {0.8, 1.3, 2.0}, look.Gun);                           // magazine
    post.Cylinder(gunAt + gunAim * 12, gunAt + gunAim * barrelEnd, 0.8, look.Gun);
    if (pose.Flash) {
        const V3 muzzle = gunAt + gunAim * (barrelEnd + 0.5);
        post.Ellipsoid(muzzle + gunAim * 3, gw, {1.8, 4.5, 1.8}, Glow(0xFFB030));
        post.Sphere(muzzle + gunAim * 1.2, pose.Flash == 1 ? 2.4 : 2.0, Glow(0xFFF4C0));
        const double a = pose.Flash == 1 ? 0.9 : 0.4;
        post.Ellipsoid(muzzle + gunAim * 1.5, TFrame::Along(gunAim * std::cos(a) + gw.X * std::sin(a)), {0.7, 3.5, 0.7},
                       Glow(0xFFD060));
        post.Ellipsoid(muzzle + gunAim * 1.5, TFrame::Along(gunAim * std::cos(a) - gw.X * std::sin(a)), {0.7, 3.5, 0.7},
                       Glow(0xFFD060));
    }
    if (pose.Blood > 0) {
        TSurface blood = Mat(0x5A0A08, 0.5, 0.2);
        blood.Shininess = 30;
        post.Ellipsoid(headWay * 14 + V3{0, 0, 0.3}, TFrame{}, {pose.Blood * 1.4, pose.Blood * 1.2, 0.5}, blood);
    }

    // Into the world: turn to the bearing (x east, y south).
    const V3 fwd{std::sin(pose.Bearing), -std::cos(pose.Bearing), 0};
    const V3 right{std::cos(pose.Bearing), std::sin(pose.Bearing), 0};
    const TFrame yaw{right, fwd, {0, 0, 1}};
    auto place = [&](TPrim p, bool fallen) {
        auto at = [&](const V3& v) { return yaw.ToWorld(fallen ? fall(v) : v); };
        auto turn = [&](const V3& dir) {
            return yaw.ToWorld(fallen && pose.Fall > 0 ? fallFrame.ToWorld(dir) : dir);
        };
        p.A = at(p.A);
        p.B = at(p.B);
        p.Centre = at(p.Centre);
        p.BoundCentre = at(p.BoundCentre);
        p.Axes = {turn(p.Axes.X), turn(p.Axes.Y), turn(p.Axes.Z)};
        scene.Prims.push_back(p);
    };
    for (const TPrim& p : local.Prims) place(p, true);
    for (const TPrim& p : post.Prims) place(p, false);
}

TPose PoseFor(std::string_view state, int frame, int frames, double bearing) {
    TPose p;
    p.Bearing = bearing;
    const double t = double(frame) / frames;
    if (state == "idle") {
        p.Breath = 0.6 * std::sin(t * 2 * Pi);
    } else if (state == "walk") {
        p.Phase = t * 2 * Pi;
        p.Stride = 7.5;
        p.Bob = -1.0 * std::fabs(std::sin(p.Phase)) + 0.5;
    } else if (state == "fire") {
        p.Shoulder = true;
        p.Flash = frame == 1 ? 1 : frame == 3 ? 2 : 0;
        p.Recoil = p.Flash ? 1.0 : 0;
    } else {  // death: the first frames double as the flinch of a hit
        static const double fall[8] = {0.04, 0.10, 0.16, 0.30, 0.52, 0.78, 0.96, 1.0};
        static const double knees[8] = {0, 0.08, 0.15, 0.4, 0.55, 0.45, 0.15, 0.0};
        static const double blood[8] = {0, 0, 0, 0, 0, 0, 8, 12};
        const int k = std::min(frame * 8 / frames, 7);
        p.Fall = fall[k];
        p.Knees = knees[k];
        p.Blood = blood[k];
        p.Recoil = frame < 3 ? 1.5 : 0;
    }
    return p;
}

}  // namespace

void WriteCritters(const TOutput& out) {
    TView view;
    view.Seed = 77;
    const V3 towardsSun = Normal(V3{-0.45, -0.25, 1.0});  // shadows fall to the east, a little south
    const TRgb shadowColour{12, 10, 8};
    for (auto skin : Skins) {
        const TLook look = LookOf(skin);
        for (auto& set : AnimSets) {
            TImage body(set.Width * set.Frames, set.Height * set.Rows, KeyColour);
            TImage shadow(body.Width(), body.Height(), KeyColour);
            const double ax = set.OffX + 10, ay = set.OffY + 5;
            for (int row = 0; row < set.Rows; ++row) {
                const double bearing = (-45.0 + 360.0 / set.Rows * row) * Deg;
                for (int f = 0; f < set.Frames; ++f) {
                    TScene scene;
                    BuildFigure(scene, look, PoseFor(set.State, f, set.Frames, bearing));
                    const int x0 = f * set.Width, y0 = row * set.Height;
                    RenderShadow(scene, view, towardsSun, shadow, x0, y0, set.Width, set.Height, ax, ay, shadowColour);
                    // A soft round patch under the feet grounds the figure.
                    for (int y = 0; y < set.Height; ++y)
                        for (int x = 0; x < set.Width; ++x) {
                            const double dx = (x + 0.5 - ax) / 10.0, dy = (y + 0.5 - ay) / 4.5;
                            if (dx * dx + dy * dy <= 1) shadow.Set(x0 + x, y0 + y, shadowColour);
                        }
                    RenderScene(scene, view, body, x0, y0, set.Width, set.Height, ax, ay);
                }
            }
            // The game takes the colour key from pixel (0, 0).
            body.Set(0, 0, KeyColour);
            shadow.Set(0, 0, KeyColour);
            const std::string name = std::string(skin) + "_" + std::string(set.State);
            out.WriteBmp("data/Images/Critters/" + name + ".bmp", body);
            out.WriteBmp("data/Images/Critters/" + name + "_shadow.bmp", shadow);
        }
    }
}

}  // namespace demogen
