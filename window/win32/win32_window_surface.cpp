// SPDX-License-Identifier: GPL-3.0-or-later
// A described window as its session's surface: its controls read and
// written, its charts given their drawings and measured, the clipboard
// filled; and the notifications that the user changed an input.
#include "window/win32/win32_described_window.h"

// After windows.h, which it needs.
#include <commctrl.h>

#include <string>

#include "window/win32/win32_text.h"

namespace cotalia {

namespace {

// Lines ended in "\r\n", as Windows' edit controls and programs want them;
// a "\n" already after "\r" stays one line end.
std::string WithWindowsLineEnds(std::string_view text) {
  std::string windows;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) windows += '\r';
    windows += text[i];
  }
  return windows;
}

}  // namespace

std::string Win32DescribedWindow::TextOf(std::size_t row) const { return WindowTextOf(controls_[row]); }

std::size_t Win32DescribedWindow::ChoiceOf(std::size_t row) const {
  for (std::size_t b = 0; b < description_.controls[row].choices.size(); ++b) {
    if (Chosen(row, b)) return b;
  }
  return 0;
}

void Win32DescribedWindow::SetText(std::size_t row, std::string_view text) {
  if (IsWrittenLine(description_.controls[row])) {
    SetLine(row, text);
    return;
  }
  writing_ = true;
  SetWindowTextW(controls_[row], WideOf(WithWindowsLineEnds(text)).c_str());
  writing_ = false;
}

void Win32DescribedWindow::SetItems(std::size_t row, std::span<const std::string> items,
                                    std::optional<std::size_t> selected) {
  HWND list = controls_[row];
  writing_ = true;
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideOf(item).c_str()));
  }
  if (selected) SendMessageW(list, LB_SETCURSEL, *selected, 0);
  writing_ = false;
}

void Win32DescribedWindow::SetEnabled(std::size_t row, bool enabled) {
  EnableControl(controls_[row], enabled);
}

void Win32DescribedWindow::SetShown(std::size_t row, bool shown) { ShowControl(controls_[row], shown); }

void Win32DescribedWindow::SetProgress(std::size_t row, double fraction) {
  SendMessageW(controls_[row], PBM_SETPOS, static_cast<WPARAM>(fraction * kProgressSteps), 0);
}

void Win32DescribedWindow::SetChart(std::size_t row, ChartDrawer drawer, std::string description) {
  charts_[row] = {std::move(drawer), std::move(description)};
  HWND chart = controls_[row];
  if (chart == nullptr) return;  // still being built
  NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, chart, OBJID_CLIENT, CHILDID_SELF);
  InvalidateRect(chart, nullptr, FALSE);
}

ChartFrame Win32DescribedWindow::FrameOf(std::size_t row) const {
  return MeasuredChart(controls_[row], font_);
}

void Win32DescribedWindow::PutOnClipboard(std::string_view text, std::string_view html) {
  PutTextOnClipboard(window_, WithWindowsLineEnds(text), html);
}

void Win32DescribedWindow::ShowControl(HWND control, bool shown) {
  if (!shown && GetFocus() == control) SendMessageW(window_, WM_NEXTDLGCTL, 0, FALSE);
  ShowWindow(control, shown ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void Win32DescribedWindow::EnableControl(HWND control, bool enabled) {
  if (!enabled && GetFocus() == control) SendMessageW(window_, WM_NEXTDLGCTL, 0, FALSE);
  EnableWindow(control, enabled ? TRUE : FALSE);
}

std::optional<std::size_t> Win32DescribedWindow::ChangedRow(int id, int code) const {
  const std::span<const WindowControl> rows = description_.controls;
  if (code == EN_CHANGE && id >= Win32RowId(0) && id < Win32RowId(rows.size())) {
    const auto row = static_cast<std::size_t>(id - Win32RowId(0));
    if (rows[row].role == ControlRole::TextBox) return row;
  }
  if (code == BN_CLICKED && id >= Win32ChoiceId(0, 0) && id < Win32ChoiceId(rows.size(), 0)) {
    const std::size_t row = static_cast<std::size_t>(id - Win32ChoiceId(0, 0)) / kMostChoices;
    if (static_cast<std::size_t>(id - Win32ChoiceId(row, 0)) < rows[row].choices.size()) return row;
  }
  return std::nullopt;
}

// Tells screen readers that the line's value changed; nothing where it
// already says that.
void Win32DescribedWindow::SetLine(std::size_t row, std::string_view utf8) const {
  HWND line = controls_[row];
  if (line == nullptr || WindowTextOf(line) == utf8) return;
  SetWindowTextW(line, WideOf(utf8).c_str());
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, line, OBJID_CLIENT, CHILDID_SELF);
  NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, line, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace cotalia
