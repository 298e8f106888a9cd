#pragma once
#include "output/picture_save.h"
#include "picture/picture_state.h"
#include "picture/services.h"

#include <QString>

namespace painter {

// The file a picture is saved to: the folder, the picture's name, ".bmp".
QString exportPath(const QString& folder, const QString& imeslike);

// Copies the picture to the second surface column by column under the white
// progress marker on the window, then writes it. Reports the outcome to the
// window services; returns true when the file was written. `ownFile` is the
// file this picture was saved to before (replaced), empty for its first save
// (a new file, never another picture's). The outcome's path is the file written.
SaveOutcome ExportPicture(PictureState& s, Platform& p, const QString& ownFile = {});

}  // namespace painter
