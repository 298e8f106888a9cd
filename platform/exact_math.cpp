// Portable sin, cos, tan, atan and pow.
//
// The algorithms, polynomial coefficients and the table of 2/pi below follow
// the freely distributable 1993 software floating-point library, whose notice
// is reproduced as its licence requires:
//
// ====================================================
// Copyright (C) 1993 by Sun Microsystems, Inc. All rights reserved.
//
// Developed at SunSoft, a Sun Microsystems, Inc. business.
// Permission to use, copy, modify, and distribute this
// software is freely granted, provided that this notice
// is preserved.
// ====================================================
//
// The tangent kernel and the special cases of the power function come from its
// 2004 revision:
//
// ====================================================
// Copyright (C) 2004 by Sun Microsystems, Inc. All rights reserved.
//
// Permission to use, copy, modify, and distribute this
// software is freely granted, provided that this notice
// is preserved.
// ====================================================
//
// The core of pow (logarithm and exponential in double-double with tables,
// after Tang's table-driven method) is our own; its tables are generated from
// 300-bit values of log(invc) and 2^(j/128).
//
// Only IEEE basic operations (+, -, *, /, sqrt), comparisons, bit
// manipulation and the exact helpers floor and scalbn are used, each result is
// rounded to double on its own (SSE2, no contraction into fused multiply-add),
// so the same argument gives the same bits on every machine, compiler and
// optimisation level. Measured against 400-bit references: sin, cos, tan and
// atan within 0.82 ulp of the exact result, pow within 0.51 ulp (0.75 ulp
// when the result is subnormal).

#include "platform/exact_math.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace painter::xm {
namespace {

// ---------------------------------------------------------------------------
// Access to the two 32-bit halves of a double; the classic algorithms branch
// on the high word (sign, exponent and top 20 bits of the fraction).

inline std::int32_t high_word(double x) { return static_cast<std::int32_t>(std::bit_cast<std::uint64_t>(x) >> 32); }

inline std::uint32_t low_word(double x) { return static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(x)); }

inline double from_words(std::uint32_t high, std::uint32_t low) {
    return std::bit_cast<double>((static_cast<std::uint64_t>(high) << 32) | low);
}

// Clearing the low word leaves 21 significant bits, so products of two such
// numbers, or of one with a 32-bit-chopped constant, are exact.
inline double chop_low_word(double x) {
    return std::bit_cast<double>(std::bit_cast<std::uint64_t>(x) & 0xffffffff00000000ULL);
}

// ---------------------------------------------------------------------------
// Reduction of x modulo pi/2 for huge arguments (|x| >= 2^20 * pi/2).
//
// The integer part (mod 8) and fraction of x * 2/pi are formed from 24-bit
// pieces of x and of 2/pi, skipping the product terms that are multiples of 8,
// so the cost does not grow with the exponent of x. Every partial product is an
// integer below 2^53 and is therefore exact.

// 2/pi in 24-bit chunks after the binary point: enough for the largest double
// exponent ((e0 - 3) / 24 + jk = 42 + 4 < 66).
constexpr std::int32_t kTwoOverPi[] = {
    0xA2F983, 0x6E4E44, 0x1529FC, 0x2757D1, 0xF534DD, 0xC0DB62, 0x95993C, 0x439041, 0xFE5163, 0xABDEBB, 0xC561B7,
    0x246E3A, 0x424DD2, 0xE00649, 0x2EEA09, 0xD1921C, 0xFE1DEB, 0x1CB129, 0xA73EE8, 0x8235F5, 0x2EBB44, 0x84E99C,
    0x7026B4, 0x5F7E41, 0x3991D6, 0x398353, 0x39F49C, 0x845F8B, 0xBDF928, 0x3B1FF8, 0x97FFDE, 0x05980F, 0xEF2F11,
    0x8B5A0A, 0x6D1F6D, 0x367ECF, 0x27CB09, 0xB74F46, 0x3F669E, 0x5FEA2D, 0x7527BA, 0xC7EBE5, 0xF17B3D, 0x0739F7,
    0x8A5292, 0xEA6BFB, 0x5FB11F, 0x8D5D08, 0x560330, 0x46FC7B, 0x6BABF0, 0xCFBC20, 0x9AF436, 0x1DA9E3, 0x91615E,
    0xE61B08, 0x659985, 0x5F14A0, 0x68408D, 0xFFD880, 0x4D7327, 0x310606, 0x1556CA, 0x73A8C9, 0x60E27B, 0xC08C6B,
};

// pi/2 in 24-bit chunks.
constexpr double kPiOver2Chunks[] = {
    1.57079625129699707031e+00,  // 0x3FF921FB, 0x40000000
    7.54978941586159635335e-08,  // 0x3E74442D, 0x00000000
    5.39030252995776476554e-15,  // 0x3CF84698, 0x80000000
    3.28200341580791294123e-22,  // 0x3B78CC51, 0x60000000
    1.27065575308067607349e-29,  // 0x39F01B83, 0x80000000
    1.22933308981111328932e-36,  // 0x387A2520, 0x40000000
    2.73370053816464559624e-44,  // 0x36E38222, 0x80000000
    2.16741683877804819444e-51,  // 0x3569F31D, 0x00000000
};

constexpr double kTwo24 = 1.67772160000000000000e+07;   // 0x41700000, 0x00000000
constexpr double kTwoM24 = 5.96046447753906250000e-08;  // 0x3E700000, 0x00000000

