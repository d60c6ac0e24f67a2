// SPDX-License-Identifier: GPL-3.0-or-later
// What the price distribution window shows, computed once for both painters:
// the figures at the horizon as texts, the message that stands in place of
// the chart when there is none, and the chart itself as shapes and labels in
// pixels. A painter only draws what it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "price_distribution.h"

namespace cotalia {

inline constexpr std::string_view kDistributionTitle = "Distribución del precio";
inline constexpr std::string_view kDefaultLevel = "95";

struct Figure {
  std::string label;
  std::string text;
};

struct DistributionView {
  std::string message;  // in place of the chart; empty where there is one
  std::vector<Figure> figures;
  std::optional<PriceDistribution> distribution;  // what the chart is drawn from
};

DistributionView ViewOf(const DistributionRequest& request);

// A probability as a percentage to four significant digits, point as the
// separator: "18.09 %", "100.0 %", "1.206E-111 %".
std::string PercentText(double probability);

enum class Ink : std::uint8_t { Band, Median, Expected, Target, Start, Axis, Grid, Text };

struct Colour {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
  std::uint8_t alpha;
};

Colour ColourOf(Ink ink);

struct Point {
  double x;  // pixels from the left of the chart's area
  double y;  // pixels from its top
};

// A filled polygon, a line through the points, or a dot where there is only
// one point.
struct Shape {
  Ink ink;
  bool filled;
  std::vector<Point> points;
};

enum class Align : std::uint8_t { Start, Middle, End };

// Text placed by the point it is aligned to, horizontally and vertically.
struct Label {
  std::string text;
  Point at;
  Align horizontal;
  Align vertical;
  Ink ink = Ink::Text;
};

struct ChartDrawing {
  std::vector<Shape> shapes;  // in drawing order
  std::vector<Label> labels;
};

// The chart for an area of width by height pixels, with text lineHeight
// pixels high; a message where the view has no chart, or where the area is
// too small to hold one.
struct ChartArea {
  double width;
  double height;
  double lineHeight;
};
ChartDrawing DrawChart(const DistributionView& view, const ChartArea& area, bool logarithmic);

}  // namespace cotalia
