// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/history/record_splitter.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "model/history/reading.h"

namespace cotalia::reading {

namespace {

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

std::size_t LineBreaksIn(std::string_view text) {
  std::size_t breaks = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++breaks;
  }
  return breaks;
}

}  // namespace

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

FieldScan Splitter::Field(std::string_view text, std::size_t pos) const {
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

std::optional<std::size_t> Splitter::NextUnquoted(std::string_view text, std::size_t pos) const {
  if (pos < text.size() && text[pos] == '"') return pos;
  pos = FindAny(text, pos, stop_, '\n', '\r');
  if (pos == text.size() || text[pos] == '\n' || text[pos] == '\r') return std::nullopt;
  return pos + 1;
}

std::optional<std::size_t> Splitter::EndOfFilledRecord(std::string_view text, std::size_t pos,
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

}  // namespace cotalia::reading
