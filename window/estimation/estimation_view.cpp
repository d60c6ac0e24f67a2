// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/estimation/estimation_view.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>

#include "model/numeric_runtime.h"
#include "model/runtime/elementary_functions.h"
#include "window/estimation/estimation_description.h"

namespace cotalia {

namespace {

// How much of a reading each step takes, for the progress bar: a file's
// bytes a quarter; of the rest, the table three fifths and the prices the
// others.
constexpr double kBytesShare = 0.25;
constexpr double kTableShareOfRest = 0.6;

// A part of the progress from `from` to `to`.
ReadProgress Part(const ReadProgress& progress, double from, double to) {
  if (!progress) return {};
  return [&progress, from, to](double done) { return progress(from + (to - from) * done); };
}

// A problem that lies in no line.
HistoryProblem ProblemOf(HistoryProblem::Kind kind) {
  HistoryProblem problem{};
  problem.kind = kind;
  return problem;
}

std::string Quoted(std::string_view text) {
  std::string quoted = "«";
  quoted += text;
  quoted += "»";
  return quoted;
}

std::string ColumnText(const HistoryProblem& problem) {
  return problem.column.empty() ? std::string() : ", columna " + Quoted(problem.column);
}

// The prices of one column, or what keeps them from being read.
std::variant<std::shared_ptr<const ReadHistory>, HistoryProblem> HistoryAt(const PriceTable& table,
                                                                           std::size_t column,
                                                                           const ReadProgress& progress) {
  std::variant<PriceHistory, HistoryProblem> read = HistoryOf(table, column, progress);
  if (auto* problem = std::get_if<HistoryProblem>(&read)) return std::move(*problem);
  auto history = std::make_shared<ReadHistory>();
  history->history = std::move(std::get<PriceHistory>(read));
  history->returns = LogReturnsOf(history->history.prices);
  return history;
}

bool WasCancelled(const std::variant<std::shared_ptr<const ReadHistory>, HistoryProblem>& history) {
  const auto* problem = std::get_if<HistoryProblem>(&history);
  return problem != nullptr && problem->kind == HistoryProblem::Kind::Cancelled;
}

// The table in the bytes and the prices of its default column.
// The bytes are handed over, so that the table's text can be the bytes
// themselves: a file is in memory once, not twice.
EstimationState ReadBytes(std::string source, std::string bytes, const ReadProgress& progress, double from) {
  const double tableDone = from + (1 - from) * kTableShareOfRest;
  std::variant<PriceTable, HistoryProblem> table = TableOf(std::move(bytes), Part(progress, from, tableDone));
  if (const auto* problem = std::get_if<HistoryProblem>(&table)) return MessageOf(*problem);
  LoadedPrices loaded;
  loaded.source = std::move(source);
  loaded.table = std::make_shared<const PriceTable>(std::move(std::get<PriceTable>(table)));
  loaded.column = loaded.table->priceColumn;
  loaded.history = HistoryAt(*loaded.table, loaded.column, Part(progress, tableDone, 1));
  if (WasCancelled(loaded.history)) return MessageOf(std::get<HistoryProblem>(loaded.history));
  return loaded;
}

// A file's name as the window shows it: UTF-8 on every platform.
std::string NameOf(const std::filesystem::path& path) {
  const std::u8string name = path.filename().u8string();
  return {name.begin(), name.end()};
}

}  // namespace

std::string MessageOf(const HistoryProblem& problem) {
  using Kind = HistoryProblem::Kind;
  const std::string line = "Línea " + std::to_string(problem.line) + ColumnText(problem) + ": ";
  switch (problem.kind) {
    case Kind::NotText:
      return "No es un archivo de texto: contiene bytes nulos.";
    case Kind::TooLarge:
      return "El archivo pasa de 1 GiB, el mayor que se lee.";
    case Kind::NoRows:
      return "No hay filas de precios.";
    case Kind::NoPriceColumn:
      return "Ninguna columna contiene números.";
    case Kind::NotANumber:
      return line + "el precio no es un número.";
    case Kind::NotPositive:
      return line + "el precio debe ser mayor que cero.";
    case Kind::NotADate:
      return line + "no es una fecha.";
    case Kind::SameDate:
      return "Líneas " + std::to_string(problem.otherLine) + " y " + std::to_string(problem.line) +
             ColumnText(problem) + ": la misma fecha dos veces.";
    case Kind::FewerThanThreePrices:
      return "Hacen falta al menos tres precios; hay " + std::to_string(problem.count) + ".";
    case Kind::Cancelled:
      break;
  }
  return "Lectura cancelada.";
}

EstimationState ReadPriceFile(const std::filesystem::path& path, const ReadProgress& progress) {
  const std::string name = NameOf(path);
  const std::string unreadable = "No se puede leer el archivo " + Quoted(name) + ".";
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return unreadable;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return unreadable;
  if (size > kLargestHistoryBytes) return MessageOf(ProblemOf(HistoryProblem::Kind::TooLarge));
  std::string bytes;
  {
    std::ifstream file(path, std::ios::binary);
    if (!file) return unreadable;
    bytes.resize(static_cast<std::size_t>(size));
    // In pieces, so that a large file shows its progress and can be cancelled.
    constexpr std::size_t kPiece = std::size_t{1} << 22;
    std::size_t read = 0;
    while (read < bytes.size()) {
      const std::size_t piece = std::min(kPiece, bytes.size() - read);
      file.read(bytes.data() + read, static_cast<std::streamsize>(piece));
      read += static_cast<std::size_t>(file.gcount());
      if (!file) break;
      if (progress && !progress(kBytesShare * static_cast<double>(read) / static_cast<double>(size))) {
        return MessageOf(ProblemOf(HistoryProblem::Kind::Cancelled));
      }
    }
    if (file.bad()) return unreadable;
    // A file that shrank while it was read: what it held.
    bytes.resize(read);
  }
  return ReadBytes(name, std::move(bytes), progress, kBytesShare);
}

EstimationState ReadPriceText(std::string_view text, const ReadProgress& progress) {
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    return std::string("El portapapeles no contiene texto.");
  }
  return ReadBytes(std::string(kClipboardSource), std::string(text), progress, 0);
}

