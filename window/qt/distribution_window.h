// SPDX-License-Identifier: GPL-3.0-or-later
// The price distribution window on Qt Widgets: the level, the target and the
// price axis as its own inputs, the fan chart painted from the shared
// drawing, and the figures at the horizon as selectable text. It reads the
// form's four texts through the function it is given and never writes them.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "distribution_view.h"

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;

namespace cotalia {

class ChartWidget;

class DistributionWindow : public QWidget {
  Q_OBJECT

 public:
  using FormTexts = std::function<std::array<std::string, 4>()>;  // Text1 to Text4

  DistributionWindow(FormTexts formTexts, QWidget* owner);

  // Reads the form's texts and the window's own inputs again and redraws.
  void refresh();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  FormTexts formTexts_;
  QLineEdit* level_ = nullptr;
  QLineEdit* target_ = nullptr;
  QComboBox* scale_ = nullptr;
  ChartWidget* chart_ = nullptr;
  QLabel* figures_ = nullptr;
};

}  // namespace cotalia
