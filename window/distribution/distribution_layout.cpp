// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/distribution/distribution_layout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "model/lognormal/lognormal.h"
#include "model/lognormal/price_answers.h"
#include "model/numeric_runtime.h"
#include "model/runtime/elementary_functions.h"

namespace cotalia {

namespace {

constexpr double kLn10 = 2.302585092994046;

// 10^position, a price on a logarithmic axis; the largest double beyond.
double PowerOfTenAt(double position) {
  return std::min(CorrectlyRoundedExp(position * kLn10), std::numeric_limits<double>::max());
}

// Where a tick's label stands along an axis `pixels` long: its left and
// right, from the axis's start.
struct Extent {
  double left;
  double right;
};

// Where a tick's label stands along an axis `pixels` long, from the axis's
// start: centred on its tick, or moved inwards where it would leave the
// area (the plot starts `start` pixels into it and has `end` pixels after it).
Extent LabelExtent(const Axis& axis, const Tick& tick, double pixels, double start, double end,
                   const Labeller& labeller) {
  const double width = labeller.WidthOf(tick.text);
  const double at = pixels * axis.FractionOfPosition(tick.position);
  const double left = std::max(std::min(at - width / 2, pixels + end - width), -start);
  return {left, left + width};
}

// The price axis along the density's plot: as many ticks as keep their
// labels half a line apart inside the area.
Axis PriceAxisAlong(double lowest, double lowestPositive, double highest, bool logarithmic, double pixels,
                    double start, double end, const Labeller& labeller) {
  const double line = labeller.line();
  Axis axis;
  double spacing = 2 * line;
  for (int attempt = 0; attempt < 12; ++attempt, spacing *= 1.5) {
    axis = PriceAxis(lowest, lowestPositive, highest, logarithmic, pixels, spacing);
    std::vector<Extent> extents;
    for (const Tick& tick : axis.ticks)
      extents.push_back(LabelExtent(axis, tick, pixels, start, end, labeller));
    std::sort(extents.begin(), extents.end(), [](Extent a, Extent b) { return a.left < b.left; });
    bool apart = true;
    for (std::size_t i = 1; i < extents.size(); ++i) {
      apart = apart && extents[i - 1].right + line / 2 <= extents[i].left;
    }
    if (apart) break;
  }
  return axis;
}

// The lowest and highest prices an axis shows, and the lowest above zero
// (a logarithmic axis's lowest).
struct PriceSpan {
  double lowest;
  double lowestPositive;
  double highest;
};

// The prices the reader looks for on the density: the band, the middle
// percentiles, the median, the expected price, the mode and the target.
PriceSpan DensityPrices(const PriceDistribution& d, double mode) {
  const PricePoint& h = d.horizon;
  PriceSpan span{h.median, h.median, h.median};
  const auto include = [&span](double value) {
    if (!(value >= 0 && value <= std::numeric_limits<double>::max())) return;
    span.lowest = std::min(span.lowest, value);
    span.highest = std::max(span.highest, value);
    if (value > 0) span.lowestPositive = std::min(span.lowestPositive, value);
  };
  const std::array<Percentile, 9> percentiles = PercentilesOf(d);
  for (const double value :
       {h.lower, h.upper, h.expected, mode, percentiles.front().price, percentiles.back().price}) {
    include(value);
  }
  if (const auto* target = std::get_if<double>(&d.target)) include(*target);
  return span;
}

// The density's frame for its prices and its peak; a price's label at an
// end of the axis, wider than the room beyond the plot, stands inside the
// area, as PriceAxisAlong has kept room for.
std::optional<PlotFrame> DensityFrame(const PriceSpan& span, double peak, const ChartArea& area,
                                      const Labeller& labeller, const FrameTexts& texts, bool logarithmic) {
  const double line = area.lineHeight;
  const auto densities = [&](double plotHeight) {
    return LinearAxis(0, peak, std::clamp(static_cast<int>(plotHeight / (2 * line)), 1, 5), true);
  };
  const auto prices = [&](double plotWidth) {
    const double right = area.width - line * 1.5;  // the plot's right edge, as FrameOf has it
    return PriceAxisAlong(span.lowest, span.lowestPositive, span.highest, logarithmic, plotWidth,
                          right - plotWidth, area.width - right, labeller);
  };
  std::optional<PlotFrame> frame = FrameOf(area, labeller, texts, densities, prices);
  if (!frame) return frame;
  for (Label& label : frame->drawing.labels) {
    label.topLeft.x = std::max(std::min(label.topLeft.x, area.width - label.width), 0.0);
  }
  return frame;
}

}  // namespace

// Where the reading stands, if anywhere: a reading that is not a number
// stands nowhere.
std::optional<double> ReadoutIn(const ChartOptions& options) {
  if (options.readout && std::isfinite(*options.readout)) return options.readout;
  return std::nullopt;
}

// The price at a position along a price axis.
double PriceAtPosition(const Axis& axis, double position) {
  return axis.logarithmic ? PowerOfTenAt(position) : position;
}

std::string MonthsText(const PriceDistribution& d) { return TextOfNumber(d.inputs.months) + " meses"; }

FanLayout LayFan(const DistributionChart& chart, const ChartArea& area, const Labeller& labeller,
                 bool logarithmic) {
  const PriceDistribution& d = chart.distribution;
  FanLayout laid{{"Meses",
                  "Precio",
                  {{"Banda", Ink::Band}, {"Mediana", Ink::Median}, {"Precio esperado", Ink::Expected}}},
                 {}};
  if (std::holds_alternative<double>(d.target)) laid.texts.legend.push_back({"Objetivo", Ink::Target});

  const double line = area.lineHeight;
  double lowest = d.inputs.price;
  double highest = d.inputs.price;
  double lowestPositive = d.inputs.price;
  const auto include = [&](double value) {
    lowest = std::min(lowest, value);
    highest = std::max(highest, value);
    if (value > 0) lowestPositive = std::min(lowestPositive, value);
  };
  for (const PricePoint& point : chart.path.points) {
    for (const double value : {point.lower, point.upper, point.median, point.expected}) include(value);
  }
  // A target within the prices' own span beyond them (a factor of their
  // ratio on a logarithmic axis) is on the axis; one farther would squeeze
  // the band into a line.
  if (const auto* target = std::get_if<double>(&d.target)) {
    const bool near = logarithmic
                          ? *target * highest >= lowestPositive * lowestPositive &&
                                *target * lowestPositive <= highest * highest
                          : *target >= lowest - (highest - lowest) && *target <= highest + (highest - lowest);
    if (near) {
      include(*target);
    } else {
      // Drawn at the plot's edge; the legend gives its value and which way
      // it lies.
      laid.texts.legend.back().text =
          "Objetivo " + TextOfNumber(*target) + (*target > highest ? " \u2191" : " \u2193");
    }
  }
  const auto prices = [&](double plotHeight) {
    return PriceAxis(lowest, lowestPositive, highest, logarithmic, plotHeight, line);
  };
  // As many month ticks as fit four lines apart.
  const double horizon = d.inputs.months;
  const auto months = [&](double plotWidth) {
    return LinearAxis(0, horizon > 0 ? horizon : 1,
                      std::clamp(static_cast<int>(plotWidth / (4 * line)), 1, 6), false);
  };
  laid.frame = FrameOf(area, labeller, laid.texts, prices, months);
  return laid;
}

DensityLayout LayDensity(const PriceDistribution& d, const ChartArea& area, const Labeller& labeller,
                         bool logarithmic) {
  DensityLayout laid{{"Precio al horizonte",
                      "Densidad",
                      {{"Banda", Ink::Band},
                       {"Mediana", Ink::Median},
                       {"Precio esperado", Ink::Expected},
                       {"Moda", Ink::Start}}},
                     {},
                     {},
                     ModeOf(d)};
  if (std::holds_alternative<double>(d.target)) laid.texts.legend.push_back({"Objetivo", Ink::Target});
  // A certain price has no density: all of it at one price.
  if (d.horizon.logPrice.deviation == 0) {
    laid.message = "Sin dispersión, el precio a " + MonthsText(d) + " es seguro: " + TextOfNumber(laid.mode);
    return laid;
  }
  // The density's highest value is at the mode.
  const double peak = DensityAt(d, laid.mode);
  if (!(peak > 0 && peak <= std::numeric_limits<double>::max())) {
    laid.message = "La densidad a " + MonthsText(d) + " excede el rango de los números";
    return laid;
  }

  laid.frame = DensityFrame(DensityPrices(d, laid.mode), peak, area, labeller, laid.texts, logarithmic);
  if (!laid.frame) laid.message = kTooSmallForChart;
  return laid;
}

std::optional<Abscissa> AbscissaOf(const DistributionView& view, const ChartOptions& options,
                                   const ChartArea& area, const TextWidth& textWidth) {
  const auto* shown = std::get_if<DistributionChart>(&view.chart);
  if (shown == nullptr) return std::nullopt;
  const Labeller labeller(textWidth, area.lineHeight);
  const auto of = [shown](const std::optional<PlotFrame>& frame) -> std::optional<Abscissa> {
    if (!frame) return std::nullopt;
    return Abscissa{&shown->distribution, frame->x, frame->drawing.plot.left, frame->drawing.plot.right};
  };
  if (options.density) return of(LayDensity(shown->distribution, area, labeller, options.logarithmic).frame);
  return of(LayFan(*shown, area, labeller, options.logarithmic).frame);
}

// A thin line across the plot where the reading stands.
void MarkReading(const PlotFrame& frame, double x, const ChartArea& area, std::vector<Shape>& shapes) {
  const PlotBox& plot = frame.drawing.plot;
  shapes.push_back({Ink::Reading, ShapeKind::Line, kThinPen * area.scale, {{x, plot.top}, {x, plot.bottom}}});
}

}  // namespace cotalia
