// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a column of the table as a history: its prices, read with the
// decimal separator the column decides, and its dates, read in the order the
// column decides, put oldest first.
#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/history/dates.h"
#include "model/history/price_history.h"
#include "model/history/price_numbers.h"
#include "model/history/reading.h"
#include "model/history/record_splitter.h"

namespace cotalia {

namespace reading {

namespace {

// The line a record's field starts on, counting the quoted line breaks
// before it: where a problem in it is shown.
std::size_t LineOfField(const PriceTable& table, const Splitter& splitter, std::size_t record,
                        std::size_t column) {
  std::size_t line = table.records[record].line;
  std::size_t pos = table.records[record].offset;
  for (std::size_t c = 0; c < column; ++c) {
    const FieldScan field = splitter.Field(table.text, pos);
    line += field.lineBreaks;
    if (field.endsRecord) break;
    pos = field.next;
  }
  return line;
}

struct RowFields {
  std::optional<FieldScan> price;
  std::optional<FieldScan> date;
};

// The price's and the date's fields of the record at `offset`, where it
// reaches them.
RowFields FieldsOf(std::string_view text, const Splitter& splitter, std::size_t offset, std::size_t column,
                   std::optional<std::size_t> dateColumn) {
  RowFields fields;
  const std::size_t last = dateColumn ? std::max(column, *dateColumn) : column;
  std::size_t pos = offset;
  for (std::size_t c = 0; c <= last; ++c) {
    if (c != column && c != dateColumn) {
      // A field passed over, found as Field finds it but not kept.
      const std::optional<std::size_t> next = splitter.NextUnquoted(text, pos);
      if (!next) return fields;
      if (*next != pos) {
        pos = *next;
        continue;
      }
    }
    const FieldScan field = splitter.Field(text, pos);
    if (c == column) fields.price = field;
    if (c == dateColumn) fields.date = field;
    if (field.endsRecord) break;
    pos = field.next;
  }
  return fields;
}

// The field of one column alone in the record at `offset`, where it reaches it.
std::optional<FieldScan> FieldOf(std::string_view text, const Splitter& splitter, std::size_t offset,
                                 std::size_t column) {
  return FieldsOf(text, splitter, offset, column, std::nullopt).price;
}

bool NoPriceIn(const std::optional<FieldScan>& field) {
  return !field || (field->plain && IsMissing(Trimmed(field->content)));
}

// The records of the prices read, in order, from the records left out: the
// k-th price's record is the k-th record not among them.
class KeptRecords {
 public:
  explicit KeptRecords(const std::vector<std::uint32_t>& leftOut) : leftOut_(leftOut) {}
  // Called with k never decreasing.
  std::size_t RecordOf(std::size_t k) {
    while (next_ < leftOut_.size() && leftOut_[next_] <= k + next_) ++next_;
    return k + next_;
  }

 private:
  const std::vector<std::uint32_t>& leftOut_;
  std::size_t next_ = 0;
};
// One column of a table read as a history, in passes: the records, each
// price read as its text settles it and each date scanned; then the decimal
// separator and the dates' order that the column decides, and what they read
// again; then the history put oldest first.
class ColumnReader {
 public:
  ColumnReader(const PriceTable& table, std::size_t column)
      : table_(table),
        splitter_(table.delimiter),
        column_(column),
        dateColumn_(DateColumnBeside(table, column)) {
    history_.column = table.columns[column];
  }

  std::variant<PriceHistory, HistoryProblem> Read(const ReadProgress& progress) {
    if (auto problem = ReadRecords(progress)) return std::move(*problem);
    if (auto problem = SettleDecimal()) return std::move(*problem);
    if (dateColumn_) {
      if (auto problem = SettleDays()) return std::move(*problem);
    }
    history_.leftOut = leftOut_.size();
    if (history_.prices.size() < 3) {
      HistoryProblem problem = UnplacedProblem(Kind::FewerThanThreePrices);
      problem.column = history_.column;
      problem.count = history_.prices.size();
      return problem;
    }
    if (dateColumn_) {
      PutOldestFirst();
      if (auto problem = SameDateProblem()) return std::move(*problem);
      history_.periodsPerYear = PeriodsPerYearOf(history_.days);
    }
    if (!Continues(progress, 1.0)) return UnplacedProblem(Kind::Cancelled);
    return std::move(history_);
  }

