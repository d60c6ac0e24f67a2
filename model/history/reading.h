// SPDX-License-Identifier: GPL-3.0-or-later
// What every step of reading a price history shares: the sizes that bound
// its work, blanks and digits as a history's text has them, and its problems
// and progress.
#pragma once

#include <algorithm>
#include <cstddef>
#include <new>
#include <string>
#include <string_view>

#include "model/history/price_history.h"

namespace cotalia::reading {

using Kind = HistoryProblem::Kind;

// How often a long read reports how far it has come, in records.
inline constexpr std::size_t kProgressRecords = std::size_t{1} << 16;

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

inline bool IsBlankText(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return IsBlank(c); });
}

// A problem of `kind` that lies in no line and no column.
inline HistoryProblem UnplacedProblem(Kind kind) { return HistoryProblem{kind, 0, 0, std::string(), 0}; }

inline bool Continues(const ReadProgress& progress, double done) { return !progress || progress(done); }

// A text that this machine's memory cannot hold as a table or a history is
// too large for it, whatever kLargestHistoryBytes allows.
template <typename Read>
auto WithinMemory(const Read& read) -> decltype(read()) {
  try {
    return read();
  } catch (const std::bad_alloc&) {
    return UnplacedProblem(Kind::TooLarge);
  }
}

}  // namespace cotalia::reading