EstimationState ReadPriceColumn(const LoadedPrices& loaded, std::size_t column,
                                const ReadProgress& progress) {
  LoadedPrices read = loaded;
  read.column = column;
  read.history = HistoryAt(*loaded.table, column, progress);
  if (WasCancelled(read.history)) return MessageOf(std::get<HistoryProblem>(read.history));
  return read;
}

std::string PeriodsTextOf(const EstimationState& state) {
  const auto* loaded = std::get_if<LoadedPrices>(&state);
  if (loaded == nullptr) return {};
  const auto* read = std::get_if<std::shared_ptr<const ReadHistory>>(&loaded->history);
  if (read == nullptr) return {};
  return std::to_string((*read)->history.periodsPerYear);
}

std::vector<std::string> ColumnNamesOf(const EstimationState& state) {
  const auto* loaded = std::get_if<LoadedPrices>(&state);
  if (loaded == nullptr) return {};
  return loaded->table->columns;
}

std::optional<std::size_t> ColumnOf(const EstimationState& state) {
  const auto* loaded = std::get_if<LoadedPrices>(&state);
  if (loaded == nullptr) return std::nullopt;
  return loaded->column;
}

namespace {

// The periods a year as the box holds them: a number above zero.
std::optional<double> PeriodsOf(std::string_view text) {
  try {
    const double periods = NumberFromText(text);
    if (periods > 0 && periods <= std::numeric_limits<double>::max()) return periods;
  } catch (const RunTimeError&) {
  }
  return std::nullopt;
}

// The integer cube root, rounded down: the bins' count is an integer and
// must be the same on every platform.
std::size_t CubeRoot(std::size_t n) {
  std::size_t root = 0;
  while ((root + 1) * (root + 1) * (root + 1) <= n) ++root;
  return root;
}

// Twice the cube root of the count (Rice's rule), from 5 to 80 bins over the
// returns' range; one bin where every return is the same.
Histogram HistogramOf(const std::vector<double>& returns) {
  const auto [lowest, highest] = std::minmax_element(returns.begin(), returns.end());
  const double low = *lowest;
  const double high = *highest;
  if (!(high > low)) {
    const double half = low == 0 ? 0.001 : std::abs(low) * 0.01;
    return {low - half, 2 * half, {returns.size()}};
  }
  const std::size_t bins = std::clamp<std::size_t>(2 * CubeRoot(returns.size()), 5, 80);
  Histogram histogram{low, (high - low) / static_cast<double>(bins), std::vector<std::size_t>(bins, 0)};
  for (const double x : returns) {
    // The highest return, and any whose bin rounds past the last, in the
    // last; so too all of them where the width underflowed (NaN or infinity).
    const double at = (x - low) / histogram.width;
    ++histogram.counts[at < static_cast<double>(bins) ? static_cast<std::size_t>(at) : bins - 1];
  }
  return histogram;
}

std::string DateOrderText(DateOrder order) {
  switch (order) {
    case DateOrder::Iso:
      return "año-mes-día";
    case DateOrder::DayFirst:
      return "día/mes/año";
    case DateOrder::MonthFirst:
      return "mes/día/año";
    case DateOrder::Ambiguous:
      break;
  }
  return "día/mes/año (supuesto: las fechas no lo deciden)";
}

std::string IntervalText(const Interval& interval, double scale) {
  return FourDigitText(interval.low * scale) + " a " + FourDigitText(interval.high * scale);
}

std::vector<Figure> FiguresOf(const LoadedPrices& loaded, const ReadHistory& read, const Estimate& estimate) {
  const PriceHistory& history = read.history;
  std::vector<Figure> figures{
      {"Origen", loaded.source},
      {"Columna de precios", history.column},
      {"Precios", std::to_string(history.prices.size())},
      {"Rendimientos", std::to_string(read.returns.size())},
  };
  if (!history.days.empty()) {
    figures.push_back({"Primera fecha", IsoTextOfDay(history.days.front())});
    figures.push_back({"Última fecha", IsoTextOfDay(history.days.back())});
    figures.push_back({"Orden de las fechas", DateOrderText(history.dateOrder)});
  }
  figures.push_back({"Periodos por año", TextOfNumber(estimate.periodsPerYear)});
  if (history.leftOut > 0) {
    figures.push_back({"Filas sin precio", std::to_string(history.leftOut) + ", omitidas"});
  }
  figures.push_back({"Volatilidad (% anual)", TextOfNumber(PercentOf(estimate.volatility))});
  figures.push_back({"Volatilidad, intervalo del 95 %", IntervalText(estimate.volatilityInterval, 100)});
  figures.push_back({"Rendimiento (% anual)", TextOfNumber(PercentOf(estimate.rate))});
  figures.push_back({"Rendimiento, intervalo del 95 %", IntervalText(estimate.rateInterval, 100)});
  figures.push_back({"Valor Actual", TextOfNumber(estimate.lastPrice)});
  return figures;
}

std::string HistoryDescriptionOf(const ReadHistory& read) {
  const PriceHistory& history = read.history;
  const auto [lowest, highest] = std::minmax_element(history.prices.begin(), history.prices.end());
  std::string text = std::to_string(history.prices.size()) + " precios";
  if (!history.days.empty()) {
    text += " del " + IsoTextOfDay(history.days.front()) + " al " + IsoTextOfDay(history.days.back());
  }
  text += ", entre " + TextOfNumber(*lowest) + " y " + TextOfNumber(*highest) + "; el último, " +
          TextOfNumber(history.prices.back()) + ".";
  return text;
}

std::string ReturnsDescriptionOf(const ReadHistory& read, const Estimate& estimate) {
  const auto [lowest, highest] = std::minmax_element(read.returns.begin(), read.returns.end());
  return "Histograma de " + std::to_string(read.returns.size()) + " rendimientos logarítmicos, de " +
         FourDigitText(*lowest) + " a " + FourDigitText(*highest) + ", con media " +
         FourDigitText(estimate.meanReturn) + " y desviación típica " + FourDigitText(estimate.deviation) +
         ", bajo la curva normal de esa media y desviación.";
}

EstimationView MessageView(std::string message) {
  EstimationView view;
  view.charts = message;
  view.historyDescription = message;
  view.returnsDescription = std::move(message);
  return view;
}

}  // namespace

