// The path search. It gives the paths of the literal wave search (the grid
// numbered by distance from the destination, one full scan a wave, then the
// trace-back from the walker), without scanning the grid 255 times.
#include "critters/PathSearch.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {
using TColumn = std::array<uint64_t, 2>;  // a grid column as bits: rows 0-63, rows 64-119

#if defined(__SSE2__) || defined(__x86_64__) || defined(__i386__)
TColumn ToColumn(__m128i bits) {
    TColumn c;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(c.data()), bits);
    return c;
}
#endif

// Whether a walk byte in rows [from, to] of a column is set. The cells are
// or-ed whole, four at a time where there are vector registers, and only the
// walk byte of the result counts.
bool AnyBlocked(const TCell* column, int from, int to) {
    uint64_t any = 0;
#ifdef __SSE2__
    static_assert(sizeof(TCell) == 8);
    __m128i a = _mm_setzero_si128(), b = _mm_setzero_si128();
    for (; from + 3 <= to; from += 4) {
        a = _mm_or_si128(a, _mm_loadu_si128(reinterpret_cast<const __m128i*>(column + from)));
        b = _mm_or_si128(b, _mm_loadu_si128(reinterpret_cast<const __m128i*>(column + from + 2)));
    }
    const TColumn both = ToColumn(_mm_or_si128(a, b));
    any = both[0] | both[1];
#endif
    for (int y = from; y <= to; ++y) {
        uint64_t cell;
        std::memcpy(&cell, &column[y], sizeof cell);
        any |= cell;
    }
    unsigned char merged[sizeof any];
    std::memcpy(merged, &any, sizeof any);
    return merged[offsetof(TCell, WalkBlock)] != 0;
}

// When nothing but the two ends blocks the rectangle between walker and
// destination, every cell in it lies at its Chebyshev distance from the
// destination, and the trace-back's preferences make the path go straight
// along the longer axis until both distances are equal, then diagonally. Far
// cheaper than a search over open ground, which is where most walks go.
bool OpenRectangle(const TGrid& grid, int32_t sx, int32_t sy, int32_t dx, int32_t dy) {
    const int32_t top = std::min(sy, dy), bottom = std::max(sy, dy);
    for (int32_t x = std::min(sx, dx); x <= std::max(sx, dx); ++x) {
        // The two ends are corners of the rectangle: their columns leave out their rows.
        int32_t from = top, to = bottom;
        auto leaveOut = [&](int32_t y) {
            if (y == from)
                ++from;
            else if (y == to)
                --to;
        };
        if (x == sx) leaveOut(sy);
        if (x == dx) leaveOut(dy);
        if (from <= to && AnyBlocked(&grid.Raw()[size_t(x) * MapRows], from, to)) return false;
    }
    return true;
}

TTilePath StraightThenDiagonal(int32_t x, int32_t y, int32_t dx, int32_t dy) {
    TTilePath path;
    path.reserve(size_t(std::max(std::abs(dx - x), std::abs(dy - y))));
    while (x != dx || y != dy) {
        const int32_t ax = std::abs(dx - x), ay = std::abs(dy - y);
        if (ax >= ay) x += dx > x ? 1 : -1;
        if (ay >= ax) y += dy > y ? 1 : -1;
        path.emplace_back(x, y);
    }
    return path;
}

