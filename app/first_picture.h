#pragma once
// A name painted as the first picture after start-up, with no window and no
// save folder: what every headless run paints, so a name gives the picture
// the window paints for it first.

#include "app/picture_cycle.h"
#include "platform/clock.h"
#include "platform/random_generator.h"
#include "platform/window_services.h"

#include <QString>

namespace painter {

struct FirstPicture {
    FirstPicture(const QString& name, int year) {
        services.names << name;
        setStartupValues(session.state());
        session.state().leto = year;
        session.ponovi();
    }
    RandomGenerator rng;
    SystemClock clock;
    QuietServices services;
    PainterSession session{rng, clock, services, QString()};
};

}  // namespace painter
