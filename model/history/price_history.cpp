// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/history/price_history.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "model/runtime/decimal_reader.h"
#include "model/runtime/run_time_error.h"

namespace cotalia {

namespace {

using Kind = HistoryProblem::Kind;

// How often a long read reports how far it has come, in records.
constexpr std::size_t kProgressRecords = std::size_t{1} << 16;
// The records that decide the delimiter, the header and the columns' kinds: a
// file's first screenful or so says as much as the rest of it, and a fixed
// number keeps the decisions from costing more as the file grows.
constexpr std::size_t kSampleRecords = 64;
// The most columns a table has, a spreadsheet's own limit; fields beyond it
// are not read. Without it a line of nothing but delimiters would cost a
// column's name and counts for each of its bytes.
constexpr std::size_t kMostColumns = 16384;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool IsBlankText(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return IsBlank(c); });
}

HistoryProblem ProblemOf(Kind kind) { return HistoryProblem{kind, 0, 0, std::string(), 0}; }

bool Continues(const ReadProgress& progress, double done) { return !progress || progress(done); }

// ---------------------------------------------------------------------------
// Decoding: whatever the bytes, UTF-8 text without a byte order mark.

constexpr char32_t kReplacement = 0xFFFD;

std::size_t Utf8Length(char32_t c) {
  if (c < 0x80) return 1;
  if (c < 0x800) return 2;
  if (c < 0x10000) return 3;
  return 4;
}

char* PutUtf8(char* out, char32_t c) {
  const auto byte = [](char32_t bits) { return static_cast<char>(static_cast<unsigned char>(bits)); };
  if (c < 0x80) {
    *out++ = byte(c);
  } else if (c < 0x800) {
    *out++ = byte(0xC0 | (c >> 6));
    *out++ = byte(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out++ = byte(0xE0 | (c >> 12));
    *out++ = byte(0x80 | ((c >> 6) & 0x3F));
    *out++ = byte(0x80 | (c & 0x3F));
  } else {
    *out++ = byte(0xF0 | (c >> 18));
    *out++ = byte(0x80 | ((c >> 12) & 0x3F));
    *out++ = byte(0x80 | ((c >> 6) & 0x3F));
    *out++ = byte(0x80 | (c & 0x3F));
  }
  return out;
}

// The text of the code points `forEach` gives, measured first and written
// second, so that a large file is never held in a string that has doubled
// past its size.
template <typename ForEach>
std::string Utf8Of(const ForEach& forEach) {
  std::size_t length = 0;
  forEach([&length](char32_t c) { length += Utf8Length(c); });
  std::string text(length, '\0');
  char* out = text.data();
  forEach([&out](char32_t c) { out = PutUtf8(out, c); });
  return text;
}

// The length of the well-formed UTF-8 sequence that starts `bytes`, or 0:
// no overlong forms, no surrogates, nothing beyond U+10FFFF.
std::size_t Utf8SequenceAt(const unsigned char* bytes, std::size_t left) {
  const unsigned lead = bytes[0];
  const auto follows = [bytes, left](std::size_t count) {
    if (left < count + 1) return false;
    for (std::size_t i = 1; i <= count; ++i) {
      if ((bytes[i] & 0xC0U) != 0x80U) return false;
    }
    return true;
  };
  if (lead < 0x80) return 1;
  if (lead < 0xC2) return 0;
  if (lead < 0xE0) return follows(1) ? 2 : 0;
  if (lead < 0xF0) {
    if (!follows(2) || (lead == 0xE0 && bytes[1] < 0xA0) || (lead == 0xED && bytes[1] >= 0xA0)) return 0;
    return 3;
  }
  if (lead < 0xF5) {
    if (!follows(3) || (lead == 0xF0 && bytes[1] < 0x90) || (lead == 0xF4 && bytes[1] >= 0x90)) return 0;
    return 4;
  }
  return 0;
}

bool IsUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  std::size_t i = 0;
  while (i < size) {
    // Eight ASCII bytes at a time: nearly all of a history is ASCII.
    constexpr std::uint64_t kHighBits = 0x8080808080808080U;
    std::uint64_t word = 0;
    if (size - i >= sizeof word) {
      std::memcpy(&word, bytes + i, sizeof word);
      if ((word & kHighBits) == 0) {
        i += sizeof word;
        continue;
      }
    }
    const std::size_t length = Utf8SequenceAt(bytes + i, size - i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

// UTF-8 that its byte order mark declares but that is not well formed: each
// byte out of place reads as U+FFFD, as text editors show it.
std::string RepairedUtf8(std::string_view text) {
  return Utf8Of([text](const auto& put) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t i = 0;
    while (i < text.size()) {
      const std::size_t length = Utf8SequenceAt(bytes + i, text.size() - i);
      if (length == 0) {
        put(kReplacement);
        ++i;
        continue;
      }
      char32_t c = length == 1 ? bytes[i] : bytes[i] & (0x7FU >> length);
      for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (bytes[i + k] & 0x3FU);
      put(c);
      i += length;
    }
  });
}

// Windows-1252's bytes 0x80 to 0x9F; the five it leaves undefined read as the
// C1 controls of the same number, as Windows itself reads them.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string Utf8OfWindows1252(std::string_view text) {
  return Utf8Of([text](const auto& put) {
    for (const char byte : text) {
      const auto c = static_cast<unsigned char>(byte);
      put(c >= 0x80 && c < 0xA0 ? char32_t{kWindows1252High[c - 0x80]} : char32_t{c});
    }
  });
}

// UTF-16 after its byte order mark. An unpaired surrogate, or a last byte
// without its pair, reads as U+FFFD; a NUL sets `nul`.
std::string Utf8OfUtf16(std::string_view text, bool bigEndian, bool& nul) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  const auto unit = [bytes, bigEndian](std::size_t i) {
    const char32_t first = bytes[i];
    const char32_t second = bytes[i + 1];
    return bigEndian ? (first << 8) | second : (second << 8) | first;
  };
  nul = false;
  return Utf8Of([&](const auto& put) {
    std::size_t i = 0;
    while (size - i >= 2) {
      char32_t c = unit(i);
      i += 2;
      if (c == 0) nul = true;
      if (c >= 0xD800 && c < 0xDC00 && size - i >= 2) {
        const char32_t low = unit(i);
        if (low >= 0xDC00 && low < 0xE000) {
          i += 2;
          put(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
          continue;
        }
      }
      if (c >= 0xD800 && c < 0xE000) c = kReplacement;
      put(c);
    }
    if (i < size) put(kReplacement);
  });
}

struct Decoded {
  std::string text;
  TextEncoding encoding;
};

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.size() >= prefix.size() && bytes.substr(0, prefix.size()) == prefix;
}

