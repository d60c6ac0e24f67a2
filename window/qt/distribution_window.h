// SPDX-License-Identifier: GPL-3.0-or-later
// The price distribution window on Qt Widgets, built from its description
// (distribution_description.h): a widget for each row of the table, placed
// where the row says, its events passed to the window's session
// (distribution_session.h), which reads the form through the FieldAccess it
// is given and never writes it. Its menu copies the figures and the
// percentiles, and copies or saves the chart.
#pragma once

#include <QWidget>

#include "model/simulator_actions.h"
#include "window/distribution/distribution_session.h"
#include "window/qt/described_window.h"

class QKeyEvent;
class QMenuBar;
class QResizeEvent;

namespace cotalia {

class DistributionWindow : public QWidget {
  Q_OBJECT

 public:
  DistributionWindow(FieldAccess& form, QWidget* owner);

  // Reads the form's texts and the window's own inputs again and redraws.
  void refresh() { session_.Refresh(); }
  const DistributionView& view() const { return session_.view(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QMenuBar* menuBar_ = nullptr;
  QWidget* body_ = nullptr;  // the client area below the menu bar
  DescribedControls controls_;
  DistributionSession session_;
};

}  // namespace cotalia
