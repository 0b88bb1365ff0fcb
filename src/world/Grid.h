#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

constexpr int MapCols = 80;
constexpr int MapRows = 120;
constexpr int TileW = 20;
constexpr int TileH = 10;

// One tile of the grid, 8 bytes as in the location file.
struct TCell {
    uint8_t WalkBlock = 0;
    uint8_t ShootBlock = 0;
    uint8_t WalkAnim = 0;
    uint8_t HitType = 0;
    int32_t Occupant = -1;
};
static_assert(sizeof(TCell) == 8);

// 80 x 120 cells stored column by column: cell (X, Y) is number X * 120 + Y.
class TGrid {
public:
    TGrid() { Clear(); }
    void Clear() { Cells.fill(TCell{}); }
    static bool Inside(int x, int y) { return x >= 0 && y >= 0 && x < MapCols && y < MapRows; }
    // Cells outside the grid read as a blocked scratch cell whose writes are
    // thrown away, so a stray coordinate never touches memory outside.
    TCell& At(int x, int y) {
        if (!Inside(x, y)) {
            Scratch = TCell{1, 1, 0, 0, -1};
            return Scratch;
        }
        return Cells[size_t(x) * MapRows + y];
    }
    const TCell& At(int x, int y) const { return Inside(x, y) ? Cells[size_t(x) * MapRows + y] : Outside; }
    std::array<TCell, MapCols * MapRows>& Raw() { return Cells; }
    const std::array<TCell, MapCols * MapRows>& Raw() const { return Cells; }

private:
    std::array<TCell, MapCols * MapRows> Cells;
    TCell Scratch;
    static inline const TCell Outside{1, 1, 0, 0, -1};
};