// West, east, north, south, north-west, south-east, south-west, north-east:
// the trace-back's order of preference.
constexpr std::array<std::pair<int, int>, 8> NeighbourSteps = {
    {{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {-1, -1}, {1, 1}, {-1, 1}, {1, -1}}};

// Whether the walker stands in a pocket of fewer than eight free cells that
// does not touch the destination: no path leads out then, and the waves from
// the destination need not flood the rest of the grid to find so.
bool ShutIn(const TGrid& grid, int sx, int sy, int dx, int dy) {
    std::array<std::pair<int, int>, 8> pocket{{{sx, sy}}};
    size_t size = 1;
    for (size_t i = 0; i < size; ++i)
        for (const auto& [ox, oy] : NeighbourSteps) {
            const int x = pocket[i].first + ox, y = pocket[i].second + oy;
            if (x == dx && y == dy) return false;
            if (!TGrid::Inside(x, y) || grid.At(x, y).WalkBlock != 0 ||
                std::find(pocket.begin(), pocket.begin() + std::ptrdiff_t(size), std::pair{x, y}) !=
                    pocket.begin() + std::ptrdiff_t(size))
                continue;
            if (size == pocket.size()) return false;
            pocket[size++] = {x, y};
        }
    return true;
}

// Which of `Count` (16, or 8 at the foot of a column) cells from `cells` on are free, as bits.
template <int Count>
inline uint32_t FreeCells(const TCell* cells) {
#ifdef __SSE2__
    static_assert(sizeof(TCell) == 8 && offsetof(TCell, WalkBlock) == 0);
    // The walk bytes of sixteen cells packed into one vector: two cells a load,
    // halved in width three times, then compared with zero at once.
    const __m128i walk = _mm_set_epi32(0, 0xFF, 0, 0xFF);
    auto two = [&](int i) {
        return 2 * i < Count ? _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + 2 * i)), walk)
                             : _mm_setzero_si128();
    };
    const __m128i a = _mm_packs_epi32(_mm_packs_epi32(two(0), two(1)), _mm_packs_epi32(two(2), two(3)));
    const __m128i b = _mm_packs_epi32(_mm_packs_epi32(two(4), two(5)), _mm_packs_epi32(two(6), two(7)));
    const uint32_t free = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_packus_epi16(a, b), _mm_setzero_si128())));
    return free & ((1u << Count) - 1);
#else
    uint32_t free = 0;
    for (int i = 0; i < Count; ++i) free |= uint32_t(cells[i].WalkBlock == 0) << i;
    return free;
#endif
}

// One wave over columns from to to: the cells next to `front` (its column x
// at front[x]; the columns either side may be read) that are open and in
// `rows` become `next`, are closed and marked in `plane`. Gives the rows the
// new front has cells in.
using TWaveStep = TColumn (*)(const TColumn* front, TColumn* next, TColumn* open, TColumn* plane, TColumn rows,
                             int from, int to);

TColumn WaveStep(const TColumn* front, TColumn* next, TColumn* open, TColumn* plane, TColumn rows, int from,
                 int to) {
#ifdef __SSE2__
    // A column's two words in one register; the three columns round it slide along.
    auto load = [](const TColumn& c) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(c.data())); };
    auto store = [](TColumn& c, __m128i bits) { _mm_storeu_si128(reinterpret_cast<__m128i*>(c.data()), bits); };
    const __m128i inRows = load(rows);
    __m128i left = load(front[from - 1]), middle = load(front[from]), reached = _mm_setzero_si128();
    for (int x = from; x <= to; ++x) {
        const __m128i right = load(front[x + 1]);
        const __m128i d = _mm_or_si128(_mm_or_si128(left, middle), right);
        left = middle;
        middle = right;
        // Each row also reaches the rows above and below it, across the two words.
        const __m128i down = _mm_or_si128(_mm_slli_epi64(d, 1), _mm_srli_epi64(_mm_slli_si128(d, 8), 63));
        const __m128i up = _mm_or_si128(_mm_srli_epi64(d, 1), _mm_slli_epi64(_mm_srli_si128(d, 8), 63));
        const __m128i o = load(open[x]);
        const __m128i n = _mm_and_si128(_mm_and_si128(_mm_or_si128(d, _mm_or_si128(down, up)), o), inRows);
        store(next[x], n);
        store(open[x], _mm_andnot_si128(n, o));
        store(plane[x], _mm_or_si128(load(plane[x]), n));
        reached = _mm_or_si128(reached, n);
    }
    return ToColumn(reached);
