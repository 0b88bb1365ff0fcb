#include "media/Surface.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>

#include "media/Font.h"
#include "media/ImageList.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

constexpr TColor RgbMask = 0x00FFFFFF;

// Source pixels whose colour is the key leave the destination as it is.
void KeyedRow(TColor* d, const TColor* s, int n, TColor key) {
    int i = 0;
#ifdef __SSE2__
    const __m128i mask = _mm_set1_epi32(int(RgbMask)), k = _mm_set1_epi32(int(key));
    for (; i + 4 <= n; i += 4) {
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const __m128i hole = _mm_cmpeq_epi32(_mm_and_si128(sv, mask), k);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                         _mm_or_si128(_mm_and_si128(hole, dv), _mm_andnot_si128(hole, sv)));
    }
#endif
    for (; i < n; ++i)
        if ((s[i] & RgbMask) != key) d[i] = s[i];
}

// Per channel (s * a + d * (255 - a) + 127) / 255, computed as (t + (t >> 8)) >> 8 with t = sum + 128,
// which is the same for every sum up to 255 * 255.
inline TColor MixPixel(TColor s, TColor d, unsigned a) {
    const unsigned na = 255 - a;
    unsigned rb = (s & 0xFF00FF) * a + (d & 0xFF00FF) * na + 0x800080;
    rb = ((rb + ((rb >> 8) & 0xFF00FF)) >> 8) & 0xFF00FF;
    unsigned g = ((s >> 8) & 0xFF) * a + ((d >> 8) & 0xFF) * na + 0x80;
    g = ((g + (g >> 8)) >> 8) & 0xFF;
    return rb | (g << 8);
}

#ifdef __SSE2__
inline __m128i Mix4(__m128i sv, __m128i dv, __m128i av, __m128i nav) {
    const __m128i zero = _mm_setzero_si128(), bias = _mm_set1_epi16(128);
    auto half = [&](__m128i s16, __m128i d16) {
        __m128i t = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(s16, av), _mm_mullo_epi16(d16, nav)), bias);
        return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
    };
    const __m128i lo = half(_mm_unpacklo_epi8(sv, zero), _mm_unpacklo_epi8(dv, zero));
    const __m128i hi = half(_mm_unpackhi_epi8(sv, zero), _mm_unpackhi_epi8(dv, zero));
    return _mm_packus_epi16(lo, hi);
}
#endif

// The pixels of a run that has no key in it, mixed with the vector formula: all four bytes of each pixel are
// mixed alike, so a run gives the same pixels wherever it starts and ends. A tail shorter than a vector goes
// through one in a scratch copy.
void MixSpan(TColor* d, const TColor* s, int n, unsigned a) {
    int i = 0;
#ifdef __SSE2__
    const __m128i av = _mm_set1_epi16(short(a)), nav = _mm_set1_epi16(short(255 - a));
    for (; i + 4 <= n; i += 4) {
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), Mix4(sv, dv, av, nav));
    }
    if (i < n) {
        alignas(16) TColor sb[4] = {}, db[4] = {};
        std::memcpy(sb, s + i, size_t(n - i) * sizeof(TColor));
        std::memcpy(db, d + i, size_t(n - i) * sizeof(TColor));
        const __m128i m = Mix4(_mm_load_si128(reinterpret_cast<const __m128i*>(sb)),
                               _mm_load_si128(reinterpret_cast<const __m128i*>(db)), av, nav);
        _mm_store_si128(reinterpret_cast<__m128i*>(db), m);
        std::memcpy(d + i, db, size_t(n - i) * sizeof(TColor));
    }
#else
    for (; i < n; ++i) d[i] = MixPixel(s[i], d[i], a);
#endif
}

