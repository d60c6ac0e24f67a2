// SPDX-License-Identifier: GPL-3.0-or-later
#include "distribution_view.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "elementary_functions.h"
#include "numeric_runtime.h"
#include "wiring.h"

namespace cotalia {

namespace {

constexpr std::string_view kLevelName = "Nivel de confianza";
constexpr std::string_view kTargetName = "Precio objetivo";

// The form's own label for its four inputs, the window's for its two.
std::string_view NameOf(DistributionInput input) {
  switch (input) {
    case DistributionInput::Price:
      return AccessibleNameOf(kFieldBindings[IndexOf(Field::Text1)]);
    case DistributionInput::Rate:
      return AccessibleNameOf(kFieldBindings[IndexOf(Field::Text2)]);
    case DistributionInput::Volatility:
      return AccessibleNameOf(kFieldBindings[IndexOf(Field::Text3)]);
    case DistributionInput::Months:
      return AccessibleNameOf(kFieldBindings[IndexOf(Field::Text4)]);
    case DistributionInput::Level:
      return kLevelName;
    case DistributionInput::Target:
      return kTargetName;
  }
  return {};
}

std::string MessageOf(const InputProblem& problem) {
  const std::string name(NameOf(problem.input));
  switch (problem.kind) {
    case InputProblem::Kind::NotANumber:
      return name + ": escriba un número";
    case InputProblem::Kind::BeyondRange:
      return name + ": el número excede el rango de los números";
    case InputProblem::Kind::NotPositive:
      return name + ": escriba un número mayor que cero";
    case InputProblem::Kind::Negative:
      return name + ": escriba un número de meses no negativo";
    case InputProblem::Kind::OutsideLevels:
      return name + ": escriba un número entre 50 y 99.9999";
    case InputProblem::Kind::ResultBeyondRange:
      break;
  }
  return "Rendimiento, Volatilidad y Tiempo dan un resultado que excede el rango de los números";
}

}  // namespace

DistributionView ViewOf(const DistributionRequest& request) {
  DistributionView view;
  const std::variant<PriceDistribution, InputProblem> result = DistributionOf(request);
  if (const auto* problem = std::get_if<InputProblem>(&result)) {
    view.message = MessageOf(*problem);
    return view;
  }
  const PriceDistribution& d = std::get<PriceDistribution>(result);
  view.distribution = d;
  view.figures = {
      {"z", TextOfNumber(d.z)},
      {"Precio Minimo", TextOfNumber(*BandLower(d, d.z))},
      {"Precio Maximo", TextOfNumber(*BandUpper(d, d.z))},
      {"Mediana", TextOfNumber(CorrectlyRoundedExp(d.logMean))},
      {"Precio Esperado", TextOfNumber(d.expected)},
      {"Variacion esperada", TextOfNumber(d.deviation)},
  };
  if (d.targetProblem) {
    view.figures.push_back({std::string(kTargetName), MessageOf(*d.targetProblem)});
  } else if (d.target) {
    const TargetProbabilities probabilities = ProbabilitiesOf(d, *d.target);
    const std::string target = TextOfNumber(*d.target);
    view.figures.push_back({"Por encima de " + target, PercentText(probabilities.above)});
    view.figures.push_back({"Por debajo de " + target, PercentText(probabilities.below)});
  }
  return view;
}

std::string PercentText(double probability) {
  const double percent = probability * 100;
  if (percent == 0) return "0 %";
  // Four digits, all of them shown, plainly from 0.0001 % to 9999 %.
  std::string text = RoundedDecimalText(percent, 4, -4, 4, TrailingZeros::Kept);
  text += " %";
  return text;
}

Colour ColourOf(Ink ink) {
  switch (ink) {
    case Ink::Band:
      return {70, 130, 200, 90};
    case Ink::Median:
      return {25, 70, 140, 255};
    case Ink::Expected:
      return {200, 110, 20, 255};
    case Ink::Target:
      return {190, 30, 45, 255};
    case Ink::Start:
      return {0, 0, 0, 255};
    case Ink::Axis:
      return {60, 60, 60, 255};
    case Ink::Grid:
      return {215, 215, 215, 255};
    case Ink::Text:
      break;
  }
  return {30, 30, 30, 255};
}

namespace {

constexpr int kSamples = 64;  // points along the horizon: smooth at any window size

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

struct Axis {
  double low;
  double high;
  bool logarithmic;
  std::vector<std::pair<double, std::string>> ticks;  // value, label

