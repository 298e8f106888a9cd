#include "session/first_picture.h"

namespace painter {

FirstPicture::FirstPicture(const QString& name, const FirstPictureOptions& options) {
    services_.names << name;
    session_.platform().facts = options.facts;
    session_.platform().fieldAhead = options.fieldAhead;
    session_.platform().watcher = options.watcher;
    session_.state().leto = options.year;
    // The window's start-up; without a folder it makes none.
    session_.formLoad();
}

}  // namespace painter
