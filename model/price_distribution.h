// SPDX-License-Identifier: GPL-3.0-or-later
// The distribution of the price over the horizon, from the form's four
// inputs: what the distribution window shows. Its figures at the horizon take
// the very steps of the form's buttons, so that at the 95 % level they give
// the same digits: the band reads the log mean and deviation back as the
// fields "Media Dn" and "Volatilidad Dn" show them. It reads texts and never
// a field, and it reports a bad input as a problem, not as an error.
#pragma once

#include <optional>
#include <string_view>
#include <variant>

#include "simulator_actions.h"

namespace cotalia {

// The texts of Text1 to Text4 as the form holds them.
struct DistributionTexts {
  std::string_view price;
  std::string_view rate;
  std::string_view volatility;
  std::string_view months;
};

// The form's four texts and the distribution window's own two.
struct DistributionRequest {
  DistributionTexts inputs;
  std::string_view level;   // the confidence level in percent
  std::string_view target;  // a target price; blank for none
};

enum class DistributionInput { Price, Rate, Volatility, Months, Level, Target };

// What keeps a figure from being shown, and the input it lies in.
struct InputProblem {
  enum class Kind { NotANumber, BeyondRange, NotPositive, Negative, OutsideLevels, ResultBeyondRange };
  Kind kind;
  DistributionInput input;  // for ResultBeyondRange, the return, the first input of the calculation
};

struct PriceDistribution {
  double price;              // S
  double ratePercent;        // r, percent a year
  double volatilityPercent;  // v, percent a year
  double months;             // t
  // At the horizon, as the buttons write them: "Media Dn" and "Volatilidad
  // Dn" (as the fields show them, to 15 digits), "Precio Esperado" and
  // "Variacion esperada".
  double logMean;
  double logDeviation;
  double expected;
  double deviation;
  double z;                                   // of the confidence level
  std::optional<double> target;               // where one is given and is a price
  std::optional<InputProblem> targetProblem;  // where one is given and is not
};

// Reads the form's four texts as "Media Dn" reads them (the return and the
// volatility strictly, the horizon and the price leniently, in that order),
// then the level strictly and the target leniently, and computes the figures
// at the horizon. A problem with the target leaves the rest to be drawn.
std::variant<PriceDistribution, InputProblem> DistributionOf(const DistributionRequest& request);

// The band's ends at the horizon, e^(mean -+ z deviation), as "Precio Minimo"
// and "Precio Maximo" compute them with z = 1.96; none beyond the double range.
std::optional<double> BandLower(const PriceDistribution& distribution, double z);
std::optional<double> BandUpper(const PriceDistribution& distribution, double z);

// The mean and the standard deviation of the log price after `months`, from
// 0 to the horizon: ln S + (r - v^2/2) months/12 and v sqrt(months/12).
double LogMeanAt(const PriceDistribution& distribution, double months);
double LogDeviationAt(const PriceDistribution& distribution, double months);

// The confidence levels the window takes, in percent, and the z of each:
// 1.96 at 95, the form's own band; Phi^-1((1 + level)/2) elsewhere. None
// outside [50, 99.9999].
inline constexpr double kLowestLevel = 50;
inline constexpr double kHighestLevel = 99.9999;
std::optional<double> ZOfLevel(double levelPercent);

// The probabilities that the price at the horizon ends above and below the
// target K > 0: Phi((mean - ln K)/deviation) and Phi((ln K - mean)/deviation),
// each computed on its own so that a small one keeps its digits. With no
// spread (v = 0 or t = 0) the price is certain: 1 and 0, or 1/2 each at K
// itself.
struct TargetProbabilities {
  double above;
  double below;
};
TargetProbabilities ProbabilitiesOf(const PriceDistribution& distribution, double target);

}  // namespace cotalia
