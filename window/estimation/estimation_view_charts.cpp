// SPDX-License-Identifier: GPL-3.0-or-later
// The estimation window's two charts, drawn from its view.
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "model/runtime/elementary_functions.h"
#include "window/estimation/estimation_view.h"

namespace cotalia {

namespace {

// As many ticks as fit two lines apart up a linear axis.
int TicksUp(double pixels, double line) { return std::clamp(static_cast<int>(pixels / (2 * line)), 1, 5); }

// At most four points to a pixel's column: the first and the last of the
// prices that fall in it, and the lowest and the highest, in their order,
// so that a million prices draw as fast as a few hundred and look the same.
std::vector<Point> PointsByColumn(const PlotFrame& frame, const std::vector<double>& prices,
                                  const std::function<double(std::size_t)>& timeOf) {
  std::vector<Point> points;
  const auto columnOf = [&](double x) { return std::floor(x - frame.drawing.plot.left); };
  std::size_t first = 0;
  while (first < prices.size()) {
    const double column = columnOf(frame.X(timeOf(first)));
    std::size_t low = first;
    std::size_t high = first;
    std::size_t last = first;
    while (last + 1 < prices.size() && columnOf(frame.X(timeOf(last + 1))) == column) {
      ++last;
      if (prices[last] < prices[low]) low = last;
      if (prices[last] > prices[high]) high = last;
    }
    for (const std::size_t i : {first, std::min(low, high), std::max(low, high), last}) {
      const Point point{frame.X(timeOf(i)), frame.Y(prices[i])};
      if (points.empty() || points.back().x != point.x || points.back().y != point.y) points.push_back(point);
    }
    first = last + 1;
  }
  return points;
}

}  // namespace

ChartDrawing DrawHistory(const EstimationView& view, const ChartArea& area, const TextWidth& textWidth,
                         bool logarithmic) {
  const double line = area.lineHeight;
  const Labeller labeller(textWidth, line);
  const auto* charts = std::get_if<EstimationCharts>(&view.charts);
  if (charts == nullptr) return MessageOnly(std::get<std::string>(view.charts), area, labeller);
  const PriceHistory& history = charts->read->history;
  const std::vector<double>& prices = history.prices;
  const bool dated = !history.days.empty();
  const auto [lowest, highest] = std::minmax_element(prices.begin(), prices.end());
  const FrameTexts texts{dated ? "Fecha" : "Observación", "Precio", {{"Precio", Ink::Median}}};
  const auto priceAxis = [&, low = *lowest, high = *highest](double pixels) {
    return PriceAxis(low, low, high, logarithmic, pixels, line);
  };
  const auto timeAxis = [&](double pixels) {
    if (dated) {
      return DateAxis(history.days.front(), history.days.back(),
                      std::clamp(static_cast<int>(pixels / (6 * line)), 1, 8));
    }
    return LinearAxis(0, static_cast<double>(prices.size() - 1),
                      std::clamp(static_cast<int>(pixels / (4 * line)), 1, 6), false);
  };
  std::optional<PlotFrame> frame = FrameOf(area, labeller, texts, priceAxis, timeAxis);
  if (!frame) return MessageOnly(std::string(kTooSmallForChart), area, labeller);

  const auto timeOf = [&](std::size_t i) {
    return dated ? static_cast<double>(history.days[i]) : static_cast<double>(i);
  };
  Shape curve{Ink::Median, ShapeKind::Line, kCurvePen * area.scale, {}};
  curve.points = PointsByColumn(*frame, prices, timeOf);
  frame->drawing.shapes.push_back(std::move(curve));
  return CloseFrame(std::move(*frame), area, labeller, texts);
}

ChartDrawing DrawReturns(const EstimationView& view, const ChartArea& area, const TextWidth& textWidth) {
  const double line = area.lineHeight;
  const Labeller labeller(textWidth, line);
  const auto* charts = std::get_if<EstimationCharts>(&view.charts);
  if (charts == nullptr) return MessageOnly(std::get<std::string>(view.charts), area, labeller);
  const Histogram& histogram = charts->histogram;
  const Estimate& estimate = charts->estimate;
  const auto bins = histogram.counts.size();
  const double high = histogram.low + histogram.width * static_cast<double>(bins);
  const double total = static_cast<double>(charts->read->returns.size());
  // The normal density of the returns' mean and deviation, in returns to a
  // bin: n w phi((x - m)/s)/s.
  const double m = estimate.meanReturn;
  const double s = estimate.deviation;
  const auto expectedCount = [&](double x) {
    const double z = (x - m) / s;
    return total * histogram.width * CorrectlyRoundedExp(-(z * z) / 2) / (s * 2.5066282746310002);
  };
  double tallest = static_cast<double>(*std::max_element(histogram.counts.begin(), histogram.counts.end()));
  const bool curve = s > 0;
  if (curve) tallest = std::max(tallest, expectedCount(m));
  const FrameTexts texts{
      "Rendimiento logarítmico por periodo", "Frecuencia",
      curve ? std::vector<LegendEntry>{{"Rendimientos", Ink::Band}, {"Normal", Ink::Expected}}
            : std::vector<LegendEntry>{{"Rendimientos", Ink::Band}}};
  const auto countAxis = [&](double pixels) { return LinearAxis(0, tallest, TicksUp(pixels, line), true); };
  const auto returnAxis = [&](double pixels) {
    return LinearAxis(histogram.low, high, std::clamp(static_cast<int>(pixels / (5 * line)), 1, 6), false);
  };
  std::optional<PlotFrame> frame = FrameOf(area, labeller, texts, countAxis, returnAxis);
  if (!frame) return MessageOnly(std::string(kTooSmallForChart), area, labeller);
  std::vector<Shape>& shapes = frame->drawing.shapes;
  for (std::size_t b = 0; b < bins; ++b) {
    if (histogram.counts[b] == 0) continue;
    const double left = frame->X(histogram.low + histogram.width * static_cast<double>(b));
    const double right = frame->X(histogram.low + histogram.width * static_cast<double>(b + 1));
    const double top = frame->Y(static_cast<double>(histogram.counts[b]));
    const double bottom = frame->Y(0);
    shapes.push_back(
        {Ink::Band, ShapeKind::Area, 0, {{left, bottom}, {left, top}, {right, top}, {right, bottom}}});
  }
  if (curve) {
    constexpr int kCurveSamples = 120;
    Shape normal{Ink::Expected, ShapeKind::Line, kCurvePen * area.scale, {}};
    for (int k = 0; k <= kCurveSamples; ++k) {
      const double x = histogram.low + (high - histogram.low) * k / kCurveSamples;
      normal.points.push_back({frame->X(x), frame->Y(expectedCount(x))});
    }
    shapes.push_back(std::move(normal));
  }
  // The returns beyond the axis, counted at its ends.
  const PlotBox& plot = frame->drawing.plot;
  std::vector<Label> beyond;
  if (histogram.below > 0) {
    beyond.push_back(labeller.Place("\u2190 " + std::to_string(histogram.below),
                                    {plot.left + line / 4, plot.top + line / 4}, Align::Start, Align::Start));
  }
  if (histogram.above > 0) {
    beyond.push_back(labeller.Place(std::to_string(histogram.above) + " \u2192",
                                    {plot.right - line / 4, plot.top + line / 4}, Align::End, Align::Start));
  }
  ChartDrawing drawing = CloseFrame(std::move(*frame), area, labeller, texts);
  for (Label& label : beyond) drawing.labels.push_back(std::move(label));
  return drawing;
}

}  // namespace cotalia
