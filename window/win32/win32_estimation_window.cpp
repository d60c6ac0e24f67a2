// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/win32/win32_estimation_window.h"

// After windows.h, which they need.
#include <commctrl.h>
#include <shellapi.h>

#include <utility>

#include "window/exports/clipboard_table.h"
#include "window/win32/win32_text.h"

namespace cotalia {

namespace {

// How often a reading is asked how far it has come, and after how many asks
// its progress is shown: a reading done within a moment shows none.
constexpr UINT kPollMilliseconds = 50;
constexpr int kPollsBeforeProgress = 6;
constexpr UINT_PTR kPollTimer = 1;

}  // namespace

std::optional<std::filesystem::path> DroppedFile(HDROP drop) {
  std::optional<std::filesystem::path> file;
  if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring name(static_cast<std::size_t>(length) + 1, L'\0');
    name.resize(DragQueryFileW(drop, 0, name.data(), length + 1));
    if (!name.empty()) file = std::filesystem::path(name);
  }
  DragFinish(drop);
  return file;
}

Win32EstimationWindow::Win32EstimationWindow(HINSTANCE instance, HWND owner, WriteForm writeForm)
    : Win32DescribedWindow(kEstimationWindow), writeForm_(std::move(writeForm)) {
  Create(instance, owner, kWin32EstimationClass, kEstimationMenuItems);
  DragAcceptFiles(window(), TRUE);
  ShowState();
}

Win32EstimationWindow::~Win32EstimationWindow() { KillTimer(window(), kPollTimer); }

void Win32EstimationWindow::Show() {
  const bool wasHidden = IsWindowVisible(window()) == FALSE;
  ShowWindow(window(), SW_SHOW);
  SetForegroundWindow(window());
  if (wasHidden) SetFocus(control(EstimationControl::Column));
}

void Win32EstimationWindow::OpenFile(std::filesystem::path path) {
  session_.OpenFile(std::move(path));
  StartReading();
}

void Win32EstimationWindow::OpenText(std::string text) {
  session_.OpenText(std::move(text));
  StartReading();
}

void Win32EstimationWindow::StartReading() {
  pollsWhileReading_ = 0;
  SetTimer(window(), kPollTimer, kPollMilliseconds, nullptr);
  Poll();
}

// Takes a finished reading, or shows how far it has come once it has taken
// more than a moment.
void Win32EstimationWindow::Poll() {
  HWND progress = control(EstimationControl::Progress);
  HWND cancel = control(EstimationControl::Cancel);
  if (session_.Poll()) ShowState();
  if (!session_.Reading()) {
    KillTimer(window(), kPollTimer);
    ShowControl(progress, false);
    ShowControl(cancel, false);
    return;
  }
  if (++pollsWhileReading_ >= kPollsBeforeProgress) {
    SendMessageW(progress, PBM_SETPOS, static_cast<WPARAM>(session_.Progress() * kProgressSteps), 0);
    ShowControl(progress, true);
    ShowControl(cancel, true);
  }
}

// A new state: its columns, the periods a year it found, and its view. The
// boxes are written without their notifications counting as the user's.
void Win32EstimationWindow::ShowState() {
  const EstimationState& state = session_.state();
  showingState_ = true;
  HWND list = control(EstimationControl::Column);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& name : ColumnNamesOf(state)) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideOf(name).c_str()));
  }
  if (const std::optional<std::size_t> column = ColumnOf(state)) {
    SendMessageW(list, LB_SETCURSEL, *column, 0);
  }
  SetWindowTextW(control(EstimationControl::Periods), WideOf(PeriodsTextOf(state)).c_str());
  showingState_ = false;
  Refresh();
}

// The view of the state with the window's own inputs as they are now.
void Win32EstimationWindow::Refresh() {
  view_ = EstimationViewOf(session_.state(), WindowTextOf(control(EstimationControl::Periods)));
  const bool logarithmic = Chosen(EstimationControl::PriceAxis, kLogarithmicPriceAxis);
  SetWindowTextW(control(EstimationControl::Figures), WideOf(FiguresText(view_.figures, "\r\n")).c_str());
  EnableControl(control(EstimationControl::UseInForm), view_.formInputs.has_value());
  SetChart(
      EstimationControl::HistoryChart,
      [this, logarithmic](const ChartArea& area, const TextWidth& textWidth) {
        return DrawHistory(view_, area, textWidth, logarithmic);
      },
      view_.historyDescription);
  SetChart(
      EstimationControl::ReturnsChart,
      [this](const ChartArea& area, const TextWidth& textWidth) {
        return DrawReturns(view_, area, textWidth);
      },
      view_.returnsDescription);
}

void Win32EstimationWindow::Command(int id, int code, HWND control) {
  if (control == nullptr) {
    if (id == Win32MenuId(MenuCommand::CopyFigures)) {
      PutTextOnClipboard(window(), FiguresText(view_.figures, "\r\n"), HtmlTableOf(view_.figures));
    }
    return;
  }
  if (showingState_) return;
  const int firstAxis = Win32ChoiceId(static_cast<std::size_t>(EstimationControl::PriceAxis), 0);
  const auto axes = static_cast<int>(ControlOf(EstimationControl::PriceAxis).choices.size());
  if (id == Win32EstimationControlId(EstimationControl::Column) && code == LBN_SELCHANGE) {
    const LRESULT row = SendMessageW(control, LB_GETCURSEL, 0, 0);
    if (row == LB_ERR) return;
    session_.ChooseColumn(static_cast<std::size_t>(row));
    StartReading();
  } else if (id == Win32EstimationControlId(EstimationControl::Periods) && code == EN_CHANGE) {
    Refresh();
  } else if (id >= firstAxis && id < firstAxis + axes && code == BN_CLICKED) {
    Refresh();
  } else if (id == Win32EstimationControlId(EstimationControl::UseInForm) && code == BN_CLICKED) {
    if (view_.formInputs) writeForm_(*view_.formInputs);
  } else if (id == Win32EstimationControlId(EstimationControl::Cancel) && code == BN_CLICKED) {
    session_.Cancel();
    Poll();
  }
}

// Esc and the close box hide the window; a reading under way stops.
void Win32EstimationWindow::Close() {
  session_.Cancel();
  Poll();
  Win32DescribedWindow::Close();
}

LRESULT Win32EstimationWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kPollTimer) Poll();
      return 0;
    case WM_DROPFILES:
      if (std::optional<std::filesystem::path> file = DroppedFile(reinterpret_cast<HDROP>(wParam))) {
        OpenFile(std::move(*file));
      }
      return 0;
    default:
      return Win32DescribedWindow::Handle(message, wParam, lParam);
  }
}

}  // namespace cotalia