// One destination row of a translucent draw; src is indexed through map, or read straight when map is null.
void MixRow(TColor* d, const TColor* src, const int* map, int n, unsigned a, bool keyed, TColor key) {
    int i = 0;
#ifdef __SSE2__
    const __m128i av = _mm_set1_epi16(short(a)), nav = _mm_set1_epi16(short(255 - a));
    const __m128i mask = _mm_set1_epi32(int(RgbMask)), k = _mm_set1_epi32(int(keyed ? key : ~0u));
    for (; i + 4 <= n; i += 4) {
        const __m128i sv =
            map ? _mm_set_epi32(int(src[map[i + 3]]), int(src[map[i + 2]]), int(src[map[i + 1]]), int(src[map[i]]))
                : _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const __m128i hole = _mm_cmpeq_epi32(_mm_and_si128(sv, mask), k);
        const __m128i mixed = Mix4(sv, dv, av, nav);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                         _mm_or_si128(_mm_and_si128(hole, dv), _mm_andnot_si128(hole, mixed)));
    }
#endif
    for (; i < n; ++i) {
        const TColor s = map ? src[map[i]] : src[i];
        if (!keyed || (s & RgbMask) != key) d[i] = MixPixel(s, d[i], a);
    }
}

#if defined(__x86_64__) || defined(__i386__)
#define RW_HAVE_AVX2 1

// The same loops eight pixels at a time, for processors that have the wider registers.
__attribute__((target("avx2"))) void KeyedRowAvx2(TColor* d, const TColor* s, int n, TColor key) {
    const __m256i mask = _mm256_set1_epi32(int(RgbMask)), k = _mm256_set1_epi32(int(key));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
        const __m256i hole = _mm256_cmpeq_epi32(_mm256_and_si256(sv, mask), k);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_blendv_epi8(sv, dv, hole));
    }
    if (i < n) {
        // Masked lanes are neither read nor written, so the tail needs no scalar loop.
        const __m256i tail = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - i), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        const __m256i sv = _mm256_maskload_epi32(reinterpret_cast<const int*>(s + i), tail);
        const __m256i hole = _mm256_cmpeq_epi32(_mm256_and_si256(sv, mask), k);
        _mm256_maskstore_epi32(reinterpret_cast<int*>(d + i), _mm256_andnot_si256(hole, tail), sv);
    }
}

__attribute__((target("avx2"), always_inline)) inline __m256i Mix16Avx2(__m256i s16, __m256i d16, __m256i av,
                                                                        __m256i nav, __m256i bias) {
    const __m256i t =
        _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(s16, av), _mm256_mullo_epi16(d16, nav)), bias);
    return _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
}

__attribute__((target("avx2"))) void MixRowAvx2(TColor* d, const TColor* src, const int* map, int n, unsigned a,
                                                bool keyed, TColor key) {
    const __m256i av = _mm256_set1_epi16(short(a)), nav = _mm256_set1_epi16(short(255 - a));
    const __m256i zero = _mm256_setzero_si256(), bias = _mm256_set1_epi16(128);
    const __m256i mask = _mm256_set1_epi32(int(RgbMask)), k = _mm256_set1_epi32(int(keyed ? key : ~0u));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i sv =
            map ? _mm256_i32gather_epi32(reinterpret_cast<const int*>(src),
                                         _mm256_loadu_si256(reinterpret_cast<const __m256i*>(map + i)), 4)
                : _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
        const __m256i hole = _mm256_cmpeq_epi32(_mm256_and_si256(sv, mask), k);
        // Unpacking and packing both work within each 128-bit half, so the pixels come back in order.
        const __m256i lo = Mix16Avx2(_mm256_unpacklo_epi8(sv, zero), _mm256_unpacklo_epi8(dv, zero), av, nav, bias);
        const __m256i hi = Mix16Avx2(_mm256_unpackhi_epi8(sv, zero), _mm256_unpackhi_epi8(dv, zero), av, nav, bias);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i),
                            _mm256_blendv_epi8(_mm256_packus_epi16(lo, hi), dv, hole));
    }
    if (i < n) MixRow(d + i, map ? src : src + i, map ? map + i : nullptr, n - i, a, keyed, key);
}
#endif

