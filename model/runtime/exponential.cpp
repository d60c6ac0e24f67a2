// SPDX-License-Identifier: GPL-3.0-or-later
// The correctly rounded exponential: the special values, then the first step
// in plain double arithmetic, then the double-double step, then the accurate
// path, each step answering only where Ziv's test proves its rounding.
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

// Ziv's bounds: at least twice each step's proven error, relative to the
// result; the derivations stand beside the statements they bound.
constexpr double kFirstStepBound = 0x1p-61;         // error below 2^-62.16
constexpr double kDoubleDoubleStepBound = 0x1p-67;  // error below 2^-68.4

// The first step keeps every result normal, so its scaling by 2^m is exact.
constexpr double kFirstStepRange = 707;
// e^x exceeds the largest double above ln(2^1024) = 709.78 and rounds to 0
// below ln(2^-1075) = -745.13; the steps decide the inputs between.
constexpr double kOverflowsAbove = 710;
constexpr double kUnderflowsBelow = -746;

constexpr int kFirstStepTableBits = 10;
constexpr int kDoubleDoubleStepTableBits = 6;

// The steps' tables, computed once from the accurate arithmetic.
struct ExpTables {
  // ln 2 / 1024 = ln2Hi + ln2Lo with ln2Hi cut to 32 significant bits, so
  // that k ln2Hi is exact for |k| < 2^21; the rest beyond ln2Lo is below
  // 2^-96.
  struct FirstStep {
    double ln2Hi;
    double ln2Lo;
    std::array<DoubleDouble, 1 << kFirstStepTableBits> powersOfTwo;  // 2^(j/1024) as hi + lo
  } firstStep;
  // ln 2 / 64 = ln2Hi + ln2Mid + ln2Lo; the first two have 35 significant
  // bits, so k ln2Hi and k ln2Mid are exact for |k| < 2^17.
  struct DoubleDoubleStep {
    double ln2Hi;
    double ln2Mid;
    double ln2Lo;
    // 2^(j/64) as hi + lo, with hi also split into halves of 26 and 27 bits
    // for Dekker's product.
    struct PowerOfTwo {
      DoubleDouble value;
      DoubleDouble split;
    };
    std::array<PowerOfTwo, 1 << kDoubleDoubleStepTableBits> powersOfTwo;
  } doubleDoubleStep;

  ExpTables() {
    using accurate::Table;
    using accurate::Truncated;
    const Table& ln2 = accurate::Ln2<5>();

    const Table firstStepLn2 = ln2.ShiftedRight(kFirstStepTableBits);
    firstStep.ln2Hi = Truncated(firstStepLn2, 32);
    firstStep.ln2Lo = wide::NearestDouble(firstStepLn2 - Table::FromDouble(firstStep.ln2Hi));
    // 2^(j/1024) = 2^(high/32) 2^(low/1024): 64 exponentials and a product
    // each, rather than 1024 exponentials.
    constexpr int kHalfBits = kFirstStepTableBits / 2;
    constexpr int kParts = 1 << kHalfBits;
    const Table coarseLn2 = ln2.ShiftedRight(kHalfBits);
    std::array<Table, kParts> coarse;
    std::array<Table, kParts> fine;
    for (int i = 0; i < kParts; ++i) {
      coarse[static_cast<std::size_t>(i)] = accurate::ExpOfSmall(coarseLn2.Times(i));
      fine[static_cast<std::size_t>(i)] = accurate::ExpOfSmall(firstStepLn2.Times(i));
    }
    for (std::size_t j = 0; j < firstStep.powersOfTwo.size(); ++j) {
      firstStep.powersOfTwo[j] = accurate::DoubleDoubleOf(coarse[j / kParts] * fine[j % kParts]);
    }

    const Table doubleDoubleLn2 = ln2.ShiftedRight(kDoubleDoubleStepTableBits);
    doubleDoubleStep.ln2Hi = Truncated(doubleDoubleLn2, 35);
    const Table rest = doubleDoubleLn2 - Table::FromDouble(doubleDoubleStep.ln2Hi);
    doubleDoubleStep.ln2Mid = Truncated(rest, 35);
    doubleDoubleStep.ln2Lo = wide::NearestDouble(rest - Table::FromDouble(doubleDoubleStep.ln2Mid));
    for (std::size_t j = 0; j < doubleDoubleStep.powersOfTwo.size(); ++j) {
      const DoubleDouble power =
          accurate::DoubleDoubleOf(accurate::ExpOfSmall(doubleDoubleLn2.Times(static_cast<std::int64_t>(j))));
      doubleDoubleStep.powersOfTwo[j] = {power, dd::Split(power.hi)};
    }
  }
};