#else
    TColumn reached{};
    for (int x = from; x <= to; ++x) {
        const TColumn &l = front[x - 1], &m = front[x], &r = front[x + 1];
        const uint64_t d0 = l[0] | m[0] | r[0], d1 = l[1] | m[1] | r[1];
        // Each row also reaches the rows above and below it, across the two words.
        const uint64_t e0 = d0 | d0 << 1 | d0 >> 1 | d1 << 63;
        const uint64_t e1 = d1 | d1 << 1 | d1 >> 1 | d0 >> 63;
        const uint64_t n0 = e0 & open[x][0] & rows[0], n1 = e1 & open[x][1] & rows[1];
        next[x] = {n0, n1};
        open[x] = {open[x][0] & ~n0, open[x][1] & ~n1};
        plane[x] = {plane[x][0] | n0, plane[x][1] | n1};
        reached = {reached[0] | n0, reached[1] | n1};
    }
    return reached;
#endif
}

#if defined(__x86_64__) || defined(__i386__)
#define RW_HAVE_AVX2 1
// The same two columns at a time, for processors that have the wider registers:
// the byte shifts work within each half, which is one column.
__attribute__((target("avx2"), always_inline)) inline __m256i LoadPair(const TColumn* c) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(c->data()));
}
__attribute__((target("avx2"), always_inline)) inline void StorePair(TColumn* c, __m256i bits) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(c->data()), bits);
}

// One pair of columns of a wave: x and x + 1, the cells kept to `mask`.
__attribute__((target("avx2"), always_inline)) inline __m256i PairStep(const TColumn* front, TColumn* next, TColumn* open,
                                                                       TColumn* plane, int x, __m256i mask) {
    const __m256i d = _mm256_or_si256(_mm256_or_si256(LoadPair(front + x - 1), LoadPair(front + x)), LoadPair(front + x + 1));
    const __m256i down = _mm256_or_si256(_mm256_slli_epi64(d, 1), _mm256_srli_epi64(_mm256_slli_si256(d, 8), 63));
    const __m256i up = _mm256_or_si256(_mm256_srli_epi64(d, 1), _mm256_slli_epi64(_mm256_srli_si256(d, 8), 63));
    const __m256i o = LoadPair(open + x);
    const __m256i n = _mm256_and_si256(_mm256_and_si256(_mm256_or_si256(d, _mm256_or_si256(down, up)), o), mask);
    StorePair(next + x, n);
    StorePair(open + x, _mm256_andnot_si256(n, o));
    StorePair(plane + x, _mm256_or_si256(LoadPair(plane + x), n));
    return n;
}

__attribute__((target("avx2"))) TColumn WaveStepAvx2(const TColumn* front, TColumn* next, TColumn* open,
                                                     TColumn* plane, TColumn rows, int from, int to) {
    // The rows come, and the reached rows go, in registers: through memory, the
    // two words written one at a time would be read back as one, which waits.
#ifdef __x86_64__
    const __m128i rowBits = _mm_insert_epi64(_mm_cvtsi64_si128(int64_t(rows[0])), int64_t(rows[1]), 1);
#else
    const __m128i rowBits = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows.data()));
#endif
    const __m256i inRows = _mm256_broadcastsi128_si256(rowBits);
    const __m256i lowOnly = _mm256_and_si256(inRows, _mm256_set_epi64x(0, 0, -1, -1));
    __m256i reached = _mm256_setzero_si256();
    int x = from;
    for (; x < to; x += 2) reached = _mm256_or_si256(reached, PairStep(front, next, open, plane, x, inRows));
    // An odd column left over is done as the left of a pair whose right is kept out by the mask.
    if (x == to) reached = _mm256_or_si256(reached, PairStep(front, next, open, plane, x, lowOnly));
    const __m128i both = _mm_or_si128(_mm256_castsi256_si128(reached), _mm256_extracti128_si256(reached, 1));
#ifdef __x86_64__
    return {uint64_t(_mm_cvtsi128_si64(both)), uint64_t(_mm_extract_epi64(both, 1))};
#else
    return ToColumn(both);
#endif
}

// The walk bytes of cells 4i to 4i + 3, one to each 64 bits; cells past the
// column's foot (the first `Count` are in it) read as blocked.
template <int Count>
__attribute__((target("avx2"), always_inline)) inline __m256i FourWalkBytes(const TCell* cells, int i) {
    const __m256i walk = _mm256_set1_epi64x(0xFF);
    return 4 * i < Count ? _mm256_and_si256(LoadPair(reinterpret_cast<const TColumn*>(cells + 4 * i)), walk) : walk;
}

