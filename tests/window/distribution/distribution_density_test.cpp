// SPDX-License-Identifier: GPL-3.0-or-later
// The density drawn in an area, before any toolkit paints it.
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

struct DensityCase {
  const char* name;
  DistributionRequest request;
  bool logarithmic;
  ChartArea area = {640, 400, 16};
};

const DensityCase kDensities[] = {
    {"WorkedExample", {kWorked, "95", "130", "90", "130"}, false},
    {"WorkedExampleLogarithmic", {kWorked, "99", "130"}, true},
    {"TargetBelowTheMedian", {kWorked, "95", "90"}, false},
    {"TargetAtTheMedian", {kWorked, "95", "108.328706767496"}, true},
    {"NoTarget", {kWorked, "95", ""}, false},
    {"WideSpread", {{"100", "10", "60", "12"}, "99", "130"}, false},
    {"ManyDecades", {{"100", "10", "150", "360"}, "99.9999", "1000"}, true},
    {"ManyDecadesLinear", {{"100", "10", "150", "360"}, "99.9999", ""}, false},
    {"TargetFarAboveTheBand", {kWorked, "95", "1E300"}, true},
    {"TargetFarBelowTheBand", {kWorked, "95", "1E-300"}, false},
    {"TinySpread", {{"100", "10", "1E-10", "12"}, "95", "110.517"}, false},
    // A negative volatility spreads as its size; the band's ends swap.
    {"NegativeVolatility", {{"100", "10", "-20", "12"}, "95", "130"}, false},
    {"LargePrice", {{"1E150", "0", "20", "12"}, "95", ""}, true},
    {"SmallPrice", {{"1E-300", "0", "20", "12"}, "95", ""}, true},
    {"BelowOne", {{"0.05", "10", "20", "12"}, "99", "0.065"}, false},
    // As narrow as its legend lets it be in this measure of text.
    {"NarrowChart", {kWorked, "95", "130"}, false, {610, 300, 16}},
    {"LargeChart", {kWorked, "95", "130"}, true, {1600, 900, 20, 2}},
    // Wider than 2000 columns of the curve.
    {"WiderThanItsColumns", {kWorked, "95", "130"}, false, {4400, 400, 16}},
};

