// SPDX-License-Identifier: GPL-3.0-or-later
// The price distribution window on the Win32 API, built from its description
// (distribution_description.h): a child control for each row of the table,
// in the table's order, placed where the row says at the window's DPI, and
// the chart painted with GDI+ from the shared drawing. It is owned by the
// form, reads the form's four texts through the function it is given and
// never writes them.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <functional>
#include <string>

#include "distribution_description.h"
#include "distribution_view.h"

namespace cotalia {

inline constexpr wchar_t kWin32DistributionClass[] = L"CotaliaDistribution";
inline constexpr wchar_t kWin32ChartClass[] = L"CotaliaChart";

// The child-window identifier of a row of the table, from its place in it:
// above IDOK and IDCANCEL, which IsDialogMessage sends for Enter and Esc,
// and above the form's.
constexpr int Win32DistributionControlId(DistributionControl control) {
  return 2000 + static_cast<int>(control);
}

// The identifier of the index-th radio button of a choice: a row's buttons
// follow one another, above every row's own identifier.
inline constexpr std::size_t kMostChoices = 10;
constexpr int Win32ChoiceButtonId(DistributionControl choice, std::size_t index) {
  return 3000 + static_cast<int>(kMostChoices) * static_cast<int>(choice) + static_cast<int>(index);
}

// The system's message font at that DPI, in which the window writes and the
// chart measures its labels; the caller deletes it.
HFONT CreateDistributionFont(UINT dpi);

// What the chart paints in a client area of that size, in pixels, at that
// DPI: its labels measured by GDI+ in `font` as they are drawn.
ChartDrawing Win32ChartDrawing(const DistributionView& view, HDC context, HFONT font, SIZE area, UINT dpi,
                               bool logarithmic);

class Win32DistributionWindow {
 public:
  using FormTexts = std::function<std::array<std::string, 4>()>;  // Text1 to Text4

  Win32DistributionWindow(HINSTANCE instance, HWND owner, FormTexts formTexts);
  ~Win32DistributionWindow();
  Win32DistributionWindow(const Win32DistributionWindow&) = delete;
  Win32DistributionWindow& operator=(const Win32DistributionWindow&) = delete;

  HWND window() const { return window_; }
  const DistributionView& view() const { return view_; }
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
  HWND control(DistributionControl which) const { return controls_[static_cast<std::size_t>(which)]; }
  HWND button(DistributionControl choice, std::size_t index) const {
    return GetDlgItem(window_, Win32ChoiceButtonId(choice, index));
  }
  void Choose(DistributionControl choice);
  void CreateControls();
  void Layout();
  void ApplyDpi(UINT dpi);
  void PaintChart(HDC target) const;

  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  ULONG_PTR gdiplus_ = 0;
  FormTexts formTexts_;
  DistributionView view_;
  bool logarithmic_ = false;
  std::array<HWND, kDistributionControls.size()> controls_{};  // in the order of the table
};

}  // namespace cotalia
