// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the real Cotalia.exe, started as a child process, through window
// messages, as a screen reader or a test robot would: its controls, focus and
// Tab chain, the worked example, "Borrar", the error report and the exit
// status, the distribution window (its table, its scenario, its keys and
// the pixels of its chart), the estimation window (its table, prices pasted
// and opened, its scenario, a long reading cancelled, its keys), and the
// executable's version record.
// Usage: cotalia_win32_tests PATH\TO\Cotalia.exe [GoogleTest flags]
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/window/win32/win32_test_support.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PATH\\TO\\Cotalia.exe\n", argv[0]);
    return 2;
  }
  cotalia::g_executable = cotalia::WideOf(argv[1]);
  return RUN_ALL_TESTS();
}
