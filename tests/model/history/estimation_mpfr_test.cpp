// SPDX-License-Identifier: GPL-3.0-or-later
// The estimate and the chi-square quantile against MPFR at 256 bits, from the
// same doubles: the bounds stated beside the code, and the 13 significant
// digits of m, s, v and r on histories of real sizes. Each test records the
// worst error it met (as a share of the bound) in the test report.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
#include <iomanip>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "model/history/chi_square.h"
#include "model/history/estimation.h"
#include "model/runtime/elementary_functions.h"
#include "tests/model/mpfr_number.h"

namespace cotalia {
namespace {

constexpr mpfr_prec_t kBits = 256;

using Big = MpfrNumber<kBits>;

// |ours - truth| as a double.
double ErrorOf(double ours, mpfr_srcptr truth) {
  Big difference;
  mpfr_sub_d(difference.get(), truth, ours, MPFR_RNDN);
  return std::fabs(difference.ToDouble());
}

// Three significant digits, for the test report.
std::string Text(double x) {
  std::ostringstream text;
  text << std::setprecision(3) << x;
  return text.str();
}

void UseWidestExponents() {
  mpfr_set_emin(mpfr_get_emin_min());
  mpfr_set_emax(mpfr_get_emax_max());
}

TEST(LogAsDoubleDouble, WithinItsBoundAgainstMpfr) {
  UseWidestExponents();
  std::mt19937_64 random(7);
  const std::vector<std::function<double()>> samples = {
      // Share prices from a hundredth to a million.
      [&] { return std::exp2(std::uniform_real_distribution<double>(-7, 20)(random)); },
      // Within 2^-8 of 1, where the step's reduction is x - 1 alone.
      [&] {
        return 1 + std::ldexp(std::uniform_real_distribution<double>(-1, 1)(random), -8 - int(random() % 45));
      },
      // Every exponent, subnormals included.
      [&] {
        return std::ldexp(std::uniform_real_distribution<double>(1, 2)(random), int(random() % 2097) - 1074);
      },
  };
  Big truth;
  double worst = 0;
  for (const auto& sample : samples) {
    for (int i = 0; i < 20000; ++i) {
      const double x = sample();
      if (!(x > 0) || !std::isfinite(x) || x == 1) continue;
      const dd::DoubleDouble ours = LogAsDoubleDouble(x);
      ASSERT_EQ(ours.hi + ours.lo, ours.hi) << std::hexfloat << x;  // renormalized
      Big arg(x);
      mpfr_log(truth.get(), arg.get(), MPFR_RNDN);
      mpfr_sub_d(truth.get(), truth.get(), ours.hi, MPFR_RNDN);
      mpfr_sub_d(truth.get(), truth.get(), ours.lo, MPFR_RNDN);
      const double share = std::fabs(truth.ToDouble()) / (0x1p-68 * std::fabs(ours.hi));
      ASSERT_LE(share, 1) << std::hexfloat << x;
      worst = std::max(worst, share);
    }
  }
  RecordProperty("worst_share_of_bound", Text(worst));
}

// m, s, v and r at 256 bits from the doubles given, as the declaration
// defines them.
struct Reference {
  Big mean;
  Big deviation;
  Big volatility;
  Big rate;

