#pragma once
// Elementary functions computed by our own code from IEEE basic operations only
// (+, -, *, /, sqrt), so their results do not depend on the C library's version
// or on which variant of it the processor selects at run time. Every formula of
// the field goes through these; a name then paints the same pixels everywhere.

#include "platform/floating_point_guard.h"

namespace painter::xm {

double sin(double x);
double cos(double x);
double tan(double x);
// sin(x) and cos(x) at once, bit for bit what the two give, with the argument
// reduced once.
struct SinCos {
    double sin, cos;
};
SinCos sincos(double x);
double atan(double x);
double atan2(double y, double x);  // the angle of (x, y) in [-pi, pi]
double pow(double base, double exponent);
double sqrt(double x);  // IEEE square root, correctly rounded by the hardware

}  // namespace painter::xm
