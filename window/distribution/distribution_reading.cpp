// SPDX-License-Identifier: GPL-3.0-or-later
// The chart's reading: where the pointer or a key puts it, held to the
// chart, and what it says.
#include <algorithm>
#include <cmath>

#include "model/lognormal/lognormal.h"
#include "model/lognormal/price_answers.h"
#include "model/numeric_runtime.h"
#include "window/distribution/distribution_layout.h"
#include "window/distribution/distribution_view.h"

namespace cotalia {

namespace {

// The fan's reading at a month, from the model's own quantities at it.
ChartReading FanReading(const PriceDistribution& d, double month) {
  ChartReading reading{month, "Mes " + TextOfNumber(month) + ": "};
  try {
    reading.point = PricePointAfter(d.inputs, month, d.z, CheckFinite);
  } catch (const RunTimeError&) {
    reading.text += "el resultado excede el rango de los números";
    return reading;
  }
  const PricePoint& p = reading.point;
  reading.text += "banda " + TextOfNumber(p.lower) + " a " + TextOfNumber(p.upper) + ", mediana " +
                  TextOfNumber(p.median) + ", esperado " + TextOfNumber(p.expected);
  return reading;
}

// The density's reading at a price: the probability of ending below it.
ChartReading DensityReading(const PriceDistribution& d, double price) {
  ChartReading reading{price, "Precio " + TextOfNumber(price) + ": probabilidad de acabar por debajo "};
  reading.below = ProbabilitiesOf(d, price).below;
  reading.text += PercentText(reading.below);
  return reading;
}

// The month nearest a position on the months' axis: a whole month, or the
// horizon where it is the nearer; never beyond the horizon.
double MonthNear(double value, double horizon) {
  const double lastWhole = std::floor(horizon);
  if (value <= lastWhole) return std::max(std::round(value), 0.0);
  return value - lastWhole < horizon - value ? lastWhole : horizon;
}

// The hundredth of the axis nearest a fraction of it.
int StepNear(double fraction) {
  return static_cast<int>(std::round(std::clamp(fraction, 0.0, 1.0) * kDensitySteps));
}

double PriceAtStep(const Axis& axis, int step) {
  return PriceAtPosition(axis, Along(axis.low, axis.high, static_cast<double>(step) / kDensitySteps));
}

ChartReading ReadingAt(const Abscissa& x, const ChartOptions& options, double at) {
  return options.density ? DensityReading(*x.distribution, at) : FanReading(*x.distribution, at);
}

// A reading's position held to the chart: a month to [0, horizon], a price
// to the axis's ends.
double HeldToChart(const Abscissa& x, const ChartOptions& options, double at) {
  if (!options.density) return std::clamp(at, 0.0, x.distribution->inputs.months);
  return std::clamp(at, PriceAtPosition(x.axis, x.axis.low), PriceAtPosition(x.axis, x.axis.high));
}

}  // namespace

std::optional<ChartReading> ReadoutAt(const DistributionView& view, const ChartOptions& options,
                                      const ChartArea& area, const TextWidth& textWidth, double x) {
  const std::optional<Abscissa> abscissa = AbscissaOf(view, options, area, textWidth);
  if (!abscissa || !std::isfinite(x)) return std::nullopt;
  const double width = abscissa->right - abscissa->left;
  const double fraction = width > 0 ? std::clamp((x - abscissa->left) / width, 0.0, 1.0) : 0;
  if (options.density) return ReadingAt(*abscissa, options, PriceAtStep(abscissa->axis, StepNear(fraction)));
  const Axis& months = abscissa->axis;
  return ReadingAt(
      *abscissa, options,
      MonthNear(Along(months.low, months.high, fraction), abscissa->distribution->inputs.months));
}

std::optional<ChartReading> ReadoutAfterKey(const DistributionView& view, const ChartOptions& options,
                                            const ChartArea& area, const TextWidth& textWidth,
                                            ReadoutKey key) {
  const std::optional<Abscissa> abscissa = AbscissaOf(view, options, area, textWidth);
  if (!abscissa) return std::nullopt;
  const PriceDistribution& d = *abscissa->distribution;
  const double horizon = d.inputs.months;
  const Axis& axis = abscissa->axis;
  const std::optional<double> readout = ReadoutIn(options);
  if (options.density) {
    if (key == ReadoutKey::Home) return DensityReading(d, PriceAtStep(axis, 0));
    if (key == ReadoutKey::End) return DensityReading(d, PriceAtStep(axis, kDensitySteps));
    if (!readout) return DensityReading(d, d.horizon.median);
    const int step = StepNear(axis.Fraction(*readout)) + (key == ReadoutKey::Left ? -1 : 1);
    return DensityReading(d, PriceAtStep(axis, std::clamp(step, 0, kDensitySteps)));
  }
  if (key == ReadoutKey::Home) return FanReading(d, 0);
  if (key == ReadoutKey::End || !readout) return FanReading(d, horizon);
  const double month = std::clamp(*readout, 0.0, horizon);
  // From a month that is not whole (the horizon of 12.5) to the whole one beside it.
  const double next = key == ReadoutKey::Left ? std::ceil(month) - 1 : std::floor(month) + 1;
  return FanReading(d, std::clamp(next, 0.0, horizon));
}

std::optional<ChartReading> ReadoutOf(const DistributionView& view, const ChartOptions& options,
                                      const ChartArea& area, const TextWidth& textWidth) {
  const std::optional<double> readout = ReadoutIn(options);
  if (!readout) return std::nullopt;
  const std::optional<Abscissa> abscissa = AbscissaOf(view, options, area, textWidth);
  if (!abscissa) return std::nullopt;
  return ReadingAt(*abscissa, options, HeldToChart(*abscissa, options, *readout));
}

}  // namespace cotalia
