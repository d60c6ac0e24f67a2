// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the table in a history's text: its delimiter, its records, its
// header and the columns that hold dates and prices, decided from the first
// records.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "model/history/dates.h"
#include "model/history/price_history.h"
#include "model/history/price_numbers.h"
#include "model/history/reading.h"
#include "model/history/record_splitter.h"
#include "model/history/text_decoding.h"

namespace cotalia {

namespace reading {

namespace {

// The records that decide the delimiter, the header and the columns' kinds: a
// file's first screenful or so says as much as the rest of it, and a fixed
// number keeps the decisions from costing more as the file grows.
constexpr std::size_t kSampleRecords = 64;
// The most columns a table has, a spreadsheet's own limit; fields beyond it
// are not read. Without it a line of nothing but delimiters would cost a
// column's name and counts for each of its bytes.
constexpr std::size_t kMostColumns = 16384;

enum class FieldKind : std::uint8_t { Missing, Date, Number, Text };

FieldKind KindOf(const FieldScan& field, NumberScratch& scratch) {
  if (!field.plain) return FieldKind::Text;
  const std::string_view text = Trimmed(field.content);
  if (IsMissing(text)) return FieldKind::Missing;
  if (ScanDate(text)) return FieldKind::Date;
  if (LookAtNumber(text, scratch).number) return FieldKind::Number;
  return FieldKind::Text;
}

struct ColumnKinds {
  std::size_t dates = 0;
  std::size_t numbers = 0;
  std::size_t texts = 0;