// x[0..nx-1]: 24-bit pieces of |x|, x[0] scaled by 2^e0. Returns the quadrant
// (n mod 8) and the remainder as y0 + y1.
int reduce_huge_kernel(const double* x, double& y0, double& y1, int e0, int nx) {
    constexpr int jk = 4;  // terms of 2/pi beyond the first, for double precision
    constexpr int jp = jk;

    std::int32_t iq[20] = {};
    double f[20] = {}, fq[20] = {}, q[20] = {};

    const int jx = nx - 1;
    int jv = (e0 - 3) / 24;
    if (jv < 0) jv = 0;
    int q0 = e0 - 24 * (jv + 1);

    // f[0..jx+jk] = kTwoOverPi[jv-jx .. jv+jk], zero before the table's start.
    {
        int j = jv - jx;
        const int m = jx + jk;
        for (int i = 0; i <= m; ++i, ++j) f[i] = j < 0 ? 0.0 : static_cast<double>(kTwoOverPi[j]);
    }
    for (int i = 0; i <= jk; ++i) {
        double fw = 0.0;
        for (int j = 0; j <= jx; ++j) fw += x[j] * f[jx + i - j];
        q[i] = fw;
    }

    int jz = jk;
    int n = 0;
    int ih = 0;
    double z = 0.0;
    for (;;) {
        // Distill q[] into 24-bit integers iq[], lowest first.
        int i = 0;
        z = q[jz];
        for (int j = jz; j > 0; ++i, --j) {
            const double fw = static_cast<double>(static_cast<std::int32_t>(kTwoM24 * z));
            iq[i] = static_cast<std::int32_t>(z - kTwo24 * fw);
            z = q[j - 1] + fw;
        }

        // Integer part mod 8 and fraction.
        z = std::scalbn(z, q0);
        z -= 8.0 * std::floor(z * 0.125);
        n = static_cast<std::int32_t>(z);
        z -= static_cast<double>(n);
        ih = 0;
        if (q0 > 0) {  // iq[jz-1] holds integer bits too
            const std::int32_t k = iq[jz - 1] >> (24 - q0);
            n += k;
            iq[jz - 1] -= k << (24 - q0);
            ih = iq[jz - 1] >> (23 - q0);
        } else if (q0 == 0) {
            ih = iq[jz - 1] >> 23;
        } else if (z >= 0.5) {
            ih = 2;
        }

        if (ih > 0) {  // fraction >= 0.5: take 1 - fraction, round n up
            n += 1;
            int carry = 0;
            for (int k = 0; k < jz; ++k) {
                const std::int32_t j = iq[k];
                if (carry == 0) {
                    if (j != 0) {
                        carry = 1;
                        iq[k] = 0x1000000 - j;
                    }
                } else {
                    iq[k] = 0xffffff - j;
                }
            }
            if (q0 > 0) {
                if (q0 == 1)
                    iq[jz - 1] &= 0x7fffff;
                else if (q0 == 2)
                    iq[jz - 1] &= 0x3fffff;
            }
            if (ih == 2) {
                z = 1.0 - z;
                if (carry != 0) z -= std::scalbn(1.0, q0);
            }
        }

        // Too much cancellation: bring in more terms of 2/pi and start again.
        if (z == 0.0) {
            std::int32_t j = 0;
            for (int k = jz - 1; k >= jk; --k) j |= iq[k];
            if (j == 0) {
                int k = 1;
                while (iq[jk - k] == 0) ++k;
                for (int m = jz + 1; m <= jz + k; ++m) {
                    f[jx + m] = static_cast<double>(kTwoOverPi[jv + m]);
                    double fw = 0.0;
                    for (int t = 0; t <= jx; ++t) fw += x[t] * f[jx + m - t];
                    q[m] = fw;
                }
                jz += k;
                continue;
            }
        }
        break;
    }

    // Drop zero chunks, or split the leftover fraction into 24-bit chunks.
    if (z == 0.0) {
        jz -= 1;
        q0 -= 24;
        while (iq[jz] == 0) {
            --jz;
            q0 -= 24;
        }
    } else {
        z = std::scalbn(z, -q0);
        if (z >= kTwo24) {
            const double fw = static_cast<double>(static_cast<std::int32_t>(kTwoM24 * z));
            iq[jz] = static_cast<std::int32_t>(z - kTwo24 * fw);
            jz += 1;
            q0 += 24;
            iq[jz] = static_cast<std::int32_t>(fw);
        } else {
            iq[jz] = static_cast<std::int32_t>(z);
        }
    }

    double fw = std::scalbn(1.0, q0);
    for (int i = jz; i >= 0; --i) {
        q[i] = fw * static_cast<double>(iq[i]);
        fw *= kTwoM24;
    }

    // fq = pi/2 * fraction, in chunks.
    for (int i = jz; i >= 0; --i) {
        fw = 0.0;
        for (int k = 0; k <= jp && k <= jz - i; ++k) fw += kPiOver2Chunks[k] * q[i + k];
        fq[jz - i] = fw;
    }

    fw = 0.0;
    for (int i = jz; i >= 0; --i) fw += fq[i];
    y0 = ih == 0 ? fw : -fw;
    fw = fq[0] - fw;
    for (int i = 1; i <= jz; ++i) fw += fq[i];
    y1 = ih == 0 ? fw : -fw;
    return n & 7;
}

// ---------------------------------------------------------------------------
// x - n * pi/2 = y0 + y1 with |y0 + y1| <= ~pi/4; returns n. Needs |x| > pi/4
// and finite x.

constexpr double kInvPiOver2 = 6.36619772367581382433e-01;  // 0x3FE45F30, 0x6DC9C883: 53 bits of 2/pi
constexpr double kPiOver2_1 = 1.57079632673412561417e+00;   // 0x3FF921FB, 0x54400000: first 33 bits of pi/2
constexpr double kPiOver2_1t = 6.07710050650619224932e-11;  // 0x3DD0B461, 0x1A626331: pi/2 - kPiOver2_1
constexpr double kPiOver2_2 = 6.07710050630396597660e-11;   // 0x3DD0B461, 0x1A600000: second 33 bits
constexpr double kPiOver2_2t = 2.02226624879595063154e-21;  // 0x3BA3198A, 0x2E037073: pi/2 - (1 + 2)
constexpr double kPiOver2_3 = 2.02226624871116645580e-21;   // 0x3BA3198A, 0x2E000000: third 33 bits
constexpr double kPiOver2_3t = 8.47842766036889956997e-32;  // 0x397B839A, 0x252049C1: pi/2 - (1 + 2 + 3)

