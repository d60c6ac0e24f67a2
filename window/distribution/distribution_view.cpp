// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/distribution/distribution_view.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "model/lognormal/lognormal.h"
#include "model/lognormal/price_answers.h"
#include "model/numeric_runtime.h"
#include "window/distribution/distribution_description.h"
#include "window/distribution/distribution_layout.h"
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
      return "escriba un número no menor que el límite inferior";
    case InputProblem::Kind::ResultBeyondRange:
      return "escriba un número menor: con este Rendimiento, Volatilidad y Tiempo el resultado excede el "
             "rango de los números";
  }
  return "el resultado excede el rango de los números";
}

std::string MessageOf(const InputProblem& problem) {
  if (problem.kind == InputProblem::Kind::ResultBeyondRange && problem.input != DistributionInput::Price) {
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

}  // namespace cotalia
