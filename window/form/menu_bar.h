// SPDX-License-Identifier: GPL-3.0-or-later
// The menu bar above the form, as data that both front ends build from, and
// what its commands give: the results as text for the clipboard and the About
// box's text. No command runs an action or writes a field.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cotalia_version.h"
#include "model/simulator_actions.h"
#include "window/exports/figures.h"

namespace cotalia {

enum class MenuCommand {
  OpenPrices,
  Quit,
  CopyResults,
  PastePrices,
  About,
  AboutQt,
  Distribution,
  CopyFigures,
  SaveChart,
  CopyChart,
  Close
};

// The menu bar item by item, menu after menu: an item whose menu differs
// from the one before it opens a new menu. Titles and captions carry '&'
// before the mnemonic letter, as both toolkits write it. A shortcut is
// written "Ctrl+Shift+C": modifiers, then a letter or F1 to F12.
struct MenuItem {
  std::string_view menu;
  MenuCommand command;
  std::string_view caption;
  std::string_view qtShortcut;
  std::string_view win32Shortcut;  // Alt+F4 closes any window there already
  bool qtOnly;
};

inline constexpr std::array<MenuItem, 7> kMenuItems{{
    {"&Archivo", MenuCommand::OpenPrices, "&Abrir precios…", "Ctrl+O", "Ctrl+O", false},
    {"&Archivo", MenuCommand::Quit, "&Salir", "Ctrl+Q", "Alt+F4", false},
    {"&Edición", MenuCommand::CopyResults, "&Copiar resultados", "Ctrl+Shift+C", "Ctrl+Shift+C", false},
    {"&Edición", MenuCommand::PastePrices, "&Pegar precios", "Ctrl+Shift+V", "Ctrl+Shift+V", false},
    {"&Ver", MenuCommand::Distribution, "&Distribución del precio…", "Ctrl+D", "Ctrl+D", false},
    {"A&yuda", MenuCommand::About, "&Acerca de Cotalia", "", "", false},
    {"A&yuda", MenuCommand::AboutQt, "Acerca de &Qt", "", "", true},
}};

// The menus of the windows with charts: a chart to a file or to the
// clipboard, their figures to the clipboard, and Cerrar, which hides the
// window as Esc does. Where the window has two charts, the chart commands
// take the one that has the keyboard's focus, and the first where neither
// has it. The estimation window opens and pastes prices as the form does.
inline constexpr std::array<MenuItem, 4> kDistributionMenuItems{{
    {"&Archivo", MenuCommand::SaveChart, "&Guardar gráfico como…", "Ctrl+S", "Ctrl+S", false},
    {"&Archivo", MenuCommand::Close, "&Cerrar", "Ctrl+W", "Ctrl+W", false},
    {"&Edición", MenuCommand::CopyFigures, "&Copiar cifras", "Ctrl+Shift+C", "Ctrl+Shift+C", false},
    {"&Edición", MenuCommand::CopyChart, "Copiar &gráfico", "Ctrl+Shift+G", "Ctrl+Shift+G", false},
}};
inline constexpr std::array<MenuItem, 6> kEstimationMenuItems{{
    {"&Archivo", MenuCommand::OpenPrices, "&Abrir precios…", "Ctrl+O", "Ctrl+O", false},
    {"&Archivo", MenuCommand::SaveChart, "&Guardar gráfico como…", "Ctrl+S", "Ctrl+S", false},
    {"&Archivo", MenuCommand::Close, "&Cerrar", "Ctrl+W", "Ctrl+W", false},
    {"&Edición", MenuCommand::CopyFigures, "&Copiar cifras", "Ctrl+Shift+C", "Ctrl+Shift+C", false},
    {"&Edición", MenuCommand::CopyChart, "Copiar &gráfico", "Ctrl+Shift+G", "Ctrl+Shift+G", false},
    {"&Edición", MenuCommand::PastePrices, "&Pegar precios", "Ctrl+Shift+V", "Ctrl+Shift+V", false},
}};

struct Shortcut {
  bool control = false;
  bool shift = false;
  bool alt = false;
  char letter = '\0';   // 'A' to 'Z', or
  int functionKey = 0;  // 1 to 12
};

// The keys of a shortcut as the table writes it; none for a text that is not
// one.
std::optional<Shortcut> ParseShortcut(std::string_view text);

// What "Copiar resultados" copies: a row per field in the order of the form,
// each the label that names the field and the field's text exactly as its
// box holds it.
std::vector<Figure> ResultRows(FieldAccess& fields);

// Rows as a spreadsheet pastes them in two columns: a line per row, the
// label, a tab and the text, every line ended by lineEnd ("\r\n" on Windows,
// "\n" elsewhere).
std::string TabSeparatedText(std::span<const Figure> rows, std::string_view lineEnd);

// What "Copiar resultados" puts on the clipboard as plain text: its rows,
// tab-separated.
std::string ResultsText(FieldAccess& fields, std::string_view lineEnd);

inline constexpr std::string_view kWebAddress = "www.cotalia.example";
inline constexpr std::string_view kAboutTitle = "Acerca de Cotalia";

// The About box's paragraphs, separated by blank lines: name and version,
// what it computes, the copyright, the licence notice with its no-warranty
// sentence, and the web address.
std::string AboutText();

}  // namespace cotalia
