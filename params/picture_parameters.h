#pragma once
#include "picture/picture_state.h"
#include "picture/services.h"

namespace painter {

// The picture's name from two clock readings, then the nine per-picture draws.
void PickParameters(PictureState& s, Platform& p);

// "T" + year + month + day + hour + minute + second, cut from "mm-dd-yyyy" and
// "hh:mm:ss". Empty when a reading does not have its form.
QString pictureName(const std::string& date, const std::string& time);

}  // namespace painter
