#pragma once
// What a name decides: the values drawn for its picture, as JSON.

#include <QJsonObject>
#include <QString>

namespace painter {

// Paints the name's picture (as the first after start-up) and tells what made it.
QJsonObject describeName(const QString& name);

}  // namespace painter
