// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/lognormal/price_distribution.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "model/numeric_runtime.h"
#include "tests/scenarios.h"

namespace cotalia {
namespace {

PriceDistribution Expect(const std::variant<PriceDistribution, InputProblem>& result) {
  if (const auto* distribution = std::get_if<PriceDistribution>(&result)) return *distribution;
  ADD_FAILURE() << "a problem with input " << static_cast<int>(std::get<InputProblem>(result).input);
  return {};
}

// The four inputs typed into the form, the six buttons pressed, and each
// field compared with the point's figure as the writer writes it; but at
// month 0, today, where every price is the current one itself.
void ExpectTheButtonsDigits(const PricePoint& point, const std::array<std::string, 4>& typed) {
  InMemoryFields fields;
  for (std::size_t i = 0; i < typed.size(); ++i) fields.SetFieldText(static_cast<Field>(i), typed[i]);
  for (const scenarios::Calculation& calculation : scenarios::kCalculations) calculation.action(fields);
  const std::string where = typed[0] + " " + typed[1] + " " + typed[2] + " " + typed[3];
  if (ValueOfText(typed[3]) == 0) {
    for (const double price : {point.lower, point.upper, point.median, point.expected})
      EXPECT_EQ(price, ValueOfText(typed[0])) << where;
    EXPECT_EQ(point.deviation, 0) << where;
    EXPECT_EQ(TextOfNumber(point.logPrice.mean), fields.GetFieldText(Field::Text9)) << where;
    return;
  }
  EXPECT_EQ(TextOfNumber(point.lower), fields.GetFieldText(Field::Text5)) << where;
  EXPECT_EQ(TextOfNumber(point.upper), fields.GetFieldText(Field::Text6)) << where;
  EXPECT_EQ(TextOfNumber(point.expected), fields.GetFieldText(Field::Text7)) << where;
  EXPECT_EQ(TextOfNumber(point.deviation), fields.GetFieldText(Field::Text8)) << where;
  EXPECT_EQ(TextOfNumber(point.logPrice.mean), fields.GetFieldText(Field::Text9)) << where;
  EXPECT_EQ(TextOfNumber(point.logPrice.deviation), fields.GetFieldText(Field::Text10)) << where;
}

// The figures at 95 % are what the form's buttons write, digit for digit,
// on the worked examples and on random inputs.
TEST(PriceDistribution, GivesTheButtonsDigitsAt95) {
  std::mt19937_64 random(17);
  const auto between = [&random](double low, double high) {
    return TextOfNumber(std::uniform_real_distribution<double>(low, high)(random));
  };
  std::vector<std::array<std::string, 4>> inputs;
  for (const scenarios::WorkedExample& example : scenarios::kWorkedExamples) {
    inputs.push_back({std::string(example.inputs[0]), std::string(example.inputs[1]),
                      std::string(example.inputs[2]), std::string(example.inputs[3])});
  }
  for (int i = 0; i < 3000; ++i) {
    inputs.push_back({between(0.01, 5000), between(-30, 60), between(0, 150), between(0, 360)});
  }
  for (const auto& [price, rate, volatility, months] : inputs) {
    const PriceDistribution d = Expect(DistributionOf({{price, rate, volatility, months}, "95", ""}));
    ExpectTheButtonsDigits(d.horizon, {price, rate, volatility, months});
  }
}

TEST(PriceDistribution, NamesTheInputThatKeepsItFromBeingDrawn) {
  using Kind = InputProblem::Kind;
  using Input = DistributionInput;
  const DistributionTexts worked{"100", "10", "20", "12"};
  const struct {
    DistributionRequest request;
    Kind kind;
    Input input;
  } cases[] = {
      {{{" ", " ", " ", " "}, "95", ""}, Kind::NotANumber, Input::Rate},
      {{{"100", "10%", "20", "12"}, "95", ""}, Kind::NotANumber, Input::Rate},
      {{{"100", "10", "abc", "12"}, "95", ""}, Kind::NotANumber, Input::Volatility},
      {{{"100", "1E400", "20", "12"}, "95", ""}, Kind::BeyondRange, Input::Rate},
      {{{"100", "10", "20", "1E400"}, "95", ""}, Kind::BeyondRange, Input::Months},
      {{{"0", "10", "20", "12"}, "95", ""}, Kind::NotPositive, Input::Price},
      {{{"-5", "10", "20", "12"}, "95", ""}, Kind::NotPositive, Input::Price},
      {{{"100", "10", "20", "-1"}, "95", ""}, Kind::Negative, Input::Months},
      // The first input read that cannot be used: the horizon before the price.
      {{{"0", "10", "20", "-1"}, "95", ""}, Kind::Negative, Input::Months},
      {{{"100", "1E5", "20", "12"}, "95", ""}, Kind::ResultBeyondRange, Input::Rate},
      {{{"1E200", "10", "20", "12"}, "95", ""}, Kind::ResultBeyondRange, Input::Price},
      {{{"1E308", "10", "20", "12"}, "95", ""}, Kind::ResultBeyondRange, Input::Price},
      {{{"100", "0", "1E152", "12"}, "99", ""}, Kind::ResultBeyondRange, Input::Rate},
      {{worked, "95 %", ""}, Kind::NotANumber, Input::Level},
      {{worked, "100", ""}, Kind::OutsideLevels, Input::Level},
      {{worked, "49", ""}, Kind::OutsideLevels, Input::Level},
  };
  for (const auto& c : cases) {
    const auto result = DistributionOf(c.request);
    ASSERT_TRUE(std::holds_alternative<InputProblem>(result))
        << c.request.inputs.rate << " " << c.request.level;
    EXPECT_EQ(std::get<InputProblem>(result).kind, c.kind) << c.request.inputs.rate << " " << c.request.level;
    EXPECT_EQ(std::get<InputProblem>(result).input, c.input)
        << c.request.inputs.rate << " " << c.request.level;
  }
}

// A target that is not a price is a problem of its own: the rest is drawn.
TEST(PriceDistribution, ReadsTheTargetLeniently) {
  using Kind = InputProblem::Kind;
  const struct {
    const char* target;
    TargetReading reading;
  } cases[] = {{"", NoTarget{}},
               {" \t ", NoTarget{}},
               {"130", 130.0},
               {"130 €", 130.0},
               {"1 30", 130.0},
               {"0", InputProblem{Kind::NotPositive, DistributionInput::Target}},
               {"-5", InputProblem{Kind::NotPositive, DistributionInput::Target}},
               {"abc", InputProblem{Kind::NotPositive, DistributionInput::Target}},
               {"1E400", InputProblem{Kind::BeyondRange, DistributionInput::Target}}};
  for (const auto& c : cases) {
    const PriceDistribution d = Expect(DistributionOf({{"100", "10", "20", "12"}, "95", c.target}));
    ASSERT_EQ(d.target.index(), c.reading.index()) << c.target;
    if (const auto* price = std::get_if<double>(&c.reading)) {
      EXPECT_EQ(std::get<double>(d.target), *price);
    }
    if (const auto* problem = std::get_if<InputProblem>(&c.reading)) {
      EXPECT_EQ(std::get<InputProblem>(d.target).kind, problem->kind) << c.target;
      EXPECT_EQ(std::get<InputProblem>(d.target).input, problem->input) << c.target;
    }
  }
}

TEST(ZOfLevel, IsTheFormsBandAt95AndTheQuantileElsewhere) {
  const struct {
    double level;
    const char* z;
  } cases[] = {{95, "1.96"},
               {50, "0.674489750196082"},
               {90, "1.64485362695147"},
               {99, "2.5758293035489"},
               {99.9, "3.29052673149193"},
               {99.9999, "4.89163847569293"}};
  for (const auto& c : cases) EXPECT_EQ(TextOfNumber(ZOfLevel(c.level).value()), c.z) << c.level;
  for (const double outside : {49.99, 99.99991, 100.0, -95.0, std::nan("")}) {
    EXPECT_FALSE(ZOfLevel(outside).has_value()) << outside;
  }
}

// The digits are MPFR's Phi at the same argument (mean - ln K)/deviation,
// rounded to 15 digits; far in the tail that argument's own rounding moves
// the twelfth digit, which is why the window shows four.
TEST(ProbabilitiesOf, AboveAndBelowTheTarget) {
  const PriceDistribution worked = Expect(DistributionOf({{"100", "10", "20", "12"}, "95", ""}));
  const PriceDistribution certain = Expect(DistributionOf({{"100", "10", "0", "12"}, "95", ""}));
  // ln 1 = 0 is the log mean itself, exactly.
  const PriceDistribution certainAtOne = Expect(DistributionOf({{"1", "0", "0", "12"}, "95", ""}));
  const struct {
    const PriceDistribution* distribution;
    double target;
    const char* above;
    const char* below;
  } cases[] = {
      {&worked, 130, "0.180931392009003", "0.819068607990997"},
      {&worked, std::exp(4.68517018598809), "0.5", "0.5"},
      {&worked, 1e4, "1.20632045164002E-113", "1"},
      {&worked, 1e6, "0", "1"},
      {&certain, 110, "1", "0"},
      {&certain, 111, "0", "1"},
      {&certainAtOne, 1, "0.5", "0.5"},
      {&certainAtOne, 1.0000000000000002, "0", "1"},
  };
  for (const auto& c : cases) {
    const TargetProbabilities p = ProbabilitiesOf(*c.distribution, c.target);
    EXPECT_EQ(TextOfNumber(p.above), c.above) << c.target;
    EXPECT_EQ(TextOfNumber(p.below), c.below) << c.target;
  }
}

bool SameBits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// The curves are the figures' own quantities at every month: they start at
// the price and end, bit for bit, at the figures the window shows, on random
// inputs at random levels.
TEST(PathOf, EndsAtTheFiguresBitForBit) {
  std::mt19937_64 random(20261209);
  const auto between = [&random](double low, double high) {
    return TextOfNumber(std::uniform_real_distribution<double>(low, high)(random));
  };
  int compared = 0;
  for (int i = 0; i < 20000; ++i) {
    const std::string price = between(0.01, 5000);
    const std::string rate = between(-30, 60);
    const std::string volatility = between(0, 150);
    const std::string months = between(0, 360);
    const std::string level = i % 2 == 0 ? "95" : between(50, 99.9999);
    const auto result = DistributionOf({{price, rate, volatility, months}, level, ""});
    const auto* d = std::get_if<PriceDistribution>(&result);
    if (d == nullptr) continue;  // a level that rounds outside the range
    const std::optional<PricePath> path = PathOf(*d, 64);
    if (!path) continue;  // a band that peaks beyond the double range before the horizon
    ++compared;
    const std::string where = price + " " + rate + " " + volatility + " " + months + " at " + level;
    ASSERT_EQ(path->points.size(), 65u) << where;
    ASSERT_EQ(path->months.back(), d->inputs.months) << where;
    const PricePoint& end = path->points.back();
    const PricePoint& h = d->horizon;
    EXPECT_TRUE(SameBits(end.lower, h.lower)) << where;
    EXPECT_TRUE(SameBits(end.upper, h.upper)) << where;
    EXPECT_TRUE(SameBits(end.median, h.median)) << where;
    EXPECT_TRUE(SameBits(end.expected, h.expected)) << where;
    EXPECT_TRUE(SameBits(end.deviation, h.deviation)) << where;
    const PricePoint& start = path->points.front();
    EXPECT_EQ(path->months.front(), 0) << where;
    EXPECT_EQ(start.expected, d->inputs.price) << where;
    EXPECT_EQ(start.lower, start.upper) << where;
  }
  EXPECT_GT(compared, 19000);
}

// Every point of the path is what the form's six buttons write for that
// month as the horizon: on whole-month horizons each sample's month, a
// multiple of 1/64 of one, is written by the form's writer exactly.
TEST(PathOf, EveryPointIsTheButtonsDigitsAtItsMonth) {
  std::mt19937_64 random(7);
  const auto between = [&random](double low, double high) {
    return TextOfNumber(std::uniform_real_distribution<double>(low, high)(random));
  };
  for (int i = 0; i < 150; ++i) {
    const std::string price = between(0.01, 5000);
    const std::string rate = between(-30, 60);
    const std::string volatility = between(0, 150);
    const std::string horizon = std::to_string(1 + static_cast<int>(random() % 360));
    const PriceDistribution d = Expect(DistributionOf({{price, rate, volatility, horizon}, "95", ""}));
    const std::optional<PricePath> path = PathOf(d, 64);
    ASSERT_TRUE(path.has_value());
    for (std::size_t k = 0; k < path->points.size(); ++k) {
      const std::string months = TextOfNumber(path->months[k]);
      ASSERT_EQ(ValueOfText(months), path->months[k]);
      ExpectTheButtonsDigits(path->points[k], {price, rate, volatility, months});
    }
  }
}

// A horizon of zero is one point; any horizon above it, however short, is a
// curve of every sample.
TEST(PathOf, HasOnePointOnlyAtAZeroHorizon) {
  const struct {
    const char* months;
    std::size_t points;
  } cases[] = {{"0", 1}, {"0.5", 65}, {"1E-9", 65}, {"12", 65}};
  for (const auto& c : cases) {
    const PriceDistribution d = Expect(DistributionOf({{"100", "10", "20", c.months}, "95", ""}));
    const std::optional<PricePath> path = PathOf(d, 64);
    ASSERT_TRUE(path.has_value()) << c.months;
    EXPECT_EQ(path->points.size(), c.points) << c.months;
  }
}

}  // namespace
}  // namespace cotalia
