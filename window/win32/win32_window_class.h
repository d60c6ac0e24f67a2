// SPDX-License-Identifier: GPL-3.0-or-later
// The window class that both of the program's top-level windows register:
// the program's icon, the arrow cursor and the dialog face behind controls.
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

}  // namespace cotalia