#ifdef RW_HAVE_AVX2
__attribute__((target("avx2"))) void MixSpanAvx2(TColor* d, const TColor* s, int n, unsigned a) {
    const __m256i av = _mm256_set1_epi16(short(a)), nav = _mm256_set1_epi16(short(255 - a));
    const __m256i zero = _mm256_setzero_si256(), bias = _mm256_set1_epi16(128);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
        const __m256i lo = Mix16Avx2(_mm256_unpacklo_epi8(sv, zero), _mm256_unpacklo_epi8(dv, zero), av, nav, bias);
        const __m256i hi = Mix16Avx2(_mm256_unpackhi_epi8(sv, zero), _mm256_unpackhi_epi8(dv, zero), av, nav, bias);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_packus_epi16(lo, hi));
    }
    if (i < n) MixSpan(d + i, s + i, n - i, a);
}
#endif

// A run is mostly shorter than a library copy's set-up costs: four pixels at a time, the last four
// overlapping the ones before (source and destination are different pictures).
inline void CopyPixels(TColor* d, const TColor* s, int n) {
#ifdef __SSE2__
    if (n >= 4) {
        for (int i = 0; i + 4 < n; i += 4)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + n - 4),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + n - 4)));
        return;
    }
#endif
    for (int i = 0; i < n; ++i) d[i] = s[i];
}

// The rows of a keyed draw: the runs of one pattern cell that fall in columns [from, to) of the picture, each
// copied where it stands; d and s point at column `from`. A pattern shown whole (Cut false) has nothing of its
// runs to cut, and its rows skip the cutting.
template <bool Cut>
void CopyCellRows(TColor* d, size_t destPitch, const TColor* s, size_t srcPitch, TOpaqueRuns::TCellWalk walk, int h,
                  int from, int to, TColor key) {
    for (int row = 0; row < h; ++row, d += destPitch, s += srcPitch, walk.Start += walk.Stride) {
        if (walk.Dense[row]) {
            KeyedRow(d, s, to - from, key);
            continue;
        }
        for (const TOpaqueRuns::TRun *r = walk.Runs + walk.Start[0], *end = walk.Runs + walk.Start[1]; r != end; ++r) {
            int b = r->Begin - from, e = r->End - from;
            if (Cut && (b = std::max(b, 0)) >= (e = std::min(e, to - from))) continue;
            CopyPixels(d + b, s + b, e - b);
        }
    }
}

#ifdef RW_HAVE_AVX2
__attribute__((target("avx2"), always_inline)) inline void CopyPixelsAvx2(TColor* d, const TColor* s, int n) {
    if (n < 8) return CopyPixels(d, s, n);
    for (int i = 0; i + 8 < n; i += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i),
                            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + n - 8),
                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + n - 8)));
}

// The same walk with the wider copies.
template <bool Cut>
__attribute__((target("avx2"))) void CopyCellRowsAvx2(TColor* d, size_t destPitch, const TColor* s, size_t srcPitch,
                                                      TOpaqueRuns::TCellWalk walk, int h, int from, int to,
                                                      TColor key) {
    for (int row = 0; row < h; ++row, d += destPitch, s += srcPitch, walk.Start += walk.Stride) {
        if (walk.Dense[row]) {
            KeyedRowAvx2(d, s, to - from, key);
            continue;
        }
        for (const TOpaqueRuns::TRun *r = walk.Runs + walk.Start[0], *end = walk.Runs + walk.Start[1]; r != end; ++r) {
            int b = r->Begin - from, e = r->End - from;
            if (Cut && (b = std::max(b, 0)) >= (e = std::min(e, to - from))) continue;
            CopyPixelsAvx2(d + b, s + b, e - b);
        }
    }
}
#endif

using TKeyedRowFn = void (*)(TColor*, const TColor*, int, TColor);
using TMixRowFn = void (*)(TColor*, const TColor*, const int*, int, unsigned, bool, TColor);
using TMixSpanFn = void (*)(TColor*, const TColor*, int, unsigned);
using TCellRowsFn = void (*)(TColor*, size_t, const TColor*, size_t, TOpaqueRuns::TCellWalk, int, int, int, TColor);