EstimationView EstimationViewOf(const EstimationState& state, std::string_view periodsText) {
  if (std::holds_alternative<std::monostate>(state)) {
    return MessageView(
        "Abra un archivo de precios (Archivo > Abrir precios) o pegue precios "
        "(Edición > Pegar precios) en el formulario, o suelte un archivo aquí.");
  }
  if (const auto* message = std::get_if<std::string>(&state)) return MessageView(*message);
  const LoadedPrices& loaded = std::get<LoadedPrices>(state);
  if (const auto* problem = std::get_if<HistoryProblem>(&loaded.history))
    return MessageView(MessageOf(*problem));
  const std::shared_ptr<const ReadHistory>& read =
      std::get<std::shared_ptr<const ReadHistory>>(loaded.history);
  const std::optional<double> periods = PeriodsOf(periodsText);
  if (!periods) {
    return MessageView(std::string(ControlOf(EstimationControl::Periods).accessibleName) +
                       ": escriba un número mayor que cero.");
  }
  std::optional<Estimate> estimated;
  try {
    estimated = EstimateOf(read->history.prices, *periods);
  } catch (const RunTimeError&) {
    // So many periods a year that a figure leaves the double range: the
    // estimate refuses a figure that is not finite.
  }
  if (!estimated) {
    return MessageView(std::string(ControlOf(EstimationControl::Periods).accessibleName) +
                       ": el resultado excede el rango de los números.");
  }
  const Estimate& estimate = *estimated;
  EstimationView view;
  view.figures = FiguresOf(loaded, *read, estimate);
  view.historyDescription = HistoryDescriptionOf(*read);
  view.returnsDescription = ReturnsDescriptionOf(*read, estimate);
  view.formInputs = FormInputs{TextOfNumber(estimate.lastPrice), TextOfNumber(PercentOf(estimate.rate)),
                               TextOfNumber(PercentOf(estimate.volatility))};
  view.charts = EstimationCharts{read, estimate, HistogramOf(read->returns)};
  return view;
}

