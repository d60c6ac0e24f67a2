// SPDX-License-Identifier: GPL-3.0-or-later
// The third step of reading a history: the numbers of a price column. A text
// is read with one decimal separator, '.' or ','; the other one, a blank, a
// no-break space or an apostrophe may group the integer part in thousands: a
// first group of one to three digits not starting with 0, then groups of
// exactly three, with one kind of separator throughout. A sign may lead and an
// exponent (E) may end the number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cotalia::reading {

// Writes the number `text` spells, read with `decimal` as its decimal
// separator, as ScanDecimal reads numbers: sign, digits, '.', digits and
// exponent. Each character written stands for one of the text, so `spelled`
// is made as long as the text once and written in place. Gives the
// spelling, or none where the text is not a number so read.
std::optional<std::string_view> SpellNumber(std::string_view text, char decimal, std::string& spelled);

// The double of a spelling that SpellNumber wrote; none beyond the doubles.
std::optional<double> DoubleOfSpelling(std::string_view spelled);

// What a text says of its column's decimal separator.
enum class Vote : std::uint8_t {
  None,       // nothing: no '.' or ',' in it, or not a number at all
  Point,      // only a decimal point reads it
  Comma,      // only a decimal comma reads it
  Ambiguous,  // either reads it, to different numbers: a lone '.' or ',' before three digits
};

// Scratch space for reading numbers, kept from one to the next so that a
// column of a million of them allocates nothing.
struct NumberScratch {
  std::string point;
  std::string comma;
};

struct NumberLook {
  bool number = false;
  Vote vote = Vote::None;
  char lone = '\0';          // Ambiguous: the separator
  std::string_view spelled;  // the reading the text settles; a lone separator as decimal
};

// How a text reads as a number, and what it says of its column's decimal
// separator.
NumberLook LookAtNumber(std::string_view text, NumberScratch& scratch);

// What a column's prices say of its decimal separator, and the prices read
// with a lone '.' or ',' as the decimal, to read again if the column decides
// otherwise. The column's decimal, from what its texts say as a whole:
//  - a text with both '.' and ',' settles it: the last one is the decimal
//    (in "2,753.20" the comma groups thousands, so only a decimal point reads
//    it);
//  - a separator twice in one text groups thousands ("1,234,567"), so the
//    other one is the decimal;
//  - a separator followed by other than exactly three digits, or after a
//    first group that cannot be one of thousands ("824,57", "0,125",
//    "1234,567"), is the decimal;
//  - a blank or an apostrophe beside one separator ("1 234,5") makes that one
//    the decimal, since one number groups its thousands one way.
// Each such text is a vote, and the larger count wins (a point on a tie); the
// texts that voted the other way are not numbers of this column. Where no
// text settles it, every separator is a lone '.' or ',' before three digits
// ("1,234", "2.500"), and it is taken for the decimal: a column of prices
// that all have three decimals (exchange rates, small shares) is likelier
// than one whose prices are all 1,000 or more and never show a decimal. Of
// such texts with a point and with a comma in one column, the more common
// separator is the decimal.
class DecimalVotes {
 public:
  // The look of the text of the `price`-th price, in `record`.
  void Add(const NumberLook& look, std::size_t record, std::uint32_t price);
  char Decimal() const;
  // The first record that only the other separator reads, where there is one.
  std::optional<std::size_t> FirstAgainst(char decimal) const {
    return decimal == '.' ? firstComma_ : firstPoint_;
  }
  // The prices read with the other separator as the decimal.
  const std::vector<std::uint32_t>& ReadAgainst(char decimal) const {
    return decimal == '.' ? loneCommas_ : lonePoints_;
  }

 private:
  std::size_t points_ = 0;
  std::size_t commas_ = 0;
  std::optional<std::size_t> firstPoint_;
  std::optional<std::size_t> firstComma_;
  std::vector<std::uint32_t> lonePoints_;
  std::vector<std::uint32_t> loneCommas_;
};

// "", "null", "n/a", "#n/a", "na", "nan" and "-" in any case: no price, as
// finance sites and spreadsheets write a day without one.
bool IsMissing(std::string_view text);

}  // namespace cotalia::reading