// Which of `Count` (32, or 24 at the foot of a column) cells from `cells` on
// are free, as bits: the walk bytes of four cells a load, packed down to
// bytes and compared with zero at once. The packing works within each half of
// the register, so the pairs of cells come out of order and are put back.
template <int Count>
__attribute__((target("avx2"), always_inline)) inline uint32_t FreeCellsAvx2(const TCell* cells) {
    static_assert(sizeof(TCell) == 8 && offsetof(TCell, WalkBlock) == 0);
    const __m256i low = _mm256_packs_epi32(_mm256_packs_epi32(FourWalkBytes<Count>(cells, 0), FourWalkBytes<Count>(cells, 1)),
                                           _mm256_packs_epi32(FourWalkBytes<Count>(cells, 2), FourWalkBytes<Count>(cells, 3)));
    const __m256i high = _mm256_packs_epi32(_mm256_packs_epi32(FourWalkBytes<Count>(cells, 4), FourWalkBytes<Count>(cells, 5)),
                                            _mm256_packs_epi32(FourWalkBytes<Count>(cells, 6), FourWalkBytes<Count>(cells, 7)));
    const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(low, high), 0xD8);
    const __m256i order = _mm256_setr_epi8(0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15, 0, 1, 8, 9, 2, 3, 10,
                                           11, 4, 5, 12, 13, 6, 7, 14, 15);
    const __m256i inOrder = _mm256_shuffle_epi8(bytes, order);
    return uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(inOrder, _mm256_setzero_si256())));
}

// The free cells of a column's top 64 rows and of the rest, each word where asked.
__attribute__((target("avx2"))) TColumn FreeWordsAvx2(const TCell* column, bool top, bool foot) {
    TColumn free{};
    if (top) free[0] = FreeCellsAvx2<32>(column) | uint64_t(FreeCellsAvx2<32>(column + 32)) << 32;
    if (foot) free[1] = FreeCellsAvx2<32>(column + 64) | uint64_t(FreeCellsAvx2<MapRows - 96>(column + 96)) << 32;
    return free;
}

// Whether whole words of rows are read with the wider registers.
bool WideReads = false;
#endif

TWaveStep PickWaveStep(bool wide) {
#ifdef RW_HAVE_AVX2
    WideReads = false;
    __builtin_cpu_init();
    if (wide && __builtin_cpu_supports("avx2")) {
        WideReads = true;
        return WaveStepAvx2;
    }
#endif
    (void)wide;
    return WaveStep;
}

// Starts as the narrow loop, so a search made before start-up code runs still works.
TWaveStep WaveStepKernel = WaveStep;
[[maybe_unused]] const bool WideAtStart = (WaveStepKernel = PickWaveStep(true)) != WaveStep;

// The breadth-first waves over bit columns: bit y of a column's two words is
// row y, so a wave is a few shifts and masks a column rather than a pass over
// its cells, and only the columns and rows the waves span are worked on. A
// cell's distance is kept modulo 3 (three bit planes): the neighbours of a
// numbered cell are one nearer, as near or one farther, and the trace-back
// only has to tell the nearer ones apart.
//
// The waves may be bounded: with a bound B, a cell is numbered only where its
// distance from the destination plus its king's-move distance to the walker
// is at most B. Every cell of a shortest path of length L <= B is within the
// bound and gets its own distance, any other numbered cell one no smaller
// than its own, and a neighbour of a path cell at most one more than that
// cell; so the trace-back makes the same choices as without the bound. With
// B < L the walker is not reached, and the search is made again with a wider
// bound. A short walk's waves then stay between its two ends.
class TBitWaves {
public:
    TTilePath Search(const TGrid& grid, int sx, int sy, int dx, int dy);

private:
    // Column x is entry x + 1: the empty columns at either side spare the wave loop its edge tests (two on
    // the right, where a wave over an odd number of columns reads one more).
    static constexpr int Columns = MapCols + 3;
    // The grid is read in bands of 16 rows, as the waves come near them.
    static constexpr int BandRows = 16;
    static constexpr int LastBand = MapRows / BandRows;  // the short one at the foot
    // Walks at most this far apart start with the tightest bound; farther ones
    // are mostly long ways round, where retries would cost more than they save.
    static constexpr int BoundedReach = 24;
    static constexpr int Boxed = -1;  // Waves(): the walker is boxed in

