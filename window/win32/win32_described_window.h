// SPDX-License-Identifier: GPL-3.0-or-later
// What every window beyond the form does alike on the Win32 API: a child
// control for each row of its table (window_controls.h), in the table's
// order, which is the z-order and the Tab key's, each placed where its row
// says at the window's DPI and written in the system's message font; charts
// painted with GDI+ from the shared drawing and described to screen readers,
// and copied or saved as images; a menu bar from a table of items; and the
// dialog keys (Tab, the arrows within a choice, a label's mnemonic, Esc to
// close). A window's own file then only wires its inputs to its view.
#pragma once

#include <windows.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "window/charts/chart_drawing.h"
#include "window/controls/window_controls.h"
#include "window/exports/chart_file.h"
#include "window/form/menu_bar.h"

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

// The identifier of a menu command, below the controls'.
constexpr int Win32MenuId(MenuCommand command) { return 100 + static_cast<int>(command); }

// A menu bar from its table, with each shortcut written after a tab and made
// an accelerator; the items for another toolkit left out.
struct Win32MenuBar {
  HMENU menu;
  HACCEL accelerators;
};
Win32MenuBar CreateWin32MenuBar(std::span<const MenuItem> items);

// The system's message font at that DPI, in which the windows write and the
// charts measure their labels; the caller deletes it.
HFONT CreateWindowFont(UINT dpi);

// What a chart paints in a client area of that size, in pixels, at that
// DPI: its labels measured by GDI+ in `font` as they are drawn.
ChartDrawing Win32ChartDrawing(const ChartDrawer& drawer, HDC context, HFONT font, SIZE area, UINT dpi);

// What goes on the clipboard in one of its formats: the bytes of its global
// block as they are.
struct ClipboardBlock {
  UINT format;
  std::string bytes;
};

// Every block on the clipboard at once, in their order, in place of what it
// held: a program that pastes takes the richest format it reads. False where
// the clipboard is busy or a block cannot be placed.
bool PutOnClipboard(HWND owner, std::span<const ClipboardBlock> blocks);

// Text for the clipboard as UTF-16 (which every program pastes), with
// `html`, a document as HtmlTableOf writes it, beside it in Windows' "HTML
// Format" (which spreadsheets read their cells' values from) where it is
// given; and the clipboard's text as UTF-8, none where it holds no text or is
// busy.
void PutTextOnClipboard(HWND owner, std::string_view utf8, std::string_view html = {});
std::optional<std::string> TextOnClipboard(HWND owner);

class Win32DescribedWindow {
 public:
  virtual ~Win32DescribedWindow();
  Win32DescribedWindow(const Win32DescribedWindow&) = delete;
  Win32DescribedWindow& operator=(const Win32DescribedWindow&) = delete;

  HWND window() const { return window_; }
  // Takes the keys of the window's menu, Esc and those that move about the
  // window from the message loop, as a dialog's; false for a message it
  // leaves to others.
  bool TakeDialogMessage(MSG& message);

 protected:
  explicit Win32DescribedWindow(const WindowDescription& description);

  // Creates the window, its menu and a control for each row. Called by the
  // window's own constructor, so that the window's notifications reach it.
  void Create(HINSTANCE instance, HWND owner, const wchar_t* className, std::span<const MenuItem> menu);

  template <typename Row>
  HWND control(Row row) const {
    return controls_[static_cast<std::size_t>(row)];
  }
  template <typename Row>
  HWND choiceButton(Row row, std::size_t index) const {
    return GetDlgItem(window_, Win32ChoiceId(static_cast<std::size_t>(row), index));
  }
  template <typename Row>
  bool Chosen(Row row, std::size_t index) const {
    return SendMessageW(choiceButton(row, index), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  // The chart of a row paints what `drawer` gives from now on; screen
  // readers hear that its description changed.
  template <typename Row>
  void SetChart(Row row, ChartDrawer drawer, std::string description) {
    SetChartAt(static_cast<std::size_t>(row), std::move(drawer), std::move(description));
  }
  // Calls `use` with the chart's area and its labels' measure as its
  // painting gives them now, at the window's DPI and in its font: a reading
  // of the chart is taken in the very area the chart is drawn in.
  template <typename Row>
  void MeasureChart(Row row, const std::function<void(const ChartArea&, const TextWidth&)>& use) const {
    MeasureChartAt(static_cast<std::size_t>(row), use);
  }
  // Redraws a chart whose drawer draws something else now (its marker
  // moved) but says the same of it.
  template <typename Row>
  void RepaintChart(Row row) const {
    InvalidateRect(control(row), nullptr, FALSE);
  }
  // Writes a line that the window rewrites (a row of role Note without a
  // caption), and tells screen readers that its value changed; nothing
  // where it already says that.
  template <typename Row>
  void SetLine(Row row, std::string_view utf8) const {
    SetLineAt(static_cast<std::size_t>(row), utf8);
  }
  // Shows or hides a control; the focus leaves it first when it goes, as it
  // does when it is disabled.
  void ShowControl(HWND control, bool shown);
  void EnableControl(HWND control, bool enabled);

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
  static LRESULT CALLBACK LineProcedure(HWND line, UINT message, WPARAM wParam, LPARAM lParam);
  static std::optional<std::string> DescriptionOfChart(HWND chart);
  static Win32DescribedWindow* WindowOfChild(HWND child, std::size_t& row);
  void SetChartAt(std::size_t row, ChartDrawer drawer, std::string description);
  void MeasureChartAt(std::size_t row,
                      const std::function<void(const ChartArea&, const TextWidth&)>& use) const;
  void SetLineAt(std::size_t row, std::string_view utf8) const;
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

  const WindowDescription& description_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HWND focusBeforeDeactivation_ = nullptr;
  ULONG_PTR gdiplus_ = 0;
  std::vector<HWND> controls_;  // in the order of the table
  std::vector<Chart> charts_;   // by row; nothing to draw for a row that is no chart
  DWORD chartFilter_ = 1;       // the save dialog's filter chosen last, from 1
};

}  // namespace cotalia
