#pragma once
// A name painted as the first picture after start-up, with no window and no
// save folder: the picture the window paints for it first, whatever was
// painted before. Single pictures, batches, --describe and the web service
// all paint names this way.

#include "app/picture_cycle.h"
#include "platform/clock.h"
#include "platform/random_generator.h"
#include "platform/window_services.h"

#include <QString>

namespace painter {

struct FirstPictureOptions {
    int year = 2011;                 // the year the greeting wishes luck in
    PictureFacts* facts = nullptr;   // when set, what the picture decided is recorded there
    // The field arithmetic ahead on a second thread: worth it for one picture,
    // not where other pictures already keep every core busy.
    bool fieldAhead = true;
};

class FirstPicture {
public:
    // Paints `name`, which must be acceptable (see nameRejection).
    explicit FirstPicture(const QString& name, const FirstPictureOptions& options = {});

    const Surface& surface() { return session_.picture1(); }
    const PictureState& state() { return session_.state(); }

private:
    RandomGenerator rng_;
    SystemClock clock_;
    QuietServices services_;
    PainterSession session_{rng_, clock_, services_, QString()};
};

}  // namespace painter
