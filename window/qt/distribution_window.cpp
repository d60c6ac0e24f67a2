// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/qt/distribution_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "window/qt/exports.h"
#include "window/qt/qt_text.h"

namespace cotalia {

DistributionWindow::DistributionWindow(FormTexts formTexts, QWidget* owner)
    : QWidget(owner, Qt::Window),
      formTexts_(std::move(formTexts)),
      menuBar_(new QMenuBar(this)),
      body_(new QWidget(this)),
      controls_(kDistributionControls, body_) {
  setObjectName(QStringLiteral("distribution"));
  setWindowTitle(QStringOf(kDistributionWindow.title));
  FillMenuBar(menuBar_, kDistributionMenuItems, [this](MenuCommand command) { menuCommand(command); });
  resize(kDistributionWindow.width, kDistributionWindow.height + menuBar_->sizeHint().height());

  for (const DistributionControl box : {DistributionControl::Level, DistributionControl::Target,
                                        DistributionControl::Lower, DistributionControl::Upper}) {
    connect(controls_.as<QLineEdit>(box), &QLineEdit::textChanged, this, &DistributionWindow::refresh);
  }
  for (const DistributionControl choice : {DistributionControl::PriceAxis, DistributionControl::ChartKind}) {
    for (QRadioButton* button : controls_.choices(choice)) {
      connect(button, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) refresh();
      });
    }
  }
  auto* chart = controls_.as<ChartWidget>(DistributionControl::Chart);
  chart->setReader(
      [this, chart](double x) {
        showReading(ReadoutAt(view_, options_, chart->area(), chart->textWidth(), x));
      },
      [this, chart](ChartKey key) {
        constexpr ReadoutKey kKeys[] = {ReadoutKey::Left, ReadoutKey::Right, ReadoutKey::Home,
                                        ReadoutKey::End};
        showReading(ReadoutAfterKey(view_, options_, chart->area(), chart->textWidth(),
                                    kKeys[static_cast<std::size_t>(key)]));
      });
  controls_.as<QLineEdit>(DistributionControl::Level)->setFocus();
  refresh();
}

// Esc closes the window, as it closes a dialog; the boxes pass it on.
void DistributionWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void DistributionWindow::resizeEvent(QResizeEvent* event) {
  const int barHeight = menuBar_->sizeHint().height();
  menuBar_->setGeometry(0, 0, width(), barHeight);
  body_->setGeometry(0, barHeight, width(), height() - barHeight);
  controls_.place(body_->width(), body_->height());
  QWidget::resizeEvent(event);
}

void DistributionWindow::menuCommand(MenuCommand command) {
  const auto& chart = *controls_.as<ChartWidget>(DistributionControl::Chart);
  RunChartWindowCommand(command, this, view_.copied, chart);
}

void DistributionWindow::refresh() {
  const std::array<std::string, 4> texts = formTexts_();
  const auto text = [this](DistributionControl box) {
    return controls_.as<QLineEdit>(box)->text().toStdString();
  };
  const std::string level = text(DistributionControl::Level);
  const std::string target = text(DistributionControl::Target);
  const std::string lower = text(DistributionControl::Lower);
  const std::string upper = text(DistributionControl::Upper);
  view_ = ViewOf({{texts[0], texts[1], texts[2], texts[3]}, level, target, lower, upper});
  const bool density = controls_.choices(DistributionControl::ChartKind).at(kDensityChart)->isChecked();
  // A month on the fan is no price on the density: another chart starts
  // with no reading.
  if (density != options_.density) options_.readout.reset();
  options_.density = density;
  options_.logarithmic =
      controls_.choices(DistributionControl::PriceAxis).at(kLogarithmicPriceAxis)->isChecked();
  controls_.as<QPlainTextEdit>(DistributionControl::Figures)
      ->setPlainText(QStringOf(FiguresText(view_, "\n")));
  controls_.as<QPlainTextEdit>(DistributionControl::Percentiles)
      ->setPlainText(QStringOf(PercentilesText(view_, "\n")));
  auto* chart = controls_.as<ChartWidget>(DistributionControl::Chart);
  chart->setDrawer([this](const ChartArea& area,
                          const TextWidth& textWidth) { return DrawChart(view_, area, textWidth, options_); },
                   DescriptionOf(view_, options_));
  showReading(ReadoutOf(view_, options_, chart->area(), chart->textWidth()));
}

// The reading where the view puts it: its marker on the chart and its
// sentence under it, which screen readers read as the line's description.
void DistributionWindow::showReading(const std::optional<ChartReading>& reading) {
  options_.readout = reading ? std::optional(reading->at) : std::nullopt;
  auto* line = controls_.as<QLabel>(DistributionControl::Readout);
  const QString text = QStringOf(ReadoutText(view_, reading));
  line->setText(text);
  line->setAccessibleDescription(text);
  auto* chart = controls_.as<ChartWidget>(DistributionControl::Chart);
  chart->setAccessibleDescription(QStringOf(DescriptionOf(view_, options_, reading)));
  chart->update();
}

}  // namespace cotalia