 private:
  // The table's date column, where there is one other than the price column.
  static std::optional<std::size_t> DateColumnBeside(const PriceTable& table, std::size_t column) {
    if (table.dateColumn && *table.dateColumn != column && *table.dateColumn < table.columns.size()) {
      return table.dateColumn;
    }
    return std::nullopt;
  }

  std::optional<HistoryProblem> ReadRecords(const ReadProgress& progress) {
    const std::size_t recordCount = table_.records.size();
    history_.prices.reserve(recordCount);
    if (dateColumn_) history_.days.reserve(recordCount);
    for (std::size_t r = 0; r < recordCount; ++r) {
      if (r % kProgressRecords == 0 && r > 0 &&
          !Continues(progress, static_cast<double>(r) / static_cast<double>(recordCount))) {
        return UnplacedProblem(Kind::Cancelled);
      }
      if (auto problem = ReadRecord(r)) return problem;
    }
    return std::nullopt;
  }

  // A record's price and date, or the record left out where it has no price.
  // A price that another reading of the column settles against is a problem
  // only once the column has decided.
  std::optional<HistoryProblem> ReadRecord(std::size_t record) {
    const std::size_t offset = table_.records[record].offset;
    const std::string_view text = table_.text;
    const RowFields fields =
        offset <= text.size() ? FieldsOf(text, splitter_, offset, column_, dateColumn_) : RowFields{};
    if (NoPriceIn(fields.price)) {
      leftOut_.push_back(static_cast<std::uint32_t>(record));
      return std::nullopt;
    }
    if (!fields.price->plain) return ProblemAt(Kind::NotANumber, record, column_);
    const NumberLook look = LookAtNumber(Trimmed(fields.price->content), scratch_);
    const std::optional<double> value = look.number ? DoubleOfSpelling(look.spelled) : std::nullopt;
    if (!value) return ProblemAt(Kind::NotANumber, record, column_);
    if (!(*value > 0)) return ProblemAt(Kind::NotPositive, record, column_);
    decimalVotes_.Add(look, record, static_cast<std::uint32_t>(history_.prices.size()));
    if (dateColumn_) {
      const std::optional<DateText> date =
          fields.date && fields.date->plain ? ScanDate(Trimmed(fields.date->content)) : std::nullopt;
      if (!date) return ProblemAt(Kind::NotADate, record, *dateColumn_);
      dateVotes_.Add(*date);
      history_.days.push_back(Packed(*date));
    }
    history_.prices.push_back(*value);
    return std::nullopt;
  }

  // The prices read with the separator the column did not decide for, read
  // again with the one it did.
  std::optional<HistoryProblem> SettleDecimal() {
    const char decimal = decimalVotes_.Decimal();
    if (const std::optional<std::size_t> against = decimalVotes_.FirstAgainst(decimal)) {
      return ProblemAt(Kind::NotANumber, *against, column_);
    }
    KeptRecords kept(leftOut_);
    for (const std::uint32_t k : decimalVotes_.ReadAgainst(decimal)) {
      const std::size_t r = kept.RecordOf(k);
      const std::optional<FieldScan> field =
          FieldOf(table_.text, splitter_, table_.records[r].offset, column_);
      std::optional<double> value;
      if (const auto spelled = SpellNumber(Trimmed(field->content), decimal, scratch_.point)) {
        value = DoubleOfSpelling(*spelled);
      }
      if (!value) return ProblemAt(Kind::NotANumber, r, column_);
      history_.prices[k] = *value;
    }
    return std::nullopt;
  }

  // The scanned dates as days, in the order the column decides.
  std::optional<HistoryProblem> SettleDays() {
    order_ = dateVotes_.Order();
    history_.dateOrder = dateVotes_.OrderShown();
    KeptRecords kept(leftOut_);
    for (std::size_t k = 0; k < history_.days.size(); ++k) {
      const std::optional<Day> day = DayOfScanned(Unpacked(history_.days[k]), order_);
      if (!day) return ProblemAt(Kind::NotADate, kept.RecordOf(k), *dateColumn_);
      history_.days[k] = *day;
    }
    return std::nullopt;
  }

