#pragma once
// A name painted as the first picture after start-up, with no window and no
// save folder: the window's own start-up, so it is the picture the window
// paints for the name first, whatever was painted before. Single pictures,
// batches, --describe, the web service, the tests and the benchmarks all
// paint names this way.

#include "platform/clock.h"
#include "platform/random_generator.h"
#include "platform/window_services.h"
#include "session/picture_cycle.h"

#include <QString>

namespace painter {

struct FirstPictureOptions {
    int year = 2011;                // the year the greeting wishes luck in
    PictureFacts* facts = nullptr;  // when set, what the picture decided is recorded there
    // The field arithmetic ahead on a second thread (see Platform::fieldAhead).
    bool fieldAhead = true;
    // Follows the painting (the frames of a clip), when set.
    PaintingWatcher* watcher = nullptr;
};

class FirstPicture {
public:
    // Paints `name`, which must be acceptable (see nameRejection).
    explicit FirstPicture(const QString& name, const FirstPictureOptions& options = {});

    const Surface& surface() const { return session_.picture1(); }
    const PictureState& state() const { return session_.state(); }

private:
    RandomGenerator rng_;
    SystemClock clock_;
    QuietServices services_;
    PainterSession session_{rng_, clock_, services_, QString()};
};

}  // namespace painter
