// SPDX-License-Identifier: GPL-3.0-or-later
// A described window's life and its messages: created with its menu and
// controls, its notifications and menu commands passed on, the dialog keys,
// and hidden rather than closed.
#include "window/win32/win32_described_window.h"

#include <string>

#include "window/win32/win32_text.h"
#include "window/win32/win32_window_class.h"

namespace cotalia {

Win32DescribedWindow::Win32DescribedWindow(const WindowDescription& description)
    : description_(description),
      controls_(description.controls.size(), nullptr),
      charts_(description.controls.size()) {
  const Gdiplus::GdiplusStartupInput startup;
  Gdiplus::GdiplusStartup(&gdiplus_, &startup, nullptr);
}

Win32DescribedWindow::~Win32DescribedWindow() {
  if (IsWindow(window_)) {
    // The window's own part is gone already: nothing may reach it now.
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
  if (font_ != nullptr) DeleteObject(font_);
  Gdiplus::GdiplusShutdown(gdiplus_);
}

void Win32DescribedWindow::Create(HINSTANCE instance, HWND owner, const wchar_t* className,
                                  std::span<const MenuItem> menu) {
  RegisterTopLevelClass(instance, Procedure, className);
  RegisterChartClass(instance);
  HMENU bar = nullptr;
  if (!menu.empty()) {
    const Win32MenuBar menuBar = CreateWin32MenuBar(menu);
    bar = menuBar.menu;
    accelerators_ = menuBar.accelerators;
  }
  // The menu is part of the frame from the start: the client area keeps its
  // size below it.
  const std::wstring title = WideOf(description_.title);
  CreateWindowExW(0, className, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, owner, bar, instance, this);
}

bool Win32DescribedWindow::TakeDialogMessage(MSG& message) {
  if (message.hwnd != window_ && IsChild(window_, message.hwnd) == FALSE) return false;
  if (accelerators_ != nullptr && TranslateAcceleratorW(window_, accelerators_, &message) != 0) return true;
  // Esc closes the window, as it closes a dialog.
  if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
    Close();
    return true;
  }
  return IsDialogMessageW(window_, &message) != FALSE;
}

void Win32DescribedWindow::Close() { ShowWindow(window_, SW_HIDE); }

LRESULT CALLBACK Win32DescribedWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Win32DescribedWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32DescribedWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return self != nullptr ? self->Handle(message, wParam, lParam)
                         : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32DescribedWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      ApplyDpi(GetDpiForWindow(window_));
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO:
      KeepAtLeast(window_, description_.width, description_.height, lParam);
      return 0;
    case WM_DPICHANGED:
      ApplyDpi(HIWORD(wParam));
      MoveToSuggestedRect(window_, lParam);
      return 0;
    case WM_COMMAND:
      TakeCommand(wParam, lParam);
      return 0;
    case kAskForChartFile:
      AskForChartFile(wParam);
      return 0;
    case WM_NEXTDLGCTL: {
      // What a dialog does, for the controls that ask for it: a multi-line
      // box passes Tab on this way.
      HWND next = LOWORD(lParam) != 0
                      ? reinterpret_cast<HWND>(wParam)
                      : GetNextDlgTabItem(window_, GetFocus(), static_cast<BOOL>(wParam != 0));
      if (next != nullptr) SetFocus(next);
      return 0;
    }
    case WM_ACTIVATE:
      // Keep the focus in its control when the window is left and come
      // back to.
      if (LOWORD(wParam) == WA_INACTIVE) {
        focusBeforeDeactivation_ = GetFocus();
      } else if (focusBeforeDeactivation_ != nullptr && IsChild(window_, focusBeforeDeactivation_) != FALSE) {
        SetFocus(focusBeforeDeactivation_);
        return 0;
      }
      break;
    case WM_CLOSE:
      Close();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

// The chart commands of the menu and Cerrar are the window's own; a click
// on a choice's button moves the Tab key's stop to it, and every
// notification goes to the window but those it causes itself.
void Win32DescribedWindow::TakeCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const auto control = reinterpret_cast<HWND>(lParam);
  if (control == nullptr && id == Win32MenuId(MenuCommand::Close)) {
    Close();
    return;
  }
  if (control == nullptr && id == Win32MenuId(MenuCommand::SaveChart)) {
    // The chart is the one aimed at now, whatever has the focus by the
    // time the dialog opens.
    PostMessageW(window_, kAskForChartFile, ChartOfCommand(), 0);
    return;
  }
  if (control == nullptr && id == Win32MenuId(MenuCommand::CopyChart)) {
    CopyChart(ChartOfCommand());
    return;
  }
  if (control != nullptr && writing_) return;
  if (control != nullptr && HIWORD(wParam) == BN_CLICKED && id >= Win32ChoiceId(0, 0)) {
    Choose((static_cast<std::size_t>(id) - Win32ChoiceId(0, 0)) / kMostChoices);
  }
  Command(id, HIWORD(wParam), control);
}

void Win32DescribedWindow::ChartPointer(std::size_t /*row*/, int /*x*/) {}

bool Win32DescribedWindow::ChartKey(std::size_t /*row*/, WPARAM /*key*/) { return false; }

}  // namespace cotalia
