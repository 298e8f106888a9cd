#pragma once
// Colours are the program's own 24-bit values: red + 256 * green + 65536 * blue.

#include "platform/whole_numbers.h"

#include <algorithm>
#include <cstdint>

namespace painter {

using Colour = std::int32_t;

// One level of RGB(): rounded to the nearest whole number, a half going to the
// even neighbour, then cut to 0..255.
// NaN becomes 0 so that no input can make a colour outside 0..0xFFFFFF.
// Without branches: the levels of neighbouring pixels cross 0 and 255 at
// random. max(0, v) takes 0 for NaN as (0 < v) fails; on 0..255 adding and
// taking away 2^52 rounds a half to even as roundHalfEven does.
inline int colourLevel(double v) {
    const double level = std::min(std::max(0.0, v), 255.0);
    return static_cast<int>((level + kWholeFrom) - kWholeFrom);
}

inline Colour rgb(double r, double g, double b) {
    return colourLevel(r) + 256 * colourLevel(g) + 65536 * colourLevel(b);
}

// The classic 16-colour palette; the program uses black (0) and bright white (15).
inline Colour qbColor(int index) {
    static constexpr Colour palette[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                           0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                           0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    return palette[static_cast<unsigned>(index) & 15u];
}

inline int redOf(Colour c) { return c & 0xFF; }
inline int greenOf(Colour c) { return (c >> 8) & 0xFF; }
inline int blueOf(Colour c) { return (c >> 16) & 0xFF; }

}  // namespace painter
