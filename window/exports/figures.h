// SPDX-License-Identifier: GPL-3.0-or-later
// Figures as the windows show them to the eye, to the clipboard and to screen
// readers alike: one to a line, a label and its text.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace cotalia {

struct Figure {
  std::string label;
  std::string text;
};

// The figures one to a line, "label: text", each line ended by lineEnd
// ("\r\n" in a Windows box, "\n" elsewhere) but the last.
std::string FiguresText(std::span<const Figure> figures, std::string_view lineEnd);

// A probability as a percentage to four significant digits, point as the
// separator: "18.09 %", "100.0 %", "1.206E-111 %".
std::string PercentText(double probability);

// A value to four significant digits, all of them shown, point as the
// separator: "18.09", "0.3000", "1.206E-111".
std::string FourDigitText(double value);

}  // namespace cotalia
