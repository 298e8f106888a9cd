#pragma once
// The pictures of a list of names, painted on several cores and handed over in
// the list's order, for outputs that need them one after another (one PDF of
// every card, a contact sheet).

#include <QImage>
#include <QString>
#include <QStringList>

#include <atomic>
#include <vector>

namespace painter {

// The picture a name paints as the first picture after start-up, wishing
// luck in `year`; `fieldAhead` as in FirstPictureOptions.
QImage paintNamePicture(const QString& name, int year = 2011, bool fieldAhead = false);

// Paints ahead a few pictures per worker at a time, so only those are held,
// however long the list.
class NamePictures {
public:
    // `stop`, once set (by a stop signal), keeps every picture not yet begun
    // from being painted: take() then gives a null image.
    NamePictures(QStringList names, int workers, int year = 2011, const std::atomic<int>* stop = nullptr);

    int count() const { return static_cast<int>(names_.size()); }
    // The picture of names[index]; indexes are taken in order, each once.
    QImage take(int index);

private:
    void paintRound(int first);

    QStringList names_;
    int workers_;
    int year_;
    const std::atomic<int>* stop_;
    int first_ = 0;  // index of pictures_[0]
    std::vector<QImage> pictures_;
};

}  // namespace painter
