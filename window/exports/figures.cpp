// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/exports/figures.h"

#include "model/numeric_runtime.h"

namespace cotalia {

std::string FiguresText(std::span<const Figure> figures, std::string_view lineEnd) {
  std::string text;
  for (const Figure& figure : figures) {
    if (!text.empty()) text += lineEnd;
    text += figure.label;
    text += ": ";
    text += figure.text;
  }
  return text;
}

std::string FourDigitText(double value) {
  if (value == 0) return "0";
  // Plainly from 0.0001 to 9999, in exponent form beyond.
  return RoundedDecimalText(value, 4, -4, 4, TrailingZeros::Kept);
}

std::string PercentText(double probability) {
  std::string text = FourDigitText(probability * 100);
  text += " %";
  return text;
}

}  // namespace cotalia
