// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/qt/distribution_window.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>

#include "window/qt/exports.h"
#include "window/qt/qt_text.h"

namespace cotalia {

DistributionWindow::DistributionWindow(FieldAccess& form, QWidget* owner)
    : QWidget(owner, Qt::Window),
      menuBar_(new QMenuBar(this)),
      body_(new QWidget(this)),
      controls_(kDistributionControls, body_),
      session_(form, controls_) {
  setObjectName(QStringLiteral("distribution"));
  setWindowTitle(QStringOf(kDistributionWindow.title));
  auto* chart = controls_.as<ChartWidget>(DistributionControl::Chart);
  FillMenuBar(menuBar_, kDistributionMenuItems, [this, chart](MenuCommand command) {
    if (!session_.Command(command)) RunChartWindowCommand(command, this, {}, *chart);
  });
  // Never smaller than as laid out, where nothing overlaps or is cut.
  setMinimumSize(kDistributionWindow.width, kDistributionWindow.height + menuBar_->sizeHint().height());
  resize(minimumSize());
  controls_.passChanges(this, [this](std::size_t row) { session_.Changed(DistributionControl{row}); });
  chart->setReader([this](double x) { session_.PointerAt(x); },
                   [this](ReadoutKey key) { session_.KeyPressed(key); });
  controls_.as<QLineEdit>(DistributionControl::Level)->setFocus();
  session_.Refresh();
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

}  // namespace cotalia
