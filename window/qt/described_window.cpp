// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/qt/described_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalBlocker>
#include <utility>

#include "window/qt/controls.h"
#include "window/qt/qt_text.h"

namespace cotalia {

namespace {

QColor QColorOf(Ink ink) {
  const Colour colour = ColourOf(ink);
  return {colour.red, colour.green, colour.blue, colour.alpha};
}

}  // namespace

// A chart takes the focus, so that the window's chart commands can tell which
// chart they are for.
ChartWidget::ChartWidget(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }

void ChartWidget::setDrawer(ChartDrawer drawer, const std::string& description) {
  drawer_ = std::move(drawer);
  setAccessibleDescription(QStringOf(description));
  update();
}

ChartDrawing ChartWidget::drawing() const { return drawing(area(), textWidth()); }

ChartArea ChartWidget::area() const {
  return {width() * 1.0, height() * 1.0, QFontMetricsF(font()).height()};
}

TextWidth ChartWidget::textWidth() const {
  return [metrics = QFontMetricsF(font())](std::string_view text) {
    return metrics.horizontalAdvance(QStringOf(text));
  };
}

void ChartWidget::setReader(std::function<void(double)> pointerMoved,
                            std::function<void(ReadoutKey)> keyPressed) {
  pointerMoved_ = std::move(pointerMoved);
  keyPressed_ = std::move(keyPressed);
  setMouseTracking(static_cast<bool>(pointerMoved_));
}

void ChartWidget::mouseMoveEvent(QMouseEvent* event) {
  if (pointerMoved_) pointerMoved_(event->position().x());
  QWidget::mouseMoveEvent(event);
}

void ChartWidget::keyPressEvent(QKeyEvent* event) {
  static constexpr std::pair<int, ReadoutKey> kKeys[] = {{Qt::Key_Left, ReadoutKey::Left},
                                                         {Qt::Key_Right, ReadoutKey::Right},
                                                         {Qt::Key_Home, ReadoutKey::Home},
                                                         {Qt::Key_End, ReadoutKey::End}};
  if (keyPressed_ && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    for (const auto& [key, chartKey] : kKeys) {
      if (event->key() != key) continue;
      keyPressed_(chartKey);
      event->accept();
      return;
    }
  }
  QWidget::keyPressEvent(event);
}

ChartDrawing ChartWidget::drawing(const ChartArea& area, const TextWidth& textWidth) const {
  if (!drawer_) return {};
  return drawer_(area, textWidth);
}

// With the keyboard's focus the chart is framed in the selection's colour,
// inside its edge; saved and copied images are painted without it.
void ChartWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintChart(painter, *this);
  if (!hasFocus()) return;
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(palette().highlight(), 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect().adjusted(1, 1, -1, -1));
}

void ChartWidget::focusInEvent(QFocusEvent* event) {
  update();
  QWidget::focusInEvent(event);
}

void ChartWidget::focusOutEvent(QFocusEvent* event) {
  update();
  QWidget::focusOutEvent(event);
}

void PaintChart(QPainter& painter, const ChartWidget& chart) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(chart.rect(), chart.palette().base());
  const ChartDrawing drawing = chart.drawing();
  for (const Shape& shape : drawing.shapes) {
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
  painter.setFont(chart.font());
  const double line = QFontMetricsF(chart.font()).height();
  for (const Label& label : drawing.labels) {
    painter.setPen(QColorOf(label.ink));
    painter.drawText(QRectF(label.topLeft.x, label.topLeft.y, label.width + 1, line),
                     Qt::AlignLeft | Qt::AlignTop, QStringOf(label.text));
  }
}

DescribedControls::DescribedControls(std::span<const WindowControl> rows, QWidget* parent) : rows_(rows) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    widgets_.push_back(CreateControl(rows[i], parent));
    // A label names the control after it: its mnemonic moves the focus there.
    if (i > 0 && rows[i - 1].role == ControlRole::Label) as<QLabel>(i - 1)->setBuddy(widgets_[i]);
  }
  // The Tab key in the table's order, a choice's buttons in the choice's
  // place.
  QWidget* previous = nullptr;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    QList<QWidget*> stops{widgets_[i]};
    if (rows[i].role == ControlRole::Choice) {
      stops.clear();
      for (QRadioButton* button : choicesAt(i)) stops << button;
    }
    for (QWidget* widget : stops) {
      if (widget->focusPolicy() == Qt::NoFocus) continue;
      if (previous != nullptr) QWidget::setTabOrder(previous, widget);
      previous = widget;
    }
  }
}

QList<QRadioButton*> DescribedControls::choicesAt(std::size_t row) const {
  return widgets_[row]->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
}

