#pragma once
#include "picture/picture_state.h"
#include "platform/surface.h"

#include <QString>

namespace painter {

// What follows the name on every picture: the wish for luck in `year`, six
// blanks and the web address.
QString greetingText(int year = 2011);

// The name and the greeting along the bottom of the picture, white over a
// black shadow one pixel up and left; then a "*" at the window's top left.
void PrintGreeting(const PictureState& s, Surface& picture, Surface& form);

}  // namespace painter
