// SPDX-License-Identifier: GPL-3.0-or-later
#include "distribution_window.h"

#include <QFontMetricsF>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "qt_text.h"

namespace cotalia {

namespace {

QColor QColorOf(Ink ink) {
  const Colour colour = ColourOf(ink);
  return {colour.red, colour.green, colour.blue, colour.alpha};
}

QWidget* CreateControl(const WindowControl& control, QWidget* window) {
  const QString caption = QStringOf(control.caption);
  QWidget* widget = nullptr;
  switch (control.role) {
    case ControlRole::Label: {
      auto* label = new QLabel(caption, window);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      widget = label;
      break;
    }
    case ControlRole::TextBox:
      widget = new QLineEdit(caption, window);
      break;
    case ControlRole::Choice: {
      // A group of radio buttons, which screen readers announce by the
      // group's title and each button by its own, with its state.
      auto* group = new QGroupBox(caption, window);
      for (std::size_t i = 0; i < control.choices.size(); ++i) {
        auto* button = new QRadioButton(QStringOf(control.choices[i]), group);
        button->setObjectName(QStringOf(control.name) + QString::number(i));
        button->setChecked(i == 0);
      }
      widget = group;
      break;
    }
    case ControlRole::Chart:
      widget = new ChartWidget(window);
      break;
    case ControlRole::ReadOnlyText: {
      auto* text = new QPlainTextEdit(window);
      text->setReadOnly(true);
      text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
      text->setLineWrapMode(QPlainTextEdit::NoWrap);
      widget = text;
      break;
    }
  }
  widget->setObjectName(QStringOf(control.name));
  if (!control.accessibleName.empty()) widget->setAccessibleName(QStringOf(control.accessibleName));
  return widget;
}

}  // namespace

ChartWidget::ChartWidget(QWidget* parent) : QWidget(parent) {}

void ChartWidget::setView(DistributionView view, bool logarithmic) {
  view_ = std::move(view);
  logarithmic_ = logarithmic;
  setAccessibleDescription(QStringOf(view_.description));
  update();
}

ChartDrawing ChartWidget::drawing() const {
  const QFontMetricsF metrics(font());
  return DrawChart(
      view_, {width() * 1.0, height() * 1.0, metrics.height()},
      [&metrics](std::string_view text) { return metrics.horizontalAdvance(QStringOf(text)); }, logarithmic_);
}

void ChartWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), palette().base());
  const ChartDrawing chart = drawing();
  for (const Shape& shape : chart.shapes) {
    QPolygonF points;
    for (const Point& point : shape.points) points << QPointF(point.x, point.y);
    const QColor colour = QColorOf(shape.ink);
    switch (shape.kind) {
      case ShapeKind::Area:
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawPolygon(points);
        break;
      case ShapeKind::Line:
        painter.setPen(QPen(colour, shape.size));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(points);
        break;
      case ShapeKind::Dot:
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(points.front(), shape.size, shape.size);
        break;
    }
  }
  const double line = QFontMetricsF(font()).height();
  for (const Label& label : chart.labels) {
    painter.setPen(QColorOf(label.ink));
    painter.drawText(QRectF(label.topLeft.x, label.topLeft.y, label.width + 1, line),
                     Qt::AlignLeft | Qt::AlignTop, QStringOf(label.text));
  }
}

QList<QRadioButton*> DistributionWindow::choices(DistributionControl which) const {
  return controls_[static_cast<std::size_t>(which)]->findChildren<QRadioButton*>(QString(),
                                                                                 Qt::FindDirectChildrenOnly);
}

DistributionWindow::DistributionWindow(FormTexts formTexts, QWidget* owner)
    : QWidget(owner, Qt::Window), formTexts_(std::move(formTexts)) {
  setObjectName(QStringLiteral("distribution"));
  setWindowTitle(QStringOf(kDistributionWindow.title));
  for (std::size_t i = 0; i < kDistributionControls.size(); ++i) {
    controls_[i] = CreateControl(kDistributionControls[i], this);
    // A label names the control after it: its mnemonic moves the focus there.
    if (i > 0 && kDistributionControls[i - 1].role == ControlRole::Label) {
      static_cast<QLabel*>(controls_[i - 1])->setBuddy(controls_[i]);
    }
  }
  // The Tab key in the table's order, a choice's buttons in the choice's
  // place.
  QWidget* previous = nullptr;
  for (std::size_t i = 0; i < kDistributionControls.size(); ++i) {
    QList<QWidget*> stops{controls_[i]};
    if (kDistributionControls[i].role == ControlRole::Choice) {
      stops.clear();
      for (QRadioButton* button : choices(static_cast<DistributionControl>(i))) stops << button;
    }
    for (QWidget* widget : stops) {
      if (widget->focusPolicy() == Qt::NoFocus) continue;
      if (previous != nullptr) setTabOrder(previous, widget);
      previous = widget;
    }
  }
  resize(kDistributionWindow.width, kDistributionWindow.height);

  connect(control<QLineEdit>(DistributionControl::Level), &QLineEdit::textChanged, this,
          &DistributionWindow::refresh);
  connect(control<QLineEdit>(DistributionControl::Target), &QLineEdit::textChanged, this,
          &DistributionWindow::refresh);
  for (QRadioButton* button : choices(DistributionControl::PriceAxis)) {
    connect(button, &QRadioButton::toggled, this, [this](bool checked) {
      if (checked) refresh();
    });
  }
  control<QLineEdit>(DistributionControl::Level)->setFocus();
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
  for (std::size_t i = 0; i < kDistributionControls.size(); ++i) {
    const Rectangle place = RectangleOf(kDistributionControls[i].place, width(), height());
    controls_[i]->setGeometry(place.left, place.top, place.width, place.height);
    const QList<QRadioButton*> buttons = choices(static_cast<DistributionControl>(i));
    for (qsizetype b = 0; b < buttons.size(); ++b) {
      const Rectangle button =
          ChoiceButtonOf(place, static_cast<std::size_t>(b), static_cast<std::size_t>(buttons.size()));
      buttons[b]->setGeometry(button.left, button.top, button.width, button.height);
    }
  }
  QWidget::resizeEvent(event);
}

void DistributionWindow::refresh() {
  const std::array<std::string, 4> texts = formTexts_();
  const std::string level = control<QLineEdit>(DistributionControl::Level)->text().toStdString();
  const std::string target = control<QLineEdit>(DistributionControl::Target)->text().toStdString();
  DistributionView view = ViewOf({{texts[0], texts[1], texts[2], texts[3]}, level, target});
  control<QPlainTextEdit>(DistributionControl::Figures)->setPlainText(QStringOf(FiguresText(view, "\n")));
  control<ChartWidget>(DistributionControl::Chart)
      ->setView(std::move(view),
                choices(DistributionControl::PriceAxis).at(kLogarithmicPriceAxis)->isChecked());
}

}  // namespace cotalia
