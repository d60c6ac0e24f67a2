// SPDX-License-Identifier: GPL-3.0-or-later
// The fourth step of reading a history: the dates of its date column, as
// written and then, once the column has decided their order, as days.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "model/history/price_history.h"

namespace cotalia::reading {

// A date as written, before the column decides its order: ISO's year first,
// or day and month in an order not yet known. Two-digit years are those of
// 1970 to 2069 (69 is 2069, 70 is 1970), as POSIX reads them.
struct DateText {
  int year = 0;
  int first = 0;
  int second = 0;
  bool yearFirst = false;
};

// The date a text writes, in either order, or none where it is not a date.
std::optional<DateText> ScanDate(std::string_view text);

// A scanned date held in a Day's place until the column's order is known:
// year, first and second part and whether the year came first.
Day Packed(const DateText& date);

DateText Unpacked(Day packed);

// The day of a scanned date in the column's order, or none where it is not a
// date in that order (31/02, or 13 as a month).
std::optional<Day> DayOfScanned(const DateText& date, DateOrder order);

// What a column's dates say of the order of their day and month.
class DateVotes {
 public:
  void Add(const DateText& date);
  // A day above 12 in either place settles the order; on a tie day first,
  // the Spanish order; where nothing settles it, Ambiguous, read day first
  // too.
  DateOrder Order() const;
  // The order as the history gives it: Iso where every date is.
  DateOrder OrderShown() const { return unordered_ == 0 ? DateOrder::Iso : Order(); }

 private:
  std::size_t dayFirst_ = 0;
  std::size_t monthFirst_ = 0;
  std::size_t unordered_ = 0;
};

// The periods a year of prices on sorted, distinct days (at least two), from
// their spacing.
int PeriodsPerYearOf(const std::vector<Day>& days);

}  // namespace cotalia::reading
