// SPDX-License-Identifier: GPL-3.0-or-later
// The copies as an HTML table: which texts carry a value for spreadsheets and
// which stay text, what the value is, and Windows' "HTML Format" around the
// document. The tables are read back cell by cell, attributes and text, as a
// spreadsheet reads them.
#include "window/exports/clipboard_table.h"

#include <gtest/gtest.h>

#include <charconv>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/scenarios.h"
#include "window/form/menu_bar.h"

namespace cotalia {
namespace {

struct Cell {
  std::map<std::string, std::string> attributes;  // a bare attribute has an empty value
  std::string text;                               // as written, escaped
};

// The text with its four entities replaced; none for an '&' that begins
// none of them.
std::optional<std::string> Unescaped(std::string_view text) {
  static const std::map<std::string_view, char> kEntities{
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}};
  std::string plain;
  while (!text.empty()) {
    if (text.front() != '&') {
      plain += text.front();
      text.remove_prefix(1);
      continue;
    }
    bool known = false;
    for (const auto& [entity, c] : kEntities) {
      if (text.starts_with(entity)) {
        plain += c;
        text.remove_prefix(entity.size());
        known = true;
        break;
      }
    }
    if (!known) return std::nullopt;
  }
  return plain;
}

// The cells of each row of the document's table, two to a row.
std::vector<std::vector<Cell>> RowsOf(std::string_view html) {
  std::vector<std::vector<Cell>> rows;
  for (std::size_t row = html.find("<tr>"); row != std::string_view::npos; row = html.find("<tr>", row + 1)) {
    const std::size_t rowEnd = html.find("</tr>", row);
    std::vector<Cell> cells;
    for (std::size_t at = html.find("<td", row); at < rowEnd; at = html.find("<td", at)) {
      Cell cell;
      at += 3;
      while (html[at] == ' ') {
        ++at;
        const std::size_t nameEnd = html.find_first_of("= >", at);
        const std::string name(html.substr(at, nameEnd - at));
        at = nameEnd;
        if (html[at] == '=') {
          const std::size_t valueEnd = html.find('"', at + 2);
          cell.attributes[name] = std::string(html.substr(at + 2, valueEnd - at - 2));
          at = valueEnd + 1;
        } else {
          cell.attributes[name] = "";
        }
      }
      const std::size_t textEnd = html.find("</td>", at);
      cell.text = std::string(html.substr(at + 1, textEnd - at - 1));
      cells.push_back(cell);
      at = textEnd;
    }
    rows.push_back(cells);
  }
  return rows;
}

std::string AttributeOf(const Cell& cell, const std::string& name) {
  const auto found = cell.attributes.find(name);
  return found == cell.attributes.end() ? "(none)" : found->second;
}

// A cell that every spreadsheet must take as the text it shows.
void ExpectTextCell(const Cell& cell, std::string_view text) {
  EXPECT_EQ(Unescaped(cell.text), std::string(text));
  if (text.empty()) {
    EXPECT_TRUE(cell.attributes.empty()) << text;
    return;
  }
  EXPECT_EQ(AttributeOf(cell, "sdnum"), "1033;0;@") << text;
  EXPECT_EQ(AttributeOf(cell, "x:str"), "") << text;
  EXPECT_EQ(cell.attributes.count("sdval"), 0U) << text;
  EXPECT_EQ(cell.attributes.count("x:num"), 0U) << text;
}

// The double that a text of decimal digits stands for, read by the standard
// library rather than the model: blanks around, and nothing else, allowed.
std::optional<double> StandardValueOf(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Every example typed and every button pressed: each field's cell shows its
// text, and carries, where the text is a number, the value it stands for.
// The untidy typing's " 1 00 " and "1 2" are no numbers to the strict
// reader and stay text.
TEST(HtmlTableOf, TheFormsFieldsAfterEachWorkedExample) {
  for (const scenarios::WorkedExample& example : scenarios::kWorkedExamples) {
    InMemoryFields fields;
    const Field inputs[] = {Field::Text1, Field::Text2, Field::Text3, Field::Text4};
    for (std::size_t i = 0; i < 4; ++i) fields.SetFieldText(inputs[i], example.inputs[i]);
    for (const scenarios::Calculation& calculation : scenarios::kCalculations) calculation.action(fields);
    const std::vector<Figure> figures = ResultRows(fields);
    const auto rows = RowsOf(HtmlTableOf(figures));
    ASSERT_EQ(rows.size(), 10U) << example.name;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      SCOPED_TRACE(figures[i].label + " = " + figures[i].text);
      ASSERT_EQ(rows[i].size(), 2U);
      ExpectTextCell(rows[i][0], figures[i].label);
      const Cell& value = rows[i][1];
      EXPECT_EQ(Unescaped(value.text), figures[i].text);
      const std::optional<double> expected = StandardValueOf(figures[i].text);
      if (!expected) {
        ExpectTextCell(value, figures[i].text);
        continue;
      }
      EXPECT_EQ(AttributeOf(value, "sdnum"), "1033;");
      EXPECT_EQ(AttributeOf(value, "x:num"), AttributeOf(value, "sdval"));
      EXPECT_EQ(StandardValueOf(AttributeOf(value, "sdval")), expected);
      EXPECT_EQ(value.attributes.count("style"), 0U);
    }
  }
}

// Texts at the edges of what is a number, the writer's exponent form, and
// percentages as the windows write them, each read a hundredth by moving
// the point.
TEST(HtmlTableOf, WhichTextsAreNumbersAndTheirValues) {
  enum class Kind { Number, Percent, Text };
  const struct {
    std::string_view text;
    Kind kind;
    std::string_view value;   // as the form's writer writes it
    std::string_view format;  // a percentage's, in English; none for a number in exponent form
  } cases[] = {
      {"1E+15", Kind::Number, "1E+15", ""},
      {"1.23456789012346E+17", Kind::Number, "1.23456789012346E+17", ""},
      {"123456789012345678", Kind::Number, "1.23456789012346E+17", ""},
      {"1.5E-07", Kind::Number, "1.5E-07", ""},
      {"-73.1981528228311", Kind::Number, "-73.1981528228311", ""},
      {" 100 ", Kind::Number, "100", ""},
      {"2e1", Kind::Number, "20", ""},
      {".5", Kind::Number, "0.5", ""},
      {"7.", Kind::Number, "7", ""},
      {"-0", Kind::Number, "0", ""},
      {"18.09 %", Kind::Percent, "0.1809", "0.00%"},
      {"81.91 %", Kind::Percent, "0.8191", "0.00%"},
      {"100.0 %", Kind::Percent, "1", "0.0%"},
      {"5.000 %", Kind::Percent, "0.05", "0.000%"},
      {"0.001234 %", Kind::Percent, "0.00001234", "0.000000%"},
      {"5 %", Kind::Percent, "0.05", "0%"},
      {"-2.5 %", Kind::Percent, "-0.025", "0.0%"},
      {"18.09%", Kind::Percent, "0.1809", "0.00%"},
      {" 18.09 % ", Kind::Percent, "0.1809", "0.00%"},
      {".5 %", Kind::Percent, "0.005", "0.0%"},
      {"1.206E-111 %", Kind::Percent, "1.206E-113", ""},
      {"1E+300 %", Kind::Percent, "1E+298", ""},
      {"", Kind::Text, "", ""},
      {" ", Kind::Text, "", ""},
      {"12abc", Kind::Text, "", ""},
      {"inf", Kind::Text, "", ""},
      {"-inf", Kind::Text, "", ""},
      {"nan", Kind::Text, "", ""},
      {"1e400", Kind::Text, "", ""},
      {"-1e400", Kind::Text, "", ""},
      {"1e400 %", Kind::Text, "", ""},
      {"1D3", Kind::Text, "", ""},
      {"&H10", Kind::Text, "", ""},
      {"1 2", Kind::Text, "", ""},
      {"2,753.20", Kind::Text, "", ""},
      {"18,09 %", Kind::Text, "", ""},
      {"%", Kind::Text, "", ""},
      {"12 %%", Kind::Text, "", ""},
      {"% 12", Kind::Text, "", ""},
      {"16.09 a 17.16", Kind::Text, "", ""},
      {"1989-12-29", Kind::Text, "", ""},
      {"Valor Actual: escriba un número mayor que cero", Kind::Text, "", ""},
  };
  std::vector<Figure> figures;
  for (const auto& c : cases) figures.push_back({"Cifra", std::string(c.text)});
  const auto rows = RowsOf(HtmlTableOf(figures));
  ASSERT_EQ(rows.size(), std::size(cases));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(std::string(c.text));
    ASSERT_EQ(rows[i].size(), 2U);
    ExpectTextCell(rows[i][0], "Cifra");
    const Cell& cell = rows[i][1];
    if (c.kind == Kind::Text) {
      ExpectTextCell(cell, c.text);
      continue;
    }
    EXPECT_EQ(Unescaped(cell.text), std::string(c.text));
    EXPECT_EQ(AttributeOf(cell, "sdval"), c.value);
    EXPECT_EQ(AttributeOf(cell, "x:num"), c.value);
    if (c.format.empty()) {
      EXPECT_EQ(AttributeOf(cell, "sdnum"), "1033;");
      EXPECT_EQ(cell.attributes.count("style"), 0U);
      continue;
    }
    EXPECT_EQ(AttributeOf(cell, "sdnum"), "1033;0;" + std::string(c.format));
    std::string officeFormat;
    for (const char ch : c.format) officeFormat += ch == '.' ? std::string("\\.") : std::string(1, ch);
    EXPECT_EQ(AttributeOf(cell, "style"), "mso-number-format:'" + officeFormat + "'");
  }
}

