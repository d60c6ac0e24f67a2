// SPDX-License-Identifier: GPL-3.0-or-later
// How long the worked example's distribution chart takes to be written as
// SVG: the writing alone, from a drawing made once, and with the view and
// the drawing made each time, as a "save as SVG" does.
// Reproduce: cmake --preset release && cmake --build --preset release --target chart_svg_bench &&
//   build/release/bench/chart_svg_bench
#include <benchmark/benchmark.h>

#include <string>

#include "window/charts/chart_svg.h"
#include "window/distribution/distribution_view.h"

namespace {

using namespace cotalia;

constexpr DistributionTexts kWorked{"100", "10", "20", "12"};

void BM_SvgOfWorkedChart(benchmark::State& state) {
  const DistributionView view = ViewOf({kWorked, "95", "130"});
  const ChartArea area = SvgArea(640, 400);
  const ChartDrawing drawing = DrawChart(view, area, SvgTextWidth(kSvgFontPixels), false);
  for (auto _ : state) {
    std::string svg = SvgOf(drawing, area, view.description);
    benchmark::DoNotOptimize(svg);
  }
}

void BM_ViewDrawingAndSvgOfWorkedChart(benchmark::State& state) {
  const ChartArea area = SvgArea(640, 400);
  for (auto _ : state) {
    const DistributionView view = ViewOf({kWorked, "95", "130"});
    std::string svg =
        SvgOf(DrawChart(view, area, SvgTextWidth(kSvgFontPixels), false), area, view.description);
    benchmark::DoNotOptimize(svg);
  }
}

}  // namespace

BENCHMARK(BM_SvgOfWorkedChart)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ViewDrawingAndSvgOfWorkedChart)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
