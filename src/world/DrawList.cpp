// The draw list: removal of finished objects, the row order, and drawing
// and picking the sprites of the game screen.
#include "world/DrawList.h"

#include <algorithm>
#include <cmath>

#include "base/SafeMath.h"
#include "base/Text.h"
#include "critters/Critter.h"
#include "media/ImageList.h"
#include "media/Surface.h"
#include "world/DrawOrder.h"
#include "world/Obj.h"
#include "world/World.h"

namespace {
// A crowded location's records are scattered over more memory than the cache
// holds, and a walk that reads them one by one waits for each in turn. The
// walks ask early for what they read a few entries on: first the list slot
// that holds the record's address, then, once that has come, the record.
constexpr size_t ReadAhead = 12;

template <class T>
const void* SlotOf(const TRecordList<T>& list, int32_t index) {
    return index >= 0 && size_t(index) < list.size() ? &list[size_t(index)] : nullptr;
}

// Inlined: as a call of its own it changes nothing the compiler sees, and would be dropped.
[[gnu::always_inline]] inline void ReadSoon(const TWorld& world, const std::vector<TDrawEntry>& entries, size_t p) {
    if (p + 2 * ReadAhead < entries.size()) {
        const TDrawEntry& e = entries[p + 2 * ReadAhead];
        __builtin_prefetch(e.Kind == KindObject ? SlotOf(world.Objects, e.Index) : SlotOf(world.Critters, e.Index));
    }
    if (p + ReadAhead >= entries.size()) return;
    const TDrawEntry& e = entries[p + ReadAhead];
    if (e.Kind == KindObject) {
        if (const tObj* o = world.Object(e.Index)) {
            __builtin_prefetch(&o->X);
            __builtin_prefetch(&o->FrameHeight);
        }
    } else if (const tCritter* c = world.Critter(e.Index)) {
        __builtin_prefetch(&c->PixelX);
        __builtin_prefetch(&c->Disabled);
    }
}

// A pass in index order takes the records in the order they were made, which
// lie close together in memory: the one some places on is asked for early.
template <class T>
void ReadNext(const TRecordList<T>& list, int i) {
    if (size_t(i) + ReadAhead < list.size())
        if (const T* r = list[size_t(i) + ReadAhead].get()) __builtin_prefetch(r);
}

// Beyond this a critter's place is not judged from the note: the draw's own
// clamping to the screen's coordinate range takes over.
constexpr double FarPlace = double(ScreenCoordLimit / 2);

}  // namespace

tObjHandler::TCritterPlace tObjHandler::PlaceOf(const tCritter* c) {
    return c ? TCritterPlace{c->PixelX, c->PixelY, c->ImageIndex, c->ShadowIndex} : TCritterPlace{};
}

// The middle of its tile's width and the bottom its picture stands on, moved by its offset.
tObjHandler::TObjectPlace tObjHandler::PlaceOf(const tObj* o) {
    return o ? TObjectPlace{int64_t(o->X) * TileW + o->OffsetX + TileW / 2, int64_t(o->Y) * TileH + o->OffsetY + 2 * TileH,
                            o->ImageIndex}
             : TObjectPlace{};
}

void tObjHandler::Rebuild() {
    PlacesTaken = false;
    if (Holds > 0) {
        Stale = true;
        return;
    }
    Stale = false;
    TWorld& world = Game.World;
    world.RemoveFinishedObjects();

    // Only the keys are taken now; the sort waits for the list to be read.
    // Each critter learns its place, so that its changes mark only that.
    static uint32_t takings = 0;
    KeyTaking = ++takings;
    const int critters = world.CritterCount(), objects = world.ObjectCount();
    Keys.resize(size_t(critters) + size_t(objects));
    CritterPlaces.resize(size_t(critters));
    ObjectPlaces.resize(size_t(objects));
    TDrawKey* key = Keys.data();
    for (int i = 0; i < critters; ++i, ++key) {
        ReadNext(world.Critters, i);
        tCritter* c = world.Critter(i);
        *key = c ? TDrawKey{c->Y, c->State == csDead} : TDrawKey{};
        if (c) c->DrawPlace = {KeyTaking, i};
        CritterPlaces[size_t(i)] = PlaceOf(c);
    }
    for (int i = 0; i < objects; ++i, ++key) {
        ReadNext(world.Objects, i);
        const tObj* o = world.Object(i);
        *key = {o ? o->Y : 0, false};
        ObjectPlaces[size_t(i)] = PlaceOf(o);
    }
    PlacesRecordChanges = world.RecordChanges;
    PlacesImages = Game.Images.Count();
    PlacesTaken = true;
    KeyCritters = critters;
    KeyRecordChanges = world.RecordChanges;
    Reread = false;
    Changed.clear();
    Unsorted = true;
}