// Texts that HTML would read as markup are escaped in both cells, accents
// are kept as UTF-8, and the table stands alone between the fragment's
// comments in a document that says it is UTF-8.
TEST(HtmlTableOf, EscapesTextsInADocumentOfOneTable) {
  const std::vector<Figure> figures = {
      {"Precio <Mínimo> & \"Máximo\"", "a<b & c>\"d\""},
      {"&amp;", "&lt; 5 %"},
      {"Variación €", "1E+15"},
  };
  const std::string html = HtmlTableOf(figures);
  EXPECT_TRUE(html.starts_with("<html"));
  EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_EQ(html.find("<table"), html.rfind("<table"));
  EXPECT_EQ(html.find("<!--StartFragment-->") + std::string_view("<!--StartFragment-->").size(),
            html.find("<table>"));
  EXPECT_EQ(html.find("</table>") + std::string_view("</table>").size(), html.find("<!--EndFragment-->"));
  EXPECT_TRUE(html.ends_with("</html>\n"));
  const auto rows = RowsOf(html);
  ASSERT_EQ(rows.size(), figures.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].size(), 2U);
    for (const Cell& cell : rows[i])
      EXPECT_EQ(cell.text.find_first_of("<>\""), std::string::npos) << cell.text;
    ExpectTextCell(rows[i][0], figures[i].label);
  }
  ExpectTextCell(rows[0][1], figures[0].text);
  ExpectTextCell(rows[1][1], figures[1].text);
  EXPECT_EQ(AttributeOf(rows[2][1], "sdval"), "1E+15");
  EXPECT_TRUE(RowsOf(HtmlTableOf({})).empty());
}

