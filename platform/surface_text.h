#pragma once
// Print on a surface: Qt renders the glyphs straight into the surface's pixels.

#include "platform/surface.h"

#include <QFont>
#include <QString>

namespace painter {

// The one font every caption uses, installed with the program's dependencies,
// so a caption looks the same on every machine.
inline constexpr const char* kCaptionFontFamily = "DejaVu Sans";

// The caption font at a size in points, at 96 pixels per inch, without
// anti-aliasing so that only whole glyph pixels in the fore colour change.
QFont captionFont(double points);

// Writes text at (currentX, currentY) - the top-left of the text line - in
// foreColor and fontSize, glyph pixels only; then moves to the next line.
void printText(Surface& surface, const QString& text);

}  // namespace painter
