// SPDX-License-Identifier: GPL-3.0-or-later
// The first step of reading a history: whatever the bytes, UTF-8 text
// without a byte order mark.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "model/history/price_history.h"

namespace cotalia::reading {

struct Decoded {
  std::string text;
  TextEncoding encoding;
};

// The text of the bytes, or NotText. Where `owner` holds the bytes and they
// are UTF-8 already, the text is taken from it rather than copied.
std::variant<Decoded, HistoryProblem> Decode(std::string_view bytes, std::string* owner);

}  // namespace cotalia::reading
