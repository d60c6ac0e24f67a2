// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/win32/win32_main_window.h"

// After windows.h, which they need.
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "window/exports/clipboard_table.h"
#include "window/form/wiring.h"
#include "window/win32/win32_controls.h"
#include "window/win32/win32_text.h"
#include "window/win32/win32_window_class.h"

namespace cotalia {

namespace {

// Posted by "Abrir precios…" so that the menu command returns before the
// dialog runs its loop, as a screen reader's call on the menu would wait
// for it otherwise.
constexpr UINT kAskForPriceFile = WM_APP + 1;

}  // namespace

int Win32MainWindow::Run(HINSTANCE instance, int show) {
  const INITCOMMONCONTROLSEX commonControls{sizeof(INITCOMMONCONTROLSEX),
                                            ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&commonControls);

  RegisterTopLevelClass(instance, Procedure, kWin32WindowClass);

  Win32MainWindow form;
  const std::wstring caption = WideOf(kWindowCaption);
  CreateWindowExW(0, kWin32WindowClass, caption.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, &form);
  if (form.window_ == nullptr) return kFailedExitStatus;
  ShowWindow(form.window_, show);
  SetFocus(form.textBoxes_[IndexOf(Field::Text1)]);

  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    const bool forOwned = (form.distribution_ != nullptr && form.distribution_->TakeDialogMessage(message)) ||
                          (form.estimation_ != nullptr && form.estimation_->TakeDialogMessage(message));
    if (!forOwned && !TranslateAcceleratorW(form.window_, form.accelerators_, &message) &&
        !IsDialogMessageW(form.window_, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return form.exitStatus_;
}

LRESULT CALLBACK Win32MainWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<Win32MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return form != nullptr ? form->Handle(message, wParam, lParam)
                         : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      // The menu is part of the frame: the client area keeps its size below
      // it.
      const Win32MenuBar bar = CreateWin32MenuBar(kMenuItems);
      SetMenu(window_, bar.menu);
      accelerators_ = bar.accelerators;
      CreateControls();
      ApplyDpi(GetDpiForWindow(window_));
      DragAcceptFiles(window_, TRUE);
      return 0;
    }
    case kAskForPriceFile:
      if (std::optional<std::filesystem::path> file = AskForPriceFile(window_)) {
        ShowEstimation().OpenFile(std::move(*file));
      }
      return 0;
    case WM_DROPFILES:
      if (std::optional<std::filesystem::path> file = DroppedFile(reinterpret_cast<HDROP>(wParam))) {
        ShowEstimation().OpenFile(std::move(*file));
      }
      return 0;
    case WM_DPICHANGED:
      ApplyDpi(HIWORD(wParam));
      MoveToSuggestedRect(window_, lParam);
      return 0;
    case WM_SIZE:
      PlaceControls();
      return 0;
    case WM_GETMINMAXINFO:
      KeepAtLeast(window_, kForm.width, kForm.height, lParam);
      return 0;
    case WM_COMMAND:
      if (lParam == 0) {
        menuCommand(LOWORD(wParam));  // from the menu or an accelerator
      } else if (HIWORD(wParam) == BN_CLICKED) {
        buttonClicked(LOWORD(wParam));
      } else if (HIWORD(wParam) == EN_CHANGE) {
        const auto textBox = reinterpret_cast<HWND>(lParam);
        ShowWholeTextIfCut(textBox);
        const bool isInput = std::any_of(kDistributionFields.begin(), kDistributionFields.end(),
                                         [&](Field field) { return textBoxes_[IndexOf(field)] == textBox; });
        if (isInput && distribution_ != nullptr) distribution_->Refresh();
      }
      return 0;
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_ACTIVATE:
      // Keep the focus in its box when the window is left and come back to.
      if (LOWORD(wParam) == WA_INACTIVE) {
        focusBeforeDeactivation_ = GetFocus();
      } else if (focusBeforeDeactivation_ != nullptr) {
        SetFocus(focusBeforeDeactivation_);
      }
      return 0;
    case WM_DESTROY:
      if (font_ != nullptr) DeleteObject(font_);
      if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
      PostQuitMessage(exitStatus_);
      return 0;
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

void Win32MainWindow::CreateControls() {
  // The whole form is one group of the dialog keys: no control begins
  // another.
  for (const std::size_t index : CreationOrder()) {
    controls_[index] = CreateControl(kControls, index, window_, Win32ControlId(index), 0);
  }
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
  toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                             instance, nullptr);
  for (const FieldBinding& binding : kFieldBindings) {
    HWND textBox = controls_[binding.textBox];
    SendMessageW(textBox, EM_SETLIMITTEXT, 0, 0);  // as long as the system allows
    textBoxes_[IndexOf(binding.field)] = textBox;
    // Every box is a tool whose text is empty, and so shows nothing, until
    // its text is cut off.
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(textBox);
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

// A box whose text is wider than the room it shows text in carries the whole
// text as its tooltip; one whose text fits carries none.
void Win32MainWindow::ShowWholeTextIfCut(HWND textBox) {
  const int length = GetWindowTextLengthW(textBox);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(textBox, text.data(), length + 1)));
  HDC context = GetDC(textBox);
  const HGDIOBJ previous =
      SelectObject(context, reinterpret_cast<HFONT>(SendMessageW(textBox, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(context, previous);
  ReleaseDC(textBox, context);
  RECT client{};
  GetClientRect(textBox, &client);
  const auto margins = static_cast<DWORD>(SendMessageW(textBox, EM_GETMARGINS, 0, 0));
  const int room = client.right - client.left - LOWORD(margins) - HIWORD(margins);

  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(textBox);
  tool.lpszText = extent.cx > room ? text.data() : const_cast<wchar_t*>(L"");
  SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The font, the client area's size and the controls' places for the given
// dots per inch.
void Win32MainWindow::ApplyDpi(UINT dpi) {
  const auto pixelsPerInch = static_cast<int>(dpi);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
  LOGFONTW face = metrics.lfMessageFont;
  // The places were laid out for an 8-point face.
  face.lfHeight = -MulDiv(kFontPointSize, pixelsPerInch, 72);
  HFONT font = CreateFontIndirectW(&face);
  for (HWND control : controls_) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (font_ != nullptr) DeleteObject(font_);
  font_ = font;

  const SIZE frame = FrameSizeOf(window_, kForm.width, kForm.height);
  SetWindowPos(window_, nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceControls();
}

// Places every control for the client area's width, at the window's dots
// per inch: each of a control's left, top, width and height scaled on its
// own from its pixels at 96, so that each rounds as its twips would.
void Win32MainWindow::PlaceControls() {
  if (controls_.back() == nullptr) return;  // sized while it is created
  const auto pixelsPerInch = static_cast<int>(GetDpiForWindow(window_));
  const auto scaled = [pixelsPerInch](int pixels) { return MulDiv(pixels, pixelsPerInch, kStandardDpi); };
  RECT client{};
  GetClientRect(window_, &client);
  const int width = MulDiv(client.right - client.left, kStandardDpi, pixelsPerInch);
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    const Rectangle place = FormPlaceAcross(kControls[i], width);
    SetWindowPos(controls_[i], nullptr, scaled(place.left), scaled(place.top), scaled(place.width),
                 scaled(place.height), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  for (const HWND textBox : textBoxes_) ShowWholeTextIfCut(textBox);
}

void Win32MainWindow::buttonClicked(int controlId) {
  for (const ButtonBinding& binding : kButtonBindings) {
    if (Win32ControlId(binding.button) == controlId) runner_.Run(binding.action);
  }
}

void Win32MainWindow::menuCommand(int menuId) {
  if (menuId == Win32MenuId(MenuCommand::Quit)) {
    PostMessageW(window_, WM_CLOSE, 0, 0);
  } else if (menuId == Win32MenuId(MenuCommand::CopyResults)) {
    CopyResults();
  } else if (menuId == Win32MenuId(MenuCommand::About)) {
    ShowAbout();
  } else if (menuId == Win32MenuId(MenuCommand::Distribution)) {
    ShowDistribution();
  } else if (menuId == Win32MenuId(MenuCommand::OpenPrices)) {
    PostMessageW(window_, kAskForPriceFile, 0, 0);
  } else if (menuId == Win32MenuId(MenuCommand::PastePrices)) {
    ShowEstimation().OpenText(TextOnClipboard(window_).value_or(std::string()));
  }
}

// One window at a time, built when first used and shown for what is opened
// in it; it writes the form only when the user asks it to, the three inputs
// as a user could type them.
Win32EstimationWindow& Win32MainWindow::ShowEstimation() {
  if (estimation_ == nullptr) {
    estimation_ = std::make_unique<Win32EstimationWindow>(
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE)), window_, *this);
  }
  estimation_->Show();
  return *estimation_;
}

// One window at a time, built when first shown so that it costs the start-up
// nothing; it follows every change of the four inputs and reads them only.
void Win32MainWindow::ShowDistribution() {
  if (distribution_ == nullptr) {
    distribution_ = std::make_unique<Win32DistributionWindow>(
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE)), window_, *this);
  }
  distribution_->Show();
}

// With Windows line ends, which every program pastes, and as a table beside
// the text.
void Win32MainWindow::CopyResults() {
  const std::vector<Figure> rows = ResultRows(*this);
  PutTextOnClipboard(window_, TabSeparatedText(rows, "\r\n"), HtmlTableOf(rows));
}

// A message box with the program's icon, built when it is shown.
void Win32MainWindow::ShowAbout() {
  const std::wstring text = WideOf(AboutText());
  const std::wstring title = WideOf(kAboutTitle);
  MSGBOXPARAMSW about{};
  about.cbSize = sizeof about;
  about.hwndOwner = window_;
  about.hInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
  about.lpszText = text.c_str();
  about.lpszCaption = title.c_str();
  about.dwStyle = MB_OK | MB_USERICON;
  about.lpszIcon = MAKEINTRESOURCEW(1);
  MessageBoxIndirectW(&about);
}

std::string Win32MainWindow::GetFieldText(Field field) { return WindowTextOf(textBoxes_[IndexOf(field)]); }

void Win32MainWindow::SetFieldText(Field field, std::string_view text) {
  SetWindowTextW(textBoxes_[IndexOf(field)], WideOf(text).c_str());
}

void Win32MainWindow::ShowAndEnd(const RunTimeError& error) {
  MessageBoxW(window_, WideOf(ReportTextOf(error)).c_str(), L"Cotalia", MB_OK | MB_ICONERROR);
  exitStatus_ = kFailedExitStatus;
  DestroyWindow(window_);
}

}  // namespace cotalia
