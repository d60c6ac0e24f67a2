// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/qt/estimation_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "window/qt/exports.h"
#include "window/qt/qt_text.h"

namespace cotalia {

EstimationWindow::EstimationWindow(FieldAccess& form, QWidget* owner)
    : QWidget(owner, Qt::Window),
      menuBar_(new QMenuBar(this)),
      body_(new QWidget(this)),
      controls_(kEstimationControls, body_),
      timer_(new QTimer(this)),
      session_(form, controls_) {
  setObjectName(QStringLiteral("estimation"));
  setWindowTitle(QStringOf(kEstimationWindow.title));
  setAcceptDrops(true);
  FillMenuBar(menuBar_, kEstimationMenuItems, [this](MenuCommand command) { menuCommand(command); });
  // Never smaller than as laid out, where nothing overlaps or is cut.
  setMinimumSize(kEstimationWindow.width, kEstimationWindow.height + menuBar_->sizeHint().height());
  resize(minimumSize());

  connect(timer_, &QTimer::timeout, this, [this] {
    session_.Tick();
    followPolling();
  });
  controls_.passChanges(this, [this](std::size_t row) { session_.Changed(EstimationControl{row}); });
  connect(controls_.as<QListWidget>(EstimationControl::Column), &QListWidget::currentRowChanged, this,
          [this](int row) {
            if (row < 0) return;
            session_.ItemChosen(EstimationControl::Column, static_cast<std::size_t>(row));
            followPolling();
          });
  for (const EstimationControl button : {EstimationControl::UseInForm, EstimationControl::Cancel}) {
    connect(controls_.as<QPushButton>(button), &QPushButton::clicked, this, [this, button] {
      session_.Pressed(button);
      followPolling();
    });
  }
  session_.Show();
}

void EstimationWindow::openFile(const QString& path) {
  session_.OpenFile(std::filesystem::path(path.toStdU16String()));
  followPolling();
}

void EstimationWindow::openText(const QString& text) {
  session_.OpenText(text.toStdString());
  followPolling();
}

QString EstimationWindow::FileOf(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return {};
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) return url.toLocalFile();
  }
  return {};
}

// The timer runs while the session polls a reading.
void EstimationWindow::followPolling() {
  if (const std::optional<std::chrono::milliseconds> interval = session_.PollInterval()) {
    if (!timer_->isActive()) timer_->start(*interval);
  } else {
    timer_->stop();
  }
}

void EstimationWindow::menuCommand(MenuCommand command) {
  if (session_.Command(command)) return;
  if (command == MenuCommand::OpenPrices) {
    AskForPriceFile(this, [this](const QString& file) { openFile(file); });
    return;
  }
  if (command == MenuCommand::PastePrices) {
    openText(QApplication::clipboard()->text());
    return;
  }
  std::optional<EstimationControl> focused;
  for (std::size_t row = 0; row < kEstimationControls.size(); ++row) {
    if (controls_.at(row)->hasFocus()) focused = EstimationControl{row};
  }
  RunChartWindowCommand(command, this, {},
                        *controls_.as<ChartWidget>(EstimationSession::ChartOfCommand(focused)));
}

// Esc closes the window, as it closes a dialog.
void EstimationWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

// However the window closes, a reading under way stops.
void EstimationWindow::closeEvent(QCloseEvent* event) {
  session_.Closing();
  followPolling();
  QWidget::closeEvent(event);
}

void EstimationWindow::resizeEvent(QResizeEvent* event) {
  const int barHeight = menuBar_->sizeHint().height();
  menuBar_->setGeometry(0, 0, width(), barHeight);
  body_->setGeometry(0, barHeight, width(), height() - barHeight);
  controls_.place(body_->width(), body_->height());
  QWidget::resizeEvent(event);
}

void EstimationWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!FileOf(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void EstimationWindow::dropEvent(QDropEvent* event) {
  const QString file = FileOf(event->mimeData());
  if (file.isEmpty()) return;
  event->acceptProposedAction();
  openFile(file);
}

}  // namespace cotalia
