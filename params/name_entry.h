#pragma once
// The name prompt, its validation and the seed that the accepted name gives.

#include "picture/picture_state.h"
#include "picture/services.h"
#include "platform/problem.h"

#include <QString>

#include <cstdint>

namespace painter {

constexpr int kMaxNameLength = 100;

// Why a typed name cannot be painted, or nothing when it can: at most 100
// characters, each a blank or one of "a" to "z".
Problem nameRejection(const QString& name);

// The seed of an acceptable name: 4396645 + dolz * (sum of codes) + dolz^3.
std::int32_t seedOf(const QString& acceptedName);

// AskName: asks until a name is accepted, fills t, dolz, namecode and seed,
// then resets the generator and reseeds it with the seed.
void AskName(PictureState& s, Platform& p);

// The prompt's upper-left corner on the screen: 500 and 8700 twips.
inline constexpr int kPromptLeft = 500 / 15;
inline constexpr int kPromptTop = 8700 / 15;

}  // namespace painter
