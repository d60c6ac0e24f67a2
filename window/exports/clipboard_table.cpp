// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/exports/clipboard_table.h"

#include <array>
#include <cstddef>
#include <optional>

#include "model/numeric_runtime.h"

namespace cotalia {

namespace {

void AppendEscaped(std::string& html, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&':
        html += "&amp;";
        break;
      case '<':
        html += "&lt;";
        break;
      case '>':
        html += "&gt;";
        break;
      case '"':
        html += "&quot;";
        break;
      default:
        html += c;
    }
  }
}

// The blanks that the strict reader allows around a number.
std::string_view WithoutBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::optional<double> StrictNumber(std::string_view text) {
  try {
    return NumberFromText(text);
  } catch (const RunTimeError&) {
    return std::nullopt;
  }
}

// A cell's value for spreadsheets, as the form's writer writes it, and for a
// percentage written plainly, the decimals its text shows.
struct CellValue {
  std::string value;
  std::optional<std::size_t> percentDecimals;
};

// A percentage's number read with its point two places further left, so
// that the one rounding to binary is that of the decimal fraction itself.
std::optional<CellValue> PercentValueOf(std::string_view text) {
  const std::string_view trimmed = WithoutBlanks(text);
  if (trimmed.empty() || trimmed.back() != '%') return std::nullopt;
  const std::string_view numberText = WithoutBlanks(trimmed.substr(0, trimmed.size() - 1));
  const std::optional<ScaledNumber> fraction = ScaledNumberFromText(numberText, 2);
  if (!fraction) return std::nullopt;
  CellValue cell{TextOfNumber(fraction->value), std::nullopt};
  // No spreadsheet's percentage format shows an exponent form, which is
  // left to the spreadsheet's general format.
  if (!fraction->exponent) cell.percentDecimals = fraction->fractionDigits;
  return cell;
}

std::optional<CellValue> ValueOf(std::string_view text) {
  if (const std::optional<double> number = StrictNumber(text)) return CellValue{TextOfNumber(*number), {}};
  return PercentValueOf(text);
}

// "0.00%" for two decimals, as both spreadsheets' format codes write it in
// English.
std::string PercentFormat(std::size_t decimals) {
  std::string format = "0";
  if (decimals > 0) {
    format += '.';
    format.append(decimals, '0');
  }
  format += '%';
  return format;
}

// sdnum names first the language sdval is written in, then the language of
// the format code that follows; 0 (the system's) has LibreOffice translate an
// English code into the user's own, so that a Spanish sheet shows 18,09 %.
// LibreOffice reads sdval only beside sdnum. Office reads x:num whatever its
// language, and its format codes from CSS, where "\." is a point.
void AppendValueCell(std::string& html, const CellValue& cell, std::string_view text) {
  html += "<td sdval=\"";
  AppendEscaped(html, cell.value);
  html += "\" sdnum=\"1033;";
  if (cell.percentDecimals) {
    html += "0;";
    AppendEscaped(html, PercentFormat(*cell.percentDecimals));
  }
  html += "\" x:num=\"";
  AppendEscaped(html, cell.value);
  html += '"';
  if (cell.percentDecimals) {
    html += " style=\"mso-number-format:'";
    for (const char c : PercentFormat(*cell.percentDecimals)) {
      if (c == '.') html += '\\';
      html += c;
    }
    html += "'\"";
  }
  html += '>';
  AppendEscaped(html, text);
  html += "</td>";
}

// '@' is the text format in both spreadsheets' codes, and x:str marks a
// string in Office's, so that neither reads a date or a number into a text
// of its own accord.
void AppendTextCell(std::string& html, std::string_view text) {
  if (text.empty()) {
    html += "<td></td>";
    return;
  }
  html += "<td sdnum=\"1033;0;@\" x:str>";
  AppendEscaped(html, text);
  html += "</td>";
}

}  // namespace

std::string HtmlTableOf(std::span<const Figure> rows) {
  std::string html =
      "<html xmlns:x=\"urn:schemas-microsoft-com:office:excel\">\n"
      "<head>\n<meta charset=\"utf-8\">\n</head>\n<body>\n"
      "<!--StartFragment--><table>\n";
  for (const Figure& row : rows) {
    html += "<tr>";
    AppendTextCell(html, row.label);
    if (const std::optional<CellValue> cell = ValueOf(row.text)) {
      AppendValueCell(html, *cell, row.text);
    } else {
      AppendTextCell(html, row.text);
    }
    html += "</tr>\n";
  }
  html += "</table><!--EndFragment-->\n</body>\n</html>\n";
  return html;
}

std::string WindowsHtmlClipboardOf(std::string_view html) {
  constexpr std::string_view kStartComment = "<!--StartFragment-->";
  constexpr std::string_view kEndComment = "<!--EndFragment-->";
  std::size_t fragmentBegin = 0;
  std::size_t fragmentEnd = html.size();
  const std::size_t startComment = html.find(kStartComment);
  if (startComment != std::string_view::npos) {
    const std::size_t endComment = html.find(kEndComment, startComment + kStartComment.size());
    if (endComment != std::string_view::npos) {
      fragmentBegin = startComment + kStartComment.size();
      fragmentEnd = endComment;
    }
  }

  constexpr std::string_view kVersionLine = "Version:0.9\r\n";
  constexpr std::size_t kDigits = 10;
  struct Offset {
    std::string_view key;
    std::size_t inDocument;
  };
  const std::array<Offset, 4> offsets{{{"StartHTML", 0},
                                       {"EndHTML", html.size()},
                                       {"StartFragment", fragmentBegin},
                                       {"EndFragment", fragmentEnd}}};
  std::size_t headerSize = kVersionLine.size();
  for (const Offset& offset : offsets) headerSize += offset.key.size() + 1 + kDigits + 2;

  std::string clipboard(kVersionLine);
  for (const Offset& offset : offsets) {
    const std::string digits = std::to_string(headerSize + offset.inDocument);
    clipboard += offset.key;
    clipboard += ':';
    clipboard.append(kDigits - digits.size(), '0');
    clipboard += digits;
    clipboard += "\r\n";
  }
  clipboard += html;
  return clipboard;
}

}  // namespace cotalia
