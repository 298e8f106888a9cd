#pragma once
// What every figure of the surface shares: the pixel a position lands on,
// rows of pixels clipped to the raster and painted. Only the surface's own
// files include this.

#include "platform/whole_numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace painter::raster {

// The pixel that covers position v (integral, or NaN for NaN).
inline double snap(float v) { return floorWhole(static_cast<double>(v) + 0.5); }

// floor(v) for v >= 0, without a library call on targets that lack a rounding
// instruction. Doubles from 2^52 on are whole numbers already.
inline double floorNonNegative(double v) {
    return v < 4503599627370496.0 ? static_cast<double>(static_cast<std::int64_t>(v)) : v;
}

inline bool allFinite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

struct Raster {
    std::uint32_t* pixels;
    int width;
    int height;
    std::uint32_t* row(int y) const { return pixels + static_cast<std::size_t>(y) * width; }
};

// A run of pixels within one row; count 0 when empty.
struct Run {
    int first = 0;
    int count = 0;
};

// Columns x0..x1 (inclusive) cut to the raster; x0, x1 whole numbers held as
// doubles (any size) or as 64-bit integers. With visibleRow below, the one
// place where figures meet the raster's edges.
template <typename T>
inline Run clipColumns(const Raster& r, T x0, T x1) {
    x0 = std::max(x0, T(0));
    x1 = std::min(x1, T(r.width - 1));
    if (!(x0 <= x1)) return {};
    const int first = static_cast<int>(x0);
    return {first, static_cast<int>(x1) - first + 1};
}

inline bool visibleRow(const Raster& r, double y) { return y >= 0 && y < r.height; }

inline void paint(std::uint32_t* p, int count, std::uint32_t value) {
#if defined(__SSE2__)
    // Four pixels a store; the library's fill_n stores one at a time here,
    // and the filled figures write hundreds of pixels per call. The first and
    // the last store may overlap the others: they write the same value. Those
    // between start on a 16-byte boundary, so that none splits a cache line.
    if (count >= 4) {
        const __m128i v = _mm_set1_epi32(static_cast<int>(value));
        std::uint32_t* const end = p + count;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
        std::uint32_t* q = p + (4 - ((reinterpret_cast<std::uintptr_t>(p) / sizeof(std::uint32_t)) & 3));
        for (; q + 8 <= end; q += 8) {
            _mm_store_si128(reinterpret_cast<__m128i*>(q), v);
            _mm_store_si128(reinterpret_cast<__m128i*>(q + 4), v);
        }
        if (q + 4 <= end) _mm_store_si128(reinterpret_cast<__m128i*>(q), v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(end - 4), v);
        return;
    }
#endif
    // The outline's runs are mostly a pixel or two: a plain loop.
    for (int i = 0; i < count; ++i) p[i] = value;
}

inline void paint(std::uint32_t* row, Run run, std::uint32_t value) { paint(row + run.first, run.count, value); }

// Pixels x0..x1 of row y, whatever part of them is visible.
inline void fillSpan(const Raster& r, double y, double x0, double x1, std::uint32_t value) {
    if (!visibleRow(r, y)) return;
    paint(r.row(static_cast<int>(y)), clipColumns(r, x0, x1), value);
}

}  // namespace painter::raster
