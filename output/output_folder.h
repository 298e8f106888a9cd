#pragma once
// Whether outputs can be written where they are asked for, found before any
// picture is painted, with the system's own reason when they cannot ("Not a
// directory", "Read-only file system", "Permission denied").

#include "platform/problem.h"

#include <QString>

namespace painter {

// Makes the folder and any missing parent; the reason when it cannot be made.
[[nodiscard]] Problem makeOutputFolder(const QString& folder);

// Checks that files can be written into the folder, by writing a probe file
// there; returns the reason when they cannot.
[[nodiscard]] Problem outputFolderProblem(const QString& folder);

// Checks that the file can be written: into a device or a named pipe that is
// there already, or as a new file in its folder.
[[nodiscard]] Problem outputFileProblem(const QString& path);

}  // namespace painter
