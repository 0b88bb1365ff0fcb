#pragma once
// The wave search exactly as the game's design describes it: the whole grid
// is rescanned once per wave value. Slow, and kept only to prove the fast
// search gives the same paths.
#include <array>
#include <cstdint>

#include "critters/PathSearch.h"
#include "world/World.h"

inline TTilePath OraclePath(const TGrid& grid, int32_t startX, int32_t startY, int32_t destX, int32_t destY) {
    constexpr int Free = 1000, Blocked = 1001, Walker = 1002;
    static std::array<std::array<int, MapRows>, MapCols> g;
    TTilePath path;
    if (!TGrid::Inside(startX, startY) || !TGrid::Inside(destX, destY)) return path;
    for (int x = 0; x < MapCols; ++x)
        for (int y = 0; y < MapRows; ++y) g[x][y] = grid.At(x, y).WalkBlock == 0 ? Free : Blocked;
    g[startX][startY] = Walker;
    g[destX][destY] = 0;

    bool reached = false;
    for (int v = 0; v <= 254 && !reached; ++v)
        for (int x = 0; x < MapCols; ++x)
            for (int y = 0; y < MapRows; ++y) {
                if (g[x][y] != v) continue;
                for (int nx = x - 1; nx <= x + 1; ++nx)
                    for (int ny = y - 1; ny <= y + 1; ++ny) {
                        if ((nx == x && ny == y) || !TGrid::Inside(nx, ny)) continue;
                        if (g[nx][ny] == Free)
                            g[nx][ny] = v + 1;
                        else if (g[nx][ny] == Walker)
                            reached = true;
                    }
            }
    if (!reached) return path;

    static constexpr int Order[8][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {-1, -1}, {1, 1}, {-1, 1}, {1, -1}};
    int x = startX, y = startY;
    do {
        int bestX = -1, bestY = -1, best = 1 << 30;
        for (const auto& o : Order) {
            const int nx = x + o[0], ny = y + o[1];
            if (!TGrid::Inside(nx, ny)) continue;
            const int value = g[nx][ny] >= Free ? (1 << 29) : g[nx][ny];
            if (value < best) {
                best = value;
                bestX = nx;
                bestY = ny;
            }
        }
        x = bestX;
        y = bestY;
        path.emplace_back(x, y);
    } while (g[x][y] != 0);
    return path;
}
