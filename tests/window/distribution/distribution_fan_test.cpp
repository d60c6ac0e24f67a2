// SPDX-License-Identifier: GPL-3.0-or-later
// The fan drawn in an area, before any toolkit paints it.
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

struct ChartCase {
  const char* name;
  DistributionRequest request;
  bool logarithmic;
  std::size_t bandPoints;
  ChartArea area = {640, 400, 16};
};

const ChartCase kCharts[] = {
    {"WorkedExample", {kWorked, "95", "130"}, false, 130},
    {"WorkedExampleLogarithmic", {kWorked, "99", "130"}, true, 130},
    {"NoVolatilityBandIsALine", {{"100", "10", "0", "12"}, "95", ""}, false, 130},
    {"NoHorizonIsAPoint", {{"100", "10", "20", "0"}, "95", ""}, false, 2},
    {"HalfAMonth", {{"100", "10", "20", "0.5"}, "95", ""}, false, 130},
    {"ManyDecades", {{"100", "10", "150", "360"}, "99.9999", ""}, true, 130},
    {"ManyDecadesLinear", {{"100", "10", "150", "360"}, "99.9999", ""}, false, 130},
    {"TargetFarAboveTheBand", {kWorked, "95", "1E300"}, true, 130},
    {"TargetFarBelowTheBand", {kWorked, "95", "1E-300"}, false, 130},
    {"TinyPrice", {{"4.9E-324", "0", "0", "0"}, "95", ""}, false, 2},
    {"LargePrice", {{"1E150", "0", "0", "12"}, "95", ""}, true, 130},
    {"LargePriceLinear", {{"1E100", "10", "40", "1200"}, "95", ""}, false, 130},
    // The horizon's x, left + 1 (right - left), rounded past the plot's right edge.
    {"CurveEndRoundsPastThePlot",
     {{"4.81770328178841E-318", "-0.12400434887968", "-0.124019607843137", "7667969.01170343"},
      "77.3727848515809",
      ""},
     true,
     130,
     {484.02056908701746, 448, 16}},
    // The axis's top decade beyond the largest double.
    {"TargetNearTheLargestDouble", {kWorked, "95", "1.5E308"}, true, 130},
    // One price: the axis around it, below 1 and at 1 (one decade).
    {"OnePriceBelowOne", {{"0.5", "10", "20", "0"}, "95", ""}, false, 2},
    {"OnePriceOfOneLogarithmic", {{"1", "10", "20", "0"}, "95", ""}, true, 2},
    // Nine decades in 320 pixels: no room for 2 and 5 between them.
    {"DecadesTooCloseForTwoAndFive",
     {{"2710.50331922435", "8.67779480323924", "115.494643194135", "207.052344814375"},
      "53.3957287099151",
      "7173.73627590557"},
     true,
     130},
};

// The degenerate and the extreme inputs still give a chart: every point of
// every curve within the plot, every label within the area and clear of the
// plot's lines and of every other label, the band around the median.
TEST(DrawChart, CurvesInsideThePlotLabelsApart) {
  for (const ChartCase& c : kCharts) {
    SCOPED_TRACE(c.name);
    const ChartArea& area = c.area;
    const ChartDrawing drawing = Draw(c.request, c.logarithmic, area);
    const PlotBox& plot = drawing.plot;
    ASSERT_GT(plot.right, plot.left);
    const Shape* band = ShapeOf(drawing, Ink::Band);
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(band->points.size(), c.bandPoints);
    for (const Shape& shape : drawing.shapes) {
      for (const Point& point : shape.points) {
        ASSERT_TRUE(point.x >= plot.left && point.x <= plot.right && point.y >= plot.top &&
                    point.y <= plot.bottom)
            << static_cast<int>(shape.ink) << " at " << point.x << ", " << point.y;
      }
    }
    for (std::size_t i = 0; i < drawing.labels.size(); ++i) {
      const Label& a = drawing.labels[i];
      EXPECT_TRUE(a.topLeft.x >= 0 && a.topLeft.x + a.width <= area.width && a.topLeft.y >= 0 &&
                  a.topLeft.y + area.lineHeight <= area.height)
          << a.text << " at " << a.topLeft.x << ", " << a.topLeft.y;
      // Clear of the plot: left of it, below it or above it.
      EXPECT_TRUE(a.topLeft.x + a.width <= plot.left || a.topLeft.y >= plot.bottom ||
                  a.topLeft.y + area.lineHeight <= plot.top)
          << a.text << " over the plot";
      for (std::size_t j = i + 1; j < drawing.labels.size(); ++j) {
        const Label& b = drawing.labels[j];
        EXPECT_TRUE(Apart(a, b, area.lineHeight)) << a.text << " over " << b.text;
      }
    }
    // Now is the left edge, whatever the horizon.
    const Shape* start = ShapeOf(drawing, Ink::Start);
    ASSERT_NE(start, nullptr);
    EXPECT_DOUBLE_EQ(start->points.at(0).x, plot.left);
    const Shape* median = ShapeOf(drawing, Ink::Median);
    ASSERT_NE(median, nullptr);
    const std::size_t last = median->points.size() - 1;
    // y grows downwards: the band's top edge is above the median, its bottom below.
    EXPECT_LE(band->points[last].y, median->points[last].y);
    EXPECT_GE(band->points[last + 1].y, median->points[last].y);
  }
}

