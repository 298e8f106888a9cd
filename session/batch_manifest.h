#pragma once
// The manifest of a batch: which line became which file, so a script that
// drives a batch need not guess the file names. CSV (.csv) or JSON lines
// (.jsonl), one record a line of the list.

#include "session/batch.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace painter {

// Why `path` cannot name a manifest (its extension); empty when it can.
[[nodiscard]] Problem manifestProblem(const QString& path);

// The manifest's text for `path`'s kind.
QByteArray manifestText(const QString& path, const QList<BatchEntry>& entries);

// Written under a temporary name and renamed; false and the reason when not.
[[nodiscard]] Problem writeManifest(const QString& path, const QList<BatchEntry>& entries);

}  // namespace painter
