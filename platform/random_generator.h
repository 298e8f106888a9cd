#pragma once
// The one random generator of a picture. Its output is defined entirely by the
// code below (no library generator or distribution), so a name draws the same
// sequence on every machine and in every build.

#include <cstdint>

namespace painter {

class RandomGenerator {
public:
    RandomGenerator();

    // Rnd: the next value, a single-precision number in [0, 1).
    float next();

    // Rnd(-1): puts the generator into one fixed state, whatever was drawn before.
    // The drawn value is returned (and discarded by the program).
    float reset();

    // Randomize(v): a new state that depends only on the current state and v.
    void randomize(double v);

    // Number of values drawn since construction (for --describe and the tests).
    std::uint64_t draws() const { return draws_; }

private:
    std::uint64_t state_;
    std::uint64_t draws_ = 0;
};

}  // namespace painter
