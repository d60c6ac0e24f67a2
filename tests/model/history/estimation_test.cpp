// SPDX-License-Identifier: GPL-3.0-or-later
// The estimate on histories whose returns are known in closed form, the
// chi-square quantile against tables and closed forms, and the inputs the
// estimate refuses. The comparison with MPFR at 256 bits is in
// estimation_mpfr_test.cpp.
#include "model/history/estimation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "model/history/chi_square.h"
#include "model/lognormal/normal_distribution.h"
#include "model/runtime/elementary_functions.h"
#include "model/runtime/run_time_error.h"

namespace cotalia {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kLn2 = 0.6931471805599453;  // ln 2, rounded

// A random walk with daily-like moves, from the test's own generator.
std::vector<double> Walk(std::size_t count, std::uint64_t seed, double start = 100) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> normal(0.0003, 0.012);
  std::vector<double> prices(count);
  prices[0] = start;
  for (std::size_t i = 1; i < count; ++i) prices[i] = prices[i - 1] * std::exp(normal(random));
  return prices;
}

void ExpectNear(double actual, double expected, double relative, const char* what) {
  EXPECT_LE(std::fabs(actual - expected), relative * std::fabs(expected))
      << what << ": " << std::hexfloat << actual << " against " << expected;
}

struct Known {
  const char* name;
  std::vector<double> prices;
  double periodsPerYear;
  double mean;
  double deviation;
};

void PrintTo(const Known& k, std::ostream* os) { *os << k.name; }

class KnownReturns : public testing::TestWithParam<Known> {};

// m and s from the returns written out by hand, and v, r and the rate's
// interval from them as the declaration defines them.
TEST_P(KnownReturns, GiveTheirMeanAndDeviation) {
  const Known& row = GetParam();
  const Estimate estimate = EstimateOf(row.prices, row.periodsPerYear);
  const double n = static_cast<double>(row.prices.size() - 1);
  EXPECT_EQ(estimate.returns, row.prices.size() - 1);
  EXPECT_EQ(estimate.periodsPerYear, row.periodsPerYear);
  EXPECT_EQ(estimate.lastPrice, row.prices.back());
  if (row.mean == 0) {
    EXPECT_EQ(estimate.meanReturn, 0);  // the history ends where it started
  } else {
    ExpectNear(estimate.meanReturn, row.mean, 1e-15, "m");
  }
  // Where the returns are one ratio, no deviation at all: not the last bits
  // of the mean's rounding.
  EXPECT_NEAR(estimate.deviation, row.deviation, 1e-15 * row.deviation);
  const double v = row.deviation * std::sqrt(row.periodsPerYear);
  EXPECT_NEAR(estimate.volatility, v, 1e-15 * v);
  const double r = row.mean * row.periodsPerYear + v * v / 2;
  ExpectNear(estimate.rate, r, 1e-14, "r");
  const double halfWidth = 1.96 * v * std::sqrt(row.periodsPerYear / n);
  ExpectNear(estimate.rateInterval.low, r - halfWidth, 1e-14, "rate's low end");
  ExpectNear(estimate.rateInterval.high, r + halfWidth, 1e-14, "rate's high end");
}

