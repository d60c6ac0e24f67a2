// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/win32/win32_distribution_window.h"

#include "window/exports/clipboard_table.h"
#include "window/win32/win32_text.h"

namespace cotalia {

namespace {

// A row's notification is one of its choice's buttons being clicked.
bool ChoiceClicked(DistributionControl choice, int id, int code) {
  const int first = Win32ChoiceButtonId(choice, 0);
  return code == BN_CLICKED && id >= first && id < first + static_cast<int>(ControlOf(choice).choices.size());
}

}  // namespace

Win32DistributionWindow::Win32DistributionWindow(HINSTANCE instance, HWND owner, FormTexts formTexts)
    : Win32DescribedWindow(kDistributionWindow), formTexts_(std::move(formTexts)) {
  Create(instance, owner, kWin32DistributionClass, kDistributionMenuItems);
}

void Win32DistributionWindow::Show() {
  Refresh();
  ShowWindow(window(), SW_SHOW);
  SetForegroundWindow(window());
  SetFocus(control(DistributionControl::Level));
}

void Win32DistributionWindow::Refresh() {
  const std::array<std::string, 4> texts = formTexts_();
  const std::string level = WindowTextOf(control(DistributionControl::Level));
  const std::string target = WindowTextOf(control(DistributionControl::Target));
  const std::string lower = WindowTextOf(control(DistributionControl::Lower));
  const std::string upper = WindowTextOf(control(DistributionControl::Upper));
  view_ = ViewOf({{texts[0], texts[1], texts[2], texts[3]}, level, target, lower, upper});
  const bool density = Chosen(DistributionControl::ChartKind, kDensityChart);
  // A month on the fan is no price on the density: another chart starts
  // with no reading.
  if (density != options_.density) options_.readout.reset();
  options_.density = density;
  options_.logarithmic = Chosen(DistributionControl::PriceAxis, kLogarithmicPriceAxis);
  SetWindowTextW(control(DistributionControl::Figures), WideOf(FiguresText(view_, "\r\n")).c_str());
  SetWindowTextW(control(DistributionControl::Percentiles), WideOf(PercentilesText(view_, "\r\n")).c_str());
  // The chart's description changes with every new view, even to the same
  // words: screen readers hear that the chart was drawn again.
  chartDescription_.reset();
  MeasureChart(DistributionControl::Chart, [this](const ChartArea& area, const TextWidth& textWidth) {
    ShowReading(ReadoutOf(view_, options_, area, textWidth));
  });
}

// The reading where the view puts it: the chart's marker, which its drawer
// reads from the options, the line under the chart, and the chart's
// description, which leads with the reading.
void Win32DistributionWindow::ShowReading(const std::optional<ChartReading>& reading) {
  options_.readout = reading ? std::optional(reading->at) : std::nullopt;
  SetLine(DistributionControl::Readout, ReadoutText(view_, reading));
  std::string description = DescriptionOf(view_, options_, reading);
  if (description == chartDescription_) {
    RepaintChart(DistributionControl::Chart);
    return;
  }
  chartDescription_ = description;
  SetChart(
      DistributionControl::Chart,
      [this](const ChartArea& area, const TextWidth& textWidth) {
        return DrawChart(view_, area, textWidth, options_);
      },
      std::move(description));
}

void Win32DistributionWindow::ChartPointer(std::size_t /*row*/, int x) {
  MeasureChart(DistributionControl::Chart, [this, x](const ChartArea& area, const TextWidth& textWidth) {
    ShowReading(ReadoutAt(view_, options_, area, textWidth, x));
  });
}

bool Win32DistributionWindow::ChartKey(std::size_t /*row*/, WPARAM key) {
  ReadoutKey readoutKey{};
  switch (key) {
    case VK_LEFT:
      readoutKey = ReadoutKey::Left;
      break;
    case VK_RIGHT:
      readoutKey = ReadoutKey::Right;
      break;
    case VK_HOME:
      readoutKey = ReadoutKey::Home;
      break;
    case VK_END:
      readoutKey = ReadoutKey::End;
      break;
    default:
      return false;
  }
  MeasureChart(DistributionControl::Chart,
               [this, readoutKey](const ChartArea& area, const TextWidth& textWidth) {
                 ShowReading(ReadoutAfterKey(view_, options_, area, textWidth, readoutKey));
               });
  return true;
}

void Win32DistributionWindow::Command(int id, int code, HWND control) {
  if (control == nullptr) {
    if (id == Win32MenuId(MenuCommand::CopyFigures)) {
      // The figures, then the percentiles, each labelled as a pasted table
      // needs it.
      PutTextOnClipboard(window(), FiguresText(view_.copied, "\r\n"), HtmlTableOf(view_.copied));
    }
    return;
  }
  bool edited = false;
  if (code == EN_CHANGE) {
    for (const DistributionControl box : {DistributionControl::Level, DistributionControl::Target,
                                          DistributionControl::Lower, DistributionControl::Upper}) {
      edited = edited || id == Win32DistributionControlId(box);
    }
  }
  if (edited || ChoiceClicked(DistributionControl::PriceAxis, id, code) ||
      ChoiceClicked(DistributionControl::ChartKind, id, code)) {
    Refresh();
  }
}

}  // namespace cotalia
