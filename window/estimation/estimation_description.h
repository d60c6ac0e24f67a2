// SPDX-License-Identifier: GPL-3.0-or-later
// The estimation window as data: its title, its size, its menu and its
// controls, from which both front ends build it. Its own inputs are the
// price column, the periods a year and the price axis; the figures and the
// two charts show what EstimationViewOf gives for them and the history read.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "window/controls/window_controls.h"
#include "window/distribution/distribution_description.h"

namespace cotalia {

inline constexpr std::string_view kEstimationTitle = "Estimación desde precios";

// The dialog that opens a price file, and the files it offers: patterns
// separated by semicolons, as both toolkits' dialogs can take them.
inline constexpr std::string_view kOpenPricesTitle = "Abrir precios";
struct FileFilter {
  std::string_view name;
  std::string_view patterns;
};
inline constexpr std::array<FileFilter, 2> kPriceFileFilters{{
    {"Precios (.csv, .txt, .tsv)", "*.csv;*.txt;*.tsv"},
    {"Todos los archivos", "*"},
}};

// Why the return's interval is as wide as it is, under the figures, so that
// it is not over-read.
inline constexpr std::string_view kReturnIntervalNote =
    "El intervalo del rendimiento es ancho porque unos pocos años de precios dicen poco de la media: "
    "la volatilidad se estima mucho mejor que el rendimiento.";

namespace estimation_places {
constexpr int kMargin = 8;
constexpr int kRow = 23;
constexpr int kLabelDrop = 4;  // a label's text sits on the line of its box's text
constexpr int kListHeight = 80;
constexpr int kBodyTop = kMargin + kListHeight + kMargin;
constexpr int kFiguresWidth = 330;
constexpr int kFiguresRight = kMargin + kFiguresWidth;
constexpr int kChartsLeft = kFiguresRight + kMargin;
constexpr int kReturnsHeight = 220;  // the histogram's; the history's chart takes what the window grows by
constexpr int kNoteHeight = 72;
constexpr int kStatusHeight = 26;
constexpr Side kFarMargin{kMargin, true};
}  // namespace estimation_places

inline constexpr std::array<WindowControl, 13> kEstimationControls{{
    {"columnLabel", ControlRole::Label, "&Columna de precios", "", {{8}, {8 + 4}, {138}, {8 + 4 + 23}}},
    {"column", ControlRole::List, "", "Columna de precios", {{144}, {8}, {324}, {8 + 80}}},
    {"periodsLabel", ControlRole::Label, "&Periodos por año", "", {{336}, {8 + 4}, {446}, {8 + 4 + 23}}},
    {"periods", ControlRole::TextBox, "", "Periodos por año", {{452}, {8}, {512}, {8 + 23}}},
    {"priceAxis",
     ControlRole::Choice,
     "Eje de p&recios",
     "Eje de precios",
     {{336}, {8 + 23 + 6}, {556}, {8 + 23 + 6 + 44}},
     kPriceAxisChoices},
    {"useInForm",
     ControlRole::Button,
     "&Usar en el formulario",
     "Usar en el formulario",
     {{estimation_places::kMargin + 180, true}, {8}, estimation_places::kFarMargin, {8 + 27}}},
    {"figuresLabel",
     ControlRole::Label,
     "C&ifras estimadas",
     "",
     {{estimation_places::kMargin},
      {estimation_places::kBodyTop},
      {estimation_places::kFiguresRight},
      {estimation_places::kBodyTop + 20}}},
    {"figures",
     ControlRole::ReadOnlyText,
     "",
     "Cifras estimadas",
     {{estimation_places::kMargin},
      {estimation_places::kBodyTop + 20},
      {estimation_places::kFiguresRight},
      {estimation_places::kMargin + estimation_places::kStatusHeight + estimation_places::kNoteHeight,
       true}}},
    {"note",
     ControlRole::Note,
     "",
     "Notas de la estimación",
     {{estimation_places::kMargin},
      {estimation_places::kMargin + estimation_places::kStatusHeight + estimation_places::kNoteHeight - 4,
       true},
      {estimation_places::kFiguresRight},
      {estimation_places::kMargin + estimation_places::kStatusHeight, true}}},
    {"historyChart",
     ControlRole::Chart,
     "",
     "Gráfico de los precios",
     {{estimation_places::kChartsLeft},
      {estimation_places::kBodyTop},
      estimation_places::kFarMargin,
      {estimation_places::kMargin + estimation_places::kReturnsHeight + estimation_places::kMargin, true}}},
    {"returnsChart",
     ControlRole::Chart,
     "",
     "Histograma de los rendimientos",
     {{estimation_places::kChartsLeft},
      {estimation_places::kMargin + estimation_places::kReturnsHeight, true},
      estimation_places::kFarMargin,
      estimation_places::kFarMargin}},
    {"progress",
     ControlRole::Progress,
     "",
     "Lectura de los precios",
     {{estimation_places::kMargin},
      {estimation_places::kMargin + estimation_places::kStatusHeight - 3, true},
      {estimation_places::kFiguresRight - 96},
      {estimation_places::kMargin + 3, true}}},
    {"cancel",
     ControlRole::Button,
     "Cancelar",
     "Cancelar",
     {{estimation_places::kFiguresRight - 88},
      {estimation_places::kMargin + estimation_places::kStatusHeight, true},
      {estimation_places::kFiguresRight},
      estimation_places::kFarMargin}},
}};

// The place in kEstimationControls of the row of that name. Evaluated while
// compiling: a name that is not in the table does not compile.
consteval std::size_t EstimationRowNamed(std::string_view name) {
  for (std::size_t i = 0; i < kEstimationControls.size(); ++i) {
    if (kEstimationControls[i].name == name) return i;
  }
  throw "no row of that name in kEstimationControls";
}

// A name found is its row's own: no two rows share one.
static_assert(
    [] {
      for (std::size_t i = 0; i < kEstimationControls.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
          if (kEstimationControls[i].name == kEstimationControls[j].name) return false;
        }
      }
      return true;
    }(),
    "two rows of kEstimationControls share a name");

// The rows of kEstimationControls, by name: each value is its row's place,
// found by the row's name while compiling.
enum class EstimationControl : std::size_t {
  ColumnLabel = EstimationRowNamed("columnLabel"),
  Column = EstimationRowNamed("column"),
  PeriodsLabel = EstimationRowNamed("periodsLabel"),
  Periods = EstimationRowNamed("periods"),
  PriceAxis = EstimationRowNamed("priceAxis"),
  UseInForm = EstimationRowNamed("useInForm"),
  FiguresLabel = EstimationRowNamed("figuresLabel"),
  Figures = EstimationRowNamed("figures"),
  Note = EstimationRowNamed("note"),
  HistoryChart = EstimationRowNamed("historyChart"),
  ReturnsChart = EstimationRowNamed("returnsChart"),
  Progress = EstimationRowNamed("progress"),
  Cancel = EstimationRowNamed("cancel"),
};

inline constexpr WindowDescription kEstimationWindow{kEstimationTitle, 940, 620, kEstimationControls};

constexpr const WindowControl& ControlOf(EstimationControl control) {
  return kEstimationControls[static_cast<std::size_t>(control)];
}

}  // namespace cotalia