  void Add(FieldKind kind) {
    if (kind == FieldKind::Date) ++dates;
    if (kind == FieldKind::Number) ++numbers;
    if (kind == FieldKind::Text) ++texts;
  }
  // More than half of the fields that hold anything.
  bool MostlyDates() const { return 2 * dates > dates + numbers + texts; }
  bool MostlyNumbers() const { return 2 * numbers > dates + numbers + texts; }
};

// Whether a record, whole, is one number (the line break that ends it aside).
bool IsOneNumber(std::string_view record, NumberScratch& scratch) {
  while (!record.empty() && (record.back() == '\n' || record.back() == '\r')) record.remove_suffix(1);
  record = Trimmed(record);
  return record.find('"') == std::string_view::npos && LookAtNumber(record, scratch).number;
}

// How many fields a candidate delimiter splits each of the first records
// into, blank ones left out; none for a comma where every record but the
// first (which may be a header) is, whole, one number: a single column of
// decimal commas.
std::optional<std::vector<std::size_t>> FieldCountsOf(std::string_view text, char candidate) {
  const Splitter splitter(candidate);
  NumberScratch scratch;
  std::vector<std::size_t> counts;
  bool allNumbers = true;
  std::size_t pos = 0;
  while (pos < text.size() && counts.size() < kSampleRecords) {
    const std::size_t start = pos;
    std::size_t fields = 0;
    bool blank = true;
    pos = splitter.ForEachField(text, pos, [&](const FieldScan& field) {
      ++fields;
      if (blank && (!field.plain || !IsBlankText(field.content))) blank = false;
    });
    if (blank) continue;
    if (candidate == ',' && !counts.empty() && allNumbers) {
      allNumbers = IsOneNumber(text.substr(start, pos - start), scratch);
    }
    counts.push_back(fields);
  }
  if (candidate == ',' && counts.size() > 1 && allNumbers) return std::nullopt;
  return counts;
}

// The most common of some counts, and how often it occurs; the larger count
// on a tie.
struct Mode {
  std::size_t value = 0;
  std::size_t occurrences = 0;
};

Mode ModeOf(std::vector<std::size_t> counts) {
  std::sort(counts.begin(), counts.end());
  Mode mode;
  for (std::size_t i = 0; i < counts.size();) {
    std::size_t j = i;
    while (j < counts.size() && counts[j] == counts[i]) ++j;
    if (j - i >= mode.occurrences) mode = {counts[i], j - i};
    i = j;
  }
  return mode;
}

// The delimiter that splits the first records most consistently into more
// than one field: for each of tab, semicolon and comma, the records that have
// the most common count of fields, where that count is above one. The most
// such records wins; on a tie the one less likely inside a field: tab, then
// semicolon (a Spanish export's comma is a decimal separator), then comma.
char DelimiterOf(std::string_view text) {
  char best = '\0';
  std::size_t bestScore = 0;
  for (const char candidate : {'\t', ';', ','}) {
    const std::optional<std::vector<std::size_t>> counts = FieldCountsOf(text, candidate);
    if (!counts) continue;
    const Mode mode = ModeOf(*counts);
    if (mode.value > 1 && mode.occurrences > bestScore) {
      best = candidate;
      bestScore = mode.occurrences;
    }
  }
  return best;
}

// A column's name as names are compared: ASCII letters in lower case, the
// accents of Latin-1's letters dropped, anything else but letters, digits and
// single blanks left out ("Adj. Close**" is "adj close", "Último" "ultimo").
std::string ComparableName(std::string_view name) {
  // U+00C0 to U+00FF without their accents; '\0' for the signs among them.
  static constexpr char kLatin1Letters[] =
      "aaaaaaaceeeeiiiidnooooo\0ouuuuyts"
      "aaaaaaaceeeeiiiidnooooo\0ouuuuyty";
  std::string comparable;
  bool blank = false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (c == '\xC3' && i + 1 < name.size()) {
      const auto second = static_cast<unsigned char>(name[++i]);
      c = second >= 0x80 && second < 0xC0 ? kLatin1Letters[second - 0x80] : '\0';
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
    if (IsBlank(c)) {
      blank = !comparable.empty();
      continue;
    }
    if (!IsDigit(c) && (c < 'a' || c > 'z')) continue;
    if (blank) comparable += ' ';
    blank = false;
    comparable += c;
  }
  return comparable;
}

// The column a price history is read from by default, by its name.
std::optional<std::size_t> NamedPriceColumn(const std::vector<std::string>& names) {
  static constexpr std::array<std::string_view, 3> kAdjusted = {"adj close", "adjusted close",
                                                                "cierre ajustado"};
  static constexpr std::array<std::string_view, 4> kPlain = {"close", "cierre", "ultimo", "precio"};
  for (const auto& wanted :
       {std::span<const std::string_view>(kAdjusted), std::span<const std::string_view>(kPlain)}) {
    for (std::size_t column = 0; column < names.size(); ++column) {
      const std::string name = ComparableName(names[column]);
      if (std::find(wanted.begin(), wanted.end(), name) != wanted.end()) return column;
    }
  }
  return std::nullopt;
}

std::string DefaultName(std::size_t column) { return "Columna " + std::to_string(column + 1); }

// The records of the text with the delimiter, blank ones left out: those
// whose fields hold nothing but blanks, as a blank line or a spreadsheet's
// empty row (";;;") is.
std::optional<std::vector<RecordStart>> RecordsOf(std::string_view text, const Splitter& splitter,
                                                  const ReadProgress& progress) {
  std::vector<RecordStart> records;
  // One per line at most, and at most one for every two bytes (a character
  // and a line break); counting the lines costs little beside reading them,
  // and a vector left to grow would pass through twice the size.
  const std::size_t lineFeeds = CountOf(text, '\n');
  records.reserve(std::min(lineFeeds > 0 ? lineFeeds : CountOf(text, '\r'), text.size() / 2) + 1);
  std::size_t pos = 0;
  std::size_t line = 1;
  while (pos < text.size()) {
    const RecordStart start{static_cast<std::uint32_t>(pos), static_cast<std::uint32_t>(line)};
    bool blank = false;
    if (const std::optional<std::size_t> end = splitter.EndOfFilledRecord(text, pos, line)) {
      pos = *end;
    } else {
      blank = true;
      pos = splitter.ForEachField(text, pos, [&](const FieldScan& field) {
        if (blank && (!field.plain || !IsBlankText(field.content))) blank = false;
        line += field.lineBreaks;
      });
    }
    ++line;
    if (blank) continue;
    records.push_back(start);
    if (records.size() % kProgressRecords == 0 &&
        !Continues(progress, static_cast<double>(pos) / static_cast<double>(text.size()))) {
      return std::nullopt;
    }
  }
  return records;
}

// The kinds of the first records' fields, the first record's fields as
// names, and the widest of those records.
struct Sample {
  std::vector<std::vector<FieldKind>> kinds;  // by record, then by column
  std::vector<std::string> firstNames;
  std::size_t width = 0;
};

Sample SampleOf(std::string_view text, const Splitter& splitter, const std::vector<RecordStart>& records) {
  NumberScratch scratch;
  Sample sample;
  sample.kinds.resize(std::min(records.size(), kSampleRecords + 1));
  for (std::size_t r = 0; r < sample.kinds.size(); ++r) {
    std::vector<FieldKind>& kinds = sample.kinds[r];
    splitter.ForEachField(text, records[r].offset, [&](const FieldScan& field) {
      if (kinds.size() == kMostColumns) return;
      kinds.push_back(KindOf(field, scratch));
      if (r == 0) sample.firstNames.push_back(NameOf(field));
    });
    sample.width = std::max(sample.width, kinds.size());
  }
  return sample;
}

// What each column holds in the sample's records below the first.
std::vector<ColumnKinds> KindsBelowFirst(const Sample& sample) {
  std::vector<ColumnKinds> below(sample.width);
  for (std::size_t r = 1; r < sample.kinds.size(); ++r) {
    for (std::size_t c = 0; c < sample.kinds[r].size(); ++c) below[c].Add(sample.kinds[r][c]);
  }
  return below;
}

// A header is a first record with a text over a column of numbers or dates;
// or, alone, a first record with any text in it.
bool IsHeader(const Sample& sample, const std::vector<ColumnKinds>& below) {
  const std::vector<FieldKind>& first = sample.kinds[0];
  for (std::size_t c = 0; c < first.size(); ++c) {
    if (first[c] != FieldKind::Text) continue;
    const std::size_t readable = below[c].dates + below[c].numbers;
    if (sample.kinds.size() == 1 || (readable > 0 && 2 * readable > readable + below[c].texts)) return true;
  }
  return false;
}

std::vector<std::string> ColumnNames(const Sample& sample, bool header) {
  std::vector<std::string> names(sample.width);
  for (std::size_t c = 0; c < names.size(); ++c) {
    const bool named = header && c < sample.firstNames.size() && !sample.firstNames[c].empty();
    names[c] = named ? sample.firstNames[c] : DefaultName(c);
  }
  return names;
}

// The first column that holds mostly dates.
std::optional<std::size_t> DateColumnOf(const std::vector<ColumnKinds>& columns) {
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (columns[c].dates > 0 && columns[c].MostlyDates()) return c;
  }
  return std::nullopt;
}

// The column read by default: by its name, else the last that holds mostly
// numbers; never the date column.
std::optional<std::size_t> PriceColumnOf(const PriceTable& table, const std::vector<ColumnKinds>& columns) {
  std::optional<std::size_t> price = table.header ? NamedPriceColumn(table.columns) : std::nullopt;
  if (price && price == table.dateColumn) price.reset();
  for (std::size_t c = columns.size(); c-- > 0 && !price;) {
    if (c != table.dateColumn && columns[c].numbers > 0 && columns[c].MostlyNumbers()) price = c;
  }
  return price;
}

std::variant<PriceTable, HistoryProblem> TableOfText(Decoded decoded, const ReadProgress& progress) {
  PriceTable table;
  table.text = std::move(decoded.text);
  table.encoding = decoded.encoding;
  const std::string_view text = table.text;
  table.delimiter = DelimiterOf(text);
  const Splitter splitter(table.delimiter);
  std::optional<std::vector<RecordStart>> records = RecordsOf(text, splitter, progress);
  if (!records) return UnplacedProblem(Kind::Cancelled);
  table.records = std::move(*records);
  if (table.records.empty()) return UnplacedProblem(Kind::NoRows);

  const Sample sample = SampleOf(text, splitter, table.records);
  std::vector<ColumnKinds> columns = KindsBelowFirst(sample);
  table.header = IsHeader(sample, columns);
  if (table.header) {
    table.records.erase(table.records.begin());
    if (table.records.empty()) return UnplacedProblem(Kind::NoRows);
  } else {
    for (std::size_t c = 0; c < sample.kinds[0].size(); ++c) columns[c].Add(sample.kinds[0][c]);
  }
  table.columns = ColumnNames(sample, table.header);
  table.dateColumn = DateColumnOf(columns);
  const std::optional<std::size_t> price = PriceColumnOf(table, columns);
  if (!price) return UnplacedProblem(Kind::NoPriceColumn);
  table.priceColumn = *price;
  if (!Continues(progress, 1.0)) return UnplacedProblem(Kind::Cancelled);
  return table;
}

std::variant<PriceTable, HistoryProblem> TableOfBytes(std::string_view bytes, std::string* owner,
                                                      const ReadProgress& progress) {
  auto decoded = Decode(bytes, owner);
  if (auto* problem = std::get_if<HistoryProblem>(&decoded)) return std::move(*problem);
  return TableOfText(std::move(std::get<Decoded>(decoded)), progress);
}

}  // namespace

}  // namespace reading

std::variant<PriceTable, HistoryProblem> TableOf(std::string_view bytes, const ReadProgress& progress) {
  return reading::WithinMemory([&] { return reading::TableOfBytes(bytes, nullptr, progress); });
}

std::variant<PriceTable, HistoryProblem> TableOf(std::string&& bytes, const ReadProgress& progress) {
  return reading::WithinMemory([&] { return reading::TableOfBytes(bytes, &bytes, progress); });
}

}  // namespace cotalia
