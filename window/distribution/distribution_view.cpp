// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/distribution/distribution_view.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "model/lognormal/lognormal.h"
#include "model/lognormal/price_answers.h"
#include "model/numeric_runtime.h"
#include "model/runtime/elementary_functions.h"
#include "window/distribution/distribution_description.h"
#include "window/form/wiring.h"

namespace cotalia {

namespace {

constexpr int kSamples = 64;  // points along the horizon: smooth at any window size

// The form's label for its four inputs, the window's for its own.
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
    case DistributionInput::Lower:
      return ControlOf(DistributionControl::Lower).accessibleName;
    case DistributionInput::Upper:
      return ControlOf(DistributionControl::Upper).accessibleName;
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
    case InputProblem::Kind::BelowLower:
      return "escriba un número no menor que el precio mínimo";
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

// "Entre 90 y 130", or the one end there is.
std::string RangeLabel(const PriceRange& range) {
  if (range.lower() && range.upper()) {
    return "Entre " + TextOfNumber(*range.lower()) + " y " + TextOfNumber(*range.upper());
  }
  if (range.lower()) return "Por encima de " + TextOfNumber(*range.lower());
  return "Por debajo de " + TextOfNumber(*range.upper());
}

// The answers about the target and the range, as the figures and the
// description both write them.
struct TargetAnswers {
  double price;
  TargetProbabilities ending;
  double touch;
};

struct RangeAnswer {
  std::string label;
  double probability;
};

// The chart in a sentence or two: the band and the median at the horizon,
// the target's probabilities and the range's where there are, and any
// problem with either.
std::string DescriptionOf(const PriceDistribution& d, const std::optional<TargetAnswers>& target,
                          const std::optional<RangeAnswer>& range) {
  const PricePoint& h = d.horizon;
  std::string text = "Banda del " + TextOfNumber(d.level) + " % de los precios a " +
                     TextOfNumber(d.inputs.months) + " meses: de " + TextOfNumber(h.lower) + " a " +
                     TextOfNumber(h.upper) + ", con mediana " + TextOfNumber(h.median) + ".";
  if (target) {
    text += " Probabilidad de acabar por encima de " + TextOfNumber(target->price) + ": " +
            PercentText(target->ending.above) + "; por debajo: " + PercentText(target->ending.below) +
            "; de tocarlo antes del horizonte: " + PercentText(target->touch) + ".";
  }
  for (const InputProblem* problem :
       {std::get_if<InputProblem>(&d.target), std::get_if<InputProblem>(&d.range)}) {
    if (problem == nullptr) continue;
    text += ' ';
    text += MessageOf(*problem);
    text += '.';
  }
  if (range) {
    std::string label = range->label;
    label[0] = static_cast<char>(label[0] - 'A' + 'a');  // "Entre" and "Por" begin with ASCII capitals
    text += " Probabilidad de acabar " + label + ": " + PercentText(range->probability) + ".";
  }
  return text;
}

}  // namespace

DistributionView ViewOf(const DistributionRequest& request) {
  const auto messageOnly = [](const InputProblem& problem) {
    std::string message = MessageOf(problem);
    return DistributionView{message, {}, {}, {}, message};
  };
  const std::variant<PriceDistribution, InputProblem> result = DistributionOf(request);
  if (const auto* problem = std::get_if<InputProblem>(&result)) return messageOnly(*problem);
  const PriceDistribution& d = std::get<PriceDistribution>(result);
  std::optional<PricePath> path = PathOf(d, kSamples);
  if (!path) return messageOnly({InputProblem::Kind::ResultBeyondRange, DistributionInput::Rate});
  const PricePoint& h = d.horizon;
  DistributionView view{{},
                        {
                            {"z", TextOfNumber(d.z)},
                            {"Precio Minimo", TextOfNumber(h.lower)},
                            {"Precio Maximo", TextOfNumber(h.upper)},
                            {"Mediana", TextOfNumber(h.median)},
                            {"Precio Esperado", TextOfNumber(h.expected)},
                            {"Variacion esperada", TextOfNumber(h.deviation)},
                        },
                        {},
                        {},
                        {}};
  std::vector<Figure>& figures = view.figures;
  // A problem with the target or the range is a row that names its box, the
  // rest of the window still shown.
  const auto problemRow = [&figures](const InputProblem& problem) {
    figures.push_back({std::string(NameOf(problem.input)), ProblemText(problem.kind)});
  };

  std::optional<TargetAnswers> target;
  if (const auto* problem = std::get_if<InputProblem>(&d.target)) {
    problemRow(*problem);
  } else if (const auto* price = std::get_if<double>(&d.target)) {
    target = TargetAnswers{*price, ProbabilitiesOf(d, *price), TouchProbability(d, *price)};
    const std::string text = TextOfNumber(*price);
    figures.push_back({"Por encima de " + text, PercentText(target->ending.above)});
    figures.push_back({"Por debajo de " + text, PercentText(target->ending.below)});
    figures.push_back({"Toca " + text + " antes del horizonte", PercentText(target->touch)});
  }
  std::optional<RangeAnswer> range;
  if (const auto* problem = std::get_if<InputProblem>(&d.range)) {
    problemRow(*problem);
  } else if (const auto* ends = std::get_if<PriceRange>(&d.range)) {
    range = RangeAnswer{RangeLabel(*ends), BetweenProbability(d, *ends)};
    figures.push_back({range->label, PercentText(range->probability)});
  }

  view.copied = figures;
  for (const Percentile& percentile : PercentilesOf(d)) {
    Figure row{TextOfNumber(percentile.percent) + " %", TextOfNumber(percentile.price)};
    view.copied.push_back({"Percentil " + row.label, row.text});
    view.percentiles.push_back(std::move(row));
  }
  view.description = DescriptionOf(d, target, range);
  view.chart = DistributionChart{d, std::move(*path)};
  return view;
}

std::string FiguresText(const DistributionView& view, std::string_view lineEnd) {
  return FiguresText(view.figures, lineEnd);
}

std::string PercentilesText(const DistributionView& view, std::string_view lineEnd) {
  return FiguresText(view.percentiles, lineEnd);
}

namespace {

constexpr double kStartDot = 4;  // pixels at 96 dots per inch
constexpr double kModeDot = 4;
constexpr double kHatchStep = 6;    // pixels at 96 dots per inch between the target area's hatching lines
constexpr int kDensitySteps = 100;  // a density reading moves by a hundredth of the axis
constexpr double kLn10 = 2.302585092994046;

// Where the reading stands, if anywhere: a reading that is not a number
// stands nowhere.
std::optional<double> ReadoutIn(const ChartOptions& options) {
  if (options.readout && std::isfinite(*options.readout)) return options.readout;
  return std::nullopt;
}

// The fan's frame in the area: its months along, its prices up.
struct FanLayout {
  FrameTexts texts;
  std::optional<PlotFrame> frame;
};

FanLayout LayFan(const DistributionChart& chart, const ChartArea& area, const Labeller& labeller,
                 bool logarithmic) {
  const PriceDistribution& d = chart.distribution;
  FanLayout laid{{"Meses",
                  "Precio",
                  {{"Banda", Ink::Band}, {"Mediana", Ink::Median}, {"Precio esperado", Ink::Expected}}},
                 {}};
  if (std::holds_alternative<double>(d.target)) laid.texts.legend.push_back({"Objetivo", Ink::Target});

  const double line = area.lineHeight;
  double lowest = d.inputs.price;
  double highest = d.inputs.price;
  double lowestPositive = d.inputs.price;
  const auto include = [&](double value) {
    lowest = std::min(lowest, value);
    highest = std::max(highest, value);
    if (value > 0) lowestPositive = std::min(lowestPositive, value);
  };
  for (const PricePoint& point : chart.path.points) {
    for (const double value : {point.lower, point.upper, point.median, point.expected}) include(value);
  }
  if (const auto* target = std::get_if<double>(&d.target)) include(*target);
  const auto prices = [&](double plotHeight) {
    return PriceAxis(lowest, lowestPositive, highest, logarithmic, plotHeight, line);
  };
  // As many month ticks as fit four lines apart.
  const double horizon = d.inputs.months;
  const auto months = [&](double plotWidth) {
    return LinearAxis(0, horizon > 0 ? horizon : 1,
                      std::clamp(static_cast<int>(plotWidth / (4 * line)), 1, 6), false);
  };
  laid.frame = FrameOf(area, labeller, laid.texts, prices, months);
  return laid;
}

// 10^position, a price on a logarithmic axis; the largest double beyond.
double PowerOfTenAt(double position) {
  return std::min(CorrectlyRoundedExp(position * kLn10), std::numeric_limits<double>::max());
}

// The price at a position along a price axis.
double PriceAtPosition(const Axis& axis, double position) {
  return axis.logarithmic ? PowerOfTenAt(position) : position;
}

// Where a tick's label stands along an axis `pixels` long: its left and
// right, from the axis's start.
struct Extent {
  double left;
  double right;
};

// Where a tick's label stands along an axis `pixels` long, from the axis's
// start: centred on its tick, or moved inwards where it would leave the
// area (the plot starts `start` pixels into it and has `end` pixels after it).
Extent LabelExtent(const Axis& axis, const Tick& tick, double pixels, double start, double end,
                   const Labeller& labeller) {
  const double width = labeller.WidthOf(tick.text);
  const double at = pixels * axis.FractionOfPosition(tick.position);
  const double left = std::max(std::min(at - width / 2, pixels + end - width), -start);
  return {left, left + width};
}

// The price axis along the density's plot: as many ticks as keep their
// labels half a line apart inside the area.
Axis PriceAxisAlong(double lowest, double lowestPositive, double highest, bool logarithmic, double pixels,
                    double start, double end, const Labeller& labeller) {
  const double line = labeller.line();
  Axis axis;
  double spacing = 2 * line;
  for (int attempt = 0; attempt < 12; ++attempt, spacing *= 1.5) {
    axis = PriceAxis(lowest, lowestPositive, highest, logarithmic, pixels, spacing);
    std::vector<Extent> extents;
    for (const Tick& tick : axis.ticks)
      extents.push_back(LabelExtent(axis, tick, pixels, start, end, labeller));
    std::sort(extents.begin(), extents.end(), [](Extent a, Extent b) { return a.left < b.left; });
    bool apart = true;
    for (std::size_t i = 1; i < extents.size(); ++i) {
      apart = apart && extents[i - 1].right + line / 2 <= extents[i].left;
    }
    if (apart) break;
  }
  return axis;
}

// The density's frame in the area: its prices along, its density up; or the
// message in its place.
struct DensityLayout {
  FrameTexts texts;
  std::optional<PlotFrame> frame;
  std::string message;  // where there is no frame
  double mode = 0;
};

std::string MonthsText(const PriceDistribution& d) { return TextOfNumber(d.inputs.months) + " meses"; }

DensityLayout LayDensity(const PriceDistribution& d, const ChartArea& area, const Labeller& labeller,
                         bool logarithmic) {
  DensityLayout laid{{"Precio al horizonte",
                      "Densidad",
                      {{"Banda", Ink::Band},
                       {"Mediana", Ink::Median},
                       {"Precio esperado", Ink::Expected},
                       {"Moda", Ink::Start}}},
                     {},
                     {},
                     ModeOf(d)};
  if (std::holds_alternative<double>(d.target)) laid.texts.legend.push_back({"Objetivo", Ink::Target});
  // A certain price has no density: all of it at one price.
  if (d.horizon.logPrice.deviation == 0) {
    laid.message = "Sin dispersión, el precio a " + MonthsText(d) + " es seguro: " + TextOfNumber(laid.mode);
    return laid;
  }
  // The density's highest value is at the mode.
  const double peak = DensityAt(d, laid.mode);
  if (!(peak > 0 && peak <= std::numeric_limits<double>::max())) {
    laid.message = "La densidad a " + MonthsText(d) + " excede el rango de los números";
    return laid;
  }

  // The prices the reader looks for: the band, the middle percentiles, the
  // median, the expected price, the mode and the target.
  const PricePoint& h = d.horizon;
  double lowest = h.median;
  double highest = h.median;
  double lowestPositive = h.median;
  const auto include = [&](double value) {
    if (!(value >= 0 && value <= std::numeric_limits<double>::max())) return;
    lowest = std::min(lowest, value);
    highest = std::max(highest, value);
    if (value > 0) lowestPositive = std::min(lowestPositive, value);
  };
  const std::array<Percentile, 9> percentiles = PercentilesOf(d);
  for (const double value :
       {h.lower, h.upper, h.expected, laid.mode, percentiles.front().price, percentiles.back().price}) {
    include(value);
  }
  if (const auto* target = std::get_if<double>(&d.target)) include(*target);

  const double line = area.lineHeight;
  const auto densities = [&](double plotHeight) {
    return LinearAxis(0, peak, std::clamp(static_cast<int>(plotHeight / (2 * line)), 1, 5), true);
  };
  const auto prices = [&](double plotWidth) {
    const double right = area.width - line * 1.5;  // the plot's right edge, as FrameOf has it
    return PriceAxisAlong(lowest, lowestPositive, highest, logarithmic, plotWidth, right - plotWidth,
                          area.width - right, labeller);
  };
  laid.frame = FrameOf(area, labeller, laid.texts, densities, prices);
  if (!laid.frame) {
    laid.message = kTooSmallForChart;
    return laid;
  }
  // A price's label at an end of the axis, wider than the room beyond the
  // plot, stands inside the area, as PriceAxisAlong has kept room for.
  for (Label& label : laid.frame->drawing.labels) {
    label.topLeft.x = std::max(std::min(label.topLeft.x, area.width - label.width), 0.0);
  }
  return laid;
}

// The x axis of the chart as laid out in the area, from the plot's left
// edge to its right.
struct Abscissa {
  const PriceDistribution* distribution;
  Axis axis;
  double left;
  double right;
};

std::optional<Abscissa> AbscissaOf(const DistributionView& view, const ChartOptions& options,
                                   const ChartArea& area, const TextWidth& textWidth) {
  const auto* shown = std::get_if<DistributionChart>(&view.chart);
  if (shown == nullptr) return std::nullopt;
  const Labeller labeller(textWidth, area.lineHeight);
  const auto of = [shown](const std::optional<PlotFrame>& frame) -> std::optional<Abscissa> {
    if (!frame) return std::nullopt;
    return Abscissa{&shown->distribution, frame->x, frame->drawing.plot.left, frame->drawing.plot.right};
  };
  if (options.density) return of(LayDensity(shown->distribution, area, labeller, options.logarithmic).frame);
  return of(LayFan(*shown, area, labeller, options.logarithmic).frame);
}

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

std::string ReadoutText(const DistributionView& view, const std::optional<ChartReading>& reading) {
  if (reading) return reading->text;
  if (std::holds_alternative<std::string>(view.chart)) return {};
  return std::string(kReadoutHint);
}

std::string DescriptionOf(const DistributionView& view, const ChartOptions& options,
                          const std::optional<ChartReading>& reading) {
  const std::string first = reading ? reading->text + ". " : std::string();
  const auto* shown = std::get_if<DistributionChart>(&view.chart);
  if (shown == nullptr || !options.density) return first + view.description;
  const PriceDistribution& d = shown->distribution;
  if (d.horizon.logPrice.deviation == 0) {
    return first + view.description + " Sin dispersión, el precio es seguro: no tiene densidad.";
  }
  return first + view.description + " Densidad del precio a " + MonthsText(d) + ", más alta en la moda, " +
         TextOfNumber(ModeOf(d)) + ".";
}

namespace {

// A thin line across the plot where the reading stands.
void MarkReading(const PlotFrame& frame, double x, const ChartArea& area, std::vector<Shape>& shapes) {
  const PlotBox& plot = frame.drawing.plot;
  shapes.push_back({Ink::Reading, ShapeKind::Line, kThinPen * area.scale, {{x, plot.top}, {x, plot.bottom}}});
}

ChartDrawing DrawFan(const DistributionChart& chart, const ChartArea& area, const Labeller& labeller,
                     const ChartOptions& options) {
  const PriceDistribution& d = chart.distribution;
  const PricePath& path = chart.path;
  FanLayout laid = LayFan(chart, area, labeller, options.logarithmic);
  if (!laid.frame) return MessageOnly(std::string(kTooSmallForChart), area, labeller);
  PlotFrame& frame = *laid.frame;

  const double thick = kCurvePen * area.scale;
  Shape band{Ink::Band, ShapeKind::Area, 0, {}};
  Shape median{Ink::Median, ShapeKind::Line, thick, {}};
  Shape expected{Ink::Expected, ShapeKind::Line, thick, {}};
  for (std::size_t i = 0; i < path.points.size(); ++i) {
    const double at = frame.X(path.months[i]);
    band.points.push_back({at, frame.Y(path.points[i].upper)});
    median.points.push_back({at, frame.Y(path.points[i].median)});
    expected.points.push_back({at, frame.Y(path.points[i].expected)});
  }
  for (std::size_t i = path.points.size(); i-- > 0;) {
    band.points.push_back({frame.X(path.months[i]), frame.Y(path.points[i].lower)});
  }
  std::vector<Shape>& shapes = frame.drawing.shapes;
  shapes.push_back(std::move(band));
  shapes.push_back(std::move(median));
  shapes.push_back(std::move(expected));
  const PlotBox& plot = frame.drawing.plot;
  if (const auto* target = std::get_if<double>(&d.target)) {
    shapes.push_back({Ink::Target,
                      ShapeKind::Line,
                      thick,
                      {{plot.left, frame.Y(*target)}, {plot.right, frame.Y(*target)}}});
  }
  shapes.push_back(
      {Ink::Start, ShapeKind::Dot, kStartDot * area.scale, {{frame.X(0), frame.Y(d.inputs.price)}}});
  if (const std::optional<double> readout = ReadoutIn(options)) {
    MarkReading(frame, frame.X(std::clamp(*readout, 0.0, d.inputs.months)), area, shapes);
  }
  return CloseFrame(std::move(frame), area, labeller, laid.texts);
}

// The price at a pixel's x on the plot.
double PriceAtX(const PlotFrame& frame, double x) {
  const PlotBox& plot = frame.drawing.plot;
  const double fraction = plot.right > plot.left ? (x - plot.left) / (plot.right - plot.left) : 0;
  return PriceAtPosition(frame.x, Along(frame.x.low, frame.x.high, fraction));
}

ChartDrawing DrawDensity(const PriceDistribution& d, const ChartArea& area, const Labeller& labeller,
                         const ChartOptions& options) {
  DensityLayout laid = LayDensity(d, area, labeller, options.logarithmic);
  if (!laid.frame) return MessageOnly(std::move(laid.message), area, labeller);
  PlotFrame& frame = *laid.frame;
  const PlotBox plot = frame.drawing.plot;
  const PricePoint& h = d.horizon;
  const double lowPrice = PriceAtPosition(frame.x, frame.x.low);
  const double highPrice = PriceAtPosition(frame.x, frame.x.high);

  // The curve at every other pixel's column, and at each price marked on it,
  // so that the band's edges and the marks stand on the curve exactly.
  const int columns = std::clamp(static_cast<int>((plot.right - plot.left) / (2 * area.scale)), 16, 2000);
  std::vector<double> prices;
  for (int i = 0; i <= columns; ++i) {
    prices.push_back(
        PriceAtPosition(frame.x, Along(frame.x.low, frame.x.high, static_cast<double>(i) / columns)));
  }
  const std::optional<double> target =
      std::holds_alternative<double>(d.target) ? std::optional(std::get<double>(d.target)) : std::nullopt;
  for (const std::optional<double> marked :
       {std::optional(h.lower), std::optional(h.upper), std::optional(h.median), std::optional(h.expected),
        std::optional(laid.mode), target}) {
    if (marked && *marked >= lowPrice && *marked <= highPrice) prices.push_back(*marked);
  }
  std::sort(prices.begin(), prices.end());
  prices.erase(std::unique(prices.begin(), prices.end()), prices.end());
  const std::vector<double> densities = DensitiesAt(d, prices);
  const auto on = [&frame](double price, double density) { return Point{frame.X(price), frame.Y(density)}; };

  const double thick = kCurvePen * area.scale;
  const double thin = kThinPen * area.scale;
  std::vector<Shape>& shapes = frame.drawing.shapes;
  // A negative volatility, which the form takes as typed, puts the band's
  // "lower" end above its upper one: the band lies between them either way.
  const double bandLow = std::min(h.lower, h.upper);
  const double bandHigh = std::max(h.lower, h.upper);
  Shape band{Ink::Band, ShapeKind::Area, 0, {{frame.X(bandLow), plot.bottom}}};
  Shape curve{Ink::Text, ShapeKind::Line, thick, {}};
  for (std::size_t i = 0; i < prices.size(); ++i) {
    curve.points.push_back(on(prices[i], densities[i]));
    if (prices[i] >= bandLow && prices[i] <= bandHigh) band.points.push_back(curve.points.back());
  }
  band.points.push_back({frame.X(bandHigh), plot.bottom});
  shapes.push_back(std::move(band));

  // The area beyond the target, hatched under the curve, on the side of the
  // smaller tail: above a target above the median, below one at or below it.
  std::optional<Label> probability;
  if (target) {
    const bool above = *target > h.median;
    const TargetProbabilities ending = ProbabilitiesOf(d, *target);
    const double from = frame.X(*target);
    const double step = kHatchStep * area.scale;
    std::vector<double> hatchPrices;
    for (double x = from + (above ? step : -step) / 2; x > plot.left && x < plot.right;
         x += above ? step : -step) {
      hatchPrices.push_back(PriceAtX(frame, x));
    }
    const std::vector<double> hatchDensities = DensitiesAt(d, hatchPrices);
    for (std::size_t i = 0; i < hatchPrices.size(); ++i) {
      const Point top = on(hatchPrices[i], hatchDensities[i]);
      if (plot.bottom - top.y >= 1)
        shapes.push_back({Ink::Target, ShapeKind::Line, thin, {{top.x, plot.bottom}, top}});
    }
    // Its probability beside the target's line, on its side, inside the plot.
    const double line = area.lineHeight;
    Label label = labeller.Place(PercentText(above ? ending.above : ending.below),
                                 {from + (above ? line / 2 : -line / 2), plot.top + line / 2},
                                 above ? Align::Start : Align::End, Align::Start, Ink::Target);
    label.topLeft.x = std::clamp(label.topLeft.x, plot.left + line / 4,
                                 std::max(plot.left + line / 4, plot.right - line / 4 - label.width));
    probability = std::move(label);
  }

  shapes.push_back(std::move(curve));
  // The median and the expected price as stems up to the curve, the mode as
  // a dot on its peak.
  for (const auto& [price, ink] : {std::pair{h.median, Ink::Median}, std::pair{h.expected, Ink::Expected}}) {
    shapes.push_back(
        {ink, ShapeKind::Line, thick, {{frame.X(price), plot.bottom}, on(price, DensityAt(d, price))}});
  }
  const Point peak = on(laid.mode, DensityAt(d, laid.mode));
  shapes.push_back({Ink::Start, ShapeKind::Line, thin, {{peak.x, plot.bottom}, peak}});
  shapes.push_back({Ink::Start, ShapeKind::Dot, kModeDot * area.scale, {peak}});
  if (target) {
    const double x = frame.X(*target);
    shapes.push_back({Ink::Target, ShapeKind::Line, thick, {{x, plot.top}, {x, plot.bottom}}});
  }
  if (const std::optional<double> readout = ReadoutIn(options)) {
    MarkReading(frame, frame.X(std::clamp(*readout, lowPrice, highPrice)), area, shapes);
  }
  ChartDrawing drawing = CloseFrame(std::move(frame), area, labeller, laid.texts);
  if (probability) drawing.labels.push_back(std::move(*probability));
  return drawing;
}

}  // namespace

ChartDrawing DrawChart(const DistributionView& view, const ChartArea& area, const TextWidth& textWidth,
                       const ChartOptions& options) {
  const Labeller labeller(textWidth, area.lineHeight);
  const auto* shown = std::get_if<DistributionChart>(&view.chart);
  if (shown == nullptr) return MessageOnly(std::get<std::string>(view.chart), area, labeller);
  if (options.density) return DrawDensity(shown->distribution, area, labeller, options);
  return DrawFan(*shown, area, labeller, options);
}

ChartDrawing DrawChart(const DistributionView& view, const ChartArea& area, const TextWidth& textWidth,
                       bool logarithmic) {
  return DrawChart(view, area, textWidth, ChartOptions{logarithmic, false, std::nullopt});
}

}  // namespace cotalia
