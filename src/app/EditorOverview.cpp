// The editor's aids on the game screen: a grid of the tiles, and an overview
// of the whole location at half size where a click scrolls the view there.
#include <algorithm>
#include <utility>
#include <vector>

#include "app/MainForm.h"
#include "base/SafeMath.h"
#include "critters/Critter.h"
#include "world/Obj.h"

namespace {
constexpr TColor GridColor = 0x505050;
}  // namespace

void TMainForm::RenderEditorAids() {
    if (!DebugMode || ScreenMode != smGame) return;
    TViewState& v = View;
    TBitmap& screen = DXDraw.Pixels();
    if (ControlForm.OverviewCheckBox) {
        // The 25 background pieces are the first images, piece (column, row) at row * 5 + column.
        const bool pieces = DXIL.Count() >= 25;
        for (int y = 0; y < 600; ++y) {
            TColor* row = screen.Row(y);
            for (int x = 0; x < 800; ++x) {
                const int lx = x * 2, ly = y * 2;
                row[x] = pieces ? DXIL.Item((ly / 240) * 5 + lx / 320).Picture.Pixel(lx % 320, ly % 240) : 0;
            }
        }
        // Blocks at any zoom: walk blocks red, shoot blocks green, both yellow.
        for (int tx = 0; tx < MapCols; ++tx)
            for (int ty = 0; ty < MapRows; ++ty) {
                const TCell& c = World.Grid.At(tx, ty);
                if (!c.WalkBlock && !c.ShootBlock) continue;
                const TColor color = c.WalkBlock && c.ShootBlock ? 0x00FFFF : c.WalkBlock ? 0x0000FF : 0x00FF00;
                for (int px = 0; px < TileW / 2; ++px) screen.SetPixel(tx * TileW / 2 + px, ty * TileH / 2 + 2, color);
            }
        auto mark = [&](int tx, int ty, TColor color) {
            DXDraw.FillRect(TRect{tx * TileW / 2 + 2, ty * TileH / 2 - 2, tx * TileW / 2 + 8, ty * TileH / 2 + 4}, color);
        };
        for (int i = World.CritterCount() - 1; i >= 0; --i) {
            const tCritter& c = *World.Critters[size_t(i)];
            mark(c.X, c.Y, i == 0 ? 0x00FFFF : 0xFFFFFF);
        }
        for (int i = 0; i < World.ObjectCount(); ++i) mark(World.Objects[size_t(i)]->X, World.Objects[size_t(i)]->Y, 0xFFFF00);
        // Where the view is now.
        const TBrushStyle brush = DXDraw.BrushStyle;
        const TColor pen = DXDraw.PenColor;
        DXDraw.BrushStyle = TBrushStyle::Clear;
        DXDraw.PenColor = 0xFFFFFF;
        DXDraw.Rectangle(-v.ScrollX / 2, -v.ScrollY / 2, -v.ScrollX / 2 + 400, -v.ScrollY / 2 + 300);
        DXDraw.BrushStyle = brush;
        DXDraw.PenColor = pen;
        return;
    }
    if (ControlForm.GridCheckBox) {
        for (int x = ((v.ScrollX % TileW) + TileW) % TileW; x < 800; x += TileW)
            for (int y = 0; y < 600; ++y) screen.SetPixel(x, y, GridColor);
        for (int y = ((v.ScrollY % TileH) + TileH) % TileH; y < 600; y += TileH) {
            TColor* row = screen.Row(y);
            std::fill(row, row + 800, GridColor);
        }
    }
}

bool TMainForm::OverviewClick(int x, int y) {
    if (!DebugMode || !ControlForm.OverviewCheckBox) return false;
    // The point clicked comes to the middle of the screen.
    View.ScrollX = std::clamp(400 - x * 2, -800, 0);
    View.ScrollY = std::clamp(300 - y * 2, -600, 0);
    ControlForm.OverviewCheckBox = false;
    return true;
}

bool TMainForm::EditorKeyTap(int vk) {
    // Once per press: a tap shorter than a frame counts, a held key does not repeat.
    const bool down = DXI.KeyDown(vk), edge = DXI.Pressed[size_t(vk)] || (down && !EditorKeyLatch[size_t(vk)]);
    DXI.Pressed[size_t(vk)] = false;
    EditorKeyLatch[size_t(vk)] = down;
    return edge;
}

// Ctrl+C, Ctrl+V at the pointer and Ctrl+D on pages Critter and Objects; G
// toggles the tile grid and M the overview, on any page.
void TMainForm::EditorKeys() {
    if (!DebugMode) return;
    const TViewState& v = View;
    if (ControlForm.ActivePage == PageCritter || ControlForm.ActivePage == PageObjects) {
        auto chord = [&](int vk) { return EditorKeyTap(vk) && DXI.KeyDown(VK_CONTROL); };
        if (chord('C')) ControlForm.CopySelection();
        if (chord('V')) ControlForm.PasteAt(v.HoverTileX, v.HoverTileY);
        if (chord('D')) ControlForm.DuplicateSelection();
    }
    auto tap = [&](int vk) { return EditorKeyTap(vk) && !DXI.KeyDown(VK_CONTROL); };
    if (tap('G')) ControlForm.GridCheckBox = !ControlForm.GridCheckBox;
    if (tap('M')) ControlForm.OverviewCheckBox = !ControlForm.OverviewCheckBox;
}

// The line or rectangle being dragged on page Brush, before the release paints it.
void TMainForm::DrawBrushShape() {
    std::vector<std::pair<int, int>> shape;
    if (!ControlForm.BrushShape(shape)) return;
    const TViewState& v = View;
    DXDraw.BrushStyle = TBrushStyle::Clear;
    DXDraw.PenColor = 0xFFFFFF;
    for (const auto& [x, y] : shape) {
        const int64_t left = int64_t(x) * TileW + v.ScrollX, top = int64_t(y) * TileH + v.ScrollY;
        if (left < -TileW || left > 800 || top < -TileH || top > 600) continue;
        DXDraw.Rectangle(int(left) + 3, int(top) + 3, int(left) + TileW - 3, int(top) + TileH - 3);
    }
}

// The selection of several records in white, and the rubber band being drawn.
void TMainForm::DrawMultiSelection() {
    if (ControlForm.ActivePage != PageCritter && ControlForm.ActivePage != PageObjects) return;
    int x0, y0, x1, y1;
    const bool band = ControlForm.BandRect(x0, y0, x1, y1);
    if (!band && !ControlForm.HasMultiSelection()) return;
    const TViewState& v = View;
    DXDraw.BrushStyle = TBrushStyle::Clear;
    DXDraw.PenColor = 0xFFFFFF;
    auto frame = [&](int left, int top, int right, int bottom) {
        DXDraw.Rectangle(ClampScreen(int64_t(left) * TileW + v.ScrollX), ClampScreen(int64_t(top) * TileH + v.ScrollY),
                         ClampScreen(int64_t(right + 1) * TileW + v.ScrollX),
                         ClampScreen(int64_t(bottom + 1) * TileH + v.ScrollY));
    };
    for (int i : ControlForm.SelectedCritters)
        if (const tCritter* c = World.Critter(i)) frame(c->X, c->Y, c->X, c->Y);
    for (int i : ControlForm.SelectedObjects)
        if (const tObj* o = World.Object(i)) frame(o->X, o->Y, o->X, o->Y);
    if (band) frame(x0, y0, x1, y1);
}
