// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/history/price_numbers.h"

#include <array>

#include "model/history/reading.h"
#include "model/runtime/number_text.h"
#include "model/runtime/run_time_error.h"

namespace cotalia::reading {

namespace {

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

}  // namespace

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

std::optional<double> DoubleOfSpelling(std::string_view spelled) {
  try {
    return NumberFromText(spelled);
  } catch (const RunTimeError&) {
    return std::nullopt;
  }
}

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

void DecimalVotes::Add(const NumberLook& look, std::size_t record, std::uint32_t price) {
  if (look.vote == Vote::Point && points_++ == 0) firstPoint_ = record;
  if (look.vote == Vote::Comma && commas_++ == 0) firstComma_ = record;
  if (look.vote == Vote::Ambiguous) (look.lone == '.' ? lonePoints_ : loneCommas_).push_back(price);
}

char DecimalVotes::Decimal() const {
  if (points_ + commas_ > 0) return commas_ > points_ ? ',' : '.';
  return loneCommas_.size() > lonePoints_.size() ? ',' : '.';
}

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

}  // namespace cotalia::reading
