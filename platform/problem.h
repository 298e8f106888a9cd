#pragma once
// How the engine reports a failure. A function that can fail returns a
// Problem: empty when it succeeded, else the reason, in English, for a message
// ("cannot write FILE: " + reason). A function that also gives a value
// returns a struct with a `problem` member beside the value.
//
// Why this one: a bool with a QString* out-parameter lets the caller pass
// nothing and lose the reason, and an empty QString meaning success makes an
// empty reason look like success. An optional cannot be mistaken either way,
// and `if (const Problem p = f())` keeps the reason where it is reported.

#include <QString>

#include <optional>

namespace painter {

using Problem = std::optional<QString>;

}  // namespace painter
