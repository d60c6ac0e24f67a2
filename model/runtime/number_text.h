// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers in and out of field texts: two readers of different strictness and
// one writer. The point is the only decimal separator, whatever the locale.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cotalia {

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

// A number as the strict reader reads it, with its decimal point moved
// `placesLeft` places to the left (a percentage's 2): read from the digits
// as written, so that the one rounding to binary is that of the moved
// decimal itself; with what its text shows, the digits after its point and
// whether an exponent follows. None where NumberFromText throws for the text,
// or the moved number lies beyond the double range.
struct ScaledNumber {
  double value;
  std::size_t fractionDigits;
  bool exponent;
};
std::optional<ScaledNumber> ScaledNumberFromText(std::string_view text, int placesLeft);

// Writer: the shortest plain decimal text of the value rounded to 15
// significant digits, switching to exponent form for large and small
// magnitudes.
std::string TextOfNumber(double value);

// A finite, non-zero value rounded to the given number of significant digits
// (at most 17) and laid out as LaidOutDecimal lays it out, with a leading
// minus for a negative value; trailing zeros of the digits kept or dropped.
enum class TrailingZeros { Kept, Dropped };
std::string RoundedDecimalText(double value, int significantDigits, int plainFrom, int plainBelow,
                               TrailingZeros zeros);

// The decimal digits (the first of them not zero) times 10^exponent, laid
// out as the writer lays them out: plainly (0.00012, 110.5, 1000) where
// plainFrom <= exponent < plainBelow, in exponent form (1.5E-07, 1E+15)
// elsewhere. Every digit given is written.
std::string LaidOutDecimal(std::string_view digits, int exponent, int plainFrom, int plainBelow);

// ValueOfText(TextOfNumber(value)): keeps the 15 digits that a field shows.
// Like the reader, it throws kOverflow for the few largest doubles, whose 15
// digits (1.79769313486232E+308) lie beyond the double range; infinities and
// NaN, which the writer spells in letters, read as 0.
double RoundThroughDisplay(double value);

}  // namespace cotalia
