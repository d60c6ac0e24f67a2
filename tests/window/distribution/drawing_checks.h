// SPDX-License-Identifier: GPL-3.0-or-later
// What the distribution window's drawing tests share: its worked example,
// the drawing in an average face, and what a drawing says of itself (its
// shapes, its labels and where its ticks stand).
#pragma once

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "model/numeric_runtime.h"
#include "tests/window/controls/surface_in_memory.h"
#include "window/distribution/distribution_view.h"

namespace cotalia {

inline const DistributionTexts kWorked{"100", "10", "20", "12"};

inline TextWidth WidthIn(double line) {
  return [line](std::string_view text) { return AverageWidth(text, line); };
}

inline ChartDrawing Draw(const DistributionRequest& request, bool logarithmic,
                         ChartArea area = {640, 400, 16}) {
  return DrawChart(ViewOf(request), area, WidthIn(area.lineHeight), logarithmic);
}

inline ChartDrawing DrawWith(const DistributionView& view, const ChartOptions& options,
                             const ChartArea& area = {640, 400, 16}) {
  return DrawChart(view, area, WidthIn(area.lineHeight), options);
}

inline const PriceDistribution& DistributionIn(const DistributionView& view) {
  return std::get<DistributionChart>(view.chart).distribution;
}

inline const Shape* ShapeOf(const ChartDrawing& drawing, Ink ink) {
  for (const Shape& shape : drawing.shapes) {
    if (shape.ink == ink) return &shape;
  }
  return nullptr;
}

inline std::vector<std::string> LabelTexts(const ChartDrawing& drawing) {
  std::vector<std::string> texts;
  for (const Label& label : drawing.labels) texts.push_back(label.text);
  return texts;
}

inline bool Has(const std::vector<std::string>& texts, std::string_view text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// Two labels on different lines, or side by side with at least a quarter
// of a line between them, as words are.
inline bool Apart(const Label& a, const Label& b, double line) {
  const double gap = line / 4;
  return a.topLeft.x + a.width + gap <= b.topLeft.x || b.topLeft.x + b.width + gap <= a.topLeft.x ||
         a.topLeft.y + line <= b.topLeft.y || b.topLeft.y + line <= a.topLeft.y;
}

// A value on an axis and where it stands on it: the y of a price, or the x
// of a price across the density.
struct TickLine {
  double value;
  double y;
};

// The prices along a drawing's axis, from the labels of its ticks: their
// values and where they stand, across (below the plot) or up (left of it).
// A label at an end of the price axis moved inwards to stay inside the area
// does not stand at its tick, and is left out.
inline std::vector<TickLine> TicksAlong(const ChartDrawing& drawing, double line, bool logarithmic,
                                        bool across, double areaWidth = 640) {
  std::vector<TickLine> ticks;
  for (const Label& label : drawing.labels) {
    if (across && (label.topLeft.x <= 0 || label.topLeft.x + label.width >= areaWidth)) continue;
    const bool below = label.topLeft.y >= drawing.plot.bottom && label.topLeft.y < drawing.plot.bottom + line;
    const bool left = label.topLeft.x + label.width <= drawing.plot.left &&
                      label.topLeft.y + line / 2 >= drawing.plot.top - 1 &&
                      label.topLeft.y + line / 2 <= drawing.plot.bottom + 1;
    if (across ? !below : !left) continue;
    const double value = ValueOfText(label.text);
    ticks.push_back({logarithmic && across ? std::log10(value) : value,
                     across ? label.topLeft.x + label.width / 2 : label.topLeft.y + line / 2});
  }
  std::sort(ticks.begin(), ticks.end(), [](TickLine a, TickLine b) { return a.value < b.value; });
  return ticks;
}

// Where a value stands by the first and last ticks.
inline double Between(const std::vector<TickLine>& ticks, double value) {
  const TickLine& a = ticks.front();
  const TickLine& b = ticks.back();
  return a.y + (value - a.value) / (b.value - a.value) * (b.y - a.y);
}

}  // namespace cotalia