  // Where a value lies, from 0 at low to 1 at high; values beyond, and a
  // price that underflowed to 0 on a logarithmic axis, at the ends.
  double Fraction(double value) const {
    const double position = logarithmic ? (value > 0 ? Log10(value) : low) : value;
    return FractionOfPosition(position);
  }

  // The same for a position on the axis: the value itself, or its decimal
  // logarithm on a logarithmic axis. An axis too narrow for its doubles puts
  // everything at its middle.
  double FractionOfPosition(double position) const {
    if (!(high > low)) return 0.5;
    const double fraction = (position - low) / (high - low);
    if (!(fraction > 0)) return 0;
    return std::min(fraction, 1.0);
  }
};

// Round-number ticks over [low, high], about `ticks` of them; the axis
// widened to the nearest ticks, or kept to [low, high] with the ticks inside.
Axis LinearAxis(double low, double high, double ticks, bool widen) {
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
    if (std::isfinite(value)) axis.ticks.emplace_back(value, TextOfNumber(value));
  }
  return axis;
}

// Decades from the one below the lowest positive value to the one above the
// highest, ticked at every decade, or at every few on a wide axis, and at 2
// and 5 on a narrow one. The ends are held as powers of ten.
Axis LogarithmicAxis(double low, double high) {
  auto lowExponent = static_cast<int>(std::floor(Log10(low)));
  auto highExponent = static_cast<int>(std::ceil(Log10(high)));
  if (highExponent <= lowExponent) highExponent = lowExponent + 1;
  const int decades = highExponent - lowExponent;
  const int stride = (decades + 7) / 8;
  // The ticks at multiples of the stride, so that 1 is one of them.
  lowExponent = (lowExponent >= 0 ? lowExponent : lowExponent - stride + 1) / stride * stride;
  highExponent = (highExponent >= 0 ? highExponent + stride - 1 : highExponent) / stride * stride;
  Axis axis{static_cast<double>(lowExponent), static_cast<double>(highExponent), true, {}};
  for (int exponent = lowExponent; exponent <= highExponent; exponent += stride) {
    axis.ticks.emplace_back(exponent, PowerOfTenText(exponent));
    const double power = PowerOfTen(exponent);
    if (decades <= 2 && exponent < highExponent && power > 0 && std::isfinite(power)) {
      for (const double multiple : {2.0, 5.0}) {
        axis.ticks.emplace_back(Log10(multiple * power), TextOfNumber(multiple * power));
      }
    }
  }
  return axis;
}

// The curves over the horizon, or none where a point leaves the double range.
struct Curves {
  std::vector<double> months;
  std::vector<double> lower;
  std::vector<double> upper;
  std::vector<double> median;
  std::vector<double> expected;
};

std::optional<Curves> CurvesOf(const PriceDistribution& d) {
  Curves curves;
  const int samples = d.months > 0 ? kSamples : 0;
  for (int i = 0; i <= samples; ++i) {
    const double months = samples == 0 ? 0 : d.months * (static_cast<double>(i) / samples);
    const double logMean = LogMeanAt(d, months);
    const double halfWidth = d.z * LogDeviationAt(d, months);
    curves.months.push_back(months);
    curves.lower.push_back(CorrectlyRoundedExp(logMean - halfWidth));
    curves.upper.push_back(CorrectlyRoundedExp(logMean + halfWidth));
    curves.median.push_back(CorrectlyRoundedExp(logMean));
    curves.expected.push_back(d.price * CorrectlyRoundedExp((d.ratePercent / 100) * (months / 12)));
    for (const double value : {curves.lower.back(), curves.upper.back(), curves.expected.back()}) {
      if (!std::isfinite(value)) return std::nullopt;
    }
  }
  return curves;
}

}  // namespace

