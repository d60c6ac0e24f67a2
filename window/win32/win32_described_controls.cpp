// SPDX-License-Identifier: GPL-3.0-or-later
// A described window's controls: one child for each row of its table, of
// the class its role asks for, placed where the row says at the window's
// DPI and written in its font.
#include "window/win32/win32_described_window.h"

// After windows.h, which it needs.
#include <commctrl.h>

#include "window/win32/win32_controls.h"
#include "window/win32/win32_window_class.h"

namespace cotalia {

namespace {

// The place in pixels at `dpi`, each side scaled from 96 dots per inch, so
// that controls that meet at 96 meet at every DPI.
Place AtDpi(const Place& place, int dpi) {
  const auto scaled = [dpi](Side side) { return Side{MulDiv(side.pixels, dpi, 96), side.fromFar}; };
  return {scaled(place.left), scaled(place.top), scaled(place.right), scaled(place.bottom)};
}

// A rectangle at 96 dots per inch in pixels at `dpi`, edge by edge.
Rectangle AtDpi(const Rectangle& rectangle, int dpi) {
  const int left = MulDiv(rectangle.left, dpi, 96);
  const int top = MulDiv(rectangle.top, dpi, 96);
  return {left, top, MulDiv(rectangle.left + rectangle.width, dpi, 96) - left,
          MulDiv(rectangle.top + rectangle.height, dpi, 96) - top};
}

}  // namespace

// One child for each row, in the table's order, which is the z-order; a
// choice's radio buttons just after its group. Each row begins a group of
// the dialog keys, so that the arrows move only among a choice's buttons.
void Win32DescribedWindow::CreateControls() {
  const std::span<const WindowControl> rows = description_.controls;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    controls_[i] = CreateControl(rows, i, window_, Win32RowId(i), WS_GROUP);
  }
}

// The Tab key stops at a choice's checked button, as in a dialog.
void Win32DescribedWindow::Choose(std::size_t row) {
  if (row >= controls_.size()) return;
  for (std::size_t b = 0; b < description_.controls[row].choices.size(); ++b) {
    HWND radio = choiceButton(row, b);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(radio, GWL_STYLE));
    SetWindowLongPtrW(radio, GWL_STYLE,
                      Chosen(row, b) ? style | WS_TABSTOP : style & ~static_cast<DWORD>(WS_TABSTOP));
  }
}

// Every control where its row puts it in the client area, at the window's
// DPI, and a choice's buttons inside their group.
void Win32DescribedWindow::Layout() {
  const auto dpi = static_cast<int>(GetDpiForWindow(window_));
  RECT client{};
  GetClientRect(window_, &client);
  const auto move = [](HWND window, const Rectangle& place) {
    SetWindowPos(window, nullptr, place.left, place.top, place.width, place.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  };
  const std::span<const WindowControl> rows = description_.controls;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const WindowControl& row = rows[i];
    const Rectangle place = RectangleOf(AtDpi(row.place, dpi), client.right, client.bottom);
    move(controls_[i], place);
    const Rectangle group{0, 0, MulDiv(place.width, 96, dpi), MulDiv(place.height, 96, dpi)};
    for (std::size_t b = 0; b < row.choices.size(); ++b) {
      const Rectangle inGroup = AtDpi(ChoiceButtonOf(group, b, row.choices.size()), dpi);
      move(choiceButton(i, b),
           {place.left + inGroup.left, place.top + inGroup.top, inGroup.width, inGroup.height});
    }
    if (row.role == ControlRole::Chart) InvalidateRect(controls_[i], nullptr, FALSE);
  }
}

// The font and the client area's size for the DPI, and every control placed
// for them.
void Win32DescribedWindow::ApplyDpi(UINT dpi) {
  HFONT font = CreateWindowFont(dpi);
  for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  if (font_ != nullptr) DeleteObject(font_);
  font_ = font;
  const SIZE frame = FrameSizeOf(window_, description_.width, description_.height);
  SetWindowPos(window_, nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();  // the size may be the same, and send no WM_SIZE
}

}  // namespace cotalia