// Cody-Waite reduction for |x| < 2^20 * pi/2: n has at most 20 bits and each
// part of pi/2 at most 33, so n * part is exact. A second and third part are
// used only when the first subtraction cancels many leading bits.
inline int reduce_medium(double x, std::int32_t ix, double& y0, double& y1) {
    // Round to nearest integer by adding and removing 1.5 * 2^52.
    double fn = x * kInvPiOver2 + 0x1.8p52;
    fn = fn - 0x1.8p52;
    const int n = static_cast<std::int32_t>(fn);
    double r = x - fn * kPiOver2_1;
    double w = fn * kPiOver2_1t;  // first round good to 85 bits
    const std::int32_t j = ix >> 20;
    y0 = r - w;
    std::int32_t i = j - ((high_word(y0) >> 20) & 0x7ff);
    if (i > 16) {  // second round, good to 118 bits
        double t = r;
        w = fn * kPiOver2_2;
        r = t - w;
        w = fn * kPiOver2_2t - ((t - r) - w);
        y0 = r - w;
        i = j - ((high_word(y0) >> 20) & 0x7ff);
        if (i > 49) {  // third round, 151 bits: covers all cases
            t = r;
            w = fn * kPiOver2_3;
            r = t - w;
            w = fn * kPiOver2_3t - ((t - r) - w);
            y0 = r - w;
        }
    }
    y1 = (r - y0) - w;
    return n;
}

// Beyond 2^20 * pi/2, n * (33-bit part) is no longer exact; up to 2^28 the
// 24-bit chunks of pi/2 from the huge reduction take their place (n < 2^28, each
// chunk has at most 24 significant bits, so every n * chunk is exact):
//   x - n*c0      exact: the two are within a factor 2 of each other
//   ... - n*c1    exact: a multiple of 2^-44 below 1 in magnitude
//   ... - n*c2    kept with its rounding error (two-sum)
//   n*c3 + n*c4 + n*c5 rounded; with the dropped chunks under 2^-93 in all.
// Returns false when the remainder falls below 2^-25, where that error would
// show; the huge reduction then takes over (about one argument in 2^25).
inline bool reduce_large(double x, int& n, double& y0, double& y1) {
    double fn = x * kInvPiOver2 + 0x1.8p52;
    fn = fn - 0x1.8p52;
    const double r = (x - fn * kPiOver2Chunks[0]) - fn * kPiOver2Chunks[1];
    const double p2 = fn * kPiOver2Chunks[2];
    const double s = r - p2;
    const double b = s - r;
    const double e = (r - (s - b)) - (p2 + b);  // s + e = r - p2 exactly
    const double tail = ((e - fn * kPiOver2Chunks[3]) - fn * kPiOver2Chunks[4]) - fn * kPiOver2Chunks[5];
    y0 = s + tail;
    if ((high_word(y0) & 0x7fffffff) < 0x3e600000) return false;  // |y0| < 2^-25
    y1 = tail - (y0 - s);
    n = static_cast<std::int32_t>(fn);
    return true;
}

int reduce_pi_over_2(double x, double& y0, double& y1) {
    const std::int32_t hx = high_word(x);
    const std::int32_t ix = hx & 0x7fffffff;

    // |x| up to 9pi/4: subtract a small multiple of pi/2 directly, except near
    // multiples of pi/2 where cancellation needs the medium path.
    if (ix <= 0x401c463b) {
        int k = 0;
        if (ix <= 0x400f6a7a) {                                           // |x| ~<= 5pi/4
            if ((ix & 0xfffff) != 0x921fb) k = ix <= 0x4002d97c ? 1 : 2;  // 3pi/4 splits 1 and 2
        } else if (ix <= 0x4015fdbc) {                                    // |x| ~<= 7pi/4
            if (ix != 0x4012d97c) k = 3;
        } else {
            if (ix != 0x401921fb) k = 4;
        }
        if (k != 0) {
            const double fk = static_cast<double>(k);
            if (hx > 0) {
                const double z = x - fk * kPiOver2_1;  // exact: k * part has <= 36 bits
                y0 = z - fk * kPiOver2_1t;
                y1 = (z - y0) - fk * kPiOver2_1t;
                return k;
            }
            const double z = x + fk * kPiOver2_1;
            y0 = z + fk * kPiOver2_1t;
            y1 = (z - y0) + fk * kPiOver2_1t;
            return -k;
        }
        return reduce_medium(x, ix, y0, y1);
    }
    if (ix < 0x413921fb) return reduce_medium(x, ix, y0, y1);  // |x| < 2^20 * pi/2
    if (ix < 0x41b00000) {                                     // |x| < 2^28
        int n = 0;
        if (reduce_large(x, n, y0, y1)) return n;
    }

    // Huge: split |x| into three 24-bit integers scaled by 2^e0.
    const int e0 = (ix >> 20) - 1046;  // ilogb(|x|) - 23
    double z = from_words(static_cast<std::uint32_t>(ix - (e0 << 20)), low_word(x));
    double tx[3];
    for (int i = 0; i < 2; ++i) {
        tx[i] = static_cast<double>(static_cast<std::int32_t>(z));
        z = (z - tx[i]) * kTwo24;
    }
    tx[2] = z;
    int nx = 3;
    while (tx[nx - 1] == 0.0) --nx;
    double t0 = 0.0, t1 = 0.0;
    const int n = reduce_huge_kernel(tx, t0, t1, e0, nx);
    if (hx < 0) {
        y0 = -t0;
        y1 = -t1;
        return -n;
    }
    y0 = t0;
    y1 = t1;
    return n;
}

