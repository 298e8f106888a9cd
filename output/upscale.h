#pragma once
// A picture made larger for screens and print shops without inventing any
// colour: every pixel becomes a block of factor x factor pixels of its colour.

#include <QImage>

namespace painter {

inline constexpr int kMaxScale = 8;

// `factor` from 1 to kMaxScale; the result is an RGB888 image. Any other
// factor gives a null image.
QImage upscaleImage(const QImage& picture, int factor);

}  // namespace painter
