// SPDX-License-Identifier: GPL-3.0-or-later
// What the distribution window shows, before any toolkit paints it.
#include "window/distribution/distribution_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "model/lognormal/price_answers.h"
#include "model/numeric_runtime.h"
#include "tests/scenarios.h"
#include "window/distribution/distribution_description.h"

namespace cotalia {
namespace {

const DistributionTexts kWorked{"100", "10", "20", "12"};

std::vector<std::string> TextsOf(const DistributionView& view) {
  std::vector<std::string> texts;
  for (const Figure& figure : view.figures) texts.push_back(figure.label + " = " + figure.text);
  return texts;
}

// At 95 % the band is the form's, digit for digit; the median is e^(Media Dn).
// With a target, the probabilities of ending beyond it and of touching it on
// the way (Phi(x1) + e^(2mb/s^2) Phi(x2), 30.51 % for the worked example by
// hand); with a range, of ending inside it (Phi(0.9118) - Phi(-0.9268)), or
// beyond its one end.
TEST(ViewOf, FiguresAtTheHorizon) {
  const std::vector<std::string> band = {"z = 1.96",
                                         "Precio Minimo = 73.1981528228311",
                                         "Precio Maximo = 160.319738372657",
                                         "Mediana = 108.328706767496",
                                         "Precio Esperado = 110.517091807565",
                                         "Variacion esperada = 22.3263055970384"};
  const struct {
    const char* name;
    DistributionRequest request;
    std::vector<std::string> after;  // the rows after the band's
  } cases[] = {
      {"TargetAndRange",
       {kWorked, "95", "130", "90", "130"},
       {"Por encima de 130 = 18.09 %", "Por debajo de 130 = 81.91 %",
        "Toca 130 antes del horizonte = 30.51 %", "Entre 90 y 130 = 64.21 %"}},
      {"NoTargetNoRange", {kWorked, "95", "", " ", ""}, {}},
      {"LowerOnly", {kWorked, "95", "", "90", ""}, {"Por encima de 90 = 82.30 %"}},
      {"UpperOnly", {kWorked, "95", "", "", "130"}, {"Por debajo de 130 = 81.91 %"}},
      // A target below the price: touching it is going down to it, 47.20 %
      // with m = -0.08 and b = ln(100/90) mirrored.
      {"TargetBelowThePrice",
       {kWorked, "95", "90"},
       {"Por encima de 90 = 82.30 %", "Por debajo de 90 = 17.70 %", "Toca 90 antes del horizonte = 47.20 %"}},
      // The target at the price itself is touched at once.
      {"TargetAtThePrice",
       {kWorked, "95", "100"},
       {"Por encima de 100 = 65.54 %", "Por debajo de 100 = 34.46 %",
        "Toca 100 antes del horizonte = 100.0 %"}},
      // Ends together: a range of no width.
      {"EmptyRange", {kWorked, "95", "", "100", "100"}, {"Entre 100 y 100 = 0 %"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> expected = band;
    expected.insert(expected.end(), c.after.begin(), c.after.end());
    EXPECT_EQ(TextsOf(ViewOf(c.request)), expected) << c.name;
  }
  const std::vector<std::string> at99 = TextsOf(ViewOf({kWorked, "99", ""}));
  ASSERT_EQ(at99.size(), 6u);
  EXPECT_EQ(at99[0], "z = 2.5758293035489");
  EXPECT_EQ(at99[1], "Precio Minimo = 64.7157320203497");
  EXPECT_EQ(at99[2], "Precio Maximo = 181.333168049895");
}

// The percentiles' rows as the form writes numbers: the 50 % row is the
// median's figure, the 5 and 95 % rows the band's ends at 90 %, the 1 and
// 99 % rows its ends at 98 %; 25 % is e^(mean - 0.6745 deviation) by hand.
// None where there is a message.
TEST(ViewOf, PercentilesAtTheHorizon) {
  const DistributionView view = ViewOf({kWorked, "95", "130"});
  const std::vector<std::string> percentiles = [&view] {
    std::vector<std::string> texts;
    for (const Figure& row : view.percentiles) texts.push_back(row.label + " = " + row.text);
    return texts;
  }();
  ASSERT_EQ(percentiles.size(), 9u);
  const auto figure = [](const DistributionView& v, const char* label) {
    for (const Figure& f : v.figures) {
      if (f.label == label) return f.text;
    }
    return std::string("none");
  };
  const DistributionView at90 = ViewOf({kWorked, "90", ""});
  const DistributionView at98 = ViewOf({kWorked, "98", ""});
  const struct {
    std::size_t row;
    std::string text;
  } rows[] = {{0, "1 % = " + figure(at98, "Precio Minimo")},
              {1, "5 % = " + figure(at90, "Precio Minimo")},
              {2, "10 % = 83.8357789556326"},
              {3, "25 % = 94.6581741654321"},
              {4, "50 % = " + figure(view, "Mediana")},
              {5, "75 % = 123.973537556396"},
              {6, "90 % = 139.977332543525"},
              {7, "95 % = " + figure(at90, "Precio Maximo")},
              {8, "99 % = " + figure(at98, "Precio Maximo")}};
  for (const auto& r : rows) EXPECT_EQ(percentiles[r.row], r.text);
  EXPECT_EQ(percentiles[4], "50 % = 108.328706767496");
  EXPECT_EQ(PercentilesText(view, "\n").substr(0, 22), "1 %: 68.0267228577013\n");
  EXPECT_TRUE(ViewOf({{"0", "10", "20", "12"}, "95", ""}).percentiles.empty());
}

// "Copiar cifras" copies the figures and then the percentiles, each row as
// its box shows it, the percentiles named as such.
TEST(ViewOf, CopiesFiguresThenPercentiles) {
  const DistributionView view = ViewOf({kWorked, "95", "130", "90", "130"});
  ASSERT_EQ(view.copied.size(), view.figures.size() + view.percentiles.size());
  for (std::size_t i = 0; i < view.figures.size(); ++i) {
    EXPECT_EQ(view.copied[i].label, view.figures[i].label);
    EXPECT_EQ(view.copied[i].text, view.figures[i].text);
  }
  for (std::size_t i = 0; i < view.percentiles.size(); ++i) {
    const Figure& row = view.copied[view.figures.size() + i];
    EXPECT_EQ(row.label, "Percentil " + view.percentiles[i].label);
    EXPECT_EQ(row.text, view.percentiles[i].text);
  }
  EXPECT_TRUE(ViewOf({kWorked, "0", ""}).copied.empty());
}

// What a screen reader says of the chart, and the figures' box, line by line.
TEST(ViewOf, DescribesTheChartInWords) {
  const struct {
    DistributionRequest request;
    const char* description;
  } cases[] = {
      {{kWorked, "99", "130"},
       "Banda del 99 % de los precios a 12 meses: de 64.7157320203497 a 181.333168049895, con mediana "
       "108.328706767496. Probabilidad de acabar por encima de 130: 18.09 %; por debajo: 81.91 %; de tocarlo "
       "antes del horizonte: 30.51 %."},
      {{kWorked, "95", "", "90", "130"},
       "Banda del 95 % de los precios a 12 meses: de 73.1981528228311 a 160.319738372657, con mediana "
       "108.328706767496. Probabilidad de acabar entre 90 y 130: 64.21 %."},
      {{kWorked, "95", "", "", "130"},
       "Banda del 95 % de los precios a 12 meses: de 73.1981528228311 a 160.319738372657, con mediana "
       "108.328706767496. Probabilidad de acabar por debajo de 130: 81.91 %."},
      {{kWorked, "95", ""},
       "Banda del 95 % de los precios a 12 meses: de 73.1981528228311 a 160.319738372657, con mediana "
       "108.328706767496."},
      {{kWorked, "95", "abc"},
       "Banda del 95 % de los precios a 12 meses: de 73.1981528228311 a 160.319738372657, con mediana "
       "108.328706767496. Precio objetivo: escriba un número mayor que cero."},
  };
  for (const auto& c : cases) EXPECT_EQ(ViewOf(c.request).description, c.description);
  const DistributionView view = ViewOf({kWorked, "99", "130"});
  const std::string lines = FiguresText(view, "\n");
  EXPECT_EQ(lines.substr(0, lines.find("\nPrecio Maximo")),
            "z: 2.5758293035489\nPrecio Minimo: 64.7157320203497");
  EXPECT_EQ(lines.substr(lines.rfind('\n') + 1), "Toca 130 antes del horizonte: 30.51 %");
  EXPECT_EQ(FiguresText(view, "\r\n").find("\n"), FiguresText(view, "\r\n").find("\r\n") + 1);
  EXPECT_EQ(FiguresText(ViewOf({{"0", "10", "20", "12"}, "95", ""}), "\n"), "");
}

// The window's shared scenario, played on the view alone: what each box's
// text gives the figures and the chart's description.
TEST(ViewOf, PlaysTheDistributionScenario) {
  std::string price(scenarios::kDistributionInputs[0]);
  std::string level(kDefaultLevel);
  std::string target;
  for (const scenarios::DistributionStep& step : scenarios::kDistributionSteps) {
    using Box = scenarios::DistributionStep::Box;
    (step.box == Box::Price ? price : step.box == Box::Level ? level : target) = step.text;
    const auto& in = scenarios::kDistributionInputs;
    const DistributionView view = ViewOf({{price, in[1], in[2], in[3]}, level, target});
    EXPECT_EQ(FiguresText(view, "\n"), step.figures) << step.text;
    EXPECT_EQ(view.description, step.description) << step.text;
  }
}

TEST(PercentText, FourSignificantDigits) {
  const struct {
    double probability;
    const char* text;
  } cases[] = {{0.180931392009003, "18.09 %"},
               {1, "100.0 %"},
               {0.5, "50.00 %"},
               {0.99995, "100.0 %"},
               {0.00001234, "0.001234 %"},
               {1.234e-7, "1.234E-05 %"},
               {1.2063204516400189e-113, "1.206E-111 %"},
               {0, "0 %"}};
  for (const auto& c : cases) EXPECT_EQ(PercentText(c.probability), c.text) << c.probability;
}

// Every row of the window's table is what its name says, and each box is
// named by the label just before it.
TEST(DistributionDescription, NamesEachInputAfterItsLabel) {
  const struct {
    DistributionControl control;
    const char* name;
    ControlRole role;
  } rows[] = {{DistributionControl::Level, "level", ControlRole::TextBox},
              {DistributionControl::Target, "target", ControlRole::TextBox},
              {DistributionControl::Lower, "lower", ControlRole::TextBox},
              {DistributionControl::Upper, "upper", ControlRole::TextBox},
              {DistributionControl::PriceAxis, "priceAxis", ControlRole::Choice},
              {DistributionControl::ChartKind, "chartKind", ControlRole::Choice},
              {DistributionControl::Chart, "chart", ControlRole::Chart},
              {DistributionControl::Readout, "readout", ControlRole::Note},
              {DistributionControl::Figures, "figures", ControlRole::ReadOnlyText},
              {DistributionControl::Percentiles, "percentiles", ControlRole::ReadOnlyText}};
  for (const auto& row : rows) {
    const WindowControl& control = ControlOf(row.control);
    EXPECT_EQ(control.name, row.name);
    EXPECT_EQ(control.role, row.role) << row.name;
    EXPECT_FALSE(control.accessibleName.empty()) << row.name;
  }
  for (std::size_t i = 1; i < kDistributionControls.size(); ++i) {
    const WindowControl& label = kDistributionControls[i - 1];
    if (label.role != ControlRole::Label) continue;
    std::string caption(label.caption);
    caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
    EXPECT_EQ(kDistributionControls[i].accessibleName, caption) << label.name;
  }
  EXPECT_EQ(ControlOf(DistributionControl::Level).caption, kDefaultLevel);
  // A choice is a group titled by its own caption.
  const WindowControl& priceAxis = ControlOf(DistributionControl::PriceAxis);
  EXPECT_EQ(priceAxis.caption, "Eje de p&recios");
  EXPECT_EQ(priceAxis.accessibleName, "Eje de precios");
  EXPECT_EQ(priceAxis.choices.size(), 2u);
  const WindowControl& chartKind = ControlOf(DistributionControl::ChartKind);
  EXPECT_EQ(chartKind.caption, "&Gráfico");
  EXPECT_EQ(chartKind.choices[0], "Abanico");
  EXPECT_EQ(chartKind.choices[kDensityChart], "Densidad");
  EXPECT_EQ(ControlOf(DistributionControl::Readout).accessibleName, "Lectura del gráfico");
  // The problems with the range's boxes name them as their labels do.
  EXPECT_EQ(ViewOf({kWorked, "95", "", "-1", ""}).figures.back().label,
            ControlOf(DistributionControl::Lower).accessibleName);
  EXPECT_EQ(ViewOf({kWorked, "95", "", "", "-1"}).figures.back().label,
            ControlOf(DistributionControl::Upper).accessibleName);
}

// At the window's size nothing overlaps, and the chart and the figures grow
// with the window while the inputs keep their places.
TEST(DistributionDescription, PlacesDoNotOverlapAndTheChartGrows) {
  const auto overlap = [](const Rectangle& a, const Rectangle& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
  };
  const int width = kDistributionWindow.width;
  const int height = kDistributionWindow.height;
  for (std::size_t i = 0; i < kDistributionControls.size(); ++i) {
    const Rectangle a = RectangleOf(kDistributionControls[i].place, width, height);
    EXPECT_GT(a.width, 0) << kDistributionControls[i].name;
    EXPECT_GT(a.height, 0) << kDistributionControls[i].name;
    EXPECT_LE(a.left + a.width, width) << kDistributionControls[i].name;
    EXPECT_LE(a.top + a.height, height) << kDistributionControls[i].name;
    for (std::size_t j = i + 1; j < kDistributionControls.size(); ++j) {
      EXPECT_FALSE(overlap(a, RectangleOf(kDistributionControls[j].place, width, height)))
          << kDistributionControls[i].name << " and " << kDistributionControls[j].name;
    }
  }
  const Place chart = ControlOf(DistributionControl::Chart).place;
  const Rectangle small = RectangleOf(chart, width, height);
  const Rectangle large = RectangleOf(chart, width + 100, height + 50);
  EXPECT_EQ(large.width, small.width + 100);
  EXPECT_EQ(large.height, small.height + 50);
  EXPECT_EQ(large.left, small.left);
  const Place level = ControlOf(DistributionControl::Level).place;
  EXPECT_EQ(RectangleOf(level, width + 100, height + 50).left, RectangleOf(level, width, height).left);
  EXPECT_EQ(RectangleOf(chart, 10, 10).width, 0);
  // The reading just under the chart, as wide; the figures grow above the
  // percentiles, whose nine lines keep their height.
  const auto at = [](DistributionControl control, int w, int h) {
    return RectangleOf(ControlOf(control).place, w, h);
  };
  for (const auto& [w, h] : {std::pair{width, height}, std::pair{width + 100, height + 50}}) {
    const Rectangle plot = at(DistributionControl::Chart, w, h);
    const Rectangle readout = at(DistributionControl::Readout, w, h);
    EXPECT_EQ(readout.left, plot.left);
    EXPECT_EQ(readout.width, plot.width);
    EXPECT_GT(readout.top, plot.top + plot.height);
    EXPECT_LE(readout.top, plot.top + plot.height + 8);
    EXPECT_GE(readout.height, 30);
    const Rectangle figures = at(DistributionControl::Figures, w, h);
    const Rectangle percentiles = at(DistributionControl::Percentiles, w, h);
    EXPECT_GT(percentiles.top, figures.top + figures.height);
    EXPECT_EQ(percentiles.width, figures.width);
    EXPECT_GE(percentiles.height, 9 * 17 + 8);
    EXPECT_GE(figures.height, 10 * 17 + 8);  // the band's six, the target's three and the range's
  }
  EXPECT_EQ(at(DistributionControl::Figures, width, height + 50).height,
            at(DistributionControl::Figures, width, height).height + 50);
  EXPECT_EQ(at(DistributionControl::Percentiles, width, height + 50).height,
            at(DistributionControl::Percentiles, width, height).height);
  // The price axis's buttons side by side inside their group, below its title.
  const Rectangle group = RectangleOf(ControlOf(DistributionControl::PriceAxis).place, width, height);
  const Rectangle first = ChoiceButtonOf(group, 0, 2);
  const Rectangle second = ChoiceButtonOf(group, 1, 2);
  EXPECT_GT(first.width, 60);
  EXPECT_EQ(second.left, first.left + first.width);
  EXPECT_LE(second.left + second.width, group.width);
  EXPECT_GT(first.top, 0);
  EXPECT_LE(first.top + first.height, group.height);
  EXPECT_GT(first.height, 15);
}

// A text's width as an average face gives it: 0.6 of the line a character.
double Width(std::string_view text, double line) {
  const auto characters = std::count_if(
      text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
  return 0.6 * line * static_cast<double>(characters);
}

ChartDrawing Draw(const DistributionRequest& request, bool logarithmic, ChartArea area = {640, 400, 16}) {
  return DrawChart(
      ViewOf(request), area, [&area](std::string_view text) { return Width(text, area.lineHeight); },
      logarithmic);
}

const Shape* ShapeOf(const ChartDrawing& drawing, Ink ink) {
  for (const Shape& shape : drawing.shapes) {
    if (shape.ink == ink) return &shape;
  }
  return nullptr;
}

std::vector<std::string> LabelTexts(const ChartDrawing& drawing) {
  std::vector<std::string> texts;
  for (const Label& label : drawing.labels) texts.push_back(label.text);
  return texts;
}

bool Has(const std::vector<std::string>& texts, std::string_view text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// Two labels on different lines, or side by side with at least a quarter
// of a line between them, as words are.
bool Apart(const Label& a, const Label& b, double line) {
  const double gap = line / 4;
  return a.topLeft.x + a.width + gap <= b.topLeft.x || b.topLeft.x + b.width + gap <= a.topLeft.x ||
         a.topLeft.y + line <= b.topLeft.y || b.topLeft.y + line <= a.topLeft.y;
}

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

// The y of a price on the chart, from the grid lines of two ticks: where the
// drawing says its labels stand.
struct TickLine {
  double value;
  double y;
};

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

// The axes span the plot: the lowest price tick on its bottom edge, the
// highest on its top, month 0 on its left edge and the horizon on its right;
// and the curves stand where the ticks say their prices do.
TEST(DrawChart, PricesStandWhereTheTicksSay) {
  const ChartArea area{640, 400, 16};
  // The worked example, and the same below 1, where decimal logarithms are
  // negative.
  // And a target far above the band, which the axis reaches up to.
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
    const auto y = [&](double price) {
      const double position = logarithmic ? std::log10(price) : price;
      const TickLine& a = ticks.front();
      const TickLine& b = ticks.back();
      return a.y + (position - a.value) / (b.value - a.value) * (b.y - a.y);
    };
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
    EXPECT_NEAR(target->points[0].y, y(std::get<double>(d.target)), 1e-9);
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

TEST(DrawChart, AxesHaveRoundTicks) {
  const struct {
    const char* name;
    DistributionRequest request;
    bool logarithmic;
    std::vector<const char*> ticks;
    ChartArea area = {640, 400, 16};
  } cases[] = {
      {"Linear", {kWorked, "95", ""}, false, {"60", "80", "100", "120", "140", "160", "0", "2", "4", "12"}},
      // Two decades, with room for 2 and 5 times each power of ten.
      {"NarrowLogarithmic", {kWorked, "99", ""}, true, {"10", "20", "50", "100", "200", "500", "1000"}},
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
      // Room for 2 and 5 once they stand more than a line and a fifth apart.
      {"NarrowLogarithmicInALowChart", {kWorked, "99", ""}, true, {"20", "50", "200", "500"}, {640, 260, 16}},
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
    for (const char* tick : c.ticks) EXPECT_TRUE(Has(texts, tick)) << c.name << ": " << tick;
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

TextWidth WidthIn(double line) {
  return [line](std::string_view text) { return Width(text, line); };
}

ChartDrawing DrawWith(const DistributionView& view, const ChartOptions& options,
                      const ChartArea& area = {640, 400, 16}) {
  return DrawChart(view, area, WidthIn(area.lineHeight), options);
}

const PriceDistribution& DistributionIn(const DistributionView& view) {
  return std::get<DistributionChart>(view.chart).distribution;
}

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

// The prices along a drawing's axis, from the labels of its ticks: their
// values and where they stand, across (below the plot) or up (left of it).
// A label at an end of the price axis moved inwards to stay inside the area
// does not stand at its tick, and is left out.
std::vector<TickLine> TicksAlong(const ChartDrawing& drawing, double line, bool logarithmic, bool across,
                                 double areaWidth = 640) {
  std::vector<TickLine> ticks;
  for (const Label& label : drawing.labels) {
    if (across && (label.topLeft.x <= 0 || label.topLeft.x + label.width >= areaWidth)) continue;
    const bool below = label.topLeft.y >= drawing.plot.bottom && label.topLeft.y < drawing.plot.bottom + line;
    const bool left = label.topLeft.x + label.width <= drawing.plot.left &&
                      label.topLeft.y + line / 2 >= drawing.plot.top - 1 &&
                      label.topLeft.y + line / 2 <= drawing.plot.bottom + 1;
    if (across ? !below : !left) continue;
    const double value = ValueOfText(label.text);
    ticks.push_back({logarithmic && across ? std::log10(value) : value,
                     across ? label.topLeft.x + label.width / 2 : label.topLeft.y + line / 2});
  }
  std::sort(ticks.begin(), ticks.end(), [](TickLine a, TickLine b) { return a.value < b.value; });
  return ticks;
}

// Where a value stands by the first and last ticks.
double Between(const std::vector<TickLine>& ticks, double value) {
  const TickLine& a = ticks.front();
  const TickLine& b = ticks.back();
  return a.y + (value - a.value) / (b.value - a.value) * (b.y - a.y);
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
  // Too small an area is the fan's message too.
  EXPECT_EQ(DrawWith(view, {false, true, std::nullopt}, {250, 400, 16}).labels.at(0).text, kTooSmallForChart);
}

}  // namespace
}  // namespace cotalia
