// SPDX-License-Identifier: GPL-3.0-or-later
// The estimation window on Qt Widgets, built from its description
// (estimation_description.h): a widget for each row of the table, its menu,
// and the two charts painted from the shared drawing. Readings run on a
// thread of their own (background_reading.h), which a timer polls; the
// progress bar and its Cancelar button show only while one takes longer than
// a moment. It writes the form only through the function it is given, when
// the user presses "Usar en el formulario".
#pragma once

#include <QWidget>
#include <functional>

#include "window/estimation/background_reading.h"
#include "window/estimation/estimation_description.h"
#include "window/estimation/estimation_view.h"
#include "window/qt/described_window.h"

class QDragEnterEvent;
class QDropEvent;
class QKeyEvent;
class QMenuBar;
class QMimeData;
class QResizeEvent;
class QTimer;

namespace cotalia {

class EstimationWindow : public QWidget {
  Q_OBJECT

 public:
  using WriteForm = std::function<void(const FormInputs&)>;

  EstimationWindow(WriteForm writeForm, QWidget* owner);

  void openFile(const QString& path);
  void openText(const QString& text);
  const EstimationView& view() const { return view_; }
  bool reading() const { return session_.Reading(); }

  // The local file that a drag carries, if it carries one: what a drop on
  // this window or on the form opens.
  static QString FileOf(const QMimeData* data);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void startReading();
  void poll();
  void showState();
  void refresh();
  void menuCommand(MenuCommand command);

  WriteForm writeForm_;
  QMenuBar* menuBar_ = nullptr;
  QWidget* body_ = nullptr;  // the client area below the menu bar
  DescribedControls controls_;
  QTimer* timer_ = nullptr;
  int pollsWhileReading_ = 0;
  EstimationSession session_;
  EstimationView view_;
};

}  // namespace cotalia
