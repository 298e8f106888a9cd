// Cost of the portable elementary functions next to the C library's, on the
// arguments the picture feeds them. A picture makes about 20 calls per pixel
// for 368,726 pixels, so a few nanoseconds per call matter.
//
// Each benchmark runs through a fixed table of arguments; the "throughput"
// variants let independent calls overlap, the "latency" variants feed every
// result into the next argument as the field formulas do.

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "platform/exact_math.h"

namespace {

constexpr std::size_t kCount = 1024;

// A small fixed-seed generator so every run times the same arguments.
class Lcg {
public:
    double uniform(double lo, double hi) {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return lo + (hi - lo) * (static_cast<double>(state_ >> 11) * 0x1p-53);
    }

private:
    std::uint64_t state_ = 0x2545F4914F6CDD1DULL;
};

// Shows the time of one call ("per_call") next to the time of the whole table.
void report_per_call(benchmark::State& state) {
    state.counters["per_call"] = benchmark::Counter(
        static_cast<double>(kCount), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

std::array<double, kCount> make_args(double lo, double hi) {
    Lcg gen;
    std::array<double, kCount> a{};
    for (double& v : a) v = gen.uniform(lo, hi);
    return a;
}

using Unary = double (*)(double);
using Binary = double (*)(double, double);

void unary_throughput(benchmark::State& state, Unary f, double lo, double hi) {
    const auto args = make_args(lo, hi);
    for (auto _ : state) {
        double sum = 0.0;
        for (double x : args) sum += f(x);
        benchmark::DoNotOptimize(sum);
    }
    report_per_call(state);
}

// The next argument depends on the last result (scaled by 1e-300 so it does
// not move the argument), so calls cannot overlap.
void unary_latency(benchmark::State& state, Unary f, double lo, double hi) {
    const auto args = make_args(lo, hi);
    for (auto _ : state) {
        double carry = 0.0;
        for (double x : args) carry = f(x + carry * 1e-300);
        benchmark::DoNotOptimize(carry);
    }
    report_per_call(state);
}

void pow_throughput(benchmark::State& state, Binary f) {
    const auto bases = make_args(0.0, 1000.0);
    const auto exps = make_args(-3.0, 3.0);
    for (auto _ : state) {
        double sum = 0.0;
        for (std::size_t i = 0; i < kCount; ++i) sum += f(bases[i], exps[(i * 7) % kCount]);
        benchmark::DoNotOptimize(sum);
    }
    report_per_call(state);
}

void pow_latency(benchmark::State& state, Binary f) {
    const auto bases = make_args(0.0, 1000.0);
    const auto exps = make_args(-3.0, 3.0);
    for (auto _ : state) {
        double carry = 0.0;
        for (std::size_t i = 0; i < kCount; ++i) carry = f(bases[i] + carry * 1e-300, exps[(i * 7) % kCount]);
        benchmark::DoNotOptimize(carry);
    }
    report_per_call(state);
}

// The C library through plain functions, called through a pointer like ours.
double std_sin(double x) { return std::sin(x); }
double std_cos(double x) { return std::cos(x); }
double std_tan(double x) { return std::tan(x); }
double std_atan(double x) { return std::atan(x); }
double std_pow(double x, double y) { return std::pow(x, y); }

}  // namespace

// sin and cos: distances and angles of the field, mostly within [-50, 50].
BENCHMARK_CAPTURE(unary_throughput, xm_sin_50, painter::xm::sin, -50.0, 50.0);
BENCHMARK_CAPTURE(unary_throughput, std_sin_50, std_sin, -50.0, 50.0);
BENCHMARK_CAPTURE(unary_latency, xm_sin_50, painter::xm::sin, -50.0, 50.0);
BENCHMARK_CAPTURE(unary_latency, std_sin_50, std_sin, -50.0, 50.0);
BENCHMARK_CAPTURE(unary_throughput, xm_cos_50, painter::xm::cos, -50.0, 50.0);
BENCHMARK_CAPTURE(unary_throughput, std_cos_50, std_cos, -50.0, 50.0);
// A colour divided by a tiny angle: up to about 3e7.
BENCHMARK_CAPTURE(unary_throughput, xm_sin_3e7, painter::xm::sin, -3e7, 3e7);
BENCHMARK_CAPTURE(unary_throughput, std_sin_3e7, std_sin, -3e7, 3e7);
BENCHMARK_CAPTURE(unary_throughput, xm_sin_1e300, painter::xm::sin, 1e299, 1e300);
BENCHMARK_CAPTURE(unary_throughput, std_sin_1e300, std_sin, 1e299, 1e300);
// tan of an angle inside (-pi/2, pi/2) and of a distance up to 12.
BENCHMARK_CAPTURE(unary_throughput, xm_tan_pi2, painter::xm::tan, -1.57, 1.57);
BENCHMARK_CAPTURE(unary_throughput, std_tan_pi2, std_tan, -1.57, 1.57);
BENCHMARK_CAPTURE(unary_throughput, xm_tan_12, painter::xm::tan, -12.0, 12.0);
BENCHMARK_CAPTURE(unary_throughput, std_tan_12, std_tan, -12.0, 12.0);
BENCHMARK_CAPTURE(unary_throughput, xm_atan_10, painter::xm::atan, -10.0, 10.0);
BENCHMARK_CAPTURE(unary_throughput, std_atan_10, std_atan, -10.0, 10.0);
BENCHMARK_CAPTURE(unary_latency, xm_atan_10, painter::xm::atan, -10.0, 10.0);
BENCHMARK_CAPTURE(unary_latency, std_atan_10, std_atan, -10.0, 10.0);
// pow: base in [0, 1000], exponent in [-3, 3].
BENCHMARK_CAPTURE(pow_throughput, xm_pow, painter::xm::pow);
BENCHMARK_CAPTURE(pow_throughput, std_pow, std_pow);
BENCHMARK_CAPTURE(pow_latency, xm_pow, painter::xm::pow);
BENCHMARK_CAPTURE(pow_latency, std_pow, std_pow);
