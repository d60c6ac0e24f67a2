// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/runtime/float_status.h"

#include <cfenv>
#include <cmath>

#include "model/runtime/run_time_error.h"

namespace cotalia {

// Only the three flags that a check reports need clearing, and they are seldom
// set: testing them is much cheaper than clearing the whole environment.
void ClearFloat() {
  constexpr int kReported = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
  if (std::fetestexcept(kReported) != 0) std::feclearexcept(kReported);
}

void CheckFloat(std::initializer_list<double> guarded) {
  const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
  if ((raised & FE_DIVBYZERO) != 0) throw RunTimeError(kDivisionByZero);
  if (raised != 0) throw RunTimeError(kOverflow);
  CheckFinite(guarded);
}

void CheckFinite(std::initializer_list<double> guarded) {
  for (const double value : guarded) {
    if (!std::isfinite(value)) throw RunTimeError(kOverflow);
  }
}

}  // namespace cotalia
