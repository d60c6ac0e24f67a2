// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/history/chi_square.h"

#include <cmath>
#include <limits>

#include "model/lognormal/normal_distribution.h"
#include "model/runtime/elementary_functions.h"

namespace cotalia {

namespace {

// Stirling's correction mu(a) = ln Gamma(a + 1) - (a ln a - a + ln(2 pi a)/2),
// for a >= 10: the series sum B_2j / (2j (2j - 1) a^(2j - 1)) to j = 8. It is
// asymptotic with terms of alternating sign, so it errs by less than the
// first term left out, 43867/244188 a^-17 <= 2^-59 at a = 10 (u of
// mu(10) = 0.00833), and less as a grows; the eight terms add about u of the
// result. It is added to exponents of order 1 or more.
double StirlingCorrection(double a) {
  const double inverse = 1 / a;
  const double square = inverse * inverse;
  return inverse *
         (1.0 / 12 +
          square *
              (-1.0 / 360 +
               square *
                   (1.0 / 1260 +
                    square * (-1.0 / 1680 +
                              square * (1.0 / 1188 +
                                        square * (-691.0 / 360360 +
                                                  square * (1.0 / 156 + square * (-3617.0 / 122400))))))));
}

constexpr double kTwoPi = 6.283185307179586477;  // rounded
constexpr double kStirlingFrom = 10;

// ln Gamma(a + 1) for a > 0: from Stirling's series at a + m >= 10, less the
// logarithm of the m factors (a + 1) ... (a + m) that lead there. Within a
// few u of the largest of its terms, (a + m) ln(a + m), which is all the
// starting point and the small shapes' prefactor need.
double LogGammaOfNext(double a) {
  double shifted = a;
  double factors = 1;
  while (shifted < kStirlingFrom) {
    shifted += 1;
    factors *= shifted;
  }
  return shifted * CorrectlyRoundedLog(shifted) - shifted + 0.5 * CorrectlyRoundedLog(kTwoPi * shifted) +
         StirlingCorrection(shifted) - CorrectlyRoundedLog(factors);
}

// phi(lambda) = lambda - 1 - ln lambda for lambda = 1 + t, the exponent's
// loss of a Gamma density away from its centre. Near 1, by atanh's series in
// w = t/(2 + t): ln(1 + t) = 2 (w + w^3/3 + ...) and t - 2 w = t w, so
// phi = t w - 2 w^3 (1/3 + w^2/5 + ...), whose terms do not cancel; |w| <= 1/3
// for t in [-1/2, 1], so 18 terms leave less than 2^-60 of the sum, which
// errs by about 3 u (t's own error of 2 u counts twice, phi being near t^2/2).
// Further out, phi is at least 0.19 and the plain difference errs by about
// u (|t| + |ln lambda|) / phi <= 6.2 u of it.
double Phi(double t, double lambda) {
  if (t >= -0.5 && t <= 1) {
    const double w = t / (2 + t);
    const double square = w * w;
    double series = 0;
    for (int j = 17; j >= 0; --j) series = 1.0 / (2 * j + 3) + square * series;
    return t * w - 2 * w * square * series;
  }
  return t - CorrectlyRoundedLog(lambda);
}

// D = y^a e^-y / Gamma(a + 1) for y > 0. For a >= 10 as
// e^-(a phi(y/a) + mu(a)) / sqrt(2 pi a), which keeps the exponent near its
// small true size (the direct form would subtract numbers near a ln a):
// a phi errs by about 3 u of itself, so D by about (3 a phi + 3) u. Below 10,
// directly: for levels within 1E-12 of 0 and 1, the exponent's terms stay
// below 40 each, and D within about 2^-45 of itself.
double ScaledPower(double a, double y) {
  if (a >= kStirlingFrom) {
    const double t = (y - a) / a;
    const double exponent = a * Phi(t, y / a) + StirlingCorrection(a);
    return CorrectlyRoundedExp(-exponent) / std::sqrt(kTwoPi * a);
  }
  return CorrectlyRoundedExp(a * CorrectlyRoundedLog(y) - y - LogGammaOfNext(a));
}

// Far more terms than the degrees of freedom of any history need (some
// 10 sqrt(a)): only a bound against a runaway loop.
constexpr long kMostTerms = 100'000'000;

// The regularized incomplete gamma functions P(a, y) and Q(a, y) = 1 - P,
// and y P'(y) = y^a e^-y / Gamma(a) = a D.
struct GammaTails {
  double lower;
  double upper;
  double slope;
};

// Below y = a + 1: P = D sum y^n / ((a + 1) ... (a + n)), positive terms that
// fall from the first; stopped when the rest, below term r / (1 - r) with r
// the next ratio, is under 2^-56 of the sum. Each term carries about 3n u of
// its recurrence; the terms that count number some sqrt(a), so P is within
// about 10 sqrt(a) u of itself (5e-12 at a = 5e6). Newton's step divides
// P's relative error by y P'(y)/P, which grows as sqrt(a): the quantile
// keeps about u.
// Above: Q = a D / (y + 1 - a - 1 (1 - a)/(y + 3 - a - 2 (2 - a)/(...))),
// Legendre's continued fraction, by Lentz's method, until a step changes it
// by less than u; some 100 steps at a = 5e6 where y is 2 sqrt(a) above a.
GammaTails GammaTailsAt(double a, double y) {
  const double scaled = ScaledPower(a, y);
  if (y < a + 1) {
    double term = 1;
    double sum = 1;
    for (long i = 1; i < kMostTerms; ++i) {
      const auto n = static_cast<double>(i);
      term *= y / (a + n);
      sum += term;
      const double next = y / (a + n + 1);
      if (term * next < 0x1p-56 * sum * (1 - next) || term == 0) break;
    }
    const double lower = scaled * sum;
    return {lower, 1 - lower, a * scaled};
  }
  constexpr double kTiny = 0x1p-1000;
  double b = y + 1 - a;
  double c = 1 / kTiny;
  double d = 1 / b;
  double fraction = d;
  for (long step = 1; step < kMostTerms; ++step) {
    const auto i = static_cast<double>(step);
    const double coefficient = -i * (i - a);
    b += 2;
    d = coefficient * d + b;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = b + coefficient / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    const double change = d * c;
    fraction *= change;
    if (std::fabs(change - 1) < 0x1p-53) break;
  }
  const double upper = a * scaled * fraction;
  return {1 - upper, upper, a * scaled};
}

// ln(tail / target), the Newton step's measure of the miss; the ratio
// rounds once (u) where it cannot overflow.
double LogMiss(double tail, double target) {
  if (target >= 0x1p-1000) return CorrectlyRoundedLog(tail / target);
  return CorrectlyRoundedLog(tail) - CorrectlyRoundedLog(target);
}

// y below which a Gamma(a) variable lies with probability p, for p in (0, 1).
// Newton's iteration on the logarithm of the smaller tail as a function of
// w = ln y, for which the lower tail is nearly a power of y; y is kept as a
// double and multiplied by e^-step, so that it loses nothing to w's own
// rounding. The steps stay inside the bracket the evaluated tails prove,
// halving it geometrically where a step would leave it.
double GammaQuantile(double p, double a) {
  const bool lower = p <= 0.5;
  const double target = lower ? p : 1 - p;  // exact for p > 1/2 (Sterbenz)

  // Wilson and Hilferty's cube, within a few parts in a thousand at k = 20
  // and better as k grows; and (p Gamma(a + 1))^(1/a), which lies below the
  // quantile (P(a, y) <= y^a / Gamma(a + 1)) and near it for small a in the
  // lower tail, where the cube fails.
  const double k = 2 * a;
  const double cubeRoot = 1 - 2 / (9 * k) + NormalQuantile(p) * std::sqrt(2 / (9 * k));
  const double below = CorrectlyRoundedExp((CorrectlyRoundedLog(p) + LogGammaOfNext(a)) / a);
  double y = below;
  if (cubeRoot > 0) {
    const double cube = 0.5 * k * (cubeRoot * cubeRoot * cubeRoot);
    if (cube > y) y = cube;
  }
  if (y == 0) return 0;  // a quantile below the smallest double

  double low = 0;
  double high = std::numeric_limits<double>::infinity();
  for (int iteration = 0; iteration < 200; ++iteration) {
    const GammaTails tails = GammaTailsAt(a, y);
    const double tail = lower ? tails.lower : tails.upper;
    double step = std::numeric_limits<double>::quiet_NaN();
    if (tail > 0 && tails.slope > 0) {
      const double miss = LogMiss(tail, target);
      // d ln P/dw = a D / P; d ln Q/dw = -a D / Q.
      step = lower ? miss * tail / tails.slope : -miss * tail / tails.slope;
    }
    // The side of the quantile that y lies on: a lower tail above its
    // target, or an upper one below, puts y above it.
    const bool above = lower ? tail > target : tail < target;
    if (above) {
      high = y;
    } else {
      low = y;
    }
    if (tail == target) return 2 * y;
    double next = y * CorrectlyRoundedExp(-step);
    if (!(next > low && next < high)) {
      if (high == std::numeric_limits<double>::infinity()) {
        next = 2 * low;
      } else if (low == 0) {
        next = 0.5 * high;
      } else {
        next = std::sqrt(low) * std::sqrt(high);
      }
    } else if (std::fabs(step) < 0x1p-40) {
      // The step just taken leaves an error of the order of its square, far
      // below the tail's own rounding.
      return 2 * next;
    }
    if (next == y) return 2 * y;
    y = next;
  }
  return 2 * y;
}

}  // namespace

// The accuracy, measured against MPFR (a reference quantile from a 256-bit
// series for P at the computed point, and Newton's correction from it): see
// the bound beside the declaration.
double ChiSquareQuantile(double p, double degreesOfFreedom) {
  if (std::isnan(p) || std::isnan(degreesOfFreedom)) return std::numeric_limits<double>::quiet_NaN();
  if (!(degreesOfFreedom > 0) || std::isinf(degreesOfFreedom))
    return std::numeric_limits<double>::quiet_NaN();
  if (p <= 0) return 0;
  if (p >= 1) return std::numeric_limits<double>::infinity();
  return GammaQuantile(p, 0.5 * degreesOfFreedom);
}

}  // namespace cotalia
