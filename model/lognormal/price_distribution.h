// SPDX-License-Identifier: GPL-3.0-or-later
// The distribution of the price over the horizon, from the form's four
// inputs: what the distribution window shows. Its figures at the horizon are
// the form's own quantities (lognormal.h), so that at the 95 % level they
// give the digits of the form's buttons, and its curves are the same
// quantities at every month, so that they end at those figures. It reads
// texts and never a field, and it reports a bad input as a problem that
// names the input, not as an error.
#pragma once

#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "model/lognormal/lognormal.h"

namespace cotalia {

// The texts of Text1 to Text4 as the form holds them.
struct DistributionTexts {
  std::string_view price;
  std::string_view rate;
  std::string_view volatility;
  std::string_view months;
};

// The form's four texts and the distribution window's own four.
struct DistributionRequest {
  DistributionTexts inputs;
  std::string_view level;    // the confidence level in percent
  std::string_view target;   // a target price; blank for none
  std::string_view lower{};  // the range's ends, each blank for none
  std::string_view upper{};
};

enum class DistributionInput { Price, Rate, Volatility, Months, Level, Target, Lower, Upper };

// What keeps a figure from being shown, and the input it lies in.
struct InputProblem {
  enum class Kind {
    NotANumber,
    BeyondRange,
    NotPositive,
    Negative,
    OutsideLevels,
    ResultBeyondRange,
    BelowLower,  // the range's upper price below its lower one; names the upper's box
  };
  Kind kind;
  // For ResultBeyondRange, the current price where it is too large for any
  // growth, else the return, the first input of the calculation.
  DistributionInput input;
};

// The target's box: blank, a price, or a text that is not one.
struct NoTarget {};
using TargetReading = std::variant<NoTarget, double, InputProblem>;

// The range's two boxes as one range: at least one end, each a positive
// finite price, the lower not above the upper. Only Of builds one, so a range
// that is read is one that can be asked about. Equal ends are a range of no
// width, whose probability is 0.
class PriceRange {
 public:
  static std::optional<PriceRange> Of(std::optional<double> lower, std::optional<double> upper);
  std::optional<double> lower() const { return lower_; }
  std::optional<double> upper() const { return upper_; }

 private:
  PriceRange(std::optional<double> lower, std::optional<double> upper) : lower_(lower), upper_(upper) {}
  std::optional<double> lower_;
  std::optional<double> upper_;
};

// Both boxes blank, a range, or the first problem with them (the lower's box
// before the upper's, then their order).
struct NoRange {};
using RangeReading = std::variant<NoRange, PriceRange, InputProblem>;

struct PriceDistribution {
  LognormalInputs inputs;
  double level;  // the confidence level, percent
  double z;      // of that level
  // At the horizon, with the band z wide: at 95 % the six buttons' digits.
  PricePoint horizon;
  TargetReading target;
  RangeReading range;
};

// Reads the form's four texts as "Media Dn" reads them (the return and the
// volatility strictly, the horizon and the price leniently, in that order),
// then the level strictly and the target and the range's ends leniently, and
// computes the figures at the horizon. Each input is checked as it is read,
// so the problem given is that of the first input, in that order, that cannot
// be used. A problem with the target or the range leaves the rest to be drawn.
std::variant<PriceDistribution, InputProblem> DistributionOf(const DistributionRequest& request);

// The quantities from now to the horizon at `samples` + 1 evenly spaced
// months, the last of them the horizon itself, so that the curves end at the
// figures bit for bit; one point where the horizon is 0. None where a point
// before the horizon leaves the double range; where the horizon's figures
// are finite none does (where the band's upper end peaks before the horizon,
// the peak is below the expected price at the horizon or below S e^(z^2),
// and S^2 is finite), so this is a guard.
struct PricePath {
  std::vector<double> months;
  std::vector<PricePoint> points;
};
std::optional<PricePath> PathOf(const PriceDistribution& distribution, int samples);

// The confidence levels the window takes, in percent, and the z of each:
// 1.96 at 95, the form's own band; Phi^-1((1 + level)/2) elsewhere. None
// outside [50, 99.9999].
inline constexpr double kLowestLevel = 50;
inline constexpr double kHighestLevel = 99.9999;
constexpr bool IsLevel(double percent) { return percent >= kLowestLevel && percent <= kHighestLevel; }
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
