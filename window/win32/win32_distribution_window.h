// SPDX-License-Identifier: GPL-3.0-or-later
// The price distribution window on the Win32 API: the level, the target and
// the price axis as its own inputs, the fan chart painted with GDI+ from the
// shared drawing, and the figures at the horizon in a read-only box. It is
// owned by the form, reads the form's four texts through the function it is
// given and never writes them.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "distribution_view.h"

namespace cotalia {

inline constexpr wchar_t kWin32DistributionClass[] = L"CotaliaDistribution";
inline constexpr wchar_t kWin32ChartClass[] = L"CotaliaChart";

// The identifiers of the window's controls.
enum Win32DistributionControl : int {
  kLevelBox = 2001,
  kTargetBox = 2002,
  kScaleList = 2003,
  kChart = 2004,
  kFiguresBox = 2005,
};

class Win32DistributionWindow {
 public:
  using FormTexts = std::function<std::array<std::string, 4>()>;  // Text1 to Text4

  Win32DistributionWindow(HINSTANCE instance, HWND owner, FormTexts formTexts);
  ~Win32DistributionWindow();
  Win32DistributionWindow(const Win32DistributionWindow&) = delete;
  Win32DistributionWindow& operator=(const Win32DistributionWindow&) = delete;

  HWND window() const { return window_; }
  // Takes the keys that move about the window (Tab, Esc) from the message
  // loop, as a dialog's do; false for a message it leaves to others.
  bool TakeDialogMessage(MSG& message);
  void Show();
  // Reads the form's texts and the window's own inputs again and redraws.
  void Refresh();

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ChartProcedure(HWND chart, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void Layout();
  void ApplyDpi(UINT dpi);
  void PaintChart(HDC context, const RECT& area) const;

  HWND window_ = nullptr;
  HWND chart_ = nullptr;
  HFONT font_ = nullptr;
  ULONG_PTR gdiplus_ = 0;
  FormTexts formTexts_;
  DistributionView view_;
  bool logarithmic_ = false;
};

}  // namespace cotalia
