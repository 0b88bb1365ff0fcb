#include "Image.h"

#include <algorithm>
#include <cmath>

namespace demogen {

TColour Hex(uint32_t rgb) {
    return {((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0};
}

TColour Mix(const TColour& a, const TColour& b, double t) {
    return a + (b - a) * t;
}

static int Channel(double v) {
    return std::clamp(int(std::lround(v * 255.0)), 0, 255);
}

TRgb ToRgb(const TColour& c) {
    return TRgb(Channel(c.R), Channel(c.G), Channel(c.B));
}

TColour ToColour(TRgb c) {
    return {c.R / 255.0, c.G / 255.0, c.B / 255.0};
}

TImage::TImage(int w, int h, TRgb fill) : W(w), H(h), Px(size_t(w) * h, fill) {}

void TImage::Blend(int x, int y, const TColour& c, double a) {
    if (!Inside(x, y) || a <= 0) return;
    if (HardEdges) {
        if (a < 0.5) return;
        a = 1;
    }
    if (a >= 1) {
        At(x, y) = ToRgb(c);
        return;
    }
    At(x, y) = ToRgb(Mix(ToColour(At(x, y)), c, a));
}

void TImage::Fill(TRgb c) {
    std::fill(Px.begin(), Px.end(), c);
}

void TImage::FillRect(int x0, int y0, int w, int h, TRgb c) {
    for (int y = std::max(0, y0); y < std::min(H, y0 + h); ++y)
        for (int x = std::max(0, x0); x < std::min(W, x0 + w); ++x) At(x, y) = c;
}

void TImage::BlendRect(int x0, int y0, int w, int h, const TColour& c, double a) {
    for (int y = std::max(0, y0); y < std::min(H, y0 + h); ++y)
        for (int x = std::max(0, x0); x < std::min(W, x0 + w); ++x) Blend(x, y, c, a);
}

void TImage::Paste(const TImage& src, int x, int y, const TRgb* skip) {
    for (int sy = 0; sy < src.H; ++sy)
        for (int sx = 0; sx < src.W; ++sx) {
            TRgb c = src.At(sx, sy);
            if (skip && c == *skip) continue;
            Set(x + sx, y + sy, c);
        }
}

static void Put16(std::string& s, uint32_t v) {
    s += char(v & 255);
    s += char((v >> 8) & 255);
}
static void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

std::string TImage::EncodeBmp() const {
    const uint32_t stride = (uint32_t(W) * 3 + 3) & ~3u;
    const uint32_t dataSize = stride * uint32_t(H);
    std::string s;
    s.reserve(54 + dataSize);
    s += "BM";
    Put32(s, 54 + dataSize);
    Put32(s, 0);
    Put32(s, 54);
    Put32(s, 40);  // BITMAPINFOHEADER
    Put32(s, uint32_t(W));
    Put32(s, uint32_t(H));
    Put16(s, 1);
    Put16(s, 24);
    Put32(s, 0);  // BI_RGB
    Put32(s, dataSize);
    Put32(s, 2835);  // 72 dpi
    Put32(s, 2835);
    Put32(s, 0);
    Put32(s, 0);
    for (int y = H - 1; y >= 0; --y) {
        const TRgb* row = &Px[size_t(y) * W];
        for (int x = 0; x < W; ++x) {
            s += char(row[x].B);
            s += char(row[x].G);
            s += char(row[x].R);
        }
        for (uint32_t p = uint32_t(W) * 3; p < stride; ++p) s += '\0';
    }
    return s;
}

void FillEllipse(TImage& img, double cx, double cy, double rx, double ry, const TColour& c, double alpha) {
    if (rx <= 0 || ry <= 0) return;
    const int x0 = int(std::floor(cx - rx - 1)), x1 = int(std::ceil(cx + rx + 1));
    const int y0 = int(std::floor(cy - ry - 1)), y1 = int(std::ceil(cy + ry + 1));
    const double rmin = std::min(rx, ry);
    for (int y = std::max(0, y0); y <= std::min(img.Height() - 1, y1); ++y)
        for (int x = std::max(0, x0); x <= std::min(img.Width() - 1, x1); ++x) {
            const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            const double d = std::sqrt(dx * dx + dy * dy);
            const double cover = std::clamp((1.0 - d) * rmin + 0.5, 0.0, 1.0);
            if (cover > 0) img.Blend(x, y, c, cover * alpha);
        }
}

static bool InsidePolygon(const std::vector<std::pair<double, double>>& p, double x, double y) {
    bool in = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        if ((p[i].second > y) != (p[j].second > y) &&
            x < (p[j].first - p[i].first) * (y - p[i].second) / (p[j].second - p[i].second) + p[i].first)
            in = !in;
    }
    return in;
}

void FillPolygon(TImage& img, const std::vector<std::pair<double, double>>& pts, const TColour& c, double alpha) {
    if (pts.size() < 3) return;
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
    for (auto& p : pts) {
        minX = std::min(minX, p.first);
        maxX = std::max(maxX, p.first);
        minY = std::min(minY, p.second);
        maxY = std::max(maxY, p.second);
    }
    for (int y = std::max(0, int(std::floor(minY))); y <= std::min(img.Height() - 1, int(std::ceil(maxY))); ++y)
        for (int x = std::max(0, int(std::floor(minX))); x <= std::min(img.Width() - 1, int(std::ceil(maxX))); ++x) {
            int n = 0;
            for (int sy = 0; sy < 3; ++sy)
                for (int sx = 0; sx < 3; ++sx) n += InsidePolygon(pts, x + (sx + 0.5) / 3.0, y + (sy + 0.5) / 3.0);
            if (n) img.Blend(x, y, c, alpha * n / 9.0);
        }
}

void DrawLine(TImage& img, double x0, double y0, double x1, double y1, double width, const TColour& c, double alpha) {
    const double r = width / 2;
    const int bx0 = int(std::floor(std::min(x0, x1) - r - 1)), bx1 = int(std::ceil(std::max(x0, x1) + r + 1));
    const int by0 = int(std::floor(std::min(y0, y1) - r - 1)), by1 = int(std::ceil(std::max(y0, y1) + r + 1));
    const double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    for (int y = std::max(0, by0); y <= std::min(img.Height() - 1, by1); ++y)
        for (int x = std::max(0, bx0); x <= std::min(img.Width() - 1, bx1); ++x) {
            const double px = x + 0.5 - x0, py = y + 0.5 - y0;
            const double t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0, 1.0) : 0.0;
            const double ex = px - t * dx, ey = py - t * dy;
            const double cover = std::clamp(r - std::sqrt(ex * ex + ey * ey) + 0.5, 0.0, 1.0);
            if (cover > 0) img.Blend(x, y, c, cover * alpha);
        }
}

void Bevel(TImage& img, int x0, int y0, int w, int h, const TColour& face, int depth, bool sunken) {
    const TColour light = Mix(face, Hex(0xFFF0D8), 0.35), dark = Mix(face, Hex(0x000000), 0.55);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int dl = x, dt = y, dr = w - 1 - x, db = h - 1 - y;
            const int m = std::min(std::min(dl, dt), std::min(dr, db));
            TColour c = face;
            if (m < depth) {
                const bool lit = (dl == m || dt == m) && !((dr == m && dr < dt) || (db == m && db < dl));
                c = (lit != sunken) ? light : dark;
            }
            img.Blend(x0 + x, y0 + y, c, 1.0);
        }
}

void Rivet(TImage& img, double cx, double cy, double r, const TColour& metal) {
    FillEllipse(img, cx + 0.6, cy + 0.8, r, r, Mix(metal, Hex(0x000000), 0.7), 0.8);
    FillEllipse(img, cx, cy, r, r, Mix(metal, Hex(0x000000), 0.15));
    FillEllipse(img, cx - r * 0.3, cy - r * 0.3, r * 0.45, r * 0.45, Mix(metal, Hex(0xFFFFFF), 0.45));
}

void AvoidKey(TImage& img, int x0, int y0, int w, int h) {
    for (int y = std::max(0, y0); y < std::min(img.Height(), y0 + h); ++y)
        for (int x = std::max(0, x0); x < std::min(img.Width(), x0 + w); ++x)
            if (img.At(x, y) == KeyColour) img.At(x, y) = TRgb(254, 0, 254);
}

}  // namespace demogen
