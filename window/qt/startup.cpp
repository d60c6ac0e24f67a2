// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/startup.h"

#include <QApplication>

#include "window/form/menu_bar.h"
#include "window/qt/main_window.h"
#include "window/qt/qt_text.h"

namespace cotalia {

int RunCotalia(int argc, char** argv) {
  // The menu bar stays in the window above the form on every desktop, also
  // where a global menu is offered: the form's places are measured from
  // below it.
  QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Cotalia"));
  QApplication::setApplicationVersion(QStringOf(kVersion));
  MainWindow window;
  window.show();
  return QApplication::exec();
}

}  // namespace cotalia
