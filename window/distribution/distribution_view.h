// SPDX-License-Identifier: GPL-3.0-or-later
// What the price distribution window shows, computed once for both painters:
// the figures at the horizon and the percentiles as texts, the chart's
// description for screen readers, the message that stands in place of the
// chart when there is none, the chart itself resolved to what a painter
// draws as it is given (shapes with their pen widths and dot radii, and
// labels by their top-left corners, in pixels), and the chart's reading
// under the pointer or the arrow keys. A window only passes its choices, the
// pointer's x or the key, and shows what it is given.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/lognormal/price_distribution.h"
#include "window/charts/chart_drawing.h"
#include "window/controls/window_surface.h"
#include "window/exports/figures.h"

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
  // The figures' box: the band, the median, the expected price and its
  // deviation; with a target the probabilities of ending above and below it
  // and of touching it before the horizon; with a range the probability of
  // ending inside it; a problem with the target or the range as a row that
  // names its box. None where there is a message.
  std::vector<Figure> figures;
  // The percentiles' box, "1 %" to "99 %", each price as the form writes
  // numbers. None where there is a message.
  std::vector<Figure> percentiles;
  // What "Copiar cifras" copies: the figures, then the percentiles labelled
  // "Percentil 1 %" and so on, so that a pasted table says what they are.
  std::vector<Figure> copied;
  std::string description;  // the chart in words: the message, or its figures at the horizon
};

DistributionView ViewOf(const DistributionRequest& request);

// The view's figures, as FiguresText writes them, and its percentiles.
std::string FiguresText(const DistributionView& view, std::string_view lineEnd);
std::string PercentilesText(const DistributionView& view, std::string_view lineEnd);

// The window's choices for its chart, and where its reading stands: a month
// on the fan, a price on the density; none until the pointer or a key sets
// one (a reading that is not a finite number is none). Leaving the chart
// with the pointer keeps the last reading, so that it can still be read (by
// a screen reader too) once the pointer is elsewhere.
struct ChartOptions {
  bool logarithmic = false;
  bool density = false;  // the density at the horizon, rather than the fan over the months
  std::optional<double> readout;
};

// The chart for the area, with a thin vertical marker at its reading; a
// message where the view has no chart, where the area is too small to hold
// one, and on the density where the price is certain (no volatility or no
// horizon), which has no density to draw: the message says the price.
//
// The density: f(x) over the price axis (linear or logarithmic, as the
// fan's), the band at the level shaded under it, the median, the expected
// price and the mode marked; with a target, its line and the area beyond it
// hatched in its colour with the probability of ending there written on it:
// the side above the target where the target is above the median, the side
// below where it is at or below it, so that the hatching marks the smaller
// tail, the one a target is usually asked about.
ChartDrawing DrawChart(const DistributionView& view, const ChartArea& area, const TextWidth& textWidth,
                       const ChartOptions& options);
// The fan without a reading.
ChartDrawing DrawChart(const DistributionView& view, const ChartArea& area, const TextWidth& textWidth,
                       bool logarithmic);

// A reading of the chart: where its marker stands, the sentence under the
// chart, and the numbers the sentence writes (those of the model's own
// functions: PricePointAfter for a month, ProbabilitiesOf for a price, so
// that at the horizon they are the figures bit for bit).
struct ChartReading {
  double at;  // the month on the fan, the price on the density
  std::string text;
  PricePoint point{};  // on the fan: the quantities at that month
  double below = 0;    // on the density: the probability of ending below the price
};

// The reading under the pointer, x pixels from the left of the chart's area
// (held to the plot's width): on the fan the nearest whole month (or the
// horizon, where it is not a whole month, at its end); on the density the
// price at the nearest hundredth of the axis. None where the chart is a
// message.
std::optional<ChartReading> ReadoutAt(const DistributionView& view, const ChartOptions& options,
                                      const ChartArea& area, const TextWidth& textWidth, double x);

// The reading after a key: Left and Right a month on the fan and a
// hundredth of the axis on the density, Home and End the axis's ends. With
// no reading yet, any key but Home and End reads the horizon on the fan and
// the median on the density: the figures' own numbers first.
std::optional<ChartReading> ReadoutAfterKey(const DistributionView& view, const ChartOptions& options,
                                            const ChartArea& area, const TextWidth& textWidth,
                                            ReadoutKey key);

// The reading at options.readout after the view or the area changed: a
// month beyond a shorter horizon at the horizon, a price beyond the axis at
// its end. None where options.readout is none or the chart is a message.
std::optional<ChartReading> ReadoutOf(const DistributionView& view, const ChartOptions& options,
                                      const ChartArea& area, const TextWidth& textWidth);

// The chart's description for its kind: on the density, the view's with the
// mode, or the certain price, after it; with a reading, the reading first,
// so that a screen reader on the chart hears each reading as the arrow keys
// move it (a description that changes on the focused object is spoken).
std::string DescriptionOf(const DistributionView& view, const ChartOptions& options,
                          const std::optional<ChartReading>& reading = std::nullopt);

// The line under the chart: the reading, or how to get one, or nothing
// where the chart is a message.
inline constexpr std::string_view kReadoutHint =
    "Pase el puntero por el gráfico, o use las flechas con el gráfico enfocado, para leerlo.";
std::string ReadoutText(const DistributionView& view, const std::optional<ChartReading>& reading);

}  // namespace cotalia
