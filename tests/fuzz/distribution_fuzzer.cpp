// SPDX-License-Identifier: GPL-3.0-or-later
// Any doubles at all for the four inputs, the level and the target, on either
// price axis and at any size of the chart's area, give the distribution
// window a message or a chart whose every point is finite and inside the plot.
// With two more doubles, the range's ends: the window's answers about any
// distribution it reads are probabilities (no NaN, in [0, 1]), its
// percentiles ascend from 0 up and its density is never negative.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "distribution_view.h"
#include "numeric_runtime.h"
#include "price_answers.h"
#include "price_distribution.h"

namespace {

bool IsProbability(double p) { return p >= 0 && p <= 1; }

void CheckAnswers(const cotalia::DistributionRequest& request) {
  const auto result = cotalia::DistributionOf(request);
  const auto* d = std::get_if<cotalia::PriceDistribution>(&result);
  if (d == nullptr) return;
  std::optional<double> lower;
  std::optional<double> upper;
  if (const auto* range = std::get_if<cotalia::PriceRange>(&d->range)) {
    lower = range->lower();
    upper = range->upper();
    if (!IsProbability(cotalia::BetweenProbability(*d, *range))) std::abort();
  }
  if (const auto* target = std::get_if<double>(&d->target)) {
    const double touch = cotalia::TouchProbability(*d, *target);
    if (!IsProbability(touch)) std::abort();
    const cotalia::TargetProbabilities ending = cotalia::ProbabilitiesOf(*d, *target);
    if (touch < (*target > d->inputs.price ? ending.above : ending.below)) std::abort();
  }
  // Every price the window shows is a target and an end too, and so are the
  // ends' texts read or not.
  const std::array<cotalia::Percentile, 9> rows = cotalia::PercentilesOf(*d);
  std::vector<double> prices{d->inputs.price,   d->horizon.lower,    d->horizon.upper,
                             d->horizon.median, d->horizon.expected, cotalia::ModeOf(*d)};
  for (const cotalia::Percentile& row : rows) prices.push_back(row.price);
  double previous = 0;
  for (const cotalia::Percentile& row : rows) {
    if (!(row.price >= previous)) std::abort();
    previous = row.price;
  }
  for (const double price : prices) {
    if (!IsProbability(cotalia::TouchProbability(*d, price))) std::abort();
    if (!IsProbability(cotalia::BetweenProbability(*d, price, upper))) std::abort();
    if (!IsProbability(cotalia::BetweenProbability(*d, lower, price))) std::abort();
    if (!(cotalia::DensityAt(*d, price) >= 0)) std::abort();
  }
  if (!(cotalia::ModeOf(*d) >= 0)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kDoubles = 8;  // four inputs, level, target, width, height
  if (size < kDoubles * sizeof(double) + 1) return 0;
  double values[kDoubles];
  std::memcpy(values, data, sizeof values);
  const bool logarithmic = (data[sizeof values] & 1) != 0;
  // The texts as a field would hold them: the writer's, or "inf" and "nan",
  // which the readers do not take for numbers.
  std::string texts[8];
  for (int i = 0; i < 6; ++i) texts[i] = cotalia::TextOfNumber(values[i]);
  // The range's ends after the flags' byte, where the input is long enough:
  // the seeds written before them still read as they did.
  constexpr std::size_t kRangeAt = sizeof values + 1;
  if (size >= kRangeAt + 2 * sizeof(double)) {
    double ends[2];
    std::memcpy(ends, data + kRangeAt, sizeof ends);
    for (int i = 0; i < 2; ++i) texts[6 + i] = cotalia::TextOfNumber(ends[i]);
  }
  const cotalia::DistributionRequest request{
      {texts[0], texts[1], texts[2], texts[3]}, texts[4], texts[5], texts[6], texts[7]};
  CheckAnswers(request);
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
