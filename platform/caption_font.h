#pragma once
// The one font of every caption, built into the program: the packaged DejaVu
// Sans, copied into the program's resources when it is built, with its
// licence. A caption then never depends on which fonts a machine has.

#include "platform/problem.h"

#include <QString>

namespace painter {

inline constexpr const char* kCaptionFontFamily = "DejaVu Sans";
inline constexpr const char* kCaptionFontResource = ":/fonts/DejaVuSans.ttf";
inline constexpr const char* kCaptionFontLicence = ":/fonts/DejaVuSans-LICENSE.txt";

// Adds a font file (or resource) to the application's fonts and checks that it
// holds the caption family. Returns the reason when it cannot be used.
Problem addCaptionFont(const QString& file);

// The built-in font, added once per process on first use; the reason when it
// cannot be. Needs a QGuiApplication.
const Problem& captionFontProblem();

}  // namespace painter
