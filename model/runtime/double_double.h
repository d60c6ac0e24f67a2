// SPDX-License-Identifier: GPL-3.0-or-later
// Double-double arithmetic for the exponential and the logarithm: a value as
// an unevaluated sum hi + lo, with exact error terms built without fused
// multiply-add, and Ziv's rounding test that ends each step.
#pragma once

#include <optional>

namespace cotalia::dd {

struct DoubleDouble {
  double hi;
  double lo;
};

// a + b exactly, for any a and b.
inline DoubleDouble TwoSum(double a, double b) {
  const double sum = a + b;
  const double bPart = sum - a;
  return {sum, (a - (sum - bPart)) + (b - bPart)};
}

// a + b exactly; requires |a| >= |b| (or a == 0).
inline DoubleDouble FastTwoSum(double a, double b) {
  const double sum = a + b;
  return {sum, b - (sum - a)};
}

// Veltkamp's split into halves of 26 and 27 bits, for Dekker's exact
// product: a * b == ah bh + ah bl + al bh + al bl, each term exact.
inline DoubleDouble Split(double a) {
  const double scaled = 134217729.0 * a;  // 2^27 + 1
  const double hi = scaled - (scaled - a);
  return {hi, a - hi};
}

// Ziv's rounding test: the double that hi + lo rounds to, if every value within
// `bound` of it rounds there too. The callers pass at least twice their proven
// error, which leaves room for the rounding of lo +- bound.
inline std::optional<double> RoundingDecided(double hi, double lo, double bound) {
  const double below = hi + (lo - bound);
  const double above = hi + (lo + bound);
  if (below != above) return std::nullopt;
  return below;
}

}  // namespace cotalia::dd
