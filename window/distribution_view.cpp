// SPDX-License-Identifier: GPL-3.0-or-later
#include "distribution_view.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "distribution_description.h"
#include "elementary_functions.h"
#include "numeric_runtime.h"
#include "wiring.h"

namespace cotalia {

namespace {

constexpr int kSamples = 64;  // points along the horizon: smooth at any window size

// The form's label for its four inputs, the window's for its two.
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
      return ControlOf(DistributionControl::Level).accessibleName;
    case DistributionInput::Target:
      return ControlOf(DistributionControl::Target).accessibleName;
  }
  return {};
}

// What is wrong with an input's text, to follow its name.
std::string ProblemText(InputProblem::Kind kind) {
  switch (kind) {
    case InputProblem::Kind::NotANumber:
      return "escriba un número";
    case InputProblem::Kind::BeyondRange:
      return "el número excede el rango de los números";
    case InputProblem::Kind::NotPositive:
      return "escriba un número mayor que cero";
    case InputProblem::Kind::Negative:
      return "escriba un número de meses no negativo";
    case InputProblem::Kind::OutsideLevels:
      return "escriba un número entre " + TextOfNumber(kLowestLevel) + " y " + TextOfNumber(kHighestLevel);
    case InputProblem::Kind::ResultBeyondRange:
      break;
  }
  return "el resultado excede el rango de los números";
}

std::string MessageOf(const InputProblem& problem) {
  if (problem.kind == InputProblem::Kind::ResultBeyondRange) {
    return "Rendimiento, Volatilidad y Tiempo dan un resultado que excede el rango de los números";
  }
  std::string message(NameOf(problem.input));
  message += ": ";
  message += ProblemText(problem.kind);
  return message;
}

// The chart in a sentence or two: the band and the median at the horizon,
// and the target's probabilities where there is one.
std::string DescriptionOf(const PriceDistribution& d,
                          const std::optional<TargetProbabilities>& probabilities) {
  const PricePoint& h = d.horizon;
  std::string text = "Banda del " + TextOfNumber(d.level) + " % de los precios a " +
                     TextOfNumber(d.inputs.months) + " meses: de " + TextOfNumber(h.lower) + " a " +
                     TextOfNumber(h.upper) + ", con mediana " + TextOfNumber(h.median) + ".";
  if (const auto* target = std::get_if<double>(&d.target)) {
    const std::string price = TextOfNumber(*target);
    text += " Probabilidad de acabar por encima de " + price + ": " + PercentText(probabilities->above) +
            "; por debajo: " + PercentText(probabilities->below) + ".";
  } else if (const auto* problem = std::get_if<InputProblem>(&d.target)) {
    text += ' ';
    text += MessageOf(*problem);
    text += '.';
  }
  return text;
}

}  // namespace

DistributionView ViewOf(const DistributionRequest& request) {
  const auto messageOnly = [](const InputProblem& problem) {
    std::string message = MessageOf(problem);
    return DistributionView{message, {}, message};
  };
  const std::variant<PriceDistribution, InputProblem> result = DistributionOf(request);
  if (const auto* problem = std::get_if<InputProblem>(&result)) return messageOnly(*problem);
  const PriceDistribution& d = std::get<PriceDistribution>(result);
  std::optional<PricePath> path = PathOf(d, kSamples);
  if (!path) return messageOnly({InputProblem::Kind::ResultBeyondRange, DistributionInput::Rate});
  const PricePoint& h = d.horizon;
  std::vector<Figure> figures = {
      {"z", TextOfNumber(d.z)},
      {"Precio Minimo", TextOfNumber(h.lower)},
      {"Precio Maximo", TextOfNumber(h.upper)},
      {"Mediana", TextOfNumber(h.median)},
      {"Precio Esperado", TextOfNumber(h.expected)},
      {"Variacion esperada", TextOfNumber(h.deviation)},
  };
  std::optional<TargetProbabilities> probabilities;
  if (const auto* problem = std::get_if<InputProblem>(&d.target)) {
    figures.push_back({std::string(NameOf(DistributionInput::Target)), ProblemText(problem->kind)});
  } else if (const auto* target = std::get_if<double>(&d.target)) {
    probabilities = ProbabilitiesOf(d, *target);
    const std::string price = TextOfNumber(*target);
    figures.push_back({"Por encima de " + price, PercentText(probabilities->above)});
    figures.push_back({"Por debajo de " + price, PercentText(probabilities->below)});
  }
  std::string description = DescriptionOf(d, probabilities);
  return {DistributionChart{d, std::move(*path)}, std::move(figures), std::move(description)};
}

