#pragma once
// One name for each brush mode: the mode a name paints in is drawn before any
// field arithmetic, so these stay with their modes.

namespace painter::bench {

inline constexpr const char* kNameForMode[19] = {
    nullptr,        "bor petek",     "ana kranjc", "ana kos",    "ana kastelic", "eva zupancic", "ana horvat",
    "cene korosec", "ana potocnik",  "ana golob",  "ana novak",  "ana zupancic", "bor oblak",    "ana mlakar",
    "ana kovac",    "dana potocnik", "ana zupan",  "bor horvat", "bor zupan"};

}  // namespace painter::bench
