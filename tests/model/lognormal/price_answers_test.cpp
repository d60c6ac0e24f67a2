// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/lognormal/price_answers.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <variant>

#include "model/lognormal/normal_distribution.h"
#include "model/numeric_runtime.h"
#include "model/runtime/elementary_functions.h"

namespace cotalia {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

PriceDistribution Expect(const std::variant<PriceDistribution, InputProblem>& result) {
  if (const auto* distribution = std::get_if<PriceDistribution>(&result)) return *distribution;
  ADD_FAILURE() << "a problem with input " << static_cast<int>(std::get<InputProblem>(result).input);
  return {};
}

PriceDistribution Worked() { return Expect(DistributionOf({{"100", "10", "20", "12"}, "95", ""})); }

bool SameBits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// The touch probability's own rows: the worked example to MPFR's 15 digits,
// the price itself, a certain path, and for every row at least the
// probability of ending beyond the target and at most 1.
TEST(TouchProbability, Rows) {
  const PriceDistribution worked = Worked();
  const PriceDistribution still = Expect(DistributionOf({{"100", "10", "0", "12"}, "95", ""}));
  const PriceDistribution now = Expect(DistributionOf({{"100", "10", "20", "0"}, "95", ""}));
  const PriceDistribution quiet = Expect(DistributionOf({{"100", "30.005", "1", "12"}, "95", ""}));
  const PriceDistribution tiny = Expect(DistributionOf({{"100", "50", "1E-7", "12"}, "95", ""}));
  const struct {
    const PriceDistribution* d;
    double target;
    const char* touch;  // as MPFR gives it, to 15 digits; null for none
  } cases[] = {
      {&worked, 130, "0.30507120927191"},
      {&worked, 85, nullptr},
      {&worked, 100, "1"},
      {&worked, 1e300, "0"},
      {&worked, 1e-300, "0"},
      {&worked, kInfinity, "0"},
      {&worked, 0, "0"},
      {&still, 105, "1"},                   // on the line from 100 to e^(mean) = 110.5...
      {&still, still.horizon.median, "1"},  // at its very end
      {&still, 115, "0"},
      {&still, 95, "0"},
      {&now, 100, "1"},
      {&now, 100.5, "0"},
      {&quiet, 100 * std::exp(0.31), nullptr},  // e^(2MB/s^2) overflows
      {&tiny, 150, "1"},                        // e^(2MB/s^2) = e^(4E13): the median is far beyond
      {&tiny, 170, "0"},
  };
  for (const auto& c : cases) {
    const double touch = TouchProbability(*c.d, c.target);
    if (c.touch != nullptr) {
      EXPECT_EQ(TextOfNumber(touch), c.touch) << c.target;
    }
    EXPECT_GE(touch, 0) << c.target;
    EXPECT_LE(touch, 1) << c.target;
    if (c.target > 0 && c.target != kInfinity) {
      const TargetProbabilities ending = ProbabilitiesOf(*c.d, c.target);
      EXPECT_GE(touch, c.target > c.d->inputs.price ? ending.above : ending.below) << c.target;
    }
  }
}

// On random inputs: a probability, at least that of ending beyond, and
// falling as the target moves away from the price on either side.
TEST(TouchProbability, IsAProbabilityFallingWithTheDistance) {
  std::mt19937_64 random(3);
  const auto between = [&random](double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
  };
  for (int i = 0; i < 2000; ++i) {
    const auto result = DistributionOf(
        {{TextOfNumber(between(0.01, 5000)), TextOfNumber(between(-60, 90)),
          TextOfNumber(i % 5 == 0 ? between(0, 1) : between(0, 150)), TextOfNumber(between(0, 360))},
         "95",
         ""});
    const auto* d = std::get_if<PriceDistribution>(&result);
    if (d == nullptr) continue;
    double previousAbove = 1;
    double previousBelow = 1;
    double factor = 1.01;
    for (int step = 0; step < 26; ++step, factor *= 1.7) {  // up to a million
      const double above = TouchProbability(*d, d->inputs.price * factor);
      const double below = TouchProbability(*d, d->inputs.price / factor);
      ASSERT_TRUE(above >= 0 && above <= 1) << i << " " << factor;
      ASSERT_TRUE(below >= 0 && below <= 1) << i << " " << factor;
      ASSERT_LE(above, previousAbove * (1 + 1e-12)) << i << " " << factor;
      ASSERT_LE(below, previousBelow * (1 + 1e-12)) << i << " " << factor;
      ASSERT_GE(above, ProbabilitiesOf(*d, d->inputs.price * factor).above) << i << " " << factor;
      ASSERT_GE(below, ProbabilitiesOf(*d, d->inputs.price / factor).below) << i << " " << factor;
      previousAbove = above;
      previousBelow = below;
    }
  }
}

// Each row is the band's end at the level between it and its mirror, bit for
// bit, as the window computes the band at that level: 5 and 95 % the band at
// 90 %, and the median at 50 %; on random inputs.
TEST(PercentilesOf, AreTheBandsEndsBitForBit) {
  std::mt19937_64 random(11);
  const auto between = [&random](double low, double high) {
    return TextOfNumber(std::uniform_real_distribution<double>(low, high)(random));
  };
  const struct {
    std::size_t lower;
    std::size_t upper;
    const char* level;
  } bands[] = {{0, 8, "98"}, {1, 7, "90"}, {2, 6, "80"}, {3, 5, "50"}};
  for (int i = 0; i < 2000; ++i) {
    const std::array<std::string, 4> texts{between(0.01, 5000), between(-30, 60), between(0, 150),
                                           between(0, 360)};
    const DistributionTexts inputs{texts[0], texts[1], texts[2], texts[3]};
    const auto result = DistributionOf({inputs, "95", ""});
    const auto* d = std::get_if<PriceDistribution>(&result);
    if (d == nullptr) continue;
    const std::array<Percentile, 9> rows = PercentilesOf(*d);
    for (std::size_t k = 0; k < rows.size(); ++k) EXPECT_EQ(rows[k].percent, kPercents[k]);
    EXPECT_TRUE(SameBits(rows[4].price, d->horizon.median)) << i;
    for (const auto& band : bands) {
      const auto atLevel = DistributionOf({inputs, band.level, ""});
      const auto* other = std::get_if<PriceDistribution>(&atLevel);
      ASSERT_NE(other, nullptr) << i << " at " << band.level;
      EXPECT_TRUE(SameBits(rows[band.lower].price, other->horizon.lower)) << i << " at " << band.level;
      EXPECT_TRUE(SameBits(rows[band.upper].price, other->horizon.upper)) << i << " at " << band.level;
    }
  }
}

// The worked example's table as the window writes it, and a row beyond the
// doubles written as infinite rather than failing.
TEST(PercentilesOf, WorkedExampleAndOverflow) {
  const char* expected[] = {"68.0267228577013", "77.9602795618209", "83.8357789556326",
                            "94.6581741654321", "108.328706767496", "123.973537556396",
                            "139.977332543525", "150.526765371748", "172.507335602005"};
  const std::array<Percentile, 9> rows = PercentilesOf(Worked());
  for (std::size_t k = 0; k < rows.size(); ++k) EXPECT_EQ(TextOfNumber(rows[k].price), expected[k]) << k;
  // The window's distributions cannot reach it (their price's variance is
  // finite, which keeps e^(mean + 5 deviations) below e^361), but a log price
  // of e^700 spread by 5 can: e^711.6 at 99 %.
  PriceDistribution wide = Worked();
  wide.horizon.logPrice = {700, 5};
  const std::array<Percentile, 9> wideRows = PercentilesOf(wide);
  EXPECT_EQ(wideRows[8].price, kInfinity);
  EXPECT_TRUE(std::isfinite(wideRows[7].price));
  EXPECT_GT(wideRows[0].price, 0);
}

// A far-tail range keeps its digits where the direct difference of the
// distribution function loses them all; ranges add up; a narrow range about
// the median is its density times its width, not 1 minus two halves.
TEST(BetweenProbability, KeepsSmallProbabilitiesDigits) {
  const PriceDistribution d = Worked();
  const LogPrice& logPrice = d.horizon.logPrice;
  const auto z = [&logPrice](double x) { return (std::log(x) - logPrice.mean) / logPrice.deviation; };
  // Both ends above 1E4: about 1.2E-113, Phi(zU) - Phi(zL) is 1 - 1 there.
  const double far = BetweenProbability(d, 1e4, 1e5);
  EXPECT_EQ(NormalCdf(z(1e5)) - NormalCdf(z(1e4)), 0);
  EXPECT_GT(far, 1e-114);
  EXPECT_NEAR(far / ProbabilitiesOf(d, 1e4).above, 1, 1e-9);  // beyond 1E5 is about 1E-170
  // The upper tail split in two adds up, to a few units of the parts.
  for (const double split : {300.0, 1e3, 1e4, 1e5}) {
    const double parts = BetweenProbability(d, 200, split) + BetweenProbability(d, split, std::nullopt);
    EXPECT_NEAR(parts / BetweenProbability(d, 200, std::nullopt), 1, 1e-14) << split;
  }
  // Both ends far below (about 1E-53 and 2E-23): the lower tail's own digits.
  EXPECT_NEAR(BetweenProbability(d, 5, 15) / ProbabilitiesOf(d, 15).below, 1, 1e-9);
  // About the median, 2 epsilon/deviation phi(0), the first order.
  const double median = d.horizon.median;
  for (const double epsilon : {1e-6, 1e-9, 1e-12}) {
    const double lower = median * (1 - epsilon);
    const double upper = median * (1 + epsilon);
    const double width = (upper - lower) / median;  // the doubles' own, exactly
    const double narrow = BetweenProbability(d, lower, upper);
    EXPECT_NEAR(narrow / (width / logPrice.deviation * 0.3989422804014327), 1, 1e-9) << epsilon;
  }
  // Below, inside and above add up to 1.
  for (const auto& [lower, upper] : {std::pair{90.0, 130.0}, std::pair{1e-3, 1e3}, std::pair{108.0, 109.0}}) {
    const double sum = BetweenProbability(d, std::nullopt, lower) + BetweenProbability(d, lower, upper) +
                       BetweenProbability(d, upper, std::nullopt);
    EXPECT_NEAR(sum, 1, 1e-15) << lower << " " << upper;
  }
}

// The worked example to MPFR's digits; the ends that are no ends; with no
// spread, the certain price inside, outside and at an end.
TEST(BetweenProbability, Rows) {
  const PriceDistribution worked = Worked();
  const PriceDistribution still = Expect(DistributionOf({{"1", "0", "0", "12"}, "95", ""}));  // e^0 = 1
  const std::optional<double> none;
  const struct {
    const PriceDistribution* d;
    std::optional<double> lower;
    std::optional<double> upper;
    const char* probability;
  } cases[] = {
      {&worked, 90, 130, "0.642054084957861"},
      {&worked, 130, none, "0.180931392009002"},
      {&worked, none, none, "1"},
      {&worked, 0, none, "1"},
      {&worked, -5, 130, "0.819068607990998"},
      {&worked, 130, kInfinity, "0.180931392009002"},
      {&worked, 130, 90, "0"},
      {&worked, 130, 130, "0"},
      {&worked, none, 0, "0"},
      {&worked, kInfinity, none, "0"},
      {&worked, std::nan(""), 130, "0"},
      {&still, 0.5, 2, "1"},
      {&still, 2, 3, "0"},
      {&still, 1, 2, "0.5"},
      {&still, 0.5, 1, "0.5"},
      {&still, 1, 1, "0"},
      {&still, none, 1, "0.5"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextOfNumber(BetweenProbability(*c.d, c.lower, c.upper)), c.probability)
        << c.lower.value_or(-1) << " " << c.upper.value_or(-1);
  }
}

// The density is a density: it integrates to 1 over the prices, peaks at the
// mode, is 0 off the positive prices and where the price is certain.
TEST(DensityAt, IntegratesToOneAndPeaksAtTheMode) {
  for (const char* volatility : {"20", "80", "3"}) {
    const PriceDistribution d = Expect(DistributionOf({{"100", "10", volatility, "12"}, "95", ""}));
    const LogPrice& logPrice = d.horizon.logPrice;
    // Over the log price, f(x) x d(ln x), by the trapezoids, 12 deviations
    // either side.
    double integral = 0;
    constexpr int kSteps = 4000;
    const double step = 24 * logPrice.deviation / kSteps;
    for (int i = 0; i <= kSteps; ++i) {
      const double x = std::exp(logPrice.mean - 12 * logPrice.deviation + i * step);
      integral += (i == 0 || i == kSteps ? 0.5 : 1) * DensityAt(d, x) * x * step;
    }
    EXPECT_NEAR(integral, 1, 1e-12) << volatility;
    const double mode = ModeOf(d);
    for (const double factor : {1 - 1e-4, 1 + 1e-4, 0.9, 1.1}) {
      EXPECT_LT(DensityAt(d, mode * factor), DensityAt(d, mode)) << volatility << " " << factor;
    }
    // The smallest price's density is 0, though its product with the
    // deviation is too.
    const std::vector<double> prices{0,         -1,           mode,
                                     kInfinity, std::nan(""), std::numeric_limits<double>::denorm_min()};
    const std::vector<double> curve = DensitiesAt(d, prices);
    ASSERT_EQ(curve.size(), prices.size());
    EXPECT_EQ(curve[0], 0);
    EXPECT_EQ(curve[1], 0);
    EXPECT_TRUE(SameBits(curve[2], DensityAt(d, mode)));
    EXPECT_EQ(curve[3], 0);
    EXPECT_EQ(curve[4], 0);
    EXPECT_EQ(curve[5], 0);
  }
  const PriceDistribution still = Expect(DistributionOf({{"100", "10", "0", "12"}, "95", ""}));
  EXPECT_EQ(DensityAt(still, still.horizon.median), 0);
  EXPECT_TRUE(SameBits(ModeOf(still), still.horizon.median));
  // A spread whose square is beyond the doubles (which the form's inputs
  // never give) puts the mode at 0.
  PriceDistribution wide = Worked();
  wide.horizon.logPrice.deviation = 1e200;
  EXPECT_EQ(ModeOf(wide), 0);
  EXPECT_EQ(TextOfNumber(ModeOf(Worked())), "104.081077419239");  // e^(4.68517018598809 - 0.04)
}

// The form takes a negative volatility as typed, and its deviation is
// negative: the price spreads as with its size, and only the band's ends
// swap. Every answer is the same, bit for bit, and the percentiles ascend.
TEST(Answers, OfANegativeVolatilityAreThoseOfItsSize) {
  for (const char* volatility : {"20", "0.5", "140"}) {
    const PriceDistribution positive = Expect(DistributionOf({{"100", "10", volatility, "12"}, "95", ""}));
    const std::string negated = std::string("-") + volatility;
    const PriceDistribution negative = Expect(DistributionOf({{"100", "10", negated, "12"}, "95", ""}));
    ASSERT_EQ(negative.horizon.logPrice.deviation, -positive.horizon.logPrice.deviation);
    for (const double price : {50.0, 99.0, 108.0, 130.0, 1e4}) {
      EXPECT_TRUE(SameBits(TouchProbability(negative, price), TouchProbability(positive, price))) << price;
      EXPECT_TRUE(SameBits(BetweenProbability(negative, price, std::nullopt),
                           BetweenProbability(positive, price, std::nullopt)))
          << price;
      EXPECT_TRUE(SameBits(ProbabilitiesOf(negative, price).above, ProbabilitiesOf(positive, price).above))
          << price;
      EXPECT_TRUE(SameBits(DensityAt(negative, price), DensityAt(positive, price))) << price;
    }
    EXPECT_TRUE(SameBits(ModeOf(negative), ModeOf(positive)));
    const std::array<Percentile, 9> rows = PercentilesOf(negative);
    const std::array<Percentile, 9> positiveRows = PercentilesOf(positive);
    for (std::size_t k = 0; k < rows.size(); ++k) EXPECT_TRUE(SameBits(rows[k].price, positiveRows[k].price));
    // The band at 90 % of the negative volatility, its ends swapped.
    const PriceDistribution at90 = Expect(DistributionOf({{"100", "10", negated, "12"}, "90", ""}));
    EXPECT_TRUE(SameBits(rows[1].price, at90.horizon.upper));
    EXPECT_TRUE(SameBits(rows[7].price, at90.horizon.lower));
    EXPECT_LT(rows[1].price, rows[7].price);
  }
}

// The range's boxes read as the target's: blank is none, a problem names its
// box and leaves the rest (the target too) to be drawn, the lower box's
// problem first, and an upper price below the lower one is a problem of the
// upper box.
TEST(PriceDistribution, ReadsTheRangeLeniently) {
  using Kind = InputProblem::Kind;
  using Input = DistributionInput;
  const struct {
    const char* lower;
    const char* upper;
    std::optional<double> lowerPrice;
    std::optional<double> upperPrice;
    std::optional<InputProblem> problem;
  } cases[] = {
      {"90", "130", 90, 130, std::nullopt},
      {"90", "", 90, std::nullopt, std::nullopt},
      {" ", "130 €", std::nullopt, 130, std::nullopt},
      {"130", "130", 130, 130, std::nullopt},
      {"130", "90", std::nullopt, std::nullopt, InputProblem{Kind::BelowLower, Input::Upper}},
      {"abc", "130", std::nullopt, std::nullopt, InputProblem{Kind::NotPositive, Input::Lower}},
      {"90", "-5", std::nullopt, std::nullopt, InputProblem{Kind::NotPositive, Input::Upper}},
      {"0", "0", std::nullopt, std::nullopt, InputProblem{Kind::NotPositive, Input::Lower}},
      {"90", "1E400", std::nullopt, std::nullopt, InputProblem{Kind::BeyondRange, Input::Upper}},
  };
  for (const auto& c : cases) {
    const PriceDistribution d =
        Expect(DistributionOf({{"100", "10", "20", "12"}, "95", "130", c.lower, c.upper}));
    EXPECT_EQ(std::get<double>(d.target), 130) << c.lower << " " << c.upper;
    if (c.problem) {
      const auto* problem = std::get_if<InputProblem>(&d.range);
      ASSERT_NE(problem, nullptr) << c.lower << " " << c.upper;
      EXPECT_EQ(problem->kind, c.problem->kind) << c.lower << " " << c.upper;
      EXPECT_EQ(problem->input, c.problem->input) << c.lower << " " << c.upper;
      continue;
    }
    const auto* range = std::get_if<PriceRange>(&d.range);
    ASSERT_NE(range, nullptr) << c.lower << " " << c.upper;
    EXPECT_EQ(range->lower(), c.lowerPrice);
    EXPECT_EQ(range->upper(), c.upperPrice);
  }
  // Both blank, and a request that does not name the boxes at all.
  EXPECT_TRUE(std::holds_alternative<NoRange>(Worked().range));
  EXPECT_TRUE(std::holds_alternative<NoRange>(
      Expect(DistributionOf({{"100", "10", "20", "12"}, "95", "", " ", "\t"})).range));
  // The form's own inputs still come first.
  const auto result = DistributionOf({{"100", "x", "20", "12"}, "95", "", "130", "90"});
  ASSERT_TRUE(std::holds_alternative<InputProblem>(result));
  EXPECT_EQ(std::get<InputProblem>(result).input, DistributionInput::Rate);
}

// Only ranges that can be asked about are built.
TEST(PriceRange, HoldsNoImpossibleRange) {
  const std::optional<double> none;
  const struct {
    std::optional<double> lower;
    std::optional<double> upper;
    bool built;
  } cases[] = {
      {90, 130, true},          {none, 130, true},          {90, none, true},         {130, 130, true},
      {none, none, false},      {130, 90, false},           {0, 130, false},          {-1, none, false},
      {none, kInfinity, false}, {std::nan(""), 130, false}, {90, std::nan(""), false}};
  for (const auto& c : cases) {
    EXPECT_EQ(PriceRange::Of(c.lower, c.upper).has_value(), c.built)
        << c.lower.value_or(-1) << " " << c.upper.value_or(-1);
  }
}

}  // namespace
}  // namespace cotalia
