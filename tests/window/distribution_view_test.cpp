// SPDX-License-Identifier: GPL-3.0-or-later
// What the distribution window shows, before any toolkit paints it.
#include "distribution_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace cotalia {
namespace {

const DistributionTexts kWorked{"100", "10", "20", "12"};

std::vector<std::string> TextsOf(const DistributionView& view) {
  std::vector<std::string> texts;
  for (const Figure& figure : view.figures) texts.push_back(figure.label + " = " + figure.text);
  return texts;
}

// At 95 % the band is the form's, digit for digit; the median is e^(Media Dn).
TEST(ViewOf, FiguresAtTheHorizon) {
  EXPECT_EQ(
      TextsOf(ViewOf({kWorked, "95", "130"})),
      (std::vector<std::string>{"z = 1.96", "Precio Minimo = 73.1981528228311",
                                "Precio Maximo = 160.319738372657", "Mediana = 108.328706767496",
                                "Precio Esperado = 110.517091807565", "Variacion esperada = 22.3263055970384",
                                "Por encima de 130 = 18.09 %", "Por debajo de 130 = 81.91 %"}));
  const std::vector<std::string> at99 = TextsOf(ViewOf({kWorked, "99", ""}));
  ASSERT_EQ(at99.size(), 6u);
  EXPECT_EQ(at99[0], "z = 2.5758293035489");
  EXPECT_EQ(at99[1], "Precio Minimo = 64.7157320203497");
  EXPECT_EQ(at99[2], "Precio Maximo = 181.333168049895");
}

TEST(ViewOf, AMessageNamesTheInput) {
  const struct {
    DistributionRequest request;
    const char* message;
  } cases[] = {
      {{{"0", "10", "20", "12"}, "95", ""}, "Valor Actual: escriba un número mayor que cero"},
      {{{"100", "10%", "20", "12"}, "95", ""}, "Rendimiento: escriba un número"},
      {{{"100", "10", "x", "12"}, "95", ""}, "Volatilidad: escriba un número"},
      {{{"100", "10", "20", "-3"}, "95", ""}, "Tiempo: escriba un número de meses no negativo"},
      {{{"100", "10", "20", "1E400"}, "95", ""}, "Tiempo: el número excede el rango de los números"},
      {{kWorked, "100", ""}, "Nivel de confianza: escriba un número entre 50 y 99.9999"},
      {{{"100", "1E5", "20", "12"}, "95", ""},
       "Rendimiento, Volatilidad y Tiempo dan un resultado que excede el rango de los números"},
  };
  for (const auto& c : cases) {
    const DistributionView view = ViewOf(c.request);
    EXPECT_EQ(view.message, c.message);
    EXPECT_FALSE(view.distribution.has_value()) << c.message;
  }
  const DistributionView badTarget = ViewOf({kWorked, "95", "-1"});
  ASSERT_TRUE(badTarget.distribution.has_value());
  EXPECT_EQ(TextsOf(badTarget).back(), "Precio objetivo = Precio objetivo: escriba un número mayor que cero");
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

const Shape* ShapeOf(const ChartDrawing& drawing, Ink ink) {
  for (const Shape& shape : drawing.shapes) {
    if (shape.ink == ink) return &shape;
  }
  return nullptr;
}

// The degenerate and the extreme inputs still give a chart: every point
// finite and inside the area, the band around the median.
TEST(DrawChart, EveryPointInsideTheArea) {
  const struct {
    const char* name;
    DistributionRequest request;
    bool logarithmic;
    std::size_t bandPoints;
  } cases[] = {
      {"WorkedExample", {kWorked, "95", "130"}, false, 130},
      {"WorkedExampleLogarithmic", {kWorked, "99", "130"}, true, 130},
      {"NoVolatilityBandIsALine", {{"100", "10", "0", "12"}, "95", ""}, false, 130},
      {"NoHorizonIsAPoint", {{"100", "10", "20", "0"}, "95", ""}, false, 2},
      {"ManyDecades", {{"100", "10", "150", "360"}, "99.9999", ""}, true, 130},
      {"ManyDecadesLinear", {{"100", "10", "150", "360"}, "99.9999", ""}, false, 130},
      {"TargetFarAboveTheBand", {kWorked, "95", "1E300"}, true, 130},
      {"TargetFarBelowTheBand", {kWorked, "95", "1E-300"}, false, 130},
      {"TinyPrice", {{"4.9E-324", "0", "0", "0"}, "95", ""}, false, 2},
      {"LargePrice", {{"1E150", "0", "0", "12"}, "95", ""}, true, 130},
      {"LargePriceLinear", {{"1E100", "10", "40", "1200"}, "95", ""}, false, 130},
  };
  const ChartArea area{640, 400, 16};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const DistributionView view = ViewOf(c.request);
    ASSERT_TRUE(view.distribution.has_value()) << view.message;
    const ChartDrawing drawing = DrawChart(view, area, c.logarithmic);
    const Shape* band = ShapeOf(drawing, Ink::Band);
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(band->points.size(), c.bandPoints);
    for (const Shape& shape : drawing.shapes) {
      for (const Point& point : shape.points) {
        ASSERT_TRUE(point.x >= 0 && point.x <= area.width && point.y >= 0 && point.y <= area.height)
            << static_cast<int>(shape.ink) << " at " << point.x << ", " << point.y;
      }
    }
    const Shape* median = ShapeOf(drawing, Ink::Median);
    ASSERT_NE(median, nullptr);
    const std::size_t last = median->points.size() - 1;
    // y grows downwards: the band's top edge is above the median, its bottom below.
    EXPECT_LE(band->points[last].y, median->points[last].y);
    EXPECT_GE(band->points[last + 1].y, median->points[last].y);
    EXPECT_GE(drawing.labels.size(), 5u);
  }
}

TEST(DrawChart, AxesHaveRoundTicks) {
  const DistributionView view = ViewOf({kWorked, "95", ""});
  std::vector<std::string> linear;
  for (const Label& label : DrawChart(view, {640, 400, 16}, false).labels) linear.push_back(label.text);
  for (const char* tick : {"60", "80", "100", "120", "140", "160", "0", "2", "4", "12", "Meses", "Precio"}) {
    EXPECT_NE(std::find(linear.begin(), linear.end(), tick), linear.end()) << tick;
  }
  std::vector<std::string> logarithmic;
  for (const Label& label :
       DrawChart(ViewOf({{"100", "10", "150", "360"}, "99.9999", ""}), {640, 400, 16}, true).labels) {
    logarithmic.push_back(label.text);
  }
  for (const char* tick : {"1E-30", "1", "100000", "Meses"}) {
    EXPECT_NE(std::find(logarithmic.begin(), logarithmic.end(), tick), logarithmic.end()) << tick;
  }
}

TEST(DrawChart, AMessageInPlaceOfTheChart) {
  const ChartDrawing drawing = DrawChart(ViewOf({{"0", "10", "20", "12"}, "95", ""}), {640, 400, 16}, false);
  EXPECT_TRUE(drawing.shapes.empty());
  ASSERT_EQ(drawing.labels.size(), 1u);
  EXPECT_EQ(drawing.labels[0].text, "Valor Actual: escriba un número mayor que cero");
  const ChartDrawing small = DrawChart(ViewOf({kWorked, "95", ""}), {60, 40, 16}, false);
  EXPECT_TRUE(small.shapes.empty());
  EXPECT_EQ(small.labels.at(0).text, "Agrande la ventana para ver el gráfico");
}

}  // namespace
}  // namespace cotalia
