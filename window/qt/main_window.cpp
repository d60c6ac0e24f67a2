// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/qt/main_window.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <limits>

#include "application_icon.h"
#include "window/form/window_description.h"
#include "window/qt/controls.h"
#include "window/qt/described_window.h"
#include "window/qt/distribution_window.h"
#include "window/qt/estimation_window.h"
#include "window/qt/exports.h"
#include "window/qt/qt_text.h"

namespace cotalia {

namespace {

// A box whose text is wider than the room it shows text in carries the whole
// text as its tooltip; one whose text fits carries none.
void ShowWholeTextIfCut(QLineEdit* box) {
  const QMargins margins = box->textMargins();
  // QLineEdit keeps two pixels free on each side inside its frame.
  const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
  const int room = box->width() - 2 * frame - 4 - margins.left() - margins.right();
  const bool cut = box->fontMetrics().horizontalAdvance(box->text()) > room;
  box->setToolTip(cut ? box->text() : QString());
}

}  // namespace

MainWindow::MainWindow() {
  setObjectName(QStringOf(kWindowName));
  setWindowTitle(QStringOf(kWindowCaption));
  setWindowIcon(QIcon(QPixmap::fromImage(
      QImage(reinterpret_cast<const uchar*>(kIconArgb), kIconWidth, kIconHeight, QImage::Format_ARGB32))));
  // The places were laid out for an 8-point sans-serif face; the desktop's
  // usual 9 or 10 points would cut "Variacion esperada" short.
  QFont font = this->font();
  font.setPointSize(kFontPointSize);
  setFont(font);

  // The form keeps its size and its controls their places; the window grows
  // by the height of the menu bar above it. Both are placed by hand, as the
  // controls are: a main window's layout would cost the start-up a megabyte.
  menuBar_ = new QMenuBar(this);
  buildMenuBar();
  form_ = new QWidget(this);
  form_->setObjectName(QStringLiteral("form"));
  // Never smaller than the form as laid out, where nothing is cut.
  setMinimumSize(kForm.width, kForm.height + menuBar_->sizeHint().height());
  resize(minimumSize());

  for (std::size_t i = 0; i < kControls.size(); ++i) controls_[i] = CreateControl(kControls[i], form_);
  placeControls(kForm.width);

  QWidget* previous = nullptr;
  for (const std::size_t index : TabOrder()) {
    if (kControls[index].role == ControlRole::CentredLabel) continue;  // labels never take the focus
    if (previous != nullptr) setTabOrder(previous, controls_[index]);
    previous = controls_[index];
  }

  for (const FieldBinding& binding : kFieldBindings) {
    auto* textBox = static_cast<QLineEdit*>(controls_[binding.textBox]);
    // QLineEdit keeps only 32767 characters unless told otherwise.
    textBox->setMaxLength(std::numeric_limits<int>::max());
    connect(textBox, &QLineEdit::textChanged, textBox, [textBox] { ShowWholeTextIfCut(textBox); });
    textBox->setAccessibleName(QStringOf(AccessibleNameOf(binding)));
    textBoxes_[IndexOf(binding.field)] = textBox;
  }
  for (const ButtonBinding& binding : kButtonBindings) {
    const Action action = binding.action;
    connect(static_cast<QPushButton*>(controls_[binding.button]), &QPushButton::clicked, this,
            [this, action] { buttonClicked(action); });
  }

  setAcceptDrops(true);
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

void MainWindow::resizeEvent(QResizeEvent* event) {
  const int barHeight = menuBar_->sizeHint().height();
  menuBar_->setGeometry(0, 0, width(), barHeight);
  form_->setGeometry(0, barHeight, width(), height() - barHeight);
  placeControls(width());
  QWidget::resizeEvent(event);
}

void MainWindow::placeControls(int formWidth) {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    const Rectangle place = FormPlaceAcross(kControls[i], formWidth);
    controls_[i]->setGeometry(place.left, place.top, place.width, place.height);
  }
  for (QLineEdit* textBox : textBoxes_) {
    if (textBox != nullptr) ShowWholeTextIfCut(textBox);
  }
}

void MainWindow::buildMenuBar() {
  FillMenuBar(menuBar_, kMenuItems, [this](MenuCommand command) { menuCommand(command); });
  // F10 opens the first menu, as on other desktops; Alt and the mnemonics
  // reach the menus through Qt itself.
  auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
  connect(f10, &QShortcut::activated, this,
          [this] { menuBar_->setActiveAction(menuBar_->actions().constFirst()); });
}

void MainWindow::buttonClicked(Action action) { runner_.Run(action); }

void MainWindow::menuCommand(MenuCommand command) {
  switch (command) {
    case MenuCommand::Quit:
      close();
      break;
    case MenuCommand::CopyResults:
      PutOnClipboard(ResultsText(*this, "\n"), ResultRows(*this));
      break;
    case MenuCommand::About:
      showAbout();
      break;
    case MenuCommand::AboutQt:
      // Qt offers its box only through aboutQt(), which runs exec(): called
      // from the event loop rather than from the action, it lets the action
      // (and a screen reader's call) return first. Called by name: a functor
      // here sends clang's analyzer down Qt's slot-object ownership, where it
      // sees a leak that is not there.
      QMetaObject::invokeMethod(this, "showAboutQt", Qt::QueuedConnection);
      break;
    case MenuCommand::Distribution:
      showDistribution();
      break;
    case MenuCommand::OpenPrices:
      AskForPriceFile(this, [this](const QString& file) { estimation()->openFile(file); });
      break;
    case MenuCommand::PastePrices:
      estimation()->openText(QApplication::clipboard()->text());
      break;
    case MenuCommand::CopyFigures:
    case MenuCommand::SaveChart:
    case MenuCommand::CopyChart:
    case MenuCommand::Close:
      break;  // the chart windows' own
  }
}

// One window at a time, built when first used; it writes the form only when
// the user asks it to, the three inputs as a user could type them.
EstimationWindow* MainWindow::estimation() {
  if (estimation_ == nullptr) {
    estimation_ = new EstimationWindow(*this, this);
  }
  estimation_->show();
  estimation_->raise();
  estimation_->activateWindow();
  return estimation_;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!EstimationWindow::FileOf(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QString file = EstimationWindow::FileOf(event->mimeData());
  if (file.isEmpty()) return;
  event->acceptProposedAction();
  estimation()->openFile(file);
}

// One window at a time, built when first shown so that it costs the start-up
// nothing; it follows every change of the four inputs and reads them only.
void MainWindow::showDistribution() {
  if (distribution_ == nullptr) {
    distribution_ = new DistributionWindow(*this, this);
    for (const Field input : kDistributionFields) {
      connect(textBoxes_[IndexOf(input)], &QLineEdit::textChanged, distribution_,
              &DistributionWindow::refresh);
    }
  } else {
    distribution_->refresh();
  }
  distribution_->show();
  distribution_->raise();
  distribution_->activateWindow();
}

void MainWindow::showAboutQt() { QMessageBox::aboutQt(this, QStringLiteral("Acerca de Qt")); }

// Built when it is shown, so that it costs the start-up nothing. It is
// opened, not run: exec() would run a loop of its own inside the menu
// action, and whoever triggered the action (a screen reader's call over
// D-Bus among them) would get no answer until the box was closed. Modal over
// the form only; one box at a time, however often it is asked for.
void MainWindow::showAbout() {
  if (about_ != nullptr) {
    about_->raise();
    about_->activateWindow();
    return;
  }
  auto* about = new QMessageBox(QMessageBox::NoIcon, QStringOf(kAboutTitle), QStringOf(AboutText()),
                                QMessageBox::NoButton, this);
  about->setAttribute(Qt::WA_DeleteOnClose);
  about->setTextFormat(Qt::PlainText);
  about->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  about->setIconPixmap(windowIcon().pixmap(64));
  about->addButton(QStringLiteral("Aceptar"), QMessageBox::AcceptRole);
  about_ = about;
  about->open();
}

}  // namespace cotalia
