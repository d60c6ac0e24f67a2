// SPDX-License-Identifier: GPL-3.0-or-later
// The distribution window's work between an input and its paint, without a
// toolkit: a redraw (the view read from the texts, then the chart drawn) of
// the fan and of the density, and a move of the reading (the reading under
// the pointer, then the chart drawn again with its marker), for the worked
// example with a target of 130 and a range of 90 to 130 in an area of 800 by
// 450 pixels. The goal is under 5 ms each.
// Reproduce: cmake --build build/<yours> --target cotalia_bench &&
//   build/<yours>/bench/cotalia_bench --benchmark_filter=Distribution
#include <benchmark/benchmark.h>

#include <optional>
#include <string_view>

#include "window/distribution/distribution_view.h"

namespace {

using namespace cotalia;

const DistributionRequest kWorkedExample{{"100", "10", "20", "12"}, "95", "130", "90", "130"};
constexpr ChartArea kArea{800, 450, 16};

// An average face's measure: 0.6 of the line a byte.
double TextWidthOf(std::string_view text) {
  return 0.6 * kArea.lineHeight * static_cast<double>(text.size());
}

void Redraw(benchmark::State& state, bool density) {
  const TextWidth width = TextWidthOf;
  for (auto _ : state) {
    const DistributionView view = ViewOf(kWorkedExample);
    benchmark::DoNotOptimize(DrawChart(view, kArea, width, {false, density, std::nullopt}));
  }
}

// The pointer across the plot a pixel at a time, each move read and drawn.
void MoveReading(benchmark::State& state, bool density) {
  const TextWidth width = TextWidthOf;
  const DistributionView view = ViewOf(kWorkedExample);
  ChartOptions options{false, density, std::nullopt};
  double x = 0;
  for (auto _ : state) {
    x = x < kArea.width ? x + 1 : 0;
    const std::optional<ChartReading> reading = ReadoutAt(view, options, kArea, width, x);
    options.readout = reading->at;
    benchmark::DoNotOptimize(DrawChart(view, kArea, width, options));
  }
}

void BM_DistributionRedrawFan(benchmark::State& state) { Redraw(state, false); }
void BM_DistributionRedrawDensity(benchmark::State& state) { Redraw(state, true); }
void BM_DistributionReadingMoveFan(benchmark::State& state) { MoveReading(state, false); }
void BM_DistributionReadingMoveDensity(benchmark::State& state) { MoveReading(state, true); }

}  // namespace

BENCHMARK(BM_DistributionRedrawFan)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DistributionRedrawDensity)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DistributionReadingMoveFan)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DistributionReadingMoveDensity)->Unit(benchmark::kMicrosecond);
