// SPDX-License-Identifier: GPL-3.0-or-later
// The price distribution window on Qt Widgets, built from its description
// (distribution_description.h): a widget for each row of the table, placed
// where the row says, and the chart painted from the shared drawing. It
// reads the form's four texts through the function it is given and never
// writes them. Its menu copies the figures and the percentiles, and copies
// or saves the chart. The pointer over the chart and the arrow keys on it
// move a reading, which the view computes and the line under the chart
// shows.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "window/distribution/distribution_description.h"
#include "window/distribution/distribution_view.h"
#include "window/qt/described_window.h"

class QKeyEvent;
class QMenuBar;
class QResizeEvent;

namespace cotalia {

class DistributionWindow : public QWidget {
  Q_OBJECT

 public:
  using FormTexts = std::function<std::array<std::string, 4>()>;  // Text1 to Text4

  DistributionWindow(FormTexts formTexts, QWidget* owner);

  // Reads the form's texts and the window's own inputs again and redraws.
  void refresh();
  const DistributionView& view() const { return view_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void menuCommand(MenuCommand command);
  void showReading(const std::optional<ChartReading>& reading);

  FormTexts formTexts_;
  QMenuBar* menuBar_ = nullptr;
  QWidget* body_ = nullptr;  // the client area below the menu bar
  DescribedControls controls_;
  DistributionView view_;
  ChartOptions options_;
};

}  // namespace cotalia
