#include "numeric_runtime.h"

#include <array>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <utility>

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
  // The written exponent, held at +-kExponentLimit beyond that: no text this
  // program is given is long enough for the clamping to change which double
  // the number rounds to.
  std::int64_t exponent = 0;
  std::size_t end = 0;  // one past the last character that belongs to the number
};

constexpr std::int64_t kExponentLimit = 1'000'000'000'000;

std::size_t SkipDigits(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  return pos;
}

// Reads the longest decimal number at the start of text: sign, digits, an
// optional point with digits, and an optional exponent. An exponent letter
// without digits after it is not part of the number. Returns nothing when no
// mantissa digit was read.
std::optional<DecimalText> ScanDecimal(std::string_view text, std::string_view exponentLetters) {
  DecimalText number;
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    number.negative = text[pos] == '-';
    ++pos;
  }
  const std::size_t integerEnd = SkipDigits(text, pos);
  number.integerDigits = text.substr(pos, integerEnd - pos);
  pos = integerEnd;
  if (pos < text.size() && text[pos] == '.') {
    const std::size_t fractionEnd = SkipDigits(text, pos + 1);
    number.fractionDigits = text.substr(pos + 1, fractionEnd - pos - 1);
    pos = fractionEnd;
  }
  if (number.integerDigits.empty() && number.fractionDigits.empty()) return std::nullopt;
  number.end = pos;

  if (pos < text.size() && exponentLetters.find(text[pos]) != std::string_view::npos) {
    std::size_t digitsStart = pos + 1;
    bool negativeExponent = false;
    if (digitsStart < text.size() && (text[digitsStart] == '+' || text[digitsStart] == '-')) {
      negativeExponent = text[digitsStart] == '-';
      ++digitsStart;
    }
    const std::size_t digitsEnd = SkipDigits(text, digitsStart);
    if (digitsEnd > digitsStart) {
      std::int64_t exponent = 0;
      for (std::size_t i = digitsStart; i < digitsEnd && exponent < kExponentLimit; ++i) {
        exponent = exponent * 10 + (text[i] - '0');
      }
      exponent = std::min(exponent, kExponentLimit);
      number.exponent = negativeExponent ? -exponent : exponent;
      number.end = digitsEnd;
    }
  }
  return number;
}

// The nearest double to the number; kOverflow beyond the double range, and a
// signed zero below the smallest subnormal.
double DoubleOfDecimal(const DecimalText& number) {
  const std::size_t firstSignificant = number.integerDigits.find_first_not_of('0');
  const std::size_t fractionLeadingZeros = number.fractionDigits.find_first_not_of('0');
  const double zero = number.negative ? -0.0 : 0.0;
  if (firstSignificant == std::string_view::npos && fractionLeadingZeros == std::string_view::npos) {
    return zero;
  }
  // Decimal exponent of the leading significant digit, used only to tell an
  // overflow from an underflow when the conversion reports either.
  const std::int64_t magnitude =
      firstSignificant != std::string_view::npos
          ? static_cast<std::int64_t>(number.integerDigits.size() - firstSignificant) - 1 + number.exponent
          : -static_cast<std::int64_t>(fractionLeadingZeros) - 1 + number.exponent;
  if (magnitude > 400) throw RunTimeError(kOverflow);
  if (magnitude < -400) return zero;

  // std::from_chars rounds correctly and ignores the locale; it is handed the
  // digits in its own spelling.
  std::string spelled;
  spelled.reserve(number.integerDigits.size() + number.fractionDigits.size() + 24);
  if (number.negative) spelled += '-';
  spelled += number.integerDigits.empty() ? std::string_view("0") : number.integerDigits;
  spelled += '.';
  spelled += number.fractionDigits;
  spelled += 'e';
  spelled += std::to_string(number.exponent);

  double value = 0;
  const auto [ptr, ec] = std::from_chars(spelled.data(), spelled.data() + spelled.size(), value);
  if (ec == std::errc::result_out_of_range) {
    if (magnitude > 0) throw RunTimeError(kOverflow);
    return zero;
  }
  return value;
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
  std::string compact;
  compact.reserve(text.size());
  for (const char c : text) {
    if (!IsLenientBlank(c)) compact += c;
  }
  if (const std::optional<double> radixValue = ScanRadixInteger(compact)) return *radixValue;
  // D is taken as an exponent letter too, as in numbers typed on the
  // calculator's home platform ("1D3" is 1000).
  const std::optional<DecimalText> number = ScanDecimal(compact, "EeDd");
  return number ? DoubleOfDecimal(*number) : 0.0;
}

double NumberFromText(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) throw RunTimeError(kTypeMismatch);
  const std::string_view trimmed = text.substr(first, text.find_last_not_of(' ') - first + 1);
  // A point needs a digit on one side only: ".5" and "5." are both numbers,
  // as a user who types them means them to be; "." alone is not.
  const std::optional<DecimalText> number = ScanDecimal(trimmed, "Ee");
  if (!number || number->end != trimmed.size()) throw RunTimeError(kTypeMismatch);
  return DoubleOfDecimal(*number);
}

std::string TextOfNumber(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  if (value == 0) return "0";

  // Fifteen significant digits, rounded from the exact binary value:
  // "-d.dddddddddddddde+x".
  std::array<char, 40> buffer{};
  const auto result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::scientific, 14);
  const std::string_view rounded(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
  const bool negative = rounded.front() == '-';
  const std::size_t mantissaStart = negative ? 1 : 0;
  const std::size_t exponentMark = rounded.find('e');
  std::string digits;
  for (std::size_t i = mantissaStart; i < exponentMark; ++i) {
    if (rounded[i] != '.') digits += rounded[i];
  }
  digits.erase(digits.find_last_not_of('0') + 1);
  int exponent = 0;
  const std::string_view exponentText = rounded.substr(exponentMark + 1);
  std::from_chars(exponentText.data() + (exponentText.front() == '+' ? 1 : 0),
                  exponentText.data() + exponentText.size(), exponent);

  std::string text = negative ? "-" : "";
  // Plain form from 1E-5 up to the last value below 1E+15, exponent form
  // outside: the same switch points as C's %g with 15 digits, which keeps
  // small rates readable (0.00012) without long runs of zeros.
  if (exponent >= 15 || exponent < -5) {
    text += digits.front();
    if (digits.size() > 1) {
      text += '.';
      text.append(digits, 1);
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
      text.append(digits, 0, integerLength);
      text += '.';
      text.append(digits, integerLength);
    }
  }
  return text;
}

double RoundThroughDisplay(double value) { return ValueOfText(TextOfNumber(value)); }

double NaturalLog(double x) {
  if (!(x > 0)) throw RunTimeError(kInvalidCall);
  return std::log(x);
}

double Exponential(double x) {
  const double result = std::exp(x);
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

void ClearFloat() { std::feclearexcept(FE_ALL_EXCEPT); }

void CheckFloat(std::initializer_list<double> guarded) {
  const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
  if ((raised & FE_DIVBYZERO) != 0) throw RunTimeError(kDivisionByZero);
  if (raised != 0) throw RunTimeError(kOverflow);
  for (const double value : guarded) {
    if (!std::isfinite(value)) throw RunTimeError(kOverflow);
  }
}

}  // namespace cotalia
