#pragma once
// The folder the window saves pictures into. On Windows it is the program's
// traditional "C:\wimgx"; elsewhere the same name under the home folder, since
// a drive letter means nothing there and the file system root is not writable.

#include <QString>

namespace painter {

QString defaultPictureFolder();

// Creates the folder and any missing parents. A folder that already exists,
// or one that cannot be made, is not reported: start-up goes on either way,
// and only a later save notices a folder that is missing.
bool createPictureFolder(const QString& folder);

}  // namespace painter
