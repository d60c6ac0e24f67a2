// SPDX-License-Identifier: GPL-3.0-or-later
// Decimal numbers in text, in two steps: the scanner records what was written
// and decides nothing; the converter decides how to turn it into the nearest
// double. Both readers of number_text.h are built on them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace cotalia {

// A decimal number as written: its digits and its exponent, not yet converted.
struct DecimalText {
  std::string_view written;  // from the sign to the last character of the number
  bool negative = false;
  bool plusSign = false;
  std::string_view integerDigits;
  std::string_view fractionDigits;
  // The digits from the first non-zero one on, as an integer while there are
  // at most 19 of them (10^19 < 2^64); significantDigits keeps counting.
  std::uint64_t significand = 0;
  std::size_t significantDigits = 0;
  // The exponent's letter ('\0' without one) and how many digits it had.
  char exponentLetter = '\0';
  std::size_t exponentDigits = 0;
  // The written exponent, held at +-kExponentLimit beyond that: no text this
  // program is given is long enough for the clamping to change which double
  // the number rounds to.
  std::int64_t exponent = 0;
};

inline constexpr std::int64_t kExponentLimit = 1'000'000'000'000;

enum class ExponentLetters { EOnly, EOrD };

// Reads the longest decimal number at the start of text: sign, digits, an
// optional point with digits, and an optional exponent. An exponent letter
// without digits after it is not part of the number. Returns false when no
// mantissa digit was read. (It fills `number` in place: building it locally and
// returning a copy stalls on store forwarding and doubles the reader's time.)
bool ScanDecimal(std::string_view text, ExponentLetters letters, DecimalText& number);

// The nearest double to the number; kOverflow beyond the double range, and a
// signed zero below the smallest subnormal.
double DoubleOfDecimal(const DecimalText& number);

}  // namespace cotalia