// The text of the bytes, or NotText. Where `owner` holds the bytes and they
// are UTF-8 already, the text is taken from it rather than copied.
std::variant<Decoded, HistoryProblem> Decode(std::string_view bytes, std::string* owner) {
  if (bytes.size() > kLargestHistoryBytes) return ProblemOf(Kind::TooLarge);
  const bool littleEndian = StartsWith(bytes, "\xFF\xFE");
  if (littleEndian || StartsWith(bytes, "\xFE\xFF")) {
    bool nul = false;
    std::string text = Utf8OfUtf16(bytes.substr(2), !littleEndian, nul);
    if (nul) return ProblemOf(Kind::NotText);
    return Decoded{std::move(text),
                   littleEndian ? TextEncoding::Utf16LittleEndian : TextEncoding::Utf16BigEndian};
  }
  if (bytes.find('\0') != std::string_view::npos) return ProblemOf(Kind::NotText);
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  const bool marked = StartsWith(bytes, kUtf8Mark);
  const std::string_view body = marked ? bytes.substr(kUtf8Mark.size()) : bytes;
  if (IsUtf8(body)) {
    if (owner == nullptr) return Decoded{std::string(body), TextEncoding::Utf8};
    std::string text = std::move(*owner);
    if (marked) text.erase(0, kUtf8Mark.size());
    return Decoded{std::move(text), TextEncoding::Utf8};
  }
  if (marked) return Decoded{RepairedUtf8(body), TextEncoding::Utf8};
  return Decoded{Utf8OfWindows1252(body), TextEncoding::Windows1252};
}

// ---------------------------------------------------------------------------
// Records and fields, quoted as RFC 4180 has them: a field that starts with a
// quote runs to the next lone quote, and holds delimiters, line breaks and
// doubled quotes. Line breaks are LF, CRLF or a lone CR.

struct FieldScan {
  std::string_view content;    // between the quotes, for a quoted field
  std::size_t next = 0;        // where the next field (or record) starts
  std::size_t lineBreaks = 0;  // inside the quotes
  // No doubled quote inside, nothing but blanks after the closing quote, and
  // the quote closed: a field whose content is its text as it stands.
  bool plain = true;
  bool endsRecord = false;
};

constexpr std::uint64_t kOnes = 0x0101010101010101U;
constexpr std::uint64_t kLows = 0x7F7F7F7F7F7F7F7FU;

// The bytes of `word` that equal `byte`, each marked by its high bit alone:
// ~(((t & 0x7F..7F) + 0x7F..7F) | t) & 0x80..80, t the word XOR the byte; no
// carry crosses from one byte to the next, so every mark is exact.
std::uint64_t BytesEqual(std::uint64_t word, char byte) {
  const std::uint64_t t = word ^ (kOnes * static_cast<unsigned char>(byte));
  return ~(((t & kLows) + kLows) | t) & ~kLows;
}