    static TColumn Bits(int y) {
        TColumn c{};
        if (y >= 0 && y < MapRows) c[size_t(y >> 6)] = uint64_t(1) << (y & 63);
        return c;
    }
    // Rows from to to (inclusive, clipped to the grid).
    static TColumn Rows(int from, int to) {
        auto word = [&](int base) {
            const int a = std::max(from - base, 0), b = std::min(to - base, 63);
            return a > b ? uint64_t(0) : (~uint64_t(0) >> (63 - b)) & (~uint64_t(0) << a);
        };
        return {word(0), word(64) & ((uint64_t(1) << (MapRows - 64)) - 1)};
    }
    void ReadBands(const TGrid& grid, int fromX, int toX, int fromBand, int toBand);
    void Cover(const TGrid& grid, int fromX, int toX, int fromY, int toY);
    int Waves(const TGrid& grid, int bound, bool lookForBox);
    TTilePath TraceBack(int steps);

    // Free: cells read and not blocked; Open: those not numbered yet; Planes[k]: numbered k modulo 3.
    std::array<TColumn, Columns> Free{}, Open{}, FrontA{}, FrontB{};
    std::array<std::array<TColumn, Columns>, 3> Planes{};
    // The part of the grid this search has read: columns ReadFrom to ReadTo, bands BandFrom to BandTo, which
    // are rows ReadTop to ReadBottom.
    int ReadFrom = 0, ReadTo = -1, BandFrom = 0, BandTo = -1, ReadTop = 0, ReadBottom = -1;
    int WalkerX = 0, WalkerY = 0, DestX = 0, DestY = 0;
    bool ReadAhead = false;  // Cover() reads more than asked
};

inline void TBitWaves::ReadBands(const TGrid& grid, int fromX, int toX, int fromBand, int toBand) {
    static_assert(MapRows % BandRows == 8 && 64 % BandRows == 0);
    const int fullTo = std::min(toBand, LastBand - 1);
    // Whole words of rows are read without the loop over their bands.
    const bool words = fromBand % 4 == 0 && (toBand == 3 || toBand == LastBand);
    for (int x = fromX; x <= toX; ++x) {
        const TCell* column = &grid.Raw()[size_t(x) * MapRows];
        uint64_t free[2] = {0, 0};
#ifdef RW_HAVE_AVX2
        if (words && WideReads) {
            const TColumn both = FreeWordsAvx2(column, fromBand == 0, toBand == LastBand);
            free[0] = both[0], free[1] = both[1];
        } else
#endif
        if (words) {
            auto word = [&](int y) {
                return uint64_t(FreeCells<BandRows>(column + y)) | uint64_t(FreeCells<BandRows>(column + y + 16)) << 16 |
                       uint64_t(FreeCells<BandRows>(column + y + 32)) << 32;
            };
            if (fromBand == 0) free[0] = word(0) | uint64_t(FreeCells<BandRows>(column + 48)) << 48;
            if (toBand == LastBand) free[1] = word(64) | uint64_t(FreeCells<8>(column + 112)) << 48;
        } else {
            for (int band = fromBand; band <= fullTo; ++band)
                free[band >> 2] |= uint64_t(FreeCells<BandRows>(column + band * BandRows)) << (band & 3) * BandRows;
            if (toBand == LastBand) free[1] |= uint64_t(FreeCells<8>(column + LastBand * BandRows)) << (LastBand & 3) * BandRows;
        }
        TColumn &f = Free[size_t(x + 1)], &o = Open[size_t(x + 1)];
        f[0] |= free[0], f[1] |= free[1], o[0] |= free[0], o[1] |= free[1];
    }
}

