// SPDX-License-Identifier: GPL-3.0-or-later
#include "price_distribution.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "numeric_runtime.h"
#include "scenarios.h"

namespace cotalia {
namespace {

PriceDistribution Expect(const std::variant<PriceDistribution, InputProblem>& result) {
  if (const auto* distribution = std::get_if<PriceDistribution>(&result)) return *distribution;
  ADD_FAILURE() << "a problem with input " << static_cast<int>(std::get<InputProblem>(result).input);
  return {};
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
    InMemoryFields fields;
    fields.SetFieldText(Field::Text1, price);
    fields.SetFieldText(Field::Text2, rate);
    fields.SetFieldText(Field::Text3, volatility);
    fields.SetFieldText(Field::Text4, months);
    for (const scenarios::Calculation& calculation : scenarios::kCalculations) calculation.action(fields);
    const PriceDistribution d = Expect(DistributionOf({{price, rate, volatility, months}, "95", ""}));
    const std::string where = price + " " + rate + " " + volatility + " " + months;
    EXPECT_EQ(TextOfNumber(d.logMean), fields.GetFieldText(Field::Text9)) << where;
    EXPECT_EQ(TextOfNumber(d.logDeviation), fields.GetFieldText(Field::Text10)) << where;
    EXPECT_EQ(TextOfNumber(BandLower(d, 1.96).value()), fields.GetFieldText(Field::Text5)) << where;
    EXPECT_EQ(TextOfNumber(BandUpper(d, 1.96).value()), fields.GetFieldText(Field::Text6)) << where;
    EXPECT_EQ(TextOfNumber(d.expected), fields.GetFieldText(Field::Text7)) << where;
    EXPECT_EQ(TextOfNumber(d.deviation), fields.GetFieldText(Field::Text8)) << where;
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
      {{{"100", "1E5", "20", "12"}, "95", ""}, Kind::ResultBeyondRange, Input::Rate},
      {{{"1E200", "10", "20", "12"}, "95", ""}, Kind::ResultBeyondRange, Input::Rate},
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
  const struct {
    const char* target;
    std::optional<double> value;
    bool problem;
  } cases[] = {{"", std::nullopt, false},    {"  ", std::nullopt, false}, {"130", 130, false},
               {"130 €", 130, false},        {"0", std::nullopt, true},   {"abc", std::nullopt, true},
               {"1E400", std::nullopt, true}};
  for (const auto& c : cases) {
    const PriceDistribution d = Expect(DistributionOf({{"100", "10", "20", "12"}, "95", c.target}));
    EXPECT_EQ(d.target, c.value) << c.target;
    EXPECT_EQ(d.targetProblem.has_value(), c.problem) << c.target;
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
  };
  for (const auto& c : cases) {
    const TargetProbabilities p = ProbabilitiesOf(*c.distribution, c.target);
    EXPECT_EQ(TextOfNumber(p.above), c.above) << c.target;
    EXPECT_EQ(TextOfNumber(p.below), c.below) << c.target;
  }
}

TEST(LogMeanAt, RunsFromThePriceToTheHorizon) {
  const PriceDistribution d = Expect(DistributionOf({{"100", "10", "20", "12"}, "95", ""}));
  EXPECT_EQ(LogMeanAt(d, 0), NaturalLog(100));
  EXPECT_EQ(LogDeviationAt(d, 0), 0);
  EXPECT_EQ(TextOfNumber(LogMeanAt(d, 12)), "4.68517018598809");
  EXPECT_EQ(TextOfNumber(LogDeviationAt(d, 12)), "0.2");
}

}  // namespace
}  // namespace cotalia
