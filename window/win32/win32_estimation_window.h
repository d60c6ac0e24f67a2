// SPDX-License-Identifier: GPL-3.0-or-later
// The estimation window on the Win32 API, built from its description
// (estimation_description.h) as every described window is
// (win32_described_window.h), with its own menu. Readings run on a thread
// of their own (background_reading.h), which a timer on the window's thread
// polls; the progress bar and its Cancelar button show only while one takes
// longer than a moment. It writes the form only through the function it is
// given, when the user presses "Usar en el formulario".
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "window/estimation/background_reading.h"
#include "window/estimation/estimation_description.h"
#include "window/estimation/estimation_view.h"
#include "window/win32/win32_described_window.h"

namespace cotalia {

inline constexpr wchar_t kWin32EstimationClass[] = L"CotaliaEstimation";

constexpr int Win32EstimationControlId(EstimationControl control) {
  return Win32RowId(static_cast<std::size_t>(control));
}

static_assert(std::all_of(kEstimationControls.begin(), kEstimationControls.end(),
                          [](const WindowControl& row) { return row.choices.size() <= kMostChoices; }),
              "a choice's buttons would take the identifiers of the next row's");

// The first file that a drop carries, if it carries one; the drop is done
// with either way.
std::optional<std::filesystem::path> DroppedFile(HDROP drop);

class Win32EstimationWindow final : public Win32DescribedWindow {
 public:
  using WriteForm = std::function<void(const FormInputs&)>;

  Win32EstimationWindow(HINSTANCE instance, HWND owner, WriteForm writeForm);
  ~Win32EstimationWindow() override;

  void Show();
  void OpenFile(std::filesystem::path path);
  void OpenText(std::string text);

 private:
  void Command(int id, int code, HWND control) override;
  void Close() override;
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void StartReading();
  void Poll();
  void ShowState();
  void Refresh();

  WriteForm writeForm_;
  EstimationSession session_;
  EstimationView view_;
  int pollsWhileReading_ = 0;
  bool showingState_ = false;  // the window, not the user, is writing its boxes
};

}  // namespace cotalia
