// SPDX-License-Identifier: GPL-3.0-or-later
// Any doubles at all for the four inputs, the level and the target, on either
// price axis and at any size of the chart's area, give the distribution
// window a message or a chart whose every point is finite and inside the plot.
// With two more doubles, the range's ends: the window's answers about any
// distribution it reads are probabilities (no NaN, in [0, 1]), its
// percentiles ascend from 0 up and its density is never negative. With a
// double and a byte more, the pointer's x and the keys: the reading of
// either chart (there only where the chart is drawn, its number finite, its
// probability one) and the chart drawn with its marker, the density too.
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

#include "model/lognormal/price_answers.h"
#include "model/lognormal/price_distribution.h"
#include "model/numeric_runtime.h"
#include "window/distribution/distribution_view.h"

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
  const cotalia::ChartArea area{width, height, 16};
  const cotalia::TextWidth textWidth = [](std::string_view text) {
    return 9.6 * static_cast<double>(text.size());
  };
  const auto check = [](const cotalia::ChartDrawing& drawing) {
    if (drawing.shapes.empty() && drawing.labels.size() != 1) std::abort();
    const cotalia::PlotBox& box = drawing.plot;
    for (const cotalia::Shape& shape : drawing.shapes) {
      for (const cotalia::Point& point : shape.points) {
        if (!(point.x >= box.left && point.x <= box.right && point.y >= box.top && point.y <= box.bottom)) {
          std::abort();
        }
      }
    }
    for (const cotalia::Label& label : drawing.labels) {
      if (!std::isfinite(label.topLeft.x) || !std::isfinite(label.topLeft.y)) std::abort();
    }
  };
  check(cotalia::DrawChart(view, area, textWidth, logarithmic));

  // The reading: the pointer's x, then up to three keys, after the range.
  constexpr std::size_t kReadingAt = kRangeAt + 2 * sizeof(double);
  if (size < kReadingAt + sizeof(double) + 1) return 0;
  double x = 0;
  std::memcpy(&x, data + kReadingAt, sizeof x);
  const std::uint8_t flags = data[kReadingAt + sizeof x];
  cotalia::ChartOptions options{logarithmic, (flags & 1) != 0, std::nullopt};
  const bool chart = !cotalia::DrawChart(view, area, textWidth, options).shapes.empty();
  const auto readable = [&](const std::optional<cotalia::ChartReading>& reading) {
    if (reading.has_value() != chart) std::abort();
    if (!reading) return;
    if (!std::isfinite(reading->at) || reading->text.empty()) std::abort();
    if (options.density && !(reading->below >= 0 && reading->below <= 1)) std::abort();
    options.readout = reading->at;
  };
  // A reading kept from other inputs: any number at all.
  options.readout = x;
  const std::optional<cotalia::ChartReading> kept = cotalia::ReadoutOf(view, options, area, textWidth);
  if (kept.has_value() != (chart && std::isfinite(x))) std::abort();
  if (kept && !std::isfinite(kept->at)) std::abort();
  check(cotalia::DrawChart(view, area, textWidth, options));
  options.readout.reset();
  const std::optional<cotalia::ChartReading> pointed = cotalia::ReadoutAt(view, options, area, textWidth, x);
  if (std::isfinite(x)) readable(pointed);
  for (int key = 0; key < 3; ++key) {
    const auto which = static_cast<cotalia::ReadoutKey>((flags >> (1 + 2 * key)) & 3);
    readable(cotalia::ReadoutAfterKey(view, options, area, textWidth, which));
  }
  check(cotalia::DrawChart(view, area, textWidth, options));
  if (cotalia::ReadoutText(view, std::nullopt).empty() == drawn) std::abort();
  return 0;
}