std::uint64_t WordAt(std::string_view text, std::size_t pos) {
  std::uint64_t word = 0;
  std::memcpy(&word, text.data() + pos, sizeof word);
  return word;
}

// The first position from `pos` on that holds one of three bytes, or the
// text's size: eight bytes at a time, the first mark counted from the end of
// the word that holds the lowest address, whichever the byte order.
std::size_t FindAny(std::string_view text, std::size_t pos, char a, char b, char c) {
  const std::size_t size = text.size();
  for (; size - pos >= sizeof(std::uint64_t); pos += sizeof(std::uint64_t)) {
    const std::uint64_t word = WordAt(text, pos);
    const std::uint64_t marks = BytesEqual(word, a) | BytesEqual(word, b) | BytesEqual(word, c);
    if (marks == 0) continue;
    const int bit =
        std::endian::native == std::endian::little ? std::countr_zero(marks) : std::countl_zero(marks);
    return pos + static_cast<std::size_t>(bit) / 8;
  }
  for (; pos < size; ++pos) {
    if (text[pos] == a || text[pos] == b || text[pos] == c) return pos;
  }
  return size;
}

// How many times a byte occurs, eight bytes at a time: the marks, moved to
// the low bit of their bytes, summed into the top byte by a multiplication.
std::size_t CountOf(std::string_view text, char byte) {
  std::size_t count = 0;
  std::size_t pos = 0;
  for (; text.size() - pos >= sizeof(std::uint64_t); pos += sizeof(std::uint64_t)) {
    count += static_cast<std::size_t>(((BytesEqual(WordAt(text, pos), byte) >> 7) * kOnes) >> 56);
  }
  for (; pos < text.size(); ++pos) count += text[pos] == byte ? 1 : 0;
  return count;
}

std::size_t LineBreaksIn(std::string_view text) {
  std::size_t breaks = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++breaks;
  }
  return breaks;
}

class Splitter {
 public:
  // Without a delimiter, a line break stands in for it where the three stops
  // are looked for.
  explicit Splitter(char delimiter) : delimiter_(delimiter), stop_(delimiter == '\0' ? '\n' : delimiter) {}

  char delimiter() const { return delimiter_; }

  // The field that starts at `pos` (which is at most the text's size).
  FieldScan Field(std::string_view text, std::size_t pos) const {
    const std::size_t size = text.size();
    FieldScan field;
    if (pos < size && text[pos] == '"') {
      const std::size_t start = pos + 1;
      std::size_t close = start;
      for (;;) {
        close = text.find('"', close);
        if (close == std::string_view::npos) {
          // A quote left open holds the rest of the text.
          field.content = text.substr(start);
          field.lineBreaks = LineBreaksIn(field.content);
          field.plain = false;
          field.next = size;
          field.endsRecord = true;
          return field;
        }
        if (close + 1 < size && text[close + 1] == '"') {
          field.plain = false;
          close += 2;
          continue;
        }
        break;
      }
      field.content = text.substr(start, close - start);
      field.lineBreaks = LineBreaksIn(field.content);
      const std::size_t after = close + 1;
      pos = FindAny(text, after, stop_, '\n', '\r');
      if (!IsBlankText(text.substr(after, pos - after))) field.plain = false;
    } else {
      const std::size_t start = pos;
      pos = FindAny(text, pos, stop_, '\n', '\r');
      field.content = text.substr(start, pos - start);
    }
    if (pos >= size) {
      field.next = size;
      field.endsRecord = true;
    } else if (text[pos] == '\n' || text[pos] == '\r') {
      field.next = pos + 1;
      if (text[pos] == '\r' && pos + 1 < size && text[pos + 1] == '\n') ++field.next;
      field.endsRecord = true;
    } else {
      field.next = pos + 1;
    }
    return field;
  }

  // Where the field after an unquoted one at `pos` starts; `pos` itself
  // where the field is quoted, and none where the record ends with it.
  std::optional<std::size_t> NextUnquoted(std::string_view text, std::size_t pos) const {
    if (pos < text.size() && text[pos] == '"') return pos;
    pos = FindAny(text, pos, stop_, '\n', '\r');
    if (pos == text.size() || text[pos] == '\n' || text[pos] == '\r') return std::nullopt;
    return pos + 1;
  }

  // Every field of the record that starts at `pos`; gives where the next
  // record starts.
  template <typename Visit>
  std::size_t ForEachField(std::string_view text, std::size_t pos, const Visit& visit) const {
    for (;;) {
      const FieldScan field = Field(text, pos);
      visit(field);
      if (field.endsRecord) return field.next;
      pos = field.next;
    }
  }