// ---------------------------------------------------------------------------
// Kernels on [-pi/4, pi/4]; y is the tail of x from the reduction.

// sin(x + y): degree-13 odd polynomial, |error| < 2^-58 relative.
constexpr double kS1 = -1.66666666666666324348e-01;  // 0xBFC55555, 0x55555549
constexpr double kS2 = 8.33333333332248946124e-03;   // 0x3F811111, 0x1110F8A6
constexpr double kS3 = -1.98412698298579493134e-04;  // 0xBF2A01A0, 0x19C161D5
constexpr double kS4 = 2.75573137070700676789e-06;   // 0x3EC71DE3, 0x57B1FE7D
constexpr double kS5 = -2.50507602534068634195e-08;  // 0xBE5AE5E6, 0x8A2B9CEB
constexpr double kS6 = 1.58969099521155010221e-10;   // 0x3DE5D93A, 0x5ACFD57C

inline double kernel_sin(double x, double y, bool has_tail) {
    const double z = x * x;
    const double w = z * z;
    const double r = kS2 + z * (kS3 + z * kS4) + z * w * (kS5 + z * kS6);
    const double v = z * x;
    if (!has_tail) return x + v * (kS1 + z * r);
    // sin(x + y) ~ sin(x) + (1 - x^2/2) * y
    return x - ((z * (0.5 * y - v * r) - y) - v * kS1);
}

// cos(x + y): degree-14 even polynomial, |error| < 2^-58.
constexpr double kC1 = 4.16666666666666019037e-02;   // 0x3FA55555, 0x5555554C
constexpr double kC2 = -1.38888888888741095749e-03;  // 0xBF56C16C, 0x16C15177
constexpr double kC3 = 2.48015872894767294178e-05;   // 0x3EFA01A0, 0x19CB1590
constexpr double kC4 = -2.75573143513906633035e-07;  // 0xBE927E4F, 0x809C52AD
constexpr double kC5 = 2.08757232129817482790e-09;   // 0x3E21EE9E, 0xBDB4B1C4
constexpr double kC6 = -1.13596475577881948265e-11;  // 0xBDA8FAE9, 0xBE8838D4

inline double kernel_cos(double x, double y) {
    const double z = x * x;
    double w = z * z;
    const double r = z * (kC1 + z * (kC2 + z * kC3)) + w * w * (kC4 + z * (kC5 + z * kC6));
    const double hz = 0.5 * z;
    w = 1.0 - hz;
    // (1 - w) - hz recovers the rounding error of w, so 1 - x^2/2 is carried
    // to about 70 bits.
    return w + (((1.0 - w) - hz) + (z * r - x * y));
}

// tan(x + y) (odd_quadrant false) or -1/tan(x + y) (true): degree-27 odd
// polynomial on [0, 0.67434], |error| < 2^-59.2; above that, tan(pi/4 - t).
constexpr double kT[] = {
    3.33333333333334091986e-01,   // 0x3FD55555, 0x55555563
    1.33333333333201242699e-01,   // 0x3FC11111, 0x1110FE7A
    5.39682539762260521377e-02,   // 0x3FABA1BA, 0x1BB341FE
    2.18694882948595424599e-02,   // 0x3F9664F4, 0x8406D637
    8.86323982359930005737e-03,   // 0x3F8226E3, 0xE96E8493
    3.59207910759131235356e-03,   // 0x3F6D6D22, 0xC9560328
    1.45620945432529025516e-03,   // 0x3F57DBC8, 0xFEE08315
    5.88041240820264096874e-04,   // 0x3F4344D8, 0xF2F26501
    2.46463134818469906812e-04,   // 0x3F3026F7, 0x1A8D1068
    7.81794442939557092300e-05,   // 0x3F147E88, 0xA03792A6
    7.14072491382608190305e-05,   // 0x3F12B80F, 0x32F0A7E9
    -1.85586374855275456654e-05,  // 0xBEF375CB, 0xDB605373
    2.59073051863633712884e-05,   // 0x3EFB2A70, 0x74BF7AD4
};
constexpr double kPiOver4 = 7.85398163397448278999e-01;    // 0x3FE921FB, 0x54442D18
constexpr double kPiOver4Lo = 3.06161699786838301793e-17;  // 0x3C81A626, 0x33145C07

inline double kernel_tan(double x, double y, bool odd_quadrant) {
    const std::int32_t hx = high_word(x);
    const std::int32_t ix = hx & 0x7fffffff;
    const bool near_pi_over_4 = ix >= 0x3FE59428;  // |x| >= 0.6744
    if (near_pi_over_4) {
        if (hx < 0) {
            x = -x;
            y = -y;
        }
        const double z = kPiOver4 - x;
        const double w = kPiOver4Lo - y;
        x = z + w;
        y = 0.0;
    }
    double z = x * x;
    double w = z * z;
    // x^5 * (T1 + x^2 T2 + ...) split into odd and even powers of x^2 to
    // shorten the dependency chain.
    double r = kT[1] + w * (kT[3] + w * (kT[5] + w * (kT[7] + w * (kT[9] + w * kT[11]))));
    double v = z * (kT[2] + w * (kT[4] + w * (kT[6] + w * (kT[8] + w * (kT[10] + w * kT[12])))));
    double s = z * x;
    r = y + z * (s * (r + v) + y);
    r += kT[0] * s;
    w = x + r;
    if (near_pi_over_4) {
        // tan(pi/4 - t) = 1 - 2 (tan t - tan^2 t / (1 + tan t)), and -1/tan alike.
        v = odd_quadrant ? -1.0 : 1.0;
        const double sign = static_cast<double>(1 - ((hx >> 30) & 2));
        return sign * (v - 2.0 * (x - (w * w / (w + v) - r)));
    }
    if (!odd_quadrant) return w;
    // -1/(x + r) to full accuracy: split w and 1/w into 21-bit heads so the
    // head product 1 + t*z is formed exactly.
    z = chop_low_word(w);
    v = r - (z - x);  // z + v = x + r
    const double a = -1.0 / w;
    const double t = chop_low_word(a);
    s = 1.0 + t * z;
    return t + a * (s + t * v);
}

