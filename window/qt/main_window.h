// SPDX-License-Identifier: GPL-3.0-or-later
// Form1 on Qt Widgets: the menu bar above the form, and the form built from
// the window description table. A click on a button reaches buttonClicked,
// which hands the button's action to the ActionRunner; the action reads and
// writes the text boxes through this window's FieldAccess, and a failed
// action ends in ShowAndEnd: a message box, then the end of the program. A
// menu command reaches menuCommand, which never runs an action.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>

#include "model/simulator_actions.h"
#include "window/error_report.h"
#include "window/form/menu_bar.h"
#include "window/form/window_description.h"
#include "window/form/wiring.h"

class QDragEnterEvent;
class QDropEvent;
class QLineEdit;
class QMessageBox;
class QMenuBar;
class QResizeEvent;

namespace cotalia {

class DistributionWindow;
class EstimationWindow;

class MainWindow : public QWidget, public FieldAccess, public ErrorReport {
  Q_OBJECT

 public:
  MainWindow();

  std::string GetFieldText(Field field) override;
  void SetFieldText(Field field, std::string_view text) override;
  void ShowAndEnd(const RunTimeError& error) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildMenuBar();
  // Places the controls for a form that wide; a box's tooltip follows.
  void placeControls(int formWidth);
  void buttonClicked(Action action);
  void menuCommand(MenuCommand command);
  void showAbout();
  Q_INVOKABLE void showAboutQt();
  void showDistribution();
  EstimationWindow* estimation();

  QMenuBar* menuBar_ = nullptr;
  QWidget* form_ = nullptr;                            // the form's area below the menu bar
  DistributionWindow* distribution_ = nullptr;         // built when first shown
  EstimationWindow* estimation_ = nullptr;             // built when first used
  QPointer<QMessageBox> about_;                        // while the About box is open
  std::array<QWidget*, kControls.size()> controls_{};  // in the order of kControls
  std::array<QLineEdit*, kFieldCount> textBoxes_{};
  ActionRunner runner_{*this, *this};
};

}  // namespace cotalia
