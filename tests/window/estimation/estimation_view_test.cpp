// SPDX-License-Identifier: GPL-3.0-or-later
// What the estimation window reads and shows, before any toolkit paints it.
#include "window/estimation/estimation_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/numeric_runtime.h"
#include "model/runtime/elementary_functions.h"
#include "window/distribution/distribution_description.h"
#include "window/estimation/estimation_description.h"
#include "window/form/menu_bar.h"

namespace cotalia {
namespace {

// Four years' closes that double every year: every log return is ln 2, so
// the deviation is 0 and the return is ln 2 a year.
constexpr std::string_view kDoubling =
    "Date,Close\n2020-12-31,100\n2021-12-31,200\n2022-12-31,400\n2023-12-31,800\n";

// A week of daily closes, newest first, with a day left without a price.
constexpr std::string_view kWeek =
    "Fecha;Cierre;Apertura\n"
    "19.01.2024;102,5;101\n"
    "18.01.2024;;100\n"
    "17.01.2024;99,5;99\n"
    "16.01.2024;101;100\n"
    "15.01.2024;100;98\n";

EstimationState Read(std::string_view text) { return ReadPriceText(text, {}); }

std::vector<std::string> TextsOf(const EstimationView& view) {
  std::vector<std::string> texts;
  for (const Figure& figure : view.figures) texts.push_back(figure.label + " = " + figure.text);
  return texts;
}

std::string MessageIn(const EstimationView& view) {
  const auto* message = std::get_if<std::string>(&view.charts);
  return message != nullptr ? *message : "(charts)";
}

TEST(EstimationViewOf, FiguresOfAHistory) {
  const EstimationState state = Read(kDoubling);
  EXPECT_EQ(PeriodsTextOf(state), "1");
  EXPECT_EQ(TextsOf(EstimationViewOf(state, PeriodsTextOf(state))),
            (std::vector<std::string>{
                "Origen = Portapapeles", "Columna de precios = Close", "Precios = 4", "Rendimientos = 3",
                "Primera fecha = 2020-12-31", "Última fecha = 2023-12-31",
                "Orden de las fechas = año-mes-día", "Periodos por año = 1", "Volatilidad (% anual) = 0",
                "Volatilidad, intervalo del 95 % = 0 a 0", "Rendimiento (% anual) = 69.3147180559945",
                "Rendimiento, intervalo del 95 % = 69.31 a 69.31", "Valor Actual = 800"}));
}

// What "Usar en el formulario" writes: the figures' own texts, each one the
// form's strict reader takes.
TEST(EstimationViewOf, FormInputsAreTheFiguresAsTyped) {
  for (const std::string_view text : {kDoubling, kWeek}) {
    const EstimationState state = Read(text);
    const EstimationView view = EstimationViewOf(state, PeriodsTextOf(state));
    ASSERT_TRUE(view.formInputs.has_value()) << MessageIn(view);
    const auto figure = [&view](std::string_view label) {
      for (const Figure& f : view.figures) {
        if (f.label == label) return f.text;
      }
      return std::string("(none)");
    };
    EXPECT_EQ(view.formInputs->price, figure("Valor Actual"));
    EXPECT_EQ(view.formInputs->rate, figure("Rendimiento (% anual)"));
    EXPECT_EQ(view.formInputs->volatility, figure("Volatilidad (% anual)"));
    for (const std::string& typed :
         {view.formInputs->price, view.formInputs->rate, view.formInputs->volatility}) {
      EXPECT_NO_THROW(NumberFromText(typed)) << typed;
    }
  }
}

// The newest-first week: read oldest first, the empty close left out and
// counted, the comma read as the decimal separator, the dates day first.
TEST(EstimationViewOf, AWeekNewestFirstWithARowLeftOut) {
  const EstimationState state = Read(kWeek);
  const EstimationView view = EstimationViewOf(state, "252");
  const std::vector<std::string> texts = TextsOf(view);
  for (const char* expected :
       {"Precios = 4", "Rendimientos = 3", "Primera fecha = 2024-01-15", "Última fecha = 2024-01-19",
        "Orden de las fechas = día/mes/año", "Filas sin precio = 1, omitidas", "Valor Actual = 102.5"}) {
    EXPECT_NE(std::find(texts.begin(), texts.end(), expected), texts.end()) << expected;
  }
  // The dates are no column of prices to choose.
  EXPECT_EQ(ColumnNamesOf(state), (std::vector<std::string>{"Cierre", "Apertura"}));
  EXPECT_EQ(PriceColumnsOf(*std::get<LoadedPrices>(state).table), (std::vector<std::size_t>{1, 2}));
  EXPECT_EQ(ColumnOf(state), 0u);
  EXPECT_EQ(ColumnOf(ReadPriceColumn(std::get<LoadedPrices>(state), 2, {})), 1u);
  const EstimationState undated = Read("Cierre;Apertura\n1;2\n2;3\n4;5\n");
  EXPECT_EQ(ColumnNamesOf(undated), (std::vector<std::string>{"Cierre", "Apertura"}));
}

// Under the figures: a line where the periods a year do not agree with the
// dates (more than half again, or under two thirds, of theirs) or where
// there are no dates to check them, then why the return's interval is wide;
// nothing without figures.
TEST(EstimationViewOf, NoteChecksThePeriodsAgainstTheDates) {
  const std::string interval(kReturnIntervalNote);
  const struct {
    std::string_view text;
    const char* periods;
    std::string note;
  } cases[] = {
      {kWeek, "252", interval},
      {kWeek, "378", interval},
      {kWeek, "379", "Periodos por año: 379 no concuerda con las fechas, que dan 252 por año.\n" + interval},
      {kWeek, "168", interval},
      {kWeek, "167.5",
       "Periodos por año: 167.5 no concuerda con las fechas, que dan 252 por año.\n" + interval},
      {kWeek, "12", "Periodos por año: 12 no concuerda con las fechas, que dan 252 por año.\n" + interval},
      {kDoubling, "1", interval},
      {kDoubling, "252",
       "Periodos por año: 252 no concuerda con las fechas, que dan 1 por año.\n" + interval},
      {"Close\n1\n2\n4\n", "252", "Sin fechas: se suponen 252 periodos por año.\n" + interval},
      {"Close\n1\n2\n4\n", "12", "Sin fechas: se suponen 12 periodos por año.\n" + interval},
      {kWeek, "0", ""},
      {"Close\n1\n2\n", "252", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(EstimationViewOf(Read(c.text), c.periods).note, c.note) << c.periods;
}

TEST(EstimationViewOf, AMessageInPlaceOfTheFigures) {
  const struct {
    std::string_view text;
    std::string_view periods;
    const char* message;
  } cases[] = {
      {"", "252", "El portapapeles no contiene texto."},
      {" \r\n\t", "252", "El portapapeles no contiene texto."},
      {std::string_view("a\0b", 3), "252",
       "«Portapapeles»: No es un archivo de texto: contiene bytes nulos."},
      {"Date,Close\n2024-01-02,100\n2024-01-03,abc\n2024-01-04,101\n", "252",
       "«Portapapeles»: Línea 3, columna «Close»: el precio no es un número."},
      {"Date,Close\n2024-01-02,100\n2024-01-03,0\n2024-01-04,101\n", "252",
       "«Portapapeles»: Línea 3, columna «Close»: el precio debe ser mayor que cero."},
      {"Date,Close\n2024-01-02,100\n2024-01-03,101\n2024-01-02,102\n", "252",
       "«Portapapeles»: Líneas 2 y 4, columna «Date»: la misma fecha dos veces."},
      {"Date,Close\n2024-01-02,100\n2024-01-03,101\n", "252",
       "«Portapapeles»: Hacen falta al menos tres precios; hay 2."},
      {kDoubling, "", "Periodos por año: escriba un número mayor que cero."},
      {kDoubling, "0", "Periodos por año: escriba un número mayor que cero."},
      {kDoubling, "-12", "Periodos por año: escriba un número mayor que cero."},
      {kDoubling, "doce", "Periodos por año: escriba un número mayor que cero."},
      {kDoubling, "1E400", "Periodos por año: escriba un número mayor que cero."},
      {kWeek, "1E308", "Periodos por año: el resultado excede el rango de los números."},
  };
  for (const auto& c : cases) {
    const EstimationView view = EstimationViewOf(Read(c.text), c.periods);
    EXPECT_EQ(MessageIn(view), c.message) << c.text << " / " << c.periods;
    EXPECT_TRUE(view.figures.empty());
    EXPECT_FALSE(view.formInputs.has_value());
    EXPECT_EQ(view.historyDescription, c.message);
    EXPECT_EQ(view.note, "");
  }
  EXPECT_NE(MessageIn(EstimationViewOf(EstimationState{}, "252")).find("Abrir precios"), std::string::npos);
}

// A file in a folder of the test's own, removed at the end.
class PriceFile : public testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() /
        ("cotalia-estimation-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::filesystem::path Write(const std::string& name, std::string_view bytes) const {
    const std::filesystem::path path = folder_ / std::filesystem::u8path(name);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  std::filesystem::path folder_;
};

TEST_F(PriceFile, ReadsOnlyWhatItCanAndSaysWhy) {
  const std::filesystem::path good = Write("cierres ñandú €.csv", kDoubling);
  const EstimationState read = ReadPriceFile(good, {});
  ASSERT_TRUE(std::holds_alternative<LoadedPrices>(read));
  EXPECT_EQ(std::get<LoadedPrices>(read).source, "cierres ñandú €.csv");
  std::ifstream still(good, std::ios::binary);
  EXPECT_TRUE(still.good()) << "the file is left as it was";

  const std::filesystem::path large = Write("grande.csv", kDoubling);
  std::filesystem::resize_file(large, kLargestHistoryBytes + 1);  // sparse: no disk taken
  const struct {
    std::filesystem::path path;
    std::string message;
  } cases[] = {
      {folder_ / "no-existe.csv", "No se puede leer el archivo «no-existe.csv»."},
      {folder_, "No se puede leer el archivo «" + folder_.filename().string() + "»."},
      {large, "«grande.csv»: El archivo pasa de 1 GiB, el mayor que se lee."},
  };
  for (const auto& c : cases) {
    const EstimationState state = ReadPriceFile(c.path, {});
    ASSERT_TRUE(std::holds_alternative<std::string>(state)) << c.path;
    EXPECT_EQ(std::get<std::string>(state), c.message);
  }
}

// A reading that is asked to stop stops, and says so.
TEST(ReadPriceText, StopsWhenAsked) {
  std::string large = "Close\n";
  for (int i = 0; i < 400000; ++i) large += i % 2 == 0 ? "100.5\n" : "101.25\n";
  bool stopped = false;
  const EstimationState cancelled = ReadPriceText(large, [&stopped](double) {
    stopped = true;
    return false;
  });
  EXPECT_TRUE(stopped);
  EXPECT_EQ(std::get<std::string>(cancelled), "Lectura cancelada.");
}

// A long reading's progress goes from nought to the whole, never back,
// through the table and then the prices.
TEST(ReadPriceText, ReportsItsProgressInOrder) {
  std::string large = "Close\n";
  for (int i = 0; i < 400000; ++i) large += i % 2 == 0 ? "100.5\n" : "101.25\n";
  std::vector<double> reported;
  const EstimationState state = ReadPriceText(large, [&reported](double done) {
    reported.push_back(done);
    return true;
  });
  ASSERT_TRUE(std::holds_alternative<LoadedPrices>(state));
  ASSERT_FALSE(reported.empty());
  EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
  EXPECT_GE(reported.front(), 0);
  EXPECT_LE(reported.back(), 1);
  EXPECT_GT(reported.back(), 0.6);
}

double Width(std::string_view text, double line) { return 0.6 * line * static_cast<double>(text.size()); }

bool Inside(const ChartDrawing& drawing) {
  const PlotBox& plot = drawing.plot;
  for (const Shape& shape : drawing.shapes) {
    for (const Point& point : shape.points) {
      if (!(point.x >= plot.left && point.x <= plot.right && point.y >= plot.top && point.y <= plot.bottom)) {
        return false;
      }
    }
  }
  return true;
}

// The history's line through every price, its lowest and highest on the
// plot's bottom and top where the axis ends at them; the histogram's bars
// as many returns as there are, under the normal curve.
TEST(DrawEstimation, HistoryAndReturnsInsideThePlot) {
  std::string text = "Date,Close\n";
  double price = 100;
  for (int day = 0; day < 3000; ++day) {
    price *= day % 3 == 0 ? 1.01 : 0.997;
    text += IsoTextOfDay(DayOf({2010, 1, 1}) + day) + "," + TextOfNumber(price) + "\n";
  }
  const EstimationState state = Read(text);
  const EstimationView view = EstimationViewOf(state, "252");
  ASSERT_TRUE(std::holds_alternative<EstimationCharts>(view.charts)) << MessageIn(view);
  const ChartArea area{620, 300, 16};
  const TextWidth width = [](std::string_view t) { return Width(t, 16); };
  for (const bool logarithmic : {false, true}) {
    const ChartDrawing history = DrawHistory(view, area, width, logarithmic);
    EXPECT_TRUE(Inside(history));
    const auto line = std::find_if(history.shapes.begin(), history.shapes.end(),
                                   [](const Shape& s) { return s.ink == Ink::Median; });
    ASSERT_NE(line, history.shapes.end());
    // At most four points to a pixel's column, from the first day to the last.
    EXPECT_LE(line->points.size(), 4 * static_cast<std::size_t>(history.plot.right - history.plot.left + 1));
    EXPECT_EQ(line->points.front().x, history.plot.left);
    EXPECT_EQ(line->points.back().x, history.plot.right);
    std::vector<std::string> ticks;
    for (const Label& label : history.labels) ticks.push_back(label.text);
    for (const char* year : {"2012", "2014", "2016"}) {
      EXPECT_NE(std::find(ticks.begin(), ticks.end(), year), ticks.end()) << year;
    }
  }
  const ChartDrawing returns = DrawReturns(view, area, width);
  EXPECT_TRUE(Inside(returns));
  const auto& charts = std::get<EstimationCharts>(view.charts);
  std::size_t counted = 0;
  for (const std::size_t count : charts.histogram.counts) counted += count;
  EXPECT_EQ(counted, charts.read->returns.size());
  std::size_t bars = 0;
  for (const Shape& shape : returns.shapes) bars += shape.ink == Ink::Band ? 1 : 0;
  EXPECT_EQ(bars, static_cast<std::size_t>(std::count_if(charts.histogram.counts.begin(),
                                                         charts.histogram.counts.end(),
                                                         [](std::size_t c) { return c > 0; })));

  // A message, and an area too small, draw a message alone.
  EXPECT_EQ(DrawHistory(EstimationViewOf(EstimationState{}, "252"), area, width, false).labels.size(), 1u);
  const ChartDrawing small = DrawReturns(view, {80, 60, 16}, width);
  ASSERT_EQ(small.labels.size(), 1u);
  EXPECT_EQ(small.labels[0].text, kTooSmallForChart);
}

const Shape& ShapeIn(const ChartDrawing& drawing, Ink ink) {
  const auto shape = std::find_if(drawing.shapes.begin(), drawing.shapes.end(), [ink](const Shape& s) {
    return s.ink == ink && s.kind == ShapeKind::Line;
  });
  if (shape == drawing.shapes.end()) ADD_FAILURE() << "no line in ink " << static_cast<int>(ink);
  return *shape;
}

// Prices that double every day: a step up the logarithmic axis the same
// every day, one up the linear axis twice the one before; a day a step
// along.
TEST(DrawEstimation, PricesStandWhereTheirValuesSay) {
  std::string text = "Date,Close\n";
  for (int day = 0; day < 10; ++day) {
    text += IsoTextOfDay(DayOf({2024, 1, 1}) + day) + "," + std::to_string(1 << day) + "\n";
  }
  const EstimationView view = EstimationViewOf(Read(text), "252");
  const TextWidth width = [](std::string_view t) { return Width(t, 16); };
  for (const bool logarithmic : {false, true}) {
    const ChartDrawing drawing = DrawHistory(view, {640, 400, 16}, width, logarithmic);
    const std::vector<Point>& points = ShapeIn(drawing, Ink::Median).points;
    ASSERT_EQ(points.size(), 10u);
    for (std::size_t i = 2; i < points.size(); ++i) {
      const double rise = points[i - 1].y - points[i].y;
      const double before = points[i - 2].y - points[i - 1].y;
      EXPECT_GT(rise, 0) << i;
      EXPECT_NEAR(rise / before, logarithmic ? 1.0 : 2.0, 1e-9)
          << i << (logarithmic ? " logarithmic" : " linear");
      EXPECT_NEAR(points[i].x - points[i - 1].x, points[i - 1].x - points[i - 2].x, 1e-9) << i;
    }
  }
}

// Three thousand prices growing by one ratio, several to a pixel's column:
// on the logarithmic axis every point drawn lies on the one straight line
// from the first day's price to the last.
TEST(DrawEstimation, ManyPricesToAColumnStayOnTheirLine) {
  std::string text = "Date,Close\n";
  for (int day = 0; day < 3000; ++day) {
    text += IsoTextOfDay(DayOf({2010, 1, 1}) + day) + "," +
            TextOfNumber(100 * CorrectlyRoundedExp(0.001 * day)) + "\n";
  }
  const EstimationView view = EstimationViewOf(Read(text), "252");
  const ChartDrawing drawing = DrawHistory(
      view, {640, 400, 16}, [](std::string_view t) { return Width(t, 16); }, true);
  const std::vector<Point>& points = ShapeIn(drawing, Ink::Median).points;
  ASSERT_GT(points.size(), 500u);
  const Point first = points.front();
  const Point last = points.back();
  for (const Point& point : points) {
    const double onLine = first.y + (last.y - first.y) * (point.x - first.x) / (last.x - first.x);
    EXPECT_NEAR(point.y, onLine, 1e-6) << point.x;
  }
}

// Each bar as tall as its count, side by side at the bins' width; the normal
// curve's peak at the mean, as tall as n w phi(0)/s in the bars' scale.
TEST(DrawEstimation, BarsAndCurveStandWhereTheirValuesSay) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> noise(-0.02, 0.02);
  std::string text = "Close\n";
  double price = 100;
  for (int i = 0; i < 2000; ++i) {
    price *= 1.01 + noise(random) + noise(random);
    text += TextOfNumber(price) + "\n";
  }
  const EstimationView view = EstimationViewOf(Read(text), "252");
  ASSERT_TRUE(std::holds_alternative<EstimationCharts>(view.charts)) << MessageIn(view);
  const auto& charts = std::get<EstimationCharts>(view.charts);
  const Histogram& histogram = charts.histogram;
  const ChartDrawing drawing =
      DrawReturns(view, {640, 400, 16}, [](std::string_view t) { return Width(t, 16); });
  std::vector<const Shape*> bars;
  for (const Shape& shape : drawing.shapes) {
    if (shape.ink == Ink::Band) bars.push_back(&shape);
  }
  // Pixels a return, along and up, from the first bar.
  std::size_t first = 0;
  while (histogram.counts[first] == 0) ++first;
  const std::vector<Point>& corners = bars.front()->points;  // bottom left, top left, top right, bottom right
  const double bottom = corners[0].y;
  const double perCount = (bottom - corners[1].y) / static_cast<double>(histogram.counts[first]);
  const double perReturn = (corners[2].x - corners[1].x) / histogram.width;
  const auto x = [&](double value) {
    return corners[0].x +
           (value - (histogram.low + histogram.width * static_cast<double>(first))) * perReturn;
  };
  std::size_t bar = 0;
  for (std::size_t b = 0; b < histogram.counts.size(); ++b) {
    if (histogram.counts[b] == 0) continue;
    const std::vector<Point>& p = bars.at(bar++)->points;
    EXPECT_NEAR(p[0].y, bottom, 1e-9) << b;
    EXPECT_NEAR(bottom - p[1].y, perCount * static_cast<double>(histogram.counts[b]), 1e-6) << b;
    EXPECT_NEAR(p[1].x, x(histogram.low + histogram.width * static_cast<double>(b)), 1e-6) << b;
    EXPECT_NEAR(p[2].x, x(histogram.low + histogram.width * static_cast<double>(b + 1)), 1e-6) << b;
  }
  EXPECT_EQ(bar, bars.size());
  const std::vector<Point>& curve = ShapeIn(drawing, Ink::Expected).points;
  const Point peak =
      *std::min_element(curve.begin(), curve.end(), [](Point a, Point b) { return a.y < b.y; });
  const Estimate& estimate = charts.estimate;
  const double sampleStep = (curve.back().x - curve.front().x) / static_cast<double>(curve.size() - 1);
  EXPECT_NEAR(peak.x, x(estimate.meanReturn), sampleStep);
  const double tallest = static_cast<double>(charts.read->returns.size()) * histogram.width /
                         (estimate.deviation * 2.5066282746310002);
  EXPECT_NEAR((bottom - peak.y) / perCount, tallest, 0.01 * tallest);
}

const EstimationCharts& ChartsOf(const EstimationView& view) {
  const auto* charts = std::get_if<EstimationCharts>(&view.charts);
  if (charts == nullptr) throw std::runtime_error(MessageIn(view));
  return *charts;
}

std::string CloseColumn(const std::vector<double>& prices) {
  std::string text = "Close\n";
  for (const double price : prices) text += TextOfNumber(price) + "\n";
  return text;
}

// Twice the cube root of the number of returns, rounded down, from 5 to 80
// bins.
TEST(HistogramOfReturns, BinsByRicesRule) {
  const struct {
    std::size_t returns;
    std::size_t bins;
  } cases[] = {{3, 5},   {26, 5},   {27, 6},     {63, 6},     {64, 8},
               {124, 8}, {125, 10}, {63999, 78}, {64000, 80}, {68921, 80}};
  for (const auto& c : cases) {
    std::vector<double> prices;
    for (std::size_t i = 0; i <= c.returns; ++i) prices.push_back(static_cast<double>(100 + (i * 37) % 11));
    const EstimationView view = EstimationViewOf(Read(CloseColumn(prices)), "252");
    EXPECT_EQ(ChartsOf(view).histogram.counts.size(), c.bins) << c.returns;
  }
}

// Returns all alike: one bin around them, a hundredth of their size each
// side, or a thousandth where they are nought.
TEST(HistogramOfReturns, OneBinForReturnsAllAlike) {
  const struct {
    std::vector<double> prices;
    double halfWidthPerReturn;  // where the returns are not nought
  } cases[] = {{{100, 100, 100, 100}, 0}, {{100, 200, 400, 800}, 0.01}, {{800, 400, 200, 100}, 0.01}};
  for (const auto& c : cases) {
    const EstimationView view = EstimationViewOf(Read(CloseColumn(c.prices)), "252");
    const EstimationCharts& charts = ChartsOf(view);
    const double r = charts.read->returns.front();
    const double half = r == 0 ? 0.001 : std::abs(r) * c.halfWidthPerReturn;
    EXPECT_EQ(charts.histogram.counts, std::vector<std::size_t>{3}) << r;
    EXPECT_DOUBLE_EQ(charts.histogram.low, r - half) << r;
    EXPECT_DOUBLE_EQ(charts.histogram.width, 2 * half) << r;
  }
}

// Returns of ln 2, -ln 2, 0, ln 2 and ln 1.5 in five bins from -ln 2 to
// ln 2: the highest in the last.
TEST(HistogramOfReturns, EachReturnInItsBin) {
  const EstimationView view = EstimationViewOf(Read(CloseColumn({100, 200, 100, 100, 200, 300})), "252");
  const EstimationCharts& charts = ChartsOf(view);
  EXPECT_DOUBLE_EQ(charts.histogram.low, -CorrectlyRoundedLog(2));
  EXPECT_DOUBLE_EQ(charts.histogram.width, 2 * CorrectlyRoundedLog(2) / 5);
  EXPECT_EQ(charts.histogram.counts, (std::vector<std::size_t>{1, 0, 1, 1, 2}));
}

// A crash among calm returns: the axis holds the bulk of them, the crash is
// counted left of it, in the description and at the axis's end; every
// return is counted once. Calm returns alone keep every return on the axis.
TEST(HistogramOfReturns, AnExtremeReturnCountedAtTheEdge) {
  std::vector<double> prices;
  for (std::size_t i = 0; i < 200; ++i) prices.push_back(static_cast<double>(100 + (i * 37) % 11));
  for (const bool crash : {false, true}) {
    std::vector<double> history = prices;
    if (crash) history.push_back(50);
    const EstimationView view = EstimationViewOf(Read(CloseColumn(history)), "252");
    const EstimationCharts& charts = ChartsOf(view);
    const Histogram& histogram = charts.histogram;
    std::size_t counted = histogram.below + histogram.above;
    for (const std::size_t count : histogram.counts) counted += count;
    EXPECT_EQ(counted, charts.read->returns.size()) << crash;
    EXPECT_EQ(histogram.below, crash ? 1u : 0u);
    EXPECT_EQ(histogram.above, 0u);
    const double lowest = *std::min_element(charts.read->returns.begin(), charts.read->returns.end());
    EXPECT_EQ(histogram.low > lowest, crash);
    EXPECT_EQ(view.returnsDescription.find("1 por debajo y 0 por encima quedan fuera") != std::string::npos,
              crash);
    const ChartDrawing drawing =
        DrawReturns(view, {640, 400, 16}, [](std::string_view t) { return Width(t, 16); });
    const bool marked = std::any_of(drawing.labels.begin(), drawing.labels.end(),
                                    [](const Label& label) { return label.text == "\u2190 1"; });
    EXPECT_EQ(marked, crash);
  }
}

// Dips and spikes among three thousand prices, five or so to a pixel's
// column: each is drawn, wherever in its column it falls.
TEST(DrawEstimation, EachColumnDrawsItsLowestAndHighest) {
  std::vector<double> prices;
  for (int i = 0; i < 3000; ++i) {
    double price = 100 + 0.5 * (i % 7);
    if (i % 100 == 50) price = 90 - 0.001 * i;
    if (i % 100 == 75) price = 110 + 0.001 * i;
    prices.push_back(price);
  }
  const EstimationView view = EstimationViewOf(Read(CloseColumn(prices)), "252");
  const ChartDrawing drawing = DrawHistory(
      view, {640, 400, 16}, [](std::string_view t) { return Width(t, 16); }, false);
  const std::vector<Point>& points = ShapeIn(drawing, Ink::Median).points;
  const Point first = points.front();
  const Point last = points.back();
  const auto priceAt = [&](double y) {
    return prices.front() + (y - first.y) * (prices.back() - prices.front()) / (last.y - first.y);
  };
  const auto xOf = [&](std::size_t i) {
    return first.x + (last.x - first.x) * static_cast<double>(i) / static_cast<double>(prices.size() - 1);
  };
  for (std::size_t i = 0; i < prices.size(); ++i) {
    if (i % 100 != 50 && i % 100 != 75) continue;
    const bool drawn = std::any_of(points.begin(), points.end(), [&](const Point& point) {
      return std::abs(point.x - xOf(i)) < 1e-6 && std::abs(priceAt(point.y) - prices[i]) < 1e-6;
    });
    EXPECT_TRUE(drawn) << i;
  }
}

// The ticks along each chart's foot: as many as fit, however few (one) and
// however many (eight dates, six numbers), over three thousand prices.
TEST(DrawEstimation, TicksAlongTheFootFromOneToTheMost) {
  enum class Chart { DatedHistory, History, Returns };
  const struct {
    Chart chart;
    double width;
    int ticks;
  } cases[] = {{Chart::DatedHistory, 120, 1},
               {Chart::DatedHistory, 6000, 8},
               {Chart::History, 6000, 6},
               {Chart::Returns, 120, 1},
               {Chart::Returns, 6000, 6}};
  std::string dated = "Date,Close\n";
  std::string undated = "Close\n";
  for (int day = 0; day < 3000; ++day) {
    const std::string price = TextOfNumber(100 + (day * 37) % 11);
    dated += IsoTextOfDay(DayOf({2010, 1, 1}) + day) + "," + price + "\n";
    undated += price + "\n";
  }
  const TextWidth width = [](std::string_view t) { return 0.8 * static_cast<double>(t.size()); };
  for (const auto& c : cases) {
    const EstimationView view =
        EstimationViewOf(Read(c.chart == Chart::DatedHistory ? dated : undated), "252");
    const EstimationCharts& charts = ChartsOf(view);
    const ChartArea area{c.width, 300, 16};
    ChartDrawing drawing;
    Axis axis;
    if (c.chart == Chart::Returns) {
      drawing = DrawReturns(view, area, width);
      const Histogram& histogram = charts.histogram;
      axis = LinearAxis(histogram.low,
                        histogram.low + histogram.width * static_cast<double>(histogram.counts.size()),
                        c.ticks, false);
    } else {
      drawing = DrawHistory(view, area, width, false);
      const PriceHistory& history = charts.read->history;
      axis = c.chart == Chart::DatedHistory ? DateAxis(history.days.front(), history.days.back(), c.ticks)
                                            : LinearAxis(0, 2999, c.ticks, false);
    }
    std::vector<std::string> expected;
    for (const Tick& tick : axis.ticks) expected.push_back(tick.text);
    std::vector<std::string> drawn;
    for (const Label& label : drawing.labels) {
      if (label.topLeft.y > drawing.plot.bottom && label.topLeft.y < area.height - 2 * area.lineHeight) {
        drawn.push_back(label.text);
      }
    }
    EXPECT_EQ(drawn, expected) << c.width << " " << static_cast<int>(c.chart);
  }
}

TEST(DateAxis, TicksOnYearsMonthsOrTheEnds) {
  const struct {
    CivilDate first;
    CivilDate last;
    int ticks;
    std::vector<std::string> texts;
  } cases[] = {
      {{2019, 6, 15}, {2024, 3, 1}, 8, {"2020", "2021", "2022", "2023", "2024"}},
      {{2000, 1, 1}, {2024, 3, 1}, 6, {"2000", "2005", "2010", "2015", "2020"}},
      {{2023, 11, 20}, {2024, 4, 2}, 8, {"2023-12", "2024-01", "2024-02", "2024-03", "2024-04"}},
      {{2023, 2, 1}, {2024, 1, 31}, 4, {"2023-04", "2023-07", "2023-10", "2024-01"}},
      {{2024, 3, 4}, {2024, 3, 22}, 4, {"2024-03-04", "2024-03-22"}},
      {{2024, 3, 4}, {2024, 3, 4}, 4, {"2024-03-04"}},
  };
  for (const auto& c : cases) {
    const Axis axis = DateAxis(DayOf(c.first), DayOf(c.last), c.ticks);
    std::vector<std::string> texts;
    for (const Tick& tick : axis.ticks) {
      texts.push_back(tick.text);
      EXPECT_GE(axis.FractionOfPosition(tick.position), 0);
      EXPECT_LE(axis.FractionOfPosition(tick.position), 1);
    }
    EXPECT_EQ(texts, c.texts) << IsoTextOfDay(DayOf(c.first));
    EXPECT_LT(axis.low, axis.high);
  }
}

// Alt and a letter reach one control or menu of a window: no two captions
// of its table, nor its menu's titles, mark the same letter.
TEST(WindowTables, MnemonicsAreUniqueInEachWindow) {
  const struct {
    const char* window;
    std::span<const WindowControl> controls;
    std::span<const MenuItem> menu;
  } windows[] = {{"estimation", kEstimationControls, kEstimationMenuItems},
                 {"distribution", kDistributionControls, kDistributionMenuItems}};
  for (const auto& w : windows) {
    std::vector<std::string> captions;
    for (const WindowControl& control : w.controls) captions.emplace_back(control.caption);
    for (std::size_t i = 0; i < w.menu.size(); ++i) {
      if (i == 0 || w.menu[i].menu != w.menu[i - 1].menu) captions.emplace_back(w.menu[i].menu);
    }
    std::vector<char> letters;
    for (const std::string& caption : captions) {
      const std::size_t ampersand = caption.find('&');
      if (ampersand == std::string::npos || ampersand + 1 >= caption.size()) continue;
      const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(caption[ampersand + 1])));
      EXPECT_EQ(std::count(letters.begin(), letters.end(), letter), 0) << w.window << ": " << caption;
      letters.push_back(letter);
    }
    EXPECT_GE(letters.size(), 3u) << w.window;
  }
}

}  // namespace
}  // namespace cotalia
