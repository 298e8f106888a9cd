#pragma once
// A name painted as the first picture after start-up, with no window and no
// save folder: what every headless run paints, so a name gives the picture
// the window paints for it first. Every caller that wants a name's picture
// (command line, batch, describe, tests, benchmarks) paints it here.

#include "session/picture_cycle.h"
#include "platform/clock.h"
#include "platform/random_generator.h"
#include "platform/window_services.h"

#include <QString>

namespace painter {

struct FirstPicture {
    // The greeting's year when none is asked for.
    static constexpr int kDefaultYear = 2011;

    // Runs the window's start-up (without a save folder) for `name`, wishing
    // luck in `year`. `facts`, when given, receives what made the picture.
    explicit FirstPicture(const QString& name, int year = kDefaultYear, PictureFacts* facts = nullptr);

    const Surface& picture() const { return session.picture1(); }
    const PictureState& state() const { return session.state(); }

    RandomGenerator rng;
    SystemClock clock;
    QuietServices services;
    PainterSession session{rng, clock, services, QString()};
};

}  // namespace painter
