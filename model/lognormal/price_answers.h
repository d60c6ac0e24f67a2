// SPDX-License-Identifier: GPL-3.0-or-later
// What the distribution window answers about a distribution beyond its band
// and its target: the probability of ending inside a range, of touching a
// price on the way, the percentiles, and the density its chart draws. Each
// reads the log price's mean and deviation as the horizon holds them (the
// 15-digit figures the band is computed from), so that every answer is about
// the distribution the window draws.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <vector>

#include "model/lognormal/price_distribution.h"

namespace cotalia {

// The probability that the price at the horizon ends strictly between the
// ends; a missing end is no bound on its side. A small probability keeps its
// digits: it is a difference of the tails on the side where they are small.
// With no spread the price is certain, e^mean: 1 inside, 0 outside, and at an
// end as ProbabilitiesOf has it at its target, half (the limit of a spread
// shrinking to nothing), so that ends together at the certain price give 0.
// The ends must be positive; lower <= upper (0 otherwise).
double BetweenProbability(const PriceDistribution& distribution, std::optional<double> lower,
                          std::optional<double> upper);
double BetweenProbability(const PriceDistribution& distribution, const PriceRange& range);

// The probability that the price reaches the target K > 0 at some time up to
// the horizon, the log price a Brownian motion with the horizon's drift and
// spread: 1 at K = S, never below ProbabilitiesOf's probability of ending
// beyond K, in [0, 1] for any finite inputs. With no spread the path is
// certain, a straight line of the log price from ln S to the mean, and it
// touches K when ln K lies on it, ends included.
double TouchProbability(const PriceDistribution& distribution, double target);

// The price below which the price at the horizon ends with the probability
// `percent`, e^(mean + deviation Phi^-1(percent/100)), computed as the band's
// ends are: the 50 % row is the median and the others the ends of the band
// at the level between them (5 and 95 % the band at 90 %), bit for bit (with
// a negative volatility, whose band has its ends swapped, the rows ascend
// still). A row beyond the largest double is +infinity, one below the
// smallest 0.
struct Percentile {
  double percent;
  double price;
};
inline constexpr std::array<double, 9> kPercents{1, 5, 10, 25, 50, 75, 90, 95, 99};
std::array<Percentile, 9> PercentilesOf(const PriceDistribution& distribution);

// The density of the price at the horizon, phi((ln x - mean)/deviation) /
// (x deviation): 0 for x <= 0. With no spread the price is certain and has
// no density: 0 everywhere, the chart marks ModeOf instead. Where the true
// density exceeds the largest double (a deviation and a price both near the
// smallest doubles) +infinity.
double DensityAt(const PriceDistribution& distribution, double price);

// The most likely price, e^(mean - deviation^2), where the density peaks; the
// certain price with no spread.
double ModeOf(const PriceDistribution& distribution);

// The density curve the chart samples on every redraw: the density at each
// of `prices`, in order (some hundreds take well under a millisecond).
std::vector<double> DensitiesAt(const PriceDistribution& distribution, std::span<const double> prices);

}  // namespace cotalia
