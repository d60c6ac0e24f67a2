// SPDX-License-Identifier: GPL-3.0-or-later
#include "price_distribution.h"

#include <cmath>
#include <initializer_list>

#include "elementary_functions.h"
#include "normal_distribution.h"
#include "numeric_runtime.h"

namespace cotalia {

namespace {

bool AllFinite(std::initializer_list<double> values) {
  for (const double value : values) {
    if (!std::isfinite(value)) return false;
  }
  return true;
}

}  // namespace

// Each expression is written in the order of the button that computes it.
// A reader's or a function's RunTimeError is caught here, the distribution
// window's one edge, and becomes a problem with the input it came from: the
// window shows it and goes on, where the form's error report would end the
// program.
std::variant<PriceDistribution, InputProblem> DistributionOf(const DistributionRequest& request) {
  using Kind = InputProblem::Kind;
  DistributionInput reading = DistributionInput::Rate;
  bool computing = false;
  std::optional<PriceDistribution> drawn;  // once only the target is left to read
  try {
    const double ratePercent = NumberFromText(request.inputs.rate);
    reading = DistributionInput::Volatility;
    const double volatilityPercent = NumberFromText(request.inputs.volatility);
    reading = DistributionInput::Months;
    const double months = ValueOfText(request.inputs.months);
    reading = DistributionInput::Price;
    const double price = ValueOfText(request.inputs.price);
    if (!(price > 0)) return InputProblem{Kind::NotPositive, DistributionInput::Price};
    if (months < 0) return InputProblem{Kind::Negative, DistributionInput::Months};
    reading = DistributionInput::Level;
    const std::optional<double> z = ZOfLevel(NumberFromText(request.level));
    if (!z) return InputProblem{Kind::OutsideLevels, DistributionInput::Level};

    computing = true;
    // "Media Dn": both rates kept to the digits a field shows.
    const double rate = RoundThroughDisplay(ratePercent / 100);
    const double volatility = RoundThroughDisplay(volatilityPercent / 100);
    const double logPrice = NaturalLog(price);
    const double variance = Power(volatility, 2);
    const double logMean = ((rate - variance / 2) * months) / 12 + logPrice;
    // "Vol Dn": the volatility as typed.
    const double years = months / 12;
    const double logDeviation = (volatilityPercent / 100) * Power(years, 0.5);
    // "Precio Esperado".
    const double expected = price * Exponential(((ratePercent / 100) * months) / 12);
    // "Volatilidad Esperada".
    const double growth = Exponential((((ratePercent + ratePercent) / 100) * months) / 12);
    const double spread = Exponential((Power(volatility, 2) * months) / 12);
    const double priceVariance = Power(price, 2) * ((spread - 1) * growth);
    if (!AllFinite({logMean, logDeviation, expected, priceVariance})) {
      return InputProblem{Kind::ResultBeyondRange, DistributionInput::Rate};
    }
    // As "Precio Minimo" reads "Media Dn" and "Volatilidad Dn" back.
    PriceDistribution distribution{price,
                                   ratePercent,
                                   volatilityPercent,
                                   months,
                                   RoundThroughDisplay(logMean),
                                   RoundThroughDisplay(logDeviation),
                                   expected,
                                   Power(priceVariance, 0.5),
                                   *z,
                                   std::nullopt,
                                   std::nullopt};
    if (!BandLower(distribution, *z) || !BandUpper(distribution, *z)) {
      return InputProblem{Kind::ResultBeyondRange, DistributionInput::Rate};
    }

    computing = false;
    reading = DistributionInput::Target;
    drawn = distribution;
    if (request.target.find_first_not_of(" \t") != std::string_view::npos) {
      const double target = ValueOfText(request.target);
      if (target > 0) {
        distribution.target = target;
      } else {
        distribution.targetProblem = InputProblem{Kind::NotPositive, DistributionInput::Target};
      }
    }
    return distribution;
  } catch (const RunTimeError& error) {
    if (drawn) {
      drawn->targetProblem = InputProblem{Kind::BeyondRange, DistributionInput::Target};
      return *drawn;
    }
    if (computing) return InputProblem{Kind::ResultBeyondRange, DistributionInput::Rate};
    if (error.code() == kTypeMismatch) return InputProblem{Kind::NotANumber, reading};
    return InputProblem{Kind::BeyondRange, reading};
  }
}

namespace {

std::optional<double> BandEnd(const PriceDistribution& distribution, double z, bool upper) {
  const double halfWidth = distribution.logDeviation * z;
  const double exponent = upper ? distribution.logMean + halfWidth : distribution.logMean - halfWidth;
  const double end = CorrectlyRoundedExp(exponent);
  if (!std::isfinite(end)) return std::nullopt;
  return end;
}

}  // namespace

std::optional<double> BandLower(const PriceDistribution& distribution, double z) {
  return BandEnd(distribution, z, false);
}

std::optional<double> BandUpper(const PriceDistribution& distribution, double z) {
  return BandEnd(distribution, z, true);
}

double LogMeanAt(const PriceDistribution& d, double months) {
  const double rate = d.ratePercent / 100;
  const double volatility = d.volatilityPercent / 100;
  return CorrectlyRoundedLog(d.price) + (rate - volatility * volatility / 2) * (months / 12);
}

double LogDeviationAt(const PriceDistribution& d, double months) {
  return (d.volatilityPercent / 100) * std::sqrt(months / 12);
}

std::optional<double> ZOfLevel(double levelPercent) {
  if (!(levelPercent >= kLowestLevel && levelPercent <= kHighestLevel)) return std::nullopt;
  if (levelPercent == 95) return 1.96;
  // Phi^-1((1 + level)/2) = -Phi^-1((1 - level)/2); 1 - level is exact for a
  // level of at least one half.
  const double level = levelPercent / 100;
  return -NormalQuantile((1 - level) / 2);
}

TargetProbabilities ProbabilitiesOf(const PriceDistribution& d, double target) {
  const double logTarget = CorrectlyRoundedLog(target);
  if (d.logDeviation == 0) {
    if (d.logMean > logTarget) return {1, 0};
    if (d.logMean < logTarget) return {0, 1};
    return {0.5, 0.5};
  }
  return {NormalCdf((d.logMean - logTarget) / d.logDeviation),
          NormalCdf((logTarget - d.logMean) / d.logDeviation)};
}

}  // namespace cotalia