// The prices up the fan from the labels of their ticks, where the drawing
// says they stand.
std::vector<TickLine> PriceTicks(const ChartDrawing& drawing, double line, bool logarithmic) {
  std::vector<TickLine> ticks;
  for (const Label& label : drawing.labels) {
    const bool leftOfPlot = label.topLeft.x + label.width <= drawing.plot.left;
    if (!leftOfPlot || label.text == "Precio") continue;
    const double value = ValueOfText(label.text);
    ticks.push_back({logarithmic ? std::log10(value) : value, label.topLeft.y + line / 2});
  }
  std::sort(ticks.begin(), ticks.end(), [](TickLine a, TickLine b) { return a.value < b.value; });
  return ticks;
}

// The prices along the density from the labels of their ticks under the
// plot, each at its label's middle (kept in TickLine's y).
std::vector<TickLine> BottomTicks(const ChartDrawing& drawing, bool logarithmic) {
  std::vector<TickLine> ticks;
  for (const Label& label : drawing.labels) {
    const bool underPlot = label.topLeft.y >= drawing.plot.bottom;
    const bool inside = label.topLeft.x + label.width / 2 >= drawing.plot.left - 1 &&
                        label.topLeft.x + label.width / 2 <= drawing.plot.right + 1;
    if (!underPlot || !inside || label.text.find_first_not_of("0123456789.E+-") != std::string::npos)
      continue;
    const double value = ValueOfText(label.text);
    ticks.push_back({logarithmic ? std::log10(value) : value, label.topLeft.x + label.width / 2});
  }
  std::sort(ticks.begin(), ticks.end(), [](TickLine a, TickLine b) { return a.value < b.value; });
  return ticks;
}

// Where a price stands along an axis, from its first and last ticks.
double AtPrice(const std::vector<TickLine>& ticks, double price, bool logarithmic) {
  const double position = logarithmic ? std::log10(price) : price;
  const TickLine& a = ticks.front();
  const TickLine& b = ticks.back();
  return a.y + (position - a.value) / (b.value - a.value) * (b.y - a.y);
}

