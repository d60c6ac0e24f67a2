// SPDX-License-Identifier: GPL-3.0-or-later
// How the distribution window's two charts are laid out in an area, which
// their drawing and their reading share: the fan's frame (its months along,
// its prices up), the density's (its prices along, its density up) or the
// message in its place, and the x axis that a reading is taken along.
#pragma once

#include <optional>
#include <string>

#include "model/lognormal/price_distribution.h"
#include "window/charts/chart_drawing.h"
#include "window/distribution/distribution_view.h"

namespace cotalia {

inline constexpr double kStartDot = 4;  // pixels at 96 dots per inch
inline constexpr double kModeDot = 4;
inline constexpr double kHatchStep =
    6;  // pixels at 96 dots per inch between the target area's hatching lines
inline constexpr int kDensitySteps = 100;  // a density reading moves by a hundredth of the axis

// Where the reading stands, if anywhere: a reading that is not a number
// stands nowhere.
std::optional<double> ReadoutIn(const ChartOptions& options);

// The price at a position along a price axis.
double PriceAtPosition(const Axis& axis, double position);

// "12 meses".
std::string MonthsText(const PriceDistribution& d);

// The fan's frame in the area: its months along, its prices up.
struct FanLayout {
  FrameTexts texts;
  std::optional<PlotFrame> frame;
};
FanLayout LayFan(const DistributionChart& chart, const ChartArea& area, const Labeller& labeller,
                 bool logarithmic);

// The density's frame in the area: its prices along, its density up; or the
// message in its place.
struct DensityLayout {
  FrameTexts texts;
  std::optional<PlotFrame> frame;
  std::string message;  // where there is no frame
  double mode = 0;
};
DensityLayout LayDensity(const PriceDistribution& d, const ChartArea& area, const Labeller& labeller,
                         bool logarithmic);

// The x axis of the chart as laid out in the area, from the plot's left
// edge to its right.
struct Abscissa {
  const PriceDistribution* distribution;
  Axis axis;
  double left;
  double right;
};
std::optional<Abscissa> AbscissaOf(const DistributionView& view, const ChartOptions& options,
                                   const ChartArea& area, const TextWidth& textWidth);

// A thin line across the plot where the reading stands.
void MarkReading(const PlotFrame& frame, double x, const ChartArea& area, std::vector<Shape>& shapes);

}  // namespace cotalia
