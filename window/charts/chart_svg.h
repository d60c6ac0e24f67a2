// SPDX-License-Identifier: GPL-3.0-or-later
// A chart written out as an SVG 1.1 drawing: the same shapes and labels that
// the windows paint, with text kept as text. The same inputs give the same
// bytes on every platform, so nothing here asks a toolkit how wide a text is:
// labels are measured from a fixed table of a sans-serif font's advances,
// and every number is written by std::to_chars.
#pragma once

#include <string>
#include <string_view>

#include "window/charts/chart_drawing.h"

namespace cotalia {

// The labels' font and the lines they stand in, in pixels: a 12 px font with
// room above and below it, as the windows' message fonts have.
inline constexpr double kSvgFontPixels = 12;
inline constexpr double kSvgLinePixels = 16;

// A text's width in a sans-serif font of `fontPixels`: Helvetica's advances
// (Arial has the same) for printable ASCII, and one fixed advance for every
// other code point of the UTF-8 text (bytes that are not UTF-8 count as one
// each).
TextWidth SvgTextWidth(double fontPixels);

// An area of that size for a drawing to be written as SVG: lines of
// kSvgLinePixels, pens at their 96 dpi widths. Measure its labels with
// SvgTextWidth(kSvgFontPixels).
ChartArea SvgArea(double width, double height);

// The drawing as an SVG 1.1 document (UTF-8, "\n" line ends) of the area's
// size on a white ground, titled `title` (the windows give the chart's name): the
// shapes in their order, then the labels, in a font kSvgFontPixels /
// kSvgLinePixels of the area's line height. Points that are not finite are
// left out, and a shape left with too few points to draw is left out whole.
std::string SvgOf(const ChartDrawing& drawing, const ChartArea& area, std::string_view title);

// A number as the SVG writes it: rounded to `decimals` places, without
// trailing zeros or a point that ends it, and never "-0". 0 for a value that
// is not finite.
std::string SvgNumber(double value, int decimals = 2);

}  // namespace cotalia
