// SPDX-License-Identifier: GPL-3.0-or-later
// The baseline for start-up cost: an empty Qt Widgets window of Form1's size.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.resize(751, 314);
  window.show();
  return QApplication::exec();
}
