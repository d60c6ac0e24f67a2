// SPDX-License-Identifier: GPL-3.0-or-later
// The estimation window's view of its state: the figures, the charts'
// descriptions, what the form would be given, and the returns' histogram.
#include "window/estimation/estimation_view.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/numeric_runtime.h"
#include "window/estimation/estimation_description.h"

namespace cotalia {

std::string PeriodsTextOf(const EstimationState& state) {
  const auto* loaded = std::get_if<LoadedPrices>(&state);
  if (loaded == nullptr) return {};
  const auto* read = std::get_if<std::shared_ptr<const ReadHistory>>(&loaded->history);
  if (read == nullptr) return {};
  return std::to_string((*read)->history.periodsPerYear);
}

std::optional<std::string> FailureOf(const EstimationState& state) {
  if (const auto* message = std::get_if<std::string>(&state)) return *message;
  const auto* loaded = std::get_if<LoadedPrices>(&state);
  if (loaded == nullptr) return std::nullopt;
  const auto* problem = std::get_if<HistoryProblem>(&loaded->history);
  if (problem == nullptr) return std::nullopt;
  return "«" + loaded->source + "»: " + MessageOf(*problem);
}

std::vector<std::size_t> PriceColumnsOf(const PriceTable& table) {
  std::vector<std::size_t> columns;
  for (std::size_t column = 0; column < table.columns.size(); ++column) {
    if (column != table.dateColumn) columns.push_back(column);
  }
  return columns;
}

std::vector<std::string> ColumnNamesOf(const EstimationState& state) {
  const auto* loaded = std::get_if<LoadedPrices>(&state);
  if (loaded == nullptr) return {};
  std::vector<std::string> names;
  for (const std::size_t column : PriceColumnsOf(*loaded->table))
    names.push_back(loaded->table->columns[column]);
  return names;
}

std::optional<std::size_t> ColumnOf(const EstimationState& state) {
  const auto* loaded = std::get_if<LoadedPrices>(&state);
  if (loaded == nullptr) return std::nullopt;
  const std::vector<std::size_t> columns = PriceColumnsOf(*loaded->table);
  const auto place = std::find(columns.begin(), columns.end(), loaded->column);
  if (place == columns.end()) return std::nullopt;
  return static_cast<std::size_t>(place - columns.begin());
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

// Where the bulk of the returns lies: within three interquartile ranges of
// the quartiles (Tukey's far fences), but never beyond the returns
// themselves; all of them where the quartiles coincide.
std::pair<double, double> BulkOf(const std::vector<double>& returns) {
  std::vector<double> sorted = returns;
  std::sort(sorted.begin(), sorted.end());
  const double first = sorted[sorted.size() / 4];
  const double third = sorted[3 * sorted.size() / 4];
  const double spread = 3 * (third - first);
  if (!(spread > 0)) return {sorted.front(), sorted.back()};
  return {std::max(sorted.front(), first - spread), std::min(sorted.back(), third + spread)};
}

// Twice the cube root of the count (Rice's rule), from 5 to 80 bins over the
// bulk of the returns, those beyond it counted apart; one bin where every
// return is the same.
Histogram HistogramOf(const std::vector<double>& returns) {
  const auto [low, high] = BulkOf(returns);
  if (!(high > low)) {
    const double half = low == 0 ? 0.001 : std::abs(low) * 0.01;
    return {low - half, 2 * half, {returns.size()}};
  }
  const std::size_t bins = std::clamp<std::size_t>(2 * CubeRoot(returns.size()), 5, 80);
  Histogram histogram{low, (high - low) / static_cast<double>(bins), std::vector<std::size_t>(bins, 0)};
  for (const double x : returns) {
    if (x < low || x > high) {
      ++(x < low ? histogram.below : histogram.above);
      continue;
    }
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

std::string ReturnsDescriptionOf(const ReadHistory& read, const Estimate& estimate,
                                 const Histogram& histogram) {
  const auto [lowest, highest] = std::minmax_element(read.returns.begin(), read.returns.end());
  std::string text = "Histograma de " + std::to_string(read.returns.size()) +
                     " rendimientos logarítmicos, de " + FourDigitText(*lowest) + " a " +
                     FourDigitText(*highest) + ", con media " + FourDigitText(estimate.meanReturn) +
                     " y desviación típica " + FourDigitText(estimate.deviation) +
                     ", bajo la curva normal de esa media y desviación.";
  if (histogram.below + histogram.above > 0) {
    const double high = histogram.low + histogram.width * static_cast<double>(histogram.counts.size());
    text += " El eje va de " + FourDigitText(histogram.low) + " a " + FourDigitText(high) + ": " +
            std::to_string(histogram.below) + " por debajo y " + std::to_string(histogram.above) +
            " por encima quedan fuera, contados en sus extremos.";
  }
  return text;
}

// Whether the periods a year agree with the dates: one more than half again
// the dates' own, or under two thirds of it, is likely a slip (12 on daily
// prices gives a fifth of the volatility). Without dates nothing checks them.
std::string PeriodsNote(const PriceHistory& history, double periods) {
  const std::string typed = TextOfNumber(periods);
  if (history.days.empty()) return "Sin fechas: se suponen " + typed + " periodos por año.\n";
  const double found = history.periodsPerYear;
  if (periods > 1.5 * found || periods * 1.5 < found) {
    return "Periodos por año: " + typed + " no concuerda con las fechas, que dan " +
           std::to_string(history.periodsPerYear) + " por año.\n";
  }
  return {};
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
        "(Edición > Pegar precios), aquí o en el formulario, o suelte un archivo aquí.");
  }
  if (std::optional<std::string> failure = FailureOf(state)) return MessageView(std::move(*failure));
  const LoadedPrices& loaded = std::get<LoadedPrices>(state);
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
  Histogram histogram = HistogramOf(read->returns);
  view.returnsDescription = ReturnsDescriptionOf(*read, estimate, histogram);
  view.formInputs = FormInputs{TextOfNumber(estimate.lastPrice), TextOfNumber(PercentOf(estimate.rate)),
                               TextOfNumber(PercentOf(estimate.volatility))};
  view.charts = EstimationCharts{read, estimate, std::move(histogram)};
  view.note = PeriodsNote(read->history, *periods) + std::string(kReturnIntervalNote);
  return view;
}

}  // namespace cotalia
