// SPDX-License-Identifier: GPL-3.0-or-later
// A window's surface in memory, for testing a session without a toolkit:
// each row's text, choice, items, state and chart as the session last wrote
// them, the boxes starting at their table's default texts and the choices
// at their first button; charts measured in an area of its own, in an
// average face's widths.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "window/controls/window_controls.h"
#include "window/controls/window_surface.h"

namespace cotalia {

// A text's width as an average face gives it: 0.6 of the line a character.
inline double AverageWidth(std::string_view text, double line) {
  const auto characters = std::count_if(
      text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
  return 0.6 * line * static_cast<double>(characters);
}

class SurfaceInMemory final : public WindowSurface {
 public:
  struct Row {
    std::string text;
    std::size_t choice = 0;
    std::vector<std::string> items;
    std::optional<std::size_t> selected;
    bool enabled = true;
    bool shown = true;
    double progress = 0;
    ChartDrawer drawer;
    std::string description;
    int chartsGiven = 0;  // how many times the chart was given a drawing
  };

  explicit SurfaceInMemory(std::span<const WindowControl> table, ChartArea area = {640, 400, 16})
      : area_(area), rows_(table.size()) {
    for (std::size_t i = 0; i < table.size(); ++i) {
      if (table[i].role == ControlRole::TextBox) rows_[i].text = table[i].caption;
    }
  }

  // What the user does: types a box's whole text, clicks a choice's button.
  void Type(std::size_t row, std::string_view text) { rows_[row].text = text; }
  void Choose(std::size_t row, std::size_t choice) { rows_[row].choice = choice; }

  const Row& row(std::size_t row) const { return rows_[row]; }
  ChartArea area() const { return area_; }
  TextWidth textWidth() const {
    return [line = area_.lineHeight](std::string_view text) { return AverageWidth(text, line); };
  }
  // The chart of a row as it is painted now; nothing before it is given one.
  ChartDrawing Painted(std::size_t row) const {
    return rows_[row].drawer ? rows_[row].drawer(area_, textWidth()) : ChartDrawing{};
  }
  const std::string& clipboardText() const { return clipboardText_; }
  const std::string& clipboardHtml() const { return clipboardHtml_; }

  std::string TextOf(std::size_t row) const override { return rows_[row].text; }
  std::size_t ChoiceOf(std::size_t row) const override { return rows_[row].choice; }
  void SetText(std::size_t row, std::string_view text) override { rows_[row].text = text; }
  void SetItems(std::size_t row, std::span<const std::string> items,
                std::optional<std::size_t> selected) override {
    rows_[row].items.assign(items.begin(), items.end());
    rows_[row].selected = selected;
  }
  void SetEnabled(std::size_t row, bool enabled) override { rows_[row].enabled = enabled; }
  void SetShown(std::size_t row, bool shown) override { rows_[row].shown = shown; }
  void SetProgress(std::size_t row, double fraction) override { rows_[row].progress = fraction; }
  void SetChart(std::size_t row, ChartDrawer drawer, std::string description) override {
    rows_[row].drawer = std::move(drawer);
    rows_[row].description = std::move(description);
    ++rows_[row].chartsGiven;
  }
  ChartFrame FrameOf(std::size_t /*row*/) const override { return {area_, textWidth()}; }
  void PutOnClipboard(std::string_view text, std::string_view html) override {
    clipboardText_ = text;
    clipboardHtml_ = html;
  }

 private:
  ChartArea area_;
  std::vector<Row> rows_;
  std::string clipboardText_;
  std::string clipboardHtml_;
};

}  // namespace cotalia
