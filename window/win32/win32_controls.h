// SPDX-License-Identifier: GPL-3.0-or-later
// A child control for one row of a window's table (window_controls.h),
// whichever window the table describes: the form and the windows beyond it
// are built alike, and only a window's own file places, orders, sizes and
// wires them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <span>

#include "window/controls/window_controls.h"

namespace cotalia {

// The control of rows[row] in `parent`, with the identifier `id` and, added
// to its own, the style `style` (WS_GROUP where each row begins a group of
// the dialog keys); a choice's radio buttons just after it, the first
// checked. The order of the calls is the z-order, which is the Tab key's
// order and the one in which screen readers name a control after the label
// before it. Not yet placed, and in the system's font until given one.
HWND CreateControl(std::span<const WindowControl> rows, std::size_t row, HWND parent, int id, DWORD style);

}  // namespace cotalia
