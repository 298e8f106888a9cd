#include "session/first_picture.h"

namespace painter {

FirstPicture::FirstPicture(const QString& name, int year, PictureFacts* facts) {
    services.names << name;
    session.state().leto = year;
    session.platform().facts = facts;
    session.formLoad();
}

}  // namespace painter