std::string FiguresText(const DistributionView& view, std::string_view lineEnd) {
  std::string text;
  for (const Figure& figure : view.figures) {
    if (!text.empty()) text += lineEnd;
    text += figure.label;
    text += ": ";
    text += figure.text;
  }
  return text;
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

// Pens and dots in pixels at 96 dots per inch.
constexpr double kThinPen = 1;
constexpr double kCurvePen = 2;
constexpr double kStartDot = 4;

// In lines of text: the room that labels keep from what they label, and
// from each other.
constexpr double kEdgeRoom = 0.5;
constexpr double kLabelGap = 0.5;
constexpr double kLegendGap = 1.2;

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

struct Tick {
  double position;  // the value, or its decimal logarithm on a logarithmic axis
  std::string text;
};

struct Axis {
  double low;
  double high;
  bool logarithmic;
  std::vector<Tick> ticks;

  // Where a value lies, from 0 at low to 1 at high; values beyond, and a
  // price that underflowed to 0 on a logarithmic axis, at the ends.
  double Fraction(double value) const {
    const double position = logarithmic ? (value > 0 ? Log10(value) : low) : value;
    return FractionOfPosition(position);
  }

  // The same for a position on the axis. An axis too narrow for its doubles
  // puts everything at its middle.
  double FractionOfPosition(double position) const {
    if (!(high > low)) return 0.5;
    const double fraction = (position - low) / (high - low);
    if (!(fraction > 0)) return 0;
    return std::min(fraction, 1.0);
  }
};

// Round-number ticks over [low, high], at most about `ticks` of them; the
// axis widened to the nearest ticks, or kept to [low, high] with the ticks
// inside.
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

// Decades from the one below the lowest positive value to the one above the
// highest, ticked at every decade, or at every few where more than `ticks`
// would not fit, and at 2 and 5 where there is room for them. The ends are
// held as powers of ten.
Axis LogarithmicAxis(double low, double high, int ticks, double pixels, double line) {
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
      for (const double multiple : {2.0, 5.0}) {
        axis.ticks.push_back({Log10(multiple * power), TextOfNumber(multiple * power)});
      }
    }
  }
  return axis;
}

// The point a fraction of the way from one end to the other, never beyond
// either end: from + fraction (to - from) can round past `to`.
double Along(double from, double to, double fraction) {
  const double at = from + fraction * (to - from);
  return std::clamp(at, std::min(from, to), std::max(from, to));
}

enum class Align : std::uint8_t { Start, Middle, End };

// Places a label one line high by the point it is aligned to.
class Labeller {
 public:
  Labeller(const TextWidth& textWidth, double line) : textWidth_(textWidth), line_(line) {}

  Label Place(std::string text, Point at, Align horizontal, Align vertical, Ink ink = Ink::Text) const {
    const double width = textWidth_(text);
    const double left = horizontal == Align::Start    ? at.x
                        : horizontal == Align::Middle ? at.x - width / 2
                                                      : at.x - width;
    const double top = vertical == Align::Start    ? at.y
                       : vertical == Align::Middle ? at.y - line_ / 2
                                                   : at.y - line_;
    return {std::move(text), {left, top}, width, ink};
  }

  double WidthOf(std::string_view text) const { return textWidth_(text); }

 private:
  const TextWidth& textWidth_;
  double line_;
};

ChartDrawing MessageOnly(std::string text, const ChartArea& area, const Labeller& labeller) {
  ChartDrawing drawing;
  drawing.labels.push_back(
      labeller.Place(std::move(text), {area.width / 2, area.height / 2}, Align::Middle, Align::Middle));
  return drawing;
}

}  // namespace

