// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/estimation/estimation_session.h"

#include <utility>
#include <vector>

#include "window/distribution/distribution_description.h"
#include "window/exports/clipboard_table.h"
#include "window/exports/figures.h"
#include "window/form/wiring.h"

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
constexpr std::size_t kNote = RowIndex(EstimationControl::Note);

bool HoldsPrices(const EstimationState& state) {
  return std::holds_alternative<LoadedPrices>(state) && !FailureOf(state);
}

std::string FieldName(Field field) { return std::string(AccessibleNameOf(kFieldBindings[IndexOf(field)])); }

}  // namespace

EstimationSession::EstimationSession(FieldAccess& form, WindowSurface& surface)
    : form_(form), surface_(surface) {}

void EstimationSession::Show() {
  surface_.SetShown(kProgress, false);
  surface_.SetShown(kCancel, false);
  ShowState(true);
}

void EstimationSession::OpenFile(std::filesystem::path path) {
  Read([path = std::move(path)](const ReadProgress& progress) { return ReadPriceFile(path, progress); });
}

void EstimationSession::OpenText(std::string text) {
  Read([text = std::move(text)](const ReadProgress& progress) { return ReadPriceText(text, progress); });
}

void EstimationSession::Read(BackgroundReading::Job job) {
  Start(std::move(job));
  sameTable_ = false;
  StartPolling();
}

void EstimationSession::Changed(EstimationControl row) {
  if (row != EstimationControl::Periods && row != EstimationControl::PriceAxis) return;
  status_.clear();
  Refresh();
}

// Another column of the table read: the polling starts over even where the
// column is the one shown, which leaves the state as it is.
void EstimationSession::ItemChosen(EstimationControl row, std::size_t index) {
  if (row != EstimationControl::Column) return;
  const auto* loaded = std::get_if<LoadedPrices>(&state_);
  const std::vector<std::size_t> columns =
      loaded != nullptr ? PriceColumnsOf(*loaded->table) : std::vector<std::size_t>{};
  if (index < columns.size() && columns[index] != loaded->column) {
    Start([loaded = *loaded, column = columns[index]](const ReadProgress& progress) {
      return ReadPriceColumn(loaded, column, progress);
    });
    sameTable_ = true;
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
      if (HoldsPrices(state_) && !HoldsPrices(*outcome)) {
        // The prices shown stay, with the reason the new ones could not be
        // read above them.
        status_ = FailureOf(*outcome).value_or(std::string());
        ShowState(false);
      } else {
        state_ = std::move(*outcome);
        status_.clear();
        ShowState(!sameTable_);
      }
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

// The state: its columns, the periods a year its dates give where they are
// asked for, and its view.
void EstimationSession::ShowState(bool periodsFromDates) {
  surface_.SetItems(kColumn, ColumnNamesOf(state_), ColumnOf(state_));
  if (periodsFromDates) surface_.SetText(kPeriods, PeriodsTextOf(state_));
  Refresh();
}

// The view of the state with the window's own inputs as they are now.
void EstimationSession::Refresh() {
  view_ = EstimationViewOf(state_, surface_.TextOf(kPeriods));
  const bool logarithmic = surface_.ChoiceOf(kPriceAxis) == kLogarithmicPriceAxis;
  surface_.SetText(kFigures, FiguresText(view_.figures, "\n"));
  ShowNote();
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
  const FormInputs& inputs = *view_.formInputs;
  form_.SetFieldText(Field::Text1, inputs.price);
  form_.SetFieldText(Field::Text2, inputs.rate);
  form_.SetFieldText(Field::Text3, inputs.volatility);
  status_ = "Escrito en el formulario: " + FieldName(Field::Text1) + " " + inputs.price + ", " +
            FieldName(Field::Text2) + " " + inputs.rate + ", " + FieldName(Field::Text3) + " " +
            inputs.volatility + ".";
  ShowNote();
}

void EstimationSession::ShowNote() {
  surface_.SetText(kNote, status_.empty() ? view_.note : status_ + "\n" + view_.note);
}

// The state stays as it was before the reading.
void EstimationSession::Cancel() {
  reading_.reset();
  Poll();
}

}  // namespace cotalia
