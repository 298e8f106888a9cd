#pragma once
// The pictures of a list of names, painted on several cores and handed over in
// the list's order, for outputs that need them together (one PDF of every
// card, a contact sheet).

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

namespace painter {

// The picture a name paints as the first picture after start-up.
QImage paintNamePicture(const QString& name);

// Paints every name with up to `workers` at once and calls `take` for each
// picture in the order of `names`, on the calling thread. Only a few pictures
// are held at a time, however long the list.
void paintNamePictures(const QStringList& names, int workers,
                       const std::function<void(int index, const QImage& picture)>& take);

}  // namespace painter
