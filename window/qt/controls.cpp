// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/qt/controls.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "window/qt/described_window.h"
#include "window/qt/qt_text.h"

namespace cotalia {

namespace {

QLabel* CreateLabel(const WindowControl& control, QWidget* parent) {
  auto* label = new QLabel(QStringOf(control.caption), parent);
  switch (control.role) {
    case ControlRole::CentredLabel:
      label->setAlignment(Qt::AlignCenter);
      // A caption wider than its label in the desktop's face breaks over two
      // lines rather than lose letters at both ends.
      label->setWordWrap(true);
      break;
    case ControlRole::Note:
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(true);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      break;
    default:
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      break;
  }
  return label;
}

// A group of radio buttons, which screen readers announce by the group's
// title and each button by its own, with its state.
QGroupBox* CreateChoice(const WindowControl& control, QWidget* parent) {
  auto* group = new QGroupBox(QStringOf(control.caption), parent);
  for (std::size_t i = 0; i < control.choices.size(); ++i) {
    auto* button = new QRadioButton(QStringOf(control.choices[i]), group);
    button->setObjectName(QStringOf(control.name) + QString::number(i));
    button->setChecked(i == 0);
  }
  return group;
}

QWidget* CreateWidget(const WindowControl& control, QWidget* parent) {
  switch (control.role) {
    case ControlRole::Label:
    case ControlRole::CentredLabel:
    case ControlRole::Note:
      return CreateLabel(control, parent);
    case ControlRole::TextBox:
      return new QLineEdit(QStringOf(control.caption), parent);
    case ControlRole::Choice:
      return CreateChoice(control, parent);
    case ControlRole::Chart:
      return new ChartWidget(parent);
    case ControlRole::ReadOnlyText: {
      auto* text = new QPlainTextEdit(parent);
      text->setReadOnly(true);
      text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
      // A long line (a message naming its box) wraps rather than scroll
      // sideways out of sight.
      text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
      return text;
    }
    case ControlRole::List: {
      auto* list = new QListWidget(parent);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      return list;
    }
    case ControlRole::Button: {
      auto* button = new QPushButton(QStringOf(control.caption), parent);
      // Enter presses a button that has the focus, as Space does, as on
      // Windows; outside a dialog no button becomes the default one.
      button->setAutoDefault(true);
      return button;
    }
    case ControlRole::Progress: {
      auto* progress = new QProgressBar(parent);
      progress->setRange(0, 1000);
      progress->setTextVisible(false);
      progress->hide();  // shown while a long task runs
      return progress;
    }
  }
  return new QWidget(parent);
}

}  // namespace

QWidget* CreateControl(const WindowControl& control, QWidget* parent) {
  QWidget* widget = CreateWidget(control, parent);
  widget->setObjectName(QStringOf(control.name));
  if (!control.accessibleName.empty()) widget->setAccessibleName(QStringOf(control.accessibleName));
  return widget;
}

}  // namespace cotalia
