// The name prompt, its validation and the seed.
#include "params/name_entry.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

namespace painter {
namespace {

struct SeedCase {
    const char* name;
    std::int32_t seed;
};

void PrintTo(const SeedCase& c, std::ostream* os) { *os << '"' << c.name << '"'; }

class SeedTest : public ::testing::TestWithParam<SeedCase> {};

TEST_P(SeedTest, AcceptedNameGivesItsSeed) {
    testing::QuietSession q({QString::fromUtf8(GetParam().name)});
    setStartupValues(q.session.state());
    AskName(q.session.state(), q.session.platform());
    EXPECT_EQ(q.session.state().seed, GetParam().seed);
    EXPECT_EQ(seedOf(QString::fromUtf8(GetParam().name)), GetParam().seed);
    EXPECT_EQ(q.services.promptsShown, 1);
}

INSTANTIATE_TEST_SUITE_P(Names, SeedTest,
                         ::testing::Values(SeedCase{"", 4396645}, SeedCase{" ", 4396678}, SeedCase{"abc", 4397554},
                                           // 9 characters whose codes add up to 879: 4396645 + 9 * 879 + 9^3
                                           SeedCase{"ana novak", 4405285}));

TEST(NameEntry, LongestNameIsAcceptedAndSeedStaysInRange) {
    const QString z100(100, QLatin1Char('z'));
    EXPECT_FALSE(nameRejection(z100).has_value());
    EXPECT_EQ(seedOf(z100), 6616645);  // the largest seed any name gives
    EXPECT_EQ(nameRejection(z100 + "z").value(), "more than 100 characters");
}

// Every rejected text brings the prompt back empty; the next answer is taken.
struct Rejected {
    const char* label;
    QString text;
    QString reason;
};

void PrintTo(const Rejected& c, std::ostream* os) { *os << c.label; }

class RejectedNameTest : public ::testing::TestWithParam<Rejected> {};

TEST_P(RejectedNameTest, PromptComesBackAndNextNameIsUsed) {
    const Rejected& c = GetParam();
    ASSERT_TRUE(nameRejection(c.text).has_value()) << c.label;
    EXPECT_EQ(*nameRejection(c.text), c.reason) << c.label;

    testing::QuietSession q({c.text, QStringLiteral("abc")});
    setStartupValues(q.session.state());
    AskName(q.session.state(), q.session.platform());
    EXPECT_EQ(q.services.promptsShown, 2) << c.label;
    EXPECT_EQ(q.session.state().t, "abc");
    EXPECT_EQ(q.session.state().seed, 4397554);
}

QString fromCode(char32_t c) { return QString::fromUcs4(&c, 1); }
const QString kBadPosition = QStringLiteral("only blanks and a\u2013z: found '%1' at position %2");

INSTANTIATE_TEST_SUITE_P(
    Inputs, RejectedNameTest,
    ::testing::Values(
        Rejected{"capital", "Ana", kBadPosition.arg("A").arg(1)},
        Rejected{"digit", "ana2", kBadPosition.arg("2").arg(4)},
        Rejected{"hyphen", "ana-novak", kBadPosition.arg("-").arg(4)},
        Rejected{"diacritic", QStringLiteral("čaba"), kBadPosition.arg(QStringLiteral("č")).arg(1)},
        Rejected{"tab", "ana\tnovak", kBadPosition.arg("U+0009").arg(4)},
        Rejected{"newline", "ana\n", kBadPosition.arg("U+000A").arg(4)},
        Rejected{"nul", QString(QChar(0)) + "a", kBadPosition.arg("U+0000").arg(1)},
        Rejected{"emoji", QStringLiteral("ana \U0001F600"), kBadPosition.arg(QStringLiteral("\U0001F600")).arg(5)},
        // Its low 16 bits are 0x0061, the code of "a": only the whole code may decide.
        // Unassigned, so nothing a message could show: named by its code.
        Rejected{"beyond 16 bits", fromCode(0x10061), kBadPosition.arg("U+10061").arg(1)},
        // Half a surrogate pair is no character at all; it is shown as U+FFFD.
        Rejected{"lone surrogate", QString(QChar(0xD800)), kBadPosition.arg("U+FFFD").arg(1)},
        // Characters that show as nothing, or as a plain blank, are named by their code.
        Rejected{"no-break space", QStringLiteral("ana\u00A0novak"), kBadPosition.arg("U+00A0").arg(4)},
        Rejected{"zero-width space", QStringLiteral("ana\u200Bnovak"), kBadPosition.arg("U+200B").arg(4)},
        Rejected{"escape", QStringLiteral("x\x1b[31my"), kBadPosition.arg("U+001B").arg(2)},
        Rejected{"combining mark alone", QStringLiteral("a\u0301"), kBadPosition.arg("U+0301").arg(2)},
        Rejected{"101 letters", QString(101, QLatin1Char('a')), "more than 100 characters"},
        Rejected{"pasted megabyte", QString(1 << 20, QLatin1Char('a')), "more than 100 characters"}));

TEST(NameEntry, CancelIsTheEmptyName) {
    testing::QuietSession q{QStringList{}};  // no scripted answer: the prompt is cancelled
    setStartupValues(q.session.state());
    AskName(q.session.state(), q.session.platform());
    EXPECT_EQ(q.session.state().dolz, 0);
    EXPECT_EQ(q.session.state().seed, 4396645);
}

TEST(NameEntry, PromptTextHasBothLines) {
    struct Recording : QuietServices {
        QString text;
        QPoint where;
        QString askName(const QString& t, QPoint p) override {
            text = t;
            where = p;
            return {};
        }
    } services;
    RandomGenerator rng;
    FixedClock clock("01-01-2011", "00:00:00");
    PainterSession session(rng, clock, services, QString());
    setStartupValues(session.state());
    AskName(session.state(), session.platform());
    EXPECT_EQ(services.text, QStringLiteral("vnesi tvoje ime in priimek\rsamo male črke bre čšž"));
    EXPECT_EQ(services.where, QPoint(33, 580));
}

TEST(NameEntry, SameNameGivesSameDrawsWhateverCameBefore) {
    testing::QuietSession q({"ana novak", "ana novak"});
    auto& s = q.session.state();
    setStartupValues(s);
    AskName(s, q.session.platform());
    const float first = q.rng.next();
    for (int k = 0; k < 1000; ++k) q.rng.next();  // a whole picture's worth of other draws
    AskName(s, q.session.platform());
    EXPECT_EQ(q.rng.next(), first);
}

}  // namespace
}  // namespace painter
