// SPDX-License-Identifier: GPL-3.0-or-later
#include "distribution_window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>

namespace cotalia {

namespace {

QString QStringOf(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QColor QColorOf(Ink ink) {
  const Colour colour = ColourOf(ink);
  return {colour.red, colour.green, colour.blue, colour.alpha};
}

// A drop-down list that screen readers announce by its label and then its
// choice. Qt's own interface for a combo box names it, on Linux, by its
// current text and leaves the label to a relation that not every reader
// follows.
class Choice : public QComboBox {
 public:
  using QComboBox::QComboBox;
};

class ChoiceAccessible : public QAccessibleWidget {
 public:
  explicit ChoiceAccessible(QWidget* choice) : QAccessibleWidget(choice, QAccessible::ComboBox) {}

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Name) return widget()->accessibleName();
    if (kind == QAccessible::Value) return static_cast<const QComboBox*>(widget())->currentText();
    return QAccessibleWidget::text(kind);
  }
};

QAccessibleInterface* ChoiceAccessibleFactory(const QString& className, QObject* object) {
  auto* choice = dynamic_cast<Choice*>(object);
  if (choice == nullptr || className != QLatin1String("QComboBox")) return nullptr;
  return new ChoiceAccessible(choice);
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
      static const bool installed = [] {
        QAccessible::installFactory(ChoiceAccessibleFactory);
        return true;
      }();
      static_cast<void>(installed);
      auto* choice = new Choice(window);
      for (const std::string_view item : control.choices) choice->addItem(QStringOf(item));
      widget = choice;
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
  QWidget* previous = nullptr;
  for (QWidget* widget : controls_) {
    if (widget->focusPolicy() == Qt::NoFocus) continue;
    if (previous != nullptr) setTabOrder(previous, widget);
    previous = widget;
  }
  resize(kDistributionWindow.width, kDistributionWindow.height);

  connect(control<QLineEdit>(DistributionControl::Level), &QLineEdit::textChanged, this,
          &DistributionWindow::refresh);
  connect(control<QLineEdit>(DistributionControl::Target), &QLineEdit::textChanged, this,
          &DistributionWindow::refresh);
  connect(control<QComboBox>(DistributionControl::PriceAxis), &QComboBox::currentIndexChanged, this,
          &DistributionWindow::refresh);
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
      ->setView(std::move(view), control<QComboBox>(DistributionControl::PriceAxis)->currentIndex() == 1);
}

}  // namespace cotalia