// ---------------------------------------------------------------------------
// atan

constexpr double kAtanHi[] = {
    4.63647609000806093515e-01,  // atan(0.5) hi 0x3FDDAC67, 0x0561BB4F
    7.85398163397448278999e-01,  // atan(1.0) hi 0x3FE921FB, 0x54442D18
    9.82793723247329054082e-01,  // atan(1.5) hi 0x3FEF730B, 0xD281F69B
    1.57079632679489655800e+00,  // atan(inf) hi 0x3FF921FB, 0x54442D18
};
constexpr double kAtanLo[] = {
    2.26987774529616870924e-17,  // atan(0.5) lo 0x3C7A2B7F, 0x222F65E2
    3.06161699786838301793e-17,  // atan(1.0) lo 0x3C81A626, 0x33145C07
    1.39033110312309984516e-17,  // atan(1.5) lo 0x3C700788, 0x7AF0CBBD
    6.12323399573676603587e-17,  // atan(inf) lo 0x3C91A626, 0x33145C07
};
constexpr double kAtanPoly[] = {
    3.33333333333329318027e-01,   // 0x3FD55555, 0x5555550D
    -1.99999999998764832476e-01,  // 0xBFC99999, 0x9998EBC4
    1.42857142725034663711e-01,   // 0x3FC24924, 0x920083FF
    -1.11111104054623557880e-01,  // 0xBFBC71C6, 0xFE231671
    9.09088713343650656196e-02,   // 0x3FB745CD, 0xC54C206E
    -7.69187620504482999495e-02,  // 0xBFB3B0F2, 0xAF749A6D
    6.66107313738753120669e-02,   // 0x3FB10D66, 0xA0D03D51
    -5.83357013379057348645e-02,  // 0xBFADDE2D, 0x52DEFD9A
    4.97687799461593236017e-02,   // 0x3FA97B4B, 0x24760DEB
    -3.65315727442169155270e-02,  // 0xBFA2B444, 0x2C6A6C2F
    1.62858201153657823623e-02,   // 0x3F90AD3A, 0xE322DA11
};

// ---------------------------------------------------------------------------
// pow: log |x| to about 2^-64 relative in double-double, y * log |x| as an exact
// product plus tail, then exp of that through a table of 2^(j/128).
// (Table-driven logarithm and exponential in the manner of Tang, with the
// table entries chosen so that the reduced argument comes out exactly
// without fused multiply-add.)

constexpr double kHuge = 1.0e300;
constexpr double kTiny = 1.0e-300;

// z = |x| / 2^k lies in [kLogOffset, 2 kLogOffset) ~ [0.7057, 1.4114), cut into
// 128 subintervals by the top 7 bits below the exponent. For each, invc is
// near 1/(midpoint of the subinterval) with only 10 significant bits, and
// logc = -log(invc) as high + low. The subinterval that holds 1 has invc = 1
// and logc = 0, so log x is carried to full relative accuracy near x = 1.
constexpr std::uint64_t kLogOffset = 0x3fe6955500000000ULL;

struct LogEntry {
    double invc;
    double logc_hi;
    double logc_lo;
};

// 2^(j/128) as high + low.
struct ExpEntry {
    double hi;
    double lo;
};

// kLogTable and kExpTable, made by scripts/exact_math_tables.py.
#include "platform/exact_math_tables.inc"

constexpr double kLn2Hi = 0x1.62e42fefa3800p-1;     // ln 2 to 42 bits: k * kLn2Hi is exact for |k| < 2^11
constexpr double kLn2Lo = 0x1.ef35793c76730p-45;    // ln 2 - kLn2Hi
constexpr double kInvLn2N = 0x1.71547652b82fep+7;   // 128 / ln 2
constexpr double kLn2HiN = 0x1.62e42fefc0000p-8;    // ln 2 / 128 to 35 bits: n * kLn2HiN is exact for |n| < 2^18
constexpr double kLn2LoN = -0x1.c610ca86c3899p-44;  // ln 2 / 128 - kLn2HiN
constexpr double kRoundShift = 0x1.8p52;            // adding and removing it rounds to an integer
constexpr double kSplitter = 134217729.0;           // 2^27 + 1, splits a double into two 26-bit halves

// a + b = s + e exactly, for any order of magnitude.
inline void two_sum(double a, double b, double& s, double& e) {
    s = a + b;
    const double bb = s - a;
    e = (a - (s - bb)) + (b - bb);
}

// a + b = s + e exactly, provided |a| >= |b| or a = 0.
inline void fast_two_sum(double a, double b, double& s, double& e) {
    s = a + b;
    e = b - (s - a);
}

// a * a = p + e exactly (Dekker), for |a| well inside the range.
inline void two_square(double a, double& p, double& e) {
    p = a * a;
    const double ca = kSplitter * a;
    const double ah = ca - (ca - a);
    const double al = a - ah;
    e = ((ah * ah - p) + 2.0 * (ah * al)) + al * al;
}

// a * b = p + e exactly (Dekker), for |a|, |b| well inside the range.
inline void two_product(double a, double b, double& p, double& e) {
    p = a * b;
    const double ca = kSplitter * a;
    const double ah = ca - (ca - a);
    const double al = a - ah;
    const double cb = kSplitter * b;
    const double bh = cb - (cb - b);
    const double bl = b - bh;
    e = ((ah * bh - p) + ah * bl + al * bh) + al * bl;
}

