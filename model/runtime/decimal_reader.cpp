// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/runtime/decimal_reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <string>

#include "model/runtime/run_time_error.h"

namespace cotalia {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Scans an exponent at `pos`: the letter, an optional sign and at least one
// digit. Gives the position after it, or `pos` where there is none.
const char* ScanExponent(const char* pos, const char* end, ExponentLetters letters, DecimalText& number) {
  if (pos == end) return pos;
  const char letter = *pos;
  const bool isE = letter == 'E' || letter == 'e';
  const bool isD = letters == ExponentLetters::EOrD && (letter == 'D' || letter == 'd');
  if (!isE && !isD) return pos;
  const char* digitsStart = pos + 1;
  bool negativeExponent = false;
  if (digitsStart != end && (*digitsStart == '+' || *digitsStart == '-')) {
    negativeExponent = *digitsStart == '-';
    ++digitsStart;
  }
  const char* digitsEnd = digitsStart;
  while (digitsEnd != end && IsDigit(*digitsEnd)) ++digitsEnd;
  if (digitsEnd == digitsStart) return pos;

  std::int64_t exponent = 0;
  for (const char* digit = digitsStart; digit != digitsEnd && exponent < kExponentLimit; ++digit) {
    exponent = exponent * 10 + (*digit - '0');
  }
  exponent = std::min(exponent, kExponentLimit);
  number.exponent = negativeExponent ? -exponent : exponent;
  number.exponentLetter = letter;
  number.exponentDigits = static_cast<std::size_t>(digitsEnd - digitsStart);
  return digitsEnd;
}

// The number as std::from_chars reads it, when it takes that spelling as it
// stands: no plus sign, E for the exponent letter (it knows no D), and an
// exponent short enough; other spellings go the careful way.
std::optional<std::string_view> FromCharsSpelling(const DecimalText& number) {
  constexpr std::size_t kLongestExponent = 5;
  const bool letterKnown =
      number.exponentLetter == '\0' || number.exponentLetter == 'E' || number.exponentLetter == 'e';
  if (number.plusSign || !letterKnown || number.exponentDigits > kLongestExponent) return std::nullopt;
  return number.written;
}

// Clinger's fast path: a decimal m 10^e whose significand m is at most 2^53
// and whose power of ten is exact in a double is m * 10^e or m / 10^-e, each
// one correctly rounded operation; up to 15 more powers of ten fit where
// m 10^(e - 22) is still an integer of at most 53 bits. It is taken here,
// in this build's own double arithmetic, rather than left to std::from_chars,
// whose own fast path runs with the C++ library's compiler flags: on 32-bit
// x86 those use the x87 unit, which rounds such a product twice and reads
// 3.77459081309606E+28 one unit in the last place too high. The numbers taken
// here are all those the library's fast path takes (the same significand,
// zeros included, and the same exponent rule); every other number goes to
// std::from_chars, which decides it in integer arithmetic.
std::optional<double> ExactDecimal(const DecimalText& number) {
  static constexpr std::array<double, 23> kPowersOfTen = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  constexpr std::uint64_t kLargestExact = std::uint64_t{1} << 53;
  constexpr std::int64_t kLargestExactPower = 22;

  if (number.significantDigits == 0) return number.negative ? -0.0 : 0.0;
  std::uint64_t significand = number.significand;
  if (number.significantDigits > 19 || significand > kLargestExact) return std::nullopt;
  const std::int64_t exponent = number.exponent - static_cast<std::int64_t>(number.fractionDigits.size());
  double value = static_cast<double>(significand);
  if (exponent < 0) {
    if (exponent < -kLargestExactPower) return std::nullopt;
    value /= kPowersOfTen[static_cast<std::size_t>(-exponent)];
  } else if (exponent <= kLargestExactPower) {
    value *= kPowersOfTen[static_cast<std::size_t>(exponent)];
  } else {
    for (std::int64_t extra = exponent - kLargestExactPower; extra > 0; --extra) {
      if (significand > kLargestExact / 10) return std::nullopt;
      significand *= 10;
    }
    value = static_cast<double>(significand) * kPowersOfTen[kLargestExactPower];
  }
  return number.negative ? -value : value;
}

// Decimal exponent of the leading significant digit, which tells an overflow
// from an underflow when the conversion reports either; none for zero.
std::optional<std::int64_t> LeadingDigitExponent(const DecimalText& number) {
  const std::size_t firstSignificant = number.integerDigits.find_first_not_of('0');
  if (firstSignificant != std::string_view::npos) {
    return static_cast<std::int64_t>(number.integerDigits.size() - firstSignificant) - 1 + number.exponent;
  }
  const std::size_t leadingZeros = number.fractionDigits.find_first_not_of('0');
  if (leadingZeros == std::string_view::npos) return std::nullopt;
  return -static_cast<std::int64_t>(leadingZeros) - 1 + number.exponent;
}

// The same number spelled as "-i.fe" + exponent, which std::from_chars reads
// whatever sign, exponent letter and exponent length it was written with.
std::string CarefulSpelling(const DecimalText& number) {
  std::string spelled;
  spelled.reserve(number.integerDigits.size() + number.fractionDigits.size() + 24);
  if (number.negative) spelled += '-';
  spelled += number.integerDigits.empty() ? std::string_view("0") : number.integerDigits;
  spelled += '.';
  spelled += number.fractionDigits;
  spelled += 'e';
  spelled += std::to_string(number.exponent);
  return spelled;
}

}  // namespace

