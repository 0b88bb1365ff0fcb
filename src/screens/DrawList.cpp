// Drawing and picking of the draw list: the sprites of the game screen.
#include <algorithm>

#include "app/MainForm.h"
#include "base/SafeMath.h"
#include "base/Text.h"
#include "critters/Critter.h"
#include "world/Obj.h"

namespace {
// Wide, so that positions and offsets from a location file cannot overflow.
struct TObjBox {
    int64_t Left, Top, Right, Bottom;
};

// Centred on the tile's middle, standing 10 pixels below the tile's bottom.
TObjBox ObjectBox(const tObj& o, int w, int h, int scrollX, int scrollY) {
    int64_t cx = int64_t(o.X) * 20 + scrollX + o.OffsetX + 10;
    int64_t bottom = int64_t(o.Y) * 10 + scrollY + o.OffsetY + 20;
    return {cx - w / 2, bottom - h, cx + w / 2, bottom};
}

bool Outside(int x, int y, int64_t left, int64_t top, int64_t right, int64_t bottom) {
    return x < left || x >= right || y < top || y >= bottom;
}

// Whether the picture's pixel (px, py) is what the screen shows; a pixel left of or above the picture reads 0.
bool PixelMatches(const TBitmap& pic, int64_t px, int64_t py, TColor screen) {
    if (px >= pic.Width() || py >= pic.Height()) return false;
    return (pic.Pixel(int(std::max<int64_t>(px, -1)), int(std::max<int64_t>(py, -1))) & 0xFFFFFF) == screen;
}
}  // namespace

void tObjHandler::Draw() {
    TMainForm& g = Game;
    for (const TDrawEntry& e : Entries) {
        if (e.Kind == KindObject) {
            const tObj* o = g.World.Object(e.Index);
            if (!o || o->Invisible || !g.DXIL.Valid(o->ImageIndex)) continue;
            const TImageItem& item = g.DXIL.Item(o->ImageIndex);
            const int w = item.PatW(), h = item.PatH();
            TObjBox b = ObjectBox(*o, w, h, g.View.ScrollX, g.View.ScrollY);
            // Most of a crowded location is off the screen: nothing of it would be drawn.
            if (b.Left >= TSurface::ScreenWidth || b.Top >= TSurface::ScreenHeight || b.Left + w <= 0 || b.Bottom <= 0)
                continue;
            if (o->Alpha == 255 && !o->PlayOnce)
                g.DXDraw.Draw(item, ClampScreen(b.Left), ClampScreen(b.Top), o->Frame);
            else
                g.DXDraw.DrawAlpha(item,
                                   TRect{ClampScreen(b.Left), ClampScreen(b.Top), ClampScreen(b.Right),
                                         ClampScreen(b.Bottom)},
                                   o->Frame,
                                   o->Alpha == 255 ? 255 - o->Frame * 24 : o->Alpha);
        } else {
            const tCritter* c = g.World.Critter(e.Index);
            if (!c || c->Invisible) continue;
            const int sx = ClampScreen(double(RoundEven(g.View.ScrollX + c->PixelX)));
            const int sy = ClampScreen(double(RoundEven(g.View.ScrollY + c->PixelY)));
            if (sx >= TSurface::ScreenWidth || sy >= TSurface::ScreenHeight) continue;
            if (c->ShadowIndex != -1 && g.DXIL.Valid(c->ShadowIndex)) {
                const TImageItem& shadow = g.DXIL.Item(c->ShadowIndex);
                g.DXDraw.DrawAlpha(shadow,
                                   TRect{sx, sy, ClampScreen(int64_t(sx) + shadow.PatternWidth),
                                         ClampScreen(int64_t(sy) + shadow.PatternHeight)},
                                   c->CurrentFrame, 120);
            }
            if (c->ImageIndex != -1 && g.DXIL.Valid(c->ImageIndex))
                g.DXDraw.Draw(g.DXIL.Item(c->ImageIndex), sx, sy, c->CurrentFrame);
        }
    }
}

int32_t tObjHandler::Pick(int x, int y, int32_t& kind) {
    TMainForm& g = Game;
    TColor screen = g.DXDraw.PixelRead(x, y) & 0xFFFFFF;
    for (const TDrawEntry& e : Entries) {
        if (e.Kind == KindObject) {
            const tObj* o = g.World.Object(e.Index);
            if (!o || o->Disabled || !g.DXIL.Valid(o->ImageIndex)) continue;
            kind = KindObject;
            TObjBox b = ObjectBox(*o, o->FrameWidth, o->FrameHeight, g.View.ScrollX, g.View.ScrollY);
            if (Outside(x, y, b.Left, b.Top, b.Right, b.Bottom)) continue;
            const TBitmap& pic = g.DXIL.Item(o->ImageIndex).Picture;
            const int64_t px = int64_t(o->Frame) * o->FrameWidth + (x - b.Left), py = y - b.Top;
            if (PixelMatches(pic, px, py, screen)) return e.Index;
        } else {
            const tCritter* c = g.World.Critter(e.Index);
            if (!c || c->Disabled || !g.DXIL.Valid(c->ImageIndex)) continue;
            kind = KindCritter;
            const int64_t left = int64_t(RoundEven(c->PixelX)) + g.View.ScrollX;
            const int64_t top = int64_t(RoundEven(c->PixelY)) + g.View.ScrollY;
            if (Outside(x, y, left, top, left + c->FrameWidth, top + c->FrameHeight)) continue;
            const TBitmap& pic = g.DXIL.Item(c->ImageIndex).Picture;
            const int64_t px = int64_t(c->CycleFrame) * c->FrameWidth + (x - left);
            const int64_t py = int64_t(c->Direction) * c->FrameHeight + (y - top);
            if (PixelMatches(pic, px, py, screen)) return e.Index;
        }
    }
    return -1;
}
