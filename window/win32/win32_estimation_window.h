// SPDX-License-Identifier: GPL-3.0-or-later
// The estimation window on the Win32 API, built from its description
// (estimation_description.h) as every described window is
// (win32_described_window.h), with its own menu. What it does is its
// session's (estimation_session.h): this file passes on the controls'
// notifications, the menu's Copiar cifras, files opened, pasted and dropped,
// and the ticks of the timer that polls a reading.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

#include "model/simulator_actions.h"
#include "window/estimation/estimation_description.h"
#include "window/estimation/estimation_session.h"
#include "window/win32/win32_described_window.h"

namespace cotalia {

inline constexpr wchar_t kWin32EstimationClass[] = L"CotaliaEstimation";

constexpr int Win32EstimationControlId(EstimationControl control) { return Win32RowId(RowIndex(control)); }

static_assert(std::all_of(kEstimationControls.begin(), kEstimationControls.end(),
                          [](const WindowControl& row) { return row.choices.size() <= kMostChoices; }),
              "a choice's buttons would take the identifiers of the next row's");

// The first file that a drop carries, if it carries one; the drop is done
// with either way.
std::optional<std::filesystem::path> DroppedFile(HDROP drop);
// The file of prices chosen in the system's open dialog, modal over `owner`;
// none where the user cancels.
std::optional<std::filesystem::path> AskForPriceFile(HWND owner);

class Win32EstimationWindow final : public Win32DescribedWindow {
 public:
  // `form` is written only when the user asks, and outlives the window.
  Win32EstimationWindow(HINSTANCE instance, HWND owner, FieldAccess& form);
  ~Win32EstimationWindow() override;

  void Show();
  void OpenFile(std::filesystem::path path);
  void OpenText(std::string text);

 private:
  void Command(int id, int code, HWND control) override;
  void Close() override;
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void FollowPolling();

  EstimationSession session_;
};

}  // namespace cotalia
