// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/window/qt/qt_test_support.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "tests/window/window_scenarios.h"

QString QStringOf(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QRect PixelRectOf(const cotalia::WindowControl& control) {
  const cotalia::Rectangle place = RectangleOf(control.place, cotalia::kForm.width, cotalia::kForm.height);
  return {place.left, place.top, place.width, place.height};
}

QString AnnouncedNameOf(QWidget* widget) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
  return accessible == nullptr ? QString() : accessible->text(QAccessible::Name);
}

bool QtWindowTest::openForm() {
  window_ = std::make_unique<cotalia::MainWindow>();
  window_->show();
  return QTest::qWaitForWindowActive(window_.get());
}

void QtWindowTest::type(const QString& box, const QString& text) {
  QLineEdit* edit = control<QLineEdit>(box);
  QTest::mouseClick(edit, Qt::LeftButton);
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(edit, text);
}

void QtWindowTest::click(const QString& button) {
  QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
}

QString QtWindowTest::textOf(const QString& box) { return control<QLineEdit>(box)->text(); }

QMenuBar* QtWindowTest::menuBar() { return window_->findChild<QMenuBar*>(); }

QAction* QtWindowTest::menuItem(const QString& text) {
  for (QAction* menuAction : menuBar()->actions()) {
    for (QAction* item : menuAction->menu()->actions()) {
      if (item->text() == text) return item;
    }
  }
  qFatal("no menu item %s", qPrintable(text));
}

cotalia::DistributionWindow* QtWindowTest::openDistribution() {
  for (std::size_t i = 0; i < scenarios::kDistributionInputs.size(); ++i) {
    type(QStringLiteral("Text%1").arg(i + 1), QStringOf(scenarios::kDistributionInputs[i]));
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);
  auto* distribution = window_->findChild<cotalia::DistributionWindow*>(QStringLiteral("distribution"));
  if (distribution == nullptr || !distribution->isVisible()) qFatal("Ctrl+D opened no distribution window");
  // Its menu's shortcuts are the active window's: the offscreen platform
  // leaves the form active.
  QApplication::setActiveWindow(distribution);
  if (!QTest::qWaitForWindowActive(distribution)) qFatal("the distribution window is not active");
  return distribution;
}

cotalia::EstimationWindow* QtWindowTest::estimationWindow() {
  auto* estimation = window_->findChild<cotalia::EstimationWindow*>(QStringLiteral("estimation"));
  if (estimation == nullptr) return nullptr;
  // It is reading until its timer has taken the outcome and shown it.
  for (int i = 0; i < 1000 && estimation->reading(); ++i) QTest::qWait(10);
  return estimation;
}

QString QtWindowTest::estimationFigures(cotalia::EstimationWindow* estimation) {
  return estimation->findChild<QPlainTextEdit*>(QStringLiteral("figures"))->toPlainText();
}

cotalia::EstimationView QtWindowTest::expectedView(std::string_view text, std::optional<std::size_t> column,
                                                   std::optional<std::string> periods) {
  cotalia::EstimationState state = cotalia::ReadPriceText(text, {});
  if (column) state = cotalia::ReadPriceColumn(std::get<cotalia::LoadedPrices>(state), *column, {});
  return cotalia::EstimationViewOf(state, periods.value_or(cotalia::PeriodsTextOf(state)));
}
