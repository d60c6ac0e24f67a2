// SPDX-License-Identifier: GPL-3.0-or-later
// What a window's session asks of the toolkit's window that shows it, row by
// row of the window's table: read a box or a choice, write a text, fill a
// list, show or enable a control, give a chart its drawing, put figures on
// the clipboard. The session makes every decision; each toolkit implements
// this once, for every described window, and only reads and writes its
// widgets. A test gives a session a surface in memory.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "window/charts/chart_drawing.h"

namespace cotalia {

// Where a chart is painted now: its area and the measure of its labels'
// text, in which a reading of the chart is taken.
struct ChartFrame {
  ChartArea area;
  TextWidth textWidth;
};

// The keys that move a chart's reading, pressed on the chart without
// modifiers.
enum class ReadoutKey { Left, Right, Home, End };

class WindowSurface {
 public:
  virtual ~WindowSurface() = default;

  // A box's text, UTF-8.
  virtual std::string TextOf(std::size_t row) const = 0;
  // The index of a choice's checked button.
  virtual std::size_t ChoiceOf(std::size_t row) const = 0;

  // Writes a box, a line or a read-only text; lines end in "\n", which the
  // toolkit writes as its controls want them. Writing a box does not call
  // back into the session.
  virtual void SetText(std::size_t row, std::string_view text) = 0;
  // A list's items, with the one selected (none where nullopt), written
  // without calling back into the session.
  virtual void SetItems(std::size_t row, std::span<const std::string> items,
                        std::optional<std::size_t> selected) = 0;
  virtual void SetEnabled(std::size_t row, bool enabled) = 0;
  virtual void SetShown(std::size_t row, bool shown) = 0;
  // How far a long task has come, from 0 to 1.
  virtual void SetProgress(std::size_t row, double fraction) = 0;

  // The chart of a row paints what `drawer` gives from now on, and screen
  // readers read `description` as its description.
  virtual void SetChart(std::size_t row, ChartDrawer drawer, std::string description) = 0;
  // The frame the chart of a row is painted in now.
  virtual ChartFrame FrameOf(std::size_t row) const = 0;

  // Text for the clipboard, its lines ended in "\n" as the toolkit's
  // programs want them, with, where given, the same figures as an HTML
  // table, in one change of the clipboard.
  virtual void PutOnClipboard(std::string_view text, std::string_view html) = 0;
};

// A window's rows named by its own enumeration, whose values are the rows'
// places in its table.
template <typename Row>
constexpr std::size_t RowIndex(Row row) {
  return static_cast<std::size_t>(row);
}

}  // namespace cotalia
