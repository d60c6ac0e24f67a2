// SPDX-License-Identifier: GPL-3.0-or-later
// What every window beyond the form does alike on Qt Widgets: a widget for
// each row of its table (window_controls.h), placed where the row says, in
// the row's Tab order, each label naming the control after it; a chart
// widget that paints the shared drawing; and a menu bar from a table of
// items. The widgets are the window's surface (window_surface.h): a
// window's own file only passes their events to its session.
#pragma once

#include <QList>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "window/charts/chart_drawing.h"
#include "window/controls/window_controls.h"
#include "window/controls/window_surface.h"
#include "window/form/menu_bar.h"

class QKeyEvent;
class QMenuBar;
class QMouseEvent;
class QPainter;
class QRadioButton;

namespace cotalia {

// Paints the drawing it is given as it is given: a chart, or the message in
// its place. Screen readers read its description. A window that reads the
// chart is told where the pointer moves over it and which of the reading's
// keys is pressed on it; the chart itself decides nothing.
class ChartWidget : public QWidget {
  Q_OBJECT

 public:
  explicit ChartWidget(QWidget* parent);

  void setDrawer(ChartDrawer drawer, const std::string& description);
  // What paintEvent draws at the widget's size and in its font.
  ChartDrawing drawing() const;
  // The same chart for another area and measure of text: to save or copy.
  ChartDrawing drawing(const ChartArea& area, const TextWidth& textWidth) const;
  // The area and the measure of text that drawing() draws for.
  ChartArea area() const;
  TextWidth textWidth() const;

  // The pointer's x over the chart, in its pixels, and the arrow keys, Home
  // and End without modifiers; other keys go to the window as before.
  void setReader(std::function<void(double)> pointerMoved, std::function<void(ReadoutKey)> keyPressed);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  ChartDrawer drawer_;
  std::function<void(double)> pointerMoved_;
  std::function<void(ReadoutKey)> keyPressed_;
};

// Paints the chart's drawing as the widget shows it, on any device: the
// widget itself, or an image to save or copy.
void PaintChart(QPainter& painter, const ChartWidget& chart);

// The widgets of a window's table, in its order: the surface its session
// reads and writes.
class DescribedControls final : public WindowSurface {
 public:
  DescribedControls(std::span<const WindowControl> rows, QWidget* parent);

  QWidget* at(std::size_t row) const { return widgets_[row]; }
  // The widget of a row as what its role made it; a row of another role
  // stops the program.
  template <typename Widget, typename Row>
  Widget* as(Row row) const {
    return Checked<Widget>(qobject_cast<Widget*>(widgets_[RowIndex(row)]), RowIndex(row));
  }
  // The radio buttons of a choice, in the order of its choices.
  template <typename Row>
  QList<QRadioButton*> choices(Row row) const {
    return choicesAt(RowIndex(row));
  }
  // Every control where its row puts it in a client area of that size.
  void place(int width, int height) const;
  // Calls `changed` with the row of a box whose text changed (not by the
  // session) or of a choice whose button was checked.
  void passChanges(QObject* context, const std::function<void(std::size_t)>& changed) const;

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

 private:
  template <typename Widget>
  Widget* Checked(Widget* widget, std::size_t row) const {
    if (widget == nullptr) NotOfItsRole(row);
    return widget;
  }
  [[noreturn]] void NotOfItsRole(std::size_t row) const;
  QList<QRadioButton*> choicesAt(std::size_t row) const;

  std::span<const WindowControl> rows_;
  std::vector<QWidget*> widgets_;
};

// The items of a menu table in `bar`, each calling `command`; the items for
// another toolkit left out.
void FillMenuBar(QMenuBar* bar, std::span<const MenuItem> items,
                 const std::function<void(MenuCommand)>& command);

}  // namespace cotalia
