// SPDX-License-Identifier: GPL-3.0-or-later
// The chart's reading by the pointer and the keys, before any toolkit shows it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "model/lognormal/price_answers.h"
#include "model/numeric_runtime.h"
#include "tests/window/distribution/drawing_checks.h"
#include "window/distribution/distribution_description.h"
#include "window/distribution/distribution_view.h"

namespace cotalia {
namespace {

std::string FigureText(const DistributionView& view, std::string_view label) {
  for (const Figure& figure : view.figures) {
    if (figure.label == label) return figure.text;
  }
  return "none";
}

// The marker of the reading: the one line in the reading's ink.
std::vector<Shape> Markers(const ChartDrawing& drawing) {
  std::vector<Shape> markers;
  for (const Shape& shape : drawing.shapes) {
    if (shape.ink == Ink::Reading && shape.points.size() == 2 && shape.points[0].x == shape.points[1].x) {
      markers.push_back(shape);
    }
  }
  return markers;
}

// The fan's reading at the horizon is the figures' numbers, bit for bit,
// however it is reached: the pointer at the plot's right edge or beyond it,
// the End key, or the first key with no reading yet; its text writes them as
// the figures do.
TEST(Readout, FanAtTheHorizonIsTheFigures) {
  const struct {
    const char* name;
    DistributionRequest request;
    bool logarithmic;
  } cases[] = {
      {"WorkedExample", {kWorked, "95", "130"}, false},
      {"WorkedExampleAt99Logarithmic", {kWorked, "99", ""}, true},
      {"HalfAMonthMore", {{"100", "10", "20", "12.5"}, "95", ""}, false},
      {"NoHorizon", {{"100", "10", "20", "0"}, "95", ""}, false},
      {"ManyDecades", {{"100", "10", "150", "360"}, "99.9999", ""}, true},
  };
  const ChartArea area{640, 400, 16};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const DistributionView view = ViewOf(c.request);
    const PriceDistribution& d = DistributionIn(view);
    const ChartOptions options{c.logarithmic, false, std::nullopt};
    const PlotBox plot = DrawWith(view, options).plot;
    const std::string text = "Mes " + std::string(c.request.inputs.months) + ": banda " +
                             FigureText(view, "Precio Minimo") + " a " + FigureText(view, "Precio Maximo") +
                             ", mediana " + FigureText(view, "Mediana") + ", esperado " +
                             FigureText(view, "Precio Esperado");
    const std::optional<ChartReading> readings[] = {
        ReadoutAt(view, options, area, WidthIn(16), plot.right),
        ReadoutAt(view, options, area, WidthIn(16), area.width + 50),
        ReadoutAfterKey(view, options, area, WidthIn(16), ReadoutKey::End),
        ReadoutAfterKey(view, options, area, WidthIn(16), ReadoutKey::Right),
        ReadoutOf(view, {c.logarithmic, false, 1E9}, area, WidthIn(16)),
    };
    for (const std::optional<ChartReading>& reading : readings) {
      ASSERT_TRUE(reading.has_value());
      EXPECT_EQ(reading->at, d.inputs.months);
      EXPECT_EQ(reading->point.lower, d.horizon.lower);
      EXPECT_EQ(reading->point.upper, d.horizon.upper);
      EXPECT_EQ(reading->point.median, d.horizon.median);
      EXPECT_EQ(reading->point.expected, d.horizon.expected);
      EXPECT_EQ(reading->point.deviation, d.horizon.deviation);
      EXPECT_EQ(reading->text, text);
    }
    // Its marker at the plot's right edge; with no horizon at its left one,
    // where the curves are one point.
    const std::vector<Shape> markers = Markers(DrawWith(view, {c.logarithmic, false, d.inputs.months}));
    ASSERT_EQ(markers.size(), 1u);
    EXPECT_DOUBLE_EQ(markers[0].points[0].x, d.inputs.months > 0 ? plot.right : plot.left);
    EXPECT_DOUBLE_EQ(markers[0].points[0].y, plot.top);
    EXPECT_DOUBLE_EQ(markers[0].points[1].y, plot.bottom);
    EXPECT_TRUE(Markers(DrawWith(view, options)).empty());
  }
}

// Along the fan the pointer reads the nearest whole month (the horizon,
// where it is not whole, at its end), and the keys move a month at a time
// from where the reading stands, held to the chart; each reading is where
// the drawn curves are: at the path's own months, its points bit for bit.
TEST(Readout, FanMonthsByPointerAndKeys) {
  struct Step {
    std::optional<double> fraction;  // the pointer across the plot, or
    ReadoutKey key;                  // a key
    double month;
  };
  using enum ReadoutKey;
  const struct {
    const char* months;
    std::vector<Step> steps;
  } cases[] = {
      {"12",
       {{0.0, Left, 0},
        {0.5, Left, 6},
        {0.54, Left, 6},
        {0.55, Left, 7},
        {{}, Right, 8},
        {{}, Left, 7},
        {{}, End, 12},
        {{}, Right, 12},
        {{}, Left, 11},
        {{}, Home, 0},
        {{}, Left, 0},
        {-3.0, Left, 0},
        {7.0, Left, 12}}},
      {"12.5",
       {{1.0, Left, 12.5},
        {0.985, Left, 12.5},
        {0.975, Left, 12},
        {{}, Right, 12.5},
        {{}, Left, 12},
        {{}, Left, 11},
        {{}, End, 12.5}}},
      {"0.5", {{0.6, Left, 0.5}, {0.4, Left, 0}, {{}, Right, 0.5}, {{}, Right, 0.5}, {{}, Left, 0}}},
      {"0", {{0.7, Left, 0}, {{}, Right, 0}, {{}, End, 0}}},
  };
  const ChartArea area{640, 400, 16};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.months);
    const DistributionView view = ViewOf({{"100", "10", "20", c.months}, "95", ""});
    const DistributionChart& chart = std::get<DistributionChart>(view.chart);
    ChartOptions options{false, false, std::nullopt};
    const PlotBox plot = DrawWith(view, options).plot;
    for (const Step& step : c.steps) {
      const std::optional<ChartReading> reading =
          step.fraction ? ReadoutAt(view, options, area, WidthIn(16),
                                    plot.left + *step.fraction * (plot.right - plot.left))
                        : ReadoutAfterKey(view, options, area, WidthIn(16), step.key);
      ASSERT_TRUE(reading.has_value());
      EXPECT_EQ(reading->at, step.month) << (step.fraction ? *step.fraction : static_cast<int>(step.key));
      options.readout = reading->at;
      const std::vector<Shape> markers = Markers(DrawWith(view, options));
      ASSERT_EQ(markers.size(), 1u);
      const double horizon = chart.distribution.inputs.months;
      EXPECT_NEAR(markers[0].points[0].x,
                  plot.left + (horizon > 0 ? step.month / horizon : 0) * (plot.right - plot.left), 1e-9);
      for (std::size_t i = 0; i < chart.path.months.size(); ++i) {
        if (chart.path.months[i] != reading->at) continue;
        EXPECT_EQ(reading->point.lower, chart.path.points[i].lower);
        EXPECT_EQ(reading->point.upper, chart.path.points[i].upper);
        EXPECT_EQ(reading->point.expected, chart.path.points[i].expected);
      }
    }
  }
  // Half-way along the worked example's year, the path's 33rd point.
  const DistributionView view = ViewOf({kWorked, "95", ""});
  const std::optional<ChartReading> six = ReadoutOf(view, {false, false, 6}, area, WidthIn(16));
  ASSERT_TRUE(six.has_value());
  EXPECT_EQ(six->point.median, std::get<DistributionChart>(view.chart).path.points[32].median);
  EXPECT_EQ(six->text.substr(0, 13), "Mes 6: banda ");
  // A reading beyond a shorter horizon is its end.
  const DistributionView shorter = ViewOf({{"100", "10", "20", "3"}, "95", ""});
  EXPECT_EQ(ReadoutOf(shorter, {false, false, 9}, area, WidthIn(16))->at, 3);
  EXPECT_FALSE(ReadoutOf(shorter, {false, false, std::nullopt}, area, WidthIn(16)).has_value());
}

