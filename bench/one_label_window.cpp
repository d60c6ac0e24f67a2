// SPDX-License-Identifier: GPL-3.0-or-later
// The fair floor for start-up cost: a Qt Widgets window of Form1's size that
// shows one label. Any window with text pays for fontconfig and Qt's font
// database, which an empty window never loads.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.resize(751, 314);
  QLabel label(QStringLiteral("Valor Actual"), &window);
  label.move(16, 24);
  window.show();
  return QApplication::exec();
}
