// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes at all give the price-history reader a table or one of the
// problems a table can have, and every column of a table a history or a
// problem, each with what it promises: records inside the text in order,
// prices positive and finite, days strictly ascending, problems on lines the
// text has. The caller's string taken over reads as the copy does, ASCII
// reads the same as UTF-16, and a reader told to stop stops.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "model/history/price_history.h"

namespace {

using cotalia::HistoryProblem;
using cotalia::PriceHistory;
using cotalia::PriceTable;
using Kind = HistoryProblem::Kind;

void Require(bool holds) {
  if (!holds) std::abort();
}

bool IsWellFormedUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    char32_t c = lead;
    if (lead >= 0xF0) {
      length = 4;
      c = lead & 0x07U;
    } else if (lead >= 0xE0) {
      length = 3;
      c = lead & 0x0FU;
    } else if (lead >= 0xC0) {
      length = 2;
      c = lead & 0x1FU;
    } else if (lead >= 0x80) {
      return false;
    }
    if (text.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0U) != 0x80U) return false;
      c = (c << 6) | (next & 0x3FU);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return false;
    i += length;
  }
  return true;
}

// The lines of the text as its records count them: one more than its line
// breaks (a CRLF is one).
std::size_t LinesOf(std::string_view text) {
  std::size_t lines = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++lines;
  }
  return lines;
}

void CheckTable(const PriceTable& table) {
  Require(table.delimiter == '\0' || table.delimiter == ',' || table.delimiter == ';' ||
          table.delimiter == '\t');
  Require(!table.records.empty() && !table.columns.empty());
  Require(table.priceColumn < table.columns.size());
  Require(!table.dateColumn ||
          (*table.dateColumn < table.columns.size() && *table.dateColumn != table.priceColumn));
  Require(table.text.find('\0') == std::string::npos && IsWellFormedUtf8(table.text));
  for (const std::string& name : table.columns) Require(!name.empty());
  const std::size_t lines = LinesOf(table.text);
  for (std::size_t r = 0; r < table.records.size(); ++r) {
    const cotalia::RecordStart& record = table.records[r];
    Require(record.offset < table.text.size() && record.line >= (table.header ? 2U : 1U) &&
            record.line <= lines);
    if (r > 0)
      Require(record.offset > table.records[r - 1].offset && record.line > table.records[r - 1].line);
  }
}

void CheckHistory(const PriceTable& table, std::size_t column, const PriceHistory& history) {
  Require(history.column == table.columns[column]);
  Require(history.prices.size() >= 3 && history.prices.size() + history.leftOut <= table.records.size());
  for (const double price : history.prices) Require(std::isfinite(price) && price > 0);
  const bool dated = table.dateColumn && *table.dateColumn != column;
  Require(history.days.size() == (dated ? history.prices.size() : 0));
  Require(std::adjacent_find(history.days.begin(), history.days.end(),
                             [](cotalia::Day a, cotalia::Day b) { return a >= b; }) == history.days.end());
  Require(dated || history.dateOrder == cotalia::DateOrder::Iso);
  const int periods = history.periodsPerYear;
  Require(periods == 252 || periods == 52 || periods == 12 || periods == 4 || periods == 1);
  if (!dated) Require(periods == 252);
  for (const cotalia::Day day : history.days) Require(cotalia::IsoTextOfDay(day).size() == 10);
}

void CheckProblem(const PriceTable& table, const HistoryProblem& problem) {
  const std::size_t lines = LinesOf(table.text);
  switch (problem.kind) {
    case Kind::NotANumber:
    case Kind::NotPositive:
    case Kind::NotADate:
      Require(problem.line >= 1 && problem.line <= lines && !problem.column.empty());
      break;
    case Kind::SameDate:
      Require(problem.otherLine >= 1 && problem.otherLine < problem.line && problem.line <= lines);
      Require(!problem.column.empty() && problem.column == table.columns[*table.dateColumn]);
      break;
    case Kind::FewerThanThreePrices:
      Require(problem.count < 3 && problem.line == 0);
      break;
    default:
      std::abort();  // a table, once read, has columns, rows and text
  }
}

bool SameTable(const PriceTable& a, const PriceTable& b) {
  if (a.text != b.text || a.delimiter != b.delimiter || a.header != b.header || a.columns != b.columns ||
      a.dateColumn != b.dateColumn || a.priceColumn != b.priceColumn ||
      a.records.size() != b.records.size()) {
    return false;
  }
  for (std::size_t r = 0; r < a.records.size(); ++r) {
    if (a.records[r].offset != b.records[r].offset || a.records[r].line != b.records[r].line) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto read = cotalia::TableOf(bytes);
  if (const auto* problem = std::get_if<HistoryProblem>(&read)) {
    Require(problem->kind == Kind::NotText || problem->kind == Kind::NoRows ||
            problem->kind == Kind::NoPriceColumn);
    return 0;
  }
  const PriceTable& table = std::get<PriceTable>(read);
  CheckTable(table);

  auto taken = cotalia::TableOf(std::string(bytes));
  Require(std::holds_alternative<PriceTable>(taken) && SameTable(std::get<PriceTable>(taken), table));
  if (table.encoding == cotalia::TextEncoding::Utf8 && bytes.substr(0, 1) != "\xEF" &&
      std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    std::string utf16 = "\xFF\xFE";
    for (const char c : bytes) {
      utf16 += c;
      utf16 += '\0';
    }
    auto wide = cotalia::TableOf(utf16);
    Require(std::holds_alternative<PriceTable>(wide) && SameTable(std::get<PriceTable>(wide), table));
  }

  // The first columns, the default one and the last: enough to meet every
  // kind of column without reading a table of thousands of columns as many
  // times.
  std::vector<std::size_t> columns;
  for (std::size_t c = 0; c < std::min<std::size_t>(table.columns.size(), 6); ++c) columns.push_back(c);
  columns.push_back(table.priceColumn);
  columns.push_back(table.columns.size() - 1);
  for (const std::size_t column : columns) {
    const auto history = cotalia::HistoryOf(table, column);
    if (const auto* problem = std::get_if<HistoryProblem>(&history)) {
      CheckProblem(table, *problem);
    } else {
      CheckHistory(table, column, std::get<PriceHistory>(history));
    }
  }
  const auto beyond = cotalia::HistoryOf(table, table.columns.size());
  Require(std::holds_alternative<HistoryProblem>(beyond) &&
          std::get<HistoryProblem>(beyond).kind == Kind::NoPriceColumn);

  bool asked = false;
  const cotalia::ReadProgress stop = [&asked](double done) {
    Require(done >= 0 && done <= 1);
    asked = true;
    return false;
  };
  const auto stopped = cotalia::HistoryOf(table, table.priceColumn, stop);
  if (asked) {
    Require(std::holds_alternative<HistoryProblem>(stopped) &&
            std::get<HistoryProblem>(stopped).kind == Kind::Cancelled);
  }
  return 0;
}
