// SPDX-License-Identifier: GPL-3.0-or-later
// The distribution window's answers against MPFR at 320 bits, from the same
// doubles: the price, the target or the range's ends, and the log price's
// mean and deviation as the horizon holds them. Each answer is held to the
// bound stated beside its code, computed for every row from the row's own
// arguments (the units of the result and the share of the arguments'
// errors), on rows chosen for their hazards and on random ones. Each test
// records the worst error it met, as a share of the bound, in the report.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <limits>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "model/lognormal/price_answers.h"
#include "model/lognormal/price_distribution.h"
#include "model/numeric_runtime.h"
#include "tests/model/mpfr_number.h"

namespace cotalia {
namespace {

constexpr mpfr_prec_t kBits = 320;
// A unit in the last place of x is at most 2^-52 |x|.
constexpr double kUnit = 0x1p-52;
// Below the normal doubles a bound in units of the result means nothing:
// some units of the smallest subnormal more.
constexpr double kSubnormalFloor = 8 * std::numeric_limits<double>::denorm_min();

using Big = MpfrNumber<kBits>;

// COTALIA_MPFR_SCALE=n runs n times the random rows, as the elementary
// functions' tests do.
long Scale() {
  const char* scale = std::getenv("COTALIA_MPFR_SCALE");
  return scale == nullptr ? 1 : std::max(1L, std::atol(scale));
}

void UseWidestExponents() {
  mpfr_set_emin(mpfr_get_emin_min());
  mpfr_set_emax(mpfr_get_emax_max());
}

// Phi(x) = erfc(-x/sqrt 2)/2.
void Cdf(mpfr_ptr out, mpfr_srcptr x) {
  Big root2;
  mpfr_sqrt_ui(root2.get(), 2, MPFR_RNDN);
  mpfr_div(out, x, root2.get(), MPFR_RNDN);
  mpfr_neg(out, out, MPFR_RNDN);
  mpfr_erfc(out, out, MPFR_RNDN);
  mpfr_div_2ui(out, out, 1, MPFR_RNDN);
}

// phi(x) = e^(-x^2/2)/sqrt(2 pi).
void Density(mpfr_ptr out, mpfr_srcptr x) {
  Big root;
  mpfr_const_pi(root.get(), MPFR_RNDN);
  mpfr_mul_2ui(root.get(), root.get(), 1, MPFR_RNDN);
  mpfr_sqrt(root.get(), root.get(), MPFR_RNDN);
  mpfr_sqr(out, x, MPFR_RNDN);
  mpfr_div_si(out, out, -2, MPFR_RNDN);
  mpfr_exp(out, out, MPFR_RNDN);
  mpfr_div(out, out, root.get(), MPFR_RNDN);
}

double DensityOf(mpfr_srcptr x) {
  Big density;
  Density(density.get(), x);
  return density.ToDouble();
}

// ln x exactly enough, and (ln x - mean)/deviation.
void Log(mpfr_ptr out, double x) {
  mpfr_set_d(out, x, MPFR_RNDN);
  mpfr_log(out, out, MPFR_RNDN);
}

void Standardized(mpfr_ptr out, double price, const LogPrice& logPrice) {
  Log(out, price);
  mpfr_sub_d(out, out, logPrice.mean, MPFR_RNDN);
  mpfr_div_d(out, out, logPrice.deviation, MPFR_RNDN);
}

// The error against the bound, and relative to the truth where that is a
// normal double (the report's figure in units of 2^-53).
struct Measured {
  double share;
  double relative;
};
Measured ShareOf(double ours, mpfr_srcptr truth, double bound) {
  Big difference;
  mpfr_sub_d(difference.get(), truth, ours, MPFR_RNDN);
  const double error = std::fabs(difference.ToDouble());
  const double magnitude = std::fabs(mpfr_get_d(truth, MPFR_RNDN));
  return {error / bound, magnitude >= std::numeric_limits<double>::min() ? error / magnitude : 0};
}

std::string Text(double x) {
  std::ostringstream text;
  text << std::setprecision(3) << x;
  return text.str();
}

// The worst of a test's rows, for its report.
class Worst {
 public:
  void Add(const Measured& measured) {
    share_ = std::max(share_, measured.share);
    relative_ = std::max(relative_, measured.relative);
  }
  void Record() const {
    testing::Test::RecordProperty("worst_share_of_bound", Text(share_));
    testing::Test::RecordProperty("worst_relative_error_in_units", Text(relative_ / 0x1p-53));
  }