// The axes span the plot: the lowest price tick on its bottom edge, the
// highest on its top, month 0 on its left edge and the horizon on its right;
// and the curves stand where the ticks say their prices do.
TEST(DrawChart, PricesStandWhereTheTicksSay) {
  const ChartArea area{640, 400, 16};
  // The worked example, and the same below 1, where decimal logarithms are
  // negative. And a target far above the band: the axis stays on the band,
  // and the target is drawn at its top edge, marked with its value.
  const DistributionRequest requests[] = {
      {kWorked, "99", "130"}, {{"0.05", "10", "20", "12"}, "99", "0.065"}, {kWorked, "99", "1000"}};
  for (const auto& [logarithmic, request] :
       {std::pair{false, requests[0]}, std::pair{true, requests[0]}, std::pair{false, requests[1]},
        std::pair{true, requests[1]}, std::pair{false, requests[2]}, std::pair{true, requests[2]}}) {
    SCOPED_TRACE(std::string(request.inputs.price) + (logarithmic ? " logarithmic" : " linear"));
    const ChartDrawing drawing = Draw(request, logarithmic, area);
    const std::vector<TickLine> ticks = PriceTicks(drawing, area.lineHeight, logarithmic);
    ASSERT_GE(ticks.size(), 3u);
    EXPECT_DOUBLE_EQ(ticks.front().y, drawing.plot.bottom);
    EXPECT_DOUBLE_EQ(ticks.back().y, drawing.plot.top);
    const auto y = [&](double price) { return AtPrice(ticks, price, logarithmic); };
    const PriceDistribution d = std::get<DistributionChart>(ViewOf(request).chart).distribution;
    const Shape* band = ShapeOf(drawing, Ink::Band);
    const Shape* median = ShapeOf(drawing, Ink::Median);
    const Shape* target = ShapeOf(drawing, Ink::Target);
    const Shape* start = ShapeOf(drawing, Ink::Start);
    ASSERT_TRUE(band && median && target && start);
    const std::size_t last = median->points.size() - 1;
    EXPECT_NEAR(band->points[last].y, y(d.horizon.upper), 1e-9);
    EXPECT_NEAR(band->points[last + 1].y, y(d.horizon.lower), 1e-9);
    EXPECT_NEAR(median->points[last].y, y(d.horizon.median), 1e-9);
    EXPECT_DOUBLE_EQ(median->points[last].x, drawing.plot.right);
    EXPECT_DOUBLE_EQ(median->points[0].x, drawing.plot.left);
    ASSERT_EQ(target->points.size(), 2u);
    const bool offScale = std::get<double>(d.target) == 1000;
    EXPECT_NEAR(target->points[0].y, offScale ? drawing.plot.top : y(std::get<double>(d.target)), 1e-9);
    const bool marked = std::any_of(drawing.labels.begin(), drawing.labels.end(),
                                    [](const Label& label) { return label.text == "Objetivo 1000 \u2191"; });
    EXPECT_EQ(marked, offScale);
    if (offScale) {
      EXPECT_LT(ticks.back().value, logarithmic ? 3 : 1000);
    }
    EXPECT_DOUBLE_EQ(target->points[0].x, drawing.plot.left);
    EXPECT_DOUBLE_EQ(target->points[1].x, drawing.plot.right);
    ASSERT_EQ(start->points.size(), 1u);
    EXPECT_NEAR(start->points[0].y, y(d.inputs.price), 1e-9);
    EXPECT_DOUBLE_EQ(start->points[0].x, drawing.plot.left);
    // A logarithmic axis starts at the decade at or just below the band.
    if (logarithmic) {
      EXPECT_LE(ticks.front().value, std::log10(d.horizon.lower));
      EXPECT_GT(ticks.front().value, std::log10(d.horizon.lower) - 1);
    }
  }
}

