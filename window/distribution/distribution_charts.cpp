// SPDX-License-Identifier: GPL-3.0-or-later
// The fan and the density drawn in an area, as a painter draws them as they
// are given.
#include <algorithm>
#include <utility>
#include <vector>

#include "model/lognormal/lognormal.h"
#include "model/lognormal/price_answers.h"
#include "window/distribution/distribution_layout.h"
#include "window/distribution/distribution_view.h"
#include "window/exports/figures.h"

namespace cotalia {

namespace {

// The range asked about (Entre dos precios) shaded across the plot, under
// the curves: between its limits on the price axis, which runs across the
// plot (the density) or up it (the fan); to the plot's edge where it has one
// limit, and at the edge where a limit lies beyond the axis.
void ShadeRange(const PriceDistribution& d, const PlotFrame& frame, bool pricesAcross,
                std::vector<Shape>& shapes) {
  const auto* range = std::get_if<PriceRange>(&d.range);
  if (range == nullptr) return;
  const PlotBox& plot = frame.drawing.plot;
  if (pricesAcross) {
    const double from = range->lower() ? frame.X(*range->lower()) : plot.left;
    const double to = range->upper() ? frame.X(*range->upper()) : plot.right;
    shapes.push_back({Ink::Range,
                      ShapeKind::Area,
                      0,
                      {{from, plot.top}, {to, plot.top}, {to, plot.bottom}, {from, plot.bottom}}});
    return;
  }
  const double from = range->lower() ? frame.Y(*range->lower()) : plot.bottom;
  const double to = range->upper() ? frame.Y(*range->upper()) : plot.top;
  shapes.push_back({Ink::Range,
                    ShapeKind::Area,
                    0,
                    {{plot.left, from}, {plot.right, from}, {plot.right, to}, {plot.left, to}}});
}

ChartDrawing DrawFan(const DistributionChart& chart, const ChartArea& area, const Labeller& labeller,
                     const ChartOptions& options) {
  const PriceDistribution& d = chart.distribution;
  const PricePath& path = chart.path;
  FanLayout laid = LayFan(chart, area, labeller, options.logarithmic);
  if (!laid.frame) return MessageOnly(std::string(kTooSmallForChart), area, labeller);
  PlotFrame& frame = *laid.frame;

  const double thick = kCurvePen * area.scale;
  Shape band{Ink::Band, ShapeKind::Area, 0, {}};
  Shape median{Ink::Median, ShapeKind::Line, thick, {}};
  Shape expected{Ink::Expected, ShapeKind::Line, thick, {}};
  for (std::size_t i = 0; i < path.points.size(); ++i) {
    const double at = frame.X(path.months[i]);
    band.points.push_back({at, frame.Y(path.points[i].upper)});
    median.points.push_back({at, frame.Y(path.points[i].median)});
    expected.points.push_back({at, frame.Y(path.points[i].expected)});
  }
  for (std::size_t i = path.points.size(); i-- > 0;) {
    band.points.push_back({frame.X(path.months[i]), frame.Y(path.points[i].lower)});
  }
  std::vector<Shape>& shapes = frame.drawing.shapes;
  ShadeRange(d, frame, false, shapes);
  shapes.push_back(std::move(band));
  shapes.push_back(std::move(median));
  shapes.push_back(std::move(expected));
  const PlotBox& plot = frame.drawing.plot;
  if (const auto* target = std::get_if<double>(&d.target)) {
    shapes.push_back({Ink::Target,
                      ShapeKind::Line,
                      thick,
                      {{plot.left, frame.Y(*target)}, {plot.right, frame.Y(*target)}}});
  }
  shapes.push_back(
      {Ink::Start, ShapeKind::Dot, kStartDot * area.scale, {{frame.X(0), frame.Y(d.inputs.price)}}});
  if (const std::optional<double> readout = ReadoutIn(options)) {
    MarkReading(frame, frame.X(std::clamp(*readout, 0.0, d.inputs.months)), area, shapes);
  }
  return CloseFrame(std::move(frame), area, labeller, laid.texts);
}

// The price at a pixel's x on the plot.
double PriceAtX(const PlotFrame& frame, double x) {
  const PlotBox& plot = frame.drawing.plot;
  const double fraction = plot.right > plot.left ? (x - plot.left) / (plot.right - plot.left) : 0;
  return PriceAtPosition(frame.x, Along(frame.x.low, frame.x.high, fraction));
}

// The prices the density's curve is drawn at: every other pixel's column,
// and each price marked on it, so that the band's edges and the marks stand
// on the curve exactly.
std::vector<double> CurvePrices(const PriceDistribution& d, const PlotFrame& frame, double mode,
                                const ChartArea& area) {
  const PlotBox& plot = frame.drawing.plot;
  const double lowPrice = PriceAtPosition(frame.x, frame.x.low);
  const double highPrice = PriceAtPosition(frame.x, frame.x.high);
  const int columns = std::clamp(static_cast<int>((plot.right - plot.left) / (2 * area.scale)), 16, 2000);
  std::vector<double> prices;
  for (int i = 0; i <= columns; ++i) {
    prices.push_back(
        PriceAtPosition(frame.x, Along(frame.x.low, frame.x.high, static_cast<double>(i) / columns)));
  }
  const PricePoint& h = d.horizon;
  const auto* target = std::get_if<double>(&d.target);
  for (const std::optional<double> marked :
       {std::optional(h.lower), std::optional(h.upper), std::optional(h.median), std::optional(h.expected),
        std::optional(mode), target != nullptr ? std::optional(*target) : std::nullopt}) {
    if (marked && *marked >= lowPrice && *marked <= highPrice) prices.push_back(*marked);
  }
  std::sort(prices.begin(), prices.end());
  prices.erase(std::unique(prices.begin(), prices.end()), prices.end());
  return prices;
}

// A point of the density's plot.
Point On(const PlotFrame& frame, double price, double density) { return {frame.X(price), frame.Y(density)}; }

// The band, shaded under the curve between its ends. A negative volatility,
// which the form takes as typed, puts the band's "lower" end above its
// upper one: the band lies between them either way.
Shape BandUnder(const PricePoint& h, const Shape& curve, const std::vector<double>& prices,
                const PlotFrame& frame) {
  const double bandLow = std::min(h.lower, h.upper);
  const double bandHigh = std::max(h.lower, h.upper);
  const PlotBox& plot = frame.drawing.plot;
  Shape band{Ink::Band, ShapeKind::Area, 0, {{frame.X(bandLow), plot.bottom}}};
  for (std::size_t i = 0; i < prices.size(); ++i) {
    if (prices[i] >= bandLow && prices[i] <= bandHigh) band.points.push_back(curve.points[i]);
  }
  band.points.push_back({frame.X(bandHigh), plot.bottom});
  return band;
}

// The area beyond the target, hatched under the curve, on the side of the
// smaller tail: above a target above the median, below one at or below it;
// and its probability beside the target's line, on its side, inside the
// plot.
Label HatchBeyond(const PriceDistribution& d, double target, const PlotFrame& frame, const ChartArea& area,
                  const Labeller& labeller, std::vector<Shape>& shapes) {
  const PlotBox& plot = frame.drawing.plot;
  const bool above = target > d.horizon.median;
  const double from = frame.X(target);
  const double step = kHatchStep * area.scale;
  std::vector<double> hatchPrices;
  for (double x = from + (above ? step : -step) / 2; x > plot.left && x < plot.right;
       x += above ? step : -step) {
    hatchPrices.push_back(PriceAtX(frame, x));
  }
  const std::vector<double> hatchDensities = DensitiesAt(d, hatchPrices);
  for (std::size_t i = 0; i < hatchPrices.size(); ++i) {
    const Point top = On(frame, hatchPrices[i], hatchDensities[i]);
    if (plot.bottom - top.y >= 1)
      shapes.push_back({Ink::Target, ShapeKind::Line, kThinPen * area.scale, {{top.x, plot.bottom}, top}});
  }
  const TargetProbabilities ending = ProbabilitiesOf(d, target);
  const double line = area.lineHeight;
  Label label = labeller.Place(PercentText(above ? ending.above : ending.below),
                               {from + (above ? line / 2 : -line / 2), plot.top + line / 2},
                               above ? Align::Start : Align::End, Align::Start, Ink::Target);
  label.topLeft.x = std::clamp(label.topLeft.x, plot.left + line / 4,
                               std::max(plot.left + line / 4, plot.right - line / 4 - label.width));
  return label;
}

// The median and the expected price as stems up to the curve, the mode as
// a dot on its peak, the target's line across the plot.
void MarkPrices(const PriceDistribution& d, double mode, const PlotFrame& frame, const ChartArea& area,
                std::vector<Shape>& shapes) {
  const PlotBox& plot = frame.drawing.plot;
  const double thick = kCurvePen * area.scale;
  for (const auto& [price, ink] :
       {std::pair{d.horizon.median, Ink::Median}, std::pair{d.horizon.expected, Ink::Expected}}) {
    shapes.push_back({ink,
                      ShapeKind::Line,
                      thick,
                      {{frame.X(price), plot.bottom}, On(frame, price, DensityAt(d, price))}});
  }
  const Point peak = On(frame, mode, DensityAt(d, mode));
  shapes.push_back({Ink::Start, ShapeKind::Line, kThinPen * area.scale, {{peak.x, plot.bottom}, peak}});
  shapes.push_back({Ink::Start, ShapeKind::Dot, kModeDot * area.scale, {peak}});
  if (const auto* target = std::get_if<double>(&d.target)) {
    const double x = frame.X(*target);
    shapes.push_back({Ink::Target, ShapeKind::Line, thick, {{x, plot.top}, {x, plot.bottom}}});
  }
}

ChartDrawing DrawDensity(const PriceDistribution& d, const ChartArea& area, const Labeller& labeller,
                         const ChartOptions& options) {
  DensityLayout laid = LayDensity(d, area, labeller, options.logarithmic);
  if (!laid.frame) return MessageOnly(std::move(laid.message), area, labeller);
  PlotFrame& frame = *laid.frame;
  const std::vector<double> prices = CurvePrices(d, frame, laid.mode, area);
  const std::vector<double> densities = DensitiesAt(d, prices);
  Shape curve{Ink::Text, ShapeKind::Line, kCurvePen * area.scale, {}};
  for (std::size_t i = 0; i < prices.size(); ++i) curve.points.push_back(On(frame, prices[i], densities[i]));
  std::vector<Shape>& shapes = frame.drawing.shapes;
  ShadeRange(d, frame, true, shapes);
  shapes.push_back(BandUnder(d.horizon, curve, prices, frame));
  std::optional<Label> probability;
  if (const auto* target = std::get_if<double>(&d.target)) {
    probability = HatchBeyond(d, *target, frame, area, labeller, shapes);
  }
  shapes.push_back(std::move(curve));
  MarkPrices(d, laid.mode, frame, area, shapes);
  if (const std::optional<double> readout = ReadoutIn(options)) {
    const double lowPrice = PriceAtPosition(frame.x, frame.x.low);
    const double highPrice = PriceAtPosition(frame.x, frame.x.high);
    MarkReading(frame, frame.X(std::clamp(*readout, lowPrice, highPrice)), area, shapes);
  }
  ChartDrawing drawing = CloseFrame(std::move(frame), area, labeller, laid.texts);
  if (probability) drawing.labels.push_back(std::move(*probability));
  return drawing;
}

}  // namespace

ChartDrawing DrawChart(const DistributionView& view, const ChartArea& area, const TextWidth& textWidth,
                       const ChartOptions& options) {
  const Labeller labeller(textWidth, area.lineHeight);
  const auto* shown = std::get_if<DistributionChart>(&view.chart);
  if (shown == nullptr) return MessageOnly(std::get<std::string>(view.chart), area, labeller);
  if (options.density) return DrawDensity(shown->distribution, area, labeller, options);
  return DrawFan(*shown, area, labeller, options);
}

ChartDrawing DrawChart(const DistributionView& view, const ChartArea& area, const TextWidth& textWidth,
                       bool logarithmic) {
  return DrawChart(view, area, textWidth, ChartOptions{logarithmic, false, std::nullopt});
}

}  // namespace cotalia
