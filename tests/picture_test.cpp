// Whole pictures: the same name paints the same pixels, and commands given
// while a picture paints do what the user asked.
#include "output/picture_file.h"
#include "session/first_picture.h"
#include "test_support.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

#include <ostream>

namespace painter {
namespace {

using testing::PumpServices;
using testing::QuietSession;
using testing::sha256;

QByteArray paint(const QString& name) { return sha256(FirstPicture(name).surface()); }

TEST(Picture, SameNameSamePixelsDifferentNamesDifferentPictures) {
    EXPECT_EQ(paint("ana novak"), paint("ana novak"));
    EXPECT_NE(paint("ana novak"), paint("ana novaka"));
    EXPECT_NE(paint(""), paint(" "));
}

// The recorded pictures of names are in recorded_pictures_test.cpp.

// The session with an event pump that acts at a chosen row.
struct Driven {
    explicit Driven(QStringList names) { services.names = std::move(names); }
    QTemporaryDir dir;
    RandomGenerator rng;
    FixedClock clock{"02-01-2011", "09:03:07"};
    PumpServices services;
    PainterSession session{rng, clock, services, dir.path()};
};

bool rowsBlackFrom(const Surface& s, int firstRow) {
    for (int y = firstRow; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (s.point(x, y) != 0) return false;
    return true;
}

TEST(Commands, IzhodInTheMiddleStopsThePicture) {
    // Mode 1 marks only the pixel itself, so unpainted rows stay black.
    Driven d({"bor petek"});
    d.services.onRow = [&](int row) {
        if (row == 100) d.session.izhod();
    };
    d.session.formLoad();
    EXPECT_TRUE(d.session.quitRequested());
    EXPECT_EQ(d.services.rows, 101);
    EXPECT_TRUE(rowsBlackFrom(d.session.picture1(), 100));
    // Nothing after the scan ran: no colours were sampled.
    EXPECT_EQ(d.session.state().sampletab[1][1], 0);
}

TEST(Commands, PonoviInTheMiddleRunsANewPictureAndTheOldOneStops) {
    Driven d({"bor petek", "ana kos"});
    bool pressed = false;
    d.services.onRow = [&](int row) {
        if (row == 200 && !pressed) {
            pressed = true;
            EXPECT_TRUE(d.session.ponovi());  // the nested picture finishes
        }
    };
    d.session.formLoad();
    EXPECT_EQ(d.services.promptsShown, 2);
    EXPECT_EQ(d.session.state().t, "ana kos");
    // 201 rows of the first picture, then all 526 of the second; none after.
    EXPECT_EQ(d.services.rows, 201 + 526);
    // What is left on the screen is exactly the second name's picture.
    EXPECT_EQ(sha256(d.session.picture1()), paint("ana kos"));
}

TEST(Commands, ShraniInTheMiddleSavesTheRowsSoFarAndPaintingGoesOn) {
    Driven d({"bor petek"});
    Surface atSave;
    d.services.onRow = [&](int row) {
        if (row != 300) return;
        atSave = d.session.picture1();
        EXPECT_TRUE(d.session.shrani());
    };
    d.session.formLoad();
    // The picture was finished all the same, exactly as without the save.
    EXPECT_EQ(sha256(d.session.picture1()), paint("bor petek"));
    // The file holds the picture as it stood: 300 rows painted, black below.
    const QImage saved(d.session.lastSavedPath());
    ASSERT_EQ(saved.size(), QSize(700, 525));
    const QImage expected = surfaceImage(atSave);
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB888), expected);
    EXPECT_TRUE(rowsBlackFrom(atSave, 300));
    EXPECT_FALSE(rowsBlackFrom(atSave, 299));
    EXPECT_EQ(QDir(d.dir.path()).entryList(QDir::Files), QStringList{"T20110201090307.bmp"});
}

TEST(Commands, SameNameTwiceGivesTheSamePictureWithinOneSession) {
    QuietSession q({"ana kos", "ana kos"});
    q.session.formLoad();
    const QByteArray first = sha256(q.session.picture1());
    q.session.ponovi();
    EXPECT_EQ(sha256(q.session.picture1()), first);
}

}  // namespace
}  // namespace painter
