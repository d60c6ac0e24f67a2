// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/estimation/estimation_session.h"

#include <utility>

#include "window/distribution/distribution_description.h"
#include "window/exports/clipboard_table.h"
#include "window/exports/figures.h"

namespace cotalia {

namespace {

constexpr std::size_t kColumn = RowIndex(EstimationControl::Column);
constexpr std::size_t kPeriods = RowIndex(EstimationControl::Periods);
constexpr std::size_t kPriceAxis = RowIndex(EstimationControl::PriceAxis);
constexpr std::size_t kUseInForm = RowIndex(EstimationControl::UseInForm);
constexpr std::size_t kFigures = RowIndex(EstimationControl::Figures);
constexpr std::size_t kHistoryChart = RowIndex(EstimationControl::HistoryChart);
constexpr std::size_t kReturnsChart = RowIndex(EstimationControl::ReturnsChart);
constexpr std::size_t kProgress = RowIndex(EstimationControl::Progress);
constexpr std::size_t kCancel = RowIndex(EstimationControl::Cancel);

}  // namespace

EstimationSession::EstimationSession(FieldAccess& form, WindowSurface& surface)
    : form_(form), surface_(surface) {}

void EstimationSession::Show() {
  surface_.SetShown(kProgress, false);
  surface_.SetShown(kCancel, false);
  ShowState();
}

void EstimationSession::OpenFile(std::filesystem::path path) {
  Read([path = std::move(path)](const ReadProgress& progress) { return ReadPriceFile(path, progress); });
}

void EstimationSession::OpenText(std::string text) {
  Read([text = std::move(text)](const ReadProgress& progress) { return ReadPriceText(text, progress); });
}

void EstimationSession::Read(BackgroundReading::Job job) {
  Start(std::move(job));
  StartPolling();
}

void EstimationSession::Changed(EstimationControl row) {
  if (row == EstimationControl::Periods || row == EstimationControl::PriceAxis) Refresh();
}

// Another column of the table read: the polling starts over even where the
// column is the one shown, which leaves the state as it is.
void EstimationSession::ItemChosen(EstimationControl row, std::size_t index) {
  if (row != EstimationControl::Column) return;
  const auto* loaded = std::get_if<LoadedPrices>(&state_);
  if (loaded != nullptr && index != loaded->column) {
    Start([loaded = *loaded, index](const ReadProgress& progress) {
      return ReadPriceColumn(loaded, index, progress);
    });
  }
  StartPolling();
}

void EstimationSession::Pressed(EstimationControl row) {
  if (row == EstimationControl::UseInForm) UseInForm();
  if (row == EstimationControl::Cancel) Cancel();
}

bool EstimationSession::Command(MenuCommand command) {
  if (command != MenuCommand::CopyFigures) return false;
  surface_.PutOnClipboard(FiguresText(view_.figures, "\n"), HtmlTableOf(view_.figures));
  return true;
}

void EstimationSession::Closing() { Cancel(); }

std::optional<std::chrono::milliseconds> EstimationSession::PollInterval() const {
  if (reading_ == nullptr) return std::nullopt;
  return kPollInterval;
}

void EstimationSession::Tick() { Poll(); }

EstimationControl EstimationSession::ChartOfCommand(std::optional<EstimationControl> focused) {
  return focused == EstimationControl::ReturnsChart ? EstimationControl::ReturnsChart
                                                    : EstimationControl::HistoryChart;
}

// The reading before is stopped first.
void EstimationSession::Start(BackgroundReading::Job job) {
  reading_.reset();
  reading_ = std::make_unique<BackgroundReading>(std::move(job));
}

void EstimationSession::StartPolling() {
  pollsWhileReading_ = 0;
  Poll();
}

// Takes a finished reading, or shows how far it has come once it has taken
// more than a moment.
void EstimationSession::Poll() {
  if (reading_ != nullptr) {
    if (std::optional<EstimationState> outcome = reading_->TakeOutcome()) {
      reading_.reset();
      state_ = std::move(*outcome);
      ShowState();
    }
  }
  if (reading_ == nullptr) {
    surface_.SetShown(kProgress, false);
    surface_.SetShown(kCancel, false);
    return;
  }
  if (++pollsWhileReading_ >= kPollsBeforeProgress) {
    surface_.SetProgress(kProgress, reading_->Progress());
    surface_.SetShown(kProgress, true);
    surface_.SetShown(kCancel, true);
  }
}

// A new state: its columns, the periods a year it found, and its view.
void EstimationSession::ShowState() {
  surface_.SetItems(kColumn, ColumnNamesOf(state_), ColumnOf(state_));
  surface_.SetText(kPeriods, PeriodsTextOf(state_));
  Refresh();
}

// The view of the state with the window's own inputs as they are now.
void EstimationSession::Refresh() {
  view_ = EstimationViewOf(state_, surface_.TextOf(kPeriods));
  const bool logarithmic = surface_.ChoiceOf(kPriceAxis) == kLogarithmicPriceAxis;
  surface_.SetText(kFigures, FiguresText(view_.figures, "\n"));
  surface_.SetEnabled(kUseInForm, view_.formInputs.has_value());
  surface_.SetChart(
      kHistoryChart,
      [this, logarithmic](const ChartArea& area, const TextWidth& textWidth) {
        return DrawHistory(view_, area, textWidth, logarithmic);
      },
      view_.historyDescription);
  surface_.SetChart(
      kReturnsChart,
      [this](const ChartArea& area, const TextWidth& textWidth) {
        return DrawReturns(view_, area, textWidth);
      },
      view_.returnsDescription);
}

// The three inputs as a user could type them, and nothing else: no result
// is written and no calculation runs.
void EstimationSession::UseInForm() {
  if (!view_.formInputs) return;
  form_.SetFieldText(Field::Text1, view_.formInputs->price);
  form_.SetFieldText(Field::Text2, view_.formInputs->rate);
  form_.SetFieldText(Field::Text3, view_.formInputs->volatility);
}

// The state stays as it was before the reading.
void EstimationSession::Cancel() {
  reading_.reset();
  Poll();
}

}  // namespace cotalia
