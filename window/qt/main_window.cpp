// SPDX-License-Identifier: GPL-3.0-or-later
#include "main_window.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <limits>

#include "application_icon.h"
#include "window_description.h"

namespace cotalia {

namespace {

QString QStringOf(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QWidget* CreateControl(const ControlDescription& control, QWidget* window) {
  const QString caption = QStringOf(control.caption);
  QWidget* widget = nullptr;
  switch (control.kind) {
    case ControlKind::Label: {
      auto* label = new QLabel(caption, window);
      label->setAlignment(Qt::AlignCenter);
      // A caption wider than its label in the desktop's face breaks over two
      // lines rather than lose letters at both ends.
      label->setWordWrap(true);
      widget = label;
      break;
    }
    case ControlKind::TextBox: {
      auto* textBox = new QLineEdit(caption, window);
      // QLineEdit keeps only 32767 characters unless told otherwise.
      textBox->setMaxLength(std::numeric_limits<int>::max());
      widget = textBox;
      break;
    }
    case ControlKind::Button:
      widget = new QPushButton(caption, window);
      break;
  }
  widget->setObjectName(QStringOf(control.name));
  widget->setGeometry(PixelsOfTwips(control.left), PixelsOfTwips(control.top), PixelsOfTwips(control.width),
                      PixelsOfTwips(control.height));
  return widget;
}

}  // namespace

MainWindow::MainWindow() {
  setObjectName(QStringOf(kWindowName));
  setWindowTitle(QStringOf(kWindowCaption));
  setWindowIcon(QIcon(QPixmap::fromImage(
      QImage(reinterpret_cast<const uchar*>(kIconArgb), kIconWidth, kIconHeight, QImage::Format_ARGB32))));
  resize(PixelsOfTwips(kClientWidth), PixelsOfTwips(kClientHeight));
  // The places were laid out for an 8-point sans-serif face; the desktop's
  // usual 9 or 10 points would cut "Variacion esperada" short.
  QFont font = this->font();
  font.setPointSize(kFontPointSize);
  setFont(font);

  for (std::size_t i = 0; i < kControls.size(); ++i) controls_[i] = CreateControl(kControls[i], this);

  QWidget* previous = nullptr;
  for (const std::size_t index : TabOrder()) {
    if (kControls[index].kind == ControlKind::Label) continue;  // labels never take the focus
    if (previous != nullptr) setTabOrder(previous, controls_[index]);
    previous = controls_[index];
  }

  for (const FieldBinding& binding : kFieldBindings) {
    auto* textBox = static_cast<QLineEdit*>(controls_[binding.textBox]);
    textBox->setAccessibleName(QStringOf(AccessibleNameOf(binding)));
    textBoxes_[IndexOf(binding.field)] = textBox;
  }
  for (const ButtonBinding& binding : kButtonBindings) {
    const Action action = binding.action;
    connect(static_cast<QPushButton*>(controls_[binding.button]), &QPushButton::clicked, this,
            [this, action] { buttonClicked(action); });
  }

  textBoxes_[IndexOf(Field::Text1)]->setFocus();
}

std::string MainWindow::GetFieldText(Field field) { return textBoxes_[IndexOf(field)]->text().toStdString(); }

void MainWindow::SetFieldText(Field field, std::string_view text) {
  QLineEdit* textBox = textBoxes_[IndexOf(field)];
  textBox->setText(QStringOf(text));
  // A result is wider than its box: show its leading digits, not its tail.
  textBox->setCursorPosition(0);
}

void MainWindow::ShowAndEnd(const RunTimeError& error) {
  QMessageBox report(QMessageBox::Critical, QApplication::applicationName(), QStringOf(ReportTextOf(error)),
                     QMessageBox::NoButton, this);
  report.addButton(QStringLiteral("Aceptar"), QMessageBox::AcceptRole);
  report.exec();
  QCoreApplication::exit(kFailedExitStatus);
}

void MainWindow::buttonClicked(Action action) { runner_.Run(action); }

}  // namespace cotalia
