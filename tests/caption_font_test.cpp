// The caption font is built into the program, with its licence, and a font
// that cannot be used is reported, never replaced by another.
#include "platform/caption_font.h"

#include <QFile>
#include <ostream>

#include <gtest/gtest.h>

namespace painter {
namespace {

TEST(CaptionFont, BuiltInFontLoadsAndCarriesItsLicence) {
    EXPECT_FALSE(captionFontProblem().has_value()) << captionFontProblem().value_or(QString()).toStdString();
    QFile licence{QString::fromLatin1(kCaptionFontLicence)};
    ASSERT_TRUE(licence.open(QIODevice::ReadOnly));
    EXPECT_TRUE(licence.readAll().contains("Bitstream Vera"));
}

struct BadFont {
    const char* how;  // how the failure is provoked
    QString file;
    const char* message;  // what the reason says
};

void PrintTo(const BadFont& c, std::ostream* os) { *os << c.how; }

class UnusableFont : public ::testing::TestWithParam<BadFont> {};

TEST_P(UnusableFont, IsReportedWithTheFile) {
    const auto problem = addCaptionFont(GetParam().file);
    ASSERT_TRUE(problem.has_value()) << GetParam().how;
    EXPECT_TRUE(problem->contains(GetParam().file)) << problem->toStdString();
    EXPECT_TRUE(problem->contains(QLatin1String(GetParam().message))) << problem->toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, UnusableFont,
                         ::testing::Values(
                             // a path where no file is
                             BadFont{"missing file", QStringLiteral("/nonexistent/DejaVuSans.ttf"), "is missing"},
                             // the licence text handed over as if it were a font
                             BadFont{"not a font", QLatin1String(kCaptionFontLicence), "cannot be loaded"},
                             // a good font of another family, from the same package
                             BadFont{"another family",
                                     QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"),
                                     "not DejaVu Sans"}));

}  // namespace
}  // namespace painter
