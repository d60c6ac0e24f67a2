// SPDX-License-Identifier: GPL-3.0-or-later
// The estimation window on Qt Widgets, built from its description
// (estimation_description.h): a widget for each row of the table, its menu,
// and the two charts painted from the shared drawing. What it does is its
// session's (estimation_session.h): this file passes on the user's acts and
// the ticks of the timer that polls a reading, and shows what the session
// writes.
#pragma once

#include <QWidget>

#include "model/simulator_actions.h"
#include "window/estimation/estimation_session.h"
#include "window/estimation/estimation_view.h"
#include "window/qt/described_window.h"

class QCloseEvent;
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
  // `form` is written only when the user asks, and outlives the window.
  EstimationWindow(FieldAccess& form, QWidget* owner);

  void openFile(const QString& path);
  void openText(const QString& text);
  const EstimationView& view() const { return session_.view(); }
  bool reading() const { return session_.Reading(); }

  // The local file that a drag carries, if it carries one: what a drop on
  // this window or on the form opens.
  static QString FileOf(const QMimeData* data);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void followPolling();
  void menuCommand(MenuCommand command);

  QMenuBar* menuBar_ = nullptr;
  QWidget* body_ = nullptr;  // the client area below the menu bar
  DescribedControls controls_;
  QTimer* timer_ = nullptr;
  EstimationSession session_;
};

}  // namespace cotalia
