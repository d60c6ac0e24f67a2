// SPDX-License-Identifier: GPL-3.0-or-later
// The shared drawing painted with GDI+, antialiased, in the window's font:
// on the screen, in an image to copy or save, and measured where a reading
// of the chart is taken, each laid out and measured as it is painted.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <gdiplus.h>

#include <memory>

#include "window/charts/chart_drawing.h"
#include "window/controls/window_surface.h"

namespace cotalia {

// The system's message font at that DPI, in which the windows write and the
// charts measure their labels; the caller deletes it.
HFONT CreateWindowFont(UINT dpi);

// What a chart paints in a client area of that size, in pixels, at that
// DPI: its labels measured by GDI+ in `font` as they are drawn.
ChartDrawing Win32ChartDrawing(const ChartDrawer& drawer, HDC context, HFONT font, SIZE area, UINT dpi);

// The drawing for an area of that size painted on `context`, on the
// window's ground, in `font`.
void PaintChartOn(HDC context, const ChartDrawer& drawer, HFONT font, SIZE area, UINT dpi);

// The chart as its window paints it, `scale` times as many pixels each way;
// none where the image cannot be made.
std::unique_ptr<Gdiplus::Bitmap> ChartImage(HWND chart, const ChartDrawer& drawer, HFONT windowFont,
                                            int scale);

// The chart's area and its labels' measure as its painting gives them now,
// at its DPI and in `windowFont`; the measure holds the chart's device
// context while it lasts.
ChartFrame MeasuredChart(HWND chart, HFONT windowFont);

}  // namespace cotalia