void DescribedControls::place(int width, int height) const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const Rectangle place = RectangleOf(rows_[i].place, width, height);
    widgets_[i]->setGeometry(place.left, place.top, place.width, place.height);
    const QList<QRadioButton*> buttons = choicesAt(i);
    for (qsizetype b = 0; b < buttons.size(); ++b) {
      const Rectangle button =
          ChoiceButtonOf(place, static_cast<std::size_t>(b), static_cast<std::size_t>(buttons.size()));
      buttons[b]->setGeometry(button.left, button.top, button.width, button.height);
    }
  }
}

void DescribedControls::passChanges(QObject* context, const std::function<void(std::size_t)>& changed) const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].role == ControlRole::TextBox) {
      QObject::connect(as<QLineEdit>(i), &QLineEdit::textChanged, context, [changed, i] { changed(i); });
    }
    for (QRadioButton* button : choicesAt(i)) {
      QObject::connect(button, &QRadioButton::toggled, context, [changed, i](bool checked) {
        if (checked) changed(i);
      });
    }
  }
}

void DescribedControls::NotOfItsRole(std::size_t row) const {
  qFatal("The control %s is not the widget asked for", QStringOf(rows_[row].name).toUtf8().constData());
}

std::string DescribedControls::TextOf(std::size_t row) const {
  if (const auto* text = qobject_cast<const QPlainTextEdit*>(widgets_[row]))
    return text->toPlainText().toStdString();
  if (const auto* label = qobject_cast<const QLabel*>(widgets_[row])) return label->text().toStdString();
  return as<QLineEdit>(row)->text().toStdString();
}

std::size_t DescribedControls::ChoiceOf(std::size_t row) const {
  const QList<QRadioButton*> buttons = choicesAt(row);
  for (qsizetype i = 0; i < buttons.size(); ++i) {
    if (buttons[i]->isChecked()) return static_cast<std::size_t>(i);
  }
  return 0;
}

// A line the window writes (a note without a caption) is read by screen
// readers as its description too.
void DescribedControls::SetText(std::size_t row, std::string_view text) {
  const QString qtText = QStringOf(text);
  if (auto* box = qobject_cast<QLineEdit*>(widgets_[row])) {
    const QSignalBlocker blocker(box);
    box->setText(qtText);
  } else if (auto* lines = qobject_cast<QPlainTextEdit*>(widgets_[row])) {
    lines->setPlainText(qtText);
  } else if (QLabel* label = as<QLabel>(row); label->text() != qtText) {
    label->setText(qtText);
    if (IsWrittenLine(rows_[row])) label->setAccessibleDescription(qtText);
  }
}

void DescribedControls::SetItems(std::size_t row, std::span<const std::string> items,
                                 std::optional<std::size_t> selected) {
  auto* list = as<QListWidget>(row);
  const QSignalBlocker blocker(list);
  list->clear();
  for (const std::string& item : items) list->addItem(QStringOf(item));
  list->setCurrentRow(selected ? static_cast<int>(*selected) : -1);
}

void DescribedControls::SetEnabled(std::size_t row, bool enabled) { widgets_[row]->setEnabled(enabled); }

void DescribedControls::SetShown(std::size_t row, bool shown) { widgets_[row]->setVisible(shown); }

void DescribedControls::SetProgress(std::size_t row, double fraction) {
  auto* progress = as<QProgressBar>(row);
  progress->setValue(static_cast<int>(fraction * progress->maximum()));
}

void DescribedControls::SetChart(std::size_t row, ChartDrawer drawer, std::string description) {
  as<ChartWidget>(row)->setDrawer(std::move(drawer), description);
}

ChartFrame DescribedControls::FrameOf(std::size_t row) const {
  const ChartWidget* chart = as<ChartWidget>(row);
  return {chart->area(), chart->textWidth()};
}

void DescribedControls::PutOnClipboard(std::string_view text, std::string_view html) {
  auto* data = new QMimeData;
  data->setText(QStringOf(text));
  if (!html.empty()) data->setHtml(QStringOf(html));
  QApplication::clipboard()->setMimeData(data);
}

void FillMenuBar(QMenuBar* bar, std::span<const MenuItem> items,
                 const std::function<void(MenuCommand)>& command) {
  QMenu* menu = nullptr;
  std::string_view title;
  for (const MenuItem& item : items) {
    if (menu == nullptr || item.menu != title) {
      menu = bar->addMenu(QStringOf(item.menu));
      title = item.menu;
    }
    QAction* action = menu->addAction(QStringOf(item.caption));
    action->setShortcut(QKeySequence(QStringOf(item.qtShortcut)));
    const MenuCommand which = item.command;
    QObject::connect(action, &QAction::triggered, bar, [command, which] { command(which); });
  }
}

}  // namespace cotalia
