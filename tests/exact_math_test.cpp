// The portable elementary functions: special values, accuracy against the C
// library (itself within 1 ulp), symmetry, argument reduction of huge and
// nearly-multiple-of-pi/2 arguments, and a fingerprint of the exact bits a
// build produces.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "platform/exact_math.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMin = std::numeric_limits<double>::min();  // smallest normal
constexpr double kDenorm = std::numeric_limits<double>::denorm_min();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kPiOver2 = 1.5707963267948966;  // pi/2 rounded

// Fixed-seed generator (SplitMix64): the same arguments on every run.
class ArgumentSource {
public:
    explicit ArgumentSource(std::uint64_t seed) : state_(seed) {}

    std::uint64_t bits() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform in [lo, hi].
    double uniform(double lo, double hi) { return lo + (hi - lo) * (static_cast<double>(bits() >> 11) * 0x1p-53); }

    // Magnitude 2^e with e uniform in [lo_exp, hi_exp], random sign: covers
    // every binade equally, from subnormals to the largest doubles.
    // (Each draw is its own statement: the order in which a compiler evaluates
    // function arguments is unspecified, and differs between compilers.)
    double log_uniform(double lo_exp, double hi_exp) {
        const double mantissa = 1.0 + static_cast<double>(bits() >> 12) * 0x1p-52;
        const int exponent = static_cast<int>(std::floor(uniform(lo_exp, hi_exp)));
        const double m = std::ldexp(mantissa, exponent);
        return (bits() & 1) ? -m : m;
    }

private:
    std::uint64_t state_;
};

// Distance in representable doubles; 0 for two NaNs and for +0 against -0.
std::uint64_t ulp_distance(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return (std::isnan(a) && std::isnan(b)) ? 0 : UINT64_MAX;
    auto ordered = [](double v) {
        const auto i = std::bit_cast<std::int64_t>(v);
        return i < 0 ? std::numeric_limits<std::int64_t>::min() - i : i;
    };
    const std::int64_t d = ordered(a) - ordered(b);
    return static_cast<std::uint64_t>(d < 0 ? -d : d);
}

// Exact form of a double for failure messages.
std::string hex(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%a", v);
    return buf;
}