// At any inputs the density's shapes lie inside the plot and its labels in
// the area and apart, clear of the plot but for the target's probability,
// which is written inside it; the band spans the band's prices under the
// curve; the curve peaks at the mode's dot; the hatching lies beyond the
// target on the side of its smaller tail, whose probability is written.
TEST(DensityChart, ShapesInsideThePlotLabelsApart) {
  for (const DensityCase& c : kDensities) {
    SCOPED_TRACE(c.name);
    const DistributionView view = ViewOf(c.request);
    const PriceDistribution& d = DistributionIn(view);
    const ChartDrawing drawing = DrawWith(view, {c.logarithmic, true, std::nullopt}, c.area);
    const PlotBox& plot = drawing.plot;
    const double line = c.area.lineHeight;
    ASSERT_GT(plot.right, plot.left);
    for (const Shape& shape : drawing.shapes) {
      for (const Point& point : shape.points) {
        ASSERT_TRUE(point.x >= plot.left && point.x <= plot.right && point.y >= plot.top &&
                    point.y <= plot.bottom)
            << static_cast<int>(shape.ink) << " at " << point.x << ", " << point.y;
      }
    }
    const Label* probability = nullptr;
    for (std::size_t i = 0; i < drawing.labels.size(); ++i) {
      const Label& a = drawing.labels[i];
      EXPECT_TRUE(a.topLeft.x >= 0 && a.topLeft.x + a.width <= c.area.width && a.topLeft.y >= 0 &&
                  a.topLeft.y + line <= c.area.height)
          << a.text << " at " << a.topLeft.x << ", " << a.topLeft.y;
      if (a.ink == Ink::Target && a.text.ends_with(" %")) {
        probability = &a;
        EXPECT_TRUE(a.topLeft.x >= plot.left && a.topLeft.x + a.width <= plot.right &&
                    a.topLeft.y >= plot.top && a.topLeft.y + line <= plot.bottom)
            << a.text << " outside the plot";
      } else {
        EXPECT_TRUE(a.topLeft.x + a.width <= plot.left || a.topLeft.y >= plot.bottom ||
                    a.topLeft.y + line <= plot.top)
            << a.text << " over the plot";
      }
      for (std::size_t j = i + 1; j < drawing.labels.size(); ++j) {
        EXPECT_TRUE(Apart(a, drawing.labels[j], line)) << a.text << " over " << drawing.labels[j].text;
      }
    }
    const std::vector<std::string> texts = LabelTexts(drawing);
    for (const char* entry :
         {"Banda", "Mediana", "Precio esperado", "Moda", "Densidad", "Precio al horizonte"}) {
      EXPECT_TRUE(Has(texts, entry)) << entry;
    }
    const Shape* band = ShapeOf(drawing, Ink::Band);
    const Shape* curve = ShapeOf(drawing, Ink::Text);
    ASSERT_TRUE(band != nullptr && curve != nullptr);
    EXPECT_EQ(band->kind, ShapeKind::Area);
    EXPECT_EQ(curve->kind, ShapeKind::Line);
    EXPECT_GE(curve->points.size(), 100u);
    // The band from its lower end to its upper, along the bottom and up to
    // the curve: its top points are points of the curve.
    ASSERT_GE(band->points.size(), 3u);
    EXPECT_DOUBLE_EQ(band->points.front().y, plot.bottom);
    EXPECT_DOUBLE_EQ(band->points.back().y, plot.bottom);
    EXPECT_LT(band->points.front().x, band->points.back().x);
    // Up the curve at both ends: the band's prices are points of the curve.
    EXPECT_EQ(band->points[1].x, band->points.front().x);
    EXPECT_EQ(band->points[band->points.size() - 2].x, band->points.back().x);
    for (std::size_t i = 1; i + 1 < band->points.size(); ++i) {
      const Point& p = band->points[i];
      EXPECT_TRUE(std::any_of(curve->points.begin(), curve->points.end(),
                              [&p](const Point& q) { return q.x == p.x && q.y == p.y; }));
    }
    // The curve's peak at the mode's dot; the curve runs left to right.
    const Shape* dot = nullptr;
    for (const Shape& shape : drawing.shapes) {
      if (shape.kind == ShapeKind::Dot) dot = &shape;
    }
    ASSERT_NE(dot, nullptr);
    EXPECT_EQ(dot->ink, Ink::Start);
    const auto peak = std::min_element(curve->points.begin(), curve->points.end(),
                                       [](const Point& a, const Point& b) { return a.y < b.y; });
    EXPECT_NEAR(peak->y, dot->points[0].y, 1e-9);
    EXPECT_NEAR(peak->x, dot->points[0].x, 1e-9);
    EXPECT_TRUE(std::is_sorted(curve->points.begin(), curve->points.end(),
                               [](const Point& a, const Point& b) { return a.x < b.x; }));
    // The target's line from top to bottom, its hatching beyond it.
    std::vector<const Shape*> targetLines;
    std::vector<const Shape*> hatching;
    for (const Shape& shape : drawing.shapes) {
      if (shape.ink != Ink::Target) continue;
      (shape.points[0].y == plot.top ? targetLines : hatching).push_back(&shape);
    }
    const auto* target = std::get_if<double>(&d.target);
    ASSERT_EQ(targetLines.size(), target != nullptr ? 1u : 0u);
    EXPECT_EQ(probability != nullptr, target != nullptr);
    if (target == nullptr) {
      EXPECT_TRUE(hatching.empty());
      EXPECT_FALSE(Has(texts, "Objetivo"));
      continue;
    }
    EXPECT_TRUE(Has(texts, "Objetivo"));
    const bool above = *target > d.horizon.median;
    const TargetProbabilities ending = ProbabilitiesOf(d, *target);
    ASSERT_NE(probability, nullptr);
    EXPECT_EQ(probability->text, PercentText(above ? ending.above : ending.below));
    const double x = targetLines[0]->points[0].x;
    for (const Shape* hatch : hatching) {
      EXPECT_EQ(hatch->size, c.area.scale);
      EXPECT_EQ(hatch->points[0].y, plot.bottom);
      EXPECT_EQ(hatch->points[0].x, hatch->points[1].x);
      EXPECT_TRUE(above ? hatch->points[0].x > x : hatch->points[0].x < x)
          << hatch->points[0].x << " and " << x;
    }
    // The probability beside the target's line on its side, where there is room.
    if (x > plot.left + 0.2 * (plot.right - plot.left) && x < plot.right - 0.2 * (plot.right - plot.left)) {
      EXPECT_TRUE(above ? probability->topLeft.x > x : probability->topLeft.x + probability->width < x);
    }
  }
}

