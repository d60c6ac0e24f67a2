// SPDX-License-Identifier: GPL-3.0-or-later
// What the price distribution window shows, computed once for both painters:
// the figures at the horizon as texts, the chart's description for screen
// readers, the message that stands in place of the chart when there is none,
// and the chart itself resolved to what a painter draws as it is given:
// shapes with their pen widths and dot radii, and labels by their top-left
// corners, in pixels.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "chart_drawing.h"
#include "figures.h"
#include "price_distribution.h"

namespace cotalia {

// What the chart is drawn from: the distribution and its path to the
// horizon, computed once for every size the chart is drawn at.
struct DistributionChart {
  PriceDistribution distribution;
  PricePath path;
};

struct DistributionView {
  // What the chart is drawn from, or the message that stands in its place.
  std::variant<DistributionChart, std::string> chart;
  std::vector<Figure> figures;  // none where there is a message
  std::string description;      // the chart in words: the message, or its figures at the horizon
};

DistributionView ViewOf(const DistributionRequest& request);

// The view's figures, as FiguresText writes them.
std::string FiguresText(const DistributionView& view, std::string_view lineEnd);

// The chart for the area; a message where the view has no chart, or where the
// area is too small to hold one.
ChartDrawing DrawChart(const DistributionView& view, const ChartArea& area, const TextWidth& textWidth,
                       bool logarithmic);

}  // namespace cotalia