  // Where the record that starts at `pos` ends, as ForEachField finds it,
  // with the line breaks inside its quotes added to `line`; none where it is
  // blank or may be, for ForEachField to decide. Fields are not told apart:
  // only a quote that opens a field matters, and that one follows the
  // record's start or a delimiter.
  std::optional<std::size_t> EndOfFilledRecord(std::string_view text, std::size_t pos,
                                               std::size_t& line) const {
    const std::size_t size = text.size();
    const std::size_t start = pos;
    // A record with something but blanks, delimiters and quotes before its
    // first line break holds something; any other is left to the fields.
    while (pos < size && (IsBlank(text[pos]) || text[pos] == delimiter_ || text[pos] == '"')) ++pos;
    if (pos == size || text[pos] == '\n' || text[pos] == '\r') return std::nullopt;
    pos = start;
    for (;;) {
      pos = FindAny(text, pos, '"', '\n', '\r');
      if (pos == size) return size;
      if (text[pos] == '\n') return pos + 1;
      if (text[pos] == '\r') return pos + 1 < size && text[pos + 1] == '\n' ? pos + 2 : pos + 1;
      if (pos != start && (delimiter_ == '\0' || text[pos - 1] != delimiter_)) {
        ++pos;  // a quote inside a field is a character like any other
        continue;
      }
      const FieldScan quoted = Field(text, pos);
      line += quoted.lineBreaks;
      if (quoted.endsRecord) return quoted.next;
      pos = quoted.next;
    }
  }

 private:
  char delimiter_;
  char stop_;
};

// The text of a header's field: quotes undoubled, blanks around trimmed.
std::string NameOf(const FieldScan& field) {
  std::string name;
  const std::string_view content = Trimmed(field.content);
  name.reserve(content.size());
  for (std::size_t i = 0; i < content.size(); ++i) {
    name += content[i];
    if (content[i] == '"' && i + 1 < content.size() && content[i + 1] == '"') ++i;
  }
  return name;
}

// ---------------------------------------------------------------------------
// Numbers. A text is read with one decimal separator, '.' or ','; the other
// one, a blank, a no-break space or an apostrophe may group the integer part
// in thousands: a first group of one to three digits not starting with 0, then
// groups of exactly three, with one kind of separator throughout. A sign may
// lead and an exponent (E) may end the number.

// The length of a thousands separator at `pos` when `decimal` is the decimal
// separator, or 0.
std::size_t ThousandsSeparatorAt(std::string_view text, std::size_t pos, char decimal) {
  const char c = text[pos];
  if (c == '.' || c == ',') return c == decimal ? 0 : 1;
  if (c == ' ' || c == '\'') return 1;
  if (text.substr(pos, 2) == "\xC2\xA0") return 2;      // no-break space
  if (text.substr(pos, 3) == "\xE2\x80\xAF") return 3;  // narrow no-break space
  return 0;
}

// Writes the number `text` spells, read with `decimal` as its decimal
// separator, as ScanDecimal reads numbers: sign, digits, '.', digits and
// exponent. Each character written stands for one of the text, so `spelled`
// is made as long as the text once and written in place. Gives the
// spelling, or none where the text is not a number so read.
std::optional<std::string_view> SpellNumber(std::string_view text, char decimal, std::string& spelled) {
  if (spelled.size() < text.size()) spelled.resize(text.size());
  char* const begin = spelled.data();
  char* out = begin;
  const std::size_t size = text.size();
  std::size_t pos = 0;
  if (pos < size && (text[pos] == '+' || text[pos] == '-')) *out++ = text[pos++];
  const std::size_t integerStart = pos;
  std::size_t digits = 0;
  std::size_t group = 0;
  std::size_t groups = 0;
  char separator = '\0';
  while (pos < size) {
    const char c = text[pos];
    if (IsDigit(c)) {
      *out++ = c;
      ++group;
      ++digits;
      ++pos;
      continue;
    }
    const std::size_t width = ThousandsSeparatorAt(text, pos, decimal);
    if (width == 0) break;
    if (group == 0) return std::nullopt;
    if (groups == 0) {
      if (group > 3 || text[integerStart] == '0') return std::nullopt;
      separator = c;
    } else if (group != 3 || c != separator) {
      return std::nullopt;
    }
    ++groups;
    group = 0;
    pos += width;
  }
  if (groups > 0 && group != 3) return std::nullopt;
  if (pos < size && text[pos] == decimal) {
    *out++ = '.';
    for (++pos; pos < size && IsDigit(text[pos]); ++pos, ++digits) *out++ = text[pos];
  }
  if (digits == 0) return std::nullopt;
  if (pos < size && (text[pos] == 'e' || text[pos] == 'E')) {
    *out++ = 'e';
    ++pos;
    if (pos < size && (text[pos] == '+' || text[pos] == '-')) *out++ = text[pos++];
    const std::size_t exponentStart = pos;
    for (; pos < size && IsDigit(text[pos]); ++pos) *out++ = text[pos];
    if (pos == exponentStart) return std::nullopt;
  }
  if (pos != size) return std::nullopt;
  return std::string_view(begin, static_cast<std::size_t>(out - begin));
}