struct ParsedClipboard {
  std::map<std::string, std::size_t> offsets;
  std::size_t headerSize = 0;
};

// The header's lines in the order Windows lists them, each offset ten
// digits.
ParsedClipboard HeaderOf(const std::string& clipboard) {
  ParsedClipboard parsed;
  std::size_t at = 0;
  const auto line = [&]() {
    const std::size_t end = clipboard.find("\r\n", at);
    std::string text = clipboard.substr(at, end - at);
    at = end + 2;
    return text;
  };
  EXPECT_EQ(line(), "Version:0.9");
  for (const char* key : {"StartHTML", "EndHTML", "StartFragment", "EndFragment"}) {
    const std::string text = line();
    const std::size_t colon = text.find(':');
    EXPECT_EQ(text.substr(0, colon), key);
    const std::string digits = text.substr(colon + 1);
    EXPECT_EQ(digits.size(), 10U) << text;
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    EXPECT_TRUE(error == std::errc() && end == digits.data() + digits.size()) << text;
    parsed.offsets[key] = value;
  }
  parsed.headerSize = at;
  return parsed;
}

// The offsets are of bytes, so that the accents of a label, two bytes each
// in UTF-8, move the fragment's end by two; a document without the
// fragment's comments is a fragment whole.
TEST(WindowsHtmlClipboardOf, OffsetsPointAtTheDocumentAndInsideTheFragmentsComments) {
  const std::vector<Figure> accented = {{"Variación", "18.09 %"},
                                        {"Precio Mínimo €", "1.23456789012346E+17"}};
  InMemoryFields fields;
  const struct {
    std::string name;
    std::string html;
    bool fragmentComments;
  } cases[] = {
      {"results", HtmlTableOf(ResultRows(fields)), true},
      {"accented", HtmlTableOf(accented), true},
      {"no rows", HtmlTableOf({}), true},
      {"no comments", "<html><body><p>sin fragmento</p></body></html>", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string clipboard = WindowsHtmlClipboardOf(c.html);
    const ParsedClipboard parsed = HeaderOf(clipboard);
    const std::size_t startHtml = parsed.offsets.at("StartHTML");
    const std::size_t endHtml = parsed.offsets.at("EndHTML");
    const std::size_t startFragment = parsed.offsets.at("StartFragment");
    const std::size_t endFragment = parsed.offsets.at("EndFragment");
    EXPECT_EQ(startHtml, parsed.headerSize);
    EXPECT_EQ(clipboard.substr(startHtml, 5), "<html");
    EXPECT_EQ(clipboard.substr(startHtml), c.html);
    EXPECT_EQ(endHtml, clipboard.size());
    ASSERT_LE(startFragment, endFragment);
    ASSERT_LE(endFragment, endHtml);
    if (!c.fragmentComments) {
      EXPECT_EQ(startFragment, startHtml);
      EXPECT_EQ(endFragment, endHtml);
      continue;
    }
    EXPECT_TRUE(clipboard.substr(0, startFragment).ends_with("<!--StartFragment-->"));
    EXPECT_EQ(clipboard.substr(startFragment, 6), "<table");
    EXPECT_EQ(clipboard.substr(endFragment - 8, 8), "</table>");
    EXPECT_TRUE(clipboard.substr(endFragment).starts_with("<!--EndFragment-->"));
  }
}

}  // namespace
}  // namespace cotalia
