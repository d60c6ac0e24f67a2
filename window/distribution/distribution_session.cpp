// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/distribution/distribution_session.h"

#include <string>
#include <utility>

#include "window/exports/clipboard_table.h"

namespace cotalia {

DistributionSession::DistributionSession(FieldAccess& form, WindowSurface& surface)
    : form_(form), surface_(surface), view_(std::make_shared<const DistributionView>()) {}

void DistributionSession::Refresh() {
  const std::string price = form_.GetFieldText(Field::Text1);
  const std::string rate = form_.GetFieldText(Field::Text2);
  const std::string volatility = form_.GetFieldText(Field::Text3);
  const std::string months = form_.GetFieldText(Field::Text4);
  const std::string level = surface_.TextOf(RowIndex(DistributionControl::Level));
  const std::string target = surface_.TextOf(RowIndex(DistributionControl::Target));
  const std::string lower = surface_.TextOf(RowIndex(DistributionControl::Lower));
  const std::string upper = surface_.TextOf(RowIndex(DistributionControl::Upper));
  view_ = std::make_shared<const DistributionView>(
      ViewOf({{price, rate, volatility, months}, level, target, lower, upper}));
  const bool density = surface_.ChoiceOf(RowIndex(DistributionControl::ChartKind)) == kDensityChart;
  // A month on the fan is no price on the density: another chart starts
  // with no reading.
  if (density != options_.density) options_.readout.reset();
  options_.density = density;
  options_.logarithmic = surface_.ChoiceOf(RowIndex(DistributionControl::PriceAxis)) == kLogarithmicPriceAxis;
  surface_.SetText(RowIndex(DistributionControl::Figures), FiguresText(*view_, "\n"));
  surface_.SetText(RowIndex(DistributionControl::Percentiles), PercentilesText(*view_, "\n"));
  const ChartFrame frame = surface_.FrameOf(RowIndex(DistributionControl::Chart));
  // A new view is drawn anew even where its reading stays: screen readers
  // hear that the chart changed, even to the same words.
  ShowReading(ReadoutOf(*view_, options_, frame.area, frame.textWidth), true);
}

void DistributionSession::Changed(DistributionControl row) {
  switch (row) {
    case DistributionControl::Level:
    case DistributionControl::Target:
    case DistributionControl::Lower:
    case DistributionControl::Upper:
    case DistributionControl::PriceAxis:
    case DistributionControl::ChartKind:
      Refresh();
      break;
    default:
      break;
  }
}

void DistributionSession::PointerAt(double x) {
  const ChartFrame frame = surface_.FrameOf(RowIndex(DistributionControl::Chart));
  ShowReading(ReadoutAt(*view_, options_, frame.area, frame.textWidth, x), false);
}

void DistributionSession::KeyPressed(ReadoutKey key) {
  const ChartFrame frame = surface_.FrameOf(RowIndex(DistributionControl::Chart));
  ShowReading(ReadoutAfterKey(*view_, options_, frame.area, frame.textWidth, key), false);
}

// The figures, then the percentiles, each labelled as a pasted table needs
// it.
bool DistributionSession::Command(MenuCommand command) {
  if (command != MenuCommand::CopyFigures) return false;
  surface_.PutOnClipboard(FiguresText(view_->copied, "\n"), HtmlTableOf(view_->copied));
  return true;
}

// The reading where the view puts it: the line under the chart, and the
// chart with its marker there and a description that leads with it. A
// reading that stays where it was, on the same view, changes neither.
void DistributionSession::ShowReading(const std::optional<ChartReading>& reading, bool newView) {
  const std::optional<double> at = reading ? std::optional(reading->at) : std::nullopt;
  surface_.SetText(RowIndex(DistributionControl::Readout), ReadoutText(*view_, reading));
  if (!newView && at == options_.readout) return;
  options_.readout = at;
  surface_.SetChart(
      RowIndex(DistributionControl::Chart),
      [view = view_, options = options_](const ChartArea& area, const TextWidth& textWidth) {
        return DrawChart(*view, area, textWidth, options);
      },
      DescriptionOf(*view_, options_, reading));
}

}  // namespace cotalia
