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
    case DistributionInput::Lower:
      return "Precio mínimo";
    case DistributionInput::Upper:
      return "Precio máximo";
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
  return FiguresText(view.figures, lineEnd);
}

namespace {

constexpr double kStartDot = 4;  // pixels at 96 dots per inch

}  // namespace

ChartDrawing DrawChart(const DistributionView& view, const ChartArea& area, const TextWidth& textWidth,
                       bool logarithmic) {
  const double line = area.lineHeight;
  const Labeller labeller(textWidth, line);
  const auto* shown = std::get_if<DistributionChart>(&view.chart);
  if (shown == nullptr) return MessageOnly(std::get<std::string>(view.chart), area, labeller);
  const PriceDistribution& d = shown->distribution;
  const PricePath& path = shown->path;

  FrameTexts texts{"Meses",
                   "Precio",
                   {{"Banda", Ink::Band}, {"Mediana", Ink::Median}, {"Precio esperado", Ink::Expected}}};
  if (std::holds_alternative<double>(d.target)) texts.legend.push_back({"Objetivo", Ink::Target});

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
  const auto prices = [&](double plotHeight) {
    return PriceAxis(lowest, lowestPositive, highest, logarithmic, plotHeight, line);
  };
  // As many month ticks as fit four lines apart.
  const double horizon = d.inputs.months;
  const auto months = [&](double plotWidth) {
    return LinearAxis(0, horizon > 0 ? horizon : 1,
                      std::clamp(static_cast<int>(plotWidth / (4 * line)), 1, 6), false);
  };
  std::optional<PlotFrame> frame = FrameOf(area, labeller, texts, prices, months);
  if (!frame) return MessageOnly(std::string(kTooSmallForChart), area, labeller);

  const double thick = kCurvePen * area.scale;
  Shape band{Ink::Band, ShapeKind::Area, 0, {}};
  Shape median{Ink::Median, ShapeKind::Line, thick, {}};
  Shape expected{Ink::Expected, ShapeKind::Line, thick, {}};
  for (std::size_t i = 0; i < path.points.size(); ++i) {
    const double at = frame->X(path.months[i]);
    band.points.push_back({at, frame->Y(path.points[i].upper)});
    median.points.push_back({at, frame->Y(path.points[i].median)});
    expected.points.push_back({at, frame->Y(path.points[i].expected)});
  }
  for (std::size_t i = path.points.size(); i-- > 0;) {
    band.points.push_back({frame->X(path.months[i]), frame->Y(path.points[i].lower)});
  }
  std::vector<Shape>& shapes = frame->drawing.shapes;
  shapes.push_back(std::move(band));
  shapes.push_back(std::move(median));
  shapes.push_back(std::move(expected));
  const PlotBox& plot = frame->drawing.plot;
  if (const auto* target = std::get_if<double>(&d.target)) {
    shapes.push_back({Ink::Target,
                      ShapeKind::Line,
                      thick,
                      {{plot.left, frame->Y(*target)}, {plot.right, frame->Y(*target)}}});
  }
  shapes.push_back(
      {Ink::Start, ShapeKind::Dot, kStartDot * area.scale, {{frame->X(0), frame->Y(d.inputs.price)}}});
  return CloseFrame(std::move(*frame), area, labeller, texts);
}

}  // namespace cotalia