// The double of a spelling that SpellNumber wrote; none beyond the doubles.
std::optional<double> DoubleOfSpelling(std::string_view spelled) {
  DecimalText number;
  if (!ScanDecimal(spelled, ExponentLetters::EOnly, number) || number.written.size() != spelled.size()) {
    return std::nullopt;
  }
  try {
    return DoubleOfDecimal(number);
  } catch (const RunTimeError&) {
    return std::nullopt;
  }
}

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

NumberLook LookAtNumber(std::string_view text, NumberScratch& scratch) {
  NumberLook look;
  const std::optional<std::string_view> byPoint = SpellNumber(text, '.', scratch.point);
  const std::size_t separator = text.find_first_of(".,");
  if (separator == std::string_view::npos) {
    look.number = byPoint.has_value();
    look.spelled = byPoint.value_or(std::string_view());
    return look;
  }
  const std::optional<std::string_view> byComma = SpellNumber(text, ',', scratch.comma);
  look.number = byPoint || byComma;
  if (byPoint && byComma) {
    look.vote = Vote::Ambiguous;
    look.lone = text[separator];
    look.spelled = look.lone == '.' ? *byPoint : *byComma;
  } else if (byPoint) {
    look.vote = Vote::Point;
    look.spelled = *byPoint;
  } else if (byComma) {
    look.vote = Vote::Comma;
    look.spelled = *byComma;
  }
  return look;
}

// The column's decimal separator, from what its texts say as a whole:
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
char DecimalOfColumn(std::size_t pointVotes, std::size_t commaVotes, std::size_t lonePoints,
                     std::size_t loneCommas) {
  if (pointVotes + commaVotes > 0) return commaVotes > pointVotes ? ',' : '.';
  return loneCommas > lonePoints ? ',' : '.';
}

// "", "null", "n/a", "#n/a", "na", "nan" and "-" in any case: no price, as
// finance sites and spreadsheets write a day without one.
bool IsMissing(std::string_view text) {
  if (text.size() > 4) return false;
  std::array<char, 4> lower{};
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    lower[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  const std::string_view word(lower.data(), text.size());
  return word.empty() || word == "null" || word == "n/a" || word == "#n/a" || word == "na" || word == "nan" ||
         word == "-";
}

// ---------------------------------------------------------------------------
// Dates and days.

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

// A valid date's day.
Day DayOfDate(int year, int month, int day) {
  const std::int64_t days = DaysBeforeYear(year) + kDaysBeforeMonth[static_cast<std::size_t>(month - 1)] +
                            (month > 2 && IsLeapYear(year) ? 1 : 0) + day - 1 - kDaysBefore1970;
  return static_cast<Day>(days);
}

// A date as written, before the column decides its order: ISO's year first,
// or day and month in an order not yet known. Two-digit years are those of
// 1970 to 2069 (69 is 2069, 70 is 1970), as POSIX reads them.
struct DateText {
  int year = 0;
  int first = 0;
  int second = 0;
  bool yearFirst = false;
};

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

// A scanned date held in a Day's place until the column's order is known:
// year, first and second part and whether the year came first.
Day Packed(const DateText& date) {
  return static_cast<Day>((date.yearFirst ? 1 << 24 : 0) | (date.year << 10) | (date.first << 5) |
                          date.second);
}

DateText Unpacked(Day packed) {
  return {(packed >> 10) & 0x3FFF, (packed >> 5) & 0x1F, packed & 0x1F, ((packed >> 24) & 1) != 0};
}

// The day of a scanned date in the column's order, or none where it is not a
// date in that order (31/02, or 13 as a month).
std::optional<Day> DayOf(const DateText& date, DateOrder order) {
  const bool monthFirst = !date.yearFirst && order == DateOrder::MonthFirst;
  const int month = date.yearFirst || monthFirst ? date.first : date.second;
  const int day = date.yearFirst || monthFirst ? date.second : date.first;
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(date.year, month)) return std::nullopt;
  return DayOfDate(date.year, month, day);
}

// ---------------------------------------------------------------------------
// What the first records say: delimiter, header and the columns' kinds.

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

