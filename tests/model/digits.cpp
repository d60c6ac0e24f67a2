// SPDX-License-Identifier: GPL-3.0-or-later
// Prints a digest of the model's results on fixed inputs: the exponential,
// the logarithm, the writer and the readers, the six calculations, the
// normal distribution function and its inverse, the estimate from price
// histories with the chi-square quantile, and the distribution window's
// answers (touch and range probabilities, percentiles, density and mode).
// The inputs come from the bits of a fixed std::mt19937_64 sequence, which
// is the same on every platform, so two platforms that print the same
// digests give the same result, bit for bit, on every one of these inputs.
//
// Usage: cotalia_digits [EXPECTED]. With a file of the digests as they were
// recorded, it also fails where any differs: a change that moves a last
// digit on every platform at once leaves the platforms agreeing.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "model/history/chi_square.h"
#include "model/history/estimation.h"
#include "model/lognormal/normal_distribution.h"
#include "model/lognormal/price_answers.h"
#include "model/lognormal/price_distribution.h"
#include "model/numeric_runtime.h"
#include "model/runtime/elementary_functions.h"
#include "model/simulator_actions.h"

namespace {

class Digest {
 public:
  void Add(std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
      state_ ^= (value >> (8 * i)) & 0xFF;
      state_ *= 0x100000001B3u;  // FNV-1a
    }
  }
  void Add(double value) { Add(std::bit_cast<std::uint64_t>(value)); }
  void Add(const std::string& text) {
    for (const char c : text) Add(static_cast<std::uint64_t>(static_cast<unsigned char>(c)));
    Add(std::uint64_t{0});
  }
  std::uint64_t value() const { return state_; }

 private:
  std::uint64_t state_ = 0xCBF29CE484222325u;
};

// A number in [low, high) from 53 random bits.
double Between(std::mt19937_64& random, double low, double high) {
  return low + (high - low) * std::ldexp(static_cast<double>(random() >> 11), -53);
}

}  // namespace

