#include "app/first_picture.h"

namespace painter {

FirstPicture::FirstPicture(const QString& name, PictureFacts* facts) {
    services_.names << name;
    session_.platform().facts = facts;
    setStartupValues(session_.state());
    session_.ponovi();
}

}  // namespace painter
