// SPDX-License-Identifier: GPL-3.0-or-later
// Error bounds are in units in the last place of the result unless said
// otherwise. The log price's figures, the prices and the deviation are the
// exact inputs: a bound is against the true value for those doubles.
//
// A standardised price z = (ln x - mean)/deviation is carried as a
// double-double: ln x from LogAsDoubleDouble (within 2^-68 |ln x|), the
// rest exact to 2^-104. Rounded to a double, z would err by up to half a unit
// of ln x over the deviation, and a tail Phi(z) moves by |z| times z's error:
// about a thousand units at the worked example's 1E-100 (the digits
// ProbabilitiesOf loses there). Carried, z errs by at most delta = 2^-67
// (|ln x| + |mean|)/deviation + 2^-103 |z|, and a tail by (|z| + 1) delta
// relative: 0.05 units there, though it grows as the deviation shrinks.
#include "model/lognormal/price_answers.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/lognormal/normal_distribution.h"
#include "model/numeric_runtime.h"
#include "model/runtime/double_double.h"
#include "model/runtime/elementary_functions.h"

namespace cotalia {

namespace {

using dd::DoubleDouble;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// x y within 2^-103 |x y|; an infinite product is returned as it is.
DoubleDouble Product(DoubleDouble x, DoubleDouble y) {
  const DoubleDouble high = dd::TwoProductOrRounded(x.hi, y.hi);
  if (!std::isfinite(high.hi)) return {high.hi, 0};
  return dd::FastTwoSum(high.hi, high.lo + (x.hi * y.lo + x.lo * y.hi));
}

// (ln x - mean)/deviation for 0 < x < infinity and deviation > 0, within
// the delta above.
DoubleDouble Standardized(double price, const LogPrice& logPrice) {
  return dd::Quotient(dd::Sum(LogAsDoubleDouble(price), {-logPrice.mean, 0}), logPrice.deviation);
}

// Phi(z) for z = hi + lo: Phi(hi) + phi(hi) lo, Taylor's first order. Phi(hi)
// is within 4 units; the term dropped, |hi| phi lo^2 / 2, is below 2^-100
// Phi(z) for |lo| <= 2^-52 |hi| (phi/Phi <= |z| + 1 for z <= 0), and the
// correction is at most 2^-40 of the result there, so phi's 2 1/2 units and
// the product's rounding are below 2^-90: within 4 1/2 units for z <= 0.
// For z > 0 the same absolute error, 4 1/2 units of Phi(z) >= 1/2.
double CdfAt(DoubleDouble z) {
  const double cdf = NormalCdf(z.hi);
  if (!std::isfinite(z.hi)) return cdf;
  return cdf + NormalDensity({z.hi, 0}) * z.lo;
}

// Phi(z) - 1/2 for z >= 0, infinity included. Up to 1/2 it is phi(z) (z +
// z^3/3 + z^5/(3 5) + ...), the series NormalCdf uses there (30 terms leave
// less than 2^-100, the sum errs by 1 unit, phi by 2 1/2, the product 1/2),
// plus phi(hi) lo: within 4 1/2 units. Beyond, 1/2 - Phi(-z): Phi(-z) <=
// 0.309 errs by 4 1/2 of its units against a result of at least 0.191 (7.3
// of the result's units) and the difference rounds once: within 8 units.
double AboveMedian(DoubleDouble z) {
  if (z.hi > 0.5) return 0.5 - CdfAt(dd::Negated(z));
  const double square = z.hi * z.hi;
  double term = z.hi;
  double sum = z.hi;
  for (int n = 1; n < 30; ++n) {
    term *= square / (2 * n + 1);
    sum += term;
  }
  const double density = NormalDensity({z.hi, 0});
  return density * sum + density * z.lo;
}

// Mills' ratio R(a) = Phi(-a)/phi(a) for a = hi + lo, hi > 1/2: Laplace's
// continued fraction as NormalCdf's tail takes it (16 + 420/a^2 terms leave
// less than 2^-60, the fraction errs by 1 1/2 units, its reciprocal 1/2),
// then R'(a) lo = (a R - 1) lo, of at most 2^-52 R: within 2 1/2 units.
// R(infinity) = 0.
double MillsRatio(DoubleDouble a) {
  if (a.hi == kInfinity) return 0;
  const auto terms = static_cast<int>(16 + 420 / (a.hi * a.hi));
  double fraction = a.hi;
  for (int k = terms; k >= 1; --k) fraction = a.hi + k / fraction;
  const double ratio = 1 / fraction;
  return ratio + (a.hi * ratio - 1) * a.lo;
}

// e^x for x = hi + lo: e^hi correctly rounded (1/2 unit) times 1 + lo
// (lo^2/2 < 2^-105, the product's 1/2 unit): within 1 unit.
double ExpAt(DoubleDouble x) {
  const double exponential = CorrectlyRoundedExp(x.hi);
  return exponential + exponential * x.lo;
}

// The log price's mean and its spread. The form takes a negative volatility
// as typed, and its deviation with it; the price's distribution depends on
// the deviation's square alone (the band's ends only swap), so its size.
LogPrice SpreadOf(const PriceDistribution& d) {
  return {d.horizon.logPrice.mean, std::fabs(d.horizon.logPrice.deviation)};
}

bool IsNaN(std::optional<double> end) { return end && std::isnan(*end); }

// Which side of the certain price e^mean a price lies on: ln x compared with
// the mean as ProbabilitiesOf compares them, so that the two agree.
int SideOfCertain(double price, double mean) {
  const double logPrice = CorrectlyRoundedLog(price);
  return logPrice < mean ? -1 : logPrice > mean ? 1 : 0;
}

// The probability below a price for a certain price: 0, 1/2 at it, 1.
double CertainBelow(double price, double mean) { return 0.5 + 0.5 * SideOfCertain(price, mean); }

}  // namespace

// With a spread, the two ends' standardised prices zL <= zU (-infinity and
// +infinity for a missing or non-positive lower and a missing or infinite
// upper). Both at or above the median: Q(zL) - Q(zU), Q the upper tail,
// each within 4 1/2 units of itself and the difference within 1/2 unit of
// the result: within 4 1/2 units of the larger tail, Q(zL), and 1/2 of the
// result. Both below, the lower tails alike. Across the median, (Phi(zU) -
// 1/2) + (1/2 - Phi(zL)), two positive parts within 8 units each and their
// sum within 1/2: within 8 1/2 units; neither 1 - Phi(zL) - Q(zU) (which
// loses the digits of a narrow range about the median) nor a cancellation.
// Each end adds phi(z) delta, its argument's share. Where the ends are close
// the result is a small difference of the two and these bounds, which are
// in units of the parts, are large in its own (the tests met 5E8 units on a
// range 2^-30 deviations wide). Moving an end by one unit of its own moves
// the result by at least phi(z) 2^-53/deviation: more than its argument's
// share while |ln x| + |mean| < 2^14, and at least 1/(11 deviation) times
// its part's units (phi/Q >= 0.79 beyond the median), so that the result is
// about as exact as its ends' own last digits allow.
double BetweenProbability(const PriceDistribution& d, std::optional<double> lower,
                          std::optional<double> upper) {
  if (IsNaN(lower) || IsNaN(upper)) return 0;
  if (lower && !(*lower > 0)) lower.reset();  // every price is above it
  if (upper && *upper == kInfinity) upper.reset();
  if (upper && !(*upper > 0)) return 0;
  if (lower && *lower == kInfinity) return 0;
  if (lower && upper && *lower >= *upper) return 0;
  const LogPrice logPrice = SpreadOf(d);
  if (logPrice.deviation == 0) {
    return (upper ? CertainBelow(*upper, logPrice.mean) : 1) -
           (lower ? CertainBelow(*lower, logPrice.mean) : 0);
  }

  const DoubleDouble low = lower ? Standardized(*lower, logPrice) : DoubleDouble{-kInfinity, 0};
  const DoubleDouble high = upper ? Standardized(*upper, logPrice) : DoubleDouble{kInfinity, 0};
  if (low.hi >= 0) return CdfAt(dd::Negated(low)) - CdfAt(dd::Negated(high));
  if (high.hi <= 0) return CdfAt(high) - CdfAt(low);
  return AboveMedian(high) + AboveMedian(dd::Negated(low));
}

double BetweenProbability(const PriceDistribution& d, const PriceRange& range) {
  return BetweenProbability(d, range.lower(), range.upper());
}

// The log price from ln S drifts m = mean - ln S by the horizon and spreads
// by the deviation s; the target is b = ln K - ln S away. Mirrored so that K
// lies above (B = |b|, M = m, or -m where K is below S), the reflection
// principle with drift gives
//   Phi(x1) + e^(2 M B / s^2) Phi(x2),  x1 = (M - B)/s,  x2 = -(B + M)/s,
// the first term the probability of ending beyond K. The exponential factor
// can overflow where Phi(x2) underflows, so where a = -x2 > 1/2 the second
// term is taken as phi(x1) R(a) (e^(2MB/s^2) = phi(x1)/phi(x2) exactly and
// Phi(x2) = phi(a) R(a)): at most 0.4 R(1/2) < 0.36, never overflowing, and
// 0 only where it is below the smallest double. Where a <= 1/2 the factor is
// at most e^(1/8) (2MB <= (M + B)^2/2) and Phi(x2) >= 0.31, so the product is
// taken as it stands, and an exponential that underflows is a term that does.
//
// m, b, x1, x2 and 2MB/s^2 are double-doubles from LogAsDoubleDouble's
// logarithms (2^-68 each). Error: the first term within 4 1/2 units of
// itself and phi(x1) d1; the second within 5 1/2 units (phi 2 1/2, R 2 1/2,
// the product 1/2) and |x1| d1 + 2 d2 of itself (a > 1/2), or within 6 units
// (the exponential 1, Phi 4 1/2, the product 1/2) and dE of itself and
// e^(2MB/s^2) phi(x2) d2 (a <= 1/2); the sum 1/2 unit. d1 = 2^-67 (|ln K| +
// |ln S| + |mean|)/s + 2^-103 |x1| and d2 = 2^-67 (|ln K| + 2 |ln S| +
// |mean|)/s + 2^-103 |a| bound the errors of x1 and a, dE = 2^-66 (|ln S| B
// + |M| (|ln K| + |ln S|))/s^2 + 2^-100 |2MB/s^2| that of the exponent. In
// all, within 6 1/2 units and the arguments' shares, which are a fraction of
// a unit at the worked example's spread and grow as the spread shrinks.
//
// The result is at least ProbabilitiesOf's probability of ending beyond K,
// which the window shows beside it: that one's argument is a rounded double,
// up to some thousands of units from the first term here in a far tail, and
// touching can never be less likely than ending beyond, so the larger of the
// two. The sum is at most 1 but for the roundings: at most 1.
double TouchProbability(const PriceDistribution& d, double target) {
  const double price = d.inputs.price;
  if (!(target > 0) || target == kInfinity) return 0;  // a price never reaches 0 or infinity
  if (target == price) return 1;
  const bool above = target > price;
  const LogPrice logPrice = SpreadOf(d);
  if (logPrice.deviation == 0) {
    // The straight line from ln S to the mean, both ends included.
    const int fromStart = SideOfCertain(target, CorrectlyRoundedLog(price));
    const int fromEnd = SideOfCertain(target, logPrice.mean);
    return fromStart * fromEnd <= 0 ? 1 : 0;
  }
  const double s = logPrice.deviation;
  const DoubleDouble logS = LogAsDoubleDouble(price);
  const DoubleDouble drift = dd::Sum({logPrice.mean, 0}, dd::Negated(logS));
  const DoubleDouble distance = dd::Sum(LogAsDoubleDouble(target), dd::Negated(logS));
  const DoubleDouble m = above ? drift : dd::Negated(drift);
  const DoubleDouble b = above ? distance : dd::Negated(distance);
  const DoubleDouble x1 = dd::Quotient(dd::Sum(m, dd::Negated(b)), s);
  const DoubleDouble a = dd::Quotient(dd::Sum(b, m), s);

  const double beyond = CdfAt(x1);
  double reflected = 0;
  if (a.hi > 0.5) {
    reflected = NormalDensity(x1) * MillsRatio(a);
  } else {
    // 2 (m/s)(b/s); m = 0 is an exponent of 0 even where b/s overflows.
    const DoubleDouble exponent =
        m.hi == 0 ? DoubleDouble{0, 0} : Product(Product({2, 0}, dd::Quotient(m, s)), dd::Quotient(b, s));
    reflected = ExpAt(exponent) * CdfAt(dd::Negated(a));
  }
  const TargetProbabilities ending = ProbabilitiesOf(d, target);
  const double touch = std::max(beyond + reflected, above ? ending.above : ending.below);
  return std::min(touch, 1.0);
}

// Each row's error is the band's: its exponent rounds twice (1/2 unit of s
// |z| and 1/2 of the exponent), its exponential once (1/2 unit), and it
// carries s times z's error, NormalQuantile's 8 units and the level's own
// rounding ((1 - level/100)/2 is not percent/100 exactly: up to 0.75 units
// of z, at 1 %).
std::array<Percentile, 9> PercentilesOf(const PriceDistribution& d) {
  const LogPrice logPrice = SpreadOf(d);
  std::array<Percentile, 9> percentiles{};
  for (std::size_t i = 0; i < kPercents.size(); ++i) {
    const double percent = kPercents[i];
    // The band at level L spans the percents (100 - L)/2 to (100 + L)/2; the
    // median is the band of no width.
    const double level = percent < 50 ? 100 - 2 * percent : 2 * percent - 100;
    const double z = level == 0 ? 0 : *ZOfLevel(level);
    const BandEdge edge = percent < 50 ? BandEdge::Lower : BandEdge::Upper;
    double value = kInfinity;
    try {
      value = BandEnd(logPrice.mean, logPrice.deviation, z, edge, CheckFinite);
    } catch (const RunTimeError&) {
      // Only an upper end beyond the largest double: it is infinite.
    }
    percentiles[i] = {percent, value};
  }
  return percentiles;
}

// phi(z)/(x s): phi within 2 1/2 units and |z| delta, the product and the
// quotient 1/2 unit each: within 3 1/2 units and z's share. Beyond |z| =
// 37.5 phi is subnormal and its units are the smallest subnormal's, which
// the quotient scales by 1/(x s).
double DensityAt(const PriceDistribution& d, double price) {
  const LogPrice logPrice = SpreadOf(d);
  if (!(price > 0) || price == kInfinity || logPrice.deviation == 0) return 0;
  const double density = NormalDensity(Standardized(price, logPrice));
  if (density == 0) return 0;
  return density / (price * logPrice.deviation);
}

// e^(mean - s^2) with s^2 exact by Dekker's product and the exponent a
// double-double within 2^-104 (|mean| + s^2): within 1 unit and that share.
double ModeOf(const PriceDistribution& d) {
  const LogPrice logPrice = SpreadOf(d);
  const DoubleDouble variance = dd::TwoProductOrRounded(logPrice.deviation, logPrice.deviation);
  if (!std::isfinite(variance.hi)) return 0;
  return ExpAt(dd::Sum({logPrice.mean, 0}, dd::Negated(variance)));
}

std::vector<double> DensitiesAt(const PriceDistribution& d, std::span<const double> prices) {
  std::vector<double> densities;
  densities.reserve(prices.size());
  for (const double price : prices) densities.push_back(DensityAt(d, price));
  return densities;
}

}  // namespace cotalia