// log(ax) = hi + lo for positive finite ax, relative error below 2^-64.
inline void log_extra(double ax, double& hi, double& lo) {
    std::uint64_t ix = std::bit_cast<std::uint64_t>(ax);
    int k = 0;
    if (ix < 0x0010000000000000ULL) {  // subnormal: scale into the normal range
        ix = std::bit_cast<std::uint64_t>(ax * 0x1p52);
        k = -52;
    }
    const std::uint64_t tmp = ix - kLogOffset;
    const LogEntry& e = kLogTable[(tmp >> 45) & 127];
    k += static_cast<int>(static_cast<std::int64_t>(tmp) >> 52);
    const double z = std::bit_cast<double>(ix - (tmp & (0xfffULL << 52)));

    // r = z * invc - 1 exactly, as rhi + rlo: zhi keeps 23 bits so zhi * invc
    // (33 bits) and rhi (a multiple of 2^-33) are exact, and so is zlo * invc.
    // The two may cancel, so r is renormalised to rh + rl.
    const double zhi = std::bit_cast<double>(std::bit_cast<std::uint64_t>(z) & ~((1ULL << 30) - 1));
    const double zlo = z - zhi;
    double rh = 0.0, rl = 0.0;
    two_sum(zhi * e.invc - 1.0, zlo * e.invc, rh, rl);
    // -r^2/2 ~ -(rh^2 + 2 rh rl)/2 with rh^2 = qh + ql exactly.
    double qh = 0.0, ql = 0.0;
    two_square(rh, qh, ql);

    // log x = k ln2 + logc + r - r^2/2 + r^3/3 - ..., the leading terms summed
    // exactly and their rounding errors gathered in the tail.
    const double kd = static_cast<double>(k);
    double s1 = 0.0, e1 = 0.0, s2 = 0.0, e2 = 0.0, s3 = 0.0, e3 = 0.0;
    // |k ln2| >= ln2 > |logc| unless k = 0; |s2| > r^2/2 unless s2 = 0.
    fast_two_sum(kd * kLn2Hi, e.logc_hi, s1, e1);
    two_sum(s1, rh, s2, e2);
    fast_two_sum(s2, -0.5 * qh, s3, e3);
    // r^3 (1/3 - r/4 + ... + r^6/9): |r| < 2^-7.5, truncation below 2^-79;
    // in pairs (Estrin) to shorten the chain of dependent operations.
    const double r2 = rh * rh;
    const double r4 = r2 * r2;
    const double poly = (r2 * rh) * (((1.0 / 3 - 0.25 * rh) + r2 * (0.2 - (1.0 / 6) * rh)) +
                                     r4 * ((1.0 / 7 - 0.125 * rh) + r2 * (1.0 / 9)));
    const double tail = (((e1 + e2) + e3) + (kd * kLn2Lo + e.logc_lo)) + ((rl - rh * rl) - 0.5 * ql) + poly;
    fast_two_sum(s3, tail, hi, lo);  // the tail is below 2^-14 |s3|
}

// exp(hi + lo) * sign, with |lo| a few ulp of hi at most.
inline double exp_extra(double hi, double lo, double sign) {
    if (!(std::fabs(hi) < 708.0)) {
        if (hi > 710.0) return sign * kHuge * kHuge;   // overflow
        if (hi < -746.0) return sign * kTiny * kTiny;  // underflow
    }
    // hi + lo = n ln2/128 + r with |r| <= ln2/256 (+ a rounding)
    double nd = hi * kInvLn2N + kRoundShift;
    nd -= kRoundShift;
    const std::int64_t n = static_cast<std::int64_t>(nd);
    const double r = ((hi - nd * kLn2HiN) - nd * kLn2LoN) + lo;  // first difference exact
    // exp(r) - 1, Taylor to r^5: truncation below 2^-60
    const double p = r + (r * r) * (0.5 + r * (1.0 / 6 + r * (1.0 / 24 + r * (1.0 / 120))));
    const ExpEntry& t = kExpTable[n & 127];
    const double m = t.hi + (t.lo + t.hi * p);  // 2^(j/128) exp(r), in [0.99, 2.01]
    const std::int64_t e = n >> 7;              // the power of two: floor(n / 128)
    if (e >= -1021 && e <= 1022) return sign * (m * std::bit_cast<double>(static_cast<std::uint64_t>(e + 1023) << 52));
    if (e > 0)
        return sign * ((m * 0x1p1022) * std::bit_cast<double>(static_cast<std::uint64_t>(e - 1022 + 1023) << 52));
    // Subnormal result: one scaling stays exact, the second rounds once.
    return sign * ((m * std::bit_cast<double>(static_cast<std::uint64_t>(e + 1000 + 1023) << 52)) * 0x1p-1000);
}

}  // namespace

// ---------------------------------------------------------------------------
// sin(x), cos(x), tan(x): reduce to y0 + y1 in [-pi/4, pi/4] and quadrant n,
//
//     n mod 4    sin     cos     tan
//        0        S       C       T
//        1        C      -S     -1/T
//        2       -S      -C       T
//        3       -C       S     -1/T

double sin(double x) {
    const std::int32_t ix = high_word(x) & 0x7fffffff;
    if (ix <= 0x3fe921fb) {             // |x| ~<= pi/4
        if (ix < 0x3e500000) return x;  // |x| < 2^-26: sin x rounds to x, keeps -0
        return kernel_sin(x, 0.0, false);
    }
    if (ix >= 0x7ff00000) return x - x;  // inf or NaN -> NaN
    double y0 = 0.0, y1 = 0.0;
    const int n = reduce_pi_over_2(x, y0, y1);
    switch (n & 3) {
    case 0: return kernel_sin(y0, y1, true);
    case 1: return kernel_cos(y0, y1);
    case 2: return -kernel_sin(y0, y1, true);
    default: return -kernel_cos(y0, y1);
    }
}

