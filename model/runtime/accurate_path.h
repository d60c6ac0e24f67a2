// SPDX-License-Identifier: GPL-3.0-or-later
// The accurate path of the exponential and the logarithm, in wide fixed-point
// (wide_fixed.h): e^x and ln x to a few hundred bits, for the rare inputs
// whose rounding the double-double step cannot decide, and for building the
// tables of the faster steps. Each template takes the number of limbs.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "model/runtime/double_double.h"
#include "model/runtime/wide_fixed.h"

namespace cotalia::accurate {

template <std::size_t L>
using Wide = wide::Fixed<L>;

// ln 2 = 2 atanh(1/3) = 2 sum 1/((2n+1) 3^(2n+1)), each term about 3.2 bits
// smaller than the last.
template <std::size_t L>
const Wide<L>& Ln2() {
  static const Wide<L> value = [] {
    Wide<L> power = Wide<L>::One().DividedBy(3);
    Wide<L> sum;
    for (std::uint32_t n = 0; !power.IsZero(); ++n) {
      sum = sum + power.DividedBy(2 * n + 1);
      power = power.DividedBy(9);
    }
    return sum + sum;
  }();
  return value;
}

// e^r for |r| < 0.75: the Taylor series of r / 2^12, squared twelve times.
// Each term is at least 2^13 times smaller than the one before. Error: under
// 2^6 truncations of one unit before the squarings, which double the relative
// error each time: below 2^-(kFractionBits - 20) in all.
inline constexpr int kHalvings = 12;

template <std::size_t L>
Wide<L> ExpOfSmall(const Wide<L>& r) {
  const Wide<L> reduced = r.ShiftedRight(kHalvings);
  Wide<L> sum = Wide<L>::One();
  Wide<L> term = Wide<L>::One();
  for (std::uint32_t n = 1;; ++n) {
    term = (term * reduced).DividedBy(n);
    if (term.IsZero()) break;
    sum = sum + term;
  }
  for (int i = 0; i < kHalvings; ++i) sum = sum * sum;
  return sum;
}

// A result of the accurate arithmetic: value * 2^scale.
template <std::size_t L>
struct Scaled {
  Wide<L> value;
  int scale;
};

// e^x = 2^k e^(x - k ln 2). The error of x - k ln 2 is at most |k| < 2^11
// units of ln 2's last place; with ExpOfSmall's, under 2^-(kFractionBits - 22).
template <std::size_t L>
Scaled<L> WideExp(double x) {
  const auto k = static_cast<std::int64_t>(std::nearbyint(x * 1.4426950408889634));
  return {ExpOfSmall(Wide<L>::FromDouble(x) - Ln2<L>().Times(k)), static_cast<int>(k)};
}

// A seed for Newton's iteration, good to about 2^-40 for m in [0.7, 1.5]:
// ln m = 2 atanh(z), z = (m - 1)/(m + 1), |z| < 0.2.
inline double RoughLog(double m) {
  const double z = (m - 1) / (m + 1);
  const double z2 = z * z;
  double sum = 0;
  double power = z;
  for (int n = 1; n < 40; n += 2) {
    sum += power / n;
    power *= z2;
  }
  return 2 * sum;
}

// ln x = e ln 2 + ln m with m in [sqrt(1/2), sqrt(2)). ln m is the root y of
// m e^-y - 1 = 0, found by Newton's iteration y += m e^-y - 1, which squares
// the error at each step; it stops once the step is below 2^-(F/2 + 8), where
// what is left is below 2^-(F + 15). With ExpOfSmall's error and e < 2^11
// units of ln 2's last place, under 2^-(kFractionBits - 22).
template <std::size_t L>
Wide<L> LogOfReduced(double m) {
  const Wide<L> mantissa = Wide<L>::FromDouble(m);
  Wide<L> y = Wide<L>::FromDouble(RoughLog(m));
  const int stopAt = Wide<L>::kFractionBits / 2 + 8;
  for (int step = 0; step < 64; ++step) {
    const Wide<L> correction = mantissa * ExpOfSmall(-y) - Wide<L>::One();
    y = y + correction;
    const int top = correction.Magnitude().TopBit();
    if (top < 0 || top < Wide<L>::kFractionBits - stopAt) break;
  }
  return y;
}

struct Reduced {
  int exponent;
  double mantissa;  // in [sqrt(1/2), sqrt(2))
};

inline Reduced ReduceForLog(double x) {
  int exponent = 0;
  double mantissa = std::frexp(x, &exponent);  // [0.5, 1)
  if (mantissa < 0.70710678118654752) {
    mantissa *= 2;
    --exponent;
  }
  return {exponent, mantissa};
}

template <std::size_t L>
Scaled<L> WideLog(double x) {
  const Reduced reduced = ReduceForLog(x);
  return {Ln2<L>().Times(reduced.exponent) + LogOfReduced<L>(reduced.mantissa), 0};
}

// The tables of the faster steps hold 256 bits of fraction before they are
// cut to doubles.
using Table = Wide<5>;

// The value as hi + lo, each the nearest double.
inline dd::DoubleDouble DoubleDoubleOf(const Table& value) {
  const double hi = wide::NearestDouble(value);
  return {hi, wide::NearestDouble(value - Table::FromDouble(hi))};
}

// The positive value cut to its leading `bits` significant bits.
inline double Truncated(Table value, int bits) {
  const int lowest = value.TopBit() - bits + 1;
  for (int position = 0; position < lowest; ++position) {
    value.limbs[static_cast<std::size_t>(position / 64)] &= ~(wide::Limb{1} << (position % 64));
  }
  return wide::NearestDouble(value);
}

}  // namespace cotalia::accurate
