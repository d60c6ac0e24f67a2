// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/charts/chart_drawing.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/numeric_runtime.h"

namespace cotalia {

// Okabe and Ito's colours, which people with the common colour-vision
// deficiencies tell apart, the lines' dark enough on white: a sky-blue band,
// a bluish-green median, a reddish-purple expected price, a vermilion
// target, a blue reading, a pale yellow range.
Colour ColourOf(Ink ink) {
  switch (ink) {
    case Ink::Band:
      return {86, 180, 233, 90};
    case Ink::Median:
      return {0, 158, 115, 255};
    case Ink::Expected:
      return {204, 121, 167, 255};
    case Ink::Target:
      return {213, 94, 0, 255};
    case Ink::Start:
      return {0, 0, 0, 255};
    case Ink::Axis:
      return {60, 60, 60, 255};
    case Ink::Grid:
      return {215, 215, 215, 255};
    case Ink::Reading:
      return {0, 114, 178, 255};
    case Ink::Range:
      return {240, 228, 66, 110};
    case Ink::Text:
      break;
  }
  return {30, 30, 30, 255};
}

namespace {

// In lines of text: the room that labels keep from what they label, and
// from each other.
constexpr double kEdgeRoom = 0.5;
constexpr double kLabelGap = 0.5;
constexpr double kLegendGap = 1.2;

}  // namespace

double Along(double from, double to, double fraction) {
  // from + fraction (to - from) can round past `to`.
  const double at = from + fraction * (to - from);
  return std::clamp(at, std::min(from, to), std::max(from, to));
}

Label Labeller::Place(std::string text, Point at, Align horizontal, Align vertical, Ink ink) const {
  const double width = textWidth_(text);
  const double left = horizontal == Align::Start    ? at.x
                      : horizontal == Align::Middle ? at.x - width / 2
                                                    : at.x - width;
  const double top = vertical == Align::Start    ? at.y
                     : vertical == Align::Middle ? at.y - line_ / 2
                                                 : at.y - line_;
  return {std::move(text), {left, top}, width, ink};
}

ChartDrawing MessageOnly(std::string text, const ChartArea& area, const Labeller& labeller) {
  ChartDrawing drawing;
  drawing.labels.push_back(
      labeller.Place(std::move(text), {area.width / 2, area.height / 2}, Align::Middle, Align::Middle));
  return drawing;
}

double PlotFrame::X(double value) const {
  return Along(drawing.plot.left, drawing.plot.right, x.Fraction(value));
}

double PlotFrame::Y(double value) const {
  return Along(drawing.plot.bottom, drawing.plot.top, y.Fraction(value));
}

std::optional<PlotFrame> FrameOf(const ChartArea& area, const Labeller& labeller, const FrameTexts& texts,
                                 const AxisOfLength& yAxis, const AxisOfLength& xAxis) {
  const double line = area.lineHeight;
  double legendWidth = 0;
  for (const LegendEntry& entry : texts.legend)
    legendWidth += labeller.WidthOf(entry.text) + kLegendGap * line;
  const double top = line * 2;
  const double bottom = area.height - line * 3;
  const double right = area.width - line * 1.5;
  PlotFrame frame{{}, {}, yAxis(bottom - top)};
  double widestTick = 0;
  for (const Tick& tick : frame.y.ticks) widestTick = std::max(widestTick, labeller.WidthOf(tick.text));
  const double left = line * (kEdgeRoom + kLabelGap) + widestTick;
  const double titleWidth = labeller.WidthOf(texts.yTitle);
  if (!(right - left >= 4 * line && bottom - top >= 4 * line &&
        area.width >= line * kEdgeRoom + titleWidth + kLegendGap * line + legendWidth + line * 1.5)) {
    return std::nullopt;
  }
  frame.x = xAxis(right - left);
  ChartDrawing& drawing = frame.drawing;
  drawing.plot = {left, top, right, bottom};
  const double thin = kThinPen * area.scale;
  for (const Tick& tick : frame.y.ticks) {
    const double at = Along(bottom, top, frame.y.FractionOfPosition(tick.position));
    drawing.shapes.push_back({Ink::Grid, ShapeKind::Line, thin, {{left, at}, {right, at}}});
    drawing.labels.push_back(
        labeller.Place(tick.text, {left - line * kLabelGap, at}, Align::End, Align::Middle));
  }
  for (const Tick& tick : frame.x.ticks) {
    const double at = Along(left, right, frame.x.FractionOfPosition(tick.position));
    drawing.shapes.push_back({Ink::Grid, ShapeKind::Line, thin, {{at, top}, {at, bottom}}});
    drawing.labels.push_back(
        labeller.Place(tick.text, {at, bottom + line * kLabelGap}, Align::Middle, Align::Start));
  }
  return frame;
}

ChartDrawing CloseFrame(PlotFrame frame, const ChartArea& area, const Labeller& labeller,
                        const FrameTexts& texts) {
  const double line = area.lineHeight;
  ChartDrawing& drawing = frame.drawing;
  const auto [left, top, right, bottom] = drawing.plot;
  drawing.shapes.push_back(
      {Ink::Axis, ShapeKind::Line, kThinPen * area.scale, {{left, top}, {left, bottom}, {right, bottom}}});
  drawing.labels.push_back(labeller.Place(
      std::string(texts.xTitle), {(left + right) / 2, area.height - line * 0.3}, Align::Middle, Align::End));
  const double titleRow = top - line * 0.6;
  drawing.labels.push_back(
      labeller.Place(std::string(texts.yTitle), {line * kEdgeRoom, titleRow}, Align::Start, Align::End));
  double end = right;
  for (auto entry = texts.legend.rbegin(); entry != texts.legend.rend(); ++entry) {
    const Ink ink = entry->ink == Ink::Band ? Ink::Median : entry->ink;
    drawing.labels.push_back(labeller.Place(entry->text, {end, titleRow}, Align::End, Align::End, ink));
    end -= labeller.WidthOf(entry->text) + kLegendGap * line;
  }
  return std::move(frame.drawing);
}

}  // namespace cotalia
