#include "app/first_picture.h"

namespace painter {

FirstPicture::FirstPicture(const QString& name, int year, PictureFacts* facts) {
    services_.names << name;
    session_.platform().facts = facts;
    setStartupValues(session_.state());
    session_.state().leto = year;
    session_.ponovi();
}

}  // namespace painter