struct TRowKernels {
    TKeyedRowFn Keyed = KeyedRow;
    TMixRowFn Mix = MixRow;
    TMixSpanFn Span = MixSpan;
    TCellRowsFn CellRows = CopyCellRows<false>;
    TCellRowsFn CutCellRows = CopyCellRows<true>;
    bool Wide = false;
};

TRowKernels PickKernels(bool wide) {
#ifdef RW_HAVE_AVX2
    __builtin_cpu_init();
    if (wide && __builtin_cpu_supports("avx2"))
        return {KeyedRowAvx2, MixRowAvx2, MixSpanAvx2, CopyCellRowsAvx2<false>, CopyCellRowsAvx2<true>, true};
#endif
    (void)wide;
    return {};
}

// Starts as the narrow loops (fixed at compile time), so a draw made before start-up code runs still works.
TRowKernels Kernels;
[[maybe_unused]] const bool WideAtStart = (Kernels = PickKernels(true)).Wide;

}  // namespace

bool TSurface::SetWideVectors(bool enable) {
    Kernels = PickKernels(enable);
    return Kernels.Wide;
}

TSurface::TSurface(TFontEngine& fonts) : FontEngine(fonts), Screen(ScreenWidth, ScreenHeight) {}

namespace {
// Sixteen pixels a pass in four vector stores: the plain loop the compiler
// makes of std::fill stores one pixel at a time and is slower than the
// window library's fill.
void FillPixels(TColor* d, size_t n, TColor c) {
    size_t i = 0;
#ifdef __SSE2__
    const __m128i v = _mm_set1_epi32(int(c));
    for (; i + 16 <= n; i += 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 4), v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 8), v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 12), v);
    }
    for (; i + 4 <= n; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), v);
#endif
    for (; i < n; ++i) d[i] = c;
}
}  // namespace

void TSurface::Fill(TColor c) {
    FillPixels(Screen.Data().data(), Screen.Data().size(), c);
}

namespace {
// Calls f(offset, length) for each piece of a row's runs that lies in columns [from, from + n), the offset
// counted from `from`.
template <class F>
void ForRunsIn(std::span<const TOpaqueRuns::TRun> runs, int64_t from, int64_t n, F&& f) {
    const int64_t to = from + n;
    auto it = runs.begin();
    // Only a picture of many patterns side by side has enough runs in a row to be worth a search.
    if (runs.size() > 8)
        it = std::partition_point(runs.begin(), runs.end(), [&](const TOpaqueRuns::TRun& r) { return r.End <= from; });
    for (; it != runs.end() && it->Begin < to; ++it) {
        const int64_t b = std::max<int64_t>(it->Begin, from), e = std::min<int64_t>(it->End, to);
        if (b < e) f(int(b - from), int(e - b));
    }
}

// The key's pixels of a source row left out: only the runs are copied.
void CopyRuns(TColor* d, const TColor* s, const TOpaqueRuns& runs, int64_t srcY, int64_t srcX, int64_t n) {
    if (runs.Dense(int(srcY))) return Kernels.Keyed(d, s, int(n), runs.Key());
    ForRunsIn(runs.Row(int(srcY)), srcX, n, [&](int o, int len) { CopyPixels(d + o, s + o, len); });
}

// The same pixels as the translucent row loop over the whole row gives (keyed), mixing only the runs. The
// loop mixes all four bytes in its vectors and only the colour in its last n % 4 pixels, so those are mixed
// that way here too.
void MixRuns(TColor* d, const TColor* s, const TOpaqueRuns& runs, int64_t srcY, int64_t srcX, int n, unsigned a) {
    if (runs.Dense(int(srcY))) return Kernels.Mix(d, s, nullptr, n, a, true, runs.Key());
#ifdef __SSE2__
    const int vectorEnd = n - n % 4;
#else
    const int vectorEnd = n;
#endif
    ForRunsIn(runs.Row(int(srcY)), srcX, n, [&](int o, int len) {
        const int split = std::clamp(vectorEnd, o, o + len);
        if (split > o) Kernels.Span(d + o, s + o, split - o, a);
        for (int i = split; i < o + len; ++i) d[i] = MixPixel(s[i], d[i], a);
    });
}
}  // namespace

