// SPDX-License-Identifier: GPL-3.0-or-later
// The charts' axes: linear ones in round steps, logarithmic ones fitted to
// the values, and dates on years or months.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

#include "model/numeric_runtime.h"
#include "model/runtime/elementary_functions.h"
#include "window/charts/chart_drawing.h"

namespace cotalia {

namespace {

double Log10(double x) { return CorrectlyRoundedLog(x) / 2.302585092994046; }

// 10^exponent as the writer would show it: 1000, 0.001, 1E+20.
std::string PowerOfTenText(int exponent) { return LaidOutDecimal("1", exponent, -5, 15); }

// The nearest double to 10^exponent; infinity beyond the double range.
double PowerOfTen(int exponent) {
  if (exponent > 308) return std::numeric_limits<double>::infinity();
  std::string text = "1E";
  text += std::to_string(exponent);
  return ValueOfText(text);
}

// A step of 1, 2 or 5 times a power of ten, at least `rough`; 0 where rough
// is not a positive number.
double NiceStep(double rough) {
  if (!(rough > 0 && rough <= std::numeric_limits<double>::max())) return 0;
  const auto exponent = static_cast<int>(std::floor(Log10(rough)));
  double power = PowerOfTen(exponent);
  if (power > rough) power = PowerOfTen(exponent - 1);
  for (const double multiple : {1.0, 2.0, 5.0, 10.0}) {
    if (multiple * power >= rough) return multiple * power;
  }
  return 10 * power;
}

// "1990", or "1990-03" where the ticks fall on months.
std::string DateTickText(const CivilDate& date, bool months) {
  std::string text = std::to_string(date.year);
  if (months) {
    text += date.month < 10 ? "-0" : "-";
    text += std::to_string(date.month);
  }
  return text;
}

}  // namespace

double Axis::Fraction(double value) const {
  const double position = logarithmic ? (value > 0 ? Log10(value) : low) : value;
  return FractionOfPosition(position);
}

double Axis::FractionOfPosition(double position) const {
  if (!(high > low)) return 0.5;
  const double fraction = (position - low) / (high - low);
  if (!(fraction > 0)) return 0;
  return std::min(fraction, 1.0);
}

Axis LinearAxis(double low, double high, int ticks, bool widen) {
  if (!(high - low > high * 1e-12)) {
    // One value: room around it.
    const double value = high;
    low = value > 0 ? value * 0.9 : value - 1;
    high = value > 0 ? std::min(value * 1.1, std::numeric_limits<double>::max()) : value + 1;
  }
  const double step = NiceStep((high - low) / ticks);
  const double first = widen ? std::floor(low / step) : std::ceil(low / step);
  const double last = widen ? std::ceil(high / step) : std::floor(high / step);
  // Near the smallest subnormals there is no round step: no ticks.
  constexpr double kMostTicks = 20;
  if (!(step > 0) || !(last - first <= kMostTicks)) return Axis{low, high, false, {}};
  Axis axis{widen ? first * step : low,
            widen ? std::min(last * step, std::numeric_limits<double>::max()) : high,
            false,
            {}};
  const auto count = static_cast<int>(last - first);
  for (int i = 0; i <= count; ++i) {
    const double value = (first + i) * step;
    if (std::isfinite(value)) axis.ticks.push_back({value, TextOfNumber(value)});
  }
  return axis;
}

namespace {

// The decimal logarithm of a positive value, exact where the value is a
// power of ten: its decade's exponent plus the logarithm of what is left.
double PositionOf(double value) {
  auto exponent = static_cast<int>(std::floor(Log10(value)));
  if (PowerOfTen(exponent) > value) --exponent;
  if (PowerOfTen(exponent + 1) <= value) ++exponent;
  const double power = PowerOfTen(exponent);
  if (!(power > 0) || !std::isfinite(power)) return Log10(value);
  return exponent + Log10(value / power);
}

// The value of 1, 2 or 5 times a power of ten at or below x (above = false),
// or at or above it; 0 or infinity where there is none among the doubles.
double OneTwoFive(double x, bool above) {
  const auto exponent = static_cast<int>(std::floor(Log10(x)));
  // Log10 may round an exact power of ten to the decade below or above it:
  // the decades around it, upwards from below or downwards from above.
  constexpr std::array<double, 3> kMultiples{1, 2, 5};
  for (int step = 0; step < 3; ++step) {
    const double power = PowerOfTen(above ? exponent - 1 + step : exponent + 1 - step);
    for (std::size_t i = 0; i < kMultiples.size(); ++i) {
      const double value = power * kMultiples[above ? i : kMultiples.size() - 1 - i];
      if (above ? value >= x : value <= x) return value;
    }
  }
  return above ? std::numeric_limits<double>::infinity() : 0;
}

// The ticks at 1, 2 and 5 times the powers of ten from the one at or below
// `low` to the one at or above `high`, which are the axis's ends; none
// where either end leaves the doubles or more than `most` ticks it takes.
std::optional<Axis> OneTwoFiveAxis(double low, double high, int most) {
  const double first = OneTwoFive(low, false);
  const double last = OneTwoFive(high, true);
  if (!(first > 0) || !std::isfinite(last) || !(last > first)) return std::nullopt;
  Axis axis{PositionOf(first), PositionOf(last), true, {}};
  double value = first;
  while (value <= last) {
    if (static_cast<int>(axis.ticks.size()) == most) return std::nullopt;
    axis.ticks.push_back({PositionOf(value), TextOfNumber(value)});
    value = OneTwoFive(value * 1.5, true);  // the next of 1, 2 and 5
  }
  return axis;
}

// Round steps as on a linear axis, widened to the nearest ticks, laid out
// logarithmically: finer than 1, 2 and 5 where a decade is not crossed.
std::optional<Axis> RoundStepAxis(double low, double high, int most) {
  const Axis linear = LinearAxis(low, high, most, true);
  if (!(linear.low > 0) || linear.ticks.size() < 2) return std::nullopt;
  Axis axis{PositionOf(linear.low), PositionOf(linear.high), true, {}};
  for (const Tick& tick : linear.ticks) axis.ticks.push_back({PositionOf(tick.position), tick.text});
  return axis;
}

// How much of the axis the values fill; none where two ticks stand closer
// than `room` pixels.
std::optional<double> FillOf(const Axis& axis, double low, double high, double pixels, double room) {
  const double span = axis.high - axis.low;
  if (!(span > 0)) return std::nullopt;
  for (std::size_t i = 1; i < axis.ticks.size(); ++i) {
    if ((axis.ticks[i].position - axis.ticks[i - 1].position) / span * pixels < room) return std::nullopt;
  }
  return (Log10(high) - Log10(low)) / span;
}

// Whole decades, every one or every few, from the one below the lowest
// value to the one above the highest.
Axis DecadeAxis(double low, double high, int ticks, double pixels, double line) {
  auto lowExponent = static_cast<int>(std::floor(Log10(low)));
  auto highExponent = static_cast<int>(std::ceil(Log10(high)));
  if (highExponent <= lowExponent) highExponent = lowExponent + 1;
  const int decades = highExponent - lowExponent;
  const int intervals = std::max(ticks - 1, 1);
  const int stride = (decades + intervals - 1) / intervals;
  // The ticks at multiples of the stride, so that 1 is one of them.
  lowExponent = (lowExponent >= 0 ? lowExponent : lowExponent - stride + 1) / stride * stride;
  highExponent = (highExponent >= 0 ? highExponent + stride - 1 : highExponent) / stride * stride;
  Axis axis{static_cast<double>(lowExponent), static_cast<double>(highExponent), true, {}};
  // From 5 to 10 is the closest pair: log10 2 of a decade.
  const double decadePixels = pixels / (highExponent - lowExponent);
  const bool multiples = stride == 1 && decadePixels * 0.30103 >= 1.2 * line;
  for (int exponent = lowExponent; exponent <= highExponent; exponent += stride) {
    axis.ticks.push_back({static_cast<double>(exponent), PowerOfTenText(exponent)});
    const double power = PowerOfTen(exponent);
    if (multiples && exponent < highExponent && power > 0 && std::isfinite(power)) {
      // 2 and 5 times 1E+308 are beyond the doubles: no tick "inf".
      for (const double multiple : {2.0, 5.0}) {
        if (std::isfinite(multiple * power))
          axis.ticks.push_back({Log10(multiple * power), TextOfNumber(multiple * power)});
      }
    }
  }
  return axis;
}

}  // namespace

// Of the axes that fit their ticks, the one the values fill most: round
// steps, then 1, 2 and 5, then whole decades, which always fit.
Axis LogarithmicAxis(double low, double high, int ticks, double pixels, double line) {
  const double room = 1.2 * line;
  std::optional<Axis> best;
  double bestFill = 0;
  if (high > low) {
    for (std::optional<Axis> axis : {RoundStepAxis(low, high, ticks), OneTwoFiveAxis(low, high, ticks + 1)}) {
      if (!axis) continue;
      const std::optional<double> fill = FillOf(*axis, low, high, pixels, room);
      if (fill && *fill > bestFill) {
        bestFill = *fill;
        best = std::move(axis);
      }
    }
  }
  return best ? *best : DecadeAxis(low, high, ticks, pixels, line);
}

Axis PriceAxis(double lowest, double lowestPositive, double highest, bool logarithmic, double pixels,
               double line) {
  if (logarithmic) {
    return LogarithmicAxis(lowestPositive, highest,
                           std::clamp(static_cast<int>(pixels / (1.5 * line)) + 1, 2, 9), pixels, line);
  }
  return LinearAxis(lowest, highest, std::clamp(static_cast<int>(pixels / (2 * line)), 1, 5), true);
}

Axis DateAxis(Day first, Day last, int ticks) {
  Axis axis{static_cast<double>(first), static_cast<double>(last), false, {}};
  if (last <= first) {
    axis.low = first - 1.0;
    axis.high = first + 1.0;
  }
  const CivilDate start = CivilDateOf(first);
  const CivilDate end = CivilDateOf(last);
  const int months = (end.year - start.year) * 12 + (end.month - start.month);
  // Steps in months: a month, a quarter, half a year, then years by 1, 2, 5.
  constexpr int kSteps[] = {1, 3, 6, 12, 24, 60, 120, 240, 600, 1200, 2400, 6000, 12000};
  const int most = std::max(ticks, 1);
  int step = kSteps[std::size(kSteps) - 1];
  for (const int candidate : kSteps) {
    if (months / candidate + 1 <= most) {
      step = candidate;
      break;
    }
  }
  const bool inMonths = step < 12;
  // The first tick: the first of a month on the step's grid (January for
  // years, on a year that the step divides), on or after `first`.
  const int startIndex = start.year * 12 + (start.month - 1) + (start.day > 1 ? 1 : 0);
  const int stepYears = step / 12;
  int index = (startIndex + step - 1) / step * step;
  if (!inMonths) {
    const int year = (startIndex + 11) / 12;
    index = (year + stepYears - 1) / stepYears * stepYears * 12;
  }
  for (; index <= end.year * 12 + (end.month - 1); index += step) {
    const CivilDate date{index / 12, index % 12 + 1, 1};
    const Day day = DayOf(date);
    if (day < first || day > last) continue;
    axis.ticks.push_back({static_cast<double>(day), DateTickText(date, inMonths)});
  }
  if (axis.ticks.empty()) {
    axis.ticks.push_back({static_cast<double>(first), IsoTextOfDay(first)});
    if (last > first) axis.ticks.push_back({static_cast<double>(last), IsoTextOfDay(last)});
  }
  return axis;
}

}  // namespace cotalia