ChartDrawing DrawChart(const DistributionView& view, const ChartArea& area, const TextWidth& textWidth,
                       bool logarithmic) {
  const double line = area.lineHeight;
  const Labeller labeller(textWidth, line);
  const auto* shown = std::get_if<DistributionChart>(&view.chart);
  if (shown == nullptr) return MessageOnly(std::get<std::string>(view.chart), area, labeller);
  const PriceDistribution& d = shown->distribution;
  const PricePath& path = shown->path;

  const std::vector<std::pair<std::string, Ink>> legend = [&d] {
    std::vector<std::pair<std::string, Ink>> entries = {
        {"Banda", Ink::Band}, {"Mediana", Ink::Median}, {"Precio esperado", Ink::Expected}};
    if (std::holds_alternative<double>(d.target)) entries.emplace_back("Objetivo", Ink::Target);
    return entries;
  }();
  double legendWidth = 0;
  for (const auto& entry : legend) legendWidth += labeller.WidthOf(entry.first) + kLegendGap * line;

  const double top = line * 2;
  const double bottom = area.height - line * 3;
  const double right = area.width - line * 1.5;
  double lowest = d.inputs.price;
  double highest = d.inputs.price;
  double lowestPositive = d.inputs.price;
  const auto include = [&](double value) {
    lowest = std::min(lowest, value);
    highest = std::max(highest, value);
    if (value > 0) lowestPositive = std::min(lowestPositive, value);
  };
  for (const PricePoint& point : path.points) {
    for (const double value : {point.lower, point.upper, point.median, point.expected}) include(value);
  }
  if (const auto* target = std::get_if<double>(&d.target)) include(*target);
  // As many ticks as fit, two lines apart on a linear axis, a line and a half
  // on a logarithmic one.
  const double plotHeight = bottom - top;
  const Axis prices =
      logarithmic
          ? LogarithmicAxis(lowestPositive, highest,
                            std::clamp(static_cast<int>(plotHeight / (1.5 * line)) + 1, 2, 9), plotHeight,
                            line)
          : LinearAxis(lowest, highest, std::clamp(static_cast<int>(plotHeight / (2 * line)), 1, 5), true);
  double widestPrice = 0;
  for (const Tick& tick : prices.ticks) widestPrice = std::max(widestPrice, labeller.WidthOf(tick.text));
  const double left = line * (kEdgeRoom + kLabelGap) + widestPrice;
  const double titleWidth = labeller.WidthOf("Precio");
  if (!(right - left >= 4 * line && bottom - top >= 4 * line &&
        area.width >= line * kEdgeRoom + titleWidth + kLegendGap * line + legendWidth + line * 1.5)) {
    return MessageOnly("Agrande la ventana para ver el gráfico", area, labeller);
  }
  // As many month ticks as fit four lines apart.
  const int monthTicks = std::clamp(static_cast<int>((right - left) / (4 * line)), 1, 6);
  const double horizon = d.inputs.months;
  const Axis months = LinearAxis(0, horizon > 0 ? horizon : 1, monthTicks, false);

  ChartDrawing drawing;
  drawing.plot = {left, top, right, bottom};
  const double thin = kThinPen * area.scale;
  const double thick = kCurvePen * area.scale;
  const auto x = [&](double value) { return Along(left, right, months.Fraction(value)); };
  const auto y = [&](double value) { return Along(bottom, top, prices.Fraction(value)); };
  for (const Tick& tick : prices.ticks) {
    const double at = Along(bottom, top, prices.FractionOfPosition(tick.position));
    drawing.shapes.push_back({Ink::Grid, ShapeKind::Line, thin, {{left, at}, {right, at}}});
    drawing.labels.push_back(
        labeller.Place(tick.text, {left - line * kLabelGap, at}, Align::End, Align::Middle));
  }
  for (const Tick& tick : months.ticks) {
    const double at = x(tick.position);
    drawing.shapes.push_back({Ink::Grid, ShapeKind::Line, thin, {{at, top}, {at, bottom}}});
    drawing.labels.push_back(
        labeller.Place(tick.text, {at, bottom + line * kLabelGap}, Align::Middle, Align::Start));
  }

  Shape band{Ink::Band, ShapeKind::Area, 0, {}};
  Shape median{Ink::Median, ShapeKind::Line, thick, {}};
  Shape expected{Ink::Expected, ShapeKind::Line, thick, {}};
  for (std::size_t i = 0; i < path.points.size(); ++i) {
    const double at = x(path.months[i]);
    band.points.push_back({at, y(path.points[i].upper)});
    median.points.push_back({at, y(path.points[i].median)});
    expected.points.push_back({at, y(path.points[i].expected)});
  }
  for (std::size_t i = path.points.size(); i-- > 0;) {
    band.points.push_back({x(path.months[i]), y(path.points[i].lower)});
  }
  drawing.shapes.push_back(std::move(band));
  drawing.shapes.push_back(std::move(median));
  drawing.shapes.push_back(std::move(expected));
  if (const auto* target = std::get_if<double>(&d.target)) {
    drawing.shapes.push_back(
        {Ink::Target, ShapeKind::Line, thick, {{left, y(*target)}, {right, y(*target)}}});
  }
  drawing.shapes.push_back({Ink::Start, ShapeKind::Dot, kStartDot * area.scale, {{x(0), y(d.inputs.price)}}});
  drawing.shapes.push_back(
      {Ink::Axis, ShapeKind::Line, thin, {{left, top}, {left, bottom}, {right, bottom}}});

  drawing.labels.push_back(
      labeller.Place("Meses", {(left + right) / 2, area.height - line * 0.3}, Align::Middle, Align::End));
  const double titleRow = top - line * 0.6;
  drawing.labels.push_back(labeller.Place("Precio", {line * kEdgeRoom, titleRow}, Align::Start, Align::End));
  // The legend, right-aligned above the plot, each entry in its own ink (the
  // band's, too light for text, in the median's).
  double end = right;
  for (auto entry = legend.rbegin(); entry != legend.rend(); ++entry) {
    const Ink ink = entry->second == Ink::Band ? Ink::Median : entry->second;
    drawing.labels.push_back(labeller.Place(entry->first, {end, titleRow}, Align::End, Align::End, ink));
    end -= labeller.WidthOf(entry->first) + kLegendGap * line;
  }
  return drawing;
}

}  // namespace cotalia
