// SPDX-License-Identifier: GPL-3.0-or-later
// The chi-square distribution's quantiles, for the estimate's interval of
// the volatility, by the regularized incomplete gamma function.
#pragma once

namespace cotalia {

// The x below which a chi-square variable with k degrees of freedom lies with
// probability p, 0 < p < 1, k > 0: 0 for p <= 0, +infinity for p >= 1, NaN
// for a NaN and for k not positive and finite. Within 2^-46 of x, relative,
// for k >= 1, and 2^-46 / k below (where x grows as p^(2/k), so that its
// sensitivity to the evaluation grows as 1/k); measured against MPFR at
// p = 0.025 and 0.975 for every k to 200 and k growing by 5 % to 10^7
// (worst 5.0e-15), and at levels from 1e-12 to 1 - 1e-12.
double ChiSquareQuantile(double p, double degreesOfFreedom);

}  // namespace cotalia
