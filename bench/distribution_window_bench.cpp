// SPDX-License-Identifier: GPL-3.0-or-later
// How long the distribution window takes to open (built, shown and painted
// once), to redraw after a change of its level (read again and painted),
// after a switch between the fan and the density, and after the pointer
// moved the reading, and how much of that the shared drawing takes: medians
// of many runs, on the release build, offscreen.
// Reproduce: cmake --preset release && cmake --build --preset release &&
//   QT_QPA_PLATFORM=offscreen build/release/bench/distribution_window_bench
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "model/simulator_actions.h"
#include "window/distribution/distribution_view.h"
#include "window/qt/distribution_window.h"

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  cotalia::InMemoryFields form;
  for (const auto& [field, text] :
       {std::pair{cotalia::Field::Text1, "100"}, std::pair{cotalia::Field::Text2, "10"},
        std::pair{cotalia::Field::Text3, "20"}, std::pair{cotalia::Field::Text4, "12"}}) {
    form.SetFieldText(field, text);
  }
  constexpr int kRuns = 51;
  std::vector<double> opening;
  std::vector<double> redrawing;
  std::vector<double> switching;
  std::vector<double> reading;
  std::vector<double> drawing;
  volatile std::size_t shapesDrawn = 0;  // keeps the drawing from being optimised away
  for (int run = 0; run < kRuns; ++run) {
    QElapsedTimer timer;
    timer.start();
    auto* window = new cotalia::DistributionWindow(form, nullptr);
    window->show();
    window->grab();
    opening.push_back(timer.nsecsElapsed() / 1e6);

    auto* level = window->findChild<QLineEdit*>(QStringLiteral("level"));
    timer.restart();
    level->setText(run % 2 == 0 ? QStringLiteral("99") : QStringLiteral("95"));
    window->grab();
    redrawing.push_back(timer.nsecsElapsed() / 1e6);

    // Between the fan and the density, and back on the next run.
    auto* kind = window->findChild<QRadioButton*>(run % 2 == 0 ? QStringLiteral("chartKind1")
                                                               : QStringLiteral("chartKind0"));
    timer.restart();
    kind->setChecked(true);
    window->grab();
    switching.push_back(timer.nsecsElapsed() / 1e6);

    // The reading under the pointer, somewhere else on every run.
    auto* chartWidget = window->findChild<QWidget*>(QStringLiteral("chart"));
    const QPointF at(chartWidget->width() * (0.2 + 0.6 * run / kRuns), chartWidget->height() / 2.0);
    QMouseEvent move(QEvent::MouseMove, at, chartWidget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    timer.restart();
    QApplication::sendEvent(chartWidget, &move);
    window->grab();
    reading.push_back(timer.nsecsElapsed() / 1e6);

    timer.restart();
    const cotalia::DistributionView view = cotalia::ViewOf({{"100", "10", "20", "12"}, "99", "130"});
    const cotalia::ChartDrawing chart = cotalia::DrawChart(
        view, {640, 400, 16}, [](std::string_view text) { return 9.6 * static_cast<double>(text.size()); },
        run % 2 == 0);
    drawing.push_back(timer.nsecsElapsed() / 1e6);
    shapesDrawn = shapesDrawn + chart.shapes.size();
    delete window;
  }
  std::printf(
      "open %.2f ms, redraw %.2f ms, chart switched %.2f ms, reading moved %.2f ms, shared view and drawing "
      "%.3f ms (medians of %d)\n",
      Median(opening), Median(redrawing), Median(switching), Median(reading), Median(drawing), kRuns);
  return 0;
}