namespace {

// As many ticks as fit two lines apart up a linear axis.
int TicksUp(double pixels, double line) { return std::clamp(static_cast<int>(pixels / (2 * line)), 1, 5); }

}  // namespace

ChartDrawing DrawHistory(const EstimationView& view, const ChartArea& area, const TextWidth& textWidth,
                         bool logarithmic) {
  const double line = area.lineHeight;
  const Labeller labeller(textWidth, line);
  const auto* charts = std::get_if<EstimationCharts>(&view.charts);
  if (charts == nullptr) return MessageOnly(std::get<std::string>(view.charts), area, labeller);
  const PriceHistory& history = charts->read->history;
  const std::vector<double>& prices = history.prices;
  const bool dated = !history.days.empty();
  const auto [lowest, highest] = std::minmax_element(prices.begin(), prices.end());
  const FrameTexts texts{dated ? "Fecha" : "Observación", "Precio", {{"Precio", Ink::Median}}};
  const auto priceAxis = [&, low = *lowest, high = *highest](double pixels) {
    return PriceAxis(low, low, high, logarithmic, pixels, line);
  };
  const auto timeAxis = [&](double pixels) {
    if (dated) {
      return DateAxis(history.days.front(), history.days.back(),
                      std::clamp(static_cast<int>(pixels / (6 * line)), 1, 8));
    }
    return LinearAxis(0, static_cast<double>(prices.size() - 1),
                      std::clamp(static_cast<int>(pixels / (4 * line)), 1, 6), false);
  };
  std::optional<PlotFrame> frame = FrameOf(area, labeller, texts, priceAxis, timeAxis);
  if (!frame) return MessageOnly(std::string(kTooSmallForChart), area, labeller);

  // At most four points to a pixel's column: the first and the last of the
  // prices that fall in it, and the lowest and the highest, in their order,
  // so that a million prices draw as fast as a few hundred and look the same.
  Shape curve{Ink::Median, ShapeKind::Line, kCurvePen * area.scale, {}};
  const PlotBox& plot = frame->drawing.plot;
  const auto timeOf = [&](std::size_t i) {
    return dated ? static_cast<double>(history.days[i]) : static_cast<double>(i);
  };
  const auto columnOf = [&](double x) { return std::floor(x - plot.left); };
  std::size_t first = 0;
  while (first < prices.size()) {
    const double column = columnOf(frame->X(timeOf(first)));
    std::size_t low = first;
    std::size_t high = first;
    std::size_t last = first;
    while (last + 1 < prices.size() && columnOf(frame->X(timeOf(last + 1))) == column) {
      ++last;
      if (prices[last] < prices[low]) low = last;
      if (prices[last] > prices[high]) high = last;
    }
    for (const std::size_t i : {first, std::min(low, high), std::max(low, high), last}) {
      const Point point{frame->X(timeOf(i)), frame->Y(prices[i])};
      if (curve.points.empty() || curve.points.back().x != point.x || curve.points.back().y != point.y) {
        curve.points.push_back(point);
      }
    }
    first = last + 1;
  }
  frame->drawing.shapes.push_back(std::move(curve));
  return CloseFrame(std::move(*frame), area, labeller, texts);
}

