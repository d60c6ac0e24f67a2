// SPDX-License-Identifier: GPL-3.0-or-later
// What the estimation window reads and shows, for both front ends: a file or
// the clipboard's text read into prices (on a reading thread, see
// background_reading.h), and from them and the periods a year the figures as
// texts, the charts' descriptions for screen readers, what "Usar en el
// formulario" writes, and the two charts resolved to what a painter draws.
// It never reads or writes the form: the front end writes the three texts
// it is given, when the user asks.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/history/estimation.h"
#include "model/history/price_history.h"
#include "window/charts/chart_drawing.h"
#include "window/exports/figures.h"

namespace cotalia {

// The prices of one column and their log returns: what the figures and the
// charts come from, whatever periods a year the user picks.
struct ReadHistory {
  PriceHistory history;
  std::vector<double> returns;
};

// What a reading leaves the window: where the text came from, its table
// (to read another column of), the column read and what became of it.
struct LoadedPrices {
  std::string source;  // the file's name, or kClipboardSource
  std::shared_ptr<const PriceTable> table;
  std::size_t column = 0;
  std::variant<std::shared_ptr<const ReadHistory>, HistoryProblem> history;
};

inline constexpr std::string_view kClipboardSource = "Portapapeles";

// The window's state: nothing read yet, a message in place of the prices
// (a file that could not be read, say), or prices.
using EstimationState = std::variant<std::monostate, std::string, LoadedPrices>;

// Reads a file the user picked: its size checked before it is read, then
// read whole and closed, never written, locked or kept open.
EstimationState ReadPriceFile(const std::filesystem::path& path, const ReadProgress& progress);

// Reads text from the clipboard, UTF-8 as the toolkits give it.
EstimationState ReadPriceText(std::string_view text, const ReadProgress& progress);

// The same table read at another column.
EstimationState ReadPriceColumn(const LoadedPrices& loaded, std::size_t column, const ReadProgress& progress);

// A history problem in the window's words, naming its line and its column.
std::string MessageOf(const HistoryProblem& problem);

// What "Usar en el formulario" writes: Valor Actual, Rendimiento and
// Volatilidad, as the writer writes them, so as texts a user could type.
struct FormInputs {
  std::string price;
  std::string rate;
  std::string volatility;
};

// The log returns in bins, for the histogram: the bulk of them, so that an
// extreme return (a crash) leaves the others readable; those beyond it are
// counted at the axis's ends.
struct Histogram {
  double low;    // the first bin's left edge
  double width;  // each bin's
  std::vector<std::size_t> counts;
  std::size_t below = 0;  // returns left of the first bin
  std::size_t above = 0;  // and right of the last
};

// What the charts are drawn from, computed once for every size they are
// drawn at.
struct EstimationCharts {
  std::shared_ptr<const ReadHistory> read;
  Estimate estimate;
  Histogram histogram;
};

struct EstimationView {
  // What the charts are drawn from, or the message that stands in their place.
  std::variant<EstimationCharts, std::string> charts;
  std::vector<Figure> figures;
  std::string historyDescription;  // each chart in words
  std::string returnsDescription;
  std::optional<FormInputs> formInputs;  // none without estimates
  // The lines under the figures, where there are figures: whether the
  // periods a year agree with the dates, and why the return's interval is
  // wide.
  std::string note;
};

// The view of the state with the periods a year as the box holds them.
EstimationView EstimationViewOf(const EstimationState& state, std::string_view periodsText);

// The periods a year to put in the box after a reading: the history's,
// found from its dates; blank where no prices were read.
std::string PeriodsTextOf(const EstimationState& state);

// What keeps a state from holding prices, in the window's words and naming
// where the text came from; none for a state with prices or before any.
std::optional<std::string> FailureOf(const EstimationState& state);
// The columns to choose prices from, in the table's order: every column but
// the dates'.
std::vector<std::size_t> PriceColumnsOf(const PriceTable& table);
// The column names to choose from, and the place among them of the one
// read; none before a table.
std::vector<std::string> ColumnNamesOf(const EstimationState& state);
std::optional<std::size_t> ColumnOf(const EstimationState& state);

// The prices against their dates (or their order, without dates), on a
// linear or a logarithmic price axis; a message in place of a chart.
ChartDrawing DrawHistory(const EstimationView& view, const ChartArea& area, const TextWidth& textWidth,
                         bool logarithmic);

// The histogram of the log returns with the normal curve of their mean and
// deviation over it.
ChartDrawing DrawReturns(const EstimationView& view, const ChartArea& area, const TextWidth& textWidth);

}  // namespace cotalia
