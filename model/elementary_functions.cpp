// SPDX-License-Identifier: GPL-3.0-or-later
#include "elementary_functions.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "wide_fixed.h"

namespace cotalia {

namespace {

// ---- Double-double arithmetic, exact error terms without fused multiply-add.

struct DoubleDouble {
  double hi;
  double lo;
};

DoubleDouble TwoSum(double a, double b) {
  const double sum = a + b;
  const double bPart = sum - a;
  return {sum, (a - (sum - bPart)) + (b - bPart)};
}

// Requires |a| >= |b| (or a == 0).
DoubleDouble FastTwoSum(double a, double b) {
  const double sum = a + b;
  return {sum, b - (sum - a)};
}

// Veltkamp's split into halves of 26 and 27 bits, for Dekker's exact
// product: a * b == ah bh + ah bl + al bh + al bl, each term exact.
DoubleDouble Split(double a) {
  const double scaled = 134217729.0 * a;  // 2^27 + 1
  const double hi = scaled - (scaled - a);
  return {hi, a - hi};
}

// Ziv's rounding test: the double that hi + lo rounds to, if every value within
// `bound` of it rounds there too. The callers pass at least twice their proven
// error, which leaves room for the rounding of lo +- bound.
std::optional<double> RoundingDecided(double hi, double lo, double bound) {
  const double below = hi + (lo - bound);
  const double above = hi + (lo + bound);
  if (below != above) return std::nullopt;
  return below;
}

// ---- Accurate paths in wide fixed-point.

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
constexpr int kHalvings = 12;

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

// Rounds value * 2^scale if everything within 2^-(kFractionBits - slack) of
// value rounds to the same double.
template <std::size_t L>
std::optional<double> RoundedIfDecided(const Wide<L>& value, int scale, int slack) {
  const Wide<L> error = Wide<L>::Ulps(Wide<L>::kFractionBits - slack);
  const double low = wide::NearestDouble(value - error, scale);
  const double high = wide::NearestDouble(value + error, scale);
  if (low != high) return std::nullopt;
  return low;
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
double RoughLog(double m) {
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

Reduced ReduceForLog(double x) {
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

// The first precision at which the result's rounding is decided, allowing the
// accurate arithmetic 2^-(kFractionBits - 24) of error.
template <typename Compute>
double FirstDecided(Compute&& compute) {
  const auto decided = [&compute](auto limbs) -> std::optional<double> {
    const auto result = compute(limbs);
    return RoundedIfDecided(result.value, result.scale, 24);
  };
  if (const auto result = decided(std::integral_constant<std::size_t, 3>{})) return *result;
  if (const auto result = decided(std::integral_constant<std::size_t, 5>{})) return *result;
  if (const auto result = decided(std::integral_constant<std::size_t, 9>{})) return *result;
  if (const auto result = decided(std::integral_constant<std::size_t, 17>{})) return *result;
  // Not reached for any double (see the header); the nearest at 1024 bits.
  const auto result = compute(std::integral_constant<std::size_t, 17>{});
  return wide::NearestDouble(result.value, result.scale);
}

// ---- Tables for the fast paths, computed once from the accurate arithmetic.

constexpr int kExpTableBits = 6;
constexpr int kExpTableSize = 1 << kExpTableBits;
constexpr int kFastExpTableBits = 10;
constexpr int kFastExpTableSize = 1 << kFastExpTableBits;
constexpr int kLogTableBits = 7;
constexpr int kLogTableSize = 1 << kLogTableBits;
using Table = Wide<5>;

DoubleDouble DoubleDoubleOf(const Table& value) {
  const double hi = wide::NearestDouble(value);
  return {hi, wide::NearestDouble(value - Table::FromDouble(hi))};
}

struct Tables {
  // ln2 / 64 = step1 + step2 + step3; step1 and step2 have 35 significant
  // bits, so k * step1 and k * step2 are exact for |k| < 2^17.
  double step1;
  double step2;
  double step3;
  // ln 2 = ln2Hi + ln2Lo; ln2Hi has 42 significant bits, so e * ln2Hi is exact
  // for |e| < 2^11.
  double ln2Hi;
  double ln2Lo;
  // 2^(j/64) as hi + lo, with hi also split into halves of 26 and 27 bits for
  // Dekker's product.
  struct PowerOfTwo {
    DoubleDouble value;
    DoubleDouble split;
  };
  std::array<PowerOfTwo, kExpTableSize> powersOfTwo;
  // ln2 / 1024 = fastStep1 + fastStep2 with fastStep1 cut to 32 significant
  // bits, so that k * fastStep1 is exact for |k| < 2^21; the rest of ln 2 /
  // 1024 beyond fastStep2 is below 2^-96.
  double fastStep1;
  double fastStep2;
  std::array<DoubleDouble, kFastExpTableSize> fastPowersOfTwo;  // 2^(j/1024) as hi + lo
  // Near 1 / (1 + (i + 1/2)/128), cut to 20 significant bits so that its
  // products with the 26- and 27-bit halves of a mantissa are exact.
  struct Reciprocal {
    double value;
    DoubleDouble minusLog;  // -ln value
  };
  std::array<Reciprocal, kLogTableSize> reciprocals;  // side by side: one look-up

  Tables() {
    const Table& ln2 = Ln2<5>();
    const Table step = ln2.ShiftedRight(kExpTableBits);
    step1 = Truncated(step, 35);
    const Table rest = step - Table::FromDouble(step1);
    step2 = Truncated(rest, 35);
    step3 = wide::NearestDouble(rest - Table::FromDouble(step2));
    ln2Hi = Truncated(ln2, 42);
    ln2Lo = wide::NearestDouble(ln2 - Table::FromDouble(ln2Hi));
    for (int j = 0; j < kExpTableSize; ++j) {
      const DoubleDouble power = DoubleDoubleOf(ExpOfSmall(step.Times(j)));
      powersOfTwo[static_cast<std::size_t>(j)] = {power, Split(power.hi)};
    }
    const Table fastStep = ln2.ShiftedRight(kFastExpTableBits);
    fastStep1 = Truncated(fastStep, 32);
    fastStep2 = wide::NearestDouble(fastStep - Table::FromDouble(fastStep1));
    // 2^(j/1024) = 2^(high/32) 2^(low/1024): 64 exponentials and a product
    // each, rather than 1024 exponentials.
    constexpr int kHalfBits = kFastExpTableBits / 2;
    constexpr int kParts = 1 << kHalfBits;
    const Table coarseStep = ln2.ShiftedRight(kHalfBits);
    std::array<Table, kParts> coarse;
    std::array<Table, kParts> fine;
    for (int i = 0; i < kParts; ++i) {
      coarse[static_cast<std::size_t>(i)] = ExpOfSmall(coarseStep.Times(i));
      fine[static_cast<std::size_t>(i)] = ExpOfSmall(fastStep.Times(i));
    }
    for (int j = 0; j < kFastExpTableSize; ++j) {
      fastPowersOfTwo[static_cast<std::size_t>(j)] = DoubleDoubleOf(
          coarse[static_cast<std::size_t>(j / kParts)] * fine[static_cast<std::size_t>(j % kParts)]);
    }
    for (int i = 0; i < kLogTableSize; ++i) {
      const double reciprocal = Truncated(Table::FromDouble(1 / (1 + (i + 0.5) / kLogTableSize)), 20);
      reciprocals[static_cast<std::size_t>(i)] = {reciprocal, DoubleDoubleOf(-WideLog<5>(reciprocal).value)};
    }
  }

  // The positive value cut to its leading `bits` significant bits.
  static double Truncated(Table value, int bits) {
    const int lowest = value.TopBit() - bits + 1;
    for (int position = 0; position < lowest; ++position) {
      value.limbs[static_cast<std::size_t>(position / 64)] &= ~(wide::Limb{1} << (position % 64));
    }
    return wide::NearestDouble(value);
  }
};

const Tables& GetTables() {
  static const Tables tables;
  return tables;
}

}  // namespace

namespace detail {

double AccurateExp(double x) {
  return FirstDecided([x](auto limbs) { return WideExp<decltype(limbs)::value>(x); });
}

double AccurateLog(double x) {
  return FirstDecided([x](auto limbs) { return WideLog<decltype(limbs)::value>(x); });
}

}  // namespace detail

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

// e^x = 2^m 2^(j/64) e^r, with k = 64 m + j the nearest integer to x 64/ln 2
// and r = x - k ln2/64, |r| <= ln2/128 + 2^-40 < 2^-7.4.
// e^r - 1 = r + r^2/2 + r^3 P(r): r in double-double, r^2/2 and r^3 P(r) in
// double. Errors relative to e^r: r^2/2 rounded, below 2^-68.8; truncation
// after r^7/7!, below |r|^8/8! < 2^-74.5; rounding of r^3 P(r), of size below
// 2^-24, below 2^-75; the low parts' additions below 2^-76; the table's and
// the products' below 2^-100. The sum is below 2^-68.4; the test is given 2^-67.
double detail::DoubleDoubleExp(double x) {
  if (std::isnan(x)) return x;
  if (x > 710) return std::numeric_limits<double>::infinity();
  if (x < -746) return 0;
  // e^x lies within 2^-54 of 1, nearer to 1 than to its neighbours.
  if (std::fabs(x) < 0x1p-54) return 1;

  const Tables& tables = GetTables();
  const auto [k, j, m] = SplitForExp<kExpTableBits>(x, 92.332482616893656);  // 64 / ln 2

  // x - k step1 is exact: both are within a factor of 2 of each other, or k = 0.
  const DoubleDouble r = TwoSum(x - k * tables.step1, -(k * tables.step2));
  const double rLow = r.lo - k * tables.step3;

  const double q = r.hi;
  const double higherTerms =
      q * q * q * (1.0 / 6 + q * (1.0 / 24 + q * (1.0 / 120 + q * (1.0 / 720 + q * (1.0 / 5040)))));
  const DoubleDouble expm1 = TwoSum(q, 0.5 * (q * q));
  const double expm1Low = expm1.lo + rLow + q * rLow + higherTerms;
  const DoubleDouble expR = FastTwoSum(1, expm1.hi);
  const double expRLow = expR.lo + expm1Low;

  const Tables::PowerOfTwo& power = tables.powersOfTwo[static_cast<std::size_t>(j)];
  const DoubleDouble expRSplit = Split(expR.hi);
  const double scaledHi = power.value.hi * expR.hi;
  const double scaledProductLow = ((power.split.hi * expRSplit.hi - scaledHi) +
                                   power.split.hi * expRSplit.lo + power.split.lo * expRSplit.hi) +
                                  power.split.lo * expRSplit.lo;
  const double scaledLow = scaledProductLow + power.value.hi * expRLow + power.value.lo * expR.hi;

  if (const auto rounded = RoundingDecided(scaledHi, scaledLow, scaledHi * 0x1p-67)) {
    // Below the normal range the scaling would round a second time.
    if (m > -1022) return m <= 1023 ? *rounded * PowerOfTwoOf(m) : *rounded * 2 * PowerOfTwoOf(m - 1);
  }
  return detail::AccurateExp(x);
}

// The first step, in plain double arithmetic: e^x = 2^m 2^(j/1024) e^r, with
// k = 1024 m + j the nearest integer to x 1024/ln 2 and r = x - k ln2/1024,
// |r| <= (1/2 + 2^-32) ln2/1024 < 2^-11.52. With the table's T = 2^(j/1024) =
// hi + lo and p ~ e^r - 1 = r + r^2/2 + ... + r^5/120, the result is
// 2^m (hi + (hi p + lo)). Errors, relative to e^x, each bounded from |r|,
// |p| < 2^-11.51 and 1 <= hi < 2:
// - r: x - k fastStep1 is exact (k fastStep1 is exact, and within a factor of
//   2 of x unless k = 0); k fastStep2 (below 2^-22) rounds by at most 2^-76,
//   ln 2/1024 - fastStep1 - fastStep2 times |k| < 2^20 is below 2^-76, and
//   the subtraction rounds by at most 2^-53 |r| < 2^-64.52: 2^-64.49 in all;
// - p: truncation after r^5/120 below |r|^6/720 < 2^-78; the rounding of
//   the higher terms (below 2^-24) below 2^-75; the sum r + q rounds by at
//   most 2^-53 |p| < 2^-64.51: 2^-64.49 in all;
// - hi p rounds by at most 2^-64.51 of hi; adding lo, by at most 2^-64.5 of
//   hi; lo p, left out, is below 2^-53 2^-11.51 hi = 2^-64.51 hi; the
//   table's own error is below 2^-104.
// The sum is below 5 * 2^-64.49 < 2^-62.16 of hi + (hi p + lo), which lies
// within 2^-11 of hi; the test is given 2^-61, at least twice that.
// The range |x| < 707 keeps every result normal, so the scaling by 2^m is
// exact; every other input, and every undecided one, takes the double-double
// step.
double CorrectlyRoundedExp(double x) {
  if (!(std::fabs(x) < 707)) return detail::DoubleDoubleExp(x);
  const Tables& tables = GetTables();
  const auto [k, j, m] = SplitForExp<kFastExpTableBits>(x, 1477.3197218702985);  // 1024 / ln 2

  const double r = (x - k * tables.fastStep1) - k * tables.fastStep2;
  const double r2 = r * r;
  const double q = r2 * ((0.5 + r * (1.0 / 6)) + r2 * (1.0 / 24 + r * (1.0 / 120)));
  const double p = r + q;
  const DoubleDouble& power = tables.fastPowersOfTwo[static_cast<std::size_t>(j)];
  const double low = power.hi * p + power.lo;
  if (const auto rounded = RoundingDecided(power.hi, low, power.hi * 0x1p-61))
    return *rounded * PowerOfTwoOf(m);
  return detail::DoubleDoubleExp(x);
}

namespace {

// The reduction both logarithm steps share: ln x = e ln2 - ln c + ln(1 + u)
// with x = 2^e m, m in [1, 2), c the table's reciprocal for m's leading seven
// bits and u = m c - 1 exactly as hi + lo, |u| < 2^-8; for x within 2^-8 of 1,
// e = 0, c = 1 and u = x - 1. Then |ln x| >= ln(1 + 2^-8) > 2^-8.01 away from
// 1. x is positive and finite; subnormals are scaled first.
struct LogReduction {
  bool nearOne;
  int exponent;
  DoubleDouble u;
  DoubleDouble logReciprocal;  // -ln c
};

// x is normal; a subnormal is first scaled up by 2^54, which scale makes up.
LogReduction ReduceByTable(double x, const Tables& tables, int scale = 0) {
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
  const auto index = static_cast<std::size_t>(mantissaBits >> (52 - kLogTableBits));
  const Tables::Reciprocal& entry = tables.reciprocals[index];
  const double reciprocal = entry.value;
  // mantissa = upper + lower with 26 and 27 significant bits: both products
  // with the 20-bit reciprocal are exact, and upper * reciprocal - 1 is
  // exact as upper * reciprocal lies within a factor of 2 of 1.
  const double upper =
      std::bit_cast<double>(std::bit_cast<std::uint64_t>(mantissa) & ~((std::uint64_t{1} << 27) - 1));
  const double lower = mantissa - upper;
  return {false, exponent, TwoSum(upper * reciprocal - 1, lower * reciprocal), entry.minusLog};
}

}  // namespace

// The double-double step: ln(1 + u) = u - u^2/2 + u^3 Q(u), u - u^2/2 in
// double-double, the rest in double. Errors: truncation after u^9/9 below
// |u|^10/10 < 2^-83; rounding of u^3 Q(u), of size below 2^-25, below 2^-77;
// table and ln 2 below 2^-100. Relative to the result, which is at least
// |u|/2 near 1 and 2^-9 elsewhere: below 2^-68; the test is given 2^-66.
double detail::DoubleDoubleLog(double x) {
  if (std::isnan(x) || x < 0) return std::numeric_limits<double>::quiet_NaN();
  if (x == 0) return -std::numeric_limits<double>::infinity();
  if (std::isinf(x)) return x;
  if (x == 1) return 0;

  const Tables& tables = GetTables();
  const LogReduction reduced = x < std::numeric_limits<double>::min() ? ReduceByTable(x * 0x1p54, tables, -54)
                                                                      : ReduceByTable(x, tables);
  const DoubleDouble& u = reduced.u;
  const double v = u.hi;
  const double higherTerms =
      v * v * v *
      (1.0 / 3 +
       v * (-1.0 / 4 + v * (1.0 / 5 + v * (-1.0 / 6 + v * (1.0 / 7 + v * (-1.0 / 8 + v * (1.0 / 9)))))));
  const DoubleDouble vSplit = Split(v);
  const double squareHi = v * v;
  const double squareLow =
      ((vSplit.hi * vSplit.hi - squareHi) + 2 * vSplit.hi * vSplit.lo) + vSplit.lo * vSplit.lo + 2 * v * u.lo;
  const DoubleDouble log1p = TwoSum(v, -0.5 * squareHi);
  const double log1pLow = log1p.lo + u.lo - 0.5 * squareLow + higherTerms;

  const auto e = static_cast<double>(reduced.exponent);
  const DoubleDouble head = TwoSum(e * tables.ln2Hi, reduced.logReciprocal.hi);
  const double headLow = head.lo + e * tables.ln2Lo + reduced.logReciprocal.lo;
  const DoubleDouble sum = TwoSum(head.hi, log1p.hi);
  const double sumLow = sum.lo + headLow + log1pLow;

  if (const auto rounded = RoundingDecided(sum.hi, sumLow, std::fabs(sum.hi) * 0x1p-66)) return *rounded;
  return detail::AccurateLog(x);
}

// The first step, in plain double arithmetic, on the same reduction:
// ln(1 + u) = v + u.lo + T(v), v = u.hi, T(v) = v^2 (-1/2 + v/3 - ... -
// v^6/8), evaluated by Estrin's scheme. Errors, with |v| < 2^-8, |u.lo| <=
// 2^-61:
// - truncation of the series after v^8/8: below |v|^9/9 < 2^-75.1, and below
//   2^-67.1 |v|;
// - ln(1 + v + u.lo) - ln(1 + v) - u.lo: below |u.lo v| + u.lo^2 < 2^-68.9;
// - T(v), below 2^-16.99 in size, takes two roundings of the bracket's size
//   (its first pair and its last sum; the rest act on terms below 2^-15.9 of
//   it), one for v^2 and one for the product: below 4.1 * 2^-53 |T|, which
//   is below 2^-67.9 absolute, and below 2^-52 v^2 < 2^-60 |v|;
// - near 1 (e = 0, c = 1, u.lo = 0) that is all: v + T is at least
//   |v| (1 - 2^-9), and within 2^-59.9 |v| of ln x; the test is given
//   2^-58 |v|;
// - elsewhere, e ln2Hi + (-ln c).hi is split exactly by FastTwoSum (e ln2Hi
//   is exact, and larger than -ln c < ln2Hi unless e is 0), its sum with v
//   exactly by TwoSum; the five low parts, each at most 2^-16.9, add with five
//   roundings below 2^-53 2^-15.5: under 2^-66.2; e ln2Lo rounds below 2^-85;
//   the table and ln 2 are within 2^-100. In all under 2^-65.6 absolute; the
//   test is given 2^-64.
double CorrectlyRoundedLog(double x) {
  // Zero, subnormals, negative numbers, infinities and NaN.
  if (std::bit_cast<std::uint64_t>(x) - 0x0010'0000'0000'0000u >= 0x7FE0'0000'0000'0000u) {
    return detail::DoubleDoubleLog(x);
  }
  const Tables& tables = GetTables();
  const LogReduction reduced = ReduceByTable(x, tables);
  const double v = reduced.u.hi;
  // Estrin's scheme: short chains of dependent operations.
  const double v2 = v * v;
  const double v4 = v2 * v2;
  const double tail = v2 * (((-0.5 + v * (1.0 / 3)) + v2 * (-1.0 / 4 + v * (1.0 / 5))) +
                            v4 * ((-1.0 / 6 + v * (1.0 / 7)) + v2 * (-1.0 / 8)));
  if (reduced.nearOne) {
    if (const auto rounded = RoundingDecided(v, tail, std::fabs(v) * 0x1p-58)) return *rounded;
    return detail::DoubleDoubleLog(x);
  }
  const auto e = static_cast<double>(reduced.exponent);
  const DoubleDouble head = FastTwoSum(e * tables.ln2Hi, reduced.logReciprocal.hi);
  const DoubleDouble sum = TwoSum(head.hi, v);
  const double low = sum.lo + ((head.lo + e * tables.ln2Lo + reduced.logReciprocal.lo) + reduced.u.lo + tail);
  if (const auto rounded = RoundingDecided(sum.hi, low, 0x1p-64)) return *rounded;
  return detail::DoubleDoubleLog(x);
}

}  // namespace cotalia
