// SPDX-License-Identifier: GPL-3.0-or-later
// What the program's top-level windows share: their window class (the
// program's icon, the arrow cursor, the dialog face behind controls) and
// their move to a new monitor's DPI.
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

}  // namespace cotalia