// Reads what the next wave may reach of the grid, rows fromY to toY on the
// grid. Unread cells count as blocked, which they are as far as the waves so
// far go.
void TBitWaves::Cover(const TGrid& grid, int fromX, int toX, int fromY, int toY) {
    int fromBand = fromY / BandRows, toBand = toY / BandRows;
    if (ReadAhead) {
        // Long searches flood most of the ground they come to: whole words of
        // rows, and a few columns at a time, spare them many small reads.
        fromBand &= ~3, toBand = toBand < 4 ? 3 : LastBand;
        if (fromX < ReadFrom) fromX -= 3;
        if (toX > ReadTo) toX += 3;
    }
    fromX = std::max(fromX, 0), toX = std::min(toX, MapCols - 1);
    // New rows of the columns read so far, then new columns with all the rows.
    if (fromBand < BandFrom) ReadBands(grid, ReadFrom, ReadTo, fromBand, BandFrom - 1), BandFrom = fromBand;
    if (toBand > BandTo) ReadBands(grid, ReadFrom, ReadTo, BandTo + 1, toBand), BandTo = toBand;
    auto readColumns = [&](int from, int to) {
        for (size_t i = size_t(from + 1); i <= size_t(to + 1); ++i)
            Free[i][0] = Free[i][1] = Open[i][0] = Open[i][1] = Planes[0][i][0] = Planes[0][i][1] = Planes[1][i][0] =
                Planes[1][i][1] = Planes[2][i][0] = Planes[2][i][1] = 0;
        ReadBands(grid, from, to, BandFrom, BandTo);
    };
    if (fromX < ReadFrom) readColumns(fromX, ReadFrom - 1), ReadFrom = fromX;
    if (toX > ReadTo) readColumns(ReadTo + 1, toX), ReadTo = toX;
    ReadTop = BandFrom * BandRows, ReadBottom = std::min(BandTo * BandRows + BandRows - 1, MapRows - 1);
    // The walker's cell is never numbered.
    if (WalkerX >= ReadFrom && WalkerX <= ReadTo) {
        const uint64_t walker = ~Bits(WalkerY)[size_t(WalkerY >> 6)];
        Free[size_t(WalkerX + 1)][size_t(WalkerY >> 6)] &= walker;
        Open[size_t(WalkerX + 1)][size_t(WalkerY >> 6)] &= walker;
    }
}

TTilePath TBitWaves::Search(const TGrid& grid, int sx, int sy, int dx, int dy) {
    WalkerX = sx, WalkerY = sy, DestX = dx, DestY = dy;
    ReadFrom = dx + 1, ReadTo = dx;
    BandFrom = dy / BandRows + 1, BandTo = dy / BandRows, ReadTop = 0, ReadBottom = -1;
    const int reach = std::max(std::abs(sx - dx), std::abs(sy - dy));
    // A detour round a short wall is a handful of steps longer than the straight walk.
    auto wider = [](int bound) { return std::min(MaxPathSteps, bound + 5 + bound / 4); };
    for (int bound = reach <= BoundedReach ? reach : MaxPathSteps;; bound = wider(bound)) {
        ReadAhead = bound == MaxPathSteps;
        const int steps = Waves(grid, bound, bound == MaxPathSteps);
        if (steps > 0) return TraceBack(steps);
        if (bound == MaxPathSteps || steps == Boxed) return {};
        // Tight bounds keep a boxed-in walker's waves small; before they grow wide, look for the box.
        if (bound <= BoundedReach && wider(bound) > BoundedReach && ShutIn(grid, sx, sy, dx, dy)) return {};
        for (int x = ReadFrom; x <= ReadTo; ++x) {
            Open[size_t(x + 1)] = Free[size_t(x + 1)];
            for (auto& plane : Planes) plane[size_t(x + 1)] = TColumn{};
        }
    }
}

