// SPDX-License-Identifier: GPL-3.0-or-later
// What a user types and presses, and what the calculator must answer, as data
// that every driver plays: the model's tests on fields in memory, and the Qt
// and Win32 window tests through their windows.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model/numeric_runtime.h"
#include "model/simulator_actions.h"

namespace cotalia::scenarios {

using Action = void (*)(FieldAccess&);

// The six calculations in the order of their buttons, and the field each
// writes.
struct Calculation {
  Action action;
  Field result;
};

inline constexpr std::array<Calculation, 6> kCalculations{{
    {ComputeLogMean, Field::Text9},
    {ComputeLogDeviation, Field::Text10},
    {ComputeMinimumPrice, Field::Text5},
    {ComputeMaximumPrice, Field::Text6},
    {ComputeExpectedPrice, Field::Text7},
    {ComputePriceDeviation, Field::Text8},
}};

// The four inputs typed (Text1 to Text4: the price, the return and the
// volatility in percent a year, the months), then the six buttons pressed
// left to right, the band reading what the first two wrote.
struct WorkedExample {
  std::string_view name;
  std::array<std::string_view, 4> inputs;
  std::array<std::string_view, 6> results;  // in the order of kCalculations
};

inline constexpr std::array<WorkedExample, 3> kWorkedExamples{{
    {"OneYear",
     {"100", "10", "20", "12"},
     {"4.68517018598809", "0.2", "73.1981528228311", "160.319738372657", "110.517091807565",
      "22.3263055970384"}},
    {"SixMonths",
     {"50", "8", "30", "6"},
     {"3.92952300542815", "0.212132034355964", "33.5737401446327", "77.1153068095984", "52.0405387096194",
      "11.1648315473038"}},
    {"UntidyTyping",
     {" 1 00 ", "  10 ", "2e1", "1 2"},
     {"4.68517018598809", "0.2", "73.1981528228311", "160.319738372657", "110.517091807565",
      "22.3263055970384"}},
}};

struct Typed {
  Field field;
  std::string_view text;
};

// A press that fails with `code`, after which the field the action would have
// written still holds its text.
struct Failure {
  std::string_view name;
  std::vector<Typed> typed;  // into a fresh window; the other fields keep their blank
  Action action;
  Field result;
  std::int32_t code;
};

inline const std::vector<Failure> kFailures = {
    {"FreshWindowMediaDn", {}, ComputeLogMean, Field::Text9, kTypeMismatch},
    {"ZeroPriceMediaDn",
     {{Field::Text1, "0"}, {Field::Text2, "10"}, {Field::Text3, "20"}, {Field::Text4, "12"}},
     ComputeLogMean,
     Field::Text9,
     kInvalidCall},
    {"NegativeHorizonVolDn",
     {{Field::Text3, "20"}, {Field::Text4, "-12"}},
     ComputeLogDeviation,
     Field::Text10,
     kInvalidCall},
    {"OverflowPrecioMaximo",
     {{Field::Text9, "1000"}, {Field::Text10, "0"}},
     ComputeMaximumPrice,
     Field::Text6,
     kOverflow},
};

// The distribution window over the first worked example: each step types
// one text into the form's price box or the window's own level or target
// box, and then the figures' box reads `figures` (lines ended by "\n") and
// the chart is described by `description`. No step writes a field of the
// form.
struct DistributionStep {
  enum class Box { Price, Level, Target };
  Box box;
  std::string_view text;
  std::string_view figures;
  std::string_view description;
};

inline constexpr std::array<std::string_view, 4> kDistributionInputs{"100", "10", "20", "12"};

inline constexpr std::string_view kFiguresAt95 =
    "z: 1.96\nPrecio Minimo: 73.1981528228311\nPrecio Maximo: 160.319738372657\nMediana: 108.328706767496\n"
    "Precio Esperado: 110.517091807565\nVariacion esperada: 22.3263055970384";
inline constexpr std::string_view kDescriptionAt95 =
    "Banda del 95 % de los precios a 12 meses: de 73.1981528228311 a 160.319738372657, con mediana "
    "108.328706767496.";

inline constexpr std::array<DistributionStep, 5> kDistributionSteps{{
    {DistributionStep::Box::Level, "95", kFiguresAt95, kDescriptionAt95},
    {DistributionStep::Box::Price, "0", "", "Valor Actual: escriba un número mayor que cero"},
    {DistributionStep::Box::Price, "100", kFiguresAt95, kDescriptionAt95},
    {DistributionStep::Box::Level, "99",
     "z: 2.5758293035489\nPrecio Minimo: 64.7157320203497\nPrecio Maximo: 181.333168049895\n"
     "Mediana: 108.328706767496\nPrecio Esperado: 110.517091807565\nVariacion esperada: 22.3263055970384",
     "Banda del 99 % de los precios a 12 meses: de 64.7157320203497 a 181.333168049895, con mediana "
     "108.328706767496."},
    {DistributionStep::Box::Target, "130",
     "z: 2.5758293035489\nPrecio Minimo: 64.7157320203497\nPrecio Maximo: 181.333168049895\n"
     "Mediana: 108.328706767496\nPrecio Esperado: 110.517091807565\nVariacion esperada: 22.3263055970384\n"
     "Por encima de 130: 18.09 %\nPor debajo de 130: 81.91 %\nToca 130 antes del horizonte: 30.51 %",
     "Banda del 99 % de los precios a 12 meses: de 64.7157320203497 a 181.333168049895, con mediana "
     "108.328706767496. Probabilidad de acabar por encima de 130: 18.09 %; por debajo: 81.91 %; de tocarlo "
     "antes del horizonte: 30.51 %."},
}};

}  // namespace cotalia::scenarios
