// SPDX-License-Identifier: GPL-3.0-or-later
// What the price distribution window shows, computed once for both painters:
// the figures at the horizon as texts, the chart's description for screen
// readers, the message that stands in place of the chart when there is none,
// and the chart itself resolved to what a painter draws as it is given:
// shapes with their pen widths and dot radii, and labels by their top-left
// corners, in pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "price_distribution.h"

namespace cotalia {

struct Figure {
  std::string label;
  std::string text;
};

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

// The figures one to a line, "label: text", each line ended by lineEnd
// ("\r\n" in a Windows box, "\n" elsewhere) but the last.
std::string FiguresText(const DistributionView& view, std::string_view lineEnd);

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

enum class ShapeKind : std::uint8_t {
  Area,  // a filled polygon
  Line,  // a line through the points, `size` pixels wide
  Dot,   // a disc of radius `size` pixels about the one point
};

struct Shape {
  Ink ink;
  ShapeKind kind;
  double size;
  std::vector<Point> points;
};

// A text one line high, `width` pixels wide, drawn from its top-left corner.
struct Label {
  std::string text;
  Point topLeft;
  double width;
  Ink ink = Ink::Text;
};

// Where the plot stands inside the area: the curves lie within it, the tick
// labels to its left and below it, the legend above it.
struct PlotBox {
  double left;
  double top;
  double right;
  double bottom;
};

struct ChartDrawing {
  std::vector<Shape> shapes;  // in drawing order, below the labels
  std::vector<Label> labels;
  PlotBox plot{};  // all 0 where the drawing is a message
};

// The chart's area, and the painter's text: lineHeight pixels high, and
// `scale` pixels to a pixel at 96 dots per inch (for pens and dots).
struct ChartArea {
  double width;
  double height;
  double lineHeight;
  double scale = 1;
};

// The painter's measure of a text's width in pixels, in its font.
using TextWidth = std::function<double(std::string_view)>;

// The chart for the area; a message where the view has no chart, or where the
// area is too small to hold one.
ChartDrawing DrawChart(const DistributionView& view, const ChartArea& area, const TextWidth& textWidth,
                       bool logarithmic);

}  // namespace cotalia