// Same value and same sign of zero (or both NaN).
::testing::AssertionResult same_bits(double actual, double expected) {
    if (std::isnan(expected) ? std::isnan(actual)
                             : std::bit_cast<std::uint64_t>(actual) == std::bit_cast<std::uint64_t>(expected)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "got " << hex(actual) << ", expected " << hex(expected);
}

::testing::AssertionResult within_one_ulp(double actual, double expected) {
    if (ulp_distance(actual, expected) <= 1) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << hex(actual) << ", expected " << hex(expected) << " within 1 ulp";
}

// ---------------------------------------------------------------------------
// Special values

struct UnaryCase {
    const char* function;
    double x;
    double expected;
};

double call(const std::string& f, double x) {
    if (f == "sin") return painter::xm::sin(x);
    if (f == "cos") return painter::xm::cos(x);
    if (f == "tan") return painter::xm::tan(x);
    if (f == "atan") return painter::xm::atan(x);
    std::abort();
}

TEST(ExactMathSpecialValues, UnaryFunctions) {
    const UnaryCase cases[] = {
        // Signed zeros pass through the odd functions; cos(+-0) = 1.
        {"sin", 0.0, 0.0},
        {"sin", -0.0, -0.0},
        {"tan", 0.0, 0.0},
        {"tan", -0.0, -0.0},
        {"atan", 0.0, 0.0},
        {"atan", -0.0, -0.0},
        {"cos", 0.0, 1.0},
        {"cos", -0.0, 1.0},
        // Infinities and NaN.
        {"sin", kInf, kNaN},
        {"sin", -kInf, kNaN},
        {"sin", kNaN, kNaN},
        {"cos", kInf, kNaN},
        {"cos", -kInf, kNaN},
        {"cos", kNaN, kNaN},
        {"tan", kInf, kNaN},
        {"tan", -kInf, kNaN},
        {"tan", kNaN, kNaN},
        {"atan", kInf, kPiOver2},
        {"atan", -kInf, -kPiOver2},
        {"atan", kNaN, kNaN},
        {"atan", kMax, kPiOver2},
        {"atan", -kMax, -kPiOver2},
        {"atan", 0x1p66, kPiOver2},
        // Tiny arguments: sin x = tan x = atan x = x, cos x = 1, down to subnormals.
        {"sin", kDenorm, kDenorm},
        {"sin", -kMin, -kMin},
        {"sin", 0x1p-30, 0x1p-30},
        {"tan", kDenorm, kDenorm},
        {"tan", -0x1p-30, -0x1p-30},
        {"atan", kDenorm, kDenorm},
        {"atan", -0x1p-30, -0x1p-30},
        {"cos", kDenorm, 1.0},
        {"cos", 0x1p-30, 1.0},
        // Exactly representable results at the breakpoints of the atan reduction.
        {"atan", 1.0, 0.78539816339744828},
        {"atan", -1.0, -0.78539816339744828},
        // pi/2 rounded lies 6.1e-17 below pi/2: cos is that distance, tan its inverse.
        {"cos", kPiOver2, 0x1.1a62633145c07p-54},
        {"tan", kPiOver2, 0x1.d02967c31cdb5p+53},
        {"sin", kPiOver2, 1.0},
    };
    for (const UnaryCase& c : cases) {
        SCOPED_TRACE(std::string(c.function) + "(" + hex(c.x) + ")");
        EXPECT_TRUE(same_bits(call(c.function, c.x), c.expected));
    }
}

struct PowCase {
    double x;
    double y;
    double expected;
    const char* why;
};

TEST(ExactMathSpecialValues, PowFollowsAnnexF) {
    const PowCase cases[] = {
        {0.0, 0.0, 1.0, "x^0 = 1 for any x"},
        {kNaN, 0.0, 1.0, "x^0 = 1 even for NaN"},
        {kNaN, -0.0, 1.0, "x^-0 = 1 even for NaN"},
        {kInf, 0.0, 1.0, "inf^0 = 1"},
        {1.0, kNaN, 1.0, "1^y = 1 even for NaN"},
        {1.0, kInf, 1.0, "1^inf = 1"},
        {-1.0, kInf, 1.0, "(-1)^+inf = 1"},
        {-1.0, -kInf, 1.0, "(-1)^-inf = 1"},
        {kNaN, 1.0, kNaN, "NaN in, NaN out"},
        {2.0, kNaN, kNaN, "NaN in, NaN out"},
        {-2.0, 0.5, kNaN, "negative base, non-integer exponent"},
        {-1.0, 1.5, kNaN, "(-1)^non-integer"},
        {-8.0, 1.0 / 3.0, kNaN, "no real cube root through pow"},
        {-2.0, 3.0, -8.0, "negative base, odd exponent"},
        {-2.0, 2.0, 4.0, "negative base, even exponent"},
        {-2.0, -3.0, -0.125, "negative base, negative odd exponent"},
        {-3.0, 0x1p53, kInf, "|y| >= 2^53 is an even integer"},
        {-0.5, 0x1p53 + 2.0, 0.0, "even huge exponent, underflow to +0"},
        {-0.5, 0x1p53 - 1.0, -0.0, "odd exponent just below 2^53: -0"},
        {0.0, -1.0, kInf, "+0 to a negative odd integer"},
        {-0.0, -1.0, -kInf, "-0 to a negative odd integer"},
        {-0.0, -2.0, kInf, "-0 to a negative even integer"},
        {0.0, -0.5, kInf, "+0 to a negative non-integer"},
        {-0.0, -0.5, kInf, "-0 to a negative non-integer"},
        {0.0, -kInf, kInf, "0^-inf"},
        {0.0, 3.0, 0.0, "+0 to a positive odd integer"},
        {-0.0, 3.0, -0.0, "-0 to a positive odd integer"},
        {-0.0, 2.0, 0.0, "-0 to a positive even integer"},
        {-0.0, 0.5, 0.0, "-0 to a positive non-integer (sqrt would give -0)"},
        {0.0, kInf, 0.0, "0^+inf"},
        {0.5, kInf, 0.0, "|x| < 1 to +inf"},
        {0.5, -kInf, kInf, "|x| < 1 to -inf"},
        {-0.5, kInf, 0.0, "-1 < x < 0 to +inf"},
        {2.0, kInf, kInf, "|x| > 1 to +inf"},
        {-2.0, kInf, kInf, "x < -1 to +inf"},
        {2.0, -kInf, 0.0, "|x| > 1 to -inf"},
        {kInf, 0.5, kInf, "+inf to a positive power"},
        {kInf, -0.5, 0.0, "+inf to a negative power"},
        {-kInf, 3.0, -kInf, "-inf to a positive odd integer"},
        {-kInf, 2.0, kInf, "-inf to a positive even integer"},
        {-kInf, 0.5, kInf, "-inf to a positive non-integer"},
        {-kInf, -3.0, -0.0, "-inf to a negative odd integer"},
        {-kInf, -2.0, 0.0, "-inf to a negative even integer"},
        {10.0, 400.0, kInf, "overflow"},
        {-10.0, 401.0, -kInf, "overflow keeps the sign of an odd power"},
        {1000.0, 103.0, kInf, "overflow just past the largest double"},
        {10.0, -400.0, 0.0, "underflow to +0"},
        {-10.0, -401.0, -0.0, "underflow keeps the sign of an odd power"},
        {kMax, 2.0, kInf, "x*x path overflows"},
        {1.0 + 0x1p-52, 0x1p70, kInf, "x just above 1, exponent beyond 2^64"},
        {1.0 - 0x1p-53, 0x1p70, 0.0, "x just below 1, exponent beyond 2^64"},
        {1.5, 0x1p40, kInf, "x away from 1, exponent beyond 2^31"},
        {1.5, -0x1p40, 0.0, "x away from 1, exponent beyond 2^31"},
        {2.0, -1074.0, kDenorm, "exact subnormal result"},
        {2.0, -1075.0, 0.0, "half the smallest subnormal rounds to even: 0"},
        {kDenorm, 0.5, 0x1p-537, "square root of the smallest subnormal"},
        {kDenorm, -1.0, kInf, "reciprocal of the smallest subnormal overflows"},
        {2.0, 1023.0, 0x1p1023, "largest power of two"},
        {4.0, 0.5, 2.0, "exact square root"},
        {8.0, 1.0 / 3.0, 2.0, "cube root of 8 rounds to 2"},
        {3.0, 3.0, 27.0, "integer powers are exact"},
        {10.0, 15.0, 1e15, "integer powers are exact"},
        {1000.0, 3.0, 1e9, "largest base and exponent of the picture"},
        {1000.0, -3.0, 1e-9, "1e-9 correctly rounded"},
        {7.0, -1.0, 1.0 / 7.0, "y = -1 is 1/x"},
        {0.1, 1.0, 0.1, "y = 1 is x"},
    };
    for (const PowCase& c : cases) {
        SCOPED_TRACE(std::string(c.why) + ": pow(" + hex(c.x) + ", " + hex(c.y) + ")");
        EXPECT_TRUE(same_bits(painter::xm::pow(c.x, c.y), c.expected));
    }
}

// ---------------------------------------------------------------------------
// Agreement with the C library, which is within 1 ulp itself; ours must not be
// more than 1 ulp away from it on any of a few hundred thousand arguments.

enum class Spread { kUniform, kLogUniform };

struct UnaryRange {
    const char* name;
    double (*ours)(double);
    double (*reference)(double);
    Spread spread;
    double lo;
    double hi;
};

double ref_sin(double x) { return std::sin(x); }
double ref_cos(double x) { return std::cos(x); }
double ref_tan(double x) { return std::tan(x); }
double ref_atan(double x) { return std::atan(x); }

void PrintTo(const UnaryRange& r, std::ostream* os) { *os << r.name; }

class AgreesWithCLibrary : public ::testing::TestWithParam<UnaryRange> {};

constexpr int kSamples = 300000;

TEST_P(AgreesWithCLibrary, WithinOneUlp) {
    const UnaryRange& r = GetParam();
    ArgumentSource args(0x5EED0000ULL + static_cast<std::uint64_t>(r.lo * 7 + r.hi));
    int differing = 0;
    int reported = 0;
    for (int i = 0; i < kSamples; ++i) {
        const double x = r.spread == Spread::kUniform ? args.uniform(r.lo, r.hi) : args.log_uniform(r.lo, r.hi);
        const double ours = r.ours(x);
        const std::uint64_t d = ulp_distance(ours, r.reference(x));
        if (d != 0) ++differing;
        if (d > 1 && reported++ < 5) {
            ADD_FAILURE() << r.name << " at " << hex(x) << ": " << hex(ours) << " vs " << hex(r.reference(x));
        }
    }
    // Ours is within 0.82 ulp of the exact result, the C library within about
    // 0.52: they may differ by 1 ulp where the exact result lies near a half
    // ulp, a few percent of arguments (3 to 6 % measured). Much more would
    // mean a systematic error.
    EXPECT_LT(differing, kSamples / 10) << r.name;
    RecordProperty("differing", differing);
}

INSTANTIATE_TEST_SUITE_P(
    ExactMath, AgreesWithCLibrary,
    ::testing::Values(
        UnaryRange{"sin_within_50", painter::xm::sin, ref_sin, Spread::kUniform, -50.0, 50.0},
        UnaryRange{"sin_within_3e7", painter::xm::sin, ref_sin, Spread::kUniform, -3e7, 3e7},
        UnaryRange{"sin_every_binade", painter::xm::sin, ref_sin, Spread::kLogUniform, -1074.0, 1024.0},
        UnaryRange{"cos_within_50", painter::xm::cos, ref_cos, Spread::kUniform, -50.0, 50.0},
        UnaryRange{"cos_within_3e7", painter::xm::cos, ref_cos, Spread::kUniform, -3e7, 3e7},
        UnaryRange{"cos_every_binade", painter::xm::cos, ref_cos, Spread::kLogUniform, -1074.0, 1024.0},
        UnaryRange{"tan_within_half_pi", painter::xm::tan, ref_tan, Spread::kUniform, -kPiOver2, kPiOver2},
        UnaryRange{"tan_within_12", painter::xm::tan, ref_tan, Spread::kUniform, -12.0, 12.0},
        UnaryRange{"tan_every_binade", painter::xm::tan, ref_tan, Spread::kLogUniform, -1074.0, 1024.0},
        UnaryRange{"atan_within_10", painter::xm::atan, ref_atan, Spread::kUniform, -10.0, 10.0},
        UnaryRange{"atan_every_binade", painter::xm::atan, ref_atan, Spread::kLogUniform, -1074.0, 1024.0}),
    [](const ::testing::TestParamInfo<UnaryRange>& info) { return std::string(info.param.name); });

struct PowRange {
    const char* name;
    double base_lo, base_hi;
    double exp_lo, exp_hi;
    bool log_base;  // base 2^e, e uniform in [base_lo, base_hi]
};

void PrintTo(const PowRange& r, std::ostream* os) { *os << r.name; }

class PowAgreesWithCLibrary : public ::testing::TestWithParam<PowRange> {};

TEST_P(PowAgreesWithCLibrary, WithinOneUlp) {
    const PowRange& r = GetParam();
    ArgumentSource args(0xB0A5E000ULL + static_cast<std::uint64_t>(r.exp_hi * 1000 + r.base_hi));
    int differing = 0;
    int reported = 0;
    for (int i = 0; i < kSamples; ++i) {
        const double x =
            r.log_base ? std::fabs(args.log_uniform(r.base_lo, r.base_hi)) : args.uniform(r.base_lo, r.base_hi);
        const double y = args.uniform(r.exp_lo, r.exp_hi);
        const double ours = painter::xm::pow(x, y);
        const std::uint64_t d = ulp_distance(ours, std::pow(x, y));
        if (d != 0) ++differing;
        if (d > 1 && reported++ < 5) {
            ADD_FAILURE() << "pow(" << hex(x) << ", " << hex(y) << "): " << hex(ours) << " vs " << hex(std::pow(x, y));
        }
    }
    // Both are within about 0.51 ulp in the normal range (ours 0.74 ulp where
    // the result is subnormal): they differ on well under 1 % of arguments.
    EXPECT_LT(differing, kSamples / 50) << r.name;
    RecordProperty("differing", differing);
}

INSTANTIATE_TEST_SUITE_P(ExactMath, PowAgreesWithCLibrary,
                         ::testing::Values(
                             // The picture: distances and ratios up to about 1000, exponents within 3.
                             PowRange{"picture", 0.0, 1000.0, -3.0, 3.0, false},
                             // Bases near 1 stress the extra-precision logarithm.
                             PowRange{"near_one", 0.99, 1.01, -3000.0, 3000.0, false},
                             // Every binade, exponents that reach overflow and the subnormal range.
                             PowRange{"every_binade", -1074.0, 1024.0, -2.0, 2.0, true},
                             PowRange{"to_the_limits", -40.0, 40.0, -60.0, 60.0, true}),
                         [](const ::testing::TestParamInfo<PowRange>& info) { return std::string(info.param.name); });

// Negative bases with integer exponents take their sign from the exponent's
// parity and their magnitude from the positive base.
TEST(ExactMathPow, NegativeBaseWithIntegerExponent) {
    ArgumentSource args(0xA11CE);
    for (int i = 0; i < 20000; ++i) {
        const double x = args.uniform(0.0, 1000.0);
        const double y = std::floor(args.uniform(-40.0, 40.0));
        const double magnitude = painter::xm::pow(x, y);
        const bool odd = std::fmod(y, 2.0) != 0.0;
        ASSERT_TRUE(same_bits(painter::xm::pow(-x, y), odd ? -magnitude : magnitude)) << x << "^" << y;
    }
}

// Hard spots of the extra-precision logarithm and the exponent scaling,
// against values computed to 500 bits and rounded.
TEST(ExactMathPow, MatchesHighPrecisionReference) {
    const PowCase cases[] = {
        {0x1.fffffffffffffp-1, 0x1p62, 0x1.44109edb2088fp-739, "just below 1, exponent beyond 2^31"},
        {0x1.0000000000001p+0, 0x1p40, 0x1.0010008002aabp+0, "just above 1, large exponent"},
        {0x1.0000000000001p+0, -0x1p41, 0x1.ffc003ffd556bp-1, "just above 1, large negative exponent"},
        {0x1.ffffde7210be9p-1, 0x1.e848p+19, 0x1.78b5570a90a47p-2, "0.999999^1e6"},
        {0x1.f4p+9, 2.5, 0x1.e286789a07f2fp+24, "1000^2.5"},
        {0x1.edd2f1a9fbe77p+6, -2.75, 0x1.db88a24e3c570p-20, "123.456^-2.75"},
        {0x1.0624dd2f1a9fcp-10, 3.0, 0x1.12e0be826d695p-30, "0.001^3"},
        {0x1p-1000, 0x1.11eb851eb851fp+0, 0x0.000000000001p-1022, "result in the subnormal range"},
        {3.0, 0x1.5555555555555p-2, 0x1.7137449123ef6p+0, "cube root of 3"},
    };
    for (const PowCase& c : cases) {
        SCOPED_TRACE(std::string(c.why));
        EXPECT_TRUE(within_one_ulp(painter::xm::pow(c.x, c.y), c.expected));
    }
}

// ---------------------------------------------------------------------------
// Symmetry: the reductions and kernels must treat -x as the mirror of x, bit
// for bit (a sign slip in one quadrant shows up here).

TEST(ExactMathSymmetry, OddAndEvenFunctions) {
    ArgumentSource args(0x5111E7);
    for (int i = 0; i < 200000; ++i) {
        const double x = (i % 2) ? args.uniform(0.0, 60.0) : std::fabs(args.log_uniform(-1074.0, 1024.0));
        ASSERT_TRUE(same_bits(painter::xm::sin(-x), -painter::xm::sin(x))) << hex(x);
        ASSERT_TRUE(same_bits(painter::xm::cos(-x), painter::xm::cos(x))) << hex(x);
        ASSERT_TRUE(same_bits(painter::xm::tan(-x), -painter::xm::tan(x))) << hex(x);
        ASSERT_TRUE(same_bits(painter::xm::atan(-x), -painter::xm::atan(x))) << hex(x);
    }
}

// sin^2 + cos^2 = 1 and tan = sin/cos to a few ulp, across the boundaries of
// the reduction paths (3pi/4, 5pi/4, ..., 2^20 pi/2, 2^28).
TEST(ExactMathSymmetry, IdentitiesAcrossReductionPaths) {
    const double centres[] = {0.785, 2.356, 3.927, 5.498, 7.069, 1647099.3, 268435456.0, 1e15};
    ArgumentSource args(0x1DE);
    for (double c : centres) {
        for (int i = 0; i < 5000; ++i) {
            const double x = c * args.uniform(0.999, 1.001);
            const double s = painter::xm::sin(x);
            const double co = painter::xm::cos(x);
            ASSERT_NEAR(s * s + co * co, 1.0, 4e-16) << hex(x);
            if (std::fabs(co) > 1e-3) {
                ASSERT_NEAR(painter::xm::tan(x), s / co, 4e-16 * std::fabs(s / co) / std::fabs(co)) << hex(x);
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Huge and nearly-multiple-of-pi/2 arguments, against values computed to
// 2000 bits and rounded. Ours must be within 1 ulp; the C library was found
// 2 ulp off at 115689413.36222704.

struct TrigReference {
    double x;
    double sin;
    double cos;
    double tan;
};

TEST(ExactMathHugeArguments, MatchHighPrecisionReference) {
    const TrigReference cases[] = {
        {0x1.0f0cf064dd592p+73, -0x1.b453ab76bf397p-1, 0x1.0be2cef01c8f4p-1, -0x1.a0f79c1b6b257p+0},    // 1e22
        {0x1.7e43c8800759cp+996, -0x1.a2c16b010e385p-1, -0x1.2699022adc4c1p-1, 0x1.6be411f37ac77p+0},   // 1e300
        {-0x1.7e43c8800759cp+996, 0x1.a2c16b010e385p-1, -0x1.2699022adc4c1p-1, -0x1.6be411f37ac77p+0},  // -1e300
        {0x1.fffffffffffffp+1023, 0x1.452fc98b34e97p-8, -0x1.fffe62ecfab75p-1,
         -0x1.4530cfe729484p-8},                                                                      // largest double
        {0x1.c9c3800000000p+24, 0x1.eda27c851d431p-1, -0x1.0fccb9cbaf7eap-2, -0x1.d0f092c6ba69fp+1},  // 3e7
        {0x1.0000000000000p+28, -0x1.f8eef8d66d4eap-1, -0x1.5315d441272dep-3, 0x1.7d35f7f371ff6p+2},  // 2^28
        // Doubles very close to a multiple of pi/2: the reduction cancels
        // 50 to 61 leading bits and must carry enough of pi/2 to survive.
        {0x1.b951f1572eba5p+26, -0x1.f54f5227a4e84p-57, 0x1.0000000000000p+0, -0x1.f54f5227a4e84p-57},  // 115689413.36
        {0x1.2d97c7f3321d2p+3, 0x1.a79394c9e8a0ap-52, -0x1.0000000000000p+0, -0x1.a79394c9e8a0ap-52},   // 3pi
        {0x1.7f7ec53a8d491p+20, -0x1.eacd7c60e9693p-34, 0x1.0000000000000p+0, -0x1.eacd7c60e9693p-34},  // 1e6 pi/2
        {0x1.6ac5b262ca1ffp+849, 0x1.0000000000000p+0, -0x1.14ae72e6ba22fp-61,
         -0x1.d9ba9a7975636p+60},  // closest of all doubles
    };
    for (const TrigReference& c : cases) {
        SCOPED_TRACE(hex(c.x));
        EXPECT_TRUE(within_one_ulp(painter::xm::sin(c.x), c.sin));
        EXPECT_TRUE(within_one_ulp(painter::xm::cos(c.x), c.cos));
        EXPECT_TRUE(within_one_ulp(painter::xm::tan(c.x), c.tan));
    }
}

// k times pi/2 (rounded) lies within about k * 6e-17 of a multiple of pi/2,
// so the reduction cancels 30 to 55 leading bits and the result is tiny: a
// part of pi/2 carried too short shows as a large relative error. Up to
// 6e7 * pi/2 the C library is accurate, and serves as the reference.
TEST(ExactMathHugeArguments, NearMultiplesOfHalfPiAgreeWithCLibraryBelowItsLimit) {
    ArgumentSource args(0x4A1F);
    for (int i = 0; i < 20000; ++i) {
        const double k = std::floor(args.uniform(1.0, 6.0e7));
        const double x = k * kPiOver2;  // rounded: a double close to k pi/2
        ASSERT_TRUE(within_one_ulp(painter::xm::sin(x), std::sin(x))) << hex(x);
        ASSERT_TRUE(within_one_ulp(painter::xm::cos(x), std::cos(x))) << hex(x);
    }
}

// ---------------------------------------------------------------------------
// sincos shares one reduction between the two; each half must be exactly what
// sin and cos give alone, on every path: the small-argument shortcuts (their
// thresholds differ), the kernels without reduction up to pi/4, the direct,
// medium, large and huge reductions, near multiples of pi/2, and the values
// that are not numbers.

TEST(ExactMathSinCos, SameBitsAsSinAndCos) {
    const double fixed[] = {0.0, -0.0, kDenorm, -kDenorm, kMin, kMax, -kMax, kInf, -kInf, kNaN, -kNaN,
                            // sin's and cos's shortcuts for small arguments, on either side
                            0x1p-26, std::nextafter(0x1p-26, 0.0), 0x1.6a09ep-27, std::nextafter(0x1.6a09ep-27, 0.0),
                            0x1.6a09e667f3bcdp-27, 0x1p-27,
                            // around pi/4, where the reduction begins, and the multiples of pi/2
                            0x1.921fbp-1, 0x1.921fb54442d18p-1, 0x1.921fb6p-1, kPiOver2, -kPiOver2, 2 * kPiOver2,
                            3 * kPiOver2, 4 * kPiOver2, 5 * kPiOver2, 1e6 * kPiOver2,
                            // the ends of the medium and large reductions, and huge ones
                            0x1.921fbp+20, 0x1.921fb6p+20, 0x1p28, std::nextafter(0x1p28, 0.0), 1e22, 1e300,
                            0x1.b951f1572eba5p+26, 0x1.6ac5b262ca1ffp+849, 5.1, 675.0 / 50, -3.0};
    auto expectSame = [](double x) -> ::testing::AssertionResult {
        const painter::xm::SinCos sc = painter::xm::sincos(x);
        if (auto sin = same_bits(sc.sin, painter::xm::sin(x)); !sin) return sin << " (sin)";
        if (auto cos = same_bits(sc.cos, painter::xm::cos(x)); !cos) return cos << " (cos)";
        return ::testing::AssertionSuccess();
    };
    for (double x : fixed) EXPECT_TRUE(expectSame(x)) << hex(x);

    ArgumentSource args(0x51C05);
    for (int i = 0; i < 200000; ++i) {
        double x = 0;
        switch (i % 5) {
        case 0: x = args.uniform(-60.0, 60.0); break;          // where the pixels' arguments lie
        case 1: x = args.log_uniform(-1074.0, 1024.0); break;  // every binade
        case 2: {  // close to a multiple of pi/2 (one draw a statement: see ArgumentSource)
            const double k = std::floor(args.uniform(1.0, 6.0e7));
            x = k * kPiOver2 * args.uniform(0.9999999, 1.0000001);
            break;
        }
        case 3: x = args.uniform(-0x1p29, 0x1p29); break;  // the medium and large reductions
        default: x = args.log_uniform(-30.0, 2.0); break;  // the small cases
        }
        ASSERT_TRUE(expectSame(x)) << hex(x);
    }
}

// ---------------------------------------------------------------------------
// The bits themselves. Pictures must not change between builds, so the
// results over a fixed set of arguments are pinned. A change here means every
// picture may change: a compiler that contracts a*b+c into a fused
// multiply-add, fast-math, x87 arithmetic, or an edit of a kernel.

std::uint64_t fingerprint() {
    ArgumentSource args(0xF1A6E7);
    std::uint64_t h = 0xcbf29ce484222325ULL;  // FNV-1a over the result bits
    auto mix = [&h](double v) {
        const std::uint64_t b = std::isnan(v) ? 0x7ff8000000000000ULL : std::bit_cast<std::uint64_t>(v);
        for (int i = 0; i < 8; ++i) {
            h ^= (b >> (8 * i)) & 0xff;
            h *= 0x100000001b3ULL;
        }
    };
    for (int i = 0; i < 50000; ++i) {
        const double x = args.uniform(-50.0, 50.0);
        const double big = args.log_uniform(-30.0, 100.0);
        mix(painter::xm::sin(x));
        mix(painter::xm::cos(x));
        mix(painter::xm::tan(x));
        mix(painter::xm::atan(x));
        mix(painter::xm::sin(big));
        mix(painter::xm::cos(big));
        mix(painter::xm::atan(big));
        const double base = args.uniform(0.0, 1000.0);
        const double exponent = args.uniform(-3.0, 3.0);
        mix(painter::xm::pow(base, exponent));
        mix(painter::xm::pow(std::fabs(big), exponent));
    }
    return h;
}

TEST(ExactMathBits, FingerprintIsPinned) {
    EXPECT_EQ(fingerprint(), 0x9574176dd78b0e51ULL) << std::hex << "fingerprint 0x" << fingerprint();
}

// Each product is rounded to double before the sum sees it. Provoked by a
// value whose exact square differs from the rounded one by 2^-60: a fused
// multiply-add (contraction on, on a machine with FMA) or an 80-bit x87
// intermediate would keep that difference. The load through volatile keeps the
// compiler from working the result out while it compiles.
TEST(FloatingPoint, ProductsAreRoundedBeforeTheyAreAdded) {
    volatile double loaded = 1 + 0x1p-30;
    const double a = loaded;
    EXPECT_EQ(a * a - (1 + 0x1p-29), 0.0);
    // The rounding trick of whole numbers leaves no fraction.
    volatile double tenth = 10.3;
    const double v = tenth;
    EXPECT_EQ((v + 0x1p52) - 0x1p52, 10.0);
}

// atan2: the axes, signed zeros and infinities give the C library's exact
// values; elsewhere the angle of every pixel offset an arc can meet agrees
// with the C library's within 2 ulp (one for the quotient, one for atan) and
// lies in the right quadrant. Provoked by hand: pi - z for x < 0 dropped to
// z made the grid fail.
TEST(ExactMathAtan2, SpecialValuesAndPixelOffsets) {
    const double kInf = std::numeric_limits<double>::infinity();
    const double kNaN = std::numeric_limits<double>::quiet_NaN();
    const double special[][2] = {{0.0, 1.0},   {-0.0, 1.0},  {0.0, -1.0},   {-0.0, -1.0},    {0.0, 0.0},
                                 {-0.0, 0.0},  {0.0, -0.0},  {-0.0, -0.0},  {1.0, 0.0},      {-1.0, 0.0},
                                 {1.0, -0.0},  {5.0, kInf},  {5.0, -kInf},  {-5.0, -kInf},   {kInf, 5.0},
                                 {-kInf, 5.0}, {kInf, kInf}, {kInf, -kInf}, {-kInf, -kInf},  {kNaN, 1.0},
                                 {1.0, kNaN},  {1.0, 1.0},   {-1.0, -1.0},  {1e300, 1e-300}, {-1e-300, -1e300}};
    for (const auto& c : special)
        EXPECT_TRUE(within_one_ulp(painter::xm::atan2(c[0], c[1]), std::atan2(c[0], c[1])))
            << "atan2(" << hex(c[0]) << ", " << hex(c[1]) << ")";
    std::uint64_t worst = 0;
    for (int dy = -300; dy <= 300; ++dy) {
        for (int dx = -300; dx <= 300; ++dx) {
            const double ours = painter::xm::atan2(dy, dx), theirs = std::atan2(dy, dx);
            worst = std::max(worst, ulp_distance(ours, theirs));
            ASSERT_LE(ulp_distance(ours, theirs), 2u) << "atan2(" << dy << ", " << dx << ")";
            ASSERT_EQ(std::signbit(ours), std::signbit(theirs)) << "atan2(" << dy << ", " << dx << ")";
        }
    }
    RecordProperty("worst_ulp", static_cast<int>(worst));
}

}  // namespace
