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
#include "tests/window/distribution/drawing_checks.h"
#include "window/distribution/distribution_description.h"

namespace cotalia {
namespace {

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
      {{kWorked, "95", "1E400"},
       "Banda del 95 % de los precios a 12 meses: de 73.1981528228311 a 160.319738372657, con mediana "
       "108.328706767496. Precio objetivo: el número excede el rango de los números."},
      {{kWorked, "95", "", "130", "90"},
       "Banda del 95 % de los precios a 12 meses: de 73.1981528228311 a 160.319738372657, con mediana "
       "108.328706767496. Límite superior: escriba un número no menor que el límite inferior."},
      // A problem with the form's inputs is the whole description.
      {{{"100", "x", "20", "12"}, "95", ""}, "Rendimiento: escriba un número"},
      // A result beyond the range blames the box that causes it.
      {{{"1E308", "10", "20", "12"}, "95", ""},
       "Valor Actual: escriba un número menor: con este Rendimiento, Volatilidad y Tiempo el resultado "
       "excede "
       "el rango de los números"},
      {{{"100", "1E5", "20", "12"}, "95", ""},
       "Rendimiento, Volatilidad y Tiempo dan un resultado que excede el rango de los números"},
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

// Every row of the window's table has the role its name says (the names
// themselves give the rows their places while compiling), and each box is
// named by the label just before it.
TEST(DistributionDescription, NamesEachInputAfterItsLabel) {
  const struct {
    DistributionControl control;
    ControlRole role;
  } rows[] = {{DistributionControl::Level, ControlRole::TextBox},
              {DistributionControl::Target, ControlRole::TextBox},
              {DistributionControl::Lower, ControlRole::TextBox},
              {DistributionControl::Upper, ControlRole::TextBox},
              {DistributionControl::PriceAxis, ControlRole::Choice},
              {DistributionControl::ChartKind, ControlRole::Choice},
              {DistributionControl::Chart, ControlRole::Chart},
              {DistributionControl::Readout, ControlRole::Note},
              {DistributionControl::Figures, ControlRole::ReadOnlyText},
              {DistributionControl::Percentiles, ControlRole::ReadOnlyText}};
  for (const auto& row : rows) {
    const WindowControl& control = ControlOf(row.control);
    EXPECT_EQ(control.role, row.role) << control.name;
    EXPECT_FALSE(control.accessibleName.empty()) << control.name;
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

}  // namespace
}  // namespace cotalia
