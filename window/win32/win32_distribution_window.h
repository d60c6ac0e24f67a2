// SPDX-License-Identifier: GPL-3.0-or-later
// The price distribution window on the Win32 API, built from its description
// (distribution_description.h) as every described window is
// (win32_described_window.h), with the menu of a window with charts. It is
// owned by the form, reads the form's four texts through the function it is
// given and never writes them. The pointer over the chart and the arrow
// keys on it move a reading, which the view computes and the line under
// the chart shows.
#pragma once

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "window/distribution/distribution_description.h"
#include "window/distribution/distribution_view.h"
#include "window/win32/win32_described_window.h"

namespace cotalia {

inline constexpr wchar_t kWin32DistributionClass[] = L"CotaliaDistribution";

constexpr int Win32DistributionControlId(DistributionControl control) {
  return Win32RowId(static_cast<std::size_t>(control));
}

constexpr int Win32ChoiceButtonId(DistributionControl choice, std::size_t index) {
  return Win32ChoiceId(static_cast<std::size_t>(choice), index);
}

static_assert(std::all_of(kDistributionControls.begin(), kDistributionControls.end(),
                          [](const WindowControl& row) { return row.choices.size() <= kMostChoices; }),
              "a choice's buttons would take the identifiers of the next row's");

class Win32DistributionWindow final : public Win32DescribedWindow {
 public:
  using FormTexts = std::function<std::array<std::string, 4>()>;  // Text1 to Text4

  Win32DistributionWindow(HINSTANCE instance, HWND owner, FormTexts formTexts);

  const DistributionView& view() const { return view_; }
  const ChartOptions& options() const { return options_; }
  void Show();
  // Reads the form's texts and the window's own inputs again and redraws.
  void Refresh();

 private:
  void Command(int id, int code, HWND control) override;
  void ChartPointer(std::size_t row, int x) override;
  bool ChartKey(std::size_t row, WPARAM key) override;
  void ShowReading(const std::optional<ChartReading>& reading);

  FormTexts formTexts_;
  DistributionView view_;
  ChartOptions options_;
  std::optional<std::string> chartDescription_;  // what the chart says now; none before it is drawn
};

}  // namespace cotalia
