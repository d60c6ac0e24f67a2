// SPDX-License-Identifier: GPL-3.0-or-later
// The standard normal distribution function and its inverse, in the model's
// own arithmetic: only the four operations, the square root and the
// correctly rounded exponential and logarithm, so that every platform gives
// the same digits (the C library's erf and erfc differ in the last ones).
#pragma once

#include "model/runtime/double_double.h"

namespace cotalia {

// phi(x) = e^(-x^2/2)/sqrt(2 pi), the standard normal density, for x = hi +
// lo: within 2 1/2 units in the last place wherever the result is a normal
// double, and 0 from |x| = 39, where it rounds to 0.
double NormalDensity(const dd::DoubleDouble& x);

// Phi(x), the probability that a standard normal variable is below x. Within
// 4 units in the last place of the true value wherever that is a normal
// double (x > -37.5); below, the subnormal result is within 4 units of the
// smallest subnormal. 0 and 1 at the infinities, NaN for NaN.
double NormalCdf(double x);

// The x with Phi(x) = p, for 0 < p < 1: -infinity for p <= 0, +infinity for
// p >= 1, NaN for NaN. Within 8 units in the last place for p up to 0.25 and
// from 0.75, the range of the confidence levels from 50 %; nearer 0.5, where
// x nears 0, within 2^-50 absolute (Phi's 4 units of p, up to 2^-52, over
// phi(x) >= 0.31). For a subnormal p, whose quantiles Phi's subnormal values
// tell apart only so far, either within those 8 units or Phi(x) within 1 unit
// of the smallest subnormal of p.
double NormalQuantile(double p);

}  // namespace cotalia
