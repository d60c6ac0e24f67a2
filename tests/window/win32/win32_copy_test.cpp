// SPDX-License-Identifier: GPL-3.0-or-later
// What the copy commands of the real Cotalia.exe put on the clipboard: the
// plain text and Windows' "HTML Format" beside it.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/window/win32/win32_test_support.h"
#include "tests/window/window_scenarios.h"
#include "window/estimation/estimation_view.h"
#include "window/exports/clipboard_table.h"
#include "window/form/window_description.h"
#include "window/form/wiring.h"
#include "window/win32/win32_main_window.h"

namespace cotalia {
namespace {

// An offset that the header of Windows' "HTML Format" gives by its key.
std::optional<std::size_t> HtmlOffset(const std::string& block, std::string_view key) {
  const std::size_t at = block.find(std::string(key) + ":");
  if (at == std::string::npos) return std::nullopt;
  std::size_t value = 0;
  std::size_t digits = 0;
  for (std::size_t i = at + key.size() + 1; i < block.size() && block[i] >= '0' && block[i] <= '9'; ++i) {
    value = value * 10 + static_cast<std::size_t>(block[i] - '0');
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  return value;
}

// The cell of a row's text in a table, from the row's label to its end.
std::string CellAfterLabel(const std::string& table, std::string_view label) {
  const std::size_t at = table.find(">" + std::string(label) + "</td>");
  if (at == std::string::npos) return "(no row " + std::string(label) + ")";
  return table.substr(at, table.find("</tr>", at) - at);
}

struct NumberCell {
  std::string_view label;
  std::string_view value;  // as the cell carries it for spreadsheets
};

struct CopyCase {
  const char* name;
  enum class Window { Form, Distribution, Estimation } window;
  std::vector<NumberCell> numbers;         // rows whose cells carry a number
  std::vector<std::string_view> texts;     // rows whose cells are text, numbers or not
  std::optional<std::wstring_view> plain;  // the text as the user has always had it, where fixed
};

// After the worked example, the form's results; the distribution window's
// figures at the worked example, a target of 130; the estimation window's
// of a short history.
const CopyCase kCopyCases[] = {
    {"Form",
     CopyCase::Window::Form,
     {{"Valor Actual", "100"},
      {"Rendimiento", "10"},
      {"Volatilidad", "20"},
      {"Tiempo", "12"},
      {"Precio Minimo", "73.1981528228311"},
      {"Precio Maximo", "160.319738372657"},
      {"Precio Esperado", "110.517091807565"},
      {"Variacion esperada", "22.3263055970384"},
      {"Media Dn", "4.68517018598809"},
      {"Volatilidad Dn", "0.2"}},
     {},
     L"Valor Actual\t100\r\n"
     L"Rendimiento\t10\r\n"
     L"Volatilidad\t20\r\n"
     L"Tiempo\t12\r\n"
     L"Precio Minimo\t73.1981528228311\r\n"
     L"Precio Maximo\t160.319738372657\r\n"
     L"Precio Esperado\t110.517091807565\r\n"
     L"Variacion esperada\t22.3263055970384\r\n"
     L"Media Dn\t4.68517018598809\r\n"
     L"Volatilidad Dn\t0.2\r\n"},
    {"Distribution",
     CopyCase::Window::Distribution,
     {{"Precio Minimo", "73.1981528228311"},
      {"Mediana", "108.328706767496"},
      {"Percentil 1 %", "68.0267228577013"},
      {"Percentil 99 %", "172.507335602005"}},
     {},
     std::nullopt},
    {"Estimation",
     CopyCase::Window::Estimation,
     {{"Valor Actual", "103.25"}, {"Precios", "5"}, {"Periodos por a\u00F1o", "252"}},
     {"Columna de precios", "Origen", "Primera fecha", "Volatilidad, intervalo del 95 %"},
     std::nullopt},
};

class Win32Copy : public testing::TestWithParam<CopyCase> {};

// Copiar resultados on the form and Copiar cifras in either window put the
// plain text, as it has always been and as the window's box shows it, and
// beside it Windows' "HTML Format": its header's offsets point at the
// document (from "<html" to its end, the null after it) and at the table
// between the fragment's comments; the document is the table of the same
// rows that HtmlTableOf writes, in which the numbers' cells carry their
// values for spreadsheets in any language and the texts' cells none. No
// field changes.
TEST_P(Win32Copy, PutsTheTextAndATableBesideIt) {
  const CopyCase& copy = GetParam();
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  HWND target = program.window();
  MenuCommand command = MenuCommand::CopyFigures;
  std::vector<Figure> rows;
  std::wstring shown;
  switch (copy.window) {
    case CopyCase::Window::Form: {
      const char* inputs[] = {"100", "10", "20", "12"};
      for (int i = 0; i < 4; ++i) program.type("Text" + std::to_string(i + 1), WideOf(inputs[i]));
      for (int i = 1; i <= 6; ++i) program.click("Command" + std::to_string(i));
      command = MenuCommand::CopyResults;
      for (const FieldBinding& binding : kFieldBindings) {
        rows.push_back(
            {std::string(AccessibleNameOf(binding)), Utf8Of(program.text(kControls[binding.textBox].name))});
      }
      break;
    }
    case CopyCase::Window::Distribution: {
      target = program.openDistribution();
      ASSERT_NE(target, nullptr);
      TypeInto(DistributionControlOf(target, DistributionControl::Target), "130");
      const auto& in = scenarios::kDistributionInputs;
      const DistributionView view = ViewOf({{in[0], in[1], in[2], in[3]}, std::string(kDefaultLevel), "130"});
      // The figures as their box shows them, then the percentiles, each
      // named for the table it is pasted into.
      rows = view.copied;
      const std::wstring figures = TextOf(DistributionControlOf(target, DistributionControl::Figures));
      EXPECT_EQ(figures, WideOf(FiguresText(view, "\r\n")));
      shown = WideOf(FiguresText(rows, "\r\n"));
      EXPECT_EQ(shown.rfind(figures + L"\r\nPercentil 1 %: ", 0), 0u) << shown;
      break;
    }
    case CopyCase::Window::Estimation: {
      target = PastePrices(program, kPrices);
      ASSERT_NE(target, nullptr);
      const EstimationState state = ReadPriceText(kPrices, {});
      rows = EstimationViewOf(state, PeriodsTextOf(state)).figures;
      HWND figures = EstimationControlOf(target, EstimationControl::Figures);
      const std::wstring expected = WideOf(FiguresText(rows, "\r\n"));
      EXPECT_TRUE(WaitFor([&] { return TextOf(figures) == expected; })) << TextOf(figures);
      shown = TextOf(figures);
      break;
    }
  }
  ASSERT_FALSE(rows.empty());
  std::vector<std::wstring> fields;
  for (int i = 1; i <= 10; ++i) fields.push_back(program.text("Text" + std::to_string(i)));
  EmptyTheClipboard();
  SendMessageW(target, WM_COMMAND, Win32MenuId(command), 0);

  const std::wstring text = ClipboardText();
  if (copy.plain) {
    EXPECT_EQ(text, *copy.plain);
  } else {
    EXPECT_EQ(text, shown);
  }
  const std::optional<std::string> block = ClipboardBlockOf(RegisterClipboardFormatW(L"HTML Format"));
  ASSERT_TRUE(block.has_value()) << "no HTML Format beside the text";
  EXPECT_EQ(block->rfind("Version:0.9\r\n", 0), 0u) << *block;
  const std::optional<std::size_t> startHtml = HtmlOffset(*block, "StartHTML");
  const std::optional<std::size_t> endHtml = HtmlOffset(*block, "EndHTML");
  const std::optional<std::size_t> startFragment = HtmlOffset(*block, "StartFragment");
  const std::optional<std::size_t> endFragment = HtmlOffset(*block, "EndFragment");
  ASSERT_TRUE(startHtml && endHtml && startFragment && endFragment) << *block;
  ASSERT_TRUE(*startHtml <= *startFragment && *startFragment <= *endFragment && *endFragment <= *endHtml &&
              *endHtml < block->size())
      << *block;
  EXPECT_EQ((*block)[*endHtml], '\0') << "the document is not followed by its null";
  const std::string document = block->substr(*startHtml, *endHtml - *startHtml);
  EXPECT_EQ(document.rfind("<html", 0), 0u) << document;
  EXPECT_EQ(document, HtmlTableOf(rows));
  const std::string fragment = block->substr(*startFragment, *endFragment - *startFragment);
  EXPECT_EQ(fragment.rfind("<table>", 0), 0u) << fragment;
  EXPECT_TRUE(block->substr(0, *startFragment).ends_with("<!--StartFragment-->"));
  EXPECT_EQ(block->compare(*endFragment, 18, "<!--EndFragment-->"), 0);
  for (const NumberCell& number : copy.numbers) {
    const std::string cell = CellAfterLabel(fragment, number.label);
    EXPECT_NE(cell.find("sdval=\"" + std::string(number.value) + "\""), std::string::npos) << cell;
    EXPECT_NE(cell.find("x:num=\"" + std::string(number.value) + "\""), std::string::npos) << cell;
  }
  for (const std::string_view label : copy.texts) {
    const std::string cell = CellAfterLabel(fragment, label);
    EXPECT_EQ(cell.find("sdval="), std::string::npos) << cell;
    EXPECT_NE(cell.find("x:str"), std::string::npos) << cell;
  }
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(program.text("Text" + std::to_string(i)), fields[i - 1]) << i;
}

INSTANTIATE_TEST_SUITE_P(Copies, Win32Copy, testing::ValuesIn(kCopyCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cotalia