// The range asked about is shaded under the curves between its limits, as
// the ticks place them: across the fan, up the density; to the plot's edge
// where a limit is blank; not at all without a range.
TEST(DrawChart, TheRangeShadedBetweenItsLimits) {
  const struct {
    const char* lower;
    const char* upper;
    bool density;
    bool logarithmic;
  } rows[] = {
      {"90", "130", false, false}, {"90", "130", false, true}, {"90", "", false, false},
      {"", "130", false, true},    {"90", "130", true, false}, {"", "130", true, true},
      {"", "", false, false},      {"", "", true, false},
  };
  const ChartArea area{640, 400, 16};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.lower) + "-" + row.upper + (row.density ? " density" : " fan"));
    const DistributionView view = ViewOf({kWorked, "95", "", row.lower, row.upper});
    const ChartDrawing drawing = DrawWith(view, {row.logarithmic, row.density, std::nullopt}, area);
    const Shape* range = ShapeOf(drawing, Ink::Range);
    if (*row.lower == '\0' && *row.upper == '\0') {
      EXPECT_EQ(range, nullptr);
      continue;
    }
    ASSERT_NE(range, nullptr);
    ASSERT_EQ(range->points.size(), 4u);
    EXPECT_EQ(range->kind, ShapeKind::Area);
    // Under the band and the curves: drawn before the band.
    EXPECT_LT(range, ShapeOf(drawing, Ink::Band));
    const PlotBox& plot = drawing.plot;
    if (row.density) {
      const std::vector<TickLine> ticks = BottomTicks(drawing, row.logarithmic);
      ASSERT_GE(ticks.size(), 2u);
      const auto x = [&](double price) { return AtPrice(ticks, price, row.logarithmic); };
      EXPECT_NEAR(range->points[0].x, *row.lower ? x(ValueOfText(row.lower)) : plot.left, 0.5);
      EXPECT_NEAR(range->points[1].x, *row.upper ? x(ValueOfText(row.upper)) : plot.right, 0.5);
      EXPECT_EQ(range->points[0].y, plot.top);
      EXPECT_EQ(range->points[2].y, plot.bottom);
    } else {
      const std::vector<TickLine> ticks = PriceTicks(drawing, area.lineHeight, row.logarithmic);
      ASSERT_GE(ticks.size(), 2u);
      const auto y = [&](double price) { return AtPrice(ticks, price, row.logarithmic); };
      EXPECT_NEAR(range->points[0].y, *row.lower ? y(ValueOfText(row.lower)) : plot.bottom, 0.5);
      EXPECT_NEAR(range->points[2].y, *row.upper ? y(ValueOfText(row.upper)) : plot.top, 0.5);
      EXPECT_EQ(range->points[0].x, plot.left);
      EXPECT_EQ(range->points[1].x, plot.right);
    }
  }
}

TEST(DrawChart, AxesHaveRoundTicks) {
  const struct {
    const char* name;
    DistributionRequest request;
    bool logarithmic;
    std::vector<const char*> ticks;
    ChartArea area = {640, 400, 16};
  } cases[] = {
      {"Linear", {kWorked, "95", ""}, false, {"60", "80", "100", "120", "140", "160", "0", "2", "4", "12"}},
      // Within a decade: round steps fitted to the band of 65 to 181.
      {"NarrowLogarithmic",
       {kWorked, "99", ""},
       true,
       {"60", "80", "100", "120", "140", "160", "180", "200"}},
      // Forty decades at every fifth, 1 among them.
      {"WideLogarithmic",
       {{"100", "10", "150", "360"}, "99.9999", ""},
       true,
       {"1E-30", "1E-25", "1E-20", "1E-15", "1E-10", "0.00001", "1", "100000", "10000000000"}},
      // One price all along: room around it, ticked.
      {"OnePrice", {{"100", "10", "20", "0"}, "95", ""}, false, {"90", "95", "100", "105", "110"}},
      // A step just below a power of ten, where its logarithm rounds up to it.
      {"MonthsJustBelowAPowerOfTen",
       {{"100", "10", "20", "0.59999999999999998"}, "95", ""},
       false,
       {"0", "0.1", "0.2", "0.3", "0.4", "0.5"}},
      // Where round steps would stand closer than a line and a fifth: 1, 2
      // and 5 times powers of ten.
      {"NarrowLogarithmicInALowChart", {kWorked, "99", ""}, true, {"50", "100", "200"}, {640, 260, 16}},
      // One price below 1: a tenth either side, not down to 0 or up to 1.5.
      {"OnePriceBelowOne", {{"0.5", "10", "20", "0"}, "95", ""}, false, {"0.45", "0.5", "0.55", "0.6"}},
      // Months four lines apart: five in a narrow chart, not six (every
      // 200 months).
      {"LongHorizonInANarrowChart",
       {{"100", "10", "20", "1200"}, "95", ""},
       false,
       {"0", "500", "1000"},
       {440, 400, 16}},
      // Forty decades in a low chart: every eighth, as many as fit.
      {"WideLogarithmicInALowChart",
       {{"100", "10", "150", "360"}, "99.9999", ""},
       true,
       {"1E-32", "1E-24", "1E-16", "1E-08", "1", "100000000"},
       {480, 200, 16}},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> texts = LabelTexts(Draw(c.request, c.logarithmic, c.area));
    for (const char* tick : c.ticks)
      EXPECT_TRUE(Has(texts, tick)) << c.name << ": " << tick << " in " << testing::PrintToString(texts);
    EXPECT_TRUE(Has(texts, "Meses") && Has(texts, "Precio")) << c.name;
  }
  const std::vector<std::string> wide = LabelTexts(Draw(cases[2].request, true));
  EXPECT_FALSE(Has(wide, "1E-29") || Has(wide, "2E-30") || Has(wide, "10")) << "only every fifth decade";
}

