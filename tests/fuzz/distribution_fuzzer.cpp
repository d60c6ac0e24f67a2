// SPDX-License-Identifier: GPL-3.0-or-later
// Any doubles at all for the four inputs, the level and the target, on either
// price axis and at any size of the chart's area, give the distribution
// window a message or a chart whose every point is finite and inside the plot.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <variant>

#include "distribution_view.h"
#include "numeric_runtime.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kDoubles = 8;  // four inputs, level, target, width, height
  if (size < kDoubles * sizeof(double) + 1) return 0;
  double values[kDoubles];
  std::memcpy(values, data, sizeof values);
  const bool logarithmic = (data[sizeof values] & 1) != 0;
  // The texts as a field would hold them: the writer's, or "inf" and "nan",
  // which the readers do not take for numbers.
  std::string texts[6];
  for (int i = 0; i < 6; ++i) texts[i] = cotalia::TextOfNumber(values[i]);
  const cotalia::DistributionRequest request{{texts[0], texts[1], texts[2], texts[3]}, texts[4], texts[5]};
  const cotalia::DistributionView view = cotalia::ViewOf(request);
  const bool drawn = std::holds_alternative<cotalia::DistributionChart>(view.chart);
  if (drawn == view.figures.empty() || view.description.empty()) std::abort();

  const double width = std::fmod(std::fabs(values[6]), 4000);
  const double height = std::fmod(std::fabs(values[7]), 4000);
  if (!std::isfinite(width) || !std::isfinite(height)) return 0;
  const auto textWidth = [](std::string_view text) { return 9.6 * static_cast<double>(text.size()); };
  const cotalia::ChartDrawing drawing = cotalia::DrawChart(view, {width, height, 16}, textWidth, logarithmic);
  if (drawing.shapes.empty() && drawing.labels.size() != 1) std::abort();
  const cotalia::PlotBox& plot = drawing.plot;
  for (const cotalia::Shape& shape : drawing.shapes) {
    for (const cotalia::Point& point : shape.points) {
      if (!(point.x >= plot.left && point.x <= plot.right && point.y >= plot.top && point.y <= plot.bottom)) {
        std::abort();
      }
    }
  }
  for (const cotalia::Label& label : drawing.labels) {
    if (!std::isfinite(label.topLeft.x) || !std::isfinite(label.topLeft.y)) std::abort();
  }
  return 0;
}
