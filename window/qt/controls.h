// SPDX-License-Identifier: GPL-3.0-or-later
// A widget for one row of a window's table (window_controls.h), whichever
// window the table describes: the form and the windows beyond it are built
// alike, and only a window's own file places, orders and wires them.
#pragma once

#include <QWidget>

#include "window/controls/window_controls.h"

namespace cotalia {

// The row's widget in `parent`, named by its row for tests and screen
// readers; not yet placed.
QWidget* CreateControl(const WindowControl& control, QWidget* parent);

}  // namespace cotalia