 private:
  double share_ = 0;
  double relative_ = 0;
};

PriceDistribution DistributionFrom(const std::string& price, const std::string& rate,
                                   const std::string& volatility, const std::string& months) {
  const auto result = DistributionOf({{price, rate, volatility, months}, "95", ""});
  if (const auto* d = std::get_if<PriceDistribution>(&result)) return *d;
  ADD_FAILURE() << "no distribution for " << price << " " << rate << " " << volatility << " " << months;
  return {};
}

// The error a standardised argument z = (ln x - mean)/deviation is carried
// with, as the code states it.
double ArgumentError(double price, const LogPrice& logPrice, double z) {
  return 0x1p-67 * (std::fabs(std::log(price)) + std::fabs(logPrice.mean)) / logPrice.deviation +
         0x1p-103 * std::fabs(z);
}

// The probability of ending between the ends, at 320 bits, and the bound
// stated for it: 4 1/2 units of each tail subtracted (8 of each part across
// the median) and 1/2 of the result, and each end's phi(z) times its
// argument's error.
Measured BetweenShare(const PriceDistribution& d, std::optional<double> lower, std::optional<double> upper,
                      double ours) {
  const LogPrice& logPrice = d.horizon.logPrice;
  Big zLow;
  Big zHigh;
  if (lower) Standardized(zLow.get(), *lower, logPrice);
  if (!lower) mpfr_set_inf(zLow.get(), -1);
  if (upper) Standardized(zHigh.get(), *upper, logPrice);
  if (!upper) mpfr_set_inf(zHigh.get(), 1);
  Big lowPart;
  Big highPart;
  Big truth;
  const bool across = mpfr_sgn(zLow.get()) < 0 && mpfr_sgn(zHigh.get()) > 0;
  if (across) {
    // 1/2 - Phi(zL) and 1/2 - Phi(-zU).
    Cdf(lowPart.get(), zLow.get());
    mpfr_ui_sub(lowPart.get(), 1, lowPart.get(), MPFR_RNDN);
    mpfr_sub_d(lowPart.get(), lowPart.get(), 0.5, MPFR_RNDN);
    mpfr_neg(highPart.get(), zHigh.get(), MPFR_RNDN);
    Cdf(highPart.get(), highPart.get());
    mpfr_ui_sub(highPart.get(), 1, highPart.get(), MPFR_RNDN);
    mpfr_sub_d(highPart.get(), highPart.get(), 0.5, MPFR_RNDN);
    mpfr_add(truth.get(), lowPart.get(), highPart.get(), MPFR_RNDN);
  } else if (mpfr_sgn(zLow.get()) >= 0) {
    mpfr_neg(lowPart.get(), zLow.get(), MPFR_RNDN);
    Cdf(lowPart.get(), lowPart.get());
    mpfr_neg(highPart.get(), zHigh.get(), MPFR_RNDN);
    Cdf(highPart.get(), highPart.get());
    mpfr_sub(truth.get(), lowPart.get(), highPart.get(), MPFR_RNDN);
  } else {
    Cdf(lowPart.get(), zLow.get());
    Cdf(highPart.get(), zHigh.get());
    mpfr_sub(truth.get(), highPart.get(), lowPart.get(), MPFR_RNDN);
  }
  // Near the median the code and the reference may take the other side.
  const bool nearMedian = std::fabs(zLow.ToDouble()) < 1e-9 || std::fabs(zHigh.ToDouble()) < 1e-9;
  const double units = across || nearMedian ? 8 : 4.5;
  double bound = 0.5 * kUnit * truth.ToDouble() + kSubnormalFloor;
  if (lower) {
    bound += units * kUnit * lowPart.ToDouble() +
             DensityOf(zLow.get()) * ArgumentError(*lower, logPrice, zLow.ToDouble());
  }
  if (upper) {
    bound += units * kUnit * highPart.ToDouble() +
             DensityOf(zHigh.get()) * ArgumentError(*upper, logPrice, zHigh.ToDouble());
  }
  return ShareOf(ours, truth.get(), bound);
}

// The touch probability at 320 bits, Phi(x1) + e^(2MB/s^2) Phi(x2) as the
// code's comment writes it (no overflow at MPFR's exponents), and the bound
// stated there.
struct TouchTruth {
  double value;
  Measured measured;
};
TouchTruth TouchShare(const PriceDistribution& d, double target, double ours) {
  const LogPrice& logPrice = d.horizon.logPrice;
  const double s = logPrice.deviation;
  Big logS;
  Big logK;
  Log(logS.get(), d.inputs.price);
  Log(logK.get(), target);
  Big m;
  Big b;
  mpfr_set_d(m.get(), logPrice.mean, MPFR_RNDN);
  mpfr_sub(m.get(), m.get(), logS.get(), MPFR_RNDN);
  mpfr_sub(b.get(), logK.get(), logS.get(), MPFR_RNDN);
  if (target < d.inputs.price) {
    mpfr_neg(m.get(), m.get(), MPFR_RNDN);
    mpfr_neg(b.get(), b.get(), MPFR_RNDN);
  }
  Big x1;
  Big x2;
  Big exponent;
  mpfr_sub(x1.get(), m.get(), b.get(), MPFR_RNDN);
  mpfr_div_d(x1.get(), x1.get(), s, MPFR_RNDN);
  mpfr_add(x2.get(), b.get(), m.get(), MPFR_RNDN);
  mpfr_div_d(x2.get(), x2.get(), -s, MPFR_RNDN);
  mpfr_mul(exponent.get(), m.get(), b.get(), MPFR_RNDN);
  mpfr_mul_2ui(exponent.get(), exponent.get(), 1, MPFR_RNDN);
  mpfr_div_d(exponent.get(), exponent.get(), s, MPFR_RNDN);
  mpfr_div_d(exponent.get(), exponent.get(), s, MPFR_RNDN);
  Big first;
  Big second;
  Big factor;
  Cdf(first.get(), x1.get());
  Cdf(second.get(), x2.get());
  mpfr_exp(factor.get(), exponent.get(), MPFR_RNDN);
  mpfr_mul(second.get(), second.get(), factor.get(), MPFR_RNDN);
  Big truth;
  mpfr_add(truth.get(), first.get(), second.get(), MPFR_RNDN);

  const double lnS = std::fabs(logS.ToDouble());
  const double lnK = std::fabs(logK.ToDouble());
  const double mean = std::fabs(logPrice.mean);
  const double a = -x2.ToDouble();
  const double d1 = 0x1p-67 * (lnK + mean + lnS) / s + 0x1p-103 * std::fabs(x1.ToDouble());
  const double d2 = 0x1p-67 * (lnK + 2 * lnS + mean) / s + 0x1p-103 * std::fabs(a);
  const double dE =
      0x1p-66 * (lnS * std::fabs(b.ToDouble()) + std::fabs(m.ToDouble()) * (lnK + lnS)) / (s * s) +
      0x1p-100 * std::fabs(exponent.ToDouble());
  double bound = 0.5 * kUnit * truth.ToDouble() + kSubnormalFloor;
  bound += 4.5 * kUnit * first.ToDouble() + DensityOf(x1.get()) * d1;
  if (a > 0.5) {
    bound += second.ToDouble() * (5.5 * kUnit + std::fabs(x1.ToDouble()) * d1 + 2 * d2);
  } else {
    bound += second.ToDouble() * (6 * kUnit + dE) + factor.ToDouble() * DensityOf(x2.get()) * d2;
  }
  return {truth.ToDouble(), ShareOf(ours, truth.get(), bound)};
}

struct Inputs {
  const char* price;
  const char* rate;
  const char* volatility;
  const char* months;
};

// The distributions of the rows: the worked example, a low and a high
// volatility, a long and a short horizon, a tiny volatility under a strong
// drift either way (where e^(2MB/s^2) leaves the doubles), prices far from 1.
const Inputs kWorked{"100", "10", "20", "12"};
const Inputs kQuiet{"100", "30.005", "1", "12"};
const Inputs kFalling{"100", "-35", "1", "12"};
const Inputs kWild{"37.5", "-12", "140", "300"};
const Inputs kShort{"2500", "5", "30", "0.25"};
const Inputs kTiny{"0.0001", "40", "50", "60"};

TEST(TouchProbability, WithinItsBoundAgainstMpfr) {
  UseWidestExponents();
  const struct {
    Inputs inputs;
    double target;
    const char* why;
  } cases[] = {
      {kWorked, 130, "the worked example"},
      {kWorked, 100, "at the price: 1"},
      {kWorked, 100.00000000000001, "a unit above the price"},
      {kWorked, 99.999999999999986, "a unit below the price"},
      {kWorked, 80, "below"},
      {kWorked, 110.5, "near the median"},
      {kWorked, 1e6, "far above: about 1E-96"},
      {kWorked, 5e-3, "far below: about 1E-98"},
      {kWorked, 1e8, "farther above: below 1E-300"},
      {kQuiet, 100 * std::exp(0.31), "e^(2MB/s^2) = e^1860 overflows"},
      {kQuiet, 100 * std::exp(0.4), "overflowing, far beyond the median"},
      {kQuiet, 100 * std::exp(0.25), "the median beyond the target: about 1"},
      {kQuiet, 99, "below, against the drift"},
      {kFalling, 100 * std::exp(0.1), "e^(2MB/s^2) = e^-700 near underflow"},
      {kFalling, 100 * std::exp(0.11), "e^(2MB/s^2) = e^-770 underflows: 0"},
      {kFalling, 100 * std::exp(-0.36), "below, with the drift, overflowing"},
      {kWild, 1e5, "a wide spread"},
      {kWild, 1e-3, "a wide spread, below"},
      {kShort, 2600, "a short horizon"},
      {kShort, 2000, "a short horizon, far below"},
      {kTiny, 1e-3, "prices far below 1"},
  };
  Worst worst;
  for (const auto& c : cases) {
    const auto& in = c.inputs;
    const PriceDistribution d = DistributionFrom(in.price, in.rate, in.volatility, in.months);
    const double ours = TouchProbability(d, c.target);
    const TouchTruth truth = TouchShare(d, c.target, ours);
    EXPECT_LE(truth.measured.share, 1) << c.why << ": " << ours << " against " << truth.value;
    EXPECT_GE(ours, 0) << c.why;
    EXPECT_LE(ours, 1) << c.why;
    worst.Add(truth.measured);
  }
  worst.Record();
}

// Random distributions and targets from 40 deviations below the median to
// 40 above, and some volatilities near 0.
TEST(TouchProbability, WithinItsBoundOnRandomInputs) {
  UseWidestExponents();
  std::mt19937_64 random(41);
  const auto between = [&random](double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
  };
  Worst worst;
  for (long i = 0; i < 400 * Scale(); ++i) {
    const double volatility = i % 10 == 0 ? std::exp2(between(-20, 0)) : between(1, 150);
    const PriceDistribution d =
        DistributionFrom(TextOfNumber(between(0.01, 5000)), TextOfNumber(between(-30, 60)),
                         TextOfNumber(volatility), TextOfNumber(between(0.5, 360)));
    const LogPrice& logPrice = d.horizon.logPrice;
    const double target = std::exp(logPrice.mean + between(-40, 40) * logPrice.deviation);
    if (!(target > 0) || !std::isfinite(target)) continue;
    const double ours = TouchProbability(d, target);
    const TouchTruth truth = TouchShare(d, target, ours);
    ASSERT_LE(truth.measured.share, 1)
        << d.inputs.price << " " << d.inputs.ratePercent << " " << d.inputs.volatilityPercent << " "
        << d.inputs.months << " K " << target;
    worst.Add(truth.measured);
  }
  worst.Record();
}

// With no spread the path is certain: the line from ln S to the mean, both
// ends included, against MPFR's exact logarithms.
TEST(TouchProbability, IsThePathsOwnWithNoSpread) {
  UseWidestExponents();
  const Inputs still{"100", "10", "0", "12"};
  const Inputs now{"100", "10", "20", "0"};
  const Inputs falling{"100", "-10", "0", "12"};
  const struct {
    Inputs inputs;
    double target;
  } cases[] = {{still, 100},  {still, 105}, {still, 110.5}, {still, 111},   {still, 99.99}, {now, 100},
               {now, 100.01}, {now, 99.99}, {falling, 95},  {falling, 101}, {falling, 85}};
  for (const auto& c : cases) {
    const auto& in = c.inputs;
    const PriceDistribution d = DistributionFrom(in.price, in.rate, in.volatility, in.months);
    ASSERT_EQ(d.horizon.logPrice.deviation, 0);
    Big logS;
    Big logK;
    Big mean(d.horizon.logPrice.mean);
    Log(logS.get(), d.inputs.price);
    Log(logK.get(), c.target);
    const bool fromStart = mpfr_cmp(logK.get(), logS.get()) >= 0;
    const bool fromEnd = mpfr_cmp(logK.get(), mean.get()) >= 0;
    const bool onPath =
        fromStart != fromEnd || mpfr_equal_p(logK.get(), logS.get()) || mpfr_equal_p(logK.get(), mean.get());
    EXPECT_EQ(TouchProbability(d, c.target), onPath ? 1 : 0)
        << in.rate << " " << in.months << " " << c.target;
  }
}

TEST(BetweenProbability, WithinItsBoundAgainstMpfr) {
  UseWidestExponents();
  const std::optional<double> none;
  const double median = std::exp(4.68517018598809);  // the worked example's, near enough
  const struct {
    Inputs inputs;
    std::optional<double> lower;
    std::optional<double> upper;
    const char* why;
  } cases[] = {
      {kWorked, 90, 130, "the worked example"},
      {kWorked, 130, none, "above the target"},
      {kWorked, none, 90, "below"},
      {kWorked, 1e4, 1.1e4, "both far above: about 1E-113"},
      {kWorked, 1e6, 1e7, "both farther above: about 1E-96"},
      {kWorked, 1e-3, 1e-2, "both far below"},
      {kWorked, 200, 200.0001, "narrow, above"},
      {kWorked, median * (1 - 1e-9), median * (1 + 1e-9), "narrow, across the median"},
      {kWorked, median * (1 - 1e-9), none, "from just below the median"},
      {kWorked, 1e-300, 1e300, "nearly everything"},
      {kWorked, 50, 51, "narrow, below"},
      {kQuiet, 134, 136, "a narrow spread"},
      {kWild, 1e-6, 1e-5, "a wide spread, low"},
      {kWild, 1e3, 1e9, "a wide spread, high"},
      {kShort, 2499, 2501, "a short horizon"},
      {kTiny, 1e-3, 2e-3, "prices far below 1"},
  };
  Worst worst;
  for (const auto& c : cases) {
    const auto& in = c.inputs;
    const PriceDistribution d = DistributionFrom(in.price, in.rate, in.volatility, in.months);
    const double ours = BetweenProbability(d, c.lower, c.upper);
    const Measured measured = BetweenShare(d, c.lower, c.upper, ours);
    EXPECT_LE(measured.share, 1) << c.why << ": " << ours;
    worst.Add(measured);
  }
  worst.Record();
}

TEST(BetweenProbability, WithinItsBoundOnRandomInputs) {
  UseWidestExponents();
  std::mt19937_64 random(43);
  const auto between = [&random](double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
  };
  Worst worst;
  for (long i = 0; i < 400 * Scale(); ++i) {
    const PriceDistribution d =
        DistributionFrom(TextOfNumber(between(0.01, 5000)), TextOfNumber(between(-30, 60)),
                         TextOfNumber(between(1, 150)), TextOfNumber(between(0.5, 360)));
    const LogPrice& logPrice = d.horizon.logPrice;
    // Ends at random deviations, sometimes close together, sometimes missing.
    const double low = between(-38, 38);
    const double high = i % 3 == 0 ? low + std::exp2(between(-30, 0)) : between(low, 38);
    std::optional<double> lower = std::exp(logPrice.mean + low * logPrice.deviation);
    std::optional<double> upper = std::exp(logPrice.mean + high * logPrice.deviation);
    if (i % 7 == 0) lower.reset();
    if (i % 11 == 0) upper.reset();
    if ((lower && !(*lower > 0 && std::isfinite(*lower))) ||
        (upper && !(*upper > 0 && std::isfinite(*upper)))) {
      continue;
    }
    const double ours = BetweenProbability(d, lower, upper);
    const Measured measured = BetweenShare(d, lower, upper, ours);
    ASSERT_LE(measured.share, 1) << i;
    worst.Add(measured);
  }
  worst.Record();
}

// e^(mean + s q) with Phi(q) = percent/100 exactly, q by Newton's iteration
// at 320 bits from ours. The bound: the exponential's 1/2 unit, the band's
// exponent's two roundings (1/2 unit of s|z| and of the exponent), and s
// times the quantile's error, 8 units of z and the level's own rounding
// ((1 - level/100)/2 is not percent/100 exactly).
TEST(PercentilesOf, WithinTheirBoundAgainstMpfr) {
  UseWidestExponents();
  Worst worst;
  for (const Inputs& in : {kWorked, kQuiet, kFalling, kWild, kShort, kTiny}) {
    const PriceDistribution d = DistributionFrom(in.price, in.rate, in.volatility, in.months);
    const LogPrice& logPrice = d.horizon.logPrice;
    for (const Percentile& row : PercentilesOf(d)) {
      const double level = row.percent < 50 ? 100 - 2 * row.percent : 2 * row.percent - 100;
      const double z = level == 0 ? 0 : *ZOfLevel(level) * (row.percent < 50 ? -1 : 1);
      Big p;
      Big q(z);
      Big phi;
      Big step;
      mpfr_set_d(p.get(), row.percent, MPFR_RNDN);
      mpfr_div_ui(p.get(), p.get(), 100, MPFR_RNDN);
      for (int i = 0; i < 5; ++i) {
        Cdf(step.get(), q.get());
        mpfr_sub(step.get(), step.get(), p.get(), MPFR_RNDN);
        Density(phi.get(), q.get());
        mpfr_div(step.get(), step.get(), phi.get(), MPFR_RNDN);
        mpfr_sub(q.get(), q.get(), step.get(), MPFR_RNDN);
      }
      // The level's rounding: p as the code has it, against percent/100.
      Big used(row.percent < 50 ? (1 - level / 100) / 2 : 1 - (1 - level / 100) / 2);
      mpfr_sub(used.get(), used.get(), p.get(), MPFR_RNDN);
      const double levelShift = level == 0 ? 0 : std::fabs(used.ToDouble()) / DensityOf(q.get());
      Big truth(logPrice.deviation);
      mpfr_mul(truth.get(), truth.get(), q.get(), MPFR_RNDN);
      mpfr_add_d(truth.get(), truth.get(), logPrice.mean, MPFR_RNDN);
      const double exponent = std::fabs(truth.ToDouble());
      mpfr_exp(truth.get(), truth.get(), MPFR_RNDN);
      const double s = logPrice.deviation;
      const double relative = 0.5 * kUnit + 0.5 * kUnit * s * std::fabs(z) + 0.5 * kUnit * exponent +
                              s * (8 * kUnit * std::fabs(z) + levelShift);
      const Measured measured =
          ShareOf(row.price, truth.get(), relative * truth.ToDouble() + kSubnormalFloor);
      EXPECT_LE(measured.share, 1) << in.price << " " << in.volatility << " at " << row.percent << " %";
      worst.Add(measured);
    }
  }
  worst.Record();
}

// phi(z)/(x s) within 3 1/2 units and |z| times z's error; the mode
// e^(mean - s^2) within 1 unit and 2^-104 (|mean| + s^2).
TEST(DensityAt, WithinItsBoundAgainstMpfr) {
  UseWidestExponents();
  std::mt19937_64 random(47);
  const auto between = [&random](double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
  };
  Worst worst;
  for (const Inputs& in : {kWorked, kQuiet, kFalling, kWild, kShort, kTiny}) {
    const PriceDistribution d = DistributionFrom(in.price, in.rate, in.volatility, in.months);
    const LogPrice& logPrice = d.horizon.logPrice;
    const double s = logPrice.deviation;
    std::vector<double> prices{ModeOf(d), d.horizon.median, d.horizon.lower, d.horizon.upper};
    for (int i = 0; i < 300; ++i) prices.push_back(std::exp(logPrice.mean + between(-38, 38) * s));
    for (const double price : prices) {
      if (!(price > 0) || !std::isfinite(price)) continue;
      Big z;
      Standardized(z.get(), price, logPrice);
      Big truth;
      Density(truth.get(), z.get());
      mpfr_div_d(truth.get(), truth.get(), price, MPFR_RNDN);
      mpfr_div_d(truth.get(), truth.get(), s, MPFR_RNDN);
      const double zValue = z.ToDouble();
      const double relative = 3.5 * kUnit + std::fabs(zValue) * ArgumentError(price, logPrice, zValue);
      // phi's own units are the smallest subnormal's beyond |z| = 37.5.
      const double floor = std::max(kSubnormalFloor, kSubnormalFloor / (price * s));
      const Measured measured =
          ShareOf(DensityAt(d, price), truth.get(), relative * truth.ToDouble() + floor);
      ASSERT_LE(measured.share, 1) << in.price << " " << in.volatility << " at " << price;
      worst.Add(measured);
    }
    Big mode(s);
    mpfr_sqr(mode.get(), mode.get(), MPFR_RNDN);
    mpfr_d_sub(mode.get(), logPrice.mean, mode.get(), MPFR_RNDN);
    mpfr_exp(mode.get(), mode.get(), MPFR_RNDN);
    const double modeBound = (kUnit + 0x1p-104 * (std::fabs(logPrice.mean) + s * s)) * mode.ToDouble();
    EXPECT_LE(ShareOf(ModeOf(d), mode.get(), modeBound).share, 1) << in.price << " " << in.volatility;
  }
  worst.Record();
}

}  // namespace
}  // namespace cotalia