// The curve spans the plot from edge to edge, and the band is shaded under
// every point of it between the band's ends.
TEST(DensityChart, CurveFromEdgeToEdgeBandUnderAllOfIt) {
  for (const DensityCase& c : kDensities) {
    SCOPED_TRACE(c.name);
    const DistributionView view = ViewOf(c.request);
    const PriceDistribution& d = DistributionIn(view);
    const ChartDrawing drawing = DrawWith(view, {c.logarithmic, true, std::nullopt}, c.area);
    const Shape* curve = ShapeOf(drawing, Ink::Text);
    const Shape* band = ShapeOf(drawing, Ink::Band);
    ASSERT_TRUE(curve != nullptr && band != nullptr);
    EXPECT_NEAR(curve->points.front().x, drawing.plot.left, 1e-6);
    EXPECT_NEAR(curve->points.back().x, drawing.plot.right, 1e-6);
    // A point at every other pixel's column, at most 2000 of them, and at
    // the six prices marked.
    const int columns =
        std::clamp(static_cast<int>((drawing.plot.right - drawing.plot.left) / (2 * c.area.scale)), 16, 2000);
    EXPECT_GE(curve->points.size(), static_cast<std::size_t>(columns) + 1);
    EXPECT_LE(curve->points.size(), static_cast<std::size_t>(columns) + 7);
    const double low = band->points.front().x;
    const double high = band->points.back().x;
    const auto inside = [low, high](const Point& p) { return p.x > low && p.x < high; };
    EXPECT_EQ(std::count_if(band->points.begin(), band->points.end(), inside),
              std::count_if(curve->points.begin(), curve->points.end(), inside))
        << "from " << low << " to " << high << ", the band " << d.horizon.lower << " to " << d.horizon.upper;
  }
}