  Reference(const std::vector<double>& prices, double periodsPerYear) {
    const std::size_t n = prices.size() - 1;
    std::vector<Big> logs(prices.size());
    for (std::size_t i = 0; i < prices.size(); ++i) {
      Big price(prices[i]);
      mpfr_log(logs[i].get(), price.get(), MPFR_RNDN);
    }
    mpfr_sub(mean.get(), logs[n].get(), logs[0].get(), MPFR_RNDN);
    mpfr_div_ui(mean.get(), mean.get(), n, MPFR_RNDN);
    Big squares;
    Big deviationOfOne;
    mpfr_set_zero(squares.get(), 1);
    for (std::size_t i = 1; i <= n; ++i) {
      mpfr_sub(deviationOfOne.get(), logs[i].get(), logs[i - 1].get(), MPFR_RNDN);
      mpfr_sub(deviationOfOne.get(), deviationOfOne.get(), mean.get(), MPFR_RNDN);
      mpfr_sqr(deviationOfOne.get(), deviationOfOne.get(), MPFR_RNDN);
      mpfr_add(squares.get(), squares.get(), deviationOfOne.get(), MPFR_RNDN);
    }
    mpfr_div_ui(squares.get(), squares.get(), n - 1, MPFR_RNDN);  // s^2
    mpfr_sqrt(deviation.get(), squares.get(), MPFR_RNDN);
    Big year(periodsPerYear);
    mpfr_sqrt(volatility.get(), year.get(), MPFR_RNDN);
    mpfr_mul(volatility.get(), volatility.get(), deviation.get(), MPFR_RNDN);
    // r = N (m + s^2/2)
    mpfr_div_2ui(squares.get(), squares.get(), 1, MPFR_RNDN);
    mpfr_add(rate.get(), mean.get(), squares.get(), MPFR_RNDN);
    mpfr_mul(rate.get(), rate.get(), year.get(), MPFR_RNDN);
  }
};

enum class Shape {
  RandomWalk,          // daily-like moves with a drift
  EndsWhereStarted,    // the last price is the first: m = 0
  NearlyWhereStarted,  // the last price a unit from the first
  SteadyTrend,         // a trend with moves a million times smaller
  TinyMoves,           // moves of a millionth, as a pegged price has
  FarApart,            // prices alternating near 1E-300 and 1E+300
};

struct History {
  const char* name;
  std::size_t prices;
  Shape shape;
  double start;
  double periodsPerYear;
};

void PrintTo(const History& h, std::ostream* os) { *os << h.name; }

std::vector<double> PricesOf(const History& history) {
  std::mt19937_64 random(std::hash<std::string>{}(history.name));
  std::normal_distribution<double> normal;
  std::vector<double> prices(history.prices);
  prices[0] = history.start;
  for (std::size_t i = 1; i < prices.size(); ++i) {
    switch (history.shape) {
      case Shape::RandomWalk:
      case Shape::EndsWhereStarted:
      case Shape::NearlyWhereStarted:
        prices[i] = prices[i - 1] * std::exp(0.0004 + 0.015 * normal(random));
        break;
      case Shape::SteadyTrend:
        prices[i] = prices[i - 1] * std::exp(0.001 + 1e-9 * normal(random));
        break;
      case Shape::TinyMoves:
        prices[i] = prices[i - 1] * std::exp(1e-6 * normal(random));
        break;
      case Shape::FarApart:
        prices[i] = (i % 2 == 0 ? 1e-300 : 1e300) * std::exp(0.1 * normal(random));
        break;
    }
  }
  if (history.shape == Shape::EndsWhereStarted) prices.back() = prices.front();
  if (history.shape == Shape::NearlyWhereStarted) prices.back() = std::nextafter(prices.front(), 0.0);
  return prices;
}

class EstimateWithinItsBounds : public testing::TestWithParam<History> {};

// Each of m, s, v and r within the bound stated beside it, and within 13
// significant digits; r's digits are counted against |m| N + v^2/2, as its
// bound is, where the drift cancels half the variance.
TEST_P(EstimateWithinItsBounds, AgainstMpfr) {
  UseWidestExponents();
  const History& history = GetParam();
  const std::vector<double> prices = PricesOf(history);
  const Estimate ours = EstimateOf(prices, history.periodsPerYear);
  Reference truth(prices, history.periodsPerYear);

  const double n = static_cast<double>(prices.size() - 1);
  const double m = std::fabs(truth.mean.ToDouble());
  const double s = truth.deviation.ToDouble();
  const double v = truth.volatility.ToDouble();
  const double r = std::fabs(truth.rate.ToDouble());
  const double year = history.periodsPerYear;
  const double scale = m * year + v * v / 2;
  const struct {
    const char* name;
    double error;
    double bound;
    double size;  // what the 13 digits are counted against
  } checks[] = {
      {"m", ErrorOf(ours.meanReturn, truth.mean.get()), std::exp2(-52.9) * m + std::exp2(-103.6) / n, m},
      {"s", ErrorOf(ours.deviation, truth.deviation.get()),
       std::exp2(-52.3) * s + std::exp2(-65.3) * m + std::exp2(-101), s},
      {"v", ErrorOf(ours.volatility, truth.volatility.get()),
       std::exp2(-51.1) * v + std::sqrt(year) * (std::exp2(-65.3) * m + std::exp2(-101)), v},
      {"r", ErrorOf(ours.rate, truth.rate.get()), 0x1p-53 * r + 0x1p-64 * (1 + s) * scale,
       std::max(r, scale)},
  };
  for (const auto& check : checks) {
    EXPECT_LE(check.error, check.bound) << check.name;
    EXPECT_LE(check.error, 1e-13 * check.size) << check.name;
    RecordProperty(std::string(check.name) + "_share_of_bound", Text(check.error / check.bound));
    if (check.size > 0)
      RecordProperty(std::string(check.name) + "_relative_error", Text(check.error / check.size));
  }
  // r itself to 13 digits unless its terms cancel to a millionth.
  if (r >= 0x1p-20 * scale) {
    EXPECT_LE(ErrorOf(ours.rate, truth.rate.get()), 1e-13 * r);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Histories, EstimateWithinItsBounds,
    testing::Values(History{"Hundred", 100, Shape::RandomWalk, 100, 252},
                    History{"Thousand", 1000, Shape::RandomWalk, 37.25, 252},
                    History{"TenThousand", 10000, Shape::RandomWalk, 0.0123, 252},
                    History{"HundredThousand", 100000, Shape::RandomWalk, 25400, 252},
                    History{"Million", 1000000, Shape::RandomWalk, 100, 252},
                    History{"WeeklyThousand", 1000, Shape::RandomWalk, 8.5, 52},
                    History{"MonthlyHundred", 100, Shape::RandomWalk, 1e6, 12},
                    History{"ThreePrices", 3, Shape::RandomWalk, 50, 252},
                    History{"EndsWhereStartedHundred", 100, Shape::EndsWhereStarted, 100, 252},
                    History{"EndsWhereStartedHundredThousand", 100000, Shape::EndsWhereStarted, 3.75, 252},
                    History{"NearlyWhereStarted", 10000, Shape::NearlyWhereStarted, 100, 252},
                    History{"SteadyTrend", 1000, Shape::SteadyTrend, 100, 252},
                    History{"TinyMoves", 10000, Shape::TinyMoves, 1, 252},
                    History{"FarApart", 1000, Shape::FarApart, 1e-300, 252}),
    [](const auto& info) { return std::string(info.param.name); });

// P(a, y) at 256 bits by its series, y^a e^-y / Gamma(a + 1) sum y^n /
// ((a + 1) ... (a + n)): positive terms, summed until they fall below 2^-270
// of the sum; a D = y P'(y) beside it.
class GammaReference {
 public:
  void Evaluate(double a, double y) {
    Big bigA(a);
    Big bigY(y);
    Big term;
    Big divisor;
    Big logY;
    mpfr_set_ui(sum_.get(), 1, MPFR_RNDN);
    mpfr_set_ui(term.get(), 1, MPFR_RNDN);
    for (unsigned long n = 1;; ++n) {
      mpfr_add_ui(divisor.get(), bigA.get(), n, MPFR_RNDN);
      mpfr_mul(term.get(), term.get(), bigY.get(), MPFR_RNDN);
      mpfr_div(term.get(), term.get(), divisor.get(), MPFR_RNDN);
      mpfr_add(sum_.get(), sum_.get(), term.get(), MPFR_RNDN);
      if (mpfr_cmp(divisor.get(), bigY.get()) > 0 &&
          mpfr_get_exp(term.get()) < mpfr_get_exp(sum_.get()) - 270) {
        break;
      }
    }
    // D = e^(a ln y - y - ln Gamma(a + 1))
    mpfr_log(logY.get(), bigY.get(), MPFR_RNDN);
    mpfr_mul(scaled_.get(), logY.get(), bigA.get(), MPFR_RNDN);
    mpfr_sub(scaled_.get(), scaled_.get(), bigY.get(), MPFR_RNDN);
    mpfr_add_ui(divisor.get(), bigA.get(), 1, MPFR_RNDN);
    int sign = 0;
    mpfr_lgamma(term.get(), &sign, divisor.get(), MPFR_RNDN);
    mpfr_sub(scaled_.get(), scaled_.get(), term.get(), MPFR_RNDN);
    mpfr_exp(scaled_.get(), scaled_.get(), MPFR_RNDN);
    mpfr_mul(lower_.get(), scaled_.get(), sum_.get(), MPFR_RNDN);
    mpfr_mul(slope_.get(), scaled_.get(), bigA.get(), MPFR_RNDN);
  }
  mpfr_ptr lower() { return lower_.get(); }
  mpfr_ptr slope() { return slope_.get(); }

 private:
  Big sum_;
  Big scaled_;
  Big lower_;
  Big slope_;
};

// The quantile's relative error: Newton's correction at 256 bits from ours,
// (P(k/2, x/2) - p) / (y P'(y)), whose own error is of the order of its
// square.
double QuantileRelativeError(GammaReference& reference, double p, double k, double ours) {
  reference.Evaluate(0.5 * k, 0.5 * ours);
  Big miss;
  mpfr_sub_d(miss.get(), reference.lower(), p, MPFR_RNDN);
  mpfr_div(miss.get(), miss.get(), reference.slope(), MPFR_RNDN);
  return std::fabs(miss.ToDouble());
}

// The bound stated beside the declaration: relative, and for fewer than one
// degree of freedom divided by k, as the quantile's sensitivity to its
// evaluation grows as 1/k.
double QuantileBound(double k) { return 0x1p-46 * std::max(1.0, 1 / k); }

// The series against MPFR's own incomplete gamma function, where that is
// quick: P = 1 - Gamma(a, y)/Gamma(a).
TEST(GammaReference, MatchesMpfrIncompleteGamma) {
  UseWidestExponents();
  GammaReference reference;
  for (const double a : {0.5, 1.0, 3.5, 10.0, 99.5, 1000.0, 10000.0}) {
    for (const double z : {-3.0, -1.96, 0.0, 1.96, 4.0}) {
      const double y = std::max(a + z * std::sqrt(a), 0.01);
      reference.Evaluate(a, y);
      Big bigA(a);
      Big bigY(y);
      Big upper;
      Big gamma;
      mpfr_gamma_inc(upper.get(), bigA.get(), bigY.get(), MPFR_RNDN);
      mpfr_gamma(gamma.get(), bigA.get(), MPFR_RNDN);
      mpfr_div(upper.get(), upper.get(), gamma.get(), MPFR_RNDN);
      mpfr_ui_sub(upper.get(), 1, upper.get(), MPFR_RNDN);
      mpfr_sub(upper.get(), upper.get(), reference.lower(), MPFR_RNDN);
      EXPECT_LT(std::fabs(upper.ToDouble()), 1e-60) << a << ' ' << y;
    }
  }
}

// Every history's degrees of freedom, k = 1 to 10^7 - 2: each k to 200, then
// k growing by 5 % to the largest.
std::vector<double> DegreesOfFreedom() {
  std::vector<double> ks;
  for (int k = 1; k <= 200; ++k) ks.push_back(k);
  for (double k = 210; k < 9999998; k = std::round(k * 1.05)) ks.push_back(k);
  ks.push_back(9999998);
  return ks;
}

TEST(ChiSquareQuantile, IntervalLevelsWithinTheBoundForEveryHistorySize) {
  UseWidestExponents();
  GammaReference reference;
  double worst = 0;
  for (const double k : DegreesOfFreedom()) {
    for (const double p : {0.025, 0.975}) {
      const double ours = ChiSquareQuantile(p, k);
      const double error = QuantileRelativeError(reference, p, k, ours);
      EXPECT_LE(error, QuantileBound(k)) << "p = " << p << ", k = " << k;
      worst = std::max(worst, error);
    }
  }
  RecordProperty("worst_relative_error", Text(worst));
}

TEST(ChiSquareQuantile, OtherLevelsAndFractionalFreedomWithinTheBound) {
  UseWidestExponents();
  GammaReference reference;
  double worst = 0;
  for (const double k : {0.1, 0.5, 1.0, 2.5, 7.0, 19.0, 21.0, 30.5, 1000.0, 123456.0}) {
    for (const double p : {1e-12, 1e-6, 0.001, 0.1, 0.3, 0.5, 0.7, 0.9, 0.999, 1 - 1e-6, 1 - 1e-12}) {
      const double ours = ChiSquareQuantile(p, k);
      if (ours == 0) continue;  // below the smallest double: k = 0.1 at 1e-12
      const double error = QuantileRelativeError(reference, p, k, ours);
      EXPECT_LE(error, QuantileBound(k)) << "p = " << p << ", k = " << k;
      worst = std::max(worst, error / QuantileBound(k));
    }
  }
  RecordProperty("worst_share_of_bound", Text(worst));
}

}  // namespace
}  // namespace cotalia
