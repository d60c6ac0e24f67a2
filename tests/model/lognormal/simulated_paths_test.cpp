// SPDX-License-Identifier: GPL-3.0-or-later
// The touch probability's formula against simulated paths of the price: a
// check of its signs, the drift's and the reflected term's, and of the mirror
// for a target below the price. Millions of paths: run on the build machine
// only, with the checks against MPFR, since an emulated processor takes
// tens of seconds over it; the digests show that the formula gives the same
// digits there.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>
#include <variant>

#include "model/lognormal/price_answers.h"
#include "model/lognormal/price_distribution.h"
#include "model/runtime/elementary_functions.h"

namespace cotalia {
namespace {

PriceDistribution Expect(const std::variant<PriceDistribution, InputProblem>& result) {
  if (const auto* distribution = std::get_if<PriceDistribution>(&result)) return *distribution;
  ADD_FAILURE() << "a problem with input " << static_cast<int>(std::get<InputProblem>(result).input);
  return {};
}

// splitmix64: a generator of our own, so that the paths are the same
// wherever the test runs (std::normal_distribution's are not).
class Generator {
 public:
  explicit Generator(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  // In (-1, 1), from 53 bits.
  double Symmetric() { return std::ldexp(static_cast<double>(Next() >> 11), -52) - 1; }
  // Two independent standard normal draws by Marsaglia's polar method, with
  // the model's own logarithm so that every platform draws the same.
  std::pair<double, double> Normals() {
    for (;;) {
      const double u = Symmetric();
      const double v = Symmetric();
      const double s = u * u + v * v;
      if (s == 0 || s >= 1) continue;
      const double factor = std::sqrt(-2 * CorrectlyRoundedLog(s) / s);
      return {u * factor, v * factor};
    }
  }

 private:
  std::uint64_t state_;
};

// The log price's path in `steps` steps of a Brownian motion with the
// horizon's drift and spread. Between two points x and y on the near side of
// the level c, a Brownian bridge crosses it with probability e^(-2 (c - x)
// (c - y) / step variance) whatever the drift, so each path contributes the
// probability that it touches given its points (conditional Monte Carlo):
// no bias from the steps, and less variance than counting crossings. The
// path's end is a control variate: whether it ends beyond the target, whose
// probability Phi gives.
//
// Why not plainly fine steps: a path looked at only at its steps misses the
// crossings between them, which moves the level by about 0.58 sigma
// sqrt(step) (Broadie and Glasserman), so three digits would take some 10^6
// steps a path. The bridge's crossing probability is a property of Brownian
// motion pinned at both ends, with no drift in it; what it does not share
// with the formula is what this test is for: how the drift and the reflected
// term combine, and the mirror below the price.
struct Estimate {
  double mean;
  double standardError;
};
Estimate SimulatedTouch(const PriceDistribution& d, double target, int paths, int steps, std::uint64_t seed) {
  Generator generator(seed);
  const double start = CorrectlyRoundedLog(d.inputs.price);
  const double sign = target > d.inputs.price ? 1 : -1;
  // Mirrored so that the level is above the start.
  const double level = sign * (CorrectlyRoundedLog(target) - start);
  const double drift = sign * (d.horizon.logPrice.mean - start) / steps;
  const double variance = d.horizon.logPrice.deviation * d.horizon.logPrice.deviation / steps;
  const double deviation = std::sqrt(variance);
  const TargetProbabilities ending = ProbabilitiesOf(d, target);
  const double beyond = sign > 0 ? ending.above : ending.below;
  double sum = 0;
  double squares = 0;
  for (int path = 0; path < paths; ++path) {
    double x = 0;
    double survival = 1;
    for (int step = 0; step < steps; step += 2) {
      const auto [z1, z2] = generator.Normals();
      for (const double z : {z1, z2}) {
        const double y = x + drift + deviation * z;
        if (y < level) survival *= 1 - CorrectlyRoundedExp(-2 * (level - x) * (level - y) / variance);
        if (y >= level) survival = 0;
        x = y;
      }
    }
    // Less the path's ending beyond the target, whose probability is known,
    // which halves the variance.
    const double touched = 1 - survival - ((x >= level ? 1 : 0) - beyond);
    sum += touched;
    squares += touched * touched;
  }
  const double mean = sum / paths;
  return {mean, std::sqrt((squares / paths - mean * mean) / (paths - 1))};
}

// The formula's signs (the drift's and the exponential's, and the mirror for
// a target below) against simulated paths: one target above the price and
// one below, each where the drift matters (the worked example's return and
// one falling faster than the volatility's half-square).
TEST(TouchProbability, AgreesWithSimulatedPaths) {
  const struct {
    const char* rate;
    double target;
  } cases[] = {{"10", 130}, {"-25", 85}};
  for (const auto& c : cases) {
    const PriceDistribution d = Expect(DistributionOf({{"100", c.rate, "20", "12"}, "95", ""}));
    const double formula = TouchProbability(d, c.target);
    const Estimate simulated = SimulatedTouch(d, c.target, 1800000, 4, 20261209);
    // Three significant digits: four standard errors within a unit of the
    // third.
    EXPECT_LT(4 * simulated.standardError, 1e-3) << c.target;
    EXPECT_NEAR(formula, simulated.mean, 4 * simulated.standardError) << c.rate << " " << c.target;
    // A formula without the reflected term, or with it the wrong way, is
    // far outside.
    const double beyond =
        c.target > 100 ? ProbabilitiesOf(d, c.target).above : ProbabilitiesOf(d, c.target).below;
    EXPECT_GT(simulated.mean - beyond, 40 * simulated.standardError) << c.target;
  }
}

}  // namespace
}  // namespace cotalia
