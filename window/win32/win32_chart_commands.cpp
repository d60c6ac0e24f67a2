// SPDX-License-Identifier: GPL-3.0-or-later
// A described window's chart commands: the chart aimed at, copied as an
// image and as SVG, or saved in a file the user names in the system's save
// dialog.
#include "window/win32/win32_described_window.h"

// After windows.h, which it needs.
#include <commdlg.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "window/charts/chart_svg.h"
#include "window/win32/win32_chart_images.h"
#include "window/win32/win32_text.h"

namespace cotalia {

namespace {

// The save dialog's filters: each kind's caption and its extension's
// pattern ended by a null, and a null after the last.
std::wstring ChartFilterText() {
  std::wstring text;
  for (const ChartFileKind& kind : kChartFileKinds) {
    text += WideOf(kind.caption);
    text += L'\0';
    text += L"*." + WideOf(kind.extension);
    text += L'\0';
  }
  return text;  // its own terminating null is the last
}

}  // namespace

// The chart that has the keyboard's focus, else the window's first; none
// (the number of rows) in a window without charts.
std::size_t Win32DescribedWindow::ChartOfCommand() const {
  const std::span<const WindowControl> rows = description_.controls;
  std::size_t first = rows.size();
  HWND focus = GetFocus();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].role != ControlRole::Chart) continue;
    if (controls_[i] == focus) return i;
    first = std::min(first, i);
  }
  return first;
}

// The drawing for the chart's size as an SVG file holds it, its text
// measured by the SVG's own table so that it reads the same everywhere,
// titled by the chart's name.
std::string Win32DescribedWindow::ChartSvg(std::size_t row) const {
  RECT client{};
  GetClientRect(controls_[row], &client);
  const ChartArea area = SvgArea(client.right, client.bottom);
  const ChartDrawer& drawer = charts_[row].drawer;
  return SvgOf(drawer ? drawer(area, SvgTextWidth(kSvgFontPixels)) : ChartDrawing{}, area,
               description_.controls[row].accessibleName);
}

// The chart as the window shows it, for programs that paste images, and as
// SVG beside it for those that take drawings.
void Win32DescribedWindow::CopyChart(std::size_t row) const {
  if (row >= controls_.size()) return;
  std::vector<ClipboardBlock> blocks;
  if (const std::unique_ptr<Gdiplus::Bitmap> image =
          ChartImage(controls_[row], charts_[row].drawer, font_, 1)) {
    if (std::string dib = DibOf(*image); !dib.empty()) blocks.push_back({CF_DIB, std::move(dib)});
  }
  blocks.push_back({RegisterClipboardFormatW(L"image/svg+xml"), ChartSvg(row)});
  cotalia::PutOnClipboard(window_, blocks);  // the clipboard's, not the surface's
}

// The system's save dialog, modal over the window, which asks before it
// gives the name of a file that exists; the chart saved there, or a message
// that says why it could not be. A cancelled dialog does nothing.
void Win32DescribedWindow::AskForChartFile(std::size_t row) {
  if (row >= controls_.size()) return;
  const std::wstring title = WideOf(kSaveChartTitle);
  const std::wstring filters = ChartFilterText();
  // The dialog appends the chosen filter's extension to a name typed
  // without one, where it is given a default extension at all.
  const std::wstring extension = WideOf(kChartFileKinds[chartFilter_ - 1].extension);
  // Room for a long path, which the dialog can give.
  std::wstring file(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_;
  dialog.lpstrFilter = filters.c_str();
  dialog.nFilterIndex = chartFilter_;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrDefExt = extension.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (GetSaveFileNameW(&dialog) == FALSE) return;
  if (dialog.nFilterIndex >= 1 && dialog.nFilterIndex <= kChartFileKinds.size()) {
    chartFilter_ = dialog.nFilterIndex;
  }
  file.resize(file.find(L'\0'));
  const ChartFileKind& kind = ChartFileKindOf(Utf8Of(file), chartFilter_ - 1);
  // The wide name as it is: any script's letters reach the file system.
  if (const std::optional<std::string> problem = SaveChart(row, std::filesystem::path(file), kind)) {
    MessageBoxW(window_, WideOf(*problem).c_str(), title.c_str(), MB_OK | MB_ICONWARNING);
  }
}

std::optional<std::string> Win32DescribedWindow::SaveChart(std::size_t row, const std::filesystem::path& path,
                                                           const ChartFileKind& kind) const {
  std::string bytes;
  if (kind.format == ChartFileFormat::Svg) {
    bytes = ChartSvg(row);
  } else if (const std::unique_ptr<Gdiplus::Bitmap> image =
                 ChartImage(controls_[row], charts_[row].drawer, font_, kind.scale)) {
    bytes = PngOf(*image);
  }
  if (bytes.empty()) return std::string(kChartNotDrawn);
  return SaveBytes(path, bytes);
}

}  // namespace cotalia
