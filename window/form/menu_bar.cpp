// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/form/menu_bar.h"

#include "window/form/window_description.h"
#include "window/form/wiring.h"

namespace cotalia {

static_assert(kWindowCaption.substr(2, kWebAddress.size()) == kWebAddress,
              "the About box names the web address of the caption");

std::optional<Shortcut> ParseShortcut(std::string_view text) {
  Shortcut shortcut;
  for (;;) {
    const std::size_t plus = text.find('+');
    if (plus == std::string_view::npos) break;
    const std::string_view modifier = text.substr(0, plus);
    if (modifier == "Ctrl") {
      shortcut.control = true;
    } else if (modifier == "Shift") {
      shortcut.shift = true;
    } else if (modifier == "Alt") {
      shortcut.alt = true;
    } else {
      return std::nullopt;
    }
    text.remove_prefix(plus + 1);
  }
  if (text.size() == 1 && text[0] >= 'A' && text[0] <= 'Z') {
    shortcut.letter = text[0];
    return shortcut;
  }
  if (text.size() >= 2 && text.size() <= 3 && text[0] == 'F') {
    int number = 0;
    for (const char digit : text.substr(1)) {
      if (digit < '0' || digit > '9') return std::nullopt;
      number = number * 10 + (digit - '0');
    }
    if (number < 1 || number > 12) return std::nullopt;
    shortcut.functionKey = number;
    return shortcut;
  }
  return std::nullopt;
}

std::vector<Figure> ResultRows(FieldAccess& fields) {
  std::vector<Figure> rows;
  rows.reserve(kFieldBindings.size());
  for (const FieldBinding& binding : kFieldBindings) {
    rows.push_back({std::string(AccessibleNameOf(binding)), fields.GetFieldText(binding.field)});
  }
  return rows;
}

std::string TabSeparatedText(std::span<const Figure> rows, std::string_view lineEnd) {
  std::string text;
  for (const Figure& row : rows) {
    text += row.label;
    text += '\t';
    text += row.text;
    text += lineEnd;
  }
  return text;
}

std::string ResultsText(FieldAccess& fields, std::string_view lineEnd) {
  return TabSeparatedText(ResultRows(fields), lineEnd);
}

std::string AboutText() {
  std::string text;
  text += "Cotalia ";
  text += kVersion;
  text +=
      "\n\nCalcula el precio de una acción según el modelo lognormal (movimiento browniano geométrico): "
      "la media y la desviación típica del logaritmo del precio, la banda de precios del 95 %, el precio "
      "esperado y su desviación típica.\n\n"
      "Copyright © 2026 Cotalia developers\n\n"
      "Este programa es software libre: puede redistribuirlo y/o modificarlo según los términos de la "
      "Licencia Pública General de GNU publicada por la Free Software Foundation, ya sea la versión 3 de "
      "la Licencia o (a su elección) cualquier versión posterior (GPL-3.0-or-later).\n\n"
      "Este programa se distribuye con la esperanza de que sea útil, pero SIN NINGUNA GARANTÍA; ni "
      "siquiera la garantía implícita de COMERCIABILIDAD o IDONEIDAD PARA UN PROPÓSITO PARTICULAR. "
      "Consulte la Licencia Pública General de GNU para más detalles. Debería haber recibido una copia "
      "de ella junto con este programa; si no, consulte https://www.gnu.org/licenses/.\n\n";
  text += kWebAddress;
  return text;
}

}  // namespace cotalia
