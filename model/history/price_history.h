// SPDX-License-Identifier: GPL-3.0-or-later
// A price history read from the bytes of a file or of the clipboard, as users
// have them: a finance site's download, a broker's export, a block copied
// from a spreadsheet. Two steps, as the number readers have them: TableOf
// finds the text's rows and columns and decides nothing about prices;
// HistoryOf reads one column of it as prices (and the date column, if there
// is one) and puts them oldest first. Everything is decided from the text
// itself, never from the machine's locale.
//
// Lines are counted from 1 as a text editor counts them (a quoted field that
// holds a line break spans two); columns from 1, and named by the header
// where there is one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace cotalia {

// The largest text read: a larger file is refused before it is read.
inline constexpr std::uint64_t kLargestHistoryBytes = std::uint64_t{1} << 30;

// How the bytes were decoded: UTF-8 (with or without its byte order mark),
// UTF-16 with its byte order mark, or Windows-1252 where the bytes are not
// valid UTF-8.
enum class TextEncoding : std::uint8_t { Utf8, Utf16LittleEndian, Utf16BigEndian, Windows1252 };

// What keeps a history from being read, and where it lies.
struct HistoryProblem {
  enum class Kind : std::uint8_t {
    NotText,               // a NUL byte outside UTF-16
    TooLarge,              // over kLargestHistoryBytes, or more than the memory holds
    NoRows,                // nothing but blanks, or a header alone
    NoPriceColumn,         // no column holds numbers; or a column asked for that the table lacks
    NotANumber,            // at `line`, in `column`
    NotPositive,           // a price of zero or less, at `line`, in `column`
    NotADate,              // at `line`, in `column`
    SameDate,              // at `line` and at `otherLine`, both in `column`
    FewerThanThreePrices,  // `count` prices
    Cancelled,             // the reader was asked to stop
  };
  Kind kind;
  std::size_t line = 0;       // 0 where no line applies
  std::size_t otherLine = 0;  // SameDate: the earlier line of the two
  std::string column;         // the column's name; empty where none applies
  std::size_t count = 0;      // FewerThanThreePrices: how many there were
};

// How far a long read has come, from 0 to 1; it answers false to stop the
// read, which then gives the problem Cancelled. Called from the reading
// thread, every few tens of thousands of rows. May be empty.
using ReadProgress = std::function<bool(double done)>;

// Where a record (a row of the table, quoted line breaks and all) begins in
// the text, and on which line. 32 bits are enough for both: the bytes are at
// most kLargestHistoryBytes, and decoding at most triples them (a byte of
// Windows-1252 is at most three of UTF-8, two of UTF-16 at most three), well
// under 2^32; and half the size of a row's start is a million-row history's
// eight megabytes.
struct RecordStart {
  std::uint32_t offset;
  std::uint32_t line;
};

// The text as rows of fields. Only where each record starts is kept: the
// fields of a column are found again when it is read, so that a history of a
// million rows costs little more than its text.
struct PriceTable {
  std::string text;  // decoded to UTF-8, without a byte order mark
  TextEncoding encoding = TextEncoding::Utf8;
  char delimiter = '\0';                  // ',', ';' or '\t', decided from the text; '\0' for one column
  bool header = false;                    // whether the first row names the columns
  std::vector<std::string> columns;       // the header's names, or "Columna 1"...; at most 16384
  std::vector<RecordStart> records;       // the rows below the header, blank lines left out
  std::optional<std::size_t> dateColumn;  // the first column that holds dates, if any
  std::size_t priceColumn = 0;            // the column read by default (see TableOf)
};

// Decodes the bytes and finds the table in them. The delimiter is the one of
// comma, semicolon and tab that splits the first rows most consistently into
// more than one field (quoted fields as RFC 4180 has them, CRLF or LF); the
// first row is a header where it is not numbers and dates like the rows below
// it. The price column read by default: "Adj Close" or "Cierre ajustado"
// where there is one, else "Close", "Cierre", "Último" or "Precio" (in any
// case, accents optional), else the last column that holds numbers.
std::variant<PriceTable, HistoryProblem> TableOf(std::string_view bytes, const ReadProgress& progress = {});
// The same, taking over the caller's bytes where they are UTF-8 already, so
// that a large file is held once rather than twice while it is read.
std::variant<PriceTable, HistoryProblem> TableOf(std::string&& bytes, const ReadProgress& progress = {});

// The order of a date column's day and month, decided from the column as a
// whole: a day above 12 settles it; where nothing settles it the column is
// ambiguous and read day first, the Spanish order.
enum class DateOrder : std::uint8_t { Iso, DayFirst, MonthFirst, Ambiguous };

// Days since 1970-01-01 in the proleptic Gregorian calendar.
using Day = std::int32_t;

struct PriceHistory {
  std::string column;                    // the price column's name
  std::vector<double> prices;            // oldest first
  std::vector<Day> days;                 // the date of each price; empty where the table has no dates
  DateOrder dateOrder = DateOrder::Iso;  // Iso also where there are no dates
  // Rows with no price in the column: empty, "null", "n/a", "#n/a", "na",
  // "nan" or "-" in any case, or too short to reach the column.
  std::size_t leftOut = 0;
  int periodsPerYear = 252;  // from the dates' median spacing: 252, 52, 12, 4 or 1; 252 without dates
};

// Reads `column` of the table as prices: with a point or a comma as the
// decimal separator and thousands separators ("2,753.20", "2.753,20"), each
// decided for the column as a whole. Rows are put oldest first by their
// dates. A price that is not a number or not above zero, a date that is not
// one, two rows of one date and fewer than three prices are problems.
std::variant<PriceHistory, HistoryProblem> HistoryOf(const PriceTable& table, std::size_t column,
                                                     const ReadProgress& progress = {});

// A day as ISO writes it: "1989-12-29".
std::string IsoTextOfDay(Day day);

// A day by its year, month (1 to 12) and day of the month, and back. DayOf
// takes any numbers, a month or a day beyond its range carried into the
// next ones or back into those before, as date arithmetic counts: month 13
// is January of the next year, 0 March 2024 the last of February.
struct CivilDate {
  int year;
  int month;
  int day;
};
CivilDate CivilDateOf(Day day);
Day DayOf(const CivilDate& date);

}  // namespace cotalia