const ExpTables& GetExpTables() {
  static const ExpTables tables;
  return tables;
}

// 2^n for -1022 <= n <= 1023, built from its bits.
double PowerOfTwoOf(int n) { return std::bit_cast<double>(static_cast<std::uint64_t>(n + 1023) << 52); }

// Adding and removing 1.5 * 2^52 rounds to the nearest integer for |v| < 2^51,
// and leaves that integer in the low bits of the sum.
constexpr double kRoundingShift = 0x1.8p52;

// k = 2^bits m + j, 0 <= j < 2^bits, the nearest integer to x 2^bits / ln 2
// (the factor), for |k| < 2^31.
struct ExpSplit {
  double k;
  int j;
  int m;
};

template <int kTableBits>
ExpSplit SplitForExp(double x, double factor) {
  const double shifted = x * factor + kRoundingShift;
  const auto k = static_cast<std::int32_t>(static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(shifted)));
  const int j = k & ((1 << kTableBits) - 1);
  return {shifted - kRoundingShift, j, (k - j) / (1 << kTableBits)};
}

// e^x where no step need compute it: NaN, results beyond the double range
// either way, and x so near 0 that e^x lies within 2^-54 of 1, nearer to 1
// than to its neighbours.
std::optional<double> ExpOfSpecialValue(double x) {
  if (std::isnan(x)) return x;
  if (x > kOverflowsAbove) return std::numeric_limits<double>::infinity();
  if (x < kUnderflowsBelow) return 0.0;
  if (std::fabs(x) < 0x1p-54) return 1.0;
  return std::nullopt;
}

// e^x = 2^m 2^(j/1024) e^r for |x| < kFirstStepRange, with k = 1024 m + j the
// nearest integer to x 1024/ln 2 and r = x - k ln2/1024. Each error below is
// relative to e^x, bounded from |r|, |p| < 2^-11.51 and 1 <= hi < 2.
std::optional<double> ExpFirstStep(double x, const ExpTables::FirstStep& table) {
  const auto [k, j, m] = SplitForExp<kFirstStepTableBits>(x, 1477.3197218702985);  // 1024 / ln 2

  // |r| <= (1/2 + 2^-32) ln2/1024 < 2^-11.52. Error below 2^-64.49: x - k ln2Hi
  // is exact (k ln2Hi is exact, and within a factor of 2 of x unless k = 0);
  // k ln2Lo (below 2^-22) rounds by at most 2^-76; ln 2/1024 - ln2Hi - ln2Lo
  // times |k| < 2^20 is below 2^-76; the subtraction rounds by at most
  // 2^-53 |r| < 2^-64.52.
  const double r = (x - k * table.ln2Hi) - k * table.ln2Lo;

  // p ~ e^r - 1 = r + r^2/2 + ... + r^5/120. Error below 2^-64.49: the
  // truncation below |r|^6/720 < 2^-78; the rounding of q (below 2^-24)
  // below 2^-75; the sum r + q rounds by at most 2^-53 |p| < 2^-64.51.
  const double r2 = r * r;
  const double q = r2 * ((0.5 + r * (1.0 / 6)) + r2 * (1.0 / 24 + r * (1.0 / 120)));
  const double p = r + q;

  // 2^(j/1024) e^r = hi + (hi p + lo), with the table's T = hi + lo within
  // 2^-104. hi p rounds by at most 2^-64.51 of hi; adding lo, by at most
  // 2^-64.5 of hi; lo p, left out, is below 2^-53 2^-11.51 hi = 2^-64.51 hi.
  const DoubleDouble& power = table.powersOfTwo[static_cast<std::size_t>(j)];
  const double low = power.hi * p + power.lo;

  // The five errors sum below 5 * 2^-64.49 < 2^-62.16 of hi + low, which lies
  // within 2^-11 of hi.
  const std::optional<double> rounded = dd::RoundingDecided(power.hi, low, power.hi * kFirstStepBound);
  if (!rounded) return std::nullopt;
  return *rounded * PowerOfTwoOf(m);
}

