// SPDX-License-Identifier: GPL-3.0-or-later
// The return and the volatility that a price history implies, in the form's
// own meaning of them, with their 95 % intervals: what the estimation window
// shows and puts into the form. In the model's own arithmetic (the correctly
// rounded logarithm, sums in a fixed order), so that every platform gives the
// same digits.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace cotalia {

struct Interval {
  double low;
  double high;
};

// With prices P0 ... Pn, oldest first, and N periods a year: the log returns
// x_i = ln(P_i / P_i-1), their mean m and their sample deviation s (divisor
// n - 1), and from them
//   the volatility  v = s sqrt(N), a fraction a year, and its 95 % interval
//                   v sqrt((n - 1) / chi2_0.975) to v sqrt((n - 1) / chi2_0.025),
//                   chi-square with n - 1 degrees of freedom;
//   the return      r = m N + v^2 / 2, a fraction a year (the form's expected
//                   price is S e^(r t/12)), and its 95 % interval
//                   r -+ 1.96 v / sqrt(n / N);
//   the last price  Pn.
struct Estimate {
  std::size_t returns;  // n
  double periodsPerYear;
  double meanReturn;  // m, a period
  double deviation;   // s, a period
  double volatility;  // v
  Interval volatilityInterval;
  double rate;  // r
  Interval rateInterval;
  double lastPrice;
};

// The log returns x_i, as the estimate takes them (for the histogram): each
// the double nearest a double-double value within 2^-66.9 |x_i| + 2^-103.6
// of ln(P_i / P_i-1). None for fewer than two prices; throws
// RunTimeError(kInvalidCall) for a price that is not positive and finite.
std::vector<double> LogReturnsOf(std::span<const double> prices);

// At least three prices, each positive and finite, and N > 0 and finite;
// anything else throws RunTimeError(kInvalidCall), and a result beyond the
// doubles kOverflow. Against the same quantities computed in real numbers
// from the same doubles (u = 2^-53):
//   |m^ - m| <= 2^-52.9 |m| + 2^-103.6 / n                (m = 0 when Pn = P0)
//   |s^ - s| <= 2^-52.3 s + 2^-65.3 |m| + 2^-101
//   |v^ - v| <= 2^-51.1 v + sqrt(N) (2^-65.3 |m| + 2^-101)
//   |r^ - r| <= u |r| + 2^-64 (1 + s) (|m| N + v^2/2)
// so 13 significant digits of each, of r wherever m N does not cancel
// v^2/2 to within a millionth. The derivations stand beside the code.
Estimate EstimateOf(std::span<const double> prices, double periodsPerYear);

// A fraction as the form's percent: 100 x.
double PercentOf(double fraction);

}  // namespace cotalia
