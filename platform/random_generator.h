#pragma once
// The one random generator of a picture. Its output is defined entirely by the
// code below (no library generator or distribution), so a name draws the same
// sequence on every machine and in every build.

#include <cstdint>

namespace painter {

class RandomGenerator {
public:
    RandomGenerator();

    // Rnd: the next value, a single-precision number in [0, 1). Inline: the
    // walking brush modes draw 40 values a pixel.
    float next() {
        // The top 24 bits scaled by 2^-24 are exactly representable as a float,
        // so the value is in [0, 1) with no rounding anywhere.
        return static_cast<float>(nextBits()) * 0x1p-24f;
    }

    // The same draw as next(), as the whole number k of next() = k / 2^24
    // (0 <= k < 2^24): for callers that can finish the arithmetic exactly in
    // whole numbers.
    std::uint32_t nextBits() {
        ++draws_;
        state_ += kGolden;
        return static_cast<std::uint32_t>(mix(state_) >> 40);
    }

    // Rnd(-1): puts the generator into one fixed state, whatever was drawn before.
    // The drawn value is returned (and discarded by the program).
    float reset();

    // Randomize(v): a new state that depends only on the current state and v.
    void randomize(double v);

    // Number of values drawn since construction (for --describe and the tests).
    std::uint64_t draws() const { return draws_; }

    static constexpr std::uint64_t kGolden = 0x9E37'79B9'7F4A'7C15ull;

    // SplitMix64's finaliser: a bijective mix with good avalanche.
    static constexpr std::uint64_t mix(std::uint64_t z) {
        z = (z ^ (z >> 30)) * 0xBF58'476D'1CE4'E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D0'49BB'1331'11EBull;
        return z ^ (z >> 31);
    }

private:
    std::uint64_t state_;
    std::uint64_t draws_ = 0;
};

}  // namespace painter