double cos(double x) {
    const std::int32_t ix = high_word(x) & 0x7fffffff;
    if (ix <= 0x3fe921fb) {               // |x| ~<= pi/4
        if (ix < 0x3e46a09e) return 1.0;  // |x| < 2^-27 * sqrt(2): cos x rounds to 1
        return kernel_cos(x, 0.0);
    }
    if (ix >= 0x7ff00000) return x - x;
    double y0 = 0.0, y1 = 0.0;
    const int n = reduce_pi_over_2(x, y0, y1);
    switch (n & 3) {
    case 0: return kernel_cos(y0, y1);
    case 1: return -kernel_sin(y0, y1, true);
    case 2: return -kernel_cos(y0, y1);
    default: return kernel_sin(y0, y1, true);
    }
}

SinCos sincos(double x) {
    const std::int32_t ix = high_word(x) & 0x7fffffff;
    if (ix <= 0x3fe921fb) {  // the small cases of sin and cos above, each as there
        return {ix < 0x3e500000 ? x : kernel_sin(x, 0.0, false), ix < 0x3e46a09e ? 1.0 : kernel_cos(x, 0.0)};
    }
    if (ix >= 0x7ff00000) return {x - x, x - x};
    double y0 = 0.0, y1 = 0.0;
    const int n = reduce_pi_over_2(x, y0, y1);
    const double s = kernel_sin(y0, y1, true);
    const double c = kernel_cos(y0, y1);
    switch (n & 3) {
    case 0: return {s, c};
    case 1: return {c, -s};
    case 2: return {-s, -c};
    default: return {-c, s};
    }
}

double tan(double x) {
    const std::int32_t ix = high_word(x) & 0x7fffffff;
    if (ix <= 0x3fe921fb) {             // |x| ~<= pi/4
        if (ix < 0x3e400000) return x;  // |x| < 2^-27
        return kernel_tan(x, 0.0, false);
    }
    if (ix >= 0x7ff00000) return x - x;
    double y0 = 0.0, y1 = 0.0;
    const int n = reduce_pi_over_2(x, y0, y1);
    return kernel_tan(y0, y1, (n & 1) != 0);
}

// atan(x): by the size of t = |x|,
//   [0, 7/16]      t - t^3 (a1 + t^2 (a2 + ... ))
//   [7/16, 11/16]  atan(1/2) + atan((t - 0.5) / (1 + t/2))
//   [11/16, 19/16] atan(1)   + atan((t - 1) / (1 + t))
//   [19/16, 39/16] atan(3/2) + atan((t - 1.5) / (1 + 1.5 t))
//   [39/16, inf]   atan(inf) + atan(-1/t)
// and atan(-x) = -atan(x).
double atan(double x) {
    const std::int32_t hx = high_word(x);
    const std::int32_t ix = hx & 0x7fffffff;
    int id = -1;
    if (ix >= 0x44100000) {  // |x| >= 2^66: atan is pi/2 to double precision
        if (ix > 0x7ff00000 || (ix == 0x7ff00000 && low_word(x) != 0)) return x + x;  // NaN
        return hx > 0 ? kAtanHi[3] + kAtanLo[3] : -kAtanHi[3] - kAtanLo[3];
    }
    if (ix < 0x3fdc0000) {              // |x| < 0.4375
        if (ix < 0x3e400000) return x;  // |x| < 2^-27: atan x rounds to x
    } else {
        x = std::fabs(x);
        if (ix < 0x3ff30000) {      // |x| < 1.1875
            if (ix < 0x3fe60000) {  // 7/16 <= |x| < 11/16
                id = 0;
                x = (2.0 * x - 1.0) / (2.0 + x);
            } else {  // 11/16 <= |x| < 19/16
                id = 1;
                x = (x - 1.0) / (x + 1.0);
            }
        } else if (ix < 0x40038000) {  // |x| < 2.4375
            id = 2;
            x = (x - 1.5) / (1.0 + 1.5 * x);
        } else {  // 2.4375 <= |x| < 2^66
            id = 3;
            x = -1.0 / x;
        }
    }
    const double z = x * x;
    const double w = z * z;
    // Odd and even halves of the series in z, evaluated side by side.
    const double s1 =
        z * (kAtanPoly[0] +
             w * (kAtanPoly[2] + w * (kAtanPoly[4] + w * (kAtanPoly[6] + w * (kAtanPoly[8] + w * kAtanPoly[10])))));
    const double s2 =
        w * (kAtanPoly[1] + w * (kAtanPoly[3] + w * (kAtanPoly[5] + w * (kAtanPoly[7] + w * kAtanPoly[9]))));
    if (id < 0) return x - x * (s1 + s2);
    const double r = kAtanHi[id] - ((x * (s1 + s2) - kAtanLo[id]) - x);
    return hx < 0 ? -r : r;
}

// atan2(y, x): atan(|y / x|) put into the quadrant of (x, y), pi carried
// in two parts so that pi - z loses nothing. Signed zeros and infinities as
// C99 Annex F says.
double atan2(double y, double x) {
    constexpr double kPiHi = 3.1415926535897931160e+00;    // 0x400921FB, 0x54442D18
    constexpr double kPiLo = 1.2246467991473531772e-16;    // 0x3CA1A626, 0x33145C07
    constexpr double kHalfPi = 1.5707963267948965580e+00;  // 0x3FF921FB, 0x54442D18
    if (x != x || y != y) return x + y;                    // NaN
    if (x == 1.0) return atan(y);
    const bool yNegative = std::signbit(y);
    const bool xNegative = std::signbit(x);
    if (y == 0) return xNegative ? (yNegative ? -kPiHi : kPiHi) : y;
    if (x == 0) return yNegative ? -kHalfPi : kHalfPi;
    const bool xInfinite = std::fabs(x) == INFINITY, yInfinite = std::fabs(y) == INFINITY;
    if (xInfinite && yInfinite) {
        const double a = xNegative ? 3 * kHalfPi / 2 : kHalfPi / 2;
        return yNegative ? -a : a;
    }
    if (xInfinite) return xNegative ? (yNegative ? -kPiHi : kPiHi) : (yNegative ? -0.0 : 0.0);
    if (yInfinite) return yNegative ? -kHalfPi : kHalfPi;
    const double z = atan(std::fabs(y / x));
    if (!xNegative) return yNegative ? -z : z;
    const double r = kPiHi - (z - kPiLo);
    return yNegative ? -r : r;
}

