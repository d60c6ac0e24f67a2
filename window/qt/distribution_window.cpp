// SPDX-License-Identifier: GPL-3.0-or-later
#include "distribution_window.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "exports.h"
#include "qt_text.h"

namespace cotalia {

DistributionWindow::DistributionWindow(FormTexts formTexts, QWidget* owner)
    : QWidget(owner, Qt::Window),
      formTexts_(std::move(formTexts)),
      menuBar_(new QMenuBar(this)),
      body_(new QWidget(this)),
      controls_(kDistributionControls, body_) {
  setObjectName(QStringLiteral("distribution"));
  setWindowTitle(QStringOf(kDistributionWindow.title));
  FillMenuBar(menuBar_, kDistributionMenuItems, [this](MenuCommand command) { menuCommand(command); });
  resize(kDistributionWindow.width, kDistributionWindow.height + menuBar_->sizeHint().height());

  connect(controls_.as<QLineEdit>(DistributionControl::Level), &QLineEdit::textChanged, this,
          &DistributionWindow::refresh);
  connect(controls_.as<QLineEdit>(DistributionControl::Target), &QLineEdit::textChanged, this,
          &DistributionWindow::refresh);
  for (QRadioButton* button : controls_.choices(DistributionControl::PriceAxis)) {
    connect(button, &QRadioButton::toggled, this, [this](bool checked) {
      if (checked) refresh();
    });
  }
  controls_.as<QLineEdit>(DistributionControl::Level)->setFocus();
  refresh();
}

// Esc closes the window, as it closes a dialog; the boxes pass it on.
void DistributionWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void DistributionWindow::resizeEvent(QResizeEvent* event) {
  const int barHeight = menuBar_->sizeHint().height();
  menuBar_->setGeometry(0, 0, width(), barHeight);
  body_->setGeometry(0, barHeight, width(), height() - barHeight);
  controls_.place(body_->width(), body_->height());
  QWidget::resizeEvent(event);
}

void DistributionWindow::menuCommand(MenuCommand command) {
  const auto& chart = *controls_.as<ChartWidget>(DistributionControl::Chart);
  switch (command) {
    case MenuCommand::CopyFigures:
      CopyFigures(view_.figures);
      break;
    case MenuCommand::CopyChart:
      CopyChart(chart);
      break;
    case MenuCommand::SaveChart:
      SaveChartAs(this, chart);
      break;
    default:
      break;
  }
}

void DistributionWindow::refresh() {
  const std::array<std::string, 4> texts = formTexts_();
  const std::string level = controls_.as<QLineEdit>(DistributionControl::Level)->text().toStdString();
  const std::string target = controls_.as<QLineEdit>(DistributionControl::Target)->text().toStdString();
  view_ = ViewOf({{texts[0], texts[1], texts[2], texts[3]}, level, target});
  const bool logarithmic =
      controls_.choices(DistributionControl::PriceAxis).at(kLogarithmicPriceAxis)->isChecked();
  controls_.as<QPlainTextEdit>(DistributionControl::Figures)
      ->setPlainText(QStringOf(FiguresText(view_, "\n")));
  controls_.as<ChartWidget>(DistributionControl::Chart)
      ->setDrawer(
          [this, logarithmic](const ChartArea& area, const TextWidth& textWidth) {
            return DrawChart(view_, area, textWidth, logarithmic);
          },
          view_.description);
}

}  // namespace cotalia
