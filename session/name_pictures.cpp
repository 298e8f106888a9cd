#include "session/name_pictures.h"

#include "output/picture_file.h"
#include "platform/surface_text.h"
#include "session/first_picture.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace painter {

QImage paintNamePicture(const QString& name, int year, bool fieldAhead) {
    FirstPicture picture(name, {.year = year, .fieldAhead = fieldAhead});
    return surfaceImage(picture.surface());
}

NamePictures::NamePictures(QStringList names, int workers, int year, const std::atomic<int>* stop)
    : names_(std::move(names)), workers_(std::max(1, workers)), year_(year), stop_(stop) {}

QImage NamePictures::take(int index) {
    if (index < 0 || index >= count()) return {};
    if (index < first_ || index >= first_ + static_cast<int>(pictures_.size())) paintRound(index);
    return std::exchange(pictures_[static_cast<std::size_t>(index - first_)], QImage());
}

void NamePictures::paintRound(int first) {
    captionFont(12);  // the font database is set up once, before any worker uses it
    const int round = std::min(workers_ * 2, count() - first);
    first_ = first;
    pictures_.assign(static_cast<std::size_t>(round), QImage());
    std::atomic<int> next{0};
    auto work = [&] {
        for (int k = next++; k < round && !(stop_ && stop_->load() != 0); k = next++)
            // at(), never operator[]: the list may share its data with the caller's, and a
            // non-const index would make each worker copy it at once, freeing the other's.
            pictures_[static_cast<std::size_t>(k)] = paintNamePicture(names_.at(first + k), year_, false);
    };
    std::vector<std::thread> pool;
    for (int w = 0; w < std::min(workers_, round); ++w) pool.emplace_back(work);
    for (auto& t : pool) t.join();
}

}  // namespace painter