// The waves from the destination within `bound`: the walk's length when they
// reach the walker, 0 when they do not, Boxed when they have been found never to.
int TBitWaves::Waves(const TGrid& grid, int bound, bool lookForBox) {
    const int sx = WalkerX, sy = WalkerY, dx = DestX, dy = DestY;
    // A cell on a walk of at most `bound` steps is at most that far from both
    // ends together, so it lies in this box, as wide as the bound.
    const int boxLeft = std::max(0, -((bound - sx - dx) >> 1)), boxRight = std::min(MapCols - 1, (sx + dx + bound) >> 1);
    const int boxTop = std::max(0, -((bound - sy - dy) >> 1)), boxBottom = std::min(MapRows - 1, (sy + dy + bound) >> 1);
    // A short walk's box is read at once rather than as the waves come.
    if (bound <= BoundedReach) Cover(grid, boxLeft, boxRight, boxTop, boxBottom);
    Cover(grid, dx, dx, dy, dy);
    const TColumn dest = Bits(dy);
    Planes[0][size_t(dx + 1)] = dest;
    Open[size_t(dx + 1)][size_t(dy >> 6)] &= ~dest[size_t(dy >> 6)];
    TColumn* front = FrontA.data();
    TColumn* next = FrontB.data();
    front[dx + 1] = dest;
    int lo = dx, hi = dx, top = dy, bottom = dy;  // where the front lies
    int nextLo = 0, nextHi = -1;                  // where `next` may still hold an older front
    const TColumn nearWalker = Rows(sy - 1, sy + 1);
    const TColumn allRows = Rows(0, MapRows - 1);
    // After this wave, the last the limit allows, the walker is out of reach.
    const int lastWave = std::min(MaxPathSteps - 1, bound - 1);

    int steps = 0;
    for (int v = 0, planeNext = 1;; ++v, planeNext = planeNext == 2 ? 0 : planeNext + 1) {
        if (sx >= lo - 1 && sx <= hi + 1) {
            const TColumn &l = front[sx], &m = front[sx + 1], &r = front[sx + 2];
            if (((l[0] | m[0] | r[0]) & nearWalker[0]) | ((l[1] | m[1] | r[1]) & nearWalker[1])) {
                steps = v + 1;
                break;
            }
        }
        if (v == lastWave) break;
        // Most walkers are soon reached; one boxed in is never, and is worth
        // looking for before the waves go on to flood the grid.
        if (lookForBox && v == 12 && ShutIn(grid, sx, sy, dx, dy)) {
            steps = Boxed;
            break;
        }
        // The cells of the next wave lie within this distance of the walker.
        const int range = bound - (v + 1);
        const int from = std::max(std::max(lo - 1, boxLeft), sx - range), to = std::min(std::min(hi + 1, boxRight), sx + range);
        // The rows the bound allows; the wave reaches none beyond the front's.
        const int rowFrom = std::max(boxTop, sy - range), rowTo = std::min(boxBottom, sy + range);
        const TColumn rows = rowFrom == 0 && rowTo == MapRows - 1 ? allRows : Rows(rowFrom, rowTo);
        const int up = std::max(top - 1, rowFrom), down = std::min(bottom + 1, rowTo);
        if (from < ReadFrom || to > ReadTo || up < ReadTop || down > ReadBottom) Cover(grid, from, to, up, down);
        TColumn* plane = Planes[size_t(planeNext)].data();
        const TColumn reached = WaveStepKernel(front + 1, next + 1, Open.data() + 1, plane + 1, rows, from, to);
        const uint64_t rows0 = reached[0], rows1 = reached[1];
        // What is left of the front before last outside this one's columns.
        for (int x = nextLo; x <= std::min(nextHi, from - 1); ++x) next[x + 1] = TColumn{};
        for (int x = std::max(nextLo, to + 1); x <= nextHi; ++x) next[x + 1] = TColumn{};
        nextLo = lo;
        nextHi = hi;
        std::swap(front, next);
        if (!(rows0 | rows1)) {  // the waves have run out: the walker is cut off or out of bounds
            lo = 0, hi = -1;
            break;
        }
        // The new front lies within the columns worked on, mostly all of them.
        auto empty = [&](int x) { return !(front[x + 1][0] | front[x + 1][1]); };
        for (lo = from; empty(lo); ++lo) {
        }
        for (hi = to; empty(hi); --hi) {
        }
        top = rows0 ? std::countr_zero(rows0) : 64 + std::countr_zero(rows1);
        bottom = rows1 ? 127 - std::countl_zero(rows1) : 63 - std::countl_zero(rows0);
    }
    for (int x = std::max(lo, 0); x <= hi; ++x) front[x + 1] = TColumn{};
    for (int x = nextLo; x <= nextHi; ++x) next[x + 1] = TColumn{};
    return steps;
}

