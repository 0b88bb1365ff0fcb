// Drawing and picking of the draw list: the sprites of the game screen.
#include "app/MainForm.h"
#include "base/Text.h"
#include "critters/Critter.h"
#include "world/Obj.h"

namespace {
struct TObjBox {
    int Left, Top, Right, Bottom;
};

// Centred on the tile's middle, standing 10 pixels below the tile's bottom.
TObjBox ObjectBox(const tObj& o, int w, int h, int scrollX, int scrollY) {
    int cx = o.X * 20 + scrollX + o.OffsetX + 10;
    int bottom = o.Y * 10 + scrollY + o.OffsetY + 20;
    return {cx - w / 2, bottom - h, cx + w / 2, bottom};
}
}  // namespace

void tObjHandler::Draw() {
    TMainForm& g = Game;
    for (const TDrawEntry& e : Entries) {
        if (e.Kind == KindObject) {
            const tObj* o = g.World.Object(e.Index);
            if (!o || o->Invisible || !g.DXIL.Valid(o->ImageIndex)) continue;
            const TImageItem& item = g.DXIL.Item(o->ImageIndex);
            TObjBox b = ObjectBox(*o, item.PatW(), item.PatH(), g.View.ScrollX, g.View.ScrollY);
            if (o->Alpha == 255 && !o->PlayOnce)
                g.DXDraw.Draw(item, b.Left, b.Top, o->Frame);
            else
                g.DXDraw.DrawAlpha(item, TRect{b.Left, b.Top, b.Right, b.Bottom}, o->Frame,
                                   o->Alpha == 255 ? 255 - o->Frame * 24 : o->Alpha);
        } else {
            const tCritter* c = g.World.Critter(e.Index);
            if (!c || c->Invisible) continue;
            int sx = RoundEven(g.View.ScrollX + c->PixelX), sy = RoundEven(g.View.ScrollY + c->PixelY);
            if (c->ShadowIndex != -1 && g.DXIL.Valid(c->ShadowIndex)) {
                const TImageItem& shadow = g.DXIL.Item(c->ShadowIndex);
                g.DXDraw.DrawAlpha(shadow, TRect{sx, sy, sx + shadow.PatternWidth, sy + shadow.PatternHeight},
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
            if (x < b.Left || x >= b.Right || y < b.Top || y >= b.Bottom) continue;
            const TBitmap& pic = g.DXIL.Item(o->ImageIndex).Picture;
            int px = o->Frame * o->FrameWidth + (x - b.Left), py = y - b.Top;
            if (px < pic.Width() && py < pic.Height() && (pic.Pixel(px, py) & 0xFFFFFF) == screen) return e.Index;
        } else {
            const tCritter* c = g.World.Critter(e.Index);
            if (!c || c->Disabled || !g.DXIL.Valid(c->ImageIndex)) continue;
            kind = KindCritter;
            int left = RoundEven(c->PixelX) + g.View.ScrollX, top = RoundEven(c->PixelY) + g.View.ScrollY;
            if (x < left || x >= left + c->FrameWidth || y < top || y >= top + c->FrameHeight) continue;
            const TBitmap& pic = g.DXIL.Item(c->ImageIndex).Picture;
            int px = c->CycleFrame * c->FrameWidth + (x - left), py = c->Direction * c->FrameHeight + (y - top);
            if (px < pic.Width() && py < pic.Height() && (pic.Pixel(px, py) & 0xFFFFFF) == screen) return e.Index;
        }
    }
    return -1;
}
