#include "app/first_picture.h"

namespace painter {

FirstPicture::FirstPicture(const QString& name, const FirstPictureOptions& options) {
    services_.names << name;
    session_.platform().facts = options.facts;
    session_.platform().fieldAhead = options.fieldAhead;
    setStartupValues(session_.state());
    session_.state().leto = options.year;
    session_.ponovi();
}

}  // namespace painter
