// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/win32/win32_menu_bar.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "window/win32/win32_text.h"

namespace cotalia {

Win32MenuBar CreateWin32MenuBar(std::span<const MenuItem> items) {
  HMENU bar = CreateMenu();
  HMENU menu = nullptr;
  std::string_view title;
  std::vector<ACCEL> accelerators;
  for (const MenuItem& item : items) {
    if (item.qtOnly) continue;
    if (menu == nullptr || item.menu != title) {
      menu = CreatePopupMenu();
      AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), WideOf(item.menu).c_str());
      title = item.menu;
    }
    const auto id = static_cast<WORD>(Win32MenuId(item.command));
    std::string caption(item.caption);
    if (!item.win32Shortcut.empty()) caption += "\t" + std::string(item.win32Shortcut);
    AppendMenuW(menu, MF_STRING, id, WideOf(caption).c_str());
    if (const std::optional<Shortcut> shortcut = ParseShortcut(item.win32Shortcut)) {
      BYTE flags = FVIRTKEY;
      if (shortcut->control) flags |= FCONTROL;
      if (shortcut->shift) flags |= FSHIFT;
      if (shortcut->alt) flags |= FALT;
      const WORD key = shortcut->letter != '\0' ? static_cast<WORD>(shortcut->letter)
                                                : static_cast<WORD>(VK_F1 + shortcut->functionKey - 1);
      accelerators.push_back({flags, key, id});
    }
  }
  return {bar, CreateAcceleratorTableW(accelerators.data(), static_cast<int>(accelerators.size()))};
}

}  // namespace cotalia
