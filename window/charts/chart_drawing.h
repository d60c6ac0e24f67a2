// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing that every chart of the program's windows shares: what a
// painter is given (shapes with their pen widths and dot radii, labels by
// their top-left corners, in pixels, in inks that name what they draw), and
// the plot's frame that the charts lay out alike (round-number ticks on a
// linear, logarithmic or date axis, their grid and labels, the axes' titles
// and a legend). Each chart only puts its own shapes inside the frame.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/history/price_history.h"

namespace cotalia {

enum class Ink : std::uint8_t {
  Band,      // the distribution's band, and the histogram's bars
  Median,    // the median, and the history's prices
  Expected,  // the expected price, and the normal curve over the histogram
  Target,
  Start,
  Axis,
  Grid,
  Text,
  Reading,  // the marker where the chart is read: apart from every curve and stem
  Range,    // the prices between two the user asks about, shaded under the curves
};

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

// What a chart widget paints: the drawing for its area, in its font.
using ChartDrawer = std::function<ChartDrawing(const ChartArea&, const TextWidth&)>;

// Pens and dots in pixels at 96 dots per inch.
inline constexpr double kThinPen = 1;
inline constexpr double kCurvePen = 2;

struct Tick {
  double position;  // the value, or its decimal logarithm on a logarithmic axis
  std::string text;
};

struct Axis {
  double low;
  double high;
  bool logarithmic;
  std::vector<Tick> ticks;

  // Where a value lies, from 0 at low to 1 at high; values beyond, and a
  // price that underflowed to 0 on a logarithmic axis, at the ends.
  double Fraction(double value) const;
  // The same for a position on the axis. An axis too narrow for its doubles
  // puts everything at its middle.
  double FractionOfPosition(double position) const;
};

// Round-number ticks over [low, high], at most about `ticks` of them; the
// axis widened to the nearest ticks, or kept to [low, high] with the ticks
// inside.
Axis LinearAxis(double low, double high, int ticks, bool widen);

// An axis fitted to the values (`pixels` long, lines `line` high, about
// `ticks` ticks at most, never closer than a line and a fifth): round steps
// where they fit, as 60, 80 … 200 around a band of 65 to 181; else 1, 2 and
// 5 times powers of ten, as 50, 100, 200; else decades from the one below
// the lowest positive value to the one above the highest, ticked at every
// decade, or at every few where more than `ticks` would not fit, and at 2
// and 5 where there is room for them. The ends are ticks.
Axis LogarithmicAxis(double low, double high, int ticks, double pixels, double line);

// A price axis for a plot `pixels` high in lines `line` high: on a
// logarithmic axis from the lowest positive price, as many ticks as fit a
// line and a half apart; on a linear one from the lowest, two lines apart.
Axis PriceAxis(double lowest, double lowestPositive, double highest, bool logarithmic, double pixels,
               double line);

// Days from `first` to `last`, ticked on the first of a year (every year or
// every few), or of a month where the span is short, as "1990" or
// "1990-03", at most about `ticks` of them; on the ends where no such day
// falls between them.
Axis DateAxis(Day first, Day last, int ticks);

// The point a fraction of the way from one end to the other, never beyond
// either end.
double Along(double from, double to, double fraction);

enum class Align : std::uint8_t { Start, Middle, End };

// Places a label one line high by the point it is aligned to.
class Labeller {
 public:
  Labeller(const TextWidth& textWidth, double line) : textWidth_(textWidth), line_(line) {}

  Label Place(std::string text, Point at, Align horizontal, Align vertical, Ink ink = Ink::Text) const;
  double WidthOf(std::string_view text) const { return textWidth_(text); }
  double line() const { return line_; }

 private:
  const TextWidth& textWidth_;
  double line_;
};

// A message alone, in the middle of the area.
ChartDrawing MessageOnly(std::string text, const ChartArea& area, const Labeller& labeller);

// What stands in place of a chart that its area is too small for.
inline constexpr std::string_view kTooSmallForChart = "Agrande la ventana para ver el gráfico";

struct LegendEntry {
  std::string text;
  Ink ink;
};

// A plot's titles and legend.
struct FrameTexts {
  std::string_view xTitle;  // below the plot
  std::string_view yTitle;  // above the plot's left edge
  std::vector<LegendEntry> legend;
};

// The axis for a plot so many pixels long.
using AxisOfLength = std::function<Axis(double pixels)>;

// A plot laid out in the area: the drawing begun with the grid and the
// ticks' labels, and where a value on either axis stands.
struct PlotFrame {
  ChartDrawing drawing;
  Axis x;
  Axis y;

  double X(double value) const;
  double Y(double value) const;
};

// The frame for the area: the y axis first (its labels' width sets the
// plot's left edge), then the x axis for the room left. None where the area
// is too small for a plot, its titles and its legend.
std::optional<PlotFrame> FrameOf(const ChartArea& area, const Labeller& labeller, const FrameTexts& texts,
                                 const AxisOfLength& yAxis, const AxisOfLength& xAxis);

// The frame's last strokes, above the chart's own shapes: the axes' lines,
// the titles, and the legend, right-aligned above the plot, each entry in
// its own ink (the band's, too light for text, in the median's).
ChartDrawing CloseFrame(PlotFrame frame, const ChartArea& area, const Labeller& labeller,
                        const FrameTexts& texts);

}  // namespace cotalia
