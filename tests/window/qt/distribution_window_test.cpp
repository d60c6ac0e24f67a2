// SPDX-License-Identifier: GPL-3.0-or-later
// The distribution window on Qt: built from its table, the shared
// scenario, its range and percentiles, and the reading of its chart.
#include "window/qt/distribution_window.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QtTest>
#include <cmath>
#include <optional>

#include "tests/window/qt/qt_test_support.h"
#include "tests/window/window_scenarios.h"
#include "window/form/window_description.h"

class DistributionWindowTest : public QtWindowTest {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(openForm()); }
  void cleanup() { closeForm(); }

  // Opens from Ver (Ctrl+D), named for screen readers, plays the shared
  // scenario (every edit of the form's price or the window's boxes redraws
  // it, a bad input gives a message in place of the chart), never writes a
  // field, is one window however often it is asked for, and closes with Esc.
  void distributionWindowPlaysItsScenario() {
    cotalia::DistributionWindow* distribution = openDistribution();
    QCOMPARE(distribution->windowTitle(), QStringLiteral("Distribución del precio"));
    const int barHeight = distribution->findChild<QMenuBar*>()->height();
    QCOMPARE(distribution->size(),
             QSize(cotalia::kDistributionWindow.width, cotalia::kDistributionWindow.height + barHeight));
    for (const cotalia::WindowControl& row : cotalia::kDistributionControls) {
      QWidget* widget = distribution->findChild<QWidget*>(QStringOf(row.name));
      QVERIFY2(widget != nullptr, row.name.data());
      // Placed in the client area below the menu bar.
      const QWidget* body = widget->parentWidget();
      QCOMPARE(body->geometry(),
               QRect(0, barHeight, distribution->width(), distribution->height() - barHeight));
      const cotalia::Rectangle place = cotalia::RectangleOf(row.place, body->width(), body->height());
      QCOMPARE(widget->geometry(), QRect(place.left, place.top, place.width, place.height));
      if (!row.accessibleName.empty()) QCOMPARE(AnnouncedNameOf(widget), QStringOf(row.accessibleName));
    }
    // Tab from the level through the target and the price axis's buttons to
    // the figures, as the focus chain that the Tab key follows has them.
    QStringList stops;
    QWidget* stop = distribution->findChild<QLineEdit*>(QStringLiteral("level"));
    do {
      if (stop->focusPolicy() & Qt::TabFocus) stops << stop->objectName();
      stop = stop->nextInFocusChain();
    } while (stop != distribution->findChild<QLineEdit*>(QStringLiteral("level")) && stops.size() < 20);
    // Every box, choice button, chart and text in the table's order.
    QStringList inOrder;
    for (const cotalia::WindowControl& row : cotalia::kDistributionControls) {
      if (row.role == cotalia::ControlRole::Choice) {
        for (std::size_t i = 0; i < row.choices.size(); ++i)
          inOrder << QStringOf(row.name) + QString::number(i);
      } else if (row.role != cotalia::ControlRole::Label && row.role != cotalia::ControlRole::Note) {
        inOrder << QStringOf(row.name);
      }
    }
    QCOMPARE(stops.mid(0, inOrder.size()), inOrder);
    QVERIFY(inOrder.size() >= 6);
    auto* figures = distribution->findChild<QPlainTextEdit*>(QStringLiteral("figures"));
    auto* chart = distribution->findChild<QWidget*>(QStringLiteral("chart"));
    for (const scenarios::DistributionStep& step : scenarios::kDistributionSteps) {
      const QString text = QStringOf(step.text);
      switch (step.box) {
        case scenarios::DistributionStep::Box::Price:
          type("Text1", text);
          break;
        case scenarios::DistributionStep::Box::Level:
          distribution->findChild<QLineEdit*>(QStringLiteral("level"))->setText(text);
          break;
        case scenarios::DistributionStep::Box::Target:
          distribution->findChild<QLineEdit*>(QStringLiteral("target"))->setText(text);
          break;
      }
      QCOMPARE(figures->toPlainText(), QStringOf(step.figures));
      QCOMPARE(chart->accessibleDescription(), QStringOf(step.description));
    }
    for (int i = 5; i <= 10; ++i) QCOMPARE(textOf(QStringLiteral("Text%1").arg(i)), QStringLiteral(" "));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(window_->findChildren<QWidget*>(QStringLiteral("distribution")).size(), 1);
    QTest::keyClick(distribution->findChild<QLineEdit*>(QStringLiteral("target")), Qt::Key_Escape);
    QVERIFY(!distribution->isVisible());
    // Archivo > Cerrar (Ctrl+W) closes it as Esc does.
    distribution->show();
    QAction* close = nullptr;
    for (QAction* action : distribution->findChildren<QAction*>()) {
      if (action->text() == QStringLiteral("&Cerrar")) close = action;
    }
    QVERIFY(close != nullptr);
    QCOMPARE(close->shortcut(), QKeySequence(QStringLiteral("Ctrl+W")));
    close->trigger();
    QVERIFY(!distribution->isVisible());
  }

  // The range's boxes give the figures their row; a bad one names its box
  // there and leaves the chart drawn; the percentiles' box has its nine rows.
  void distributionRangeAndPercentiles() {
    cotalia::DistributionWindow* distribution = openDistribution();
    auto* lower = distribution->findChild<QLineEdit*>(QStringLiteral("lower"));
    auto* upper = distribution->findChild<QLineEdit*>(QStringLiteral("upper"));
    auto* figures = distribution->findChild<QPlainTextEdit*>(QStringLiteral("figures"));
    auto* chart = distribution->findChild<cotalia::ChartWidget*>(QStringLiteral("chart"));
    const struct {
      const char* lower;
      const char* upper;
      const char* lastLine;
    } rows[] = {{"90", "130", "Entre 90 y 130: 64.21 %"},
                {"90", "", "Por encima de 90: 82.30 %"},
                {"", "130", "Por debajo de 130: 81.91 %"},
                {"-5", "130", "Límite inferior: escriba un número mayor que cero"},
                {"130", "90", "Límite superior: escriba un número no menor que el límite inferior"},
                {"", "", "Variacion esperada: 22.3263055970384"}};
    for (const auto& row : rows) {
      lower->setText(QString::fromUtf8(row.lower));
      upper->setText(QString::fromUtf8(row.upper));
      QCOMPARE(figures->toPlainText().split('\n').constLast(), QString::fromUtf8(row.lastLine));
      QVERIFY2(!chart->drawing().shapes.empty(), row.lastLine);
    }
    const QStringList percentiles =
        distribution->findChild<QPlainTextEdit*>(QStringLiteral("percentiles"))->toPlainText().split('\n');
    QCOMPARE(percentiles.size(), 9);
    QCOMPARE(percentiles.constFirst(), QStringLiteral("1 %: 68.0267228577013"));
    QCOMPARE(percentiles.at(4), QStringLiteral("50 %: 108.328706767496"));
    QCOMPARE(percentiles.constLast(), QStringLiteral("99 %: 172.507335602005"));
  }

  // The pointer over the chart and the arrow keys on it move the reading,
  // which the line under the chart shows (and tells screen readers) and a
  // thin line marks, as the view computes it: on the fan a month, at the
  // horizon the figures' own numbers; on the density a price. The pointer
  // leaving keeps it; another chart starts without one; Esc still closes.
  void distributionReadoutFollowsPointerAndKeys() {
    cotalia::DistributionWindow* distribution = openDistribution();
    auto* chart = distribution->findChild<cotalia::ChartWidget*>(QStringLiteral("chart"));
    // The pointer through the window system, as the platform moves it.
    const auto point = [distribution, chart](QPoint at) {
      QTest::mouseMove(distribution->windowHandle(), chart->mapTo(distribution, at));
    };
    auto* line = distribution->findChild<QLabel*>(QStringLiteral("readout"));
    QCOMPARE(line->text(), QStringOf(cotalia::kReadoutHint));
    const auto marker = [chart]() -> std::optional<double> {
      for (const cotalia::Shape& shape : chart->drawing().shapes) {
        if (shape.ink == cotalia::Ink::Reading && shape.points.size() == 2 &&
            shape.points[0].x == shape.points[1].x)
          return shape.points[0].x;
      }
      return std::nullopt;
    };
    QVERIFY(!marker());
    const auto expected = [&](bool density, double at) {
      return QStringOf(
          cotalia::ReadoutOf(distribution->view(), {false, density, at}, chart->area(), chart->textWidth())
              ->text);
    };
    const cotalia::PlotBox plot = chart->drawing().plot;
    const int middle = qRound((plot.top + plot.bottom) / 2);
    point(QPoint(qRound(plot.right), middle));
    const QString horizon = QStringLiteral(
        "Mes 12: banda 73.1981528228311 a 160.319738372657, mediana 108.328706767496, esperado "
        "110.517091807565");
    QCOMPARE(line->text(), horizon);
    QCOMPARE(line->accessibleDescription(), horizon);
    QCOMPARE(*marker(), plot.right);
    // Half-way along the year: month 6, marked there.
    point(QPoint(qRound((plot.left + plot.right) / 2), middle));
    QCOMPARE(line->text(), expected(false, 6));
    QVERIFY(line->text().startsWith(QStringLiteral("Mes 6: banda ")));
    QVERIFY(std::abs(*marker() - (plot.left + plot.right) / 2) < 1);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(chart, &leave);
    QCOMPARE(line->text(), expected(false, 6));

    // The chart is a Tab stop; the keys move a month at a time.
    chart->setFocus();
    QVERIFY(chart->hasFocus());
    const struct {
      Qt::Key key;
      double month;
    } keys[] = {{Qt::Key_Right, 7},  {Qt::Key_Right, 8}, {Qt::Key_Left, 7}, {Qt::Key_End, 12},
                {Qt::Key_Right, 12}, {Qt::Key_Home, 0},  {Qt::Key_Left, 0}, {Qt::Key_Right, 1}};
    for (const auto& k : keys) {
      QTest::keyClick(chart, k.key);
      QCOMPARE(line->text(), expected(false, k.month));
      // A screen reader on the chart hears the reading: its description
      // leads with it.
      QVERIFY(chart->accessibleDescription().startsWith(expected(false, k.month) + QStringLiteral(". ")));
    }
    QTest::keyClick(chart, Qt::Key_End);
    QCOMPARE(line->text(), horizon);
    // Another level redraws the reading where it stands.
    distribution->findChild<QLineEdit*>(QStringLiteral("level"))->setText(QStringLiteral("99"));
    QVERIFY(line->text().startsWith(QStringLiteral("Mes 12: banda 64.7157320203497 a 181.333168049895")));

    // The density: no reading until one is asked for, then prices.
    QTest::mouseClick(distribution->findChild<QRadioButton*>(QStringLiteral("chartKind1")), Qt::LeftButton);
    QCOMPARE(line->text(), QStringOf(cotalia::kReadoutHint));
    QVERIFY(!marker());
    chart->setFocus();
    QTest::keyClick(chart, Qt::Key_Right);
    QCOMPARE(line->text(),
             QStringLiteral("Precio 108.328706767496: probabilidad de acabar por debajo 50.00 %"));
    const cotalia::PlotBox densityPlot = chart->drawing().plot;
    const int x = qRound(densityPlot.left + 0.3 * (densityPlot.right - densityPlot.left));
    point(QPoint(x, middle));
    const std::optional<cotalia::ChartReading> reading = cotalia::ReadoutAt(
        distribution->view(), {false, true, std::nullopt}, chart->area(), chart->textWidth(), x);
    QCOMPARE(line->text(), QStringOf(reading->text));
    QVERIFY(std::abs(*marker() - x) <= 0.01 * (densityPlot.right - densityPlot.left));
    QTest::keyClick(chart, Qt::Key_Home);
    QCOMPARE(*marker(), densityPlot.left);

    QTest::keyClick(chart, Qt::Key_Escape);
    QVERIFY(!distribution->isVisible());
  }
};

int RunDistributionWindowTests(int argc, char** argv) {
  DistributionWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "distribution_window_test.moc"
