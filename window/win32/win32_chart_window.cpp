// SPDX-License-Identifier: GPL-3.0-or-later
// A described window's charts as child windows: a chart painted off screen
// from its drawer, read by the pointer and the keys, and described to
// screen readers.
#include "window/win32/win32_chart_accessible.h"
#include "window/win32/win32_described_window.h"
#include "window/win32/win32_text.h"

namespace cotalia {

void Win32DescribedWindow::RegisterChartClass(HINSTANCE instance) {
  WNDCLASSEXW chartClass{};
  chartClass.cbSize = sizeof chartClass;
  chartClass.lpfnWndProc = ChartProcedure;
  chartClass.hInstance = instance;
  chartClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  chartClass.lpszClassName = kWin32ChartClass;
  RegisterClassExW(&chartClass);  // fails, harmlessly, for the second window
}

Win32DescribedWindow* Win32DescribedWindow::WindowOfChild(HWND child, std::size_t& row) {
  if (IsWindow(child) == FALSE) return nullptr;
  auto* self = reinterpret_cast<Win32DescribedWindow*>(GetWindowLongPtrW(GetParent(child), GWLP_USERDATA));
  const int id = GetDlgCtrlID(child);
  if (self == nullptr || id < Win32RowId(0) || id >= Win32RowId(self->charts_.size())) return nullptr;
  row = static_cast<std::size_t>(id - Win32RowId(0));
  return self;
}

// What the window says of the chart now; none once its window is gone.
std::optional<std::string> Win32DescribedWindow::DescriptionOfChart(HWND chart) {
  std::size_t row = 0;
  const Win32DescribedWindow* self = WindowOfChild(chart, row);
  if (self == nullptr) return std::nullopt;
  return self->charts_[row].description;
}

LRESULT CALLBACK Win32DescribedWindow::ChartProcedure(HWND chart, UINT message, WPARAM wParam,
                                                      LPARAM lParam) {
  std::size_t row = 0;
  Win32DescribedWindow* self = WindowOfChild(chart, row);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // painted whole
    case WM_PAINT: {
      if (self == nullptr) break;
      PAINTSTRUCT paint{};
      HDC screen = BeginPaint(chart, &paint);
      self->PaintChart(row, screen);
      EndPaint(chart, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      if (self == nullptr) break;
      self->PaintChart(row, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(chart);
      return 0;
    case WM_MOUSEMOVE:
      if (self != nullptr) self->ChartPointer(row, static_cast<short>(LOWORD(lParam)));
      return 0;
    case WM_GETDLGCODE:
      // The arrows move along the chart rather than to the next control;
      // Tab still leaves it.
      return DLGC_WANTARROWS;
    case WM_KEYDOWN:
      if (self != nullptr && self->ChartKey(row, wParam)) return 0;
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
      InvalidateRect(chart, nullptr, FALSE);  // its focus rectangle
      break;
    case WM_GETOBJECT:
      if (self != nullptr && static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
        return AccessibleChartObject(chart, wParam, self->description_.controls[row].accessibleName,
                                     DescriptionOfChart);
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(chart, message, wParam, lParam);
}

// The shared drawing as it is given, antialiased with GDI+, drawn off screen
// and then copied, so that nothing flickers while the window is resized;
// with the focus rectangle where the chart has the focus and the window
// shows focus.
void Win32DescribedWindow::PaintChart(std::size_t row, HDC target) const {
  HWND chart = controls_[row];
  RECT area{};
  GetClientRect(chart, &area);
  HDC offscreen = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, area.right, area.bottom);
  const HGDIOBJ previous = SelectObject(offscreen, bitmap);
  PaintChartOn(offscreen, charts_[row].drawer, font_, {area.right, area.bottom}, GetDpiForWindow(chart));
  if (GetFocus() == chart && (SendMessageW(chart, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0) {
    RECT inside = area;
    InflateRect(&inside, -1, -1);
    DrawFocusRect(offscreen, &inside);
  }
  BitBlt(target, 0, 0, area.right, area.bottom, offscreen, 0, 0, SRCCOPY);
  SelectObject(offscreen, previous);
  DeleteObject(bitmap);
  DeleteDC(offscreen);
}

}  // namespace cotalia
