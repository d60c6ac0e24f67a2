// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt windows' tests, each window's class in turn, in one application.
#include <QApplication>

#include "tests/window/qt/qt_test_support.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Cotalia"));
  int failed = 0;
  for (int (*run)(int, char**) :
       {RunMainWindowTests, RunDistributionWindowTests, RunChartWindowTests, RunEstimationWindowTests}) {
    failed += run(argc, argv);
  }
  return failed;
}
