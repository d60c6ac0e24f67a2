// SPDX-License-Identifier: GPL-3.0-or-later
// The price distribution window on the Win32 API, built from its description
// (distribution_description.h) as every described window is
// (win32_described_window.h), with the menu of a window with charts, its
// events passed to the window's session (distribution_session.h). It is
// owned by the form, whose four texts the session reads through the
// FieldAccess it is given and never writes.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>

#include "model/simulator_actions.h"
#include "window/distribution/distribution_description.h"
#include "window/distribution/distribution_session.h"
#include "window/win32/win32_described_window.h"

namespace cotalia {

inline constexpr wchar_t kWin32DistributionClass[] = L"CotaliaDistribution";

constexpr int Win32DistributionControlId(DistributionControl control) {
  return Win32RowId(RowIndex(control));
}

constexpr int Win32ChoiceButtonId(DistributionControl choice, std::size_t index) {
  return Win32ChoiceId(RowIndex(choice), index);
}

static_assert(std::all_of(kDistributionControls.begin(), kDistributionControls.end(),
                          [](const WindowControl& row) { return row.choices.size() <= kMostChoices; }),
              "a choice's buttons would take the identifiers of the next row's");

class Win32DistributionWindow final : public Win32DescribedWindow {
 public:
  Win32DistributionWindow(HINSTANCE instance, HWND owner, FieldAccess& form);

  const DistributionView& view() const { return session_.view(); }
  const ChartOptions& options() const { return session_.options(); }
  void Show();
  // Reads the form's texts and the window's own inputs again and redraws.
  void Refresh() { session_.Refresh(); }

 private:
  void Command(int id, int code, HWND control) override;
  void ChartPointer(std::size_t row, int x) override;
  bool ChartKey(std::size_t row, WPARAM key) override;

  DistributionSession session_;
};

}  // namespace cotalia