ChartDrawing DrawReturns(const EstimationView& view, const ChartArea& area, const TextWidth& textWidth) {
  const double line = area.lineHeight;
  const Labeller labeller(textWidth, line);
  const auto* charts = std::get_if<EstimationCharts>(&view.charts);
  if (charts == nullptr) return MessageOnly(std::get<std::string>(view.charts), area, labeller);
  const Histogram& histogram = charts->histogram;
  const Estimate& estimate = charts->estimate;
  const auto bins = histogram.counts.size();
  const double high = histogram.low + histogram.width * static_cast<double>(bins);
  const double total = static_cast<double>(charts->read->returns.size());
  // The normal density of the returns' mean and deviation, in returns to a
  // bin: n w phi((x - m)/s)/s.
  const double m = estimate.meanReturn;
  const double s = estimate.deviation;
  const auto expectedCount = [&](double x) {
    const double z = (x - m) / s;
    return total * histogram.width * CorrectlyRoundedExp(-(z * z) / 2) / (s * 2.5066282746310002);
  };
  double tallest = static_cast<double>(*std::max_element(histogram.counts.begin(), histogram.counts.end()));
  const bool curve = s > 0;
  if (curve) tallest = std::max(tallest, expectedCount(m));
  const FrameTexts texts{
      "Rendimiento logarítmico por periodo", "Frecuencia",
      curve ? std::vector<LegendEntry>{{"Rendimientos", Ink::Band}, {"Normal", Ink::Expected}}
            : std::vector<LegendEntry>{{"Rendimientos", Ink::Band}}};
  const auto countAxis = [&](double pixels) { return LinearAxis(0, tallest, TicksUp(pixels, line), true); };
  const auto returnAxis = [&](double pixels) {
    return LinearAxis(histogram.low, high, std::clamp(static_cast<int>(pixels / (5 * line)), 1, 6), false);
  };
  std::optional<PlotFrame> frame = FrameOf(area, labeller, texts, countAxis, returnAxis);
  if (!frame) return MessageOnly(std::string(kTooSmallForChart), area, labeller);
  std::vector<Shape>& shapes = frame->drawing.shapes;
  for (std::size_t b = 0; b < bins; ++b) {
    if (histogram.counts[b] == 0) continue;
    const double left = frame->X(histogram.low + histogram.width * static_cast<double>(b));
    const double right = frame->X(histogram.low + histogram.width * static_cast<double>(b + 1));
    const double top = frame->Y(static_cast<double>(histogram.counts[b]));
    const double bottom = frame->Y(0);
    shapes.push_back(
        {Ink::Band, ShapeKind::Area, 0, {{left, bottom}, {left, top}, {right, top}, {right, bottom}}});
  }
  if (curve) {
    constexpr int kCurveSamples = 120;
    Shape normal{Ink::Expected, ShapeKind::Line, kCurvePen * area.scale, {}};
    for (int k = 0; k <= kCurveSamples; ++k) {
      const double x = histogram.low + (high - histogram.low) * k / kCurveSamples;
      normal.points.push_back({frame->X(x), frame->Y(expectedCount(x))});
    }
    shapes.push_back(std::move(normal));
  }
  return CloseFrame(std::move(*frame), area, labeller, texts);
}

}  // namespace cotalia