// The legend names what is drawn, the target only where there is one; pens
// and dots grow with the painter's scale.
TEST(DrawChart, LegendAndPens) {
  const std::vector<std::string> withTarget = LabelTexts(Draw({kWorked, "95", "130"}, false));
  for (const char* entry : {"Banda", "Mediana", "Precio esperado", "Objetivo"}) {
    EXPECT_TRUE(Has(withTarget, entry)) << entry;
  }
  const ChartDrawing noTarget = Draw({kWorked, "95", ""}, false);
  EXPECT_FALSE(Has(LabelTexts(noTarget), "Objetivo"));
  EXPECT_EQ(ShapeOf(noTarget, Ink::Target), nullptr);
  for (const double scale : {1.0, 2.0}) {
    const ChartDrawing drawing = Draw({kWorked, "95", "130"}, false, {1280, 800, 32, scale});
    EXPECT_EQ(ShapeOf(drawing, Ink::Grid)->size, scale);
    EXPECT_EQ(ShapeOf(drawing, Ink::Axis)->size, scale);
    EXPECT_EQ(ShapeOf(drawing, Ink::Median)->size, 2 * scale);
    EXPECT_EQ(ShapeOf(drawing, Ink::Target)->size, 2 * scale);
    EXPECT_EQ(ShapeOf(drawing, Ink::Start)->size, 4 * scale);
    EXPECT_EQ(ShapeOf(drawing, Ink::Start)->kind, ShapeKind::Dot);
    EXPECT_EQ(ShapeOf(drawing, Ink::Band)->kind, ShapeKind::Area);
  }
}

// However small the area, labels never pile up: fewer ticks, or a message.
TEST(DrawChart, SmallAreasKeepLabelsApart) {
  for (const double width : {200.0, 330.0, 480.0}) {
    for (const double height : {130.0, 200.0}) {
      for (const bool logarithmic : {false, true}) {
        const ChartDrawing drawing = Draw({kWorked, "99", "130"}, logarithmic, {width, height, 16});
        for (std::size_t i = 0; i < drawing.labels.size(); ++i) {
          for (std::size_t j = i + 1; j < drawing.labels.size(); ++j) {
            const Label& a = drawing.labels[i];
            const Label& b = drawing.labels[j];
            EXPECT_TRUE(Apart(a, b, 16)) << width << "x" << height << ": " << a.text << " over " << b.text;
          }
        }
      }
    }
  }
}

TEST(DrawChart, AMessageInPlaceOfTheChart) {
  const ChartDrawing drawing = Draw({{"0", "10", "20", "12"}, "95", ""}, false);
  EXPECT_TRUE(drawing.shapes.empty());
  ASSERT_EQ(drawing.labels.size(), 1u);
  EXPECT_EQ(drawing.labels[0].text, "Valor Actual: escriba un número mayor que cero");
  // Centred in the area.
  EXPECT_DOUBLE_EQ(drawing.labels[0].topLeft.x + drawing.labels[0].width / 2, 320);
  EXPECT_DOUBLE_EQ(drawing.labels[0].topLeft.y, 200 - 8);
  for (const ChartArea small : {ChartArea{60, 40, 16}, ChartArea{250, 400, 16}, ChartArea{640, 100, 16}}) {
    const ChartDrawing tooSmall = Draw({kWorked, "95", "130"}, false, small);
    EXPECT_TRUE(tooSmall.shapes.empty()) << small.width << "x" << small.height;
    EXPECT_EQ(tooSmall.labels.at(0).text, "Agrande la ventana para ver el gráfico");
  }
}

}  // namespace
}  // namespace cotalia
