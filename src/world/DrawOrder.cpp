#include "world/DrawOrder.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace {
// A set of places with "first member at or after p" in a word or two: a bit
// per place, and a bit per non-empty word of those.
class TPlaceSet {
public:
    explicit TPlaceSet(size_t places) : Words((places + 63) / 64, 0), Summary((Words.size() + 63) / 64, 0) {}
    void Insert(size_t p) {
        Words[p / 64] |= uint64_t(1) << (p % 64);
        Summary[p / 4096] |= uint64_t(1) << (p / 64 % 64);
    }
    void Erase(size_t p) {
        uint64_t& w = Words[p / 64];
        w &= ~(uint64_t(1) << (p % 64));
        if (w == 0) Summary[p / 4096] &= ~(uint64_t(1) << (p / 64 % 64));
    }
    // The first member at or after p, or SIZE_MAX.
    size_t Next(size_t p) const {
        size_t word = p / 64;
        if (word >= Words.size()) return SIZE_MAX;
        if (const uint64_t w = Words[word] & (~uint64_t(0) << (p % 64))) return word * 64 + size_t(std::countr_zero(w));
        ++word;
        for (size_t s = word / 64; s < Summary.size(); ++s) {
            uint64_t bits = Summary[s];
            if (s == word / 64) bits &= word % 64 ? ~uint64_t(0) << (word % 64) : ~uint64_t(0);
            if (bits) {
                const size_t w = s * 64 + size_t(std::countr_zero(bits));
                return w * 64 + size_t(std::countr_zero(Words[w]));
            }
        }
        return SIZE_MAX;
    }

private:
    std::vector<uint64_t> Words, Summary;
};

// Ranks 0..n-1 for the distinct rows, in the rows' order.
std::vector<int32_t> RankRows(const std::vector<TDrawKey>& keys, int32_t& rankCount) {
    std::vector<int32_t> rank(keys.size());
    int64_t lo = INT64_MAX, hi = INT64_MIN;
    for (const TDrawKey& k : keys) lo = std::min<int64_t>(lo, k.Row), hi = std::max<int64_t>(hi, k.Row);
    if (hi - lo < int64_t(4 * keys.size() + 64)) {
        // Rows of a location: a small range, ranked by offset (gaps are empty ranks).
        for (size_t e = 0; e < keys.size(); ++e) rank[e] = int32_t(keys[e].Row - lo);
        rankCount = int32_t(hi - lo + 1);
        return rank;
    }
    std::vector<int32_t> rows;
    rows.reserve(keys.size());
    for (const TDrawKey& k : keys) rows.push_back(k.Row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (size_t e = 0; e < keys.size(); ++e)
        rank[e] = int32_t(std::lower_bound(rows.begin(), rows.end(), keys[e].Row) - rows.begin());
    rankCount = int32_t(rows.size());
    return rank;
}
}  // namespace

// The scan's steps are replayed one by one, each in constant time: the pick
// of step i is the first dead critter after i, else the first entry of the
// smallest row left, and the entry at i goes where the pick came from. Only
// the places of the smallest row left are kept in a set; every other row
// keeps a list of where its entries went, read when its turn comes.
void SortDrawOrder(std::vector<int32_t>& order, const std::vector<TDrawKey>& keys) {
    const size_t count = order.size();
    if (count < 2) return;
    int32_t ranks = 0;
    const std::vector<int32_t> rank = RankRows(keys, ranks);

    // Places of each rank: the starting places by a counting sort, then the
    // places entries are moved to, chained per rank.
    std::vector<int32_t> left(size_t(ranks) + 1, 0);  // entries of a rank not yet placed
    for (size_t p = 0; p < count; ++p) ++left[size_t(rank[size_t(order[p])])];
    std::vector<int32_t> start(size_t(ranks) + 1, 0);
    for (int32_t r = 0; r < ranks; ++r) start[size_t(r) + 1] = start[size_t(r)] + left[size_t(r)];
    std::vector<int32_t> initial(count);
    {
        std::vector<int32_t> fill(start.begin(), start.end() - 1);
        for (size_t p = 0; p < count; ++p) initial[size_t(fill[size_t(rank[size_t(order[p])])]++)] = int32_t(p);
    }
    struct TMoved {
        int32_t Place, Entry, Next;
    };
    std::vector<TMoved> moved;
    moved.reserve(count);
    std::vector<int32_t> movedHead(size_t(ranks), -1);

    TPlaceSet dead(count), current(count);
    size_t deadLeft = 0;
    for (size_t p = 0; p < count; ++p)
        if (keys[size_t(order[p])].Dead) dead.Insert(p), ++deadLeft;

    int32_t row = 0;    // the smallest rank left; its places are in `current`
    size_t settled = 0;  // places before this one hold their final entry
    auto enterRow = [&] {
        while (row < ranks && left[size_t(row)] == 0) ++row;
        if (row == ranks) return;
        for (int32_t s = start[size_t(row)]; s < start[size_t(row) + 1]; ++s) {
            const size_t p = size_t(initial[size_t(s)]);
            if (p >= settled && rank[size_t(order[p])] == row) current.Insert(p);
        }
        for (int32_t m = movedHead[size_t(row)]; m != -1; m = moved[size_t(m)].Next) {
            const TMoved& e = moved[size_t(m)];
            if (size_t(e.Place) >= settled && order[size_t(e.Place)] == e.Entry) current.Insert(size_t(e.Place));
        }
    };
    enterRow();

    for (size_t i = 0; i + 1 < count; ++i) {
        size_t pick = deadLeft ? dead.Next(i + 1) : SIZE_MAX;
        if (pick == SIZE_MAX) pick = current.Next(i);
        const int32_t chosen = order[pick], kicked = order[i];
        const int32_t chosenRank = rank[size_t(chosen)];
        if (chosenRank == row) current.Erase(pick);
        if (keys[size_t(chosen)].Dead) dead.Erase(pick), --deadLeft;
        if (pick != i) {
            // The entry at i goes to the pick's place.
            const int32_t kickedRank = rank[size_t(kicked)];
            if (kickedRank == row) {
                current.Erase(i);
                current.Insert(pick);
            } else {
                moved.push_back({int32_t(pick), kicked, movedHead[size_t(kickedRank)]});
                movedHead[size_t(kickedRank)] = int32_t(moved.size() - 1);
            }
            if (keys[size_t(kicked)].Dead) dead.Erase(i), dead.Insert(pick);
            order[i] = chosen;
            order[pick] = kicked;
        }
        settled = i + 1;
        if (--left[size_t(chosenRank)] == 0 && chosenRank == row) enterRow();
    }
}
