#include "session/describe.h"

#include "session/first_picture.h"

namespace painter {

QJsonObject describeName(const QString& name) {
    PictureFacts facts;
    const FirstPicture picture(name, {.facts = &facts});
    const PictureState& s = picture.state();
    return QJsonObject{
        {"name", s.t},
        {"seed", s.seed},
        {"tip1", s.tip1},
        {"tip2", s.tip2},
        {"tip3", s.tip3},
        {"pozic0", s.pozic0},
        {"fi0", s.fi0},
        {"r0", s.r0},
        {"fak1", s.fak1},
        {"fak2", s.fak2},
        {"fak3", s.fak3},
        {"nac", s.nac},
        {"rr", facts.startingRr},
        {"draws", static_cast<qint64>(facts.draws)},
        {"triangle", QJsonObject{{"height", facts.triangleHeight},
                                 {"apexRow", facts.apexRow},
                                 {"apexColumn", facts.apexColumn},
                                 {"bandWidth", facts.band},
                                 {"bandLeft", facts.left}}},
    };
}

}  // namespace painter
