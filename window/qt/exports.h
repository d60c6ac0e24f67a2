// SPDX-License-Identifier: GPL-3.0-or-later
// What leaves a window for other programs: figures copied as text and,
// beside it, as a table whose numbers spreadsheets read as numbers in any
// language; a chart copied as an image (and as SVG), or saved as PNG or SVG
// in a file the user names.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "window/exports/chart_file.h"
#include "window/exports/figures.h"
#include "window/form/menu_bar.h"

class QByteArray;
class QImage;
class QWidget;

namespace cotalia {

class ChartWidget;

// The plain text, and the HTML table beside it for the programs that take it.
void PutOnClipboard(const std::string& text, std::span<const Figure> rows);
void CopyFigures(std::span<const Figure> figures);

// The chart as the widget shows it, `scale` times as many pixels each way.
QImage ChartImage(const ChartWidget& chart, int scale);
// An image as PNG bytes; none where it cannot be encoded.
QByteArray PngOf(const QImage& image);
// The chart at the widget's size, drawn with the SVG's own measure of text,
// so that it is the same on every platform.
std::string ChartSvg(const ChartWidget& chart);

void CopyChart(const ChartWidget& chart);

// A chart window's menu command: its figures to the clipboard, the chart to
// the clipboard or to a file, or closing the window. Commands of other
// windows do nothing.
void RunChartWindowCommand(MenuCommand command, QWidget* window, std::span<const Figure> figures,
                           const ChartWidget& chart);

// Asks for a file of prices in the toolkit's open dialog, over `owner`, and
// gives the one chosen to `open`. The dialog does not block the program.
void AskForPriceFile(QWidget* owner, const std::function<void(const QString&)>& open);

// Asks for a file in the toolkit's save dialog, which asks before replacing
// one, then saves the chart there. The dialog does not block the program;
// a failure shows a message and leaves the window as it was.
void SaveChartAs(QWidget* window, const ChartWidget& chart);
// The save itself, once the file and its kind are chosen: none, or the
// message that says why the file could not be written.
std::optional<std::string> SaveChart(const ChartWidget& chart, const QString& path,
                                     const ChartFileKind& kind);
// Writes `bytes` to a new file in the folder of `path` and puts it in the
// place of `path` only once it is whole and on the disk (QSaveFile): the
// file the user chose is replaced whole or not at all, and nothing is left
// beside it. Returns none once saved, or the message that says why not.
std::optional<std::string> SaveFileWhole(const QString& path, std::string_view bytes);

}  // namespace cotalia
