// SPDX-License-Identifier: GPL-3.0-or-later
// How long a chart takes to leave the distribution window: written as SVG,
// and painted and encoded as PNG at the window's size and at twice it, as
// "Guardar gráfico como…" does before it writes the file; medians of many
// runs, on the release build, offscreen.
// Reproduce: cmake --preset release && cmake --build --preset release &&
//   QT_QPA_PLATFORM=offscreen build/release/bench/chart_export_bench
#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "window/qt/described_window.h"
#include "window/qt/distribution_window.h"
#include "window/qt/exports.h"

namespace {

double MedianMilliseconds(int runs, const std::function<std::size_t()>& work) {
  std::vector<double> times;
  volatile std::size_t bytes = 0;  // keeps the work from being optimised away
  for (int run = 0; run < runs; ++run) {
    QElapsedTimer timer;
    timer.start();
    bytes = bytes + work();
    times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

std::size_t PngBytes(const cotalia::ChartWidget& chart, int scale) {
  return static_cast<std::size_t>(cotalia::PngOf(cotalia::ChartImage(chart, scale)).size());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  cotalia::InMemoryFields form;
  form.SetFieldText(cotalia::Field::Text1, "100");
  form.SetFieldText(cotalia::Field::Text2, "10");
  form.SetFieldText(cotalia::Field::Text3, "20");
  form.SetFieldText(cotalia::Field::Text4, "12");
  cotalia::DistributionWindow window(form, nullptr);
  window.show();
  window.findChild<QLineEdit*>(QStringLiteral("target"))->setText(QStringLiteral("130"));
  const auto& chart = *window.findChild<cotalia::ChartWidget*>(QStringLiteral("chart"));
  constexpr int kRuns = 31;
  const double svg = MedianMilliseconds(kRuns, [&chart] { return cotalia::ChartSvg(chart).size(); });
  const double png = MedianMilliseconds(kRuns, [&chart] { return PngBytes(chart, 1); });
  const double doublePng = MedianMilliseconds(kRuns, [&chart] { return PngBytes(chart, 2); });
  std::printf("chart %dx%d: SVG %.2f ms, PNG %.2f ms, PNG at twice %.2f ms (medians of %d)\n", chart.width(),
              chart.height(), svg, png, doublePng, kRuns);
  return 0;
}
