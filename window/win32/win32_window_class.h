// SPDX-License-Identifier: GPL-3.0-or-later
// What the program's top-level windows share: their window class (the
// program's icon, the arrow cursor, the dialog face behind controls) and
// their move to a new monitor's DPI, and their size from their client area's.
#pragma once

#include <windows.h>

namespace cotalia {

inline void RegisterTopLevelClass(HINSTANCE instance, WNDPROC procedure, const wchar_t* name) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = name;
  RegisterClassExW(&windowClass);
}

// Where WM_DPICHANGED's lParam suggests the window go at its new DPI.
inline void MoveToSuggestedRect(HWND window, LPARAM suggestion) {
  const auto* suggested = reinterpret_cast<const RECT*>(suggestion);
  SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The window's outer size for a client area of `width` by `height` pixels
// at 96 dots per inch, at the window's own DPI, below its menu bar if any.
inline SIZE FrameSizeOf(HWND window, int width, int height) {
  const UINT dpi = GetDpiForWindow(window);
  const auto pixelsPerInch = static_cast<int>(dpi);
  RECT frame{0, 0, MulDiv(width, pixelsPerInch, 96), MulDiv(height, pixelsPerInch, 96)};
  AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)),
                           GetMenu(window) != nullptr ? TRUE : FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)), dpi);
  return {frame.right - frame.left, frame.bottom - frame.top};
}

// Answers WM_GETMINMAXINFO: never smaller than the client area as laid out,
// where nothing overlaps or is cut.
inline void KeepAtLeast(HWND window, int width, int height, LPARAM limits) {
  reinterpret_cast<MINMAXINFO*>(limits)->ptMinTrackSize = {FrameSizeOf(window, width, height).cx,
                                                           FrameSizeOf(window, width, height).cy};
}

}  // namespace cotalia
