// SPDX-License-Identifier: GPL-3.0-or-later
// The estimate keeps each log return, the mean and the sum of squares in
// double-double arithmetic, so that the doubles it hands out are within a few
// units of the values a real-number computation from the same prices gives;
// the bounds stand beside the statements that achieve them. Units: u = 2^-53,
// the relative rounding error of one operation.
#include "model/history/estimation.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <span>
#include <vector>

#include "model/history/chi_square.h"
#include "model/runtime/double_double.h"
#include "model/runtime/elementary_functions.h"
#include "model/runtime/run_time_error.h"

namespace cotalia {

namespace {

using dd::DoubleDouble;

// a b for a double b, within 2^-104 |a b|.
DoubleDouble Product(const DoubleDouble& a, double b) {
  const DoubleDouble high = dd::TwoProduct(a.hi, b);
  return dd::FastTwoSum(high.hi, high.lo + a.lo * b);
}

// a^2, within 2^-104 a^2: hi^2 exactly, 2 hi lo rounded once, lo^2 (below
// 2^-106 a^2) left out.
DoubleDouble Square(const DoubleDouble& a) {
  const DoubleDouble high = dd::TwoProduct(a.hi, a.hi);
  return dd::FastTwoSum(high.hi, high.lo + 2 * a.hi * a.lo);
}

// x = ln(later / earlier) for positive finite prices, as hi + lo:
//   |x~ - x| <= 2^-66.9 |x| + 2^-103.6.
// q, the ratio rounded, is a double near the ratio whose logarithm the
// double-double step gives within 2^-68 |ln q|; the ratio is q (1 + t) with
// |t| <= u, and ln(1 + t) = t within t^2/2 <= 2^-107. Where q leaves
// [2^-1000, 2^1000], |x| > 693 and the two logarithms' difference is
// accurate enough on its own.
DoubleDouble LogRatio(double later, double earlier) {
  const double ratio = later / earlier;
  if (!(ratio >= 0x1p-1000 && ratio <= 0x1p1000)) {
    // Each logarithm within 2^-68 of its size, at most 745 (the smallest
    // subnormal's): 2^-68 1490 / 693 = 2^-66.9 of |x|.
    return dd::Sum(LogAsDoubleDouble(later), dd::Negated(LogAsDoubleDouble(earlier)));
  }
  // The mantissas in [1/2, 1), and their quotient in (1/2, 2), which rounds
  // to ratio scaled by a power of two, exactly: ratio is normal.
  int laterExponent = 0;
  int earlierExponent = 0;
  const double laterMantissa = std::frexp(later, &laterExponent);
  const double earlierMantissa = std::frexp(earlier, &earlierExponent);
  const double quotient = std::ldexp(ratio, earlierExponent - laterExponent);
  // t = (laterMantissa - quotient earlierMantissa) / (quotient earlierMantissa):
  // the product exactly, laterMantissa - its high part exactly (Sterbenz: it
  // is within a factor of 2), then a rounding for the low part, one for the
  // division, and the high part for the whole product as divisor: t within
  // 3.1 u |t| <= 2^-104.4. With t^2/2 left out, the t term is within 2^-104.
  const DoubleDouble product = dd::TwoProduct(quotient, earlierMantissa);
  const double t = ((laterMantissa - product.hi) - product.lo) / product.hi;
  // ln q within 2^-68 |ln q| <= 2^-68 (|x| + 2^-52.9); the low parts' sum
  // rounds within u (u |ln q| + |t|) <= 2^-106 |x| + 2^-105.9. In all
  // 2^-67.9 |x| + 2^-103.6.
  const DoubleDouble logQuotient = LogAsDoubleDouble(ratio);
  return dd::TwoSum(logQuotient.hi, logQuotient.lo + t);
}

bool IsPrice(double price) { return price > 0 && price <= std::numeric_limits<double>::max(); }

// The sum of squares of d_i = x_i - m, each d_i within
// e_i = 2^-66.9 |x_i| + 2^-103.6 + |m~ - m| (2^-104 (|x_i| + |m|) more for
// the difference), squared within 2^-104 and added in double-double: each
// addition's low part rounds within u 2^-52 of the sum, n of them
// 2^-81.7 of it for n up to 10^7. By the triangle inequality, the root of
// the sum moves by at most the root of sum e_i^2, and sum x_i^2 =
// (n - 1) s^2 + n m^2, so s~ is within
//   2^-66.9 s + 2^-65.3 |m| + 2^-101.5
// of s (sqrt(n/(n - 1)) <= 1.42 for n >= 2), and the variance is their sum
// over n - 1.
//
// A deviation this small cannot be told from none: each price is within
// half a unit of the decimal it was read from, so each return within
// 2^-52 of the decimal prices' own, and a deviation below 2^-50 (with the
// bound's absolute part) is that of returns that are one ratio (a history
// that grows by a tenth every year, say), which is 0. Taking 0 there keeps
// s~ within 2^-49 of the decimal prices' deviation.
DoubleDouble VarianceOf(std::span<const double> prices, const DoubleDouble& mean) {
  DoubleDouble squares{0, 0};
  for (std::size_t i = 1; i < prices.size(); ++i) {
    if (!IsPrice(prices[i])) throw RunTimeError(kInvalidCall);
    const DoubleDouble deviation = dd::Sum(LogRatio(prices[i], prices[i - 1]), dd::Negated(mean));
    squares = dd::Sum(squares, Square(deviation));
  }
  const auto count = static_cast<double>(prices.size() - 1);
  const double indistinct = 0x1p-50 + 0x1.a0p-66 * std::fabs(mean.hi);  // 2^-65.3 |m| <= 0x1.a0p-66 |m|
  const DoubleDouble computed = dd::Quotient(squares, count - 1);
  return std::sqrt(computed.hi) <= indistinct ? DoubleDouble{0, 0} : computed;
}

// The intervals are shown to four digits: plain double arithmetic. The
// volatility's ends carry v's 2^-51.1, half the quantile's 2^-46 and three
// roundings: within 2^-46.5 of themselves, so their four digits are the
// true ends' wherever those do not lie within 1E-14 of a rounding boundary
// between two four-digit values.
void SetIntervals(Estimate& estimate, double count) {
  const double freedom = count - 1;
  estimate.volatilityInterval = {
      estimate.volatility * std::sqrt(freedom / ChiSquareQuantile(0.975, freedom)),
      estimate.volatility * std::sqrt(freedom / ChiSquareQuantile(0.025, freedom))};
  const double halfWidth = 1.96 * estimate.volatility / std::sqrt(count / estimate.periodsPerYear);
  estimate.rateInterval = {estimate.rate - halfWidth, estimate.rate + halfWidth};
}

}  // namespace

std::vector<double> LogReturnsOf(std::span<const double> prices) {
  std::vector<double> returns;
  if (prices.size() < 2) return returns;
  returns.reserve(prices.size() - 1);
  for (std::size_t i = 1; i < prices.size(); ++i) {
    if (!IsPrice(prices[i]) || !IsPrice(prices[i - 1])) throw RunTimeError(kInvalidCall);
    // The double nearest the double-double value (TwoSum leaves it in hi).
    returns.push_back(LogRatio(prices[i], prices[i - 1]).hi);
  }
  return returns;
}

Estimate EstimateOf(std::span<const double> prices, double periodsPerYear) {
  if (prices.size() < 3 || !(periodsPerYear > 0 && periodsPerYear <= std::numeric_limits<double>::max()))
    throw RunTimeError(kInvalidCall);
  const std::size_t n = prices.size() - 1;
  if (!IsPrice(prices[0]) || !IsPrice(prices[n])) throw RunTimeError(kInvalidCall);
  const auto count = static_cast<double>(n);  // exact below 2^53

  // m = ln(Pn/P0)/n, the returns' sum telescoped: within 2^-66.9 |m| +
  // 2^-103.6/n, and the division adds 2^-104 |m|. So the double m is within
  //   u |m| + 2^-66.8 |m| + 2^-103.6/n <= 2^-52.9 |m| + 2^-103.6/n:
  // relative to |m| even where the history ends where it started (m = 0
  // exactly when Pn = P0).
  const DoubleDouble mean = dd::Quotient(LogRatio(prices[n], prices[0]), count);

  const DoubleDouble variance = VarianceOf(prices, mean);

  Estimate estimate{};
  estimate.returns = n;
  estimate.periodsPerYear = periodsPerYear;
  // The double nearest the double-double mean.
  estimate.meanReturn = mean.hi;
  // s = sqrt of the variance's high part: its u/2 and the root's u/2 more:
  //   |s^ - s| <= 2^-52.3 s + 2^-65.3 |m| + 2^-101,
  // or, where it was taken as 0, |s^ - s| <= 2^-50 + 2^-65.3 |m|.
  estimate.deviation = std::sqrt(variance.hi);
  // v = s sqrt(N): two more roundings, |v^ - v| <= 2^-51.1 v + sqrt(N) (2^-65.3 |m| + 2^-101).
  estimate.volatility = estimate.deviation * std::sqrt(periodsPerYear);
  // r = N (m + s^2/2) in double-double, rounded once: the errors above in m
  // and s^2 (2 s of s's, 2^-81.7 s^2 of the sum's), and 2^-103 of the
  // terms, give
  //   |r^ - r| <= u |r| + 2^-64 (1 + s) (|m| N + v^2/2),
  // 13 significant digits of r wherever the drift does not cancel half the
  // variance to within a millionth of their sizes (|r| >= 2^-20 (|m| N + v^2/2)).
  const DoubleDouble halfVariance{0.5 * variance.hi, 0.5 * variance.lo};
  const DoubleDouble rate = Product(dd::Sum(mean, halfVariance), periodsPerYear);
  estimate.rate = rate.hi;

  SetIntervals(estimate, count);
  estimate.lastPrice = prices[n];

  for (const double value : {estimate.volatility, estimate.rate, estimate.volatilityInterval.high,
                             estimate.rateInterval.low, estimate.rateInterval.high}) {
    if (!std::isfinite(value)) throw RunTimeError(kOverflow);
  }
  return estimate;
}

double PercentOf(double fraction) { return 100 * fraction; }

}  // namespace cotalia
