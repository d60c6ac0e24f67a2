// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/win32/win32_distribution_window.h"

#include <utility>

namespace cotalia {

namespace {

// The reading's keys by their virtual-key codes.
constexpr std::pair<WPARAM, ReadoutKey> kReadoutKeys[] = {{VK_LEFT, ReadoutKey::Left},
                                                          {VK_RIGHT, ReadoutKey::Right},
                                                          {VK_HOME, ReadoutKey::Home},
                                                          {VK_END, ReadoutKey::End}};

}  // namespace

Win32DistributionWindow::Win32DistributionWindow(HINSTANCE instance, HWND owner, FieldAccess& form)
    : Win32DescribedWindow(kDistributionWindow), session_(form, *this) {
  Create(instance, owner, kWin32DistributionClass, kDistributionMenuItems);
}

void Win32DistributionWindow::Show() {
  session_.Refresh();
  ShowWindow(window(), SW_SHOW);
  SetForegroundWindow(window());
  SetFocus(control(DistributionControl::Level));
}

void Win32DistributionWindow::ChartPointer(std::size_t /*row*/, int x) { session_.PointerAt(x); }

bool Win32DistributionWindow::ChartKey(std::size_t /*row*/, WPARAM key) {
  for (const auto& [code, readoutKey] : kReadoutKeys) {
    if (code != key) continue;
    session_.KeyPressed(readoutKey);
    return true;
  }
  return false;
}

void Win32DistributionWindow::Command(int id, int code, HWND control) {
  if (control == nullptr) {
    for (const MenuItem& item : kDistributionMenuItems) {
      if (Win32MenuId(item.command) == id) session_.Command(item.command);
    }
    return;
  }
  if (const std::optional<std::size_t> row = ChangedRow(id, code))
    session_.Changed(DistributionControl{*row});
}

}  // namespace cotalia
