#include "ornament/sample_colors.h"

#include <cmath>

namespace painter {

void SplitColor(PictureState& s) {
    s.re = s.col % 256;
    s.col = s.col - static_cast<std::int32_t>(s.re);
    s.bl = std::floor(s.col / 65536.0);
    s.gr = std::floor((s.col % 65536) / 256.0);
}

void SampleColors(PictureState& s, const Surface& picture, RandomGenerator& rng, std::int64_t maxTries) {
    const float width = static_cast<float>(s.sir - 60);
    const float height = static_cast<float>(s.vis - 60);
    std::int64_t tries = 0;
    int bestSum = -1;
    std::int16_t best[3] = {0, 0, 0};
    for (int m = 1; m <= 100; ++m) {
        for (;;) {
            if (tries >= maxTries) {
                for (int rest = m; rest <= 100; ++rest)
                    for (int c = 0; c < 3; ++c) s.sampletab[rest][c + 1] = best[c];
                return;
            }
            ++tries;
            // Product and sum in single precision, as the drawn value is.
            const float u = rng.next();
            s.i = std::floor(width * u + 30.0f);
            const float v = rng.next();
            s.j = std::floor(height * v + 30.0f);
            s.col = picture.point(static_cast<float>(s.i), static_cast<float>(s.j));
            SplitColor(s);
            const int sum = static_cast<int>(s.re + s.gr + s.bl);
            if (sum > bestSum) {
                bestSum = sum;
                best[0] = static_cast<std::int16_t>(s.re);
                best[1] = static_cast<std::int16_t>(s.gr);
                best[2] = static_cast<std::int16_t>(s.bl);
            }
            if (sum >= 200) break;
        }
        s.sampletab[m][1] = static_cast<std::int16_t>(s.re);
        s.sampletab[m][2] = static_cast<std::int16_t>(s.gr);
        s.sampletab[m][3] = static_cast<std::int16_t>(s.bl);
    }
}

}  // namespace painter
