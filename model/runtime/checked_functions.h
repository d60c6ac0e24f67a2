// SPDX-License-Identifier: GPL-3.0-or-later
// The three functions the actions call, each failing with a RunTimeError
// where the result does not exist or exceeds the double range.
#pragma once

namespace cotalia {

// Throws kInvalidCall for x <= 0.
double NaturalLog(double x);

// Throws kOverflow where the result exceeds the largest finite double; a result
// too small to represent is 0.
double Exponential(double x);

// Only the exponents 2 (x * x, kOverflow beyond the double range) and 0.5 (the
// square root, kInvalidCall for x < 0). The calculator needs no other power,
// and every other exponent throws kInvalidCall rather than be answered by a
// pow() whose last digit differs between platforms.
double Power(double base, double exponent);

}  // namespace cotalia
