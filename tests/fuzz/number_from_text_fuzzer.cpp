// SPDX-License-Identifier: GPL-3.0-or-later
// Any text at all gives the strict reader a finite number, a type mismatch or
// an overflow, and whatever it accepts the lenient reader reads the same.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/numeric_runtime.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  double value = 0;
  try {
    value = cotalia::NumberFromText(text);
  } catch (const cotalia::RunTimeError& error) {
    if (error.code() != cotalia::kTypeMismatch && error.code() != cotalia::kOverflow) std::abort();
    return 0;
  }
  if (!std::isfinite(value)) std::abort();
  const double lenient = cotalia::ValueOfText(text);
  if (std::signbit(lenient) != std::signbit(value) || lenient != value) std::abort();
  return 0;
}
