#pragma once
// The value of an option that takes a whole number in a range (--jobs,
// --queue, --year, --scale), read one way for every such option.

#include "platform/problem.h"

#include <QString>

namespace painter {

struct WholeNumber {
    int value = 0;
    Problem problem;  // "--jobs takes a whole number from 1 to 256, not 'x'"
};

// `text` as a whole number from `least` to `most`; `what` names the kind of
// number in the reason ("a whole number", "a year").
WholeNumber wholeNumberOption(const QString& option, const QString& text, int least, int most,
                              const QString& what = QStringLiteral("a whole number"));

}  // namespace painter