INSTANTIATE_TEST_SUITE_P(
    Histories, KnownReturns,
    testing::Values(
        // ln 2, ln 2, ln 2: no deviation.
        Known{"Doubling", {1, 2, 4, 8}, 252, kLn2, 0},
        // +ln 2, -ln 2, +ln 2, -ln 2: m = 0, s = sqrt(4 ln^2 2 / 3).
        Known{"UpAndDown", {100, 200, 100, 200, 100}, 252, 0, 2 * kLn2 / std::sqrt(3.0)},
        // n = 2: x1 = ln(3/2), x2 = ln(1/3); m = ln(1/2)/2, s = |x1 - x2|/sqrt 2 =
        // ln(9/2)/sqrt 2.
        Known{"TwoReturns", {2, 3, 1}, 12, -kLn2 / 2, 1.5040773967762742 / std::sqrt(2.0)},
        // Halving by powers of two from 2^40: each return -ln 2 exactly as in
        // Doubling, with the sign turned.
        Known{"HalvingFromLarge", {0x1p40, 0x1p39, 0x1p38}, 52, -kLn2, 0},
        // Every price the same: nothing moves.
        Known{"AllEqual", {7.25, 7.25, 7.25, 7.25}, 252, 0, 0},
        // Growing by a tenth each time, 1.1 to within a unit of each price.
        Known{"TenPercentAYear", {100, 110, 121, 133.1, 146.41}, 1, 0.09531017980432487, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Estimate, NothingMovesWhereEveryPriceIsTheSame) {
  const Estimate estimate = EstimateOf(std::vector<double>(50, 31.5), 252);
  for (const double value : {estimate.meanReturn, estimate.deviation, estimate.volatility, estimate.rate,
                             estimate.volatilityInterval.low, estimate.volatilityInterval.high,
                             estimate.rateInterval.low, estimate.rateInterval.high}) {
    EXPECT_EQ(value, 0);
  }
}

// With n - 1 = 10 degrees of freedom, the tables' chi-square quantiles
// 20.4832 (0.975) and 3.24697 (0.025) put the volatility between
// v sqrt(10/20.4832) and v sqrt(10/3.24697).
TEST(Estimate, VolatilityIntervalFromTheTablesQuantiles) {
  const std::vector<double> prices = Walk(12, 3);
  const Estimate estimate = EstimateOf(prices, 252);
  ExpectNear(estimate.volatilityInterval.low, estimate.volatility * std::sqrt(10 / 20.4832), 1e-5, "low");
  ExpectNear(estimate.volatilityInterval.high, estimate.volatility * std::sqrt(10 / 3.24697), 1e-5, "high");
}

// Both intervals hold their estimate strictly inside, and narrow as the
// history grows: the volatility's towards v (1 -+ 1.96/sqrt(2 (n - 1))).
TEST(Estimate, IntervalsHoldTheEstimateAndNarrowWithMorePrices) {
  double lastWidth = kInfinity;
  for (const std::size_t count : {3, 4, 10, 60, 252, 1000, 20000}) {
    SCOPED_TRACE(count);
    const Estimate estimate = EstimateOf(Walk(count, count), 252);
    EXPECT_LT(estimate.volatilityInterval.low, estimate.volatility);
    EXPECT_LT(estimate.volatility, estimate.volatilityInterval.high);
    EXPECT_LT(estimate.rateInterval.low, estimate.rate);
    EXPECT_LT(estimate.rate, estimate.rateInterval.high);
    const double width =
        (estimate.volatilityInterval.high - estimate.volatilityInterval.low) / estimate.volatility;
    EXPECT_LT(width, lastWidth);
    lastWidth = width;
    if (count >= 1000) {
      const double spread = 1.96 / std::sqrt(2 * static_cast<double>(count - 2));
      ExpectNear(width, 2 * spread, 0.02, "relative width");
    }
  }
}

// A power of two times every price leaves every ratio's mantissas as they
// were: the same digits. Reversing the history turns m's sign and keeps s.
TEST(Estimate, ScaledAndReversedHistories) {
  const std::vector<double> prices = Walk(500, 11);
  const Estimate estimate = EstimateOf(prices, 252);
  for (const double scale : {0x1p-30, 0x1p20}) {
    std::vector<double> scaled = prices;
    for (double& price : scaled) price *= scale;
    const Estimate other = EstimateOf(scaled, 252);
    EXPECT_EQ(other.meanReturn, estimate.meanReturn);
    EXPECT_EQ(other.deviation, estimate.deviation);
    EXPECT_EQ(other.rate, estimate.rate);
  }
  const std::vector<double> reversed(prices.rbegin(), prices.rend());
  const Estimate backwards = EstimateOf(reversed, 252);
  ExpectNear(backwards.meanReturn, -estimate.meanReturn, 1e-15, "m reversed");
  ExpectNear(backwards.deviation, estimate.deviation, 1e-15, "s reversed");
}

TEST(LogReturnsOf, AreTheReturnsTheEstimateTakes) {
  const struct {
    std::vector<double> prices;
    std::vector<double> returns;
  } rows[] = {
      {{}, {}},
      {{42}, {}},
      {{100, 100}, {0}},
      {{1, 2, 4, 2}, {kLn2, kLn2, -kLn2}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(LogReturnsOf(row.prices), row.returns);
  }
  // From a subnormal to a huge price, where the ratio overflows.
  EXPECT_NEAR(LogReturnsOf(std::vector<double>{0x1p-1060, 0x1p1000})[0], 2060 * kLn2, 1e-12);
  // Each within a unit or so of the correctly rounded logarithms' difference,
  // and their mean the estimate's m.
  const std::vector<double> prices = Walk(2000, 5);
  const std::vector<double> returns = LogReturnsOf(prices);
  ASSERT_EQ(returns.size(), prices.size() - 1);
  double sum = 0;
  for (std::size_t i = 0; i < returns.size(); ++i) {
    EXPECT_NEAR(returns[i], CorrectlyRoundedLog(prices[i + 1]) - CorrectlyRoundedLog(prices[i]), 2e-15);
    sum += returns[i];
  }
  EXPECT_NEAR(sum / static_cast<double>(returns.size()), EstimateOf(prices, 252).meanReturn, 1e-16);
}

TEST(Estimate, RefusesWhatIsNoHistory) {
  const struct {
    const char* name;
    std::vector<double> prices;
    double periodsPerYear;
  } rows[] = {
      {"no prices", {}, 252},
      {"two prices", {1, 2}, 252},
      {"a zero price", {1, 0, 2}, 252},
      {"a negative first price", {-1, 1, 2}, 252},
      {"a negative last price", {1, 1, -2}, 252},
      {"a NaN price", {1, kNaN, 2}, 252},
      {"an infinite price", {1, 2, kInfinity}, 252},
      {"no periods a year", {1, 2, 3}, 0},
      {"negative periods", {1, 2, 3}, -252},
      {"NaN periods", {1, 2, 3}, kNaN},
      {"infinite periods", {1, 2, 3}, kInfinity},
  };
  for (const auto& row : rows) {
    try {
      EstimateOf(row.prices, row.periodsPerYear);
      ADD_FAILURE() << row.name << " was estimated";
    } catch (const RunTimeError& error) {
      EXPECT_EQ(error.code(), kInvalidCall) << row.name;
    }
  }
  EXPECT_THROW(LogReturnsOf(std::vector<double>{1, 0}), RunTimeError);
  EXPECT_THROW(LogReturnsOf(std::vector<double>{kNaN, 1}), RunTimeError);
}

TEST(PercentOf, IsAHundredTimes) {
  const struct {
    double fraction;
    double percent;
  } rows[] = {{0.2, 20}, {-0.05, -5}, {0, 0}, {1.5, 150}};
  for (const auto& row : rows) EXPECT_EQ(PercentOf(row.fraction), row.percent) << row.fraction;
}

// Quantiles as the tables print them (seven significant digits), and the
// median of two degrees of freedom, 2 ln 2.
TEST(ChiSquareQuantile, MatchesTheTables) {
  const struct {
    double p;
    double k;
    double x;
  } rows[] = {
      {0.025, 1, 0.0009820691}, {0.975, 1, 5.023886},   {0.025, 10, 3.246973}, {0.975, 10, 20.48318},
      {0.025, 100, 74.22193},   {0.975, 100, 129.5612}, {0.05, 5, 1.145476},   {0.95, 5, 11.07050},
      {0.5, 2, 2 * kLn2},       {0.99, 3, 11.34487},    {0.999, 30, 59.70306}, {0.5, 1, 0.4549364},
      {0.95, 1, 3.841459},
  };
  for (const auto& row : rows) {
    ExpectNear(ChiSquareQuantile(row.p, row.k), row.x, 6e-7,
               (std::to_string(row.p) + ", " + std::to_string(row.k)).c_str());
  }
}

// Closed forms: for one degree of freedom x = z^2 with z the normal quantile
// of (1 - p)/2, exact in doubles from p = 1/2 on; for an even k = 2a, at y = x/2, the upper tail is e^-y
// times the sum of y^j/j! for j < a and the lower tail e^-y times the rest, so the quantile's relative error
// is the tail's miss over y times the density, e^-y y^a/(a - 1)!.
TEST(ChiSquareQuantile, MeetsTheClosedForms) {
  for (const double p : {1e-9, 0.001, 0.025, 0.3, 0.5, 0.8, 0.975, 0.999, 1 - 1e-9}) {
    SCOPED_TRACE(p);
    if (p >= 0.5) {
      const double z = NormalQuantile(0.5 * (1 - p));
      ExpectNear(ChiSquareQuantile(p, 1), z * z, 1e-13, "k = 1");
    }
    for (const int a : {1, 2, 5, 15, 30}) {
      SCOPED_TRACE(a);
      const double y = ChiSquareQuantile(p, 2 * a) / 2;
      double term = 1;  // y^j/j!
      double upper = 0;
      double lower = 0;
      double density = 0;
      for (int j = 0; j < 400; ++j) {
        (j < a ? upper : lower) += term;
        if (j == a - 1) density = term * y;
        term *= y / (j + 1);
      }
      const double scale = std::exp(-y);
      const double miss = p > 0.5 ? (1 - p) - scale * upper : p - scale * lower;
      EXPECT_LE(std::fabs(miss) / (scale * density), 1e-13);
    }
  }
}

TEST(ChiSquareQuantile, GrowsWithTheLevelAndTheFreedom) {
  for (const double k : {0.5, 1.0, 3.0, 50.0, 4000.0, 3e5}) {
    double last = 0;
    for (double p = 0.01; p < 1; p += 0.01) {
      const double x = ChiSquareQuantile(p, k);
      EXPECT_GT(x, last) << p << ' ' << k;
      last = x;
    }
  }
  for (const double p : {0.025, 0.975}) {
    double last = 0;
    for (double k = 1; k < 2e7; k *= 1.7) {
      const double x = ChiSquareQuantile(p, k);
      EXPECT_GT(x, last) << p << ' ' << k;
      last = x;
    }
  }
}

TEST(ChiSquareQuantile, SpecialValues) {
  const struct {
    double p;
    double k;
    double x;
  } rows[] = {
      {0, 5, 0},
      {-1, 5, 0},
      {-kInfinity, 5, 0},
      {1, 5, kInfinity},
      {2, 5, kInfinity},
      {kInfinity, 5, kInfinity},
      {kNaN, 5, kNaN},
      {0.5, kNaN, kNaN},
      {0.5, 0, kNaN},
      {0.5, -3, kNaN},
      {0.5, kInfinity, kNaN},
  };
  for (const auto& row : rows) {
    const double x = ChiSquareQuantile(row.p, row.k);
    if (std::isnan(row.x)) {
      EXPECT_TRUE(std::isnan(x)) << row.p << ' ' << row.k;
    } else {
      EXPECT_EQ(x, row.x) << row.p << ' ' << row.k;
    }
  }
}

}  // namespace
}  // namespace cotalia
