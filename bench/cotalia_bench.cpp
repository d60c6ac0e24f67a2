// SPDX-License-Identifier: GPL-3.0-or-later
// The model's speed beside the standard library's, on the same inputs.
// Reproduce: cmake --preset release && cmake --build --preset release &&
//   build/release/bench/cotalia_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "model/history/chi_square.h"
#include "model/history/estimation.h"
#include "model/history/price_history.h"
#include "model/numeric_runtime.h"
#include "model/runtime/elementary_functions.h"
#include "model/simulator_actions.h"

namespace {

using namespace cotalia;

constexpr std::size_t kInputs = 1024;

// The exponents the calculator meets: log prices, growth and band exponents.
const std::vector<double>& ExpInputs() {
  static const std::vector<double> inputs = [] {
    std::mt19937_64 random(1);
    std::uniform_real_distribution<double> exponent(-5, 12);
    std::vector<double> values(kInputs);
    for (double& value : values) value = exponent(random);
    return values;
  }();
  return inputs;
}

// Share prices from a cent to a million.
const std::vector<double>& LogInputs() {
  static const std::vector<double> inputs = [] {
    std::mt19937_64 random(2);
    std::uniform_real_distribution<double> magnitude(-2, 6);
    std::vector<double> values(kInputs);
    for (double& value : values) value = std::pow(10.0, magnitude(random));
    return values;
  }();
  return inputs;
}

template <double (*Function)(double)>
void RunOver(benchmark::State& state, const std::vector<double>& inputs) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Function(inputs[i]));
    i = (i + 1) % kInputs;
  }
}

double StdExp(double x) { return std::exp(x); }
double StdLog(double x) { return std::log(x); }

void BM_Exponential(benchmark::State& state) { RunOver<CorrectlyRoundedExp>(state, ExpInputs()); }
void BM_StdExp(benchmark::State& state) { RunOver<StdExp>(state, ExpInputs()); }
void BM_NaturalLog(benchmark::State& state) { RunOver<CorrectlyRoundedLog>(state, LogInputs()); }
void BM_StdLog(benchmark::State& state) { RunOver<StdLog>(state, LogInputs()); }
// The wide fixed-point paths alone, which only the rare undecided inputs take.
void BM_AccurateExp(benchmark::State& state) { RunOver<detail::AccurateExp>(state, ExpInputs()); }
void BM_AccurateLog(benchmark::State& state) { RunOver<detail::AccurateLog>(state, LogInputs()); }

// Texts as users type them and as the fields show results.
const std::vector<std::string>& Texts() {
  static const std::vector<std::string> texts = {"100",
                                                 "10",
                                                 "20",
                                                 "12",
                                                 "4.68517018598809",
                                                 "0.2",
                                                 "73.1981528228311",
                                                 "-2.5E1",
                                                 "0.05",
                                                 "1E+15",
                                                 "22.3263055970384",
                                                 "50"};
  return texts;
}

void BM_ValueOfText(benchmark::State& state) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ValueOfText(Texts()[i]));
    i = (i + 1) % Texts().size();
  }
}

void BM_NumberFromText(benchmark::State& state) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(NumberFromText(Texts()[i]));
    i = (i + 1) % Texts().size();
  }
}

void BM_StdFromChars(benchmark::State& state) {
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& text = Texts()[i];
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    benchmark::DoNotOptimize(value);
    i = (i + 1) % Texts().size();
  }
}

void BM_TextOfNumber(benchmark::State& state) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(TextOfNumber(ExpInputs()[i]));
    i = (i + 1) % kInputs;
  }
}

// The same 15 significant digits, without the field's spelling.
void BM_StdToChars(benchmark::State& state) {
  std::size_t i = 0;
  std::array<char, 40> buffer{};
  for (auto _ : state) {
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), ExpInputs()[i],
                                      std::chars_format::general, 15);
    benchmark::DoNotOptimize(std::string(buffer.data(), result.ptr));
    i = (i + 1) % kInputs;
  }
}

// The worked example, with the log mean and deviation already in place for
// the band.
InMemoryFields ExampleFields() {
  InMemoryFields fields;
  fields.SetFieldText(Field::Text1, "100");
  fields.SetFieldText(Field::Text2, "10");
  fields.SetFieldText(Field::Text3, "20");
  fields.SetFieldText(Field::Text4, "12");
  fields.SetFieldText(Field::Text9, "4.68517018598809");
  fields.SetFieldText(Field::Text10, "0.2");
  return fields;
}

