#include "platform/random_generator.h"

#include <bit>

namespace painter {
namespace {

constexpr std::uint64_t kFixedState = 0x5EED'1D0C'0FFE'E000ull;
constexpr std::uint64_t kGolden = 0x9E37'79B9'7F4A'7C15ull;

// SplitMix64's finaliser: a bijective mix with good avalanche.
constexpr std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58'476D'1CE4'E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D0'49BB'1331'11EBull;
    return z ^ (z >> 31);
}

}  // namespace

RandomGenerator::RandomGenerator() : state_(kFixedState) {}

float RandomGenerator::next() {
    ++draws_;
    state_ += kGolden;
    // The top 24 bits scaled by 2^-24 are exactly representable as a float, so
    // the value is in [0, 1) with no rounding anywhere.
    return static_cast<float>(mix(state_) >> 40) * 0x1p-24f;
}

float RandomGenerator::reset() {
    state_ = kFixedState;
    return next();
}

void RandomGenerator::randomize(double v) {
    // Normalise -0.0 to 0.0 so equal numbers always give equal states.
    const double key = v == 0 ? 0.0 : v;
    state_ = mix(state_ ^ mix(std::bit_cast<std::uint64_t>(key) + kGolden));
}

}  // namespace painter
