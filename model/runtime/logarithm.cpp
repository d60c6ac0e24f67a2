// SPDX-License-Identifier: GPL-3.0-or-later
// The correctly rounded natural logarithm: the special values, then the first
// step in plain double arithmetic, then the double-double step, then the
// accurate path, each step answering only where Ziv's test proves its
// rounding.
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "model/runtime/accurate_path.h"
#include "model/runtime/double_double.h"
#include "model/runtime/elementary_functions.h"

namespace cotalia {

namespace {

using dd::DoubleDouble;

// Ziv's bounds: at least twice each step's proven error; the derivations
// stand beside the statements they bound.
constexpr double kFirstStepNearOneBound = 0x1p-58;  // relative to |v|: error below 2^-59.9
constexpr double kFirstStepBound = 0x1p-64;         // absolute: error below 2^-65.6
constexpr double kDoubleDoubleStepBound = 0x1p-66;  // relative: error below 2^-68

constexpr int kTableBits = 7;

// Near 1 / (1 + (i + 1/2)/128) for each leading seven bits i of a mantissa,
// cut to 20 significant bits so that its products with the 26- and 27-bit
// halves of a mantissa are exact, beside -ln of it; and ln 2 = ln2Hi + ln2Lo
// with ln2Hi of 42 significant bits, so that e ln2Hi is exact for |e| < 2^11.
struct LogTables {
  struct Reciprocal {
    double value;
    DoubleDouble minusLog;
  };
  std::array<Reciprocal, 1 << kTableBits> reciprocals;  // side by side: one look-up
  double ln2Hi;
  double ln2Lo;

