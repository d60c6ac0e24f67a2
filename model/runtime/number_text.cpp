// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/runtime/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "model/runtime/decimal_reader.h"
#include "model/runtime/run_time_error.h"

namespace cotalia {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "&H" and "&O" integers. Values up to 16 bits are read as a signed 16-bit
// integer and values up to 32 bits as a signed 32-bit one (so &HFFFF is -1 and
// &H10000 is 65536, as the calculator's users know them); more than 32 bits is
// an overflow.
std::optional<double> ScanRadixInteger(std::string_view text) {
  if (text.size() < 2 || text[0] != '&') return std::nullopt;
  unsigned radix = 0;
  if (text[1] == 'H' || text[1] == 'h') radix = 16;
  if (text[1] == 'O' || text[1] == 'o') radix = 8;
  if (radix == 0) return std::nullopt;

  std::uint64_t value = 0;
  for (std::size_t pos = 2; pos < text.size(); ++pos) {
    const char c = text[pos];
    unsigned digit = radix;
    if (IsDigit(c)) digit = static_cast<unsigned>(c - '0');
    if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
    if (digit >= radix) break;
    value = value * radix + digit;
    if (value > 0xFFFF'FFFFu) throw RunTimeError(kOverflow);
  }
  if (value <= 0xFFFFu) return static_cast<double>(static_cast<std::int16_t>(value));
  return static_cast<double>(static_cast<std::int32_t>(value));
}

bool IsLenientBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

}  // namespace

double ValueOfText(std::string_view text) {
  std::string withoutBlanks;
  std::string_view compact = text;
  if (std::any_of(text.begin(), text.end(), IsLenientBlank)) {
    withoutBlanks.reserve(text.size());
    for (const char c : text) {
      if (!IsLenientBlank(c)) withoutBlanks += c;
    }
    compact = withoutBlanks;
  }
  if (const std::optional<double> radixValue = ScanRadixInteger(compact)) return *radixValue;
  // D is taken as an exponent letter too, as in numbers typed on the
  // calculator's home platform ("1D3" is 1000).
  DecimalText number;
  return ScanDecimal(compact, ExponentLetters::EOrD, number) ? DoubleOfDecimal(number) : 0.0;
}

namespace {

// The whole text, apart from blanks around it, as one decimal number; throws
// kTypeMismatch for anything else. A point needs a digit on one side only:
// ".5" and "5." are both numbers, as a user who types them means them to be;
// "." alone is not.
void ScanStrictly(std::string_view text, DecimalText& number) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) throw RunTimeError(kTypeMismatch);
  const std::string_view trimmed = text.substr(first, text.find_last_not_of(' ') - first + 1);
  if (!ScanDecimal(trimmed, ExponentLetters::EOnly, number) || number.written.size() != trimmed.size()) {
    throw RunTimeError(kTypeMismatch);
  }
}

}  // namespace

double NumberFromText(std::string_view text) {
  DecimalText number;
  ScanStrictly(text, number);
  return DoubleOfDecimal(number);
}

std::optional<ScaledNumber> ScaledNumberFromText(std::string_view text, int placesLeft) {
  try {
    DecimalText number;
    ScanStrictly(text, number);
    static_cast<void>(DoubleOfDecimal(number));  // kOverflow, as NumberFromText throws it
    // Written again with the exponent moved, for the converter to read.
    std::string moved = number.negative ? "-" : "";
    moved += number.integerDigits;
    if (!number.fractionDigits.empty()) {
      moved += '.';
      moved += number.fractionDigits;
    }
    moved += 'E';
    moved += std::to_string(number.exponent - placesLeft);
    ScaledNumber scaled{0, number.fractionDigits.size(), number.exponentLetter != '\0'};
    scaled.value = NumberFromText(moved);
    return scaled;
  } catch (const RunTimeError&) {
    return std::nullopt;
  }
}

namespace {

// The value rounded to 15 significant digits from its exact binary value, as
// "-d.dddddddddddddde+x" in the buffer; gives the length.
std::size_t FifteenDigits(double value, std::array<char, 40>& buffer) {
  const auto result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::scientific, 14);
  return static_cast<std::size_t>(result.ptr - buffer.data());
}

}  // namespace

std::string TextOfNumber(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  if (value == 0) return "0";
  // Plain form from 1E-5 up to the last value below 1E+15, exponent form
  // outside. The upper switch is C's %g with 15 digits; the lower one is a
  // decade below %g's 1E-4, which keeps small rates readable (0.00012)
  // without long runs of zeros.
  return RoundedDecimalText(value, 15, -5, 15, TrailingZeros::Dropped);
}

std::string RoundedDecimalText(double value, int significantDigits, int plainFrom, int plainBelow,
                               TrailingZeros zeros) {
  std::array<char, 40> buffer{};
  const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                     std::chars_format::scientific, significantDigits - 1);
  const std::string_view rounded(buffer.data(), static_cast<std::size_t>(written.ptr - buffer.data()));
  const bool negative = rounded.front() == '-';
  const std::size_t exponentMark = rounded.find('e');
  std::array<char, 20> digits{};
  std::size_t digitCount = 0;
  for (std::size_t i = negative ? 1 : 0; i < exponentMark; ++i) {
    if (rounded[i] != '.') digits[digitCount++] = rounded[i];
  }
  if (zeros == TrailingZeros::Dropped) {
    while (digitCount > 1 && digits[digitCount - 1] == '0') --digitCount;
  }
  int exponent = 0;
  const std::string_view exponentText = rounded.substr(exponentMark + 1);
  std::from_chars(exponentText.data() + (exponentText.front() == '+' ? 1 : 0),
                  exponentText.data() + exponentText.size(), exponent);
  std::string text = negative ? "-" : "";
  text += LaidOutDecimal(std::string_view(digits.data(), digitCount), exponent, plainFrom, plainBelow);
  return text;
}

std::string LaidOutDecimal(std::string_view digits, int exponent, int plainFrom, int plainBelow) {
  std::string text;
  text.reserve(32);
  if (exponent >= plainBelow || exponent < plainFrom) {
    text += digits.front();
    if (digits.size() > 1) {
      text += '.';
      text += digits.substr(1);
    }
    text += exponent < 0 ? "E-" : "E+";
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10) text += '0';
    text += std::to_string(magnitude);
  } else if (exponent < 0) {
    text += "0.";
    text.append(static_cast<std::size_t>(-exponent - 1), '0');
    text += digits;
  } else {
    const auto integerLength = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= integerLength) {
      text += digits;
      text.append(integerLength - digits.size(), '0');
    } else {
      text += digits.substr(0, integerLength);
      text += '.';
      text += digits.substr(integerLength);
    }
  }
  return text;
}

// Reads the writer's 15 digits back without spelling them out as the field
// would: the same decimal number, so the same nearest double, and the same
// kOverflow where the 15 digits of one of the largest doubles lie beyond the
// double range. Zero is positive, as the writer shows it.
double RoundThroughDisplay(double value) {
  if (value == 0 || !std::isfinite(value)) return ValueOfText(TextOfNumber(value));
  std::array<char, 40> buffer{};
  DecimalText number;
  ScanDecimal(std::string_view(buffer.data(), FifteenDigits(value, buffer)), ExponentLetters::EOnly, number);
  return DoubleOfDecimal(number);
}

}  // namespace cotalia
