#pragma once
// Print on a surface: Qt renders the glyphs straight into the surface's pixels.

#include "platform/caption_font.h"
#include "platform/surface.h"

#include <QFont>
#include <QString>

namespace painter {

// The caption font (built into the program, see caption_font.h) at a size in points, at 96 pixels per inch, without
// anti-aliasing so that only whole glyph pixels in the fore colour change.
QFont captionFont(double points);

// Writes text at (currentX, currentY) - the top-left of the text line - in
// foreColor and fontSize, glyph pixels only; then moves to the next line.
void printText(Surface& surface, const QString& text);

}  // namespace painter
