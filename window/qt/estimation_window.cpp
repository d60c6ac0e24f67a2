// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/qt/estimation_window.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "window/qt/exports.h"
#include "window/qt/qt_text.h"

namespace cotalia {

namespace {

// How often a reading is asked how far it has come, and after how many asks
// its progress is shown: a reading done within a moment shows none.
constexpr int kPollMilliseconds = 50;
constexpr int kPollsBeforeProgress = 6;

}  // namespace

EstimationWindow::EstimationWindow(WriteForm writeForm, QWidget* owner)
    : QWidget(owner, Qt::Window),
      writeForm_(std::move(writeForm)),
      menuBar_(new QMenuBar(this)),
      body_(new QWidget(this)),
      controls_(kEstimationControls, body_),
      timer_(new QTimer(this)) {
  setObjectName(QStringLiteral("estimation"));
  setWindowTitle(QStringOf(kEstimationWindow.title));
  setAcceptDrops(true);
  FillMenuBar(menuBar_, kEstimationMenuItems, [this](MenuCommand command) { menuCommand(command); });
  resize(kEstimationWindow.width, kEstimationWindow.height + menuBar_->sizeHint().height());

  timer_->setInterval(kPollMilliseconds);
  connect(timer_, &QTimer::timeout, this, &EstimationWindow::poll);
  connect(controls_.as<QListWidget>(EstimationControl::Column), &QListWidget::currentRowChanged, this,
          [this](int row) {
            if (row < 0) return;
            session_.ChooseColumn(static_cast<std::size_t>(row));
            startReading();
          });
  connect(controls_.as<QLineEdit>(EstimationControl::Periods), &QLineEdit::textChanged, this,
          &EstimationWindow::refresh);
  for (QRadioButton* button : controls_.choices(EstimationControl::PriceAxis)) {
    connect(button, &QRadioButton::toggled, this, [this](bool checked) {
      if (checked) refresh();
    });
  }
  connect(controls_.as<QPushButton>(EstimationControl::UseInForm), &QPushButton::clicked, this, [this] {
    if (view_.formInputs) writeForm_(*view_.formInputs);
  });
  connect(controls_.as<QPushButton>(EstimationControl::Cancel), &QPushButton::clicked, this, [this] {
    session_.Cancel();
    poll();
  });
  controls_.as<QPushButton>(EstimationControl::Cancel)->hide();
  showState();
}

void EstimationWindow::openFile(const QString& path) {
  session_.OpenFile(std::filesystem::path(path.toStdU16String()));
  startReading();
}

void EstimationWindow::openText(const QString& text) {
  session_.OpenText(text.toStdString());
  startReading();
}

QString EstimationWindow::FileOf(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return {};
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) return url.toLocalFile();
  }
  return {};
}

void EstimationWindow::startReading() {
  pollsWhileReading_ = 0;
  timer_->start();
  poll();
}

// Takes a finished reading, or shows how far it has come once it has taken
// more than a moment.
void EstimationWindow::poll() {
  auto* progress = controls_.as<QProgressBar>(EstimationControl::Progress);
  auto* cancel = controls_.as<QPushButton>(EstimationControl::Cancel);
  if (session_.Poll()) showState();
  if (!session_.Reading()) {
    timer_->stop();
    progress->hide();
    cancel->hide();
    return;
  }
  if (++pollsWhileReading_ >= kPollsBeforeProgress) {
    progress->setValue(static_cast<int>(session_.Progress() * progress->maximum()));
    progress->show();
    cancel->show();
  }
}

// A new state: its columns, the periods a year it found, and its view.
void EstimationWindow::showState() {
  const EstimationState& state = session_.state();
  auto* list = controls_.as<QListWidget>(EstimationControl::Column);
  {
    const QSignalBlocker blocker(list);
    list->clear();
    for (const std::string& name : ColumnNamesOf(state)) list->addItem(QStringOf(name));
    if (const std::optional<std::size_t> column = ColumnOf(state))
      list->setCurrentRow(static_cast<int>(*column));
  }
  auto* periods = controls_.as<QLineEdit>(EstimationControl::Periods);
  {
    const QSignalBlocker blocker(periods);
    periods->setText(QStringOf(PeriodsTextOf(state)));
  }
  refresh();
}

// The view of the state with the window's own inputs as they are now.
void EstimationWindow::refresh() {
  view_ = EstimationViewOf(session_.state(),
                           controls_.as<QLineEdit>(EstimationControl::Periods)->text().toStdString());
  const bool logarithmic =
      controls_.choices(EstimationControl::PriceAxis).at(kLogarithmicPriceAxis)->isChecked();
  controls_.as<QPlainTextEdit>(EstimationControl::Figures)
      ->setPlainText(QStringOf(FiguresText(view_.figures, "\n")));
  controls_.as<QPushButton>(EstimationControl::UseInForm)->setEnabled(view_.formInputs.has_value());
  controls_.as<ChartWidget>(EstimationControl::HistoryChart)
      ->setDrawer(
          [this, logarithmic](const ChartArea& area, const TextWidth& textWidth) {
            return DrawHistory(view_, area, textWidth, logarithmic);
          },
          view_.historyDescription);
  controls_.as<ChartWidget>(EstimationControl::ReturnsChart)
      ->setDrawer([this](const ChartArea& area,
                         const TextWidth& textWidth) { return DrawReturns(view_, area, textWidth); },
                  view_.returnsDescription);
}

void EstimationWindow::menuCommand(MenuCommand command) {
  // The chart that has the focus, else the first: the history.
  const auto* returns = controls_.as<ChartWidget>(EstimationControl::ReturnsChart);
  const ChartWidget& chart =
      returns->hasFocus() ? *returns : *controls_.as<ChartWidget>(EstimationControl::HistoryChart);
  RunChartWindowCommand(command, this, view_.figures, chart);
}

// Esc closes the window, as it closes a dialog; a reading under way stops.
void EstimationWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    session_.Cancel();
    poll();
    close();
    return;
  }
  QWidget::keyPressEvent(event);
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
