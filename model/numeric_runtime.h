// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers in and out of field texts, the few functions the actions need, and
// the one error type of the program. Every operation either gives its answer or
// throws RunTimeError; none of them keeps state apart from the floating-point
// status flags of the calling thread.
#pragma once

#include <cfloat>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>

// Every double expression must round to double at each step, as it does with
// SSE2 or any 64-bit processor's arithmetic; the x87 unit's 80-bit registers
// would change the last digits. On 32-bit x86, build with -msse2 -mfpmath=sse.
// The model's sources are all built with the same flags, so this one check
// covers them.
static_assert(FLT_EVAL_METHOD == 0,
              "doubles are evaluated in extended precision: build with -msse2 -mfpmath=sse on 32-bit x86");

namespace cotalia {

// The codes the model raises.
enum ErrorCode : std::int32_t {
  kInvalidCall = 5,
  kOverflow = 6,
  kDivisionByZero = 11,
  kTypeMismatch = 13,
};

class RunTimeError : public std::exception {
 public:
  // The description is the standard Spanish wording for the code.
  explicit RunTimeError(std::int32_t code);
  RunTimeError(std::int32_t code, std::string description);

  std::int32_t code() const noexcept { return code_; }
  const std::string& description() const noexcept { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  std::int32_t code_;
  std::string description_;
};

// The standard Spanish wording for a code; a generic one for codes the model
// does not raise itself.
std::string DescriptionOfCode(std::int32_t code);

// Lenient reader: never refuses a text. Blanks, tabs and line feeds are removed
// wherever they stand, then the longest number at the start is read and the
// rest ignored; no digit at all reads as 0. Also reads "&H" and "&O" prefixed
// hexadecimal and octal integers. Throws kOverflow for a number beyond the
// double range.
double ValueOfText(std::string_view text);

// Strict reader: the whole text, apart from blanks around it, must be one
// decimal number; anything else throws kTypeMismatch. Throws kOverflow for a
// number beyond the double range.
double NumberFromText(std::string_view text);

// Writer: the shortest plain decimal text of the value rounded to 15
// significant digits, switching to exponent form for large and small
// magnitudes.
std::string TextOfNumber(double value);

// ValueOfText(TextOfNumber(value)): keeps the 15 digits that a field shows.
// Like the reader, it throws kOverflow for the few largest doubles, whose 15
// digits (1.79769313486232E+308) lie beyond the double range; infinities and
// NaN, which the writer spells in letters, read as 0.
double RoundThroughDisplay(double value);

// Throws kInvalidCall for x <= 0.
double NaturalLog(double x);

// Throws kOverflow where the result exceeds the largest finite double; a result
// too small to represent is 0.
double Exponential(double x);

// Only the exponents 2 (x * x, kOverflow beyond the double range) and 0.5 (the
// square root, kInvalidCall for x < 0). The calculator needs no other power,
// and every other exponent throws kInvalidCall rather than be answered by a
// pow() whose last digit differs between platforms.
double Power(double base, double exponent);

// Clears the floating-point flags that CheckFloat reports. Called after every
// field access, so
// that the next check covers only what was computed since.
void ClearFloat();

// Throws for any invalid-operation, division-by-zero or overflow flag raised
// since the last ClearFloat: kDivisionByZero for a division by zero, kOverflow
// otherwise. The values the check guards are passed to it, so the compiler
// must finish computing them before the flags are read; a guarded value that
// is not finite is treated as an overflow too, so that arithmetic the compiler
// moved ahead of the last ClearFloat cannot slip through either.
void CheckFloat(std::initializer_list<double> guarded);

}  // namespace cotalia
