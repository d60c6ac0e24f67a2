// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup.h"

#include <QApplication>

#include "main_window.h"

namespace cotalia {

int RunCotalia(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Cotalia"));
  QApplication::setApplicationVersion(QStringLiteral("1.00"));
  MainWindow window;
  window.show();
  return QApplication::exec();
}

}  // namespace cotalia
