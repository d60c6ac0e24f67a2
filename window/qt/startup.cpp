// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/startup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "window/form/menu_bar.h"
#include "window/qt/main_window.h"
#include "window/qt/qt_text.h"

namespace cotalia {

bool InstallQtTranslations(QTranslator& translator) {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  const bool loaded = translator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"), folder) ||
                      translator.load(QStringLiteral("qtbase_es"), folder);
  return loaded && QCoreApplication::installTranslator(&translator);
}

int RunCotalia(int argc, char** argv) {
  // The menu bar stays in the window above the form on every desktop, also
  // where a global menu is offered: the form's places are measured from
  // below it.
  QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Cotalia"));
  QApplication::setApplicationVersion(QStringOf(kVersion));
  QTranslator translator;
  InstallQtTranslations(translator);
  MainWindow window;
  window.show();
  return QApplication::exec();
}

}  // namespace cotalia
