#pragma once
#include "app/picture_state.h"
#include "app/platform.h"

#include <QString>

namespace painter {

// The file a picture is saved to: the folder, the picture's name, ".bmp".
QString exportPath(const QString& folder, const QString& imeslike);

// Copies the picture to the second surface column by column under the white
// progress marker on the window, then writes it. Reports the outcome to the
// window services; returns true when the file was written.
bool ExportPicture(PictureState& s, Platform& p);

}  // namespace painter
