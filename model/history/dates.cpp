// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/history/dates.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/history/reading.h"

namespace cotalia {

namespace {

std::int64_t FloorDivide(std::int64_t a, std::int64_t b) {
  const std::int64_t quotient = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? quotient - 1 : quotient;
}

bool IsLeapYear(std::int64_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

// Days from 0000-01-01 to the first of January of `year`: 365 a year and one
// more for each leap year before it, those being the multiples of 4 in
// [0, year) less those of 100 plus those of 400, counted by floor division so
// that years before 0 count the same way backwards.
std::int64_t DaysBeforeYear(std::int64_t year) {
  return 365 * year + FloorDivide(year + 3, 4) - FloorDivide(year + 99, 100) + FloorDivide(year + 399, 400);
}

constexpr std::array<int, 12> kDaysBeforeMonth = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
constexpr std::array<int, 12> kDaysInMonth = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

int DaysInMonth(std::int64_t year, int month) {
  return kDaysInMonth[static_cast<std::size_t>(month - 1)] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

// 1970-01-01 from 0000-01-01.
constexpr std::int64_t kDaysBefore1970 = 719528;

// The periods a year of prices whose dates lie `spacing` days apart, the
// nearest of the five on a logarithmic scale: daily prices lie 365.25 / 252 =
// 1.45 days apart on average, weekly 7, monthly 30.4, quarterly 91.3 and
// yearly 365.25, so the thresholds are the geometric means of neighbours,
// 3.2, 14.6, 52.7 and 182.6 days. The median spacing is a whole number of
// days; a daily history's is 1, whatever its weekends and holidays.
int PeriodsPerYearOfSpacing(std::int64_t spacing) {
  if (spacing <= 3) return 252;
  if (spacing <= 14) return 52;
  if (spacing <= 52) return 12;
  if (spacing <= 182) return 4;
  return 1;
}

}  // namespace

namespace reading {

std::optional<DateText> ScanDate(std::string_view text) {
  std::size_t pos = 0;
  // Up to five digits, which tells a run too long for any part.
  const auto number = [text, &pos](std::size_t& length) {
    int value = 0;
    length = 0;
    while (pos < text.size() && IsDigit(text[pos]) && length < 5) {
      value = value * 10 + (text[pos++] - '0');
      ++length;
    }
    return value;
  };
  std::size_t lengthA = 0;
  std::size_t lengthB = 0;
  std::size_t lengthC = 0;
  const int a = number(lengthA);
  if (pos >= text.size()) return std::nullopt;
  const char separator = text[pos];
  if (separator != '-' && separator != '/' && separator != '.') return std::nullopt;
  ++pos;
  const int b = number(lengthB);
  if (pos >= text.size() || text[pos] != separator) return std::nullopt;
  ++pos;
  const int c = number(lengthC);
  // A time after the date is allowed and not read.
  if (pos != text.size() &&
      !((text[pos] == ' ' || text[pos] == 'T') && pos + 1 < text.size() && IsDigit(text[pos + 1]))) {
    return std::nullopt;
  }
  if (lengthB < 1 || lengthB > 2) return std::nullopt;
  DateText date;
  if (lengthA == 4 && lengthC >= 1 && lengthC <= 2) {
    date = {a, b, c, true};
    if (b < 1 || b > 12 || c < 1 || c > 31) return std::nullopt;
    return date;
  }
  if (lengthA < 1 || lengthA > 2 || (lengthC != 2 && lengthC != 4)) return std::nullopt;
  constexpr int kPivot = 70;
  const int year = lengthC == 4 ? c : (c < kPivot ? 2000 + c : 1900 + c);
  date = {year, a, b, false};
  if (a < 1 || a > 31 || b < 1 || b > 31 || (a > 12 && b > 12)) return std::nullopt;
  return date;
}

Day Packed(const DateText& date) {
  return static_cast<Day>((date.yearFirst ? 1 << 24 : 0) | (date.year << 10) | (date.first << 5) |
                          date.second);
}

DateText Unpacked(Day packed) {
  return {(packed >> 10) & 0x3FFF, (packed >> 5) & 0x1F, packed & 0x1F, ((packed >> 24) & 1) != 0};
}

std::optional<Day> DayOfScanned(const DateText& date, DateOrder order) {
  const bool monthFirst = !date.yearFirst && order == DateOrder::MonthFirst;
  const int month = date.yearFirst || monthFirst ? date.first : date.second;
  const int day = date.yearFirst || monthFirst ? date.second : date.first;
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(date.year, month)) return std::nullopt;
  return DayOf(CivilDate{date.year, month, day});
}

void DateVotes::Add(const DateText& date) {
  if (date.yearFirst) return;
  ++unordered_;
  if (date.first > 12) ++dayFirst_;
  if (date.second > 12) ++monthFirst_;
}

DateOrder DateVotes::Order() const {
  if (dayFirst_ == 0 && monthFirst_ == 0) return DateOrder::Ambiguous;
  return monthFirst_ > dayFirst_ ? DateOrder::MonthFirst : DateOrder::DayFirst;
}

// The lower median of the spacings of sorted, distinct days, counted in
// buckets up to the last threshold: a median beyond it is yearly whatever it is.
int PeriodsPerYearOf(const std::vector<Day>& days) {
  constexpr std::size_t kLongest = 183;
  std::array<std::size_t, kLongest + 1> counts{};
  for (std::size_t i = 1; i < days.size(); ++i) {
    const auto spacing = static_cast<std::int64_t>(days[i]) - days[i - 1];
    ++counts[static_cast<std::size_t>(std::min<std::int64_t>(spacing, kLongest))];
  }
  const std::size_t spacings = days.size() - 1;
  const std::size_t lowerMedian = (spacings + 1) / 2;  // the rank, from 1
  std::size_t seen = 0;
  for (std::size_t spacing = 0; spacing <= kLongest; ++spacing) {
    seen += counts[spacing];
    if (seen >= lowerMedian) return PeriodsPerYearOfSpacing(static_cast<std::int64_t>(spacing));
  }
  return 1;
}

}  // namespace reading

CivilDate CivilDateOf(Day day) {
  const std::int64_t sinceYearZero = static_cast<std::int64_t>(day) + kDaysBefore1970;
  // 146097 days in 400 years; the estimate is off by a year at most.
  std::int64_t year = FloorDivide(sinceYearZero * 400, 146097);
  while (DaysBeforeYear(year + 1) <= sinceYearZero) ++year;
  while (DaysBeforeYear(year) > sinceYearZero) --year;
  std::int64_t dayOfYear = sinceYearZero - DaysBeforeYear(year);
  int month = 1;
  while (month < 12 && dayOfYear >= DaysInMonth(year, month)) dayOfYear -= DaysInMonth(year, month++);
  return {static_cast<int>(year), month, static_cast<int>(dayOfYear) + 1};
}

Day DayOf(const CivilDate& date) {
  const std::int64_t months = static_cast<std::int64_t>(date.month) - 1;
  const std::int64_t year = date.year + FloorDivide(months, 12);
  const auto month = static_cast<int>(months - 12 * FloorDivide(months, 12)) + 1;
  const std::int64_t days = DaysBeforeYear(year) + kDaysBeforeMonth[static_cast<std::size_t>(month - 1)] +
                            (month > 2 && IsLeapYear(year) ? 1 : 0) + date.day - 1 - kDaysBefore1970;
  return static_cast<Day>(days);
}

std::string IsoTextOfDay(Day day) {
  const CivilDate date = CivilDateOf(day);
  const std::int64_t year = date.year;
  std::string text;
  if (year < 0) text += '-';
  const std::string digits = std::to_string(year < 0 ? -year : year);
  text.append(digits.size() < 4 ? 4 - digits.size() : 0, '0');
  text += digits;
  const auto twoDigits = [&text](std::int64_t value) {
    text += '-';
    text += static_cast<char>('0' + value / 10);
    text += static_cast<char>('0' + value % 10);
  };
  twoDigits(date.month);
  twoDigits(date.day);
  return text;
}

}  // namespace cotalia