// On the density the pointer reads the price at the nearest hundredth of
// the axis, and its probability of ending below is the model's, bit for bit;
// the keys step a hundredth (a constant difference on a linear axis, a
// constant ratio on a logarithmic one), Home and End read the axis's ends,
// the first key the median.
TEST(Readout, DensityPriceAndProbabilityBelow) {
  const struct {
    const char* name;
    DistributionRequest request;
    bool logarithmic;
  } cases[] = {
      {"WorkedExample", {kWorked, "95", "130", "90", "130"}, false},
      {"WorkedExampleLogarithmic", {kWorked, "99", "130"}, true},
      {"ManyDecades", {{"100", "10", "150", "360"}, "99.9999", ""}, true},
      {"BelowOne", {{"0.05", "10", "20", "12"}, "99", "0.065"}, false},
  };
  const ChartArea area{640, 400, 16};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const DistributionView view = ViewOf(c.request);
    const PriceDistribution& d = DistributionIn(view);
    ChartOptions options{c.logarithmic, true, std::nullopt};
    const ChartDrawing drawing = DrawWith(view, options);
    const PlotBox plot = drawing.plot;
    const std::vector<TickLine> ticks = TicksAlong(drawing, 16, c.logarithmic, true);
    ASSERT_GE(ticks.size(), 2u);
    const auto checked = [&](const std::optional<ChartReading>& reading) {
      EXPECT_TRUE(reading.has_value());
      if (!reading) return 0.0;
      EXPECT_EQ(reading->below, ProbabilitiesOf(d, reading->at).below);
      EXPECT_EQ(reading->text, "Precio " + TextOfNumber(reading->at) +
                                   ": probabilidad de acabar por debajo " + PercentText(reading->below));
      return reading->at;
    };
    double previous = -1;
    double previousBelow = -1;
    for (const double fraction : {0.0, 0.13, 0.5, 0.77, 1.0}) {
      const double x = plot.left + fraction * (plot.right - plot.left);
      const std::optional<ChartReading> reading = ReadoutAt(view, options, area, WidthIn(16), x);
      const double price = checked(reading);
      // The price under the pointer, by the ticks, to a hundredth of the axis.
      const double position = c.logarithmic ? std::log10(price) : price;
      EXPECT_NEAR(Between(ticks, position), x, (plot.right - plot.left) / 200 + 1e-6) << fraction;
      EXPECT_GT(price, previous);
      EXPECT_GE(reading->below, previousBelow);
      previous = price;
      previousBelow = reading->below;
    }
    // The first key reads the median: half the prices end below it.
    const std::optional<ChartReading> first =
        ReadoutAfterKey(view, options, area, WidthIn(16), ReadoutKey::Left);
    EXPECT_EQ(checked(first), d.horizon.median);
    EXPECT_EQ(PercentText(first->below), "50.00 %");
    const auto position = [&c](double price) { return c.logarithmic ? std::log10(price) : price; };
    const auto marker = [&](double price) {
      const std::vector<Shape> markers = Markers(DrawWith(view, {c.logarithmic, true, price}));
      EXPECT_EQ(markers.size(), 1u);
      return markers.empty() ? -1.0 : markers[0].points[0].x;
    };
    // Home and End read the axis's ends, where their markers stand.
    const double home = checked(ReadoutAfterKey(view, options, area, WidthIn(16), ReadoutKey::Home));
    const double end = checked(ReadoutAfterKey(view, options, area, WidthIn(16), ReadoutKey::End));
    EXPECT_DOUBLE_EQ(marker(home), plot.left);
    EXPECT_DOUBLE_EQ(marker(end), plot.right);
    EXPECT_LE(position(home), ticks.front().value);
    EXPECT_GE(position(end), ticks.back().value);
    options.readout = home;
    std::vector<double> prices{home};
    for (int i = 0; i < 3; ++i) {
      options.readout = checked(ReadoutAfterKey(view, options, area, WidthIn(16), ReadoutKey::Right));
      prices.push_back(*options.readout);
    }
    for (std::size_t i = 1; i < prices.size(); ++i) {
      EXPECT_NEAR(position(prices[i]) - position(prices[i - 1]), (position(end) - position(home)) / 100,
                  1e-9 * std::max(1.0, std::abs(position(end))));
      EXPECT_NEAR(marker(prices[i]), plot.left + i * (plot.right - plot.left) / 100, 1e-6);
    }
    options.readout = checked(ReadoutAfterKey(view, options, area, WidthIn(16), ReadoutKey::Left));
    EXPECT_EQ(*options.readout, prices[2]);
    options.readout = end;
    EXPECT_EQ(checked(ReadoutAfterKey(view, options, area, WidthIn(16), ReadoutKey::Right)), end);
    // A price beyond the axis, after the inputs changed, reads at its end.
    EXPECT_EQ(ReadoutOf(view, {c.logarithmic, true, end * 10}, area, WidthIn(16))->at, end);
  }
}

