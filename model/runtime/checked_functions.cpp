// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/runtime/checked_functions.h"

#include <cmath>

#include "model/runtime/elementary_functions.h"
#include "model/runtime/run_time_error.h"

namespace cotalia {

double NaturalLog(double x) {
  if (!(x > 0)) throw RunTimeError(kInvalidCall);
  return CorrectlyRoundedLog(x);
}

double Exponential(double x) {
  const double result = CorrectlyRoundedExp(x);
  if (!std::isfinite(result)) throw RunTimeError(kOverflow);
  return result;
}

double Power(double base, double exponent) {
  if (exponent == 2) {
    const double square = base * base;
    if (!std::isfinite(square)) throw RunTimeError(kOverflow);
    return square;
  }
  if (exponent == 0.5) {
    if (base < 0 || std::isnan(base)) throw RunTimeError(kInvalidCall);
    return std::sqrt(base);
  }
  throw RunTimeError(kInvalidCall);
}

}  // namespace cotalia