  LogTables() {
    using accurate::Table;
    const Table& ln2 = accurate::Ln2<5>();
    ln2Hi = accurate::Truncated(ln2, 42);
    ln2Lo = wide::NearestDouble(ln2 - Table::FromDouble(ln2Hi));
    for (std::size_t i = 0; i < reciprocals.size(); ++i) {
      const double centre = 1 + (static_cast<double>(i) + 0.5) / static_cast<double>(reciprocals.size());
      const double reciprocal = accurate::Truncated(Table::FromDouble(1 / centre), 20);
      reciprocals[i] = {reciprocal, accurate::DoubleDoubleOf(-accurate::WideLog<5>(reciprocal).value)};
    }
  }
};

const LogTables& GetLogTables() {
  static const LogTables tables;
  return tables;
}

// ln x where no step need compute it: NaN and negative numbers (NaN), zero,
// infinity, and 1, whose logarithm is exactly +0.
std::optional<double> LogOfSpecialValue(double x) {
  if (std::isnan(x) || x < 0) return std::numeric_limits<double>::quiet_NaN();
  if (x == 0) return -std::numeric_limits<double>::infinity();
  if (std::isinf(x)) return x;
  if (x == 1) return 0.0;
  return std::nullopt;
}

// The reduction both steps share: ln x = e ln2 - ln c + ln(1 + u) with
// x = 2^e m, m in [1, 2), c the table's reciprocal for m's leading seven bits
// and u = m c - 1 exactly as hi + lo, |u| < 2^-8; for x within 2^-8 of 1,
// e = 0, c = 1 and u = x - 1. Then |ln x| >= ln(1 + 2^-8) > 2^-8.01 away from
// 1.
struct LogReduction {
  bool nearOne;
  int exponent;
  DoubleDouble u;
  DoubleDouble logReciprocal;  // -ln c
};

// x is positive and normal; a subnormal is first scaled up by 2^54, which
// `scale` makes up.
LogReduction ReduceByTable(double x, const LogTables& tables, int scale = 0) {
  // 1 - 2^-8 < x < 1 + 2^-8, from the bits: one comparison.
  constexpr std::uint64_t kBelowOne = 0x3FEF'E000'0000'0000u;  // 1 - 2^-8
  constexpr std::uint64_t kAboveOne = 0x3FF0'1000'0000'0000u;  // 1 + 2^-8
  const auto bits = std::bit_cast<std::uint64_t>(x);
  if (bits - (kBelowOne + 1) < kAboveOne - (kBelowOne + 1)) {
    return {true, 0, {x - 1, 0}, {0, 0}};  // exact: x is within a factor of 2 of 1
  }
  constexpr std::uint64_t kMantissaBits = (std::uint64_t{1} << 52) - 1;
  const int exponent = static_cast<int>(bits >> 52) - 1023 + scale;
  const std::uint64_t mantissaBits = bits & kMantissaBits;
  const double mantissa = std::bit_cast<double>(mantissaBits | (std::uint64_t{1023} << 52));  // [1, 2)
  const auto index = static_cast<std::size_t>(mantissaBits >> (52 - kTableBits));
  const LogTables::Reciprocal& entry = tables.reciprocals[index];
  const double reciprocal = entry.value;
  // mantissa = upper + lower with 26 and 27 significant bits: both products
  // with the 20-bit reciprocal are exact, and upper * reciprocal - 1 is
  // exact as upper * reciprocal lies within a factor of 2 of 1.
  const double upper =
      std::bit_cast<double>(std::bit_cast<std::uint64_t>(mantissa) & ~((std::uint64_t{1} << 27) - 1));
  const double lower = mantissa - upper;
  return {false, exponent, dd::TwoSum(upper * reciprocal - 1, lower * reciprocal), entry.minusLog};
}

// ln(1 + u) = v + u.lo + T(v), v = u.hi, T(v) = v^2 (-1/2 + v/3 - ... -
// v^6/8), in plain double arithmetic for a positive normal x, with
// |v| < 2^-8 and |u.lo| <= 2^-61.
std::optional<double> LogFirstStep(double x, const LogTables& tables) {
  const LogReduction reduced = ReduceByTable(x, tables);
  const double v = reduced.u.hi;
  // T(v) by Estrin's scheme: short chains of dependent operations. Truncation
  // after v^8/8 below |v|^9/9 < 2^-75.1, and below 2^-67.1 |v|. T, below
  // 2^-16.99 in size, takes two roundings of the bracket's size (its first
  // pair and its last sum; the rest act on terms below 2^-15.9 of it), one for
  // v^2 and one for the product: below 4.1 * 2^-53 |T|, which is below
  // 2^-67.9 absolute, and below 2^-52 v^2 < 2^-60 |v|.
  const double v2 = v * v;
  const double v4 = v2 * v2;
  const double tail = v2 * (((-0.5 + v * (1.0 / 3)) + v2 * (-1.0 / 4 + v * (1.0 / 5))) +
                            v4 * ((-1.0 / 6 + v * (1.0 / 7)) + v2 * (-1.0 / 8)));
  if (reduced.nearOne) {
    // e = 0, c = 1 and u.lo = 0, so that is all: v + T is at least
    // |v| (1 - 2^-9), and within 2^-59.9 |v| of ln x.
    return dd::RoundingDecided(v, tail, std::fabs(v) * kFirstStepNearOneBound);
  }
  // e ln2Hi + (-ln c).hi is split exactly by FastTwoSum (e ln2Hi is exact, and
  // larger than -ln c < ln2Hi unless e is 0), its sum with v exactly by TwoSum.
  const auto e = static_cast<double>(reduced.exponent);
  const DoubleDouble head = dd::FastTwoSum(e * tables.ln2Hi, reduced.logReciprocal.hi);
  const DoubleDouble sum = dd::TwoSum(head.hi, v);
  // The five low parts, each at most 2^-16.9, add with five roundings below
  // 2^-53 2^-15.5: under 2^-66.2; e ln2Lo rounds below 2^-85; ln(1 + v + u.lo)
  // - ln(1 + v) - u.lo is below |u.lo v| + u.lo^2 < 2^-68.9; the table and ln 2
  // are within 2^-100. With T's, under 2^-65.6 absolute.
  const double low = sum.lo + ((head.lo + e * tables.ln2Lo + reduced.logReciprocal.lo) + reduced.u.lo + tail);
  return dd::RoundingDecided(sum.hi, low, kFirstStepBound);
}

// ln(1 + u) = u - u^2/2 + u^3 Q(u), u - u^2/2 in double-double, the rest in
// double, for a positive finite x other than 1, subnormals included. Errors
// relative to the result, which is at least |u|/2 near 1 and 2^-9 elsewhere.
// The sum is left as hi + lo, not renormalized: |lo| is far below |hi| but
// may exceed half a unit of it.
DoubleDouble LogDoubleDoubleSum(double x, const LogTables& tables) {
  const LogReduction reduced = x < std::numeric_limits<double>::min() ? ReduceByTable(x * 0x1p54, tables, -54)
                                                                      : ReduceByTable(x, tables);
  const DoubleDouble& u = reduced.u;
  const double v = u.hi;
  // Truncation after u^9/9 below |u|^10/10 < 2^-83; the rounding of u^3 Q(u),
  // of size below 2^-25, below 2^-77.
  const double higherTerms =
      v * v * v *
      (1.0 / 3 +
       v * (-1.0 / 4 + v * (1.0 / 5 + v * (-1.0 / 6 + v * (1.0 / 7 + v * (-1.0 / 8 + v * (1.0 / 9)))))));
  // u^2 exactly, by Dekker's product.
  const DoubleDouble square = dd::TwoProduct(v, v);
  const double squareLow = square.lo + 2 * v * u.lo;
  const DoubleDouble log1p = dd::TwoSum(v, -0.5 * square.hi);
  const double log1pLow = log1p.lo + u.lo - 0.5 * squareLow + higherTerms;

  // The table and ln 2 within 2^-100.
  const auto e = static_cast<double>(reduced.exponent);
  const DoubleDouble head = dd::TwoSum(e * tables.ln2Hi, reduced.logReciprocal.hi);
  const double headLow = head.lo + e * tables.ln2Lo + reduced.logReciprocal.lo;
  const DoubleDouble sum = dd::TwoSum(head.hi, log1p.hi);
  // In all below 2^-68 of the result.
  return {sum.hi, sum.lo + headLow + log1pLow};
}

std::optional<double> LogDoubleDoubleStep(double x, const LogTables& tables) {
  const DoubleDouble sum = LogDoubleDoubleSum(x, tables);
  return dd::RoundingDecided(sum.hi, sum.lo, std::fabs(sum.hi) * kDoubleDoubleStepBound);
}

}  // namespace

double CorrectlyRoundedLog(double x) {
  const LogTables& tables = GetLogTables();
  // One comparison of the bits sends zero, the subnormals, the negative
  // numbers, the infinities and NaN to the special values; the subnormals
  // among them go on to the double-double step, which scales them.
  const auto bits = std::bit_cast<std::uint64_t>(x);
  constexpr std::uint64_t kSmallestNormal = 0x0010'0000'0000'0000u;
  constexpr std::uint64_t kInfinity = 0x7FF0'0000'0000'0000u;
  if (bits - kSmallestNormal >= kInfinity - kSmallestNormal) {
    if (const std::optional<double> special = LogOfSpecialValue(x)) return *special;
  } else if (const std::optional<double> first = LogFirstStep(x, tables)) {
    return *first;
  }
  if (const std::optional<double> second = LogDoubleDoubleStep(x, tables)) return *second;
  return detail::AccurateLog(x);
}

dd::DoubleDouble LogAsDoubleDouble(double x) {
  if (const std::optional<double> special = LogOfSpecialValue(x)) return {*special, 0};
  // Renormalized exactly: the double-double step's 2^-68 bound stands.
  const DoubleDouble sum = LogDoubleDoubleSum(x, GetLogTables());
  return dd::TwoSum(sum.hi, sum.lo);
}

double detail::DoubleDoubleLog(double x) {
  if (const std::optional<double> special = LogOfSpecialValue(x)) return *special;
  if (const std::optional<double> second = LogDoubleDoubleStep(x, GetLogTables())) return *second;
  return detail::AccurateLog(x);
}

}  // namespace cotalia
