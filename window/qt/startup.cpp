// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup.h"

#include <QApplication>

#include "main_window.h"
#include "menu_bar.h"

namespace cotalia {

int RunCotalia(int argc, char** argv) {
  // The menu bar stays in the window, as on every desktop: asking the
  // session bus for a global menu would cost the start-up its time and
  // memory.
  QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Cotalia"));
  QApplication::setApplicationVersion(
      QString::fromUtf8(kVersion.data(), static_cast<qsizetype>(kVersion.size())));
  MainWindow window;
  window.show();
  return QApplication::exec();
}

}  // namespace cotalia