// The hatching stands a step apart, at 6 pixels at 96 dots per inch, from
// half a step beyond the target's line, each line up to the curve; the
// probability beside the target's line, half a line off it and half a line
// below the plot's top, kept a quarter of a line inside the plot.
TEST(DensityChart, HatchingAndItsProbabilityWhereTheTargetSays) {
  for (const DensityCase& c : kDensities) {
    const DistributionView view = ViewOf(c.request);
    const PriceDistribution& d = DistributionIn(view);
    const auto* target = std::get_if<double>(&d.target);
    if (target == nullptr) continue;
    SCOPED_TRACE(c.name);
    const ChartDrawing drawing = DrawWith(view, {c.logarithmic, true, std::nullopt}, c.area);
    const PlotBox& plot = drawing.plot;
    const double line = c.area.lineHeight;
    const bool above = *target > d.horizon.median;
    double x = 0;
    std::vector<const Shape*> hatches;
    for (const Shape& shape : drawing.shapes) {
      if (shape.ink != Ink::Target) continue;
      if (shape.points[0].y == plot.top) x = shape.points[0].x;
      if (shape.points[0].y != plot.top) hatches.push_back(&shape);
    }
    const std::vector<Point>& curve = ShapeOf(drawing, Ink::Text)->points;
    const double step = 6 * c.area.scale;
    // A target well inside the plot has a tail to hatch.
    if (x > drawing.plot.left + 0.2 * (plot.right - plot.left) &&
        x < plot.right - 0.2 * (plot.right - plot.left)) {
      EXPECT_FALSE(hatches.empty());
    }
    for (std::size_t i = 0; i < hatches.size(); ++i) {
      const Point& top = hatches[i]->points[1];
      const double beyond = std::abs(top.x - x) - step / 2;
      EXPECT_NEAR(beyond / step, std::round(beyond / step), 1e-6) << top.x;
      if (i > 0) {
        EXPECT_NEAR(std::abs(top.x - hatches[i - 1]->points[1].x), step, 1e-6);
      }
      // Up to the curve, between its two points about it.
      const auto after = std::lower_bound(curve.begin(), curve.end(), top.x,
                                          [](const Point& p, double at) { return p.x < at; });
      ASSERT_TRUE(after != curve.begin() && after != curve.end());
      const Point& before = *(after - 1);
      EXPECT_NEAR(top.y, before.y + (after->y - before.y) * (top.x - before.x) / (after->x - before.x), 1.5)
          << top.x;
    }
    const Label& probability = drawing.labels.back();
    ASSERT_EQ(probability.ink, Ink::Target);
    EXPECT_DOUBLE_EQ(probability.topLeft.y, plot.top + line / 2);
    const double wanted = above ? x + line / 2 : x - line / 2 - probability.width;
    EXPECT_DOUBLE_EQ(probability.topLeft.x,
                     std::clamp(wanted, plot.left + line / 4,
                                std::max(plot.left + line / 4, plot.right - line / 4 - probability.width)));
  }
}

// The density's marks stand where its axes' ticks say: the mode's dot at
// the mode and the density there, the median's and the expected price's
// stems at their prices up to the density there, the target's line at the
// target; the curve's height is the model's density at its price.
TEST(DensityChart, MarksStandWhereTheTicksSay) {
  const struct {
    DistributionRequest request;
    bool logarithmic;
  } cases[] = {{{kWorked, "95", "130"}, false},
               {{kWorked, "99", "130"}, true},
               {{{"100", "10", "60", "12"}, "99", "90"}, false},
               {{{"0.05", "10", "20", "12"}, "99", "0.065"}, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.request.inputs.price) + (c.logarithmic ? " logarithmic" : " linear"));
    const DistributionView view = ViewOf(c.request);
    const PriceDistribution& d = DistributionIn(view);
    const ChartDrawing drawing = DrawWith(view, {c.logarithmic, true, std::nullopt});
    const std::vector<TickLine> across = TicksAlong(drawing, 16, c.logarithmic, true);
    const std::vector<TickLine> up = TicksAlong(drawing, 16, false, false);
    ASSERT_GE(across.size(), 2u);
    ASSERT_GE(up.size(), 3u);
    EXPECT_EQ(up.front().value, 0);
    EXPECT_DOUBLE_EQ(up.front().y, drawing.plot.bottom);
    EXPECT_DOUBLE_EQ(up.back().y, drawing.plot.top);
    const auto x = [&](double price) { return Between(across, c.logarithmic ? std::log10(price) : price); };
    const auto y = [&](double density) { return Between(up, density); };
    const double mode = ModeOf(d);
    for (const Shape& shape : drawing.shapes) {
      if (shape.kind == ShapeKind::Dot) {
        EXPECT_NEAR(shape.points[0].x, x(mode), 1e-6);
        EXPECT_NEAR(shape.points[0].y, y(DensityAt(d, mode)), 1e-6);
      }
      for (const auto& [ink, price] :
           {std::pair{Ink::Median, d.horizon.median}, std::pair{Ink::Expected, d.horizon.expected}}) {
        if (shape.ink != ink) continue;
        ASSERT_EQ(shape.points.size(), 2u);
        EXPECT_NEAR(shape.points[0].x, x(price), 1e-6);
        EXPECT_DOUBLE_EQ(shape.points[0].y, drawing.plot.bottom);
        EXPECT_NEAR(shape.points[1].y, y(DensityAt(d, price)), 1e-6);
      }
      if (shape.ink == Ink::Target && shape.points[0].y == drawing.plot.top) {
        EXPECT_NEAR(shape.points[0].x, x(std::get<double>(d.target)), 1e-6);
      }
    }
    // The curve at the band's ends: the model's density there.
    const Shape* curve = ShapeOf(drawing, Ink::Text);
    ASSERT_NE(curve, nullptr);
    for (const double price : {d.horizon.lower, d.horizon.upper}) {
      const auto at = std::find_if(curve->points.begin(), curve->points.end(),
                                   [&](const Point& p) { return std::abs(p.x - x(price)) < 1e-6; });
      ASSERT_NE(at, curve->points.end()) << price;
      EXPECT_NEAR(at->y, y(DensityAt(d, price)), 1e-6);
    }
  }
}

