// SPDX-License-Identifier: GPL-3.0-or-later
// Double-double arithmetic, for the exponential and the logarithm and for
// the model's answers that carry more than a double: a value as an
// unevaluated sum hi + lo, with exact error terms built without fused
// multiply-add, and Ziv's rounding test that ends each step.
#pragma once

#include <cmath>
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

// Dekker's exact product: a b - product, where product is a b rounded, from
// the halves Split gives of a and b. Every operation is exact while no half's
// product underflows and nothing overflows, so a caller that keeps a split at
// hand (a table's) loses nothing by passing it.
inline double ProductError(const DoubleDouble& aHalves, const DoubleDouble& bHalves, double product) {
  return ((aHalves.hi * bHalves.hi - product) + aHalves.hi * bHalves.lo + aHalves.lo * bHalves.hi) +
         aHalves.lo * bHalves.lo;
}

// a b = hi + lo exactly, by Dekker's product, for factors whose halves
// neither overflow nor underflow (below 2^996, products of halves above
// 2^-1022); beyond, lo is NaN.
inline DoubleDouble TwoProduct(double a, double b) {
  const double product = a * b;
  return {product, ProductError(Split(a), Split(b), product)};
}

// TwoProduct where neither split nor the error term can overflow; beyond
// 2^995 the rounded product alone, lo = 0: for callers that meet such
// factors only where the result is decided without them.
inline DoubleDouble TwoProductOrRounded(double a, double b) {
  const double product = a * b;
  constexpr double kSplittable = 0x1p995;
  if (!(std::fabs(a) < kSplittable && std::fabs(b) < kSplittable && std::fabs(product) < kSplittable)) {
    return {product, 0};
  }
  return TwoProduct(a, b);
}

inline DoubleDouble Negated(const DoubleDouble& x) { return {-x.hi, -x.lo}; }

// x + y for finite x and y, within 2^-104 (|x| + |y|): the high parts' sum
// is exact, so a cancellation loses nothing beyond the two roundings of the
// low parts, at most 2^-105 (|x| + |y|) each.
inline DoubleDouble Sum(const DoubleDouble& x, const DoubleDouble& y) {
  const DoubleDouble high = TwoSum(x.hi, y.hi);
  return TwoSum(high.hi, high.lo + (x.lo + y.lo));
}

// x / y for a double y, within 2^-104 |x / y|: the first quotient's
// remainder x - q y is exact (Dekker's product, then x.hi less its high part
// by Sterbenz's lemma). An infinite quotient is returned as it is.
inline DoubleDouble Quotient(const DoubleDouble& x, double y) {
  const double quotient = x.hi / y;
  if (!std::isfinite(quotient)) return {quotient, 0};
  const DoubleDouble back = TwoProductOrRounded(quotient, y);
  const double remainder = ((x.hi - back.hi) - back.lo) + x.lo;
  return FastTwoSum(quotient, remainder / y);
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
