// The brush page's tools on the game screen: single tiles, lines,
// rectangles and flood fill, each stroke one step of the history.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>
#include <vector>

#include "editor/model/ControlForm.h"
#include "world/World.h"

namespace {
using TCells = std::vector<std::pair<int, int>>;

// Every tile of the straight line from (x0, y0) to (x1, y1), both ends
// included, each touching the one before by a side or a corner.
TCells LineCells(int x0, int y0, int x1, int y1) {
    TCells cells;
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        cells.emplace_back(x0, y0);
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
    return cells;
}

// The filled rectangle between two corners, cut to the map.
TCells RectCells(int x0, int y0, int x1, int y1) {
    TCells cells;
    const int left = std::max(std::min(x0, x1), 0), right = std::min(std::max(x0, x1), MapCols - 1);
    const int top = std::max(std::min(y0, y1), 0), bottom = std::min(std::max(y0, y1), MapRows - 1);
    for (int x = left; x <= right; ++x)
        for (int y = top; y <= bottom; ++y) cells.emplace_back(x, y);
    return cells;
}
}  // namespace

void TControlForm::PaintCell(bool clear, int x, int y) {
    if (!TGrid::Inside(x, y)) return;
    NotePaint(x, y);
    TCell& cell = Game.World.Grid.At(x, y);
    const uint8_t block = clear ? 0 : 1;
    if (MoveBlockRadioButton) {
        cell.WalkBlock = block;
    } else if (ShootBlockRadioButton) {
        cell.ShootBlock = block;
    } else if (WallRadioButton) {
        cell.WalkBlock = cell.ShootBlock = block;
    } else if (ShootAnimRadioButton) {
        if (!clear && ShootAnimComboBox.ItemIndex >= 0) cell.HitType = uint8_t(ShootAnimComboBox.ItemIndex);
    } else if (MoveAnimRadioButton && PaintWalkAnim) {
        if (!clear && MoveAnimComboBox.ItemIndex >= 0) cell.WalkAnim = uint8_t(MoveAnimComboBox.ItemIndex + 1);
        else if (clear) cell.WalkAnim = 0;
    }
}

void TControlForm::PaintCells(bool clear, const TCells& cells) {
    for (const auto& [x, y] : cells) PaintCell(clear, x, y);
}

namespace {
// Tiles far off the map (a pointer parked far away) come to its border, so a
// line to them stays short.
int Near(int v, int size) {
    return std::clamp(v, -1, size);
}
}  // namespace

void TControlForm::BrushDown(bool clear, int x, int y) {
    x = Near(x, MapCols);
    y = Near(y, MapRows);
    // A second button during a stroke carries it on, painting its own tile.
    if (BrushButton >= 0) {
        PaintCell(clear, x, y);
        BrushLastX = x;
        BrushLastY = y;
        return;
    }
    BeginStroke();
    BrushButton = clear ? 1 : 0;
    BrushLastX = BrushAnchorX = x;
    BrushLastY = BrushAnchorY = y;
    switch (ToolComboBox.ItemIndex) {
        case ToolLine:
        case ToolRect:
            break;  // the release paints the shape
        case ToolFill:
            PaintCells(clear, FillRegion(x, y));
            break;
        default:
            PaintCell(clear, x, y);
            break;
    }
}

void TControlForm::BrushMove(int x, int y, int held) {
    x = Near(x, MapCols);
    y = Near(y, MapRows);
    if (BrushButton < 0 || held < 0 || (x == BrushLastX && y == BrushLastY)) return;
    if (ToolComboBox.ItemIndex == ToolPoint) {
        // Every tile the pointer passed over since the last sample, not the last one again.
        TCells cells = LineCells(BrushLastX, BrushLastY, x, y);
        cells.erase(cells.begin());
        PaintCells(held == 1, cells);
    }
    BrushLastX = x;
    BrushLastY = y;
}

void TControlForm::BrushUp(int x, int y, int held) {
    if (BrushButton < 0) return;
    x = Near(x, MapCols);
    y = Near(y, MapRows);
    if (held >= 0) {
        BrushMove(x, y, held);
        return;
    }
    const bool clear = BrushButton == 1;
    if (ToolComboBox.ItemIndex == ToolLine) PaintCells(clear, LineCells(BrushAnchorX, BrushAnchorY, x, y));
    if (ToolComboBox.ItemIndex == ToolRect) PaintCells(clear, RectCells(BrushAnchorX, BrushAnchorY, x, y));
    EndStroke();
}

TCells TControlForm::FillRegion(int x, int y) const {
    TCells region;
    if (!TGrid::Inside(x, y)) return region;
    // Every tile joined to (x, y) by its sides that looks as it does.
    const auto& raw = Game.World.Grid.Raw();
    auto look = [&](int cx, int cy) {
        const TCell& c = raw[size_t(cx * MapRows + cy)];
        return std::array<uint8_t, 4>{c.WalkBlock, c.ShootBlock, c.WalkAnim, c.HitType};
    };
    const auto from = look(x, y);
    std::vector<bool> seen(size_t(MapCols) * MapRows, false);
    TCells todo{{x, y}};
    seen[size_t(x * MapRows + y)] = true;
    while (!todo.empty()) {
        auto [cx, cy] = todo.back();
        todo.pop_back();
        region.emplace_back(cx, cy);
        const int next[4][2] = {{cx + 1, cy}, {cx - 1, cy}, {cx, cy + 1}, {cx, cy - 1}};
        for (const auto& n : next) {
            if (!TGrid::Inside(n[0], n[1]) || seen[size_t(n[0] * MapRows + n[1])] || look(n[0], n[1]) != from)
                continue;
            seen[size_t(n[0] * MapRows + n[1])] = true;
            todo.emplace_back(n[0], n[1]);
        }
    }
    return region;
}

bool TControlForm::BrushShape(TCells& cells) const {
    cells.clear();
    if (BrushButton < 0) return false;
    if (ToolComboBox.ItemIndex == ToolLine) cells = LineCells(BrushAnchorX, BrushAnchorY, BrushLastX, BrushLastY);
    if (ToolComboBox.ItemIndex == ToolRect) cells = RectCells(BrushAnchorX, BrushAnchorY, BrushLastX, BrushLastY);
    return !cells.empty();
}