  // Files come oldest first or newest first, and either costs a pass; any
  // other order is sorted, the same dates kept in the file's order.
  void PutOldestFirst() {
    std::vector<double>& prices = history_.prices;
    std::vector<Day>& days = history_.days;
    if (std::is_sorted(days.rbegin(), days.rend()) && !std::is_sorted(days.begin(), days.end())) {
      std::reverse(days.begin(), days.end());
      std::reverse(prices.begin(), prices.end());
      return;
    }
    if (std::is_sorted(days.begin(), days.end())) return;
    std::vector<std::uint32_t> byDay(days.size());
    for (std::size_t k = 0; k < byDay.size(); ++k) byDay[k] = static_cast<std::uint32_t>(k);
    std::stable_sort(byDay.begin(), byDay.end(),
                     [&days](std::uint32_t a, std::uint32_t b) { return days[a] < days[b]; });
    std::vector<double> sortedPrices(prices.size());
    std::vector<Day> sortedDays(days.size());
    for (std::size_t k = 0; k < byDay.size(); ++k) {
      sortedPrices[k] = prices[byDay[k]];
      sortedDays[k] = days[byDay[k]];
    }
    prices = std::move(sortedPrices);
    days = std::move(sortedDays);
  }

  // Two records of one date, where there are: of the days read twice, the
  // pair whose second record comes first in the file.
  std::optional<HistoryProblem> SameDateProblem() const {
    const std::vector<Day>& days = history_.days;
    std::vector<Day> repeated;
    for (std::size_t k = 1; k < days.size(); ++k) {
      if (days[k] == days[k - 1] && (repeated.empty() || repeated.back() != days[k]))
        repeated.push_back(days[k]);
    }
    if (repeated.empty()) return std::nullopt;
    constexpr auto kNone = std::numeric_limits<std::size_t>::max();
    std::vector<std::size_t> firstRecord(repeated.size(), kNone);
    KeptRecords kept(leftOut_);
    for (std::size_t k = 0; k < days.size(); ++k) {
      const std::size_t r = kept.RecordOf(k);
      const std::optional<FieldScan> date =
          FieldOf(table_.text, splitter_, table_.records[r].offset, *dateColumn_);
      const Day day = *DayOfScanned(*ScanDate(Trimmed(date->content)), order_);
      const auto found = std::lower_bound(repeated.begin(), repeated.end(), day);
      if (found == repeated.end() || *found != day) continue;
      std::size_t& first = firstRecord[static_cast<std::size_t>(found - repeated.begin())];
      if (first == kNone) {
        first = r;
        continue;
      }
      HistoryProblem problem = ProblemAt(Kind::SameDate, r, *dateColumn_);
      problem.otherLine = LineOfField(table_, splitter_, first, *dateColumn_);
      return problem;
    }
    return std::nullopt;
  }

  HistoryProblem ProblemAt(Kind kind, std::size_t record, std::size_t column) const {
    HistoryProblem problem = UnplacedProblem(kind);
    problem.line = LineOfField(table_, splitter_, record, column);
    problem.column = table_.columns[column];
    return problem;
  }

  const PriceTable& table_;
  const Splitter splitter_;
  const std::size_t column_;
  const std::optional<std::size_t> dateColumn_;
  PriceHistory history_;
  std::vector<std::uint32_t> leftOut_;  // the records without a price
  DecimalVotes decimalVotes_;
  DateVotes dateVotes_;
  DateOrder order_ = DateOrder::Ambiguous;  // the dates' order once the column decides
  NumberScratch scratch_;
};

}  // namespace

}  // namespace reading

std::variant<PriceHistory, HistoryProblem> HistoryOf(const PriceTable& table, std::size_t column,
                                                     const ReadProgress& progress) {
  return reading::WithinMemory([&]() -> std::variant<PriceHistory, HistoryProblem> {
    if (column >= table.columns.size()) return reading::UnplacedProblem(reading::Kind::NoPriceColumn);
    return reading::ColumnReader(table, column).Read(progress);
  });
}

}  // namespace cotalia