template <void (*Action)(FieldAccess&)>
void RunAction(benchmark::State& state) {
  InMemoryFields fields = ExampleFields();
  for (auto _ : state) {
    Action(fields);
    benchmark::ClobberMemory();
  }
}

void BM_ComputeLogMean(benchmark::State& state) { RunAction<ComputeLogMean>(state); }
void BM_ComputeLogDeviation(benchmark::State& state) { RunAction<ComputeLogDeviation>(state); }
void BM_ComputeMinimumPrice(benchmark::State& state) { RunAction<ComputeMinimumPrice>(state); }
void BM_ComputeMaximumPrice(benchmark::State& state) { RunAction<ComputeMaximumPrice>(state); }
void BM_ComputeExpectedPrice(benchmark::State& state) { RunAction<ComputeExpectedPrice>(state); }
void BM_ComputePriceDeviation(benchmark::State& state) { RunAction<ComputePriceDeviation>(state); }

// A finance site's download of a million days, oldest first (about 60 MB):
// the reader's whole work on it, the table and then the default column.
const std::string& MillionRowHistory() {
  static const std::string text = [] {
    std::string bytes = "Date,Open,High,Low,Close,Adj Close,Volume\n";
    bytes.reserve(62'000'000);
    std::mt19937_64 random(3);
    std::uniform_int_distribution<int> cents(1'000'000, 9'999'999);
    std::array<char, 128> line{};
    for (Day day = -25567; day < -25567 + 1'000'000; ++day) {  // from 1900-01-01
      const double close = cents(random) / 10000.0;
      const int length = std::snprintf(line.data(), line.size(), "%s,%.4f,%.4f,%.4f,%.4f,%.4f,%d\n",
                                       IsoTextOfDay(day).c_str(), close * 0.999, close * 1.01, close * 0.99,
                                       close, close * 0.98, cents(random));
      bytes.append(line.data(), static_cast<std::size_t>(length));
    }
    return bytes;
  }();
  return text;
}

void BM_PriceHistoryMillionRows(benchmark::State& state) {
  const std::string& bytes = MillionRowHistory();
  for (auto _ : state) {
    auto table = TableOf(bytes);
    const auto& read = std::get<PriceTable>(table);
    auto history = HistoryOf(read, read.priceColumn);
    benchmark::DoNotOptimize(std::get<PriceHistory>(history).prices.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

// A million prices of a daily random walk: the estimate's whole pass, and the
// two chi-square quantiles at its degrees of freedom.
const std::vector<double>& MillionPrices() {
  static const std::vector<double> prices = [] {
    std::mt19937_64 random(3);
    std::normal_distribution<double> move(0.0003, 0.015);
    std::vector<double> values(1000000);
    values[0] = 100;
    for (std::size_t i = 1; i < values.size(); ++i) values[i] = values[i - 1] * std::exp(move(random));
    return values;
  }();
  return prices;
}

void BM_EstimateOfMillionPrices(benchmark::State& state) {
  const std::vector<double>& prices = MillionPrices();
  for (auto _ : state) benchmark::DoNotOptimize(EstimateOf(prices, 252));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(prices.size()));
}

void BM_ChiSquareQuantileMillion(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(ChiSquareQuantile(0.025, 999998));
    benchmark::DoNotOptimize(ChiSquareQuantile(0.975, 999998));
  }
}

}  // namespace

BENCHMARK(BM_Exponential);
BENCHMARK(BM_StdExp);
BENCHMARK(BM_NaturalLog);
BENCHMARK(BM_StdLog);
BENCHMARK(BM_AccurateExp);
BENCHMARK(BM_AccurateLog);
BENCHMARK(BM_ValueOfText);
BENCHMARK(BM_NumberFromText);
BENCHMARK(BM_StdFromChars);
BENCHMARK(BM_TextOfNumber);
BENCHMARK(BM_StdToChars);
BENCHMARK(BM_ComputeLogMean);
BENCHMARK(BM_ComputeLogDeviation);
BENCHMARK(BM_ComputeMinimumPrice);
BENCHMARK(BM_ComputeMaximumPrice);
BENCHMARK(BM_ComputeExpectedPrice);
BENCHMARK(BM_ComputePriceDeviation);
BENCHMARK(BM_EstimateOfMillionPrices)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChiSquareQuantileMillion)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PriceHistoryMillionRows)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