void tObjHandler::RebuildForCritters() {
    const TWorld& world = Game.World;
    if (Holds > 0 || Reread || KeyRecordChanges != world.RecordChanges || world.FinishedObjects > 0) return Rebuild();
    for (int32_t place : Changed) {
        const tCritter* c = world.Critter(place);
        Keys[size_t(place)] = c ? TDrawKey{c->Y, c->State == csDead} : TDrawKey{};
    }
    Changed.clear();
    Unsorted = true;
}

void tObjHandler::KeyChanged(const tCritter& c) {
    // A critter that was not in the list at the last taking is read with the next one.
    if (Reread || c.DrawPlace.Taking != KeyTaking) return;
    // Marked more often than there are entries: reading them all is cheaper.
    if (Changed.size() >= Keys.size()) {
        Reread = true;
        Changed.clear();
        return;
    }
    Changed.push_back(c.DrawPlace.Place);
}

// Dead critters go first so they are drawn under everything, then rows from
// the top, in the order of a selection sort. It is not stable: the swaps
// decide the order among equal rows, and overlapping figures show it.
const std::vector<TDrawEntry>& tObjHandler::Entries() const {
    if (!Unsorted) return List;
    Unsorted = false;
    std::vector<int32_t> order(Keys.size());
    for (size_t p = 0; p < order.size(); ++p) order[p] = int32_t(p);
    SortDrawOrder(order, Keys);
    List.resize(order.size());
    for (size_t p = 0; p < order.size(); ++p) {
        const int32_t e = order[p];
        List[p] = e < KeyCritters ? TDrawEntry{KindCritter, e} : TDrawEntry{KindObject, e - KeyCritters};
    }
    return List;
}

void tObjHandler::Restore(std::vector<TDrawEntry> entries) {
    List = std::move(entries);
    Unsorted = false;
    Reread = true;
    PlacesTaken = false;
}

// The note at `index` follows its record while the notes hold the world's
// records as they are; otherwise every record is taken again.
template <class TPlace>
void tObjHandler::Renote(std::vector<TPlace>& places, int32_t index, bool listed, const TPlace& place) {
    if (listed && Game.World.RecordChanges == PlacesRecordChanges && size_t(index) < places.size())
        places[size_t(index)] = place;
    else
        PlacesTaken = false;
}

void tObjHandler::PlaceChanged(const tCritter& c) {
    if (PlacesTaken) Renote(CritterPlaces, c.Index, Game.World.Critter(c.Index) == &c, PlaceOf(&c));
}

void tObjHandler::PlaceChanged(const tObj& o) {
    if (PlacesTaken) Renote(ObjectPlaces, o.Index, Game.World.Object(o.Index) == &o, PlaceOf(&o));
}