void TSurface::Draw(const TImageItem& item, int x, int y, int pattern) {
    TRect r;
    if (!item.PatternRect(pattern, r)) return;
    TBlit b;
    if (!ClipBlit(r, item.Picture.Width(), item.Picture.Height(), x, y, Screen.Width(), Screen.Height(), b)) return;
    const int64_t sx = b.SrcX, sy = b.SrcY, dx = b.DestX, dy = b.DestY, w = b.Width, h = b.Height;
    const TBitmap& pic = item.Picture;
    if (!item.Transparent) {
        for (int64_t row = 0; row < h; ++row)
            std::memcpy(Screen.Row(int(dy + row)) + dx, pic.Row(int(sy + row)) + sx, size_t(w) * sizeof(TColor));
        return;
    }
    const TOpaqueRuns& runs = pic.OpaqueRuns(item.TransparentColor, item.PatW());
    // A pattern shown whole in a cell of its own has nothing of its runs to cut.
    const bool whole = w == r.Width() && runs.CellWidth() == r.Width();
    (whole ? Kernels.CellRows : Kernels.CutCellRows)(
        Screen.Row(int(dy)) + dx, size_t(Screen.Width()), pic.Row(int(sy)) + sx, size_t(pic.Width()),
        runs.Walk(int(sy), r.Left / runs.CellWidth()), int(h), int(sx), int(sx + w), runs.Key());
}

void TSurface::DrawAlpha(const TImageItem& item, const TRect& dest, int pattern, int alpha) {
    if (alpha <= 0) return;
    const unsigned a = unsigned(std::min(alpha, 255));
    TRect r;
    if (!item.PatternRect(pattern, r)) return;
    const int64_t dw = int64_t(dest.Right) - dest.Left, dh = int64_t(dest.Bottom) - dest.Top;
    if (dw <= 0 || dh <= 0) return;
    const int x0 = std::max(dest.Left, 0), x1 = std::min(dest.Right, Screen.Width());
    const int y0 = std::max(dest.Top, 0), y1 = std::min(dest.Bottom, Screen.Height());
    if (x0 >= x1 || y0 >= y1) return;
    const int64_t sw = r.Width(), sh = r.Height();
    const int n = x1 - x0;
    // Nearest neighbour, sampling at the centre of each destination pixel.
    const bool straight = sw == dw;
    if (!straight) {
        XMap.resize(size_t(n));
        for (int i = 0; i < n; ++i)
            XMap[size_t(i)] = int(r.Left + ((2 * (x0 + i - int64_t(dest.Left)) + 1) * sw) / (2 * dw));
    }
    const bool keyed = item.Transparent;
    const TColor key = item.TransparentColor & RgbMask;
    const TBitmap& pic = item.Picture;
    const TOpaqueRuns* runs = keyed ? &pic.OpaqueRuns(key, item.PatW()) : nullptr;
    const int64_t srcX = r.Left + (int64_t(x0) - dest.Left);
    for (int y = y0; y < y1; ++y) {
        const int sy = int(r.Top + ((2 * (y - int64_t(dest.Top)) + 1) * sh) / (2 * dh));
        const TColor* src = pic.Row(sy) + (straight ? srcX : 0);
        if (keyed && !runs->Dense(sy) && runs->Row(sy).empty()) continue;  // nothing but the key
        TColor* d = Screen.Row(y) + x0;
        if (a == 255 && straight && !keyed)
            std::memcpy(d, src, size_t(n) * sizeof(TColor));
        else if (a == 255 && straight)
            CopyRuns(d, src, *runs, sy, srcX, n);
        else if (straight && keyed)
            MixRuns(d, src, *runs, sy, srcX, n, a);
        else
            Kernels.Mix(d, src, straight ? nullptr : XMap.data(), n, a, keyed, key);
    }
}