// Where there is no chart to read, no reading: a message, or a certain
// price on the density. The line under the chart says how to read it.
TEST(Readout, NoneWithoutAChart) {
  const ChartArea area{640, 400, 16};
  const struct {
    DistributionRequest request;
    bool density;
  } cases[] = {{{{"0", "10", "20", "12"}, "95", ""}, false},
               {{{"0", "10", "20", "12"}, "95", ""}, true},
               {{{"100", "10", "0", "12"}, "95", "130"}, true},
               {{{"100", "10", "20", "0"}, "95", ""}, true},
               {{kWorked, "95", ""}, false}};
  for (const auto& c : cases) {
    const DistributionView view = ViewOf(c.request);
    const ChartOptions options{false, c.density, 5};
    const bool drawn = !DrawWith(view, options).shapes.empty();
    EXPECT_EQ(ReadoutAt(view, options, area, WidthIn(16), 300).has_value(), drawn);
    EXPECT_EQ(ReadoutAfterKey(view, options, area, WidthIn(16), ReadoutKey::Right).has_value(), drawn);
    EXPECT_EQ(ReadoutOf(view, options, area, WidthIn(16)).has_value(), drawn);
    EXPECT_FALSE(ReadoutAt(view, options, {100, 60, 16}, WidthIn(16), 30).has_value());
  }
  EXPECT_EQ(ReadoutText(ViewOf({kWorked, "95", ""}), std::nullopt), kReadoutHint);
  EXPECT_EQ(ReadoutText(ViewOf({{"0", "10", "20", "12"}, "95", ""}), std::nullopt), "");
  EXPECT_EQ(ReadoutText(ViewOf({kWorked, "95", ""}), ChartReading{3, "Mes 3: x"}), "Mes 3: x");
}

}  // namespace
}  // namespace cotalia
