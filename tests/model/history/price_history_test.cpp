// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/history/price_history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace cotalia {
namespace {

using Kind = HistoryProblem::Kind;

// Text as a spreadsheet saves "Unicode text": UTF-16 with its byte order mark.
std::string Utf16(std::u16string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

std::vector<std::string> IsoDays(const std::vector<Day>& days) {
  std::vector<std::string> texts;
  texts.reserve(days.size());
  for (const Day day : days) texts.push_back(IsoTextOfDay(day));
  return texts;
}

// The table, or a failed test.
PriceTable TableOrFail(std::string_view bytes) {
  auto table = TableOf(bytes);
  if (const auto* problem = std::get_if<HistoryProblem>(&table)) {
    ADD_FAILURE() << "TableOf refused the text: kind " << static_cast<int>(problem->kind);
    return {};
  }
  return std::get<PriceTable>(std::move(table));
}

// The history of a column (the default one where none is named), or the
// problem that TableOf or HistoryOf found.
std::variant<PriceHistory, HistoryProblem> Read(std::string_view bytes,
                                                std::optional<std::size_t> column = std::nullopt) {
  auto table = TableOf(bytes);
  if (auto* problem = std::get_if<HistoryProblem>(&table)) return *problem;
  const PriceTable& read = std::get<PriceTable>(table);
  return HistoryOf(read, column.value_or(read.priceColumn));
}

PriceHistory HistoryOrFail(std::string_view bytes) {
  auto history = Read(bytes);
  if (const auto* problem = std::get_if<HistoryProblem>(&history)) {
    ADD_FAILURE() << "a problem of kind " << static_cast<int>(problem->kind) << " at line " << problem->line;
    return {};
  }
  return std::get<PriceHistory>(std::move(history));
}

// Whole files as users have them, and what is read from them: the table,
// and the history of its default column.
struct Shape {
  TextEncoding encoding;
  char delimiter;
  bool header;
  std::vector<std::string> columns;
  std::optional<std::size_t> dateColumn;
  std::string priceColumn;
};

struct Expected {
  std::vector<double> prices;
  std::vector<std::string> days;
  DateOrder order;
  std::size_t leftOut;
  int periodsPerYear;
};

struct Example {
  const char* name;
  std::string bytes;
  Shape shape;
  Expected read;
};

void PrintTo(const Example& example, std::ostream* os) { *os << example.name; }

const std::vector<Example>& ExampleFiles() {
  using enum TextEncoding;
  using enum DateOrder;
  static const std::vector<Example> examples = {
      {"FinanceSiteDownload",
       "Date,Open,High,Low,Close,Adj Close,Volume\n"
       "2023-12-26,193.610001,193.889999,192.830002,193.050003,192.444595,28919300\n"
       "2023-12-27,192.490005,193.500000,191.089996,193.149994,192.544266,48087700\n"
       "2023-12-28,194.139999,194.660004,193.169998,193.580002,192.972916,34049900\n"
       "2023-12-29,193.899994,194.399994,191.729996,192.529999,191.926224,42628800\n",
       {Utf8, ',', true, {"Date", "Open", "High", "Low", "Close", "Adj Close", "Volume"}, 0, "Adj Close"},
       {{192.444595, 192.544266, 192.972916, 191.926224},
        {"2023-12-26", "2023-12-27", "2023-12-28", "2023-12-29"},
        Iso,
        0,
        252}},
      {"SpanishSiteNewestFirst",
       "\xEF\xBB\xBF\"Fecha\",\"\xC3\x9Altimo\",\"Apertura\",\"M\xC3\xA1ximo\",\"M\xC3\xADnimo\",\"Vol.\","
       "\"% var.\"\n"
       "\"03.01.1990\",\"2.801,50\",\"2.760,10\",\"2.810,00\",\"2.755,00\",\"1,23M\",\"1,20%\"\n"
       "\"02.01.1990\",\"2.768,30\",\"2.753,20\",\"2.770,00\",\"2.740,00\",\"0,98M\",\"0,55%\"\n"
       "\"29.12.1989\",\"2.753,20\",\"2.767,60\",\"2.770,10\",\"2.745,00\",\"1,10M\",\"-0,52%\"\n"
       "\"28.12.1989\",\"2.767,60\",\"2.770,00\",\"2.780,00\",\"2.750,50\",\"1,05M\",\"0,10%\"\n",
       {Utf8,
        ',',
        true,
        {"Fecha", "\xC3\x9Altimo", "Apertura", "M\xC3\xA1ximo", "M\xC3\xADnimo", "Vol.", "% var."},
        0,
        "\xC3\x9Altimo"},
       {{2767.6, 2753.2, 2768.3, 2801.5},
        {"1989-12-28", "1989-12-29", "1990-01-02", "1990-01-03"},
        DayFirst,
        0,
        252}},
      {"SpanishSpreadsheetWindows1252",
       "Fecha;Cierre;M\xE1ximo (\x80)\r\n02/01/2024;824,57;830,10\r\n;;\r\n03/01/2024;830,25;831,00\r\n"
       "04/01/2024;828,00;835,50\r\n\r\n",
       {Windows1252, ';', true, {"Fecha", "Cierre", "M\xC3\xA1ximo (\xE2\x82\xAC)"}, 0, "Cierre"},
       {{824.57, 830.25, 828.0}, {"2024-01-02", "2024-01-03", "2024-01-04"}, Ambiguous, 0, 252}},
      {"PastedTwoColumns",
       "01/12/2023\t193,58\n08/12/2023\t195,71\n15/12/2023\t197,57\n22/12/2023\t193,6\n",
       {Utf8, '\t', false, {"Columna 1", "Columna 2"}, 0, "Columna 2"},
       {{193.58, 195.71, 197.57, 193.6},
        {"2023-12-01", "2023-12-08", "2023-12-15", "2023-12-22"},
        DayFirst,
        0,
        52}},
      {"OneColumnOfPrices",
       "101.5\n102.25\n\n100.75\n",
       {Utf8, '\0', false, {"Columna 1"}, {}, "Columna 1"},
       {{101.5, 102.25, 100.75}, {}, Iso, 0, 252}},
      {"OneColumnWithDecimalCommasUnderPrecio",
       "Precio\r\n101,5\r\n102,25\r\n100,75\r\n",
       {Utf8, '\0', true, {"Precio"}, {}, "Precio"},
       {{101.5, 102.25, 100.75}, {}, Iso, 0, 252}},
      {"SpreadsheetUnicodeText",
       Utf16(u"Fecha\tCierre\r\n2024-01-31\t1.234,5\r\n2024-02-29\t1.240,25\r\n2024-03-31\t1.250\r\n", false),
       {Utf16LittleEndian, '\t', true, {"Fecha", "Cierre"}, 0, "Cierre"},
       {{1234.5, 1240.25, 1250}, {"2024-01-31", "2024-02-29", "2024-03-31"}, Iso, 0, 12}},
      {"Utf16BigEndianBeyondTheBasicPlane",
       Utf16(u"\U0001F4C8 \u00DAltimo;Fecha\n3;2020-06-30\n4;2020-03-31\n5;2020-09-30\n", true),
       {Utf16BigEndian,
        ';',
        true,
        {"\xF0\x9F\x93\x88 \xC3\x9Altimo", "Fecha"},
        1,
        "\xF0\x9F\x93\x88 \xC3\x9Altimo"},
       {{4, 3, 5}, {"2020-03-31", "2020-06-30", "2020-09-30"}, Iso, 0, 4}},
      {"MonthFirstWithTimesAndOldMacLines",
       "Date,Close\r12/27/2023 4:00 PM,10.5\r12/28/2023 4:00 PM,11\r12/29/2023 4:00 PM,10.75\r",
       {Utf8, ',', true, {"Date", "Close"}, 0, "Close"},
       {{10.5, 11, 10.75}, {"2023-12-27", "2023-12-28", "2023-12-29"}, MonthFirst, 0, 252}},
      {"YearlyTwoDigitYearsOutOfOrder",
       "Cierre;Fecha\n2,5;31-12-99\n3,5;31-12-01\n3;31-12-00\n4,5;31-12-69\n",
       {Utf8, ';', true, {"Cierre", "Fecha"}, 1, "Cierre"},
       {{2.5, 3, 3.5, 4.5}, {"1999-12-31", "2000-12-31", "2001-12-31", "2069-12-31"}, DayFirst, 0, 1}},
      {"DaysWithoutPricesLeftOut",
       "Date,Close,Volume\n2024-01-02,10,1\n2024-01-03,,1\n2024-01-04,null,1\n2024-01-05,N/A,1\n"
       "2024-01-08,-,1\n2024-01-09,NaN,1\n2024-01-10,#N/A,1\n2024-01-11,na,1\n2024-01-12\n"
       "2024-01-15, 11 ,1\n,,\n  \n2024-01-16,\"12\",1\n",
       {Utf8, ',', true, {"Date", "Close", "Volume"}, 0, "Close"},
       {{10, 11, 12}, {"2024-01-02", "2024-01-15", "2024-01-16"}, Iso, 8, 252}},
      {"QuotedNotesWithLineBreaksAndQuotes",
       "Date,Note,Close\n2024-01-02,\"split, 2 for 1\",10\n2024-01-03,\"line one\nline \"\"two\"\"\",11\n"
       "2024-01-04,a 12\" record,12\n2024-01-05,\"\",13\n",
       {Utf8, ',', true, {"Date", "Note", "Close"}, 0, "Close"},
       {{10, 11, 12, 13}, {"2024-01-02", "2024-01-03", "2024-01-04", "2024-01-05"}, Iso, 0, 252}},
      {"NoNamedColumnTakesTheLastNumbers",
       "Day;Open;Last trade;Ticker\n2024-01-02;1;2;AAA\n2024-01-03;3;4;AAA\n2024-01-04;5;6;AAA\n",
       {Utf8, ';', true, {"Day", "Open", "Last trade", "Ticker"}, 0, "Last trade"},
       {{2, 4, 6}, {"2024-01-02", "2024-01-03", "2024-01-04"}, Iso, 0, 252}},
      {"PastedFromTheWebPage",
       "Date\tOpen\tClose*\tAdj Close**\n2024-01-02\t1\t2\t3\n2024-01-03\t1\t2\t4\n2024-01-04\t1\t2\t5\n",
       {Utf8, '\t', true, {"Date", "Open", "Close*", "Adj Close**"}, 0, "Adj Close**"},
       {{3, 4, 5}, {"2024-01-02", "2024-01-03", "2024-01-04"}, Iso, 0, 252}},
      {"NamesInAnyCaseWithoutAccents",
       "FECHA,  ultimo  ,Cierre Ajustado\n2024-01-02,1,7\n2024-01-03,2,8\n2024-01-04,3,9\n",
       {Utf8, ',', true, {"FECHA", "ultimo", "Cierre Ajustado"}, 0, "Cierre Ajustado"},
       {{7, 8, 9}, {"2024-01-02", "2024-01-03", "2024-01-04"}, Iso, 0, 252}},
      {"SemicolonsBeforeDecimalCommasWithoutAHeader",
       "29/12/1989;824,57\n30/12/1989;830,1\n31/12/1989;828,25\n",
       {Utf8, ';', false, {"Columna 1", "Columna 2"}, 0, "Columna 2"},
       {{824.57, 830.1, 828.25}, {"1989-12-29", "1989-12-30", "1989-12-31"}, DayFirst, 0, 252}},
      {"ChineseHeaderBeyondTheBasicPlane",
       "\xE6\x97\xA5\xE6\x9C\x9F,\xF0\x90\x80\x80 \xE0\xA0\x80 "
       "\xE4\xBB\xB7\xE6\xA0\xBC\n2024-01-02,1\n2024-01-03,2\n"
       "2024-01-04,3\n",
       {Utf8,
        ',',
        true,
        {"\xE6\x97\xA5\xE6\x9C\x9F", "\xF0\x90\x80\x80 \xE0\xA0\x80 \xE4\xBB\xB7\xE6\xA0\xBC"},
        0,
        "\xF0\x90\x80\x80 \xE0\xA0\x80 \xE4\xBB\xB7\xE6\xA0\xBC"},
       {{1, 2, 3}, {"2024-01-02", "2024-01-03", "2024-01-04"}, Iso, 0, 252}},
      {"OverlongFourBytesAreWindows1252",
       "Fecha;Cierre;Nota \xF0\x8F\xBF\xBF\n2024-01-02;1;a\n2024-01-03;2;b\n2024-01-04;3;c\n",
       {Windows1252, ';', true, {"Fecha", "Cierre", "Nota \xC3\xB0\xC2\x8F\xC2\xBF\xC2\xBF"}, 0, "Cierre"},
       {{1, 2, 3}, {"2024-01-02", "2024-01-03", "2024-01-04"}, Iso, 0, 252}},
      {"Utf16PrivateUseIsNoSurrogate",
       Utf16(u"Fecha\tCierre \xD83D\uE000 \xD800\xDC00 "
             u"\xD800-\r\n2024-01-31\t1\r\n2024-02-29\t2\r\n2024-03-31\t3\r\n",
             false),
       {Utf16LittleEndian,
        '\t',
        true,
        {"Fecha", "Cierre \xEF\xBF\xBD\xEE\x80\x80 \xF0\x90\x80\x80 \xEF\xBF\xBD-"},
        0,
        "Cierre \xEF\xBF\xBD\xEE\x80\x80 \xF0\x90\x80\x80 \xEF\xBF\xBD-"},
       {{1, 2, 3}, {"2024-01-31", "2024-02-29", "2024-03-31"}, Iso, 0, 12}},
      {"Windows1252CapitalsBeforeAscii",
       "Fecha;\xDAltimo\n2024-01-02;1\n2024-01-03;2\n2024-01-04;3\n",
       {Windows1252, ';', true, {"Fecha", "\xC3\x9Altimo"}, 0, "\xC3\x9Altimo"},
       {{1, 2, 3}, {"2024-01-02", "2024-01-03", "2024-01-04"}, Iso, 0, 252}},
      {"ARecordShortOfItsPriceAfterASkippedColumn",
       "Fecha;Volumen;Cierre\n2024-01-02;5;1\n2024-01-03;7\n2024-01-04;6;2\n2024-01-05;4;3\n",
       {Utf8, ';', true, {"Fecha", "Volumen", "Cierre"}, 0, "Cierre"},
       {{1, 2, 3}, {"2024-01-02", "2024-01-04", "2024-01-05"}, Iso, 1, 252}},
      {"AnAccentOnTheNameLastLetter",
       "Fecha;Apertura;Cierr\xC3\xA9;Volumen\n2024-01-02;1;4;7\n2024-01-03;2;5;8\n2024-01-04;3;6;9\n",
       {Utf8, ';', true, {"Fecha", "Apertura", "Cierr\xC3\xA9", "Volumen"}, 0, "Cierr\xC3\xA9"},
       {{4, 5, 6}, {"2024-01-02", "2024-01-03", "2024-01-04"}, Iso, 0, 252}},
      {"NoDatesBesideANameColumn",
       "Acci\xC3\xB3n;Precio\nAcme;1,5\nAcme;2\nAcme;2,5\n",
       {Utf8, ';', true, {"Acci\xC3\xB3n", "Precio"}, {}, "Precio"},
       {{1.5, 2, 2.5}, {}, Iso, 0, 252}},
      {"DaysPastThirtyOneAreNoDates",
       "Fecha;Cierre\n01/32/2024;1\n02/32/2024;2\n03/01/2024;3\n",
       {Utf8, ';', true, {"Fecha", "Cierre"}, {}, "Cierre"},
       {{1, 2, 3}, {}, Iso, 0, 252}},
      {"NoHeaderOverAMostlyTextColumn",
       "2024-01-02\tAcme\t10\n2024-01-03\t7\t11\n2024-01-04\tAcme\t12\n",
       {Utf8, '\t', false, {"Columna 1", "Columna 2", "Columna 3"}, 0, "Columna 3"},
       {{10, 11, 12}, {"2024-01-02", "2024-01-03", "2024-01-04"}, Iso, 0, 252}},
  };
  return examples;
}

class Examples : public testing::TestWithParam<Example> {};

TEST_P(Examples, AreRead) {
  const Example& example = GetParam();
  const Shape& shape = example.shape;
  const PriceTable table = TableOrFail(example.bytes);
  EXPECT_EQ(table.encoding, shape.encoding);
  EXPECT_EQ(table.delimiter, shape.delimiter);
  EXPECT_EQ(table.header, shape.header);
  EXPECT_EQ(table.columns, shape.columns);
  EXPECT_EQ(table.dateColumn, shape.dateColumn);
  ASSERT_LT(table.priceColumn, table.columns.size());
  EXPECT_EQ(table.columns[table.priceColumn], shape.priceColumn);

  const Expected& expected = example.read;
  const PriceHistory history = HistoryOrFail(example.bytes);
  EXPECT_EQ(history.column, shape.priceColumn);
  EXPECT_EQ(history.prices, expected.prices);
  EXPECT_EQ(IsoDays(history.days), expected.days);
  EXPECT_EQ(history.dateOrder, expected.order);
  EXPECT_EQ(history.leftOut, expected.leftOut);
  EXPECT_EQ(history.periodsPerYear, expected.periodsPerYear);
}

INSTANTIATE_TEST_SUITE_P(PriceHistory, Examples, testing::ValuesIn(ExampleFiles()),
                         [](const auto& info) { return std::string(info.param.name); });

// A column of prices under "Precio", one a line: the column's decimal
// separator decided from its texts as a whole.
struct Numbers {
  const char* name;
  std::vector<std::string> texts;
  std::vector<double> prices;  // empty where the column is refused at `badLine`
  std::size_t badLine = 0;
};

void PrintTo(const Numbers& numbers, std::ostream* os) { *os << numbers.name; }

const std::vector<Numbers>& NumberTexts() {
  static const std::vector<Numbers> columns = {
      {"BothSeparatorsCommaLast", {"2.753,20", "1.234", "999,5"}, {2753.2, 1234, 999.5}},
      {"BothSeparatorsPointLast", {"2,753.20", "1,234", "999.5"}, {2753.2, 1234, 999.5}},
      {"ATwiceSeparatorGroupsThousands", {"1,234,567", "1,234", "5"}, {1234567, 1234, 5}},
      {"ATwiceSeparatorGroupsThousandsByPoints", {"1.234.567", "1.234", "5"}, {1234567, 1234, 5}},
      {"NotThreeDigitsAfterIsDecimal", {"1,5", "1,234", "12,25"}, {1.5, 1.234, 12.25}},
      {"LeadingZeroGroupIsDecimal", {"0.125", "1,250", "2,000"}, {0.125, 1250, 2000}},
      {"LongFirstGroupIsDecimal", {"1234,567", "2,500", "1,001"}, {1234.567, 2.5, 1.001}},
      {"BlankGroupsMakeTheOtherDecimal", {"1 234,5", "1 000", "12,500"}, {1234.5, 1000, 12.5}},
      {"NoBreakSpaceAndApostropheGroups",
       {"1\xC2\xA0"
        "234,5",
        "1'000",
        "2\xE2\x80\xAF"
        "000"},
       {1234.5, 1000, 2000}},
      {"UnsettledCommasAreDecimals", {"1,234", "2,500", "1,001"}, {1.234, 2.5, 1.001}},
      {"UnsettledPointsAreDecimals", {"1.234", "2.500", "1.001"}, {1.234, 2.5, 1.001}},
      {"UnsettledOnATieThePointIsDecimal", {"1,234", "2.500", "3"}, {1234, 2.5, 3}},
      {"SignsAndExponents", {"+12.5", "1.5E2", "2e-1", ".5"}, {12.5, 150, 0.2, 0.5}},
      {"CorrectlyRounded",
       {"0.1", "2.2250738585072014e-308", "9007199254740993"},
       {0.1, 2.2250738585072014e-308, 9007199254740992.0}},
      {"TheMajorityDecides", {"1.234,5", "1,234.5", "2.000,25"}, {}, 3},
      {"BadGroupingUnderTheDecision", {"2,753.20", "1,23"}, {}, 3},
      {"PercentIsNotAPrice", {"1.5", "2%", "3"}, {}, 3},
      {"SuffixIsNotAPrice", {"1.5", "2", "1,23M"}, {}, 4},
      {"BeyondTheDoubles", {"1.5", "1e400", "3"}, {}, 3},
      {"AFirstGroupOfFourIsNoGroup", {"1.5", "1234,567.5", "3"}, {}, 3},
      {"GroupsOfTwoAreNoGroups", {"1.5", "1,23,456.5", "3"}, {}, 3},
  };
  return columns;
}

class NumberColumns : public testing::TestWithParam<Numbers> {};

TEST_P(NumberColumns, DecideTheirSeparator) {
  const Numbers& numbers = GetParam();
  std::string bytes = "Precio\n";
  for (const std::string& text : numbers.texts) bytes += text + "\n";
  const auto history = Read(bytes);
  if (numbers.prices.empty()) {
    const auto* problem = std::get_if<HistoryProblem>(&history);
    ASSERT_NE(problem, nullptr);
    EXPECT_EQ(problem->kind, Kind::NotANumber);
    EXPECT_EQ(problem->line, numbers.badLine);
    EXPECT_EQ(problem->column, "Precio");
    return;
  }
  ASSERT_TRUE(std::holds_alternative<PriceHistory>(history));
  EXPECT_EQ(std::get<PriceHistory>(history).prices, numbers.prices);
}

INSTANTIATE_TEST_SUITE_P(PriceHistory, NumberColumns, testing::ValuesIn(NumberTexts()),
                         [](const auto& info) { return std::string(info.param.name); });

// A column of dates under "Fecha" beside prices 1, 2, 3...: the order of
// day and month decided from the column as a whole.
struct Dates {
  const char* name;
  std::vector<std::string> texts;
  DateOrder order;
  std::vector<std::string> days;  // in the file's order; empty where `badLine` is refused
  std::size_t badLine = 0;
};

void PrintTo(const Dates& dates, std::ostream* os) { *os << dates.name; }

const std::vector<Dates>& DateTexts() {
  static const std::vector<Dates> columns = {
      {"Iso",
       {"1989-12-29", "1990-01-02", "2000-02-29"},
       DateOrder::Iso,
       {"1989-12-29", "1990-01-02", "2000-02-29"}},
      {"IsoBySlashesWithTimes",
       {"2024/01/02", "2024/01/03T09:30:00Z", "2024/1/4 00:00:00"},
       DateOrder::Iso,
       {"2024-01-02", "2024-01-03", "2024-01-04"}},
      {"DayFirstBySlashes",
       {"29/12/1989", "02/01/1990", "03/01/1990"},
       DateOrder::DayFirst,
       {"1989-12-29", "1990-01-02", "1990-01-03"}},
      {"DayFirstByPoints",
       {"5.1.2024", "13.1.2024", "6.2.2024"},
       DateOrder::DayFirst,
       {"2024-01-05", "2024-01-13", "2024-02-06"}},
      {"DayFirstByDashes",
       {"29-12-1989", "30-12-1989", "31-12-1989"},
       DateOrder::DayFirst,
       {"1989-12-29", "1989-12-30", "1989-12-31"}},
      {"MonthFirst",
       {"12/29/1989", "01/02/1990", "1/3/1990"},
       DateOrder::MonthFirst,
       {"1989-12-29", "1990-01-02", "1990-01-03"}},
      {"AmbiguousReadDayFirst",
       {"01/02/2024", "02/03/2024", "03/04/2024"},
       DateOrder::Ambiguous,
       {"2024-02-01", "2024-03-02", "2024-04-03"}},
      {"SettledByTheLastRow",
       {"01/02/2024", "02/02/2024", "02/13/2024"},
       DateOrder::MonthFirst,
       {"2024-01-02", "2024-02-02", "2024-02-13"}},
      {"TwoDigitYears",
       {"31/12/69", "31.12.70", "1-1-00"},
       DateOrder::DayFirst,
       {"2069-12-31", "1970-12-31", "2000-01-01"}},
      {"NoThirtyFirstOfFebruary", {"28/02/2023", "30/01/2023", "31/02/2023"}, DateOrder::DayFirst, {}, 4},
      {"NoTwentyNinthInAPlainYear", {"2024-02-29", "2023-02-28", "2023-02-29"}, DateOrder::Iso, {}, 4},
      {"NoThirteenthMonthInIso", {"2024-01-02", "2024-13-02", "2024-01-04"}, DateOrder::Iso, {}, 3},
      {"TheMajorityDecides", {"13/01/2024", "01/13/2024", "14/01/2024"}, DateOrder::DayFirst, {}, 3},
      {"NotADateAtAll", {"2024-01-02", "yesterday", "2024-01-04"}, DateOrder::Iso, {}, 3},
      {"ThreeDigitYear", {"2024-01-02", "02/01/202", "2024-01-04"}, DateOrder::Iso, {}, 3},
  };
  return columns;
}

class DateColumns : public testing::TestWithParam<Dates> {};

TEST_P(DateColumns, DecideTheirOrder) {
  const Dates& dates = GetParam();
  std::string bytes = "Fecha;Cierre\n";
  for (std::size_t i = 0; i < dates.texts.size(); ++i)
    bytes += dates.texts[i] + ";" + std::to_string(i + 1) + "\n";
  const auto history = Read(bytes);
  if (dates.days.empty()) {
    const auto* problem = std::get_if<HistoryProblem>(&history);
    ASSERT_NE(problem, nullptr);
    EXPECT_EQ(problem->kind, Kind::NotADate);
    EXPECT_EQ(problem->line, dates.badLine);
    EXPECT_EQ(problem->column, "Fecha");
    return;
  }
  ASSERT_TRUE(std::holds_alternative<PriceHistory>(history));
  const PriceHistory& read = std::get<PriceHistory>(history);
  EXPECT_EQ(read.dateOrder, dates.order);
  // Sorted oldest first, each price still beside its own date.
  std::vector<std::pair<std::string, double>> expected;
  for (std::size_t i = 0; i < dates.days.size(); ++i)
    expected.emplace_back(dates.days[i], static_cast<double>(i + 1));
  std::sort(expected.begin(), expected.end());
  std::vector<std::pair<std::string, double>> actual;
  for (std::size_t i = 0; i < read.days.size(); ++i)
    actual.emplace_back(IsoTextOfDay(read.days[i]), read.prices[i]);
  EXPECT_EQ(actual, expected);
}

INSTANTIATE_TEST_SUITE_P(PriceHistory, DateColumns, testing::ValuesIn(DateTexts()),
                         [](const auto& info) { return std::string(info.param.name); });

// What keeps a history from being read, and where.
struct Refusal {
  const char* name;
  std::string bytes;
  std::optional<std::size_t> column;  // the default one where none
  Kind kind;
  std::size_t line = 0;
  std::size_t otherLine = 0;
  std::string columnName{};
  std::size_t count = 0;
};

void PrintTo(const Refusal& refusal, std::ostream* os) { *os << refusal.name; }

const std::vector<Refusal>& RefusedFiles() {
  static const std::vector<Refusal> refusals = {
      {"NulByte", std::string("Date,Close\n2024-01-02,1\0\n", 24), std::nullopt, Kind::NotText},
      {"NulInUtf16", Utf16(std::u16string(u"1\n2\n\0\n3\n", 8), false), std::nullopt, Kind::NotText},
      {"NothingButBlanks", "\r\n  \n\t\n", std::nullopt, Kind::NoRows},
      {"HeaderAlone", "Fecha;Cierre\r\n\r\n", std::nullopt, Kind::NoRows},
      {"NoNumbers", "Nombre,Bolsa\nAcme,NYSE\nIniciativas,BME\n", std::nullopt, Kind::NoPriceColumn},
      {"NoSuchColumn", "Date,Close\n2024-01-02,1\n2024-01-03,2\n2024-01-04,3\n", 2, Kind::NoPriceColumn},
      {"NotANumberBelowAQuotedLineBreak",
       "Date,Note,Close\n2024-01-02,\"two\nlines\",10\n2024-01-03,ok,11\n2024-01-04,ok,1x\n", std::nullopt,
       Kind::NotANumber, 5, 0, "Close"},
      {"NotANumberAfterALineBreakInItsRecord",
       "Date,Note,Close\n2024-01-02,,10\n2024-01-03,\"a\r\nb\rc\",abc\n", std::nullopt, Kind::NotANumber, 5,
       0, "Close"},
      {"ReadingTheDatesAsPrices", "Date,Close\n2024-01-02,1\n2024-01-03,2\n2024-01-04,3\n", 0,
       Kind::NotANumber, 2, 0, "Date"},
      {"QuotedTextAfterTheQuote", "Date,Close\n2024-01-02,\"1\"2\n2024-01-03,2\n2024-01-04,3\n", std::nullopt,
       Kind::NotANumber, 2, 0, "Close"},
      {"Zero", "Fecha;Cierre\n2024-01-02;1\n2024-01-03;0,00\n2024-01-04;3\n", std::nullopt, Kind::NotPositive,
       3, 0, "Cierre"},
      {"Negative", "Fecha;Cierre\n2024-01-02;1\n2024-01-03;2\n2024-01-04;-3\n", std::nullopt,
       Kind::NotPositive, 4, 0, "Cierre"},
      {"UnderflowsToZero", "Precio\n1\n1e-400\n3\n", std::nullopt, Kind::NotPositive, 3, 0, "Precio"},
      {"PriceWithoutADate", "Date,Close\n2024-01-02,1\n,2\n2024-01-04,3\n", std::nullopt, Kind::NotADate, 3,
       0, "Date"},
      {"RowTooShortForItsDate", "Close,Date\n1,2024-01-02\n2\n3,2024-01-04\n", std::nullopt, Kind::NotADate,
       3, 0, "Date"},
      {"SameDateApart",
       "Date,Close\n2024-01-02,1\n2024-01-03,2\n2024-01-04,3\n2024-01-05,4\n2024-01-03,5\n2024-01-02,6\n",
       std::nullopt, Kind::SameDate, 6, 3, "Date"},
      {"SameDateWithinADayFirstColumn", "Fecha;Cierre\n13/01/2024;1\n14/01/2024;2\n14/01/2024 17:30;3\n",
       std::nullopt, Kind::SameDate, 4, 3, "Fecha"},
      {"NotADateAfterALeftOutRow", "Fecha;Cierre\n13/01/2024;1\n14/01/2024;\n31/02/2024;3\n15/01/2024;4\n",
       std::nullopt, Kind::NotADate, 4, 0, "Fecha"},
      {"SameDateBelowALineBreakInItsRecord",
       "Note,Date,Close\n\"\nsplit\",2024-01-02,1\n,2024-01-03,2\n,2024-01-02,3\n", std::nullopt,
       Kind::SameDate, 5, 3, "Date"},
      {"FewerThanThree", "Date,Close\n2024-01-02,1\n2024-01-03,\n2024-01-04,3\n", std::nullopt,
       Kind::FewerThanThreePrices, 0, 0, "Close", 2},
  };
  return refusals;
}

class Refusals : public testing::TestWithParam<Refusal> {};

TEST_P(Refusals, NameTheirPlace) {
  const Refusal& refusal = GetParam();
  const auto history = Read(refusal.bytes, refusal.column);
  const auto* problem = std::get_if<HistoryProblem>(&history);
  ASSERT_NE(problem, nullptr);
  EXPECT_EQ(problem->kind, refusal.kind);
  EXPECT_EQ(problem->line, refusal.line);
  EXPECT_EQ(problem->otherLine, refusal.otherLine);
  EXPECT_EQ(problem->column, refusal.columnName);
  EXPECT_EQ(problem->count, refusal.count);
}

INSTANTIATE_TEST_SUITE_P(PriceHistory, Refusals, testing::ValuesIn(RefusedFiles()),
                         [](const auto& info) { return std::string(info.param.name); });

// Prices `spacing` days apart, or on the days given, and the periods a year
// taken from them.
struct Spacing {
  const char* name;
  std::vector<int> gaps;  // repeated to 40 prices
  int periodsPerYear;
};

TEST(PriceHistory, PeriodsPerYearFromTheMedianSpacing) {
  const std::vector<Spacing> spacings = {
      {"TradingDays", {1, 1, 1, 1, 3}, 252},
      {"EveryThirdDay", {3}, 252},
      {"EveryFourthDay", {4}, 52},
      {"Weekly", {7}, 52},
      {"Fortnightly", {14}, 52},
      {"Fifteen", {15}, 12},
      {"CalendarMonths", {31, 29, 31, 30}, 12},
      {"FiftyTwo", {52}, 12},
      {"FiftyThree", {53}, 4},
      {"Quarterly", {90, 91, 92, 92}, 4},
      {"HalfYearly", {182}, 4},
      {"OneEightyThree", {183}, 1},
      {"Yearly", {365, 366, 365, 365}, 1},
      {"DailyBesideAFewGaps", {1, 1, 400}, 252},
  };
  for (const Spacing& spacing : spacings) {
    std::string bytes = "Date,Close\n";
    Day day = 0;
    for (std::size_t i = 0; i < 40; ++i) {
      bytes += IsoTextOfDay(day) + "," + std::to_string(i + 1) + "\n";
      day += spacing.gaps[i % spacing.gaps.size()];
    }
    EXPECT_EQ(HistoryOrFail(bytes).periodsPerYear, spacing.periodsPerYear) << spacing.name;
  }
}

// Every day from 1600 to 2400 and far around them against a calendar kept
// the slow way, a day at a time.
TEST(PriceHistory, CivilDaysAgreeWithADayByDayCalendar) {
  const auto daysIn = [](std::int64_t year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
  };
  const auto iso = [](std::int64_t year, int month, int day) {
    std::string text = std::to_string(year);
    text.insert(0, 4 - text.size(), '0');
    return text + (month < 10 ? "-0" : "-") + std::to_string(month) + (day < 10 ? "-0" : "-") +
           std::to_string(day);
  };
  std::int64_t year = 1600;
  int month = 1;
  int dayOfMonth = 1;
  Day day = -135140;  // 1600-01-01
  constexpr Day kAboveZero = 200'000;
  std::size_t written = 0;
  std::string dates = "Fecha;Precio\n";
  for (; year < 2400; ++day) {
    ASSERT_EQ(IsoTextOfDay(day), iso(year, month, dayOfMonth)) << day;
    const CivilDate date = CivilDateOf(day);
    ASSERT_TRUE(date.year == year && date.month == month && date.day == dayOfMonth) << day;
    ASSERT_EQ(DayOf(date), day);
    const CivilDate civil = CivilDateOf(day);
    ASSERT_EQ(civil.year, year) << day;
    ASSERT_EQ(civil.month, month) << day;
    ASSERT_EQ(civil.day, dayOfMonth) << day;
    ASSERT_EQ(DayOf(civil), day);
    // Every 61st day read back from a file as a date, with its day number
    // (made positive) as its price.
    if (day % 61 == 0) {
      dates += iso(year, month, dayOfMonth) + ";" + std::to_string(day + kAboveZero) + "\n";
      ++written;
    }
    if (++dayOfMonth > daysIn(year, month)) {
      dayOfMonth = 1;
      if (++month > 12) {
        month = 1;
        ++year;
      }
    }
  }
  const PriceHistory history = HistoryOrFail(dates);
  ASSERT_EQ(history.days.size(), written);
  for (std::size_t i = 0; i < history.days.size(); ++i) {
    EXPECT_EQ(static_cast<double>(history.days[i] + kAboveZero), history.prices[i]);
  }
}

// Months and days beyond their ranges carry over, both ways.
TEST(PriceHistory, CivilDatesOutOfRangeCarryOver) {
  const struct {
    CivilDate date;
    const char* iso;
  } rows[] = {
      {{2023, 13, 1}, "2024-01-01"},  {{2024, 0, 1}, "2023-12-01"},    {{2024, -11, 1}, "2023-01-01"},
      {{2024, -12, 1}, "2022-12-01"}, {{2024, 3, 0}, "2024-02-29"},    {{2023, 3, 0}, "2023-02-28"},
      {{2024, 2, 30}, "2024-03-01"},  {{2024, 1, 366}, "2024-12-31"},  {{0, 1, 1}, "0000-01-01"},
      {{-1, 12, 31}, "-0001-12-31"},  {{2024, 25, -30}, "2025-12-01"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(IsoTextOfDay(DayOf(row.date)), row.iso)
        << row.date.year << " " << row.date.month << " " << row.date.day;
  }
}

TEST(PriceHistory, IsoTextOfDaysFarOut) {
  EXPECT_EQ(IsoTextOfDay(0), "1970-01-01");
  EXPECT_EQ(IsoTextOfDay(-719528), "0000-01-01");
  EXPECT_EQ(IsoTextOfDay(-719529), "-0001-12-31");
  EXPECT_EQ(IsoTextOfDay(2932896), "9999-12-31");
  EXPECT_EQ(IsoTextOfDay(2932897), "10000-01-01");
  EXPECT_EQ(IsoTextOfDay(std::numeric_limits<Day>::max()), "5881580-07-11");
  EXPECT_EQ(IsoTextOfDay(std::numeric_limits<Day>::min()), "-5877641-06-23");
}

// A sheet wider than a spreadsheet's 16384 columns is read as far as them.
// A table whose date column lies beyond its columns, as a caller may make
// one, is read without dates.
TEST(PriceHistory, ADateColumnBeyondTheTableIsNotRead) {
  PriceTable table = TableOrFail("Fecha;Cierre\n2024-01-02;1\n2024-01-03;2\n2024-01-04;3\n");
  table.dateColumn = table.columns.size();
  const auto history = HistoryOf(table, 1);
  ASSERT_TRUE(std::holds_alternative<PriceHistory>(history));
  EXPECT_EQ(std::get<PriceHistory>(history).prices, (std::vector<double>{1, 2, 3}));
  EXPECT_TRUE(std::get<PriceHistory>(history).days.empty());
}

TEST(PriceHistory, WideTablesEndAtASpreadsheetsColumns) {
  std::string bytes;
  for (int row = 1; row <= 3; ++row) {
    for (int column = 1; column <= 20000; ++column) bytes += std::to_string(row * column) + ";";
    bytes += "\n";
  }
  const PriceTable table = TableOrFail(bytes);
  ASSERT_EQ(table.columns.size(), 16384U);
  EXPECT_EQ(table.columns.back(), "Columna 16384");
  EXPECT_EQ(table.priceColumn, 16383U);
  const auto history = HistoryOf(table, table.priceColumn);
  ASSERT_TRUE(std::holds_alternative<PriceHistory>(history));
  EXPECT_EQ(std::get<PriceHistory>(history).prices, (std::vector<double>{16384, 32768, 49152}));
}

// A generated history of `rows` days, oldest first.
std::string LongHistory(std::size_t rows) {
  std::string bytes = "Date,Close\n";
  for (std::size_t i = 0; i < rows; ++i) {
    bytes += IsoTextOfDay(static_cast<Day>(i)) + "," + std::to_string(100 + i % 50) + ".25\n";
  }
  return bytes;
}

TEST(PriceHistory, ProgressGrowsToOneAndStopsWhenAsked) {
  const std::string bytes = LongHistory(200'000);
  for (const bool table : {true, false}) {
    std::vector<double> reported;
    const ReadProgress record = [&reported](double done) {
      reported.push_back(done);
      return true;
    };
    auto read = TableOf(bytes, table ? record : ReadProgress());
    ASSERT_TRUE(std::holds_alternative<PriceTable>(read));
    const auto history = HistoryOf(std::get<PriceTable>(read), 1, table ? ReadProgress() : record);
    ASSERT_TRUE(std::holds_alternative<PriceHistory>(history));
    EXPECT_EQ(std::get<PriceHistory>(history).prices.size(), 200'000U);
    ASSERT_GE(reported.size(), 4U) << table;
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
    EXPECT_GT(reported.front(), 0);
    EXPECT_EQ(reported.back(), 1);

    std::size_t calls = 0;
    const ReadProgress stop = [&calls](double) { return ++calls < 2; };
    if (table) {
      const auto stopped = TableOf(bytes, stop);
      ASSERT_TRUE(std::holds_alternative<HistoryProblem>(stopped));
      EXPECT_EQ(std::get<HistoryProblem>(stopped).kind, Kind::Cancelled);
    } else {
      const auto stopped = HistoryOf(std::get<PriceTable>(read), 1, stop);
      ASSERT_TRUE(std::holds_alternative<HistoryProblem>(stopped));
      EXPECT_EQ(std::get<HistoryProblem>(stopped).kind, Kind::Cancelled);
    }
    EXPECT_EQ(calls, 2U);
  }
}

// The caller's string taken over gives the table the copy gives.
TEST(PriceHistory, TakingTheBytesOverReadsTheSame) {
  for (const std::string& bytes :
       {LongHistory(5), "\xEF\xBB\xBF" + LongHistory(5), std::string("Precio\n1,5\n2\n\xE9\n")}) {
    const PriceTable copied = TableOrFail(bytes);
    std::string owned = bytes;
    auto taken = TableOf(std::move(owned));
    ASSERT_TRUE(std::holds_alternative<PriceTable>(taken));
    const PriceTable& table = std::get<PriceTable>(taken);
    EXPECT_EQ(table.text, copied.text);
    EXPECT_EQ(table.encoding, copied.encoding);
    EXPECT_EQ(table.columns, copied.columns);
    ASSERT_EQ(table.records.size(), copied.records.size());
    for (std::size_t i = 0; i < table.records.size(); ++i) {
      EXPECT_EQ(table.records[i].offset, copied.records[i].offset);
      EXPECT_EQ(table.records[i].line, copied.records[i].line);
    }
  }
}

// A text over the limit is refused before a byte of it is read: here the
// bytes are memory that faults when touched.
TEST(PriceHistory, TooLargeBeforeReading) {
  const std::size_t size = kLargestHistoryBytes + 1;
#ifdef _WIN32
  void* untouchable = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(untouchable, nullptr);
#else
  void* untouchable = mmap(nullptr, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(untouchable, MAP_FAILED);
#endif
  const auto table = TableOf(std::string_view(static_cast<const char*>(untouchable), size));
  ASSERT_TRUE(std::holds_alternative<HistoryProblem>(table));
  EXPECT_EQ(std::get<HistoryProblem>(table).kind, Kind::TooLarge);
#ifdef _WIN32
  VirtualFree(untouchable, 0, MEM_RELEASE);
#else
  munmap(untouchable, size);
#endif
}

}  // namespace
}  // namespace cotalia