// The delimiter that splits the first records most consistently into more
// than one field: for each of tab, semicolon and comma, the records that have
// the most common count of fields, where that count is above one. The most
// such records wins; on a tie the one less likely inside a field: tab, then
// semicolon (a Spanish export's comma is a decimal separator), then comma.
// A comma is not a delimiter where every record but the first (which may be
// a header) is, whole, one number: a single column of decimal commas.
char DelimiterOf(std::string_view text) {
  char best = '\0';
  std::size_t bestScore = 0;
  NumberScratch scratch;
  for (const char candidate : {'\t', ';', ','}) {
    const Splitter splitter(candidate);
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
        std::string_view record = text.substr(start, pos - start);
        while (!record.empty() && (record.back() == '\n' || record.back() == '\r')) record.remove_suffix(1);
        record = Trimmed(record);
        allNumbers = record.find('"') == std::string_view::npos && LookAtNumber(record, scratch).number;
      }
      counts.push_back(fields);
    }
    if (candidate == ',' && counts.size() > 1 && allNumbers) continue;
    std::vector<std::size_t> sorted = counts;
    std::sort(sorted.begin(), sorted.end());
    std::size_t modeCount = 0;
    std::size_t mode = 0;
    for (std::size_t i = 0; i < sorted.size();) {
      std::size_t j = i;
      while (j < sorted.size() && sorted[j] == sorted[i]) ++j;
      if (j - i >= modeCount) {
        modeCount = j - i;
        mode = sorted[i];
      }
      i = j;
    }
    if (mode > 1 && modeCount > bestScore) {
      best = candidate;
      bestScore = modeCount;
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

std::variant<PriceTable, HistoryProblem> TableOfText(Decoded decoded, const ReadProgress& progress) {
  PriceTable table;
  table.text = std::move(decoded.text);
  table.encoding = decoded.encoding;
  const std::string_view text = table.text;
  table.delimiter = DelimiterOf(text);
  const Splitter splitter(table.delimiter);

  std::optional<std::vector<RecordStart>> records = RecordsOf(text, splitter, progress);
  if (!records) return ProblemOf(Kind::Cancelled);
  table.records = std::move(*records);
  if (table.records.empty()) return ProblemOf(Kind::NoRows);

  // The first record and those below it in the sample, field by field.
  NumberScratch scratch;
  const std::size_t sampled = std::min(table.records.size(), kSampleRecords + 1);
  std::vector<std::vector<FieldKind>> kinds(sampled);
  std::vector<std::string> firstNames;
  std::size_t width = 0;
  for (std::size_t r = 0; r < sampled; ++r) {
    splitter.ForEachField(text, table.records[r].offset, [&](const FieldScan& field) {
      if (kinds[r].size() == kMostColumns) return;
      kinds[r].push_back(KindOf(field, scratch));
      if (r == 0) firstNames.push_back(NameOf(field));
    });
    width = std::max(width, kinds[r].size());
  }
  std::vector<ColumnKinds> below(width);
  for (std::size_t r = 1; r < sampled; ++r) {
    for (std::size_t c = 0; c < kinds[r].size(); ++c) below[c].Add(kinds[r][c]);
  }
  // A header is a first record with a text over a column of numbers or dates;
  // or, alone, a first record with any text in it.
  const std::vector<FieldKind>& first = kinds[0];
  bool header = false;
  for (std::size_t c = 0; c < first.size(); ++c) {
    if (first[c] != FieldKind::Text) continue;
    const ColumnKinds& column = below[c];
    const std::size_t readable = column.dates + column.numbers;
    if (sampled == 1 || (readable > 0 && 2 * readable > readable + column.texts)) {
      header = true;
    }
  }
  table.header = header;
  if (header) {
    table.records.erase(table.records.begin());
    if (table.records.empty()) return ProblemOf(Kind::NoRows);
  } else {
    for (std::size_t c = 0; c < first.size(); ++c) below[c].Add(first[c]);
  }
  table.columns.resize(width);
  for (std::size_t c = 0; c < width; ++c) {
    table.columns[c] =
        header && c < firstNames.size() && !firstNames[c].empty() ? firstNames[c] : DefaultName(c);
  }

  for (std::size_t c = 0; c < width && !table.dateColumn; ++c) {
    if (below[c].dates > 0 && below[c].MostlyDates()) table.dateColumn = c;
  }
  std::optional<std::size_t> price = header ? NamedPriceColumn(table.columns) : std::nullopt;
  if (price && price == table.dateColumn) price.reset();
  for (std::size_t c = width; c-- > 0 && !price;) {
    if (c != table.dateColumn && below[c].numbers > 0 && below[c].MostlyNumbers()) price = c;
  }
  if (!price) return ProblemOf(Kind::NoPriceColumn);
  table.priceColumn = *price;
  if (!Continues(progress, 1.0)) return ProblemOf(Kind::Cancelled);
  return table;
}

// ---------------------------------------------------------------------------
// Reading a column.

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

// A text that this machine's memory cannot hold as a table or a history is
// too large for it, whatever kLargestHistoryBytes allows.
template <typename Read>
auto WithinMemory(const Read& read) -> decltype(read()) {
  try {
    return read();
  } catch (const std::bad_alloc&) {
    return ProblemOf(Kind::TooLarge);
  }
}

std::variant<PriceTable, HistoryProblem> TableOfBytes(std::string_view bytes, std::string* owner,
                                                      const ReadProgress& progress) {
  auto decoded = Decode(bytes, owner);
  if (auto* problem = std::get_if<HistoryProblem>(&decoded)) return std::move(*problem);
  return TableOfText(std::move(std::get<Decoded>(decoded)), progress);
}

std::variant<PriceHistory, HistoryProblem> ColumnOf(const PriceTable& table, std::size_t column,
                                                    const ReadProgress& progress) {
  if (column >= table.columns.size()) return ProblemOf(Kind::NoPriceColumn);
  const std::string_view text = table.text;
  const Splitter splitter(table.delimiter);
  std::optional<std::size_t> dateColumn;
  if (table.dateColumn && *table.dateColumn != column && *table.dateColumn < table.columns.size()) {
    dateColumn = table.dateColumn;
  }
  const std::string& priceName = table.columns[column];
  const std::string dateName = dateColumn ? table.columns[*dateColumn] : std::string();
  const auto problemAt = [&](Kind kind, std::size_t record, bool inDate) {
    HistoryProblem problem = ProblemOf(kind);
    problem.line = LineOfField(table, splitter, record, inDate ? *dateColumn : column);
    problem.column = inDate ? dateName : priceName;
    return problem;
  };

  PriceHistory history;
  history.column = priceName;
  std::vector<double>& prices = history.prices;
  std::vector<Day>& days = history.days;
  const std::size_t recordCount = table.records.size();
  prices.reserve(recordCount);
  if (dateColumn) days.reserve(recordCount);

  // The records left out, and for each reading of the column's numbers and
  // dates the first record read only that way: a record that another reading
  // settles against is a problem only once the column has decided.
  std::vector<std::uint32_t> leftOut;
  std::size_t pointVotes = 0;
  std::size_t commaVotes = 0;
  std::optional<std::size_t> firstPointVote;
  std::optional<std::size_t> firstCommaVote;
  // The prices read with a lone '.' or ',' as the decimal, to read again if
  // the column decides otherwise.
  std::vector<std::uint32_t> lonePoints;
  std::vector<std::uint32_t> loneCommas;
  std::size_t dayFirstVotes = 0;
  std::size_t monthFirstVotes = 0;
  std::size_t unorderedDates = 0;
  // Until the column decides, where nothing settles it.
  DateOrder order = DateOrder::Ambiguous;
  NumberScratch scratch;

  for (std::size_t r = 0; r < recordCount; ++r) {
    if (r % kProgressRecords == 0 && r > 0 &&
        !Continues(progress, static_cast<double>(r) / static_cast<double>(recordCount))) {
      return ProblemOf(Kind::Cancelled);
    }
    const std::size_t offset = table.records[r].offset;
    const RowFields fields =
        offset <= text.size() ? FieldsOf(text, splitter, offset, column, dateColumn) : RowFields{};
    if (NoPriceIn(fields.price)) {
      leftOut.push_back(static_cast<std::uint32_t>(r));
      continue;
    }
    if (!fields.price->plain) return problemAt(Kind::NotANumber, r, false);
    const NumberLook look = LookAtNumber(Trimmed(fields.price->content), scratch);
    const std::optional<double> value = look.number ? DoubleOfSpelling(look.spelled) : std::nullopt;
    if (!value) return problemAt(Kind::NotANumber, r, false);
    if (!(*value > 0)) return problemAt(Kind::NotPositive, r, false);
    const auto k = static_cast<std::uint32_t>(prices.size());
    if (look.vote == Vote::Point && pointVotes++ == 0) firstPointVote = r;
    if (look.vote == Vote::Comma && commaVotes++ == 0) firstCommaVote = r;
    if (look.vote == Vote::Ambiguous) (look.lone == '.' ? lonePoints : loneCommas).push_back(k);

    if (dateColumn) {
      const std::optional<DateText> date =
          fields.date && fields.date->plain ? ScanDate(Trimmed(fields.date->content)) : std::nullopt;
      if (!date) return problemAt(Kind::NotADate, r, true);
      if (!date->yearFirst) {
        ++unorderedDates;
        if (date->first > 12) ++dayFirstVotes;
        if (date->second > 12) ++monthFirstVotes;
      }
      days.push_back(Packed(*date));
    }
    prices.push_back(*value);
  }

  const char decimal = DecimalOfColumn(pointVotes, commaVotes, lonePoints.size(), loneCommas.size());
  const std::optional<std::size_t> against = decimal == '.' ? firstCommaVote : firstPointVote;
  if (against) return problemAt(Kind::NotANumber, *against, false);
  KeptRecords rereads(leftOut);
  for (const std::uint32_t k : decimal == '.' ? loneCommas : lonePoints) {
    const std::size_t r = rereads.RecordOf(k);
    const RowFields fields = FieldsOf(text, splitter, table.records[r].offset, column, std::nullopt);
    std::optional<double> value;
    if (const auto spelled = SpellNumber(Trimmed(fields.price->content), decimal, scratch.point)) {
      value = DoubleOfSpelling(*spelled);
    }
    if (!value) return problemAt(Kind::NotANumber, r, false);
    prices[k] = *value;
  }

  if (dateColumn) {
    // A day above 12 in either place settles the order; on a tie, or where
    // nothing settles it, day first, the Spanish order.
    if (dayFirstVotes > 0 || monthFirstVotes > 0) {
      order = monthFirstVotes > dayFirstVotes ? DateOrder::MonthFirst : DateOrder::DayFirst;
    }
    history.dateOrder = unorderedDates == 0 ? DateOrder::Iso : order;
    KeptRecords dated(leftOut);
    for (std::size_t k = 0; k < days.size(); ++k) {
      const std::optional<Day> day = DayOf(Unpacked(days[k]), order);
      if (!day) return problemAt(Kind::NotADate, dated.RecordOf(k), true);
      days[k] = *day;
    }
  }
  history.leftOut = leftOut.size();
  if (prices.size() < 3) {
    HistoryProblem problem = ProblemOf(Kind::FewerThanThreePrices);
    problem.column = priceName;
    problem.count = prices.size();
    return problem;
  }

  if (dateColumn) {
    // Files come oldest first or newest first, and either costs a pass; any
    // other order is sorted, the same dates kept in the file's order.
    if (std::is_sorted(days.rbegin(), days.rend()) && !std::is_sorted(days.begin(), days.end())) {
      std::reverse(days.begin(), days.end());
      std::reverse(prices.begin(), prices.end());
    } else if (!std::is_sorted(days.begin(), days.end())) {
      std::vector<std::uint32_t> order(days.size());
      for (std::size_t k = 0; k < order.size(); ++k) order[k] = static_cast<std::uint32_t>(k);
      std::stable_sort(order.begin(), order.end(),
                       [&days](std::uint32_t a, std::uint32_t b) { return days[a] < days[b]; });
      std::vector<double> sortedPrices(prices.size());
      std::vector<Day> sortedDays(days.size());
      for (std::size_t k = 0; k < order.size(); ++k) {
        sortedPrices[k] = prices[order[k]];
        sortedDays[k] = days[order[k]];
      }
      prices = std::move(sortedPrices);
      days = std::move(sortedDays);
    }
    if (std::adjacent_find(days.begin(), days.end()) != days.end()) {
      // Which records share a date: of the days read twice, the pair whose
      // second record comes first in the file.
      std::vector<Day> repeated;
      for (std::size_t k = 1; k < days.size(); ++k) {
        if (days[k] == days[k - 1] && (repeated.empty() || repeated.back() != days[k]))
          repeated.push_back(days[k]);
      }
      constexpr auto kNone = std::numeric_limits<std::size_t>::max();
      std::vector<std::size_t> firstRecord(repeated.size(), kNone);
      KeptRecords kept(leftOut);
      for (std::size_t k = 0; k < prices.size(); ++k) {
        const std::size_t r = kept.RecordOf(k);
        const RowFields fields = FieldsOf(text, splitter, table.records[r].offset, *dateColumn, std::nullopt);
        const Day day = *DayOf(*ScanDate(Trimmed(fields.price->content)), order);
        const auto found = std::lower_bound(repeated.begin(), repeated.end(), day);
        if (found == repeated.end() || *found != day) continue;
        std::size_t& first = firstRecord[static_cast<std::size_t>(found - repeated.begin())];
        if (first == kNone) {
          first = r;
          continue;
        }
        HistoryProblem problem = problemAt(Kind::SameDate, r, true);
        problem.otherLine = LineOfField(table, splitter, first, *dateColumn);
        return problem;
      }
    }
    history.periodsPerYear = PeriodsPerYearOf(days);
  }
  if (!Continues(progress, 1.0)) return ProblemOf(Kind::Cancelled);
  return history;
}

}  // namespace

std::variant<PriceTable, HistoryProblem> TableOf(std::string_view bytes, const ReadProgress& progress) {
  return WithinMemory([&] { return TableOfBytes(bytes, nullptr, progress); });
}

std::variant<PriceTable, HistoryProblem> TableOf(std::string&& bytes, const ReadProgress& progress) {
  return WithinMemory([&] { return TableOfBytes(bytes, &bytes, progress); });
}

std::variant<PriceHistory, HistoryProblem> HistoryOf(const PriceTable& table, std::size_t column,
                                                     const ReadProgress& progress) {
  return WithinMemory([&] { return ColumnOf(table, column, progress); });
}

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