void TSurface::TextOut(int x, int y, std::string_view utf8) {
    FontEngine.TextOut(Screen, Font, x, y, utf8, BrushStyle == TBrushStyle::Solid ? &BrushColor : nullptr);
}

TSize TSurface::TextExtent(std::string_view utf8) {
    return FontEngine.TextExtent(Font, utf8);
}

void TSurface::FillRect(const TRect& r, TColor c) {
    const int x0 = std::max(r.Left, 0), x1 = std::min(r.Right, Screen.Width());
    const int y0 = std::max(r.Top, 0), y1 = std::min(r.Bottom, Screen.Height());
    if (x0 >= x1) return;
    for (int y = y0; y < y1; ++y) FillPixels(Screen.Row(y) + x0, size_t(x1 - x0), c);
}

void TSurface::Rectangle(int left, int top, int right, int bottom) {
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    // Everything beyond a pixel outside the surface looks the same, and the +1/-1 below cannot overflow.
    const int limit = std::max(Screen.Width(), Screen.Height()) + 2;
    left = std::clamp(left, -2, limit), right = std::clamp(right, -2, limit);
    top = std::clamp(top, -2, limit), bottom = std::clamp(bottom, -2, limit);
    if (right == left || bottom == top) return;
    if (BrushStyle == TBrushStyle::Solid) FillRect({left + 1, top + 1, right - 1, bottom - 1}, BrushColor);
    FillRect({left, top, right, top + 1}, PenColor);
    FillRect({left, bottom - 1, right, bottom}, PenColor);
    FillRect({left, top, left + 1, bottom}, PenColor);
    FillRect({right - 1, top, right, bottom}, PenColor);
}

void TSurface::Ellipse(int left, int top, int right, int bottom) {
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    const double w = double(right) - left, h = double(bottom) - top;
    if (w < 1 || h < 1) return;
    const double cx = left + w / 2 - 0.5, cy = top + h / 2, ra = w / 2, rb = h / 2;
    struct TSpan {
        int64_t L = 1, R = 0;
    };
    // Pixels whose centres lie inside the ellipse; a row too thin for that keeps its middle pixels so the
    // outline still reaches the box's edges.
    auto span = [&](int64_t y) {
        TSpan s;
        if (y < top || y >= bottom) return s;
        const double dy = (y + 0.5 - cy) / rb;
        const double hw = ra * std::sqrt(std::max(0.0, 1 - dy * dy));
        s.L = int64_t(std::ceil(cx - hw));
        s.R = int64_t(std::floor(cx + hw));
        if (s.L > s.R) s.L = int64_t(std::floor(cx)), s.R = int64_t(std::ceil(cx));
        return s;
    };
    const bool fill = BrushStyle == TBrushStyle::Solid;
    const int64_t sw = Screen.Width();
    auto paint = [&](TColor* row, int64_t from, int64_t to, TColor c) {
        from = std::max<int64_t>(from, 0), to = std::min<int64_t>(to, sw - 1);
        if (from <= to) std::fill(row + from, row + to + 1, c);
    };
    const int y0 = std::max(top, 0), y1 = std::min(bottom, Screen.Height());
    for (int y = y0; y < y1; ++y) {
        const TSpan s = span(y), up = span(int64_t(y) - 1), down = span(int64_t(y) + 1);
        // A pixel is on the outline when one of its four neighbours is outside the ellipse.
        int64_t innerL = std::max({s.L + 1, up.L, down.L}), innerR = std::min({s.R - 1, up.R, down.R});
        TColor* row = Screen.Row(y);
        if (innerL > innerR) {
            paint(row, s.L, s.R, PenColor);
            continue;
        }
        paint(row, s.L, innerL - 1, PenColor);
        paint(row, innerR + 1, s.R, PenColor);
        if (fill) paint(row, innerL, innerR, BrushColor);
    }
}
