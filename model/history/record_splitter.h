// SPDX-License-Identifier: GPL-3.0-or-later
// The second step of reading a history: the text's records and their
// fields, quoted as RFC 4180 has them: a field that starts with a quote runs
// to the next lone quote, and holds delimiters, line breaks and doubled
// quotes. Line breaks are LF, CRLF or a lone CR.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cotalia::reading {

struct FieldScan {
  std::string_view content;    // between the quotes, for a quoted field
  std::size_t next = 0;        // where the next field (or record) starts
  std::size_t lineBreaks = 0;  // inside the quotes
  // No doubled quote inside, nothing but blanks after the closing quote, and
  // the quote closed: a field whose content is its text as it stands.
  bool plain = true;
  bool endsRecord = false;
};

// How many times a byte occurs in the text.
std::size_t CountOf(std::string_view text, char byte);

class Splitter {
 public:
  // Without a delimiter, a line break stands in for it where the three stops
  // are looked for.
  explicit Splitter(char delimiter) : delimiter_(delimiter), stop_(delimiter == '\0' ? '\n' : delimiter) {}

  // The field that starts at `pos` (which is at most the text's size).
  FieldScan Field(std::string_view text, std::size_t pos) const;

  // Where the field after an unquoted one at `pos` starts; `pos` itself
  // where the field is quoted, and none where the record ends with it.
  std::optional<std::size_t> NextUnquoted(std::string_view text, std::size_t pos) const;

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
                                               std::size_t& line) const;

 private:
  char delimiter_;
  char stop_;
};

// The text of a header's field: quotes undoubled, blanks around trimmed.
std::string NameOf(const FieldScan& field);

}  // namespace cotalia::reading
