#include "params/name_entry.h"

#include "params/name_text.h"

namespace painter {
namespace {

bool acceptable(char32_t c) { return c == U' ' || (c >= U'a' && c <= U'z'); }

}  // namespace

Problem nameRejection(const QString& name) {
    // A UTF-16 text longer than 200 units has more than 100 characters whatever
    // it holds; checking that first keeps a pasted megabyte cheap.
    if (name.size() > 2 * kMaxNameLength) return QStringLiteral("more than 100 characters");
    const QList<uint> codes = name.toUcs4();
    if (codes.size() > kMaxNameLength) return QStringLiteral("more than 100 characters");
    for (qsizetype k = 0; k < codes.size(); ++k) {
        const char32_t c = codes[k];
        if (acceptable(c)) continue;
        // An invisible character is named by its code: a message shows what was found.
        return QStringLiteral("only blanks and a\u2013z: found '%1' at position %2")
            .arg(visibleCharacter(c))
            .arg(k + 1);
    }
    return std::nullopt;
}

std::int32_t seedOf(const QString& acceptedName) {
    const QList<uint> codes = acceptedName.toUcs4();
    const std::int32_t dolz = static_cast<std::int32_t>(codes.size());
    std::int32_t sum = 0;
    for (uint c : codes) sum += static_cast<std::int32_t>(c) + dolz;
    return 4396645 + sum * dolz;
}

void AskName(PictureState& s, Platform& p) {
    const QString prompt = s.t1 + QChar(13) + s.t2;
    for (;;) {
        bool rejected = false;
        s.t = p.window.askName(prompt, QPoint(kPromptLeft, kPromptTop));
        if (s.t.size() > 2 * kMaxNameLength) continue;  // surely over 100 characters
        const QList<uint> codes = s.t.toUcs4();
        s.dolz = static_cast<std::int32_t>(codes.size());
        if (s.dolz > kMaxNameLength) continue;
        for (std::int32_t k = 1; k <= s.dolz; ++k) {
            const char32_t c = codes[k - 1];
            // The table keeps 16 bits; the test looks at the whole code, so a
            // character beyond 16 bits can never pass as a letter.
            s.namecode[k] = static_cast<std::int16_t>(c);
            if (!acceptable(c)) rejected = true;
        }
        if (rejected) continue;
        break;
    }
    s.seed = seedOf(s.t);
    if (s.seed > 0) p.rng.reset();
    p.rng.randomize(s.seed);
}

}  // namespace painter