int main(int argc, char** argv) {
  constexpr int kSamples = 1000000;
  std::mt19937_64 random(20261209);

  Digest exponential;
  for (int i = 0; i < kSamples; ++i)
    exponential.Add(cotalia::CorrectlyRoundedExp(Between(random, -746, 710)));

  Digest logarithm;
  for (int i = 0; i < kSamples; ++i) {
    const double x = std::fabs(std::bit_cast<double>(random()));
    logarithm.Add(cotalia::CorrectlyRoundedLog(std::isfinite(x) ? x : 1.5));
  }

  Digest texts;
  for (int i = 0; i < kSamples / 10; ++i) {
    const double x = std::bit_cast<double>(random());
    if (!std::isfinite(x)) continue;
    const std::string text = cotalia::TextOfNumber(x);
    texts.Add(text);
    texts.Add(cotalia::ValueOfText(text));
  }

  Digest actions;
  for (int i = 0; i < kSamples / 100; ++i) {
    cotalia::InMemoryFields fields;
    fields.SetFieldText(cotalia::Field::Text1, cotalia::TextOfNumber(Between(random, 0.01, 1000)));
    fields.SetFieldText(cotalia::Field::Text2, cotalia::TextOfNumber(Between(random, -20, 40)));
    fields.SetFieldText(cotalia::Field::Text3, cotalia::TextOfNumber(Between(random, 1, 80)));
    fields.SetFieldText(cotalia::Field::Text4, cotalia::TextOfNumber(Between(random, 1, 120)));
    for (const auto action :
         {cotalia::ComputeLogMean, cotalia::ComputeLogDeviation, cotalia::ComputeMinimumPrice,
          cotalia::ComputeMaximumPrice, cotalia::ComputeExpectedPrice, cotalia::ComputePriceDeviation}) {
      action(fields);
    }
    for (const auto field : {cotalia::Field::Text5, cotalia::Field::Text6, cotalia::Field::Text7,
                             cotalia::Field::Text8, cotalia::Field::Text9, cotalia::Field::Text10}) {
      actions.Add(fields.GetFieldText(field));
    }
  }

  Digest normal;
  for (int i = 0; i < kSamples / 20; ++i) {
    normal.Add(cotalia::NormalCdf(Between(random, -38, 9)));
    // Two draws, in an order of their own: a function's arguments have none.
    const double mantissa = Between(random, 0.5, 1);
    const int exponent = -static_cast<int>(random() % 1000);
    normal.Add(cotalia::NormalQuantile(std::ldexp(mantissa, exponent)));
  }
  // Random walks of 3 to about 4100 prices, drawn with the model's own
  // functions so that every platform draws the same prices; every tenth ends
  // where it started. Then quantiles at any level and up to 10^5 degrees of
  // freedom, some of them fractional.
  Digest estimation;
  for (int i = 0; i < kSamples / 1000; ++i) {
    const int magnitude = static_cast<int>(random() % 12);
    const std::size_t count = 3 + static_cast<std::size_t>(random() % (std::uint64_t{4} << magnitude));
    const double drift = Between(random, -0.002, 0.002);
    const double deviation = Between(random, 0.001, 0.05);
    std::vector<double> prices(count);
    prices[0] = Between(random, 0.5, 2000);
    for (std::size_t j = 1; j < count; ++j) {
      // Near a standard normal draw, cheaply: three uniform draws on
      // (-1, 1), each of variance 1/3.
      double z = Between(random, -1, 1);
      z += Between(random, -1, 1);
      z += Between(random, -1, 1);
      prices[j] = prices[j - 1] * cotalia::CorrectlyRoundedExp(drift + deviation * z);
    }
    if (i % 10 == 0) prices.back() = prices.front();
    constexpr double kPeriods[] = {252, 52, 12, 365};
    const cotalia::Estimate estimate = cotalia::EstimateOf(prices, kPeriods[random() % 4]);
    for (const double x : cotalia::LogReturnsOf(prices)) estimation.Add(x);
    for (const double value :
         {estimate.meanReturn, estimate.deviation, estimate.volatility, estimate.volatilityInterval.low,
          estimate.volatilityInterval.high, estimate.rate, estimate.rateInterval.low,
          estimate.rateInterval.high, estimate.lastPrice, cotalia::PercentOf(estimate.rate)}) {
      estimation.Add(value);
    }
  }
  for (int i = 0; i < kSamples / 1000; ++i) {
    const double p = Between(random, 0, 1);
    const double k = i % 4 == 0 ? Between(random, 0.05, 30) : static_cast<double>(1 + random() % 100000);
    estimation.Add(cotalia::ChiSquareQuantile(p, k));
  }

  // Distributions from the form's texts, some without spread; targets and
  // ranges' ends from 40 deviations below the median to 40 above.
  Digest answers;
  for (int i = 0; i < kSamples / 200; ++i) {
    const std::string price = cotalia::TextOfNumber(Between(random, 0.01, 5000));
    const std::string rate = cotalia::TextOfNumber(Between(random, -40, 80));
    // A negative volatility is taken as typed: every seventh.
    const double volatility = i % 20 == 0 ? 0 : Between(random, 0.001, 150) * (i % 7 == 0 ? -1 : 1);
    const std::string months = cotalia::TextOfNumber(i % 50 == 0 ? 0 : Between(random, 0.1, 360));
    const std::string volatilityText = cotalia::TextOfNumber(volatility);
    const auto result = cotalia::DistributionOf({{price, rate, volatilityText, months}, "95", ""});
    const auto* d = std::get_if<cotalia::PriceDistribution>(&result);
    if (d == nullptr) continue;
    const cotalia::LogPrice& logPrice = d->horizon.logPrice;
    const auto priceAt = [&](double deviations) {
      return cotalia::CorrectlyRoundedExp(logPrice.mean + deviations * (logPrice.deviation + 0.01));
    };
    for (int j = 0; j < 4; ++j) answers.Add(cotalia::TouchProbability(*d, priceAt(Between(random, -40, 40))));
    for (int j = 0; j < 3; ++j) {
      const double a = Between(random, -40, 40);
      const double b = Between(random, -40, 40);
      answers.Add(cotalia::BetweenProbability(*d, priceAt(a < b ? a : b), priceAt(a < b ? b : a)));
    }
    for (const cotalia::Percentile& row : cotalia::PercentilesOf(*d)) answers.Add(row.price);
    for (int j = 0; j < 4; ++j) answers.Add(cotalia::DensityAt(*d, priceAt(Between(random, -40, 40))));
    answers.Add(cotalia::ModeOf(*d));
  }

  char digests[256];
  std::snprintf(
      digests, sizeof digests,
      "exponential %016llx\nlogarithm %016llx\ntexts %016llx\nactions %016llx\nnormal %016llx\n"
      "estimation %016llx\nanswers %016llx\n",
      static_cast<unsigned long long>(exponential.value()),
      static_cast<unsigned long long>(logarithm.value()), static_cast<unsigned long long>(texts.value()),
      static_cast<unsigned long long>(actions.value()), static_cast<unsigned long long>(normal.value()),
      static_cast<unsigned long long>(estimation.value()), static_cast<unsigned long long>(answers.value()));
  std::fputs(digests, stdout);
  if (argc < 2) return 0;
  std::ifstream file(argv[1], std::ios::binary);
  const std::string expected{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (!file.is_open() || expected.empty()) {
    std::fprintf(stderr, "cannot read the recorded digests from %s\n", argv[1]);
    return 2;
  }
  if (expected != digests) {
    std::fprintf(stderr, "the digests differ from those recorded in %s:\n%s", argv[1], expected.c_str());
    return 1;
  }
  return 0;
}
