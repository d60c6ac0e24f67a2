// SPDX-License-Identifier: GPL-3.0-or-later
#include "numeric_runtime.h"

#include <algorithm>
#include <array>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <utility>

#include "elementary_functions.h"

namespace cotalia {

RunTimeError::RunTimeError(std::int32_t code) : RunTimeError(code, DescriptionOfCode(code)) {}

RunTimeError::RunTimeError(std::int32_t code, std::string description)
    : code_(code), description_(std::move(description)) {}

std::string DescriptionOfCode(std::int32_t code) {
  switch (code) {
    case kInvalidCall:
      return "Llamada a procedimiento o argumento no válidos";
    case kOverflow:
      return "Desbordamiento";
    case kDivisionByZero:
      return "División por cero";
    case kTypeMismatch:
      return "No coinciden los tipos";
    default:
      return "Error de la aplicación";
  }
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number as written: its digits and its exponent, not yet converted.
struct DecimalText {
  bool negative = false;
  std::string_view integerDigits;
  std::string_view fractionDigits;
  // The digits from the first non-zero one on, as an integer while there are
  // at most 19 of them (10^19 < 2^64); significantDigits keeps counting.
  std::uint64_t significand = 0;
  std::size_t significantDigits = 0;
  // The written exponent, held at +-kExponentLimit beyond that: no text this
  // program is given is long enough for the clamping to change which double
  // the number rounds to.
  std::int64_t exponent = 0;
  std::size_t end = 0;  // one past the last character that belongs to the number
  // The number as written, when std::from_chars reads that spelling as it
  // stands: no plus sign, E for the exponent letter, a short exponent.
  std::optional<std::string_view> charsSpelling;
};

constexpr std::int64_t kExponentLimit = 1'000'000'000'000;

enum class ExponentLetters { EOnly, EOrD };

// Reads the longest decimal number at the start of text: sign, digits, an
// optional point with digits, and an optional exponent. An exponent letter
// without digits after it is not part of the number. Returns false when no
// mantissa digit was read. (It fills `number` in place: building it locally and
// returning a copy stalls on store forwarding and doubles the reader's time.)
bool ScanDecimal(std::string_view text, ExponentLetters letters, DecimalText& number) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const auto skipDigits = [end](const char* from) {
    while (from != end && IsDigit(*from)) ++from;
    return from;
  };
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
  bool fromCharsReadsIt = true;
  if (pos != end && (*pos == '+' || *pos == '-')) {
    number.negative = *pos == '-';
    fromCharsReadsIt = number.negative;
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
  number.end = static_cast<std::size_t>(pos - begin);

  const bool isE = pos != end && (*pos == 'E' || *pos == 'e');
  const bool isD = pos != end && letters == ExponentLetters::EOrD && (*pos == 'D' || *pos == 'd');
  if (isE || isD) {
    const char* digitsStart = pos + 1;
    bool negativeExponent = false;
    if (digitsStart != end && (*digitsStart == '+' || *digitsStart == '-')) {
      negativeExponent = *digitsStart == '-';
      ++digitsStart;
    }
    const char* digitsEnd = skipDigits(digitsStart);
    if (digitsEnd != digitsStart) {
      std::int64_t exponent = 0;
      for (const char* digit = digitsStart; digit != digitsEnd && exponent < kExponentLimit; ++digit) {
        exponent = exponent * 10 + (*digit - '0');
      }
      number.exponent =
          negativeExponent ? -std::min(exponent, kExponentLimit) : std::min(exponent, kExponentLimit);
      number.end = static_cast<std::size_t>(digitsEnd - begin);
      // from_chars knows no D, and very long exponents go the careful way.
      fromCharsReadsIt = fromCharsReadsIt && isE && digitsEnd - digitsStart <= 5;
    }
  }
  if (fromCharsReadsIt) number.charsSpelling = std::string_view(begin, number.end);
  return true;
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

// The nearest double to the number; kOverflow beyond the double range, and a
// signed zero below the smallest subnormal.
double DoubleOfDecimal(const DecimalText& number) {
  if (const std::optional<double> exact = ExactDecimal(number)) return *exact;
  const double zero = number.negative ? -0.0 : 0.0;
  // Decimal exponent of the leading significant digit, which tells an
  // overflow from an underflow when the conversion reports either.
  const auto magnitude = [&number]() -> std::optional<std::int64_t> {
    const std::size_t firstSignificant = number.integerDigits.find_first_not_of('0');
    if (firstSignificant != std::string_view::npos) {
      return static_cast<std::int64_t>(number.integerDigits.size() - firstSignificant) - 1 + number.exponent;
    }
    const std::size_t leadingZeros = number.fractionDigits.find_first_not_of('0');
    if (leadingZeros == std::string_view::npos) return std::nullopt;  // zero
    return -static_cast<std::int64_t>(leadingZeros) - 1 + number.exponent;
  };
  const auto outOfRange = [&]() {
    const std::optional<std::int64_t> leading = magnitude();
    if (leading && *leading > 0) throw RunTimeError(kOverflow);
    return zero;
  };

  // std::from_chars rounds correctly and ignores the locale.
  double value = 0;
  if (number.charsSpelling) {
    const std::string_view spelling = *number.charsSpelling;
    const auto result = std::from_chars(spelling.data(), spelling.data() + spelling.size(), value);
    return result.ec == std::errc::result_out_of_range ? outOfRange() : value;
  }

  const std::optional<std::int64_t> leading = magnitude();
  if (!leading) return zero;
  if (*leading > 400) throw RunTimeError(kOverflow);
  if (*leading < -400) return zero;
  std::string spelled;
  spelled.reserve(number.integerDigits.size() + number.fractionDigits.size() + 24);
  if (number.negative) spelled += '-';
  spelled += number.integerDigits.empty() ? std::string_view("0") : number.integerDigits;
  spelled += '.';
  spelled += number.fractionDigits;
  spelled += 'e';
  spelled += std::to_string(number.exponent);
  const auto result = std::from_chars(spelled.data(), spelled.data() + spelled.size(), value);
  return result.ec == std::errc::result_out_of_range ? outOfRange() : value;
}

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

double NumberFromText(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) throw RunTimeError(kTypeMismatch);
  const std::string_view trimmed = text.substr(first, text.find_last_not_of(' ') - first + 1);
  // A point needs a digit on one side only: ".5" and "5." are both numbers,
  // as a user who types them means them to be; "." alone is not.
  DecimalText number;
  if (!ScanDecimal(trimmed, ExponentLetters::EOnly, number) || number.end != trimmed.size()) {
    throw RunTimeError(kTypeMismatch);
  }
  return DoubleOfDecimal(number);
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

  std::array<char, 40> buffer{};
  const std::string_view rounded(buffer.data(), FifteenDigits(value, buffer));
  const bool negative = rounded.front() == '-';
  const std::size_t exponentMark = rounded.find('e');
  std::array<char, 16> digits{};
  std::size_t digitCount = 0;
  for (std::size_t i = negative ? 1 : 0; i < exponentMark; ++i) {
    if (rounded[i] != '.') digits[digitCount++] = rounded[i];
  }
  while (digitCount > 1 && digits[digitCount - 1] == '0') --digitCount;
  const std::string_view significant(digits.data(), digitCount);
  int exponent = 0;
  const std::string_view exponentText = rounded.substr(exponentMark + 1);
  std::from_chars(exponentText.data() + (exponentText.front() == '+' ? 1 : 0),
                  exponentText.data() + exponentText.size(), exponent);

  std::string text;
  text.reserve(32);
  if (negative) text += '-';
  // Plain form from 1E-5 up to the last value below 1E+15, exponent form
  // outside. The upper switch is C's %g with 15 digits; the lower one is a
  // decade below %g's 1E-4, which keeps small rates readable (0.00012)
  // without long runs of zeros.
  if (exponent >= 15 || exponent < -5) {
    text += significant.front();
    if (significant.size() > 1) {
      text += '.';
      text += significant.substr(1);
    }
    text += exponent < 0 ? "E-" : "E+";
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10) text += '0';
    text += std::to_string(magnitude);
  } else if (exponent < 0) {
    text += "0.";
    text.append(static_cast<std::size_t>(-exponent - 1), '0');
    text += significant;
  } else {
    const auto integerLength = static_cast<std::size_t>(exponent) + 1;
    if (significant.size() <= integerLength) {
      text += significant;
      text.append(integerLength - significant.size(), '0');
    } else {
      text += significant.substr(0, integerLength);
      text += '.';
      text += significant.substr(integerLength);
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
  for (const double value : guarded) {
    if (!std::isfinite(value)) throw RunTimeError(kOverflow);
  }
}

}  // namespace cotalia
