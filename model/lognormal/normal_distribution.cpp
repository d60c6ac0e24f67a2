// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/lognormal/normal_distribution.h"

#include <cmath>
#include <limits>

#include "model/runtime/double_double.h"
#include "model/runtime/elementary_functions.h"

namespace cotalia {

namespace {

constexpr double kInverseRootTwoPi = 0.3989422804014327;  // 1/sqrt(2 pi), rounded: 1/2 unit

// Phi(x) for |x| <= 1/2: 1/2 + phi(x) (x + x^3/3 + x^5/(3 5) + ...), whose
// terms all have the sign of x and fall by a factor of at least 12; 30 terms
// leave less than 2^-100. The sum errs by about 1 unit, the product by 3 1/2;
// it is at most 0.192 against a result of at least 0.308, so the result is
// within 2 1/2 units, with the final addition's 1/2.
double CentralCdf(double x) {
  const double square = x * x;
  double term = x;
  double sum = x;
  for (int n = 1; n < 30; ++n) {
    term *= square / (2 * n + 1);
    sum += term;
  }
  return 0.5 + NormalDensity({x, 0}) * sum;
}

// Phi(-a) for a > 1/2: phi(a) R(a), with Mills' ratio R(a) = 1/(a + 1/(a +
// 2/(a + 3/(a + ...)))), Laplace's continued fraction, evaluated from its
// tail: 16 + 420/a^2 terms leave a relative error below 2^-60 (found against
// 20000 terms from a = 1/2 to 20). Each step a + k/r adds positive terms, so
// the roundings do not grow: the fraction is within 1 1/2 units, the result
// within 4 with phi's 2 1/2.
double LowerTail(double a) {
  const auto terms = static_cast<int>(16 + 420 / (a * a));
  double ratio = a;
  for (int k = terms; k >= 1; --k) ratio = a + k / ratio;
  return NormalDensity({a, 0}) / ratio;
}

// Abramowitz and Stegun's 26.2.23: -x for Phi(x) = p, p <= 1/2, within
// 4.5e-4; the start of Newton's iteration.
double RoughLowerQuantile(double p) {
  const double t = std::sqrt(-2 * CorrectlyRoundedLog(p));
  return -(t -
           (2.515517 + t * (0.802853 + t * 0.010328)) / (1 + t * (1.432788 + t * (0.189269 + t * 0.001308))));
}

}  // namespace

// phi(x) = e^(-x^2/2)/sqrt(2 pi) for x = hi + lo. x^2 = square + rest with
// square exact by Dekker's product, rest = its error term + 2 hi lo, to
// 2^-100 x^2; e^(-square/2) is correctly rounded (1/2 unit; square/2 is
// exact), 1 - rest/2 for e^(-rest/2) errs by (rest/2)^2 < 2^-80 (|rest| <=
// 2^-51 x^2 < 2^-40 where the result is not 0), and the product, the
// difference and the constant add 1 1/2 units: within 2 1/2 units, where the
// result is a normal double. Beyond |x| = 39 the result is below 2^-1097 and
// rounds to 0.
double NormalDensity(const dd::DoubleDouble& x) {
  if (!(std::fabs(x.hi) < 39)) return 0;
  const dd::DoubleDouble square = dd::TwoProductOrRounded(x.hi, x.hi);
  const double rest = square.lo + 2 * x.hi * x.lo;
  const double exponential = CorrectlyRoundedExp(-0.5 * square.hi);
  return (exponential - exponential * (0.5 * rest)) * kInverseRootTwoPi;
}

double NormalCdf(double x) {
  if (std::isnan(x)) return x;
  // Beyond 40 the result rounds to 1 or 0 (Phi(-40) is below 1E-349), and
  // x^2 in phi would overflow on the way to it.
  constexpr double kSaturated = 40;
  if (x > kSaturated) return 1;
  if (x < -kSaturated) return 0;
  if (std::fabs(x) <= 0.5) return CentralCdf(x);
  // 1 - Phi(-x) for x > 1/2: Phi(-x) < 0.31 errs by at most 4 of its own
  // units, which are at most a quarter of the result's, and the subtraction
  // rounds once: within 1 1/2 units.
  if (x > 0) return 1 - LowerTail(x);
  return LowerTail(-x);
}

double NormalQuantile(double p) {
  if (std::isnan(p)) return p;
  if (p <= 0) return -std::numeric_limits<double>::infinity();
  if (p >= 1) return std::numeric_limits<double>::infinity();
  // 1 - p is exact for p >= 1/2, and the lower half is the more accurate.
  if (p > 0.5) return -NormalQuantile(1 - p);
  if (p == 0.5) return 0;
  // Newton's iteration on Phi(x) - p, which doubles the correct digits each
  // step: from 4.5e-4, four steps reach the limit set by Phi's own error
  // (4 units of p, that is 4 units of p / (|x| phi(x)) <= 1.17 of x's for
  // p <= 1/4, about 5 units in all).
  double x = RoughLowerQuantile(p);
  for (int step = 0; step < 6; ++step) {
    const double density = NormalDensity({x, 0});
    if (density == 0) break;  // p is subnormal: x is as near as it gets
    const double correction = (NormalCdf(x) - p) / density;
    x -= correction;
    if (!(std::fabs(correction) > 0x1p-60 * std::fabs(x))) break;
  }
  return x;
}

}  // namespace cotalia
