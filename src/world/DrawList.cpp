// The draw list: removal of finished objects, the row order, and drawing
// and picking the sprites of the game screen.
#include "world/DrawList.h"

#include "base/Text.h"
#include "critters/Critter.h"
#include "media/ImageList.h"
#include "media/Surface.h"
#include "world/Obj.h"
#include "world/World.h"

void tObjHandler::Rebuild() {
    TWorld& world = Game.World;
    TListControl& labels = world.ObjectLabels;
    for (size_t p = 0; p < world.Objects.size();) {
        if (!world.Objects[p] || !world.Objects[p]->PendingRemoval) {
            ++p;
            continue;
        }
        world.Objects[p]->Release();
        world.Objects.erase(world.Objects.begin() + std::ptrdiff_t(p));
        // Editor entry i belongs to object i; effect objects at the end have none.
        if (p < labels.Items.size()) {
            labels.Items.erase(labels.Items.begin() + std::ptrdiff_t(p));
            if (labels.ItemIndex > int(p) || labels.ItemIndex >= int(labels.Items.size())) --labels.ItemIndex;
        }
    }

    Entries.clear();
    Entries.reserve(world.Critters.size() + world.Objects.size());
    for (int i = 0; i < world.CritterCount(); ++i) Entries.push_back({KindCritter, i});
    for (int i = 0; i < world.ObjectCount(); ++i) Entries.push_back({KindObject, i});

    auto row = [&](const TDrawEntry& e) -> int32_t {
        if (e.Kind == KindCritter) {
            const tCritter* c = world.Critter(e.Index);
            return c ? c->Y : 0;
        }
        const tObj* o = world.Object(e.Index);
        return o ? o->Y : 0;
    };
    auto dead = [&](const TDrawEntry& e) {
        const tCritter* c = e.Kind == KindCritter ? world.Critter(e.Index) : nullptr;
        return c && c->State == csDead;
    };
    // A selection sort: dead critters go first so they are drawn under
    // everything, then rows from the top. It is not stable: the swaps decide
    // the order among equal rows, and overlapping figures show it.
    const int count = int(Entries.size());
    for (int i = 0; i + 1 < count; ++i) {
        int best = i;
        int32_t key = row(Entries[size_t(i)]);
        for (int k = i + 1; k < count; ++k) {
            if (dead(Entries[size_t(k)])) {
                best = k;
                break;
            }
            int32_t y = row(Entries[size_t(k)]);
            if (y < key) {
                best = k;
                key = y;
            }
        }
        std::swap(Entries[size_t(i)], Entries[size_t(best)]);
    }
}

namespace {
struct TObjBox {
    int Left, Top, Right, Bottom;
};

// Centred on the tile's middle, standing 10 pixels below the tile's bottom.
TObjBox ObjectBox(const tObj& o, int w, int h, int scrollX, int scrollY) {
    int cx = o.X * TileW + scrollX + o.OffsetX + TileW / 2;
    int bottom = o.Y * TileH + scrollY + o.OffsetY + 2 * TileH;
    return {cx - w / 2, bottom - h, cx + w / 2, bottom};
}
}  // namespace

void tObjHandler::Draw(TSurface& surface, int scrollX, int scrollY) const {
    const TWorld& world = Game.World;
    const TImageList& images = Game.Images;
    for (const TDrawEntry& e : Entries) {
        if (e.Kind == KindObject) {
            const tObj* o = world.Object(e.Index);
            if (!o || o->Invisible || !images.Valid(o->ImageIndex)) continue;
            const TImageItem& item = images.Item(o->ImageIndex);
            TObjBox b = ObjectBox(*o, item.PatW(), item.PatH(), scrollX, scrollY);
            if (o->Alpha == 255 && !o->PlayOnce)
                surface.Draw(item, b.Left, b.Top, o->Frame);
            else
                surface.DrawAlpha(item, TRect{b.Left, b.Top, b.Right, b.Bottom}, o->Frame,
                                  o->Alpha == 255 ? 255 - o->Frame * 24 : o->Alpha);
        } else {
            const tCritter* c = world.Critter(e.Index);
            if (!c || c->Invisible) continue;
            int sx = RoundEven(scrollX + c->PixelX), sy = RoundEven(scrollY + c->PixelY);
            if (c->ShadowIndex != -1 && images.Valid(c->ShadowIndex)) {
                const TImageItem& shadow = images.Item(c->ShadowIndex);
                surface.DrawAlpha(shadow, TRect{sx, sy, sx + shadow.PatternWidth, sy + shadow.PatternHeight},
                                  c->CurrentFrame, 120);
            }
            if (c->ImageIndex != -1 && images.Valid(c->ImageIndex))
                surface.Draw(images.Item(c->ImageIndex), sx, sy, c->CurrentFrame);
        }
    }
}

int32_t tObjHandler::Pick(const TSurface& surface, int scrollX, int scrollY, int x, int y, int32_t& kind) const {
    const TWorld& world = Game.World;
    const TImageList& images = Game.Images;
    TColor screen = surface.PixelRead(x, y) & 0xFFFFFF;
    for (const TDrawEntry& e : Entries) {
        if (e.Kind == KindObject) {
            const tObj* o = world.Object(e.Index);
            if (!o || o->Disabled || !images.Valid(o->ImageIndex)) continue;
            kind = KindObject;
            TObjBox b = ObjectBox(*o, o->FrameWidth, o->FrameHeight, scrollX, scrollY);
            if (x < b.Left || x >= b.Right || y < b.Top || y >= b.Bottom) continue;
            const TBitmap& pic = images.Item(o->ImageIndex).Picture;
            int px = o->Frame * o->FrameWidth + (x - b.Left), py = y - b.Top;
            if (px < pic.Width() && py < pic.Height() && (pic.Pixel(px, py) & 0xFFFFFF) == screen) return e.Index;
        } else {
            const tCritter* c = world.Critter(e.Index);
            if (!c || c->Disabled || !images.Valid(c->ImageIndex)) continue;
            kind = KindCritter;
            int left = RoundEven(c->PixelX) + scrollX, top = RoundEven(c->PixelY) + scrollY;
            if (x < left || x >= left + c->FrameWidth || y < top || y >= top + c->FrameHeight) continue;
            const TBitmap& pic = images.Item(c->ImageIndex).Picture;
            int px = c->CycleFrame * c->FrameWidth + (x - left), py = c->Direction * c->FrameHeight + (y - top);
            if (px < pic.Width() && py < pic.Height() && (pic.Pixel(px, py) & 0xFFFFFF) == screen) return e.Index;
        }
    }
    return -1;
}
