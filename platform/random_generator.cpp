#include "platform/random_generator.h"

#include <bit>

namespace painter {
namespace {

constexpr std::uint64_t kFixedState = 0x5EED'1D0C'0FFE'E000ull;
}  // namespace

RandomGenerator::RandomGenerator() : state_(kFixedState) {}

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