bool ScanDecimal(std::string_view text, ExponentLetters letters, DecimalText& number) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const auto scanMantissaDigits = [end, &number](const char* from) {
    for (; from != end && IsDigit(*from); ++from) {
      if (number.significantDigits == 0 && *from == '0') continue;
      if (++number.significantDigits <= 19) {
        number.significand = number.significand * 10 + static_cast<std::uint64_t>(*from - '0');
      }
    }
    return from;
  };
  number = DecimalText{};
  const char* pos = begin;
  if (pos != end && (*pos == '+' || *pos == '-')) {
    number.negative = *pos == '-';
    number.plusSign = *pos == '+';
    ++pos;
  }
  const char* integerEnd = scanMantissaDigits(pos);
  number.integerDigits = std::string_view(pos, static_cast<std::size_t>(integerEnd - pos));
  pos = integerEnd;
  if (pos != end && *pos == '.') {
    const char* fractionEnd = scanMantissaDigits(pos + 1);
    number.fractionDigits = std::string_view(pos + 1, static_cast<std::size_t>(fractionEnd - pos - 1));
    pos = fractionEnd;
  }
  if (number.integerDigits.empty() && number.fractionDigits.empty()) return false;
  pos = ScanExponent(pos, end, letters, number);
  number.written = std::string_view(begin, static_cast<std::size_t>(pos - begin));
  return true;
}

double DoubleOfDecimal(const DecimalText& number) {
  if (const std::optional<double> exact = ExactDecimal(number)) return *exact;
  const double zero = number.negative ? -0.0 : 0.0;
  const auto outOfRange = [&number, zero]() {
    const std::optional<std::int64_t> leading = LeadingDigitExponent(number);
    if (leading && *leading > 0) throw RunTimeError(kOverflow);
    return zero;
  };
  // std::from_chars rounds correctly and ignores the locale.
  const auto convert = [&outOfRange](std::string_view spelling) {
    double value = 0;
    const auto result = std::from_chars(spelling.data(), spelling.data() + spelling.size(), value);
    return result.ec == std::errc::result_out_of_range ? outOfRange() : value;
  };

  if (const std::optional<std::string_view> spelling = FromCharsSpelling(number)) return convert(*spelling);
  // Far beyond the double range either way, whatever the digits.
  constexpr std::int64_t kBeyondAnyDouble = 400;
  const std::optional<std::int64_t> leading = LeadingDigitExponent(number);
  if (!leading) return zero;
  if (*leading > kBeyondAnyDouble) throw RunTimeError(kOverflow);
  if (*leading < -kBeyondAnyDouble) return zero;
  return convert(CarefulSpelling(number));
}

}  // namespace cotalia