// pow(x, y) = exp(y log|x|) with the sign from an odd integer y: log|x| and the
// product are carried in double-double (see log_extra, exp_extra), so the
// result is within 0.7 ulp of the exact power.
//
// Special cases follow C99 Annex F:
//   pow(x, +-0) = 1 for any x, even NaN;     pow(+1, y) = 1 for any y, even NaN
//   pow(-1, +-inf) = 1;                      otherwise NaN in gives NaN out
//   pow(|x| > 1, +inf) = +inf, (|x| < 1, +inf) = +0, and the reverse for -inf
//   pow(+-0, y < 0) = +inf, or -inf for -0 and odd integer y
//   pow(+-0, y > 0) = +0, or -0 for -0 and odd integer y
//   pow(-inf, y) = pow(-0, -y);  pow(+inf, y > 0) = +inf, (+inf, y < 0) = +0
//   pow(x < 0, integer y) = (-1)^y * pow(-x, y);  pow(x < 0, non-integer) = NaN
double pow(double x, double y) {
    std::int32_t hx = high_word(x);
    const std::uint32_t lx = low_word(x);
    const std::int32_t hy = high_word(y);
    const std::uint32_t ly = low_word(y);
    std::int32_t ix = hx & 0x7fffffff;
    const std::int32_t iy = hy & 0x7fffffff;

    if ((static_cast<std::uint32_t>(iy) | ly) == 0) return 1.0;  // y = +-0
    if (hx == 0x3ff00000 && lx == 0) return 1.0;                 // x = +1
    if (ix > 0x7ff00000 || (ix == 0x7ff00000 && lx != 0) || iy > 0x7ff00000 || (iy == 0x7ff00000 && ly != 0)) {
        return (x + 0.0) + (y + 0.0);  // NaN
    }

    // For x < 0: 0 if y is not an integer, 1 if an odd integer, 2 if even.
    int yisint = 0;
    if (hx < 0) {
        if (iy >= 0x43400000) {  // |y| >= 2^53: even integer
            yisint = 2;
        } else if (iy >= 0x3ff00000) {
            const int k = (iy >> 20) - 0x3ff;  // exponent of y
            if (k > 20) {
                const std::uint32_t j = ly >> (52 - k);
                if ((j << (52 - k)) == ly) yisint = 2 - static_cast<int>(j & 1);
            } else if (ly == 0) {
                const std::int32_t j = iy >> (20 - k);
                if ((j << (20 - k)) == iy) yisint = 2 - static_cast<int>(j & 1);
            }
        }
    }

    if (ly == 0) {
        if (iy == 0x7ff00000) {                                                        // y = +-inf
            if (((ix - 0x3ff00000) | static_cast<std::int32_t>(lx)) == 0) return 1.0;  // (-1)^+-inf
            if (ix >= 0x3ff00000) return hy >= 0 ? y : 0.0;                            // |x| > 1
            return hy < 0 ? -y : 0.0;                                                  // |x| < 1
        }
        if (iy == 0x3ff00000) return hy < 0 ? 1.0 / x : x;     // y = +-1
        if (hy == 0x40000000) return x * x;                    // y = 2
        if (hy == 0x3fe00000 && hx >= 0) return std::sqrt(x);  // y = 0.5, x >= +0
    }

    const double ax = std::fabs(x);
    if (lx == 0 && (ix == 0x7ff00000 || ix == 0 || ix == 0x3ff00000)) {  // x = +-0, +-inf, +-1
        double z = ax;
        if (hy < 0) z = 1.0 / z;
        if (hx < 0) {
            if (((ix - 0x3ff00000) | yisint) == 0) {
                z = std::numeric_limits<double>::quiet_NaN();  // (-1)^non-integer
            } else if (yisint == 1) {
                z = -z;
            }
        }
        return z;
    }

    if (hx < 0 && yisint == 0) return std::numeric_limits<double>::quiet_NaN();  // (x < 0)^non-integer
    const double sign = (hx < 0 && yisint == 1) ? -1.0 : 1.0;                    // (x < 0)^odd

    if (iy > 0x41e00000) {      // |y| > 2^31
        if (iy > 0x43f00000) {  // |y| > 2^64: certain overflow or underflow
            if (ix <= 0x3fefffff) return hy < 0 ? kHuge * kHuge : kTiny * kTiny;
            if (ix >= 0x3ff00000) return hy > 0 ? kHuge * kHuge : kTiny * kTiny;
        }
        // Also certain when |x| is not within 2^-20 of 1.
        if (ix < 0x3fefffff) return hy < 0 ? sign * kHuge * kHuge : sign * kTiny * kTiny;
        if (ix > 0x3ff00000) return hy > 0 ? sign * kHuge * kHuge : sign * kTiny * kTiny;
    }

    double l_hi = 0.0, l_lo = 0.0;
    log_extra(ax, l_hi, l_lo);
    // y log|x| = e_hi + e_lo: the product of y and the high part is exact as
    // a pair (|y| <= 2^64 and |log x| < 745 here, far from overflow).
    double e_hi = 0.0, e_lo = 0.0;
    two_product(y, l_hi, e_hi, e_lo);
    e_lo += y * l_lo;
    return exp_extra(e_hi, e_lo, sign);
}

double sqrt(double x) { return std::sqrt(x); }

}  // namespace painter::xm