TTilePath TBitWaves::TraceBack(int steps) {
    // The 3 x 3 cells round a cell as nine bits, column by column from the
    // west, each column from the north; for each such set of cells, the step
    // to the first of them in the order of preference (none: stay), as x + 1
    // in the low two bits and y + 1 in the next two. The step itself in the
    // table, rather than which step, spares each step of the walk a read.
    static constexpr auto first = [] {
        std::array<uint8_t, 512> table{};
        for (int cells = 0; cells < 512; ++cells) {
            table[size_t(cells)] = 1 | 1 << 2;
            for (int k = 7; k >= 0; --k) {
                const auto [ox, oy] = NeighbourSteps[size_t(k)];
                if (cells >> ((ox + 1) * 3 + oy + 1) & 1) table[size_t(cells)] = uint8_t((ox + 1) | (oy + 1) << 2);
            }
        }
        return table;
    }();
    // The path keeps to the columns read, but looks at those either side (and
    // from the walker, that may stand beside them, at two), which may hold an
    // older search's numbers.
    for (int x : {ReadFrom - 2, ReadFrom - 1, ReadTo + 1, ReadTo + 2})
        if (x >= -1 && x <= MapCols)
            for (auto& plane : Planes) plane[size_t(x + 1)] = {0, 0};
    // Rows y - 1 to y + 1 of column x in a plane, as three bits (no rows lie
    // beyond the grid's, so those bits are clear).
    auto around = [&](const std::array<TColumn, Columns>& plane, int x, int y) -> unsigned {
        const TColumn& c = plane[size_t(x + 1)];
        if (y >= 1 && y <= 62) return unsigned(c[0] >> (y - 1)) & 7;
        if (y >= 65) return unsigned(c[1] >> (y - 65)) & 7;
        if (y == 0) return unsigned(c[0] << 1) & 7;
        return unsigned(c[0] >> (y - 1) | c[1] << (65 - y)) & 7;  // across the two words
    };
    TTilePath path(static_cast<size_t>(steps));
    int x = WalkerX, y = WalkerY;
    for (int i = 0, modulo3 = (steps - 1) % 3; i < steps; ++i, modulo3 = modulo3 == 0 ? 2 : modulo3 - 1) {
        const auto& plane = Planes[size_t(modulo3)];
        const unsigned cells = around(plane, x - 1, y) | around(plane, x, y) << 3 | around(plane, x + 1, y) << 6;
        const int step = first[cells];
        x += (step & 3) - 1, y += (step >> 2) - 1;
        path[size_t(i)] = {x, y};
    }
    return path;
}

TTilePath Search(const TGrid& grid, int32_t sx, int32_t sy, int32_t dx, int32_t dy) {
    thread_local TBitWaves waves;
    return waves.Search(grid, sx, sy, dx, dy);
}
}  // namespace

bool SetPathSearchWideVectors(bool enable) {
    WaveStepKernel = PickWaveStep(enable);
    return WaveStepKernel != WaveStep;
}

TTilePath SearchPath(const TGrid& grid, int32_t startX, int32_t startY, int32_t destX, int32_t destY) {
    // A walker on its destination is overwritten by it and never found.
    if (!TGrid::Inside(startX, startY) || !TGrid::Inside(destX, destY) || (startX == destX && startY == destY))
        return {};
    if (OpenRectangle(grid, startX, startY, destX, destY)) return StraightThenDiagonal(startX, startY, destX, destY);
    return Search(grid, startX, startY, destX, destY);
}
