// SPDX-License-Identifier: GPL-3.0-or-later
// A menu bar from its table on the Win32 API: its items, and their
// shortcuts as accelerators.
#pragma once

#include <windows.h>

#include <span>

#include "window/form/menu_bar.h"

namespace cotalia {

// The identifier of a menu command, below the controls'.
constexpr int Win32MenuId(MenuCommand command) { return 100 + static_cast<int>(command); }

// A menu bar from its table, with each shortcut written after a tab and made
// an accelerator; the items for another toolkit left out.
struct Win32MenuBar {
  HMENU menu;
  HACCEL accelerators;
};
Win32MenuBar CreateWin32MenuBar(std::span<const MenuItem> items);

}  // namespace cotalia
