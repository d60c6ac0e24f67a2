// SPDX-License-Identifier: GPL-3.0-or-later
#include "distribution_window.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace cotalia {

namespace {

QString QStringOf(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QColor QColorOf(Ink ink) {
  const Colour colour = ColourOf(ink);
  return {colour.red, colour.green, colour.blue, colour.alpha};
}

}  // namespace

// Paints the shared drawing as it is given: the chart, or the message in its
// place.
class ChartWidget : public QWidget {
 public:
  explicit ChartWidget(QWidget* parent) : QWidget(parent) {
    setMinimumSize(320, 200);
    setAccessibleName(QStringLiteral("Gráfico"));
  }

  void setView(DistributionView view, bool logarithmic) {
    view_ = std::move(view);
    logarithmic_ = logarithmic;
    setAccessibleDescription(QStringOf(view_.message));
    update();
  }

  const DistributionView& view() const { return view_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().base());
    const QFontMetricsF metrics(font());
    const ChartDrawing drawing =
        DrawChart(view_, {width() * 1.0, height() * 1.0, metrics.height()}, logarithmic_);
    for (const Shape& shape : drawing.shapes) {
      QPolygonF points;
      for (const Point& point : shape.points) points << QPointF(point.x, point.y);
      const QColor colour = QColorOf(shape.ink);
      if (shape.filled) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawPolygon(points);
      } else if (points.size() == 1) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(points.front(), 4, 4);
      } else {
        const bool thin = shape.ink == Ink::Grid || shape.ink == Ink::Axis;
        painter.setPen(QPen(colour, thin ? 1 : 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(points);
      }
    }
    for (const Label& label : drawing.labels) {
      const QString text = QStringOf(label.text);
      const double width = metrics.horizontalAdvance(text);
      const double height = metrics.height();
      const double left = label.horizontal == Align::Start    ? label.at.x
                          : label.horizontal == Align::Middle ? label.at.x - width / 2
                                                              : label.at.x - width;
      const double top = label.vertical == Align::Start    ? label.at.y
                         : label.vertical == Align::Middle ? label.at.y - height / 2
                                                           : label.at.y - height;
      painter.setPen(QColorOf(label.ink));
      painter.drawText(QRectF(left, top, width + 1, height), Qt::AlignLeft | Qt::AlignTop, text);
    }
  }

 private:
  DistributionView view_;
  bool logarithmic_ = false;
};

DistributionWindow::DistributionWindow(FormTexts formTexts, QWidget* owner)
    : QWidget(owner, Qt::Window), formTexts_(std::move(formTexts)) {
  setObjectName(QStringLiteral("distribution"));
  setWindowTitle(QStringOf(kDistributionTitle));
  resize(820, 460);

  // Each input with the label that names it, for the mnemonic and for
  // screen readers.
  const auto labelled = [this](const QString& caption, QWidget* input, const QString& name) {
    auto* label = new QLabel(caption, this);
    label->setBuddy(input);
    input->setObjectName(name);
    input->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return label;
  };
  level_ = new QLineEdit(QStringOf(kDefaultLevel), this);
  target_ = new QLineEdit(this);
  scale_ = new QComboBox(this);
  scale_->addItems({QStringLiteral("Lineal"), QStringLiteral("Logarítmico")});
  QLabel* levelLabel = labelled(QStringLiteral("&Nivel de confianza (%)"), level_, QStringLiteral("level"));
  QLabel* targetLabel = labelled(QStringLiteral("Precio &objetivo"), target_, QStringLiteral("target"));
  QLabel* scaleLabel = labelled(QStringLiteral("&Eje de precios"), scale_, QStringLiteral("scale"));

  chart_ = new ChartWidget(this);
  chart_->setObjectName(QStringLiteral("chart"));
  figures_ = new QLabel(this);
  figures_->setObjectName(QStringLiteral("figures"));
  figures_->setTextFormat(Qt::PlainText);
  figures_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  figures_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  figures_->setAccessibleName(QStringLiteral("Cifras al horizonte"));

  auto* inputs = new QHBoxLayout;
  for (QWidget* widget :
       std::initializer_list<QWidget*>{levelLabel, level_, targetLabel, target_, scaleLabel, scale_}) {
    inputs->addWidget(widget);
  }
  inputs->addStretch();
  auto* body = new QHBoxLayout;
  body->addWidget(chart_, 1);
  body->addWidget(figures_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(inputs);
  layout->addLayout(body, 1);

  connect(level_, &QLineEdit::textChanged, this, &DistributionWindow::refresh);
  connect(target_, &QLineEdit::textChanged, this, &DistributionWindow::refresh);
  connect(scale_, &QComboBox::currentIndexChanged, this, &DistributionWindow::refresh);
  level_->setFocus();
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

void DistributionWindow::refresh() {
  const std::array<std::string, 4> texts = formTexts_();
  const std::string level = level_->text().toStdString();
  const std::string target = target_->text().toStdString();
  DistributionView view = ViewOf({{texts[0], texts[1], texts[2], texts[3]}, level, target});
  QString figures;
  for (const Figure& figure : view.figures) {
    figures += QStringOf(figure.label) + QStringLiteral(": ") + QStringOf(figure.text) + QLatin1Char('\n');
  }
  figures_->setText(figures.trimmed());
  chart_->setView(std::move(view), scale_->currentIndex() == 1);
}

}  // namespace cotalia
