// SPDX-License-Identifier: GPL-3.0-or-later
// The price distribution window as data: its title, its size and its
// controls, from which both front ends build it. Its own inputs are the
// level, the target and the price axis; the chart and the figures show what
// ViewOf gives for them and the form's four inputs.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "window_controls.h"

namespace cotalia {

inline constexpr std::string_view kDefaultLevel = "95";
inline constexpr std::array<std::string_view, 2> kPriceAxisChoices{"Lineal", "Logarítmico"};
inline constexpr std::size_t kLogarithmicPriceAxis = 1;  // the choice of a logarithmic price axis

// The rows of kDistributionControls, by name.
enum class DistributionControl : std::size_t {
  LevelLabel,
  Level,
  TargetLabel,
  Target,
  PriceAxis,
  Chart,
  FiguresLabel,
  Figures,
};

namespace distribution_places {
constexpr int kMargin = 8;
constexpr int kRow = 23;
constexpr int kChoiceHeight = 44;                        // the price axis's group: its title and buttons
constexpr int kRowTop = 2 + (kChoiceHeight - kRow) / 2;  // the boxes beside the group, centred on it
constexpr int kLabelDrop = 4;                            // a label's text sits on the line of its box's text
constexpr int kBodyTop = 2 + kChoiceHeight + kMargin;
constexpr int kFiguresWidth = 280;
constexpr Side kFiguresLeft{kMargin + kFiguresWidth, true};
constexpr Side kFarMargin{kMargin, true};
// The row of inputs along the top, each label just left of its box.
constexpr Place InputRow(int left, int width, bool label) {
  const int top = label ? kRowTop + kLabelDrop : kRowTop;
  return {{left}, {top}, {left + width}, {top + kRow}};
}
}  // namespace distribution_places

inline constexpr std::array<WindowControl, 8> kDistributionControls{{
    {"levelLabel", ControlRole::Label, "&Nivel de confianza (%)", "",
     distribution_places::InputRow(8, 150, true)},
    {"level", ControlRole::TextBox, kDefaultLevel, "Nivel de confianza (%)",
     distribution_places::InputRow(164, 60, false)},
    {"targetLabel", ControlRole::Label, "Precio &objetivo", "",
     distribution_places::InputRow(230, 110, true)},
    {"target", ControlRole::TextBox, "", "Precio objetivo", distribution_places::InputRow(346, 100, false)},
    {"priceAxis",
     ControlRole::Choice,
     "Eje de p&recios",
     "Eje de precios",
     {{460}, {2}, {680}, {2 + distribution_places::kChoiceHeight}},
     kPriceAxisChoices},
    {"chart",
     ControlRole::Chart,
     "",
     "Gráfico de la distribución",
     {{distribution_places::kMargin},
      {distribution_places::kBodyTop},
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
      {distribution_places::kBodyTop + 20}}},
    {"figures",
     ControlRole::ReadOnlyText,
     "",
     "Cifras al horizonte",
     {distribution_places::kFiguresLeft,
      {distribution_places::kBodyTop + 20},
      distribution_places::kFarMargin,
      distribution_places::kFarMargin}},
}};

inline constexpr WindowDescription kDistributionWindow{"Distribución del precio", 860, 480,
                                                       kDistributionControls};

constexpr const WindowControl& ControlOf(DistributionControl control) {
  return kDistributionControls[static_cast<std::size_t>(control)];
}

}  // namespace cotalia