// e^x = 2^m 2^(j/64) e^r, with k = 64 m + j the nearest integer to x 64/ln 2
// and r = x - k ln2/64, in double-double. Each error below is relative to e^r.
std::optional<double> ExpDoubleDoubleStep(double x, const ExpTables::DoubleDoubleStep& table) {
  const auto [k, j, m] = SplitForExp<kDoubleDoubleStepTableBits>(x, 92.332482616893656);  // 64 / ln 2

  // |r| <= ln2/128 + 2^-40 < 2^-7.4, as r.hi + rLow. x - k ln2Hi is exact: both
  // are within a factor of 2 of each other, or k = 0.
  const DoubleDouble r = dd::TwoSum(x - k * table.ln2Hi, -(k * table.ln2Mid));
  const double rLow = r.lo - k * table.ln2Lo;

  // e^r - 1 = r + r^2/2 + r^3 P(r). Truncation after r^7/7! below
  // |r|^8/8! < 2^-74.5; the rounding of r^3 P(r), of size below 2^-24, below
  // 2^-75.
  const double q = r.hi;
  const double higherTerms =
      q * q * q * (1.0 / 6 + q * (1.0 / 24 + q * (1.0 / 120 + q * (1.0 / 720 + q * (1.0 / 5040)))));
  // r^2/2 rounded, below 2^-68.8; r in double-double.
  const DoubleDouble expm1 = dd::TwoSum(q, 0.5 * (q * q));
  // The low parts' additions, below 2^-76.
  const double expm1Low = expm1.lo + rLow + q * rLow + higherTerms;
  const DoubleDouble expR = dd::FastTwoSum(1, expm1.hi);
  const double expRLow = expR.lo + expm1Low;

  // 2^(j/64) e^r by Dekker's product: the table's and the products' errors
  // below 2^-100.
  const ExpTables::DoubleDoubleStep::PowerOfTwo& power = table.powersOfTwo[static_cast<std::size_t>(j)];
  const DoubleDouble expRSplit = dd::Split(expR.hi);
  const double scaledHi = power.value.hi * expR.hi;
  const double scaledProductLow = dd::ProductError(power.split, expRSplit, scaledHi);
  const double scaledLow = scaledProductLow + power.value.hi * expRLow + power.value.lo * expR.hi;

  // The errors sum below 2^-68.4.
  const std::optional<double> rounded =
      dd::RoundingDecided(scaledHi, scaledLow, scaledHi * kDoubleDoubleStepBound);
  // Below the normal range the scaling would round a second time; the
  // accurate path rounds once.
  if (!rounded || m <= -1022) return std::nullopt;
  return m <= 1023 ? *rounded * PowerOfTwoOf(m) : *rounded * 2 * PowerOfTwoOf(m - 1);
}

}  // namespace

double CorrectlyRoundedExp(double x) {
  const ExpTables& tables = GetExpTables();
  // One comparison sends NaN, the infinities and the results near or beyond
  // the double range to the special values.
  if (!(std::fabs(x) < kFirstStepRange)) {
    if (const std::optional<double> special = ExpOfSpecialValue(x)) return *special;
  } else if (const std::optional<double> first = ExpFirstStep(x, tables.firstStep)) {
    return *first;
  }
  if (const std::optional<double> second = ExpDoubleDoubleStep(x, tables.doubleDoubleStep)) return *second;
  return detail::AccurateExp(x);
}

double detail::DoubleDoubleExp(double x) {
  if (const std::optional<double> special = ExpOfSpecialValue(x)) return *special;
  if (const std::optional<double> second = ExpDoubleDoubleStep(x, GetExpTables().doubleDoubleStep)) {
    return *second;
  }
  return detail::AccurateExp(x);
}

}  // namespace cotalia
