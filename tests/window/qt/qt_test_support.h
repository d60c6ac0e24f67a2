// SPDX-License-Identifier: GPL-3.0-or-later
// What the Qt windows' tests share: the form shown before each test and
// taken down after it, typed into and clicked as a user does, and the other
// windows reached from it.
#ifndef COTALIA_TESTS_WINDOW_QT_QT_TEST_SUPPORT_H_
#define COTALIA_TESTS_WINDOW_QT_QT_TEST_SUPPORT_H_

#include <QAction>
#include <QMenuBar>
#include <QObject>
#include <QRect>
#include <QString>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "tests/window/window_scenarios.h"
#include "window/estimation/estimation_view.h"
#include "window/form/window_description.h"
#include "window/qt/distribution_window.h"
#include "window/qt/estimation_window.h"
#include "window/qt/main_window.h"

namespace scenarios = cotalia::scenarios;

QString QStringOf(std::string_view utf8);

QRect PixelRectOf(const cotalia::WindowControl& control);

// What a screen reader is told the widget is called.
QString AnnouncedNameOf(QWidget* widget);

// Each window's tests, run one after the other by the one test program.
int RunMainWindowTests(int argc, char** argv);
int RunDistributionWindowTests(int argc, char** argv);
int RunChartWindowTests(int argc, char** argv);
int RunEstimationWindowTests(int argc, char** argv);

// The form, which every window is reached from, for a test class.
class QtWindowTest : public QObject {
 protected:
  std::unique_ptr<cotalia::MainWindow> window_;

  // Shows a new form; whether it became the active window.
  bool openForm();
  void closeForm() { window_.reset(); }

  template <typename Widget = QWidget>
  Widget* control(const QString& name) {
    auto* widget = window_->findChild<Widget*>(name);
    if (widget == nullptr) qFatal("no control %s", qPrintable(name));
    return widget;
  }

  // Types into a box as a user does: click it, select what it holds, type.
  void type(const QString& box, const QString& text);
  void click(const QString& button);
  QString textOf(const QString& box);
  QMenuBar* menuBar();
  QAction* menuItem(const QString& text);

  // The distribution window after the shared worked example, opened with
  // its shortcut.
  cotalia::DistributionWindow* openDistribution();

  // The estimation window, once its reading is done.
  cotalia::EstimationWindow* estimationWindow();
  static QString estimationFigures(cotalia::EstimationWindow* estimation);

  // What the window must show for the text with its periods a year, and
  // column, computed apart from the window.
  static cotalia::EstimationView expectedView(std::string_view text, std::optional<std::size_t> column = {},
                                              std::optional<std::string> periods = {});
};

#endif  // COTALIA_TESTS_WINDOW_QT_QT_TEST_SUPPORT_H_
