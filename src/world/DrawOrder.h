#pragma once
#include <cstdint>
#include <vector>

// What the draw order looks at in an entry: its row, and whether it is a dead critter.
struct TDrawKey {
    int32_t Row = 0;
    bool Dead = false;
};

// Puts `order` (positions into `keys`) in draw order, exactly as this
// selection sort does: for each place i, the first dead critter after it
// comes to i; with none, the first of the smallest rows after it does, if
// smaller than the row at i. In O(n log n) rather than the scan's O(n^2).
void SortDrawOrder(std::vector<int32_t>& order, const std::vector<TDrawKey>& keys);