// With no spread the price at the horizon is certain and has no density: a
// message that says the price in place of the chart, and in its description.
TEST(DensityChart, ACertainPriceIsAMessage) {
  const struct {
    DistributionTexts inputs;
    const char* message;
  } cases[] = {
      {{"100", "10", "0", "12"}, "Sin dispersión, el precio a 12 meses es seguro: 110.517091807565"},
      // At no months the median as the form shows it, e^(Media Dn).
      {{"100", "10", "20", "0"}, "Sin dispersión, el precio a 0 meses es seguro: 99.9999999999999"},
  };
  for (const auto& c : cases) {
    const DistributionView view = ViewOf({c.inputs, "95", "130"});
    const ChartDrawing drawing = DrawWith(view, {false, true, std::nullopt});
    EXPECT_TRUE(drawing.shapes.empty());
    ASSERT_EQ(drawing.labels.size(), 1u);
    EXPECT_EQ(drawing.labels[0].text, c.message);
    EXPECT_EQ(DescriptionOf(view, {false, true, std::nullopt}),
              view.description + " Sin dispersión, el precio es seguro: no tiene densidad.");
    // The fan still draws it.
    EXPECT_FALSE(DrawWith(view, {false, false, std::nullopt}).shapes.empty());
  }
  const DistributionView view = ViewOf({kWorked, "95", "130"});
  // The mode e^(mean - deviation^2) = 108.3287 e^-0.04 by hand.
  EXPECT_EQ(DescriptionOf(view, {true, true, std::nullopt}),
            view.description + " Densidad del precio a 12 meses, más alta en la moda, 104.081077419239.");
  EXPECT_EQ(DescriptionOf(view, {true, false, std::nullopt}), view.description);
  // A reading leads, on either chart.
  const ChartReading reading{12, "Mes 12: banda", {}, 0};
  EXPECT_EQ(DescriptionOf(view, {false, false, 12.0}, reading), "Mes 12: banda. " + view.description);
  EXPECT_EQ(DescriptionOf(view, {true, true, 100.0}, reading),
            "Mes 12: banda. " + DescriptionOf(view, {true, true, std::nullopt}));
  const DistributionView message = ViewOf({{"0", "10", "20", "12"}, "95", ""});
  EXPECT_EQ(DescriptionOf(message, {false, true, std::nullopt}), message.description);
  // A density beyond the numbers, at so low a price with so small a spread.
  const ChartDrawing tooHigh =
      DrawWith(ViewOf({{"1E-300", "0", "1E-10", "12"}, "95", ""}), {false, true, std::nullopt});
  EXPECT_TRUE(tooHigh.shapes.empty());
  EXPECT_EQ(tooHigh.labels.at(0).text, "La densidad a 12 meses excede el rango de los números");
  // Too small an area is the fan's message too.
  EXPECT_EQ(DrawWith(view, {false, true, std::nullopt}, {250, 400, 16}).labels.at(0).text, kTooSmallForChart);
}

}  // namespace
}  // namespace cotalia
