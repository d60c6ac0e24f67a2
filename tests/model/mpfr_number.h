// SPDX-License-Identifier: GPL-3.0-or-later
// An MPFR number of `Bits` bits that frees itself, for the tests that check
// the model against MPFR.
#pragma once

#include <mpfr.h>

namespace cotalia {

template <mpfr_prec_t Bits>
class MpfrNumber {
 public:
  MpfrNumber() { mpfr_init2(value_, Bits); }
  explicit MpfrNumber(double x) : MpfrNumber() { mpfr_set_d(value_, x, MPFR_RNDN); }
  ~MpfrNumber() { mpfr_clear(value_); }
  MpfrNumber(const MpfrNumber&) = delete;
  MpfrNumber& operator=(const MpfrNumber&) = delete;
  mpfr_ptr get() { return value_; }
  mpfr_srcptr get() const { return value_; }
  double ToDouble() const { return mpfr_get_d(value_, MPFR_RNDN); }

 private:
  mpfr_t value_;
};

}  // namespace cotalia
