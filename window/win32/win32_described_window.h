// SPDX-License-Identifier: GPL-3.0-or-later
// What every window beyond the form does alike on the Win32 API: a child
// control for each row of its table (window_controls.h), in the table's
// order, which is the z-order and the Tab key's, each placed where its row
// says at the window's DPI and written in the system's message font; charts
// painted with GDI+ from the shared drawing and described to screen readers,
// and copied or saved as images; a menu bar from a table of items; and the
// dialog keys (Tab, the arrows within a choice, a label's mnemonic, Esc to
// close). Its controls are the window's surface (window_surface.h): a
// window's own file only passes their events to its session.
#pragma once

#include <windows.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "window/charts/chart_drawing.h"
#include "window/controls/window_controls.h"
#include "window/controls/window_surface.h"
#include "window/exports/chart_file.h"
#include "window/form/menu_bar.h"
#include "window/win32/win32_chart_painting.h"
#include "window/win32/win32_clipboard.h"
#include "window/win32/win32_menu_bar.h"

namespace cotalia {

inline constexpr wchar_t kWin32ChartClass[] = L"CotaliaChart";

// The child-window identifier of a row of a window's table, from its place
// in it: above IDOK and IDCANCEL, which IsDialogMessage sends for Enter and
// Esc, and above the form's.
constexpr int Win32RowId(std::size_t row) { return 2000 + static_cast<int>(row); }

// The identifier of the index-th radio button of a choice: a row's buttons
// follow one another, above every row's own identifier.
inline constexpr std::size_t kMostChoices = 10;
constexpr int Win32ChoiceId(std::size_t row, std::size_t index) {
  return 3000 + static_cast<int>(kMostChoices * row + index);
}

// A progress bar's steps from nothing to done.
inline constexpr int kProgressSteps = 1000;

class Win32DescribedWindow : public WindowSurface {
 public:
  ~Win32DescribedWindow() override;
  Win32DescribedWindow(const Win32DescribedWindow&) = delete;
  Win32DescribedWindow& operator=(const Win32DescribedWindow&) = delete;

  HWND window() const { return window_; }
  // Takes the keys of the window's menu, Esc and those that move about the
  // window from the message loop, as a dialog's; false for a message it
  // leaves to others.
  bool TakeDialogMessage(MSG& message);

  // The window's surface. Its boxes write "\n" as "\r\n", and writing them
  // sends the window no notification; a line the window writes (a row of
  // role Note without a caption) tells screen readers that its value
  // changed, where it did. A chart given a drawing tells them that its
  // description changed, even to the same words.
  std::string TextOf(std::size_t row) const override;
  std::size_t ChoiceOf(std::size_t row) const override;
  void SetText(std::size_t row, std::string_view text) override;
  void SetItems(std::size_t row, std::span<const std::string> items,
                std::optional<std::size_t> selected) override;
  void SetEnabled(std::size_t row, bool enabled) override;
  void SetShown(std::size_t row, bool shown) override;
  void SetProgress(std::size_t row, double fraction) override;
  void SetChart(std::size_t row, ChartDrawer drawer, std::string description) override;
  ChartFrame FrameOf(std::size_t row) const override;
  void PutOnClipboard(std::string_view text, std::string_view html) override;

 protected:
  explicit Win32DescribedWindow(const WindowDescription& description);

  // Creates the window, its menu and a control for each row. Called by the
  // window's own constructor, so that the window's notifications reach it.
  void Create(HINSTANCE instance, HWND owner, const wchar_t* className, std::span<const MenuItem> menu);

  template <typename Row>
  HWND control(Row row) const {
    return controls_[RowIndex(row)];
  }
  template <typename Row>
  HWND choiceButton(Row row, std::size_t index) const {
    return GetDlgItem(window_, Win32ChoiceId(RowIndex(row), index));
  }
  template <typename Row>
  bool Chosen(Row row, std::size_t index) const {
    return SendMessageW(choiceButton(row, index), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  template <typename Row>
  void SetChart(Row row, ChartDrawer drawer, std::string description) {
    SetChart(RowIndex(row), std::move(drawer), std::move(description));
  }
  // Shows or hides a control; the focus leaves it first when it goes, as it
  // does when it is disabled.
  void ShowControl(HWND control, bool shown);
  void EnableControl(HWND control, bool enabled);
  // The row of a notification that a box's text changed or a choice's
  // button was clicked; none for any other.
  std::optional<std::size_t> ChangedRow(int id, int code) const;

  // A control's notification (`control` its window) or a menu command
  // (`control` null; `code` 1 from an accelerator). The chart commands of
  // the menu (Guardar gráfico como…, Copiar gráfico) are the window's own
  // and do not come here.
  virtual void Command(int id, int code, HWND control) = 0;
  // The pointer moved over the chart of a row, x pixels from its left; a
  // key went down while the chart had the focus, true where the window took
  // it. The arrows reach a chart: it asks the dialog keys for them.
  virtual void ChartPointer(std::size_t row, int x);
  virtual bool ChartKey(std::size_t row, WPARAM key);
  // Esc and the close box hide the window: it is kept for the next time and
  // ends with the form.
  virtual void Close();
  // The window's messages; a window's own take theirs and pass the rest on.
  virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  struct Chart {
    ChartDrawer drawer;
    std::string description;
  };

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ChartProcedure(HWND chart, UINT message, WPARAM wParam, LPARAM lParam);
  static std::optional<std::string> DescriptionOfChart(HWND chart);
  static Win32DescribedWindow* WindowOfChild(HWND child, std::size_t& row);
  static void RegisterChartClass(HINSTANCE instance);
  void TakeCommand(WPARAM wParam, LPARAM lParam);
  void SetLine(std::size_t row, std::string_view utf8) const;
  void CreateControls();
  void Choose(std::size_t row);
  void Layout();
  void ApplyDpi(UINT dpi);
  void PaintChart(std::size_t row, HDC target) const;
  std::size_t ChartOfCommand() const;
  std::string ChartSvg(std::size_t row) const;
  void CopyChart(std::size_t row) const;
  void AskForChartFile(std::size_t row);
  std::optional<std::string> SaveChart(std::size_t row, const std::filesystem::path& path,
                                       const ChartFileKind& kind) const;

  // Posted by "Guardar gráfico como…" with the chart's row, so that the menu
  // command returns before the dialog runs its loop, as the form's open
  // dialog is.
  static constexpr UINT kAskForChartFile = WM_APP + 1;

  const WindowDescription& description_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HWND focusBeforeDeactivation_ = nullptr;
  ULONG_PTR gdiplus_ = 0;
  std::vector<HWND> controls_;  // in the order of the table
  std::vector<Chart> charts_;   // by row; nothing to draw for a row that is no chart
  DWORD chartFilter_ = 1;       // the save dialog's filter chosen last, from 1
  bool writing_ = false;        // a control is being written: its notifications are the window's own
};

}  // namespace cotalia