namespace {
// Wide, so that positions and offsets from a location file cannot overflow.
struct TObjBox {
    int64_t Left, Top, Right, Bottom;
};

// Centred on the tile's middle, standing 10 pixels below the tile's bottom.
TObjBox ObjectBox(const tObj& o, int w, int h, int scrollX, int scrollY) {
    int64_t cx = int64_t(o.X) * TileW + scrollX + o.OffsetX + TileW / 2;
    int64_t bottom = int64_t(o.Y) * TileH + scrollY + o.OffsetY + 2 * TileH;
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

void tObjHandler::TakePlaces() const {
    const TWorld& world = Game.World;
    CritterPlaces.resize(size_t(world.CritterCount()));
    for (int i = 0; i < world.CritterCount(); ++i) {
        ReadNext(world.Critters, i);
        CritterPlaces[size_t(i)] = PlaceOf(world.Critter(i));
    }
    ObjectPlaces.resize(size_t(world.ObjectCount()));
    for (int i = 0; i < world.ObjectCount(); ++i) {
        ReadNext(world.Objects, i);
        ObjectPlaces[size_t(i)] = PlaceOf(world.Object(i));
    }
    PlacesRecordChanges = world.RecordChanges;
    PlacesImages = Game.Images.Count();
    PlacesTaken = true;
}

// False only when nothing of the entry's pictures can land on the screen, as
// the draw would find it; the record itself is not read. `sizes` holds each
// picture's pattern size and its given pattern size.
bool tObjHandler::MayShow(const TDrawEntry& e, int scrollX, int scrollY, const std::vector<TPictureSize>& sizes) const {
    auto valid = [&](int32_t image) { return image >= 0 && size_t(image) < sizes.size(); };
    if (e.Kind == KindObject) {
        if (e.Index < 0 || size_t(e.Index) >= ObjectPlaces.size()) return true;
        const TObjectPlace& at = ObjectPlaces[size_t(e.Index)];
        if (!valid(at.Image)) return false;
        // The draw's box: centred on the anchor, standing on it.
        const int64_t w = sizes[size_t(at.Image)].W, h = sizes[size_t(at.Image)].H;
        const int64_t left = at.X + scrollX - w / 2, bottom = at.Y + scrollY;
        return left < TSurface::ScreenWidth && bottom - h < TSurface::ScreenHeight && left + w > 0 && bottom > 0;
    }
    if (e.Index < 0 || size_t(e.Index) >= CritterPlaces.size()) return true;
    const TCritterPlace& at = CritterPlaces[size_t(e.Index)];
    // The picture and the shadow both start at the critter's place.
    int64_t w = 0, h = 0;
    if (valid(at.Shadow)) {
        w = sizes[size_t(at.Shadow)].PatternW;
        h = sizes[size_t(at.Shadow)].PatternH;
    }
    if (valid(at.Image)) {
        w = std::max<int64_t>(w, sizes[size_t(at.Image)].W);
        h = std::max<int64_t>(h, sizes[size_t(at.Image)].H);
    }
    // The draw rounds the place to a pixel: half a pixel either way.
    const double x = scrollX + at.X, y = scrollY + at.Y;
    if (!(std::abs(x) < FarPlace && std::abs(y) < FarPlace)) return true;
    return x < TSurface::ScreenWidth + 1 && y < TSurface::ScreenHeight + 1 && x + 1 + double(w) > 0 &&
           y + 1 + double(h) > 0;
}

void tObjHandler::Draw(TSurface& surface, int scrollX, int scrollY) const {
    const TWorld& world = Game.World;
    const TImageList& images = Game.Images;
    // Most of a crowded location is off the screen, and reading every record
    // at its random place in memory costs more than drawing what shows. The
    // notes of where records stand and how large their pictures are pass
    // over the entries that cannot show; the rest are drawn as always.
    if (!PlacesTaken || PlacesRecordChanges != world.RecordChanges || PlacesImages != images.Count() ||
        CritterPlaces.size() != size_t(world.CritterCount()) || ObjectPlaces.size() != size_t(world.ObjectCount()))
        TakePlaces();
    Sizes.resize(size_t(images.Count()));
    for (int i = 0; i < images.Count(); ++i) {
        const TImageItem& item = images.Item(i);
        Sizes[size_t(i)] = {item.PatW(), item.PatH(), item.PatternWidth, item.PatternHeight};
    }
    Showing.clear();
    for (const TDrawEntry& e : Entries())
        if (!SkipOffScreen || MayShow(e, scrollX, scrollY, Sizes)) Showing.push_back(e);
    for (size_t p = 0; p < Showing.size(); ++p) {
        ReadSoon(world, Showing, p);
        const TDrawEntry& e = Showing[p];
        if (e.Kind == KindObject) {
            const tObj* o = world.Object(e.Index);
            if (!o || o->Invisible || !images.Valid(o->ImageIndex)) continue;
            const TImageItem& item = images.Item(o->ImageIndex);
            const int w = item.PatW(), h = item.PatH();
            TObjBox b = ObjectBox(*o, w, h, scrollX, scrollY);
            // Most of a crowded location is off the screen: nothing of it would be drawn.
            if (b.Left >= TSurface::ScreenWidth || b.Top >= TSurface::ScreenHeight || b.Left + w <= 0 || b.Bottom <= 0)
                continue;
            if (o->Alpha == 255 && !o->PlayOnce)
                surface.Draw(item, ClampScreen(b.Left), ClampScreen(b.Top), o->Frame);
            else
                surface.DrawAlpha(item,
                                  TRect{ClampScreen(b.Left), ClampScreen(b.Top), ClampScreen(b.Right),
                                        ClampScreen(b.Bottom)},
                                  o->Frame, o->Alpha == 255 ? 255 - o->Frame * 24 : o->Alpha);
        } else {
            const tCritter* c = world.Critter(e.Index);
            if (!c || c->Invisible) continue;
            const int sx = ClampScreen(double(RoundEven(scrollX + c->PixelX)));
            const int sy = ClampScreen(double(RoundEven(scrollY + c->PixelY)));
            if (sx >= TSurface::ScreenWidth || sy >= TSurface::ScreenHeight) continue;
            if (c->ShadowIndex != -1 && images.Valid(c->ShadowIndex)) {
                const TImageItem& shadow = images.Item(c->ShadowIndex);
                surface.DrawAlpha(shadow,
                                  TRect{sx, sy, ClampScreen(int64_t(sx) + shadow.PatternWidth),
                                        ClampScreen(int64_t(sy) + shadow.PatternHeight)},
                                  c->CurrentFrame, 120);
            }
            if (c->ImageIndex != -1 && images.Valid(c->ImageIndex))
                surface.Draw(images.Item(c->ImageIndex), sx, sy, c->CurrentFrame);
        }
    }
}

int32_t tObjHandler::PickUsableObject(int scrollX, int scrollY, int x, int y) const {
    const TWorld& world = Game.World;
    const TImageList& images = Game.Images;
    for (const TDrawEntry& e : Entries()) {
        if (e.Kind != KindObject) continue;
        const tObj* o = world.Object(e.Index);
        if (!o || o->Disabled || !images.Valid(o->ImageIndex) || !o->Script || !o->Script->Alive() ||
            o->Script->Path.empty())
            continue;
        const TObjBox b = ObjectBox(*o, o->FrameWidth, o->FrameHeight, scrollX, scrollY);
        if (Outside(x, y, b.Left, b.Top, b.Right, b.Bottom)) continue;
        const TImageItem& item = images.Item(o->ImageIndex);
        const int64_t px = int64_t(o->Frame) * o->FrameWidth + (x - b.Left), py = y - b.Top;
        if (px < 0 || py < 0 || px >= item.Picture.Width() || py >= item.Picture.Height()) continue;
        if (item.Transparent && (item.Picture.Pixel(int(px), int(py)) & 0xFFFFFF) == (item.TransparentColor & 0xFFFFFF))
            continue;
        try {
            const auto file = Game.Scripts.File(o->Script->Path);
            if (file && file->FindNode("OnClick")) return e.Index;
        } catch (const std::exception&) {
        }
    }
    return -1;
}

int32_t tObjHandler::Pick(const TSurface& surface, int scrollX, int scrollY, int x, int y, int32_t& kind) const {
    const TWorld& world = Game.World;
    const TImageList& images = Game.Images;
    TColor screen = surface.PixelRead(x, y) & 0xFFFFFF;
    const std::vector<TDrawEntry>& entries = Entries();
    for (size_t p = 0; p < entries.size(); ++p) {
        ReadSoon(world, entries, p);
        const TDrawEntry& e = entries[p];
        if (e.Kind == KindObject) {
            const tObj* o = world.Object(e.Index);
            if (!o || o->Disabled || !images.Valid(o->ImageIndex)) continue;
            kind = KindObject;
            TObjBox b = ObjectBox(*o, o->FrameWidth, o->FrameHeight, scrollX, scrollY);
            if (Outside(x, y, b.Left, b.Top, b.Right, b.Bottom)) continue;
            const TBitmap& pic = images.Item(o->ImageIndex).Picture;
            const int64_t px = int64_t(o->Frame) * o->FrameWidth + (x - b.Left), py = y - b.Top;
            if (PixelMatches(pic, px, py, screen)) return e.Index;
        } else {
            const tCritter* c = world.Critter(e.Index);
            if (!c || c->Disabled || !images.Valid(c->ImageIndex)) continue;
            kind = KindCritter;
            const int64_t left = int64_t(RoundEven(c->PixelX)) + scrollX;
            const int64_t top = int64_t(RoundEven(c->PixelY)) + scrollY;
            if (Outside(x, y, left, top, left + c->FrameWidth, top + c->FrameHeight)) continue;
            const TBitmap& pic = images.Item(c->ImageIndex).Picture;
            const int64_t px = int64_t(c->CycleFrame) * c->FrameWidth + (x - left);
            const int64_t py = int64_t(c->Direction) * c->FrameHeight + (y - top);
            if (PixelMatches(pic, px, py, screen)) return e.Index;
        }
    }
    return -1;
}
