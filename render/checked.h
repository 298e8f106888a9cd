#pragma once
// Arithmetic for the statements that skip on failure. A statement fails when
// any operation in it yields a value that is not finite - a division by zero
// (0/0 included), an overflow, or an invalid argument such as a negative base
// with a fractional exponent - and then its target keeps its previous value.
//
// The failure is tracked per operation, not tested on the final value only:
// pow(NaN, 0) is 1 and atan(inf) is finite, so a division by zero earlier in
// the statement could otherwise hide behind them.

#include "platform/exact_math.h"

#include <cmath>

namespace painter {

struct Checked {
    double v;
    bool ok = true;
};

inline Checked checked(double v, bool ok) { return {v, ok && std::isfinite(v)}; }

inline Checked operator+(Checked a, Checked b) { return checked(a.v + b.v, a.ok && b.ok); }
inline Checked operator-(Checked a, Checked b) { return checked(a.v - b.v, a.ok && b.ok); }
inline Checked operator*(Checked a, Checked b) { return checked(a.v * b.v, a.ok && b.ok); }
inline Checked operator/(Checked a, Checked b) { return checked(a.v / b.v, a.ok && b.ok); }
inline Checked operator+(Checked a, double b) { return a + Checked{b}; }
inline Checked operator+(double a, Checked b) { return Checked{a} + b; }
inline Checked operator*(double a, Checked b) { return Checked{a} * b; }
inline Checked operator/(Checked a, double b) { return a / Checked{b}; }

inline Checked sin(Checked a) { return checked(xm::sin(a.v), a.ok); }
inline Checked cos(Checked a) { return checked(xm::cos(a.v), a.ok); }
inline Checked tan(Checked a) { return checked(xm::tan(a.v), a.ok); }
inline Checked atan(Checked a) { return checked(xm::atan(a.v), a.ok); }
inline Checked sqrt(Checked a) { return checked(xm::sqrt(a.v), a.ok && a.v >= 0); }
inline Checked abs(Checked a) { return {std::fabs(a.v), a.ok}; }
inline Checked pow(Checked base, Checked exponent) {
    return checked(xm::pow(base.v, exponent.v), base.ok && exponent.ok);
}

// The statement itself: the target changes only when nothing in it failed.
inline void assign(double& target, Checked value) {
    if (value.ok) target = value.v;
}

}  // namespace painter
