// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/lognormal/price_distribution.h"

#include <array>
#include <cmath>
#include <limits>

#include "model/lognormal/normal_distribution.h"
#include "model/numeric_runtime.h"
#include "model/runtime/elementary_functions.h"

namespace cotalia {

namespace {

using Kind = InputProblem::Kind;
using Reader = double (*)(std::string_view);

constexpr double kLargestDouble = std::numeric_limits<double>::max();

// One input's text, the reader that reads it, and what its value must be.
struct Reading {
  DistributionInput input;
  std::string_view text;
  Reader reader;
  bool (*acceptable)(double);
  Kind otherwise;
};

bool AnyNumber(double) { return true; }
bool Positive(double value) { return value > 0; }
bool NotNegative(double value) { return value >= 0; }

// The reader's value, or the problem that names the input: a reader fails
// with a RunTimeError, which the window shows as a message and goes on,
// where the form's error report would end the program.
std::variant<double, InputProblem> Read(const Reading& reading) {
  double value = 0;
  try {
    value = reading.reader(reading.text);
  } catch (const RunTimeError& error) {
    return InputProblem{error.code() == kTypeMismatch ? Kind::NotANumber : Kind::BeyondRange, reading.input};
  }
  if (!reading.acceptable(value)) return InputProblem{reading.otherwise, reading.input};
  return value;
}

// The quantities after `months`, or none where one leaves the double range.
std::optional<PricePoint> PointAfter(const LognormalInputs& inputs, double months, double z) {
  try {
    return PricePointAfter(inputs, months, z, CheckFinite);
  } catch (const RunTimeError&) {
    return std::nullopt;
  }
}

bool IsBlank(std::string_view text) { return text.find_first_not_of(" \t") == std::string_view::npos; }

// A price box read as the target is: leniently, a blank one being none.
TargetReading ReadPrice(DistributionInput input, std::string_view text) {
  if (IsBlank(text)) return NoTarget{};
  const std::variant<double, InputProblem> read =
      Read({input, text, ValueOfText, Positive, Kind::NotPositive});
  if (const auto* problem = std::get_if<InputProblem>(&read)) return *problem;
  return std::get<double>(read);
}

std::optional<double> PriceOf(const TargetReading& reading) {
  if (const auto* price = std::get_if<double>(&reading)) return *price;
  return std::nullopt;
}

RangeReading ReadRange(std::string_view lowerText, std::string_view upperText) {
  const TargetReading lower = ReadPrice(DistributionInput::Lower, lowerText);
  const TargetReading upper = ReadPrice(DistributionInput::Upper, upperText);
  for (const TargetReading* end : {&lower, &upper}) {
    if (const auto* problem = std::get_if<InputProblem>(end)) return *problem;
  }
  if (std::holds_alternative<NoTarget>(lower) && std::holds_alternative<NoTarget>(upper)) return NoRange{};
  const std::optional<PriceRange> range = PriceRange::Of(PriceOf(lower), PriceOf(upper));
  if (!range) return InputProblem{Kind::BelowLower, DistributionInput::Upper};
  return *range;
}

}  // namespace

std::optional<PriceRange> PriceRange::Of(std::optional<double> lower, std::optional<double> upper) {
  // The reader gives finite prices only (ValueOfText fails beyond the range),
  // so positive and finite are checked for callers other than the reader.
  const auto price = [](std::optional<double> end) { return !end || (*end > 0 && *end <= kLargestDouble); };
  if (!lower && !upper) return std::nullopt;
  if (!price(lower) || !price(upper)) return std::nullopt;
  if (lower && upper && *lower > *upper) return std::nullopt;
  return PriceRange(lower, upper);
}

std::variant<PriceDistribution, InputProblem> DistributionOf(const DistributionRequest& request) {
  using Input = DistributionInput;
  const std::array<Reading, 5> readings{{
      {Input::Rate, request.inputs.rate, NumberFromText, AnyNumber, Kind::NotANumber},
      {Input::Volatility, request.inputs.volatility, NumberFromText, AnyNumber, Kind::NotANumber},
      {Input::Months, request.inputs.months, ValueOfText, NotNegative, Kind::Negative},
      {Input::Price, request.inputs.price, ValueOfText, Positive, Kind::NotPositive},
      {Input::Level, request.level, NumberFromText, IsLevel, Kind::OutsideLevels},
  }};
  std::array<double, readings.size()> values{};
  for (std::size_t i = 0; i < readings.size(); ++i) {
    const std::variant<double, InputProblem> read = Read(readings[i]);
    if (const auto* problem = std::get_if<InputProblem>(&read)) return *problem;
    values[i] = std::get<double>(read);
  }
  const auto [ratePercent, volatilityPercent, months, price, level] = values;
  const LognormalInputs inputs{price, ratePercent, volatilityPercent, months};
  const double z = *ZOfLevel(level);
  const std::optional<PricePoint> horizon = PointAfter(inputs, months, z);
  if (!horizon) {
    // The current price is to blame where a price of 1 would have given a
    // result; else the growth that the other three make.
    const bool fromPrice = PointAfter({1, ratePercent, volatilityPercent, months}, months, z).has_value();
    return InputProblem{Kind::ResultBeyondRange, fromPrice ? Input::Price : Input::Rate};
  }

  return PriceDistribution{inputs,
                           level,
                           z,
                           *horizon,
                           ReadPrice(Input::Target, request.target),
                           ReadRange(request.lower, request.upper)};
}

std::optional<PricePath> PathOf(const PriceDistribution& distribution, int samples) {
  const double horizon = distribution.inputs.months;
  if (!(horizon > 0)) samples = 0;
  PricePath path;
  for (int i = 0; i <= samples; ++i) {
    // i/samples is exactly 1 at the last point: the horizon itself.
    const double months = samples == 0 ? horizon : horizon * (static_cast<double>(i) / samples);
    const std::optional<PricePoint> point = PointAfter(distribution.inputs, months, distribution.z);
    if (!point) return std::nullopt;
    path.months.push_back(months);
    path.points.push_back(*point);
  }
  return path;
}

std::optional<double> ZOfLevel(double levelPercent) {
  if (!IsLevel(levelPercent)) return std::nullopt;
  if (levelPercent == 95) return kFormBandZ;
  // Phi^-1((1 + level)/2) = -Phi^-1((1 - level)/2); 1 - level is exact for a
  // level of at least one half.
  const double level = levelPercent / 100;
  return -NormalQuantile((1 - level) / 2);
}

TargetProbabilities ProbabilitiesOf(const PriceDistribution& d, double target) {
  const double logTarget = CorrectlyRoundedLog(target);
  const LogPrice& logPrice = d.horizon.logPrice;
  if (logPrice.deviation == 0) {
    if (logPrice.mean > logTarget) return {1, 0};
    if (logPrice.mean < logTarget) return {0, 1};
    return {0.5, 0.5};
  }
  // A negative volatility, taken as typed, spreads the price as its size
  // does: only the band's ends swap.
  const double spread = std::fabs(logPrice.deviation);
  return {NormalCdf((logPrice.mean - logTarget) / spread), NormalCdf((logTarget - logPrice.mean) / spread)};
}

}  // namespace cotalia
