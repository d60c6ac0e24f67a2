// SPDX-License-Identifier: GPL-3.0-or-later
// Form1 on the Win32 API, built from the window description table. A click
// on a button arrives as WM_COMMAND, which hands the button's action to the
// ActionRunner; the action reads and writes the EDIT boxes through this
// window's FieldAccess, and a failed action ends in ShowAndEnd: MessageBoxW,
// then the end of the message loop with kFailedExitStatus. A menu command
// or its accelerator also arrives as WM_COMMAND and never runs an action; a
// file dropped on the form opens in the estimation window.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <memory>
#include <string>

#include "model/simulator_actions.h"
#include "window/error_report.h"
#include "window/form/menu_bar.h"
#include "window/form/window_description.h"
#include "window/win32/win32_distribution_window.h"
#include "window/win32/win32_estimation_window.h"

namespace cotalia {

inline constexpr wchar_t kWin32WindowClass[] = L"CotaliaForm1";

// The child-window identifier of kControls[index]; identifiers start above
// IDOK and IDCANCEL, which IsDialogMessage sends for Enter and Escape.
constexpr int Win32ControlId(std::size_t index) { return 1000 + static_cast<int>(index); }

class Win32MainWindow final : public FieldAccess, public ErrorReport {
 public:
  // Creates and shows the window and runs the message loop; gives the exit
  // status.
  static int Run(HINSTANCE instance, int show);

  std::string GetFieldText(Field field) override;
  void SetFieldText(Field field, std::string_view text) override;
  void ShowAndEnd(const RunTimeError& error) override;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void ApplyDpi(UINT dpi);
  void PlaceControls();
  void buttonClicked(int controlId);
  void menuCommand(int menuId);
  void CopyResults();
  void ShowAbout();
  void ShowDistribution();
  Win32EstimationWindow& ShowEstimation();
  void ShowWholeTextIfCut(HWND textBox);

  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HWND toolTip_ = nullptr;
  HWND focusBeforeDeactivation_ = nullptr;
  int exitStatus_ = 0;
  std::array<HWND, kControls.size()> controls_{};
  std::array<HWND, kFieldCount> textBoxes_{};
  std::unique_ptr<Win32DistributionWindow> distribution_;  // built when first shown
  std::unique_ptr<Win32EstimationWindow> estimation_;      // built when first used
  ActionRunner runner_{*this, *this};
};

}  // namespace cotalia
