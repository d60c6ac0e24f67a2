// SPDX-License-Identifier: GPL-3.0-or-later
// Any text at all gives the lenient reader a number or an overflow, and what
// the writer makes of that number reads back to the number it shows, except
// for the largest doubles, whose 15 digits lie beyond the double range and
// read back as an overflow.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/numeric_runtime.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  double value = 0;
  try {
    value = cotalia::ValueOfText(text);
  } catch (const cotalia::RunTimeError& error) {
    if (error.code() != cotalia::kOverflow) std::abort();
    return 0;
  }
  if (!std::isfinite(value)) std::abort();
  const std::string shown = cotalia::TextOfNumber(value);
  double readBack = 0;
  try {
    readBack = cotalia::ValueOfText(shown);
  } catch (const cotalia::RunTimeError& error) {
    if (error.code() != cotalia::kOverflow || std::fabs(value) < 1.7976931348623151e308) std::abort();
    return 0;
  }
  if (cotalia::TextOfNumber(readBack) != shown) std::abort();
  return 0;
}
