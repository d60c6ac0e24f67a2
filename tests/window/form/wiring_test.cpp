// SPDX-License-Identifier: GPL-3.0-or-later
// The toolkit-free parts of the window that both front ends build on: the
// creation order.
#include "window/form/wiring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "window/form/menu_bar.h"
#include "window/form/window_description.h"

namespace cotalia {
namespace {

std::vector<std::size_t> WithoutLabels(const std::array<std::size_t, kControls.size()>& order) {
  std::vector<std::size_t> stops;
  for (const std::size_t index : order) {
    if (kControls[index].role != ControlRole::CentredLabel) stops.push_back(index);
  }
  return stops;
}

TEST(CreationOrder, PutsEachNamingLabelJustBeforeItsBoxAndKeepsTheTabPath) {
  const auto order = CreationOrder();
  auto sorted = order;
  std::sort(sorted.begin(), sorted.end());
  for (std::size_t i = 0; i < sorted.size(); ++i) ASSERT_EQ(sorted[i], i) << "every control once";
  for (const FieldBinding& binding : kFieldBindings) {
    const auto box = std::find(order.begin(), order.end(), binding.textBox);
    ASSERT_NE(box, order.begin());
    EXPECT_EQ(*(box - 1), binding.label) << kControls[binding.textBox].name;
  }
  EXPECT_EQ(WithoutLabels(order), WithoutLabels(TabOrder()));
}

TEST(ParseShortcut, ReadsModifiersAndOneKey) {
  const struct {
    const char* text;
    bool valid;
    bool control, shift, alt;
    char letter;
    int functionKey;
  } cases[] = {
      {"Ctrl+Q", true, true, false, false, 'Q', 0},
      {"Ctrl+Shift+C", true, true, true, false, 'C', 0},
      {"Alt+F4", true, false, false, true, '\0', 4},
      {"F10", true, false, false, false, '\0', 10},
      {"", false, false, false, false, '\0', 0},
      {"Ctrl+", false, false, false, false, '\0', 0},
      {"Meta+X", false, false, false, false, '\0', 0},
      {"F13", false, false, false, false, '\0', 0},
      {"Ctrl+q", false, false, false, false, '\0', 0},
      {"F1x", false, false, false, false, '\0', 0},
      // The ends of the letters and of the function keys, and just past them.
      {"A", true, false, false, false, 'A', 0},
      {"Z", true, false, false, false, 'Z', 0},
      {"@", false, false, false, false, '\0', 0},
      {"[", false, false, false, false, '\0', 0},
      {"a", false, false, false, false, '\0', 0},
      {"AB", false, false, false, false, '\0', 0},
      {"F1", true, false, false, false, '\0', 1},
      {"F9", true, false, false, false, '\0', 9},
      {"F12", true, false, false, false, '\0', 12},
      {"F0", false, false, false, false, '\0', 0},
      {"F100", false, false, false, false, '\0', 0},
      {"F123", false, false, false, false, '\0', 0},
      {"F010", false, false, false, false, '\0', 0},
      {"F", true, false, false, false, 'F', 0},
      {"G5", false, false, false, false, '\0', 0},
      {"15", false, false, false, false, '\0', 0},
      // Characters beside the digits, whose codes less '0' would make 1 to 12.
      {"F:", false, false, false, false, '\0', 0},
      {"F1/", false, false, false, false, '\0', 0},
      // Modifiers in any order, each by its exact name.
      {"Shift+Ctrl+C", true, true, true, false, 'C', 0},
      {"Alt+Shift+Ctrl+F12", true, true, true, true, '\0', 12},
      {"Shift+A", true, false, true, false, 'A', 0},
      {"Ctrl+Win+X", false, false, false, false, '\0', 0},
      {"ctrl+Q", false, false, false, false, '\0', 0},
      {"Ctrl+Shift", false, false, false, false, '\0', 0},
  };
  for (const auto& c : cases) {
    const std::optional<Shortcut> shortcut = ParseShortcut(c.text);
    ASSERT_EQ(shortcut.has_value(), c.valid) << c.text;
    if (!shortcut) continue;
    EXPECT_EQ(shortcut->control, c.control) << c.text;
    EXPECT_EQ(shortcut->shift, c.shift) << c.text;
    EXPECT_EQ(shortcut->alt, c.alt) << c.text;
    EXPECT_EQ(shortcut->letter, c.letter) << c.text;
    EXPECT_EQ(shortcut->functionKey, c.functionKey) << c.text;
  }
  for (const MenuItem& item : kMenuItems) {
    EXPECT_EQ(item.qtShortcut.empty(), !ParseShortcut(item.qtShortcut)) << item.caption;
    EXPECT_EQ(item.win32Shortcut.empty(), !ParseShortcut(item.win32Shortcut)) << item.caption;
  }
}

// The texts as the boxes hold them, a fresh box's blank and a tab included.
TEST(ResultsText, OneLineALabelATabAndTheTextPerField) {
  InMemoryFields fields;
  fields.SetFieldText(Field::Text1, "100");
  fields.SetFieldText(Field::Text9, "a\tb");
  EXPECT_EQ(ResultsText(fields, "\r\n"),
            "Valor Actual\t100\r\nRendimiento\t \r\nVolatilidad\t \r\nTiempo\t \r\nPrecio Minimo\t \r\n"
            "Precio Maximo\t \r\nPrecio Esperado\t \r\nVariacion esperada\t \r\nMedia Dn\ta\tb\r\n"
            "Volatilidad Dn\t \r\n");
}

// Each paragraph whole or by phrases that every line of its text adds, so
// that none goes missing; the blank lines between them counted.
TEST(AboutText, NameVersionPurposeCopyrightLicenceAndAddress) {
  const std::string text = AboutText();
  std::vector<std::string> paragraphs;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find("\n\n", start);
    paragraphs.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  const struct {
    std::size_t paragraph;
    std::string_view phrase;
  } cases[] = {
      {1, "Calcula el precio de una acción según el modelo lognormal"},
      {1, "la banda de precios del 95 %"},
      {1, "el precio esperado y su desviación típica."},
      {3, "Este programa es software libre"},
      {3, "publicada por la Free Software Foundation, ya sea la versión 3"},
      {3, "(GPL-3.0-or-later)."},
      {4, "SIN NINGUNA GARANTÍA"},
      {4, "COMERCIABILIDAD o IDONEIDAD PARA UN PROPÓSITO PARTICULAR."},
      {4, "Consulte la Licencia Pública General de GNU para más detalles."},
      {4, "https://www.gnu.org/licenses/."},
  };
  ASSERT_EQ(paragraphs.size(), 6U) << text;
  EXPECT_EQ(paragraphs[0], "Cotalia " + std::string(kVersion));
  EXPECT_EQ(paragraphs[2], "Copyright © 2026 Cotalia developers");
  EXPECT_EQ(paragraphs[5], kWebAddress);
  for (const auto& c : cases) {
    EXPECT_NE(paragraphs[c.paragraph].find(c.phrase), std::string::npos) << c.phrase;
  }
}

}  // namespace
}  // namespace cotalia
