// SPDX-License-Identifier: GPL-3.0-or-later
#include <windows.h>

#include "window/startup.h"
#include "window/win32/win32_main_window.h"

namespace cotalia {

int RunCotalia(int /*argc*/, char** /*argv*/) {
  return Win32MainWindow::Run(GetModuleHandleW(nullptr), SW_SHOWDEFAULT);
}

}  // namespace cotalia