ChartDrawing DrawChart(const DistributionView& view, const ChartArea& area, bool logarithmic) {
  ChartDrawing drawing;
  const auto messageOnly = [&drawing, &area](std::string text) {
    drawing.labels.push_back(
        {std::move(text), {area.width / 2, area.height / 2}, Align::Middle, Align::Middle});
    return drawing;
  };
  if (!view.distribution) return messageOnly(view.message);
  const PriceDistribution& d = *view.distribution;
  const std::optional<Curves> curves = CurvesOf(d);
  if (!curves)
    return messageOnly(MessageOf({InputProblem::Kind::ResultBeyondRange, DistributionInput::Rate}));

  const double line = area.lineHeight;
  const double left = line * 7;
  const double right = area.width - line * 1.5;
  const double top = line * 2;
  const double bottom = area.height - line * 3;
  if (!(right - left >= 4 * line && bottom - top >= 4 * line)) {
    return messageOnly("Agrande la ventana para ver el gráfico");
  }

  double lowest = d.price;
  double highest = d.price;
  double lowestPositive = d.price;
  const auto include = [&](double value) {
    lowest = std::min(lowest, value);
    highest = std::max(highest, value);
    if (value > 0) lowestPositive = std::min(lowestPositive, value);
  };
  for (const std::vector<double>* values :
       {&curves->lower, &curves->upper, &curves->median, &curves->expected}) {
    for (const double value : *values) include(value);
  }
  if (d.target) include(*d.target);
  const Axis prices =
      logarithmic ? LogarithmicAxis(lowestPositive, highest) : LinearAxis(lowest, highest, 5, true);
  const Axis months = LinearAxis(0, d.months > 0 ? d.months : 1, 6, false);

  const auto x = [&](double value) { return left + months.Fraction(value) * (right - left); };
  const auto y = [&](double value) { return bottom - prices.Fraction(value) * (bottom - top); };
  for (const auto& [position, text] : prices.ticks) {
    const double at = bottom - prices.FractionOfPosition(position) * (bottom - top);
    drawing.shapes.push_back({Ink::Grid, false, {{left, at}, {right, at}}});
    drawing.labels.push_back({text, {left - line * 0.4, at}, Align::End, Align::Middle});
  }
  for (const auto& [value, text] : months.ticks) {
    drawing.shapes.push_back({Ink::Grid, false, {{x(value), top}, {x(value), bottom}}});
    drawing.labels.push_back({text, {x(value), bottom + line * 0.3}, Align::Middle, Align::Start});
  }

  Shape band{Ink::Band, true, {}};
  Shape median{Ink::Median, false, {}};
  Shape expected{Ink::Expected, false, {}};
  for (std::size_t i = 0; i < curves->months.size(); ++i) {
    band.points.push_back({x(curves->months[i]), y(curves->upper[i])});
    median.points.push_back({x(curves->months[i]), y(curves->median[i])});
    expected.points.push_back({x(curves->months[i]), y(curves->expected[i])});
  }
  for (std::size_t i = curves->months.size(); i-- > 0;) {
    band.points.push_back({x(curves->months[i]), y(curves->lower[i])});
  }
  drawing.shapes.push_back(std::move(band));
  drawing.shapes.push_back(std::move(median));
  drawing.shapes.push_back(std::move(expected));
  if (d.target) drawing.shapes.push_back({Ink::Target, false, {{left, y(*d.target)}, {right, y(*d.target)}}});
  drawing.shapes.push_back({Ink::Start, false, {{x(0), y(d.price)}}});
  drawing.shapes.push_back({Ink::Axis, false, {{left, top}, {left, bottom}, {right, bottom}}});

  drawing.labels.push_back(
      {"Meses", {(left + right) / 2, area.height - line * 0.3}, Align::Middle, Align::End});
  drawing.labels.push_back({"Precio", {line * 0.5, top - line * 0.6}, Align::Start, Align::End});
  // The legend, right-aligned above the chart, each entry in its own ink; a
  // character is taken as 0.6 lines wide.
  std::vector<std::pair<std::string, Ink>> legend = {
      {"Banda", Ink::Band}, {"Mediana", Ink::Median}, {"Precio esperado", Ink::Expected}};
  if (d.target) legend.emplace_back("Objetivo", Ink::Target);
  double end = right;
  for (auto entry = legend.rbegin(); entry != legend.rend(); ++entry) {
    drawing.labels.push_back({entry->first,
                              {end, top - line * 0.6},
                              Align::End,
                              Align::End,
                              entry->second == Ink::Band ? Ink::Median : entry->second});
    end -= (static_cast<double>(entry->first.size()) + 2) * 0.6 * line;
  }
  return drawing;
}

}  // namespace cotalia
