// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32_distribution_window.h"

#include "clipboard_table.h"
#include "win32_text.h"

namespace cotalia {

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
  view_ = ViewOf({{texts[0], texts[1], texts[2], texts[3]},
                  WindowTextOf(control(DistributionControl::Level)),
                  WindowTextOf(control(DistributionControl::Target))});
  const bool logarithmic = Chosen(DistributionControl::PriceAxis, kLogarithmicPriceAxis);
  SetWindowTextW(control(DistributionControl::Figures), WideOf(FiguresText(view_, "\r\n")).c_str());
  SetChart(
      DistributionControl::Chart,
      [this, logarithmic](const ChartArea& area, const TextWidth& textWidth) {
        return DrawChart(view_, area, textWidth, logarithmic);
      },
      view_.description);
}

void Win32DistributionWindow::Command(int id, int code, HWND control) {
  if (control == nullptr) {
    if (id == Win32MenuId(MenuCommand::CopyFigures)) {
      PutTextOnClipboard(window(), FiguresText(view_.figures, "\r\n"), HtmlTableOf(view_.figures));
    }
    return;
  }
  const bool edited = code == EN_CHANGE && (id == Win32DistributionControlId(DistributionControl::Level) ||
                                            id == Win32DistributionControlId(DistributionControl::Target));
  const int firstAxis = Win32ChoiceButtonId(DistributionControl::PriceAxis, 0);
  const bool chosen =
      code == BN_CLICKED && id >= firstAxis &&
      id < firstAxis + static_cast<int>(ControlOf(DistributionControl::PriceAxis).choices.size());
  if (edited || chosen) Refresh();
}

}  // namespace cotalia
