#include "world/DrawOrder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <utility>

namespace {
// Minimum row over a range of places, the first place winning ties.
class TRowTree {
public:
    explicit TRowTree(const std::vector<int32_t>& rows) {
        while (Leaves < rows.size()) Leaves *= 2;
        Nodes.assign(2 * Leaves, {INT64_MAX, INT64_MAX});
        for (size_t p = 0; p < rows.size(); ++p) Nodes[Leaves + p] = {rows[p], int64_t(p)};
        for (size_t n = Leaves - 1; n >= 1; --n) Nodes[n] = std::min(Nodes[2 * n], Nodes[2 * n + 1]);
    }
    void Set(size_t place, int32_t row) {
        size_t n = place + Leaves;
        Nodes[n] = {row, int64_t(place)};
        for (n /= 2; n >= 1; n /= 2) Nodes[n] = std::min(Nodes[2 * n], Nodes[2 * n + 1]);
    }
    // (row, place) of the first smallest row in places [from, Leaves).
    std::pair<int64_t, int64_t> SuffixMin(size_t from) const {
        std::pair<int64_t, int64_t> best{INT64_MAX, INT64_MAX};
        for (size_t lo = from + Leaves, hi = 2 * Leaves; lo < hi; lo /= 2, hi /= 2) {
            if (lo & 1) best = std::min(best, Nodes[lo++]);
            if (hi & 1) best = std::min(best, Nodes[--hi]);
        }
        return best;
    }

private:
    size_t Leaves = 1;
    std::vector<std::pair<int64_t, int64_t>> Nodes;
};
}  // namespace

void SortDrawOrder(std::vector<int32_t>& order, const std::vector<TDrawKey>& keys) {
    const size_t count = order.size();
    if (count < 2) return;
    std::vector<int32_t> initial(count);
    std::set<size_t> dead;  // places holding a dead critter
    for (size_t p = 0; p < count; ++p) {
        const TDrawKey& k = keys[size_t(order[p])];
        initial[p] = k.Row;
        if (k.Dead) dead.insert(dead.end(), p);
    }
    TRowTree rows(initial);
    auto swapPlaces = [&](size_t a, size_t b) {
        std::swap(order[a], order[b]);
        for (size_t p : {a, b}) {
            const TDrawKey& k = keys[size_t(order[p])];
            rows.Set(p, k.Row);
            if (k.Dead)
                dead.insert(p);
            else if (!dead.empty())
                dead.erase(p);
        }
    };
    for (size_t i = 0; i + 1 < count; ++i) {
        if (auto d = dead.upper_bound(i); d != dead.end()) {
            swapPlaces(i, *d);
            continue;
        }
        const auto [row, place] = rows.SuffixMin(i + 1);
        if (row < keys[size_t(order[i])].Row) swapPlaces(i, size_t(place));
    }
}
