// SPDX-License-Identifier: GPL-3.0-or-later
// Writes what the copy commands put on the clipboard into a folder, for
// scripts/test-spreadsheet to open in a real spreadsheet:
//
// - results.html and results.txt: "Copiar resultados" after the worked
//   example (its ten rows), then two rows of the same form with a price of
//   1E+15, whose results are in exponent form; the HTML table and the plain
//   text, byte for byte as the clipboard gets them on Linux;
// - figures.html: what the distribution window's "Copiar cifras" copies at
//   99 % with a target of 130 and a range of 90 to 130, percentages among
//   them, then the percentiles, as its table;
// - expected.tsv and figures-expected.tsv: each row's label, a tab and the
//   value a spreadsheet must read, as the form's writer writes it: the text
//   read as the form's buttons read it (a percentage's number a hundredth).
//
// Usage: cotalia_copies FOLDER
#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "model/numeric_runtime.h"
#include "tests/scenarios.h"
#include "window/distribution/distribution_view.h"
#include "window/exports/clipboard_table.h"
#include "window/form/menu_bar.h"

namespace {

using cotalia::Figure;

// The form after its four inputs are typed and its six buttons pressed left
// to right.
std::vector<Figure> ResultRowsAfter(const std::array<std::string_view, 4>& inputs) {
  constexpr std::array<cotalia::Field, 4> kInputs{cotalia::Field::Text1, cotalia::Field::Text2,
                                                  cotalia::Field::Text3, cotalia::Field::Text4};
  cotalia::InMemoryFields fields;
  for (std::size_t i = 0; i < kInputs.size(); ++i) fields.SetFieldText(kInputs[i], inputs[i]);
  for (const cotalia::scenarios::Calculation& calculation : cotalia::scenarios::kCalculations) {
    calculation.action(fields);
  }
  return cotalia::ResultRows(fields);
}

std::string ExpectedValues(const std::vector<Figure>& rows) {
  std::string text;
  for (const Figure& row : rows) {
    double value = cotalia::ValueOfText(row.text);
    if (row.text.ends_with('%')) value /= 100;
    text += row.label;
    text += '\t';
    text += cotalia::TextOfNumber(value);
    text += '\n';
  }
  return text;
}

bool Write(const std::string& folder, const char* name, const std::string& contents) {
  std::ofstream file(folder + "/" + name, std::ios::binary);
  file << contents;
  file.close();
  if (file) return true;
  std::fprintf(stderr, "cotalia_copies: cannot write %s/%s\n", folder.c_str(), name);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cotalia_copies FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];

  std::vector<Figure> results = ResultRowsAfter(cotalia::scenarios::kWorkedExamples[0].inputs);
  const std::vector<Figure> large = ResultRowsAfter({"1E+15", "10", "20", "12"});
  results.push_back(large[0]);  // Valor Actual
  results.push_back(large[6]);  // Precio Esperado

  const cotalia::DistributionTexts inputs{"100", "10", "20", "12"};
  const std::vector<Figure> figures = cotalia::ViewOf({inputs, "99", "130", "90", "130"}).copied;

  const bool written = Write(folder, "results.html", cotalia::HtmlTableOf(results)) &&
                       Write(folder, "results.txt", cotalia::TabSeparatedText(results, "\n")) &&
                       Write(folder, "expected.tsv", ExpectedValues(results)) &&
                       Write(folder, "figures.html", cotalia::HtmlTableOf(figures)) &&
                       Write(folder, "figures-expected.tsv", ExpectedValues(figures));
  return written ? 0 : 1;
}
