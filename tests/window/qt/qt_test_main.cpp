// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt windows' tests, each window's class in turn, in one application.
#include <QApplication>
#include <QTranslator>

#include "tests/window/qt/qt_test_support.h"
#include "window/qt/qt_text.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Cotalia"));
  // Qt's own texts as the program loads them.
  QTranslator translator;
  cotalia::InstallQtTranslations(translator);
  int failed = 0;
  for (int (*run)(int, char**) :
       {RunMainWindowTests, RunDistributionWindowTests, RunChartWindowTests, RunEstimationWindowTests}) {
    failed += run(argc, argv);
  }
  return failed;
}
