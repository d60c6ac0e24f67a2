// SPDX-License-Identifier: GPL-3.0-or-later
// The price distribution window on Qt Widgets, built from its description
// (distribution_description.h): a widget for each row of the table, placed
// where the row says, and the chart painted from the shared drawing. It
// reads the form's four texts through the function it is given and never
// writes them.
#pragma once

#include <QList>
#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "distribution_description.h"
#include "distribution_view.h"

class QKeyEvent;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QResizeEvent;

namespace cotalia {

// Paints the shared drawing as it is given: the chart, or the message in its
// place. Screen readers read its description.
class ChartWidget : public QWidget {
 public:
  explicit ChartWidget(QWidget* parent);

  void setView(DistributionView view, bool logarithmic);
  // What paintEvent draws at the widget's size and in its font.
  ChartDrawing drawing() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  DistributionView view_;
  bool logarithmic_ = false;
};

class DistributionWindow : public QWidget {
  Q_OBJECT

 public:
  using FormTexts = std::function<std::array<std::string, 4>()>;  // Text1 to Text4

  DistributionWindow(FormTexts formTexts, QWidget* owner);

  // Reads the form's texts and the window's own inputs again and redraws.
  void refresh();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  template <typename Widget>
  Widget* control(DistributionControl which) const {
    return static_cast<Widget*>(controls_[static_cast<std::size_t>(which)]);
  }

  // The radio buttons of a choice, in the order of its choices.
  QList<QRadioButton*> choices(DistributionControl which) const;

  FormTexts formTexts_;
  std::array<QWidget*, kDistributionControls.size()> controls_{};  // in the order of the table
};

}  // namespace cotalia
