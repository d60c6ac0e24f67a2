// SPDX-License-Identifier: GPL-3.0-or-later
// The exponential and the natural logarithm, correctly rounded to nearest
// (ties to even) for every double, so that every platform shows the same last
// digit. No C library exp or log is called.
//
// Each function takes up to three steps, each ending in Ziv's rounding test
// (does every value within the step's proven error bound round to the same
// double?). The first computes in plain double arithmetic with a 1024-entry
// table (exp) or a 128-entry one (log), and decides all but about one input
// in 200 (exp) or 1600 (log, for share prices). The second computes the same
// in double-double arithmetic with exact products. The rare inputs that
// neither decides go to an accurate path in wide fixed-point, tried at 128,
// 256, 512 and 1024 bits of fraction until the rounding is decided. Neither
// function of a double other than exp(0) and log(1) is exactly a double or a
// midpoint between two (their values are transcendental), and the published
// searches for binary64 worst cases find none closer to a midpoint than about
// 2^-120 relative, so 256 bits always decide; the later precisions are a
// margin.
#pragma once

#include "model/runtime/double_double.h"

namespace cotalia {

// e^x: +infinity where the rounded result exceeds the largest finite double,
// 0 where it rounds below the smallest subnormal; NaN for NaN.
double CorrectlyRoundedExp(double x);

// ln x for x > 0, subnormals included; -infinity for zero, NaN for negative
// numbers and NaN, +infinity for +infinity.
double CorrectlyRoundedLog(double x);

// ln x as hi + lo (|lo| at most half a unit of hi), from the double-double
// step without its rounding: within 2^-68 |ln x| for every positive finite x,
// subnormals included (the step's proven bound). Where a difference of
// logarithms must keep more than a double's digits. The special values as
// CorrectlyRoundedLog has them, with lo = 0.
dd::DoubleDouble LogAsDoubleDouble(double x);

namespace detail {
// The later steps alone, for testing them on every input: the double-double
// step that decides what the first, plain-double step cannot, and the
// accurate paths that decide what the double-double step cannot.
double DoubleDoubleExp(double x);
double DoubleDoubleLog(double x);
double AccurateExp(double x);
double AccurateLog(double x);
}  // namespace detail

}  // namespace cotalia
