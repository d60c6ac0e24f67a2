// SPDX-License-Identifier: GPL-3.0-or-later
// The price distribution window as data: its title, its size and its
// controls, from which both front ends build it. Its own inputs are the
// level, the target, the range's two prices, the price axis and the chart's
// kind; the chart, its reading, the figures and the percentiles show what
// the view (distribution_view.h) gives for them and the form's four inputs.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "window/controls/window_controls.h"

namespace cotalia {

inline constexpr std::string_view kDefaultLevel = "95";
inline constexpr std::array<std::string_view, 2> kPriceAxisChoices{"Lineal", "Logarítmico"};
inline constexpr std::size_t kLogarithmicPriceAxis = 1;  // the choice of a logarithmic price axis
inline constexpr std::array<std::string_view, 2> kChartChoices{"Abanico", "Densidad"};
inline constexpr std::size_t kDensityChart = 1;  // the choice of the density at the horizon

namespace distribution_places {
constexpr int kMargin = 8;
constexpr int kRow = 23;
constexpr int kChoiceHeight = 44;                        // a choice's group: its title and buttons
constexpr int kRowTop = 2 + (kChoiceHeight - kRow) / 2;  // the boxes beside the groups, centred on them
constexpr int kRangeTop = 2 + kChoiceHeight + 4;         // the range's row, below the groups
constexpr int kLabelDrop = 4;                            // a label's text sits on the line of its box's text
constexpr int kBodyTop = kRangeTop + kRow + kMargin;
constexpr int kFiguresWidth = 280;
constexpr int kTitle = 20;               // a box's label above it
constexpr int kPercentilesHeight = 184;  // nine lines, which it always has
constexpr int kReadoutHeight = 36;       // two lines: a reading wraps where the chart is narrow
constexpr Side kFiguresLeft{kMargin + kFiguresWidth, true};
constexpr Side kFarMargin{kMargin, true};
constexpr Side kPercentilesTop{kMargin + kPercentilesHeight, true};
constexpr Side kReadoutTop{kMargin + kReadoutHeight, true};
// A row of inputs, each label just left of its box.
constexpr Place RowItem(int rowTop, int left, int width, bool label) {
  const int top = label ? rowTop + kLabelDrop : rowTop;
  return {{left}, {top}, {left + width}, {top + kRow}};
}
constexpr Place InputRow(int left, int width, bool label) { return RowItem(kRowTop, left, width, label); }
constexpr Place RangeRow(int left, int width, bool label) { return RowItem(kRangeTop, left, width, label); }
constexpr Place ChoiceGroup(int left, int right) { return {{left}, {2}, {right}, {2 + kChoiceHeight}}; }
}  // namespace distribution_places

// Along the top the level, the target and the two choices; below them the
// range's two prices, either of which may be blank. The chart, with its
// reading under it, grows with the window; on its right the figures above
// the percentiles, the figures growing, the percentiles' nine lines not.
inline constexpr std::array<WindowControl, 17> kDistributionControls{{
    {"levelLabel", ControlRole::Label, "&Nivel de confianza (%)", "",
     distribution_places::InputRow(8, 150, true)},
    {"level", ControlRole::TextBox, kDefaultLevel, "Nivel de confianza (%)",
     distribution_places::InputRow(164, 60, false)},
    {"targetLabel", ControlRole::Label, "Precio &objetivo", "",
     distribution_places::InputRow(230, 110, true)},
    {"target", ControlRole::TextBox, "", "Precio objetivo", distribution_places::InputRow(346, 100, false)},
    {"rangeNote", ControlRole::Note, "Entre dos precios:", "", distribution_places::RangeRow(8, 150, true)},
    // Limits, not "Precio mínimo" and "Precio máximo", which the form's
    // figures call the band's ends.
    {"lowerLabel", ControlRole::Label, "Límite &inferior", "", distribution_places::RangeRow(164, 96, true)},
    {"lower", ControlRole::TextBox, "", "Límite inferior", distribution_places::RangeRow(266, 90, false)},
    {"upperLabel", ControlRole::Label, "Límite s&uperior", "", distribution_places::RangeRow(370, 96, true)},
    {"upper", ControlRole::TextBox, "", "Límite superior", distribution_places::RangeRow(472, 90, false)},
    {"priceAxis", ControlRole::Choice, "Eje de p&recios", "Eje de precios",
     distribution_places::ChoiceGroup(460, 676), kPriceAxisChoices},
    {"chartKind", ControlRole::Choice, "&Gráfico", "Gráfico", distribution_places::ChoiceGroup(684, 892),
     kChartChoices},
    {"chart",
     ControlRole::Chart,
     "",
     "Gráfico de la distribución",
     {{distribution_places::kMargin},
      {distribution_places::kBodyTop},
      {distribution_places::kMargin + distribution_places::kFiguresWidth + distribution_places::kMargin,
       true},
      {distribution_places::kMargin + distribution_places::kReadoutHeight + 4, true}}},
    // What the pointer or the arrow keys read off the chart, one sentence.
    {"readout",
     ControlRole::Note,
     "",
     "Lectura del gráfico",
     {{distribution_places::kMargin},
      distribution_places::kReadoutTop,
      {distribution_places::kMargin + distribution_places::kFiguresWidth + distribution_places::kMargin,
       true},
      distribution_places::kFarMargin}},
    {"figuresLabel",
     ControlRole::Label,
     "&Cifras al horizonte",
     "",
     {distribution_places::kFiguresLeft,
      {distribution_places::kBodyTop},
      distribution_places::kFarMargin,
      {distribution_places::kBodyTop + distribution_places::kTitle}}},
    {"figures",
     ControlRole::ReadOnlyText,
     "",
     "Cifras al horizonte",
     {distribution_places::kFiguresLeft,
      {distribution_places::kBodyTop + distribution_places::kTitle},
      distribution_places::kFarMargin,
      {distribution_places::kMargin + distribution_places::kPercentilesHeight + distribution_places::kTitle +
           4,
       true}}},
    {"percentilesLabel",
     ControlRole::Label,
     "&Percentiles al horizonte",
     "",
     {distribution_places::kFiguresLeft,
      {distribution_places::kMargin + distribution_places::kPercentilesHeight + distribution_places::kTitle,
       true},
      distribution_places::kFarMargin,
      distribution_places::kPercentilesTop}},
    {"percentiles",
     ControlRole::ReadOnlyText,
     "",
     "Percentiles al horizonte",
     {distribution_places::kFiguresLeft, distribution_places::kPercentilesTop,
      distribution_places::kFarMargin, distribution_places::kFarMargin}},
}};

// The rows of kDistributionControls, each by its name in the table: a row
// moved in the table moves with its name.
enum class DistributionControl : std::size_t {
  LevelLabel = RowNamed(kDistributionControls, "levelLabel"),
  Level = RowNamed(kDistributionControls, "level"),
  TargetLabel = RowNamed(kDistributionControls, "targetLabel"),
  Target = RowNamed(kDistributionControls, "target"),
  RangeNote = RowNamed(kDistributionControls, "rangeNote"),
  LowerLabel = RowNamed(kDistributionControls, "lowerLabel"),
  Lower = RowNamed(kDistributionControls, "lower"),
  UpperLabel = RowNamed(kDistributionControls, "upperLabel"),
  Upper = RowNamed(kDistributionControls, "upper"),
  PriceAxis = RowNamed(kDistributionControls, "priceAxis"),
  ChartKind = RowNamed(kDistributionControls, "chartKind"),
  Chart = RowNamed(kDistributionControls, "chart"),
  Readout = RowNamed(kDistributionControls, "readout"),
  FiguresLabel = RowNamed(kDistributionControls, "figuresLabel"),
  Figures = RowNamed(kDistributionControls, "figures"),
  PercentilesLabel = RowNamed(kDistributionControls, "percentilesLabel"),
  Percentiles = RowNamed(kDistributionControls, "percentiles"),
};

inline constexpr WindowDescription kDistributionWindow{"Distribución del precio", 900, 560,
                                                       kDistributionControls};

constexpr const WindowControl& ControlOf(DistributionControl control) {
  return kDistributionControls[static_cast<std::size_t>(control)];
}

}  // namespace cotalia
