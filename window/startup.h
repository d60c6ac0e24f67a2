// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace cotalia {

// Builds and shows Form1 and runs the event loop; returns the program's exit
// status: 0 when the window is closed, kFailedExitStatus after an error report.
int RunCotalia(int argc, char** argv);

}  // namespace cotalia
