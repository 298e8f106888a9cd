// Fuzz target for the typed name: arbitrary bytes become the text that the
// prompt returns (as UTF-8, or as raw UTF-16 with lone surrogates and NULs),
// and go through the name check, the prompt loop and, for short accepted
// names, a whole picture.
//
// What must hold for every text:
// - nameRejection accepts exactly the texts of at most 100 characters that are
//   all blanks or "a" to "z" (checked against that rule written out plainly);
// - AskName agrees: an accepted text is taken at the first prompt, with its
//   length and seed; a rejected one brings the prompt back, and the empty
//   answer that follows is taken;
// - an accepted name paints a whole picture, and painting it again in the
//   same session gives the same pixels.

#include "params/name_entry.h"
#include "platform/clock.h"
#include "platform/random_generator.h"
#include "platform/window_services.h"
#include "session/picture_cycle.h"

#include <QCryptographicHash>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unordered_set>

namespace painter {
namespace {

// A picture takes one to five seconds in this build (by brush mode), some
// ten thousand times as long as the checks of a name: only names this short
// are painted, each seed once (the picture depends on the seed alone, since the
// name resets the generator), and at most this many seeds per process, so that
// a bounded run still spends most of its time on the names.
constexpr qsizetype kPaintedNameLength = 12;
constexpr std::size_t kPaintedSeedsPerRun = 6;

std::unique_ptr<QTemporaryDir> folder;

[[noreturn]] void fail(const char* what, const QString& name) {
    std::fprintf(stderr, "name_fuzz: %s; name (UTF-16 units):", what);
    for (QChar c : name) std::fprintf(stderr, " %04x", c.unicode());
    std::fprintf(stderr, "\n");
    std::abort();
}

// The rule, written without the code under test: every accepted character is
// one UTF-16 unit, so the units can be checked one by one.
bool plainlyAcceptable(const QString& name) {
    if (name.size() > kMaxNameLength) return false;
    for (QChar c : name)
        if (c != u' ' && (c < u'a' || c > u'z')) return false;
    return true;
}

std::int32_t closedFormSeed(const QString& name) {
    const std::int32_t dolz = static_cast<std::int32_t>(name.size());
    std::int32_t codes = 0;
    for (QChar c : name) codes += c.unicode();
    return 4396645 + dolz * codes + dolz * dolz * dolz;
}

QByteArray pixelHash(const Surface& s) {
    return QCryptographicHash::hash(
        QByteArrayView(reinterpret_cast<const char*>(s.pixels()), static_cast<qsizetype>(s.width()) * s.height() * 4),
        QCryptographicHash::Sha256);
}

void checkPromptLoop(const QString& name, bool accepted) {
    RandomGenerator rng;
    FixedClock clock("02-01-2011", "09:03:07");
    QuietServices services;
    services.names = {name, QString()};
    Surface tiny(1, 1);
    CycleControl cycles;
    Platform platform{rng, clock, tiny, tiny, tiny, services, cycles, QString()};
    PictureState s;
    setStartupValues(s);
    AskName(s, platform);

    if (services.promptsShown != (accepted ? 1 : 2)) fail("AskName disagrees with nameRejection", name);
    const QString taken = accepted ? name : QString();
    if (s.t != taken) fail("AskName kept another text", name);
    if (s.dolz != taken.size()) fail("dolz is not the length", name);
    if (s.seed != closedFormSeed(taken) || s.seed != seedOf(taken)) fail("seed is not the closed form", name);
    // The generator stands where a reset and a reseed with the seed put it.
    RandomGenerator expected;
    expected.reset();
    expected.randomize(s.seed);
    for (int k = 0; k < 3; ++k)
        if (rng.next() != expected.next()) fail("generator not reseeded from the seed", name);
}

void paintTwice(const QString& name) {
    RandomGenerator rng;
    FixedClock clock("02-01-2011", "09:03:07");
    QuietServices services;
    services.names = {name, name};
    PainterSession session(rng, clock, services, folder->path() + "/wimgx");
    session.formLoad();
    if (session.state().t != name || services.promptsShown != 1) fail("picture cycle took another name", name);
    if (session.state().imeslike != u"T20110201090307") fail("picture name is not from the clock", name);
    const QByteArray first = pixelHash(session.picture1());
    if (!session.ponovi()) fail("second picture did not finish", name);
    if (pixelHash(session.picture1()) != first) fail("same name painted different pixels", name);
}

}  // namespace
}  // namespace painter

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The greeting is drawn with Qt's text rendering, which needs the
    // application object for the whole run. It is never destroyed: libFuzzer
    // ends with exit(), after Qt's thread storage is gone, and a destroyed
    // application would then unload the built-in caption font through it.
    static QGuiApplication* app = new QGuiApplication(*argc, *argv);
    (void)app;
    painter::folder = std::make_unique<QTemporaryDir>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace painter;
    if (size == 0) return 0;
    // The first byte chooses the decoding of the rest: even is UTF-8 (so a kept
    // input reads "0ana novak"), odd is raw UTF-16 in the machine's byte order.
    const bool utf16 = data[0] & 1;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const QString name =
        utf16 ? QString(reinterpret_cast<const QChar*>(bytes.data()), static_cast<qsizetype>(bytes.size() / 2))
              : QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));

    const bool accepted = !nameRejection(name).has_value();
    if (accepted != plainlyAcceptable(name)) fail("nameRejection breaks the rule", name);
    if (!accepted && nameRejection(name)->isEmpty()) fail("rejection without a reason", name);
    checkPromptLoop(name, accepted);

    static std::unordered_set<std::int32_t> paintedSeeds;
    if (accepted && name.size() <= kPaintedNameLength && paintedSeeds.size() < kPaintedSeedsPerRun &&
        paintedSeeds.insert(seedOf(name)).second)
        paintTwice(name);
    return 0;
}
