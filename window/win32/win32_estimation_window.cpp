// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/win32/win32_estimation_window.h"

// After windows.h, which they need.
#include <commdlg.h>
#include <shellapi.h>

#include <string>
#include <utility>

#include "window/win32/win32_clipboard.h"
#include "window/win32/win32_text.h"

namespace cotalia {

namespace {

constexpr UINT_PTR kPollTimer = 1;

// Posted by "Abrir precios…" so that the menu command returns before the
// dialog runs its loop, as a screen reader's call on the menu would wait
// for it otherwise; above the described window's own.
constexpr UINT kAskForPriceFile = WM_APP + 2;

// The dialog's filters as GetOpenFileNameW takes them: each name and its
// patterns ended by a null, and a null after the last.
std::wstring FilterText() {
  std::wstring text;
  for (const FileFilter& filter : kPriceFileFilters) {
    text += WideOf(filter.name);
    text += L'\0';
    text += WideOf(filter.patterns);
    text += L'\0';
  }
  return text;  // its own terminating null is the last
}

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

std::optional<std::filesystem::path> AskForPriceFile(HWND owner) {
  const std::wstring title = WideOf(kOpenPricesTitle);
  const std::wstring filters = FilterText();
  // Room for a long path, which the dialog can give.
  std::wstring file(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filters.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (GetOpenFileNameW(&dialog) == FALSE) return std::nullopt;
  file.resize(file.find(L'\0'));
  return std::filesystem::path(file);
}

Win32EstimationWindow::Win32EstimationWindow(HINSTANCE instance, HWND owner, FieldAccess& form)
    : Win32DescribedWindow(kEstimationWindow), session_(form, *this) {
  Create(instance, owner, kWin32EstimationClass, kEstimationMenuItems);
  DragAcceptFiles(window(), TRUE);
  session_.Show();
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
  FollowPolling();
}

void Win32EstimationWindow::OpenText(std::string text) {
  session_.OpenText(std::move(text));
  FollowPolling();
}

// The timer runs while the session polls a reading.
void Win32EstimationWindow::FollowPolling() {
  if (const std::optional<std::chrono::milliseconds> interval = session_.PollInterval()) {
    SetTimer(window(), kPollTimer, static_cast<UINT>(interval->count()), nullptr);
  } else {
    KillTimer(window(), kPollTimer);
  }
}

// A box's or a choice's change, an item chosen in the list, a button
// pressed, or Copiar cifras, to the session; prices opened or pasted.
void Win32EstimationWindow::Command(int id, int code, HWND control) {
  if (control == nullptr) {
    if (id == Win32MenuId(MenuCommand::CopyFigures)) session_.Command(MenuCommand::CopyFigures);
    if (id == Win32MenuId(MenuCommand::OpenPrices)) PostMessageW(window(), kAskForPriceFile, 0, 0);
    if (id == Win32MenuId(MenuCommand::PastePrices))
      OpenText(TextOnClipboard(window()).value_or(std::string()));
    return;
  }
  if (const std::optional<std::size_t> row = ChangedRow(id, code)) {
    session_.Changed(EstimationControl{*row});
    return;
  }
  const auto row = static_cast<std::size_t>(id - Win32RowId(0));
  if (id < Win32RowId(0) || row >= kEstimationControls.size()) return;
  const ControlRole role = kEstimationControls[row].role;
  if (role == ControlRole::List && code == LBN_SELCHANGE) {
    const LRESULT index = SendMessageW(control, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return;
    session_.ItemChosen(EstimationControl{row}, static_cast<std::size_t>(index));
  } else if (role == ControlRole::Button && code == BN_CLICKED) {
    session_.Pressed(EstimationControl{row});
  }
  FollowPolling();
}

// Esc and the close box hide the window; a reading under way stops.
void Win32EstimationWindow::Close() {
  session_.Closing();
  FollowPolling();
  Win32DescribedWindow::Close();
}

LRESULT Win32EstimationWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kPollTimer) {
        session_.Tick();
        FollowPolling();
      }
      return 0;
    case kAskForPriceFile:
      if (std::optional<std::filesystem::path> file = AskForPriceFile(window())) OpenFile(std::move(*file));
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
