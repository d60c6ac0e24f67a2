// Any text at all gives the lenient reader a number or an overflow, and what
// the writer makes of that number reads back to the number it shows.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "numeric_runtime.h"

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
  if (cotalia::TextOfNumber(cotalia::ValueOfText(shown)) != shown) std::abort();
  return 0;
}
