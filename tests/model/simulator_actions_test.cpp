// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/simulator_actions.h"

#include <gtest/gtest.h>

#include <array>
#include <cfenv>
#include <cstdint>
#include <string>
#include <vector>

#include "model/numeric_runtime.h"
#include "tests/scenarios.h"

namespace cotalia {
namespace {

using Action = void (*)(FieldAccess&);

// Inputs by field; fields not named keep their one blank.
using Inputs = std::vector<std::pair<Field, std::string>>;

InMemoryFields FieldsWith(const Inputs& inputs) {
  InMemoryFields fields;
  for (const auto& [field, text] : inputs) fields.SetFieldText(field, text);
  return fields;
}

std::array<std::string, kFieldCount> TextsOf(FieldAccess& fields) {
  std::array<std::string, kFieldCount> texts;
  for (std::size_t i = 0; i < kFieldCount; ++i) texts[i] = fields.GetFieldText(static_cast<Field>(i));
  return texts;
}

std::int32_t CodeThrownBy(Action action, FieldAccess& fields) {
  try {
    action(fields);
  } catch (const RunTimeError& error) {
    return error.code();
  }
  return 0;
}

Inputs Typed(const char* price, const char* rate, const char* volatility, const char* months) {
  return {{Field::Text1, price}, {Field::Text2, rate}, {Field::Text3, volatility}, {Field::Text4, months}};
}

class WorkedExamples : public testing::TestWithParam<scenarios::WorkedExample> {};

TEST_P(WorkedExamples, GiveEveryDigit) {
  const scenarios::WorkedExample& example = GetParam();
  const auto& in = example.inputs;
  InMemoryFields fields = FieldsWith(Typed(in[0].data(), in[1].data(), in[2].data(), in[3].data()));
  for (std::size_t i = 0; i < scenarios::kCalculations.size(); ++i) {
    scenarios::kCalculations[i].action(fields);
    EXPECT_EQ(fields.GetFieldText(scenarios::kCalculations[i].result), example.results[i]);
  }
}

INSTANTIATE_TEST_SUITE_P(Actions, WorkedExamples, testing::ValuesIn(scenarios::kWorkedExamples),
                         [](const auto& info) { return std::string(info.param.name); });

struct Outcome {
  const char* name;
  Inputs inputs;
  Action action;
  Field result;
  // The text written, or empty where the action fails with `code`.
  const char* text;
  std::int32_t code;
};

void PrintTo(const Outcome& o, std::ostream* os) { *os << o.name; }

class Outcomes : public testing::TestWithParam<Outcome> {};

Outcome OutcomeOf(const scenarios::Failure& failure) {
  Inputs inputs;
  for (const auto& [field, text] : failure.typed) inputs.emplace_back(field, std::string(text));
  return {failure.name.data(), inputs, failure.action, failure.result, "", failure.code};
}

// A failing action must leave all ten fields exactly as they were.
TEST_P(Outcomes, WriteTheResultOrNothing) {
  const Outcome& outcome = GetParam();
  InMemoryFields fields = FieldsWith(outcome.inputs);
  const auto before = TextsOf(fields);
  EXPECT_EQ(CodeThrownBy(outcome.action, fields), outcome.code);
  auto expected = before;
  if (outcome.code == 0) expected[IndexOf(outcome.result)] = outcome.text;
  EXPECT_EQ(TextsOf(fields), expected);
}

const Inputs kCleared = {{Field::Text1, ""}, {Field::Text2, ""}, {Field::Text3, ""}, {Field::Text4, ""},
                         {Field::Text5, ""}, {Field::Text6, ""}, {Field::Text7, ""}, {Field::Text8, ""},
                         {Field::Text9, ""}, {Field::Text10, ""}};

INSTANTIATE_TEST_SUITE_P(
    FreshAndClearedFields, Outcomes,
    testing::Values(
        Outcome{"FreshLogDeviation", {}, ComputeLogDeviation, Field::Text10, "0", 0},
        Outcome{"FreshMinimum", {}, ComputeMinimumPrice, Field::Text5, "1", 0},
        Outcome{"FreshMaximum", {}, ComputeMaximumPrice, Field::Text6, "1", 0},
        Outcome{"FreshExpected", {}, ComputeExpectedPrice, Field::Text7, "0", 0},
        Outcome{"FreshPriceDeviation", {}, ComputePriceDeviation, Field::Text8, "", kTypeMismatch},
        Outcome{"ClearedLogMean", kCleared, ComputeLogMean, Field::Text9, "", kTypeMismatch},
        Outcome{"ClearedLogDeviation", kCleared, ComputeLogDeviation, Field::Text10, "0", 0},
        Outcome{"ClearedMinimum", kCleared, ComputeMinimumPrice, Field::Text5, "1", 0},
        Outcome{"ClearedMaximum", kCleared, ComputeMaximumPrice, Field::Text6, "1", 0},
        Outcome{"ClearedExpected", kCleared, ComputeExpectedPrice, Field::Text7, "0", 0},
        Outcome{"ClearedPriceDeviation", kCleared, ComputePriceDeviation, Field::Text8, "", kTypeMismatch}),
    [](const testing::TestParamInfo<Outcome>& info) { return std::string(info.param.name); });

// The failures that the window tests play through each window too.
INSTANTIATE_TEST_SUITE_P(SharedFailures, Outcomes, testing::ValuesIn([] {
                           std::vector<Outcome> outcomes;
                           for (const scenarios::Failure& failure : scenarios::kFailures)
                             outcomes.push_back(OutcomeOf(failure));
                           return outcomes;
                         }()),
                         [](const testing::TestParamInfo<Outcome>& info) {
                           return std::string(info.param.name);
                         });

INSTANTIATE_TEST_SUITE_P(
    ReadersAndDomains, Outcomes,
    testing::Values(Outcome{"PercentSignIsLenientForExpected", Typed("100", "10%", "20", "12"),
                            ComputeExpectedPrice, Field::Text7, "110.517091807565", 0},
                    Outcome{"PercentSignIsLenientForPriceDeviation", Typed("100", "10%", "20", "12"),
                            ComputePriceDeviation, Field::Text8, "22.3263055970384", 0},
                    Outcome{"PercentSignIsStrictForLogMean", Typed("100", "10%", "20", "12"), ComputeLogMean,
                            Field::Text9, "", kTypeMismatch},
                    Outcome{"ReturnIsTriedBeforeVolatility", Typed("100", "x", "1E400", "12"), ComputeLogMean,
                            Field::Text9, "", kTypeMismatch},
                    Outcome{"VolatilityIsStrictForLogMean", Typed("100", "10", "20%", "12"), ComputeLogMean,
                            Field::Text9, "", kTypeMismatch},
                    Outcome{"VolatilityIsLenientForLogDeviation", Typed("100", "10", "20%", "12"),
                            ComputeLogDeviation, Field::Text10, "0.2", 0},
                    Outcome{"VolatilityIsStrictForPriceDeviation", Typed("100", "10", "20%", "12"),
                            ComputePriceDeviation, Field::Text8, "", kTypeMismatch},
                    Outcome{"NegativePriceHasNoLog", Typed("-5", "10", "20", "12"), ComputeLogMean,
                            Field::Text9, "", kInvalidCall},
                    Outcome{"ZeroPriceExpected", Typed("0", "10", "20", "12"), ComputeExpectedPrice,
                            Field::Text7, "0", 0},
                    Outcome{"ZeroPriceDeviation", Typed("0", "10", "20", "12"), ComputePriceDeviation,
                            Field::Text8, "0", 0},
                    Outcome{"NegativeHorizonExpected", Typed("100", "10", "20", "-12"), ComputeExpectedPrice,
                            Field::Text7, "90.4837418035959", 0},
                    Outcome{"NegativeHorizonPriceDeviation", Typed("100", "10", "20", "-12"),
                            ComputePriceDeviation, Field::Text8, "", kInvalidCall},
                    Outcome{"NegativeHorizonWithoutVolatility", Typed("100", "10", "0", "-12"),
                            ComputePriceDeviation, Field::Text8, "0", 0},
                    Outcome{"LenientOverflowInHorizon", Typed("100", "10", "20", "1E400"),
                            ComputeExpectedPrice, Field::Text7, "", kOverflow},
                    Outcome{"StrictOverflowInReturn", Typed("100", "1E400", "20", "12"), ComputeLogMean,
                            Field::Text9, "", kOverflow}),
    [](const testing::TestParamInfo<Outcome>& info) { return std::string(info.param.name); });

// One row for each point where an action checks its arithmetic, and for each
// function that overflows on its own. Built at the release optimisation level,
// these prove that no fault is moved past its check.
INSTANTIATE_TEST_SUITE_P(
    OverflowAtEveryCheck, Outcomes,
    testing::Values(Outcome{"LogMeanVarianceOverflows", Typed("100", "10", "1E200", "12"), ComputeLogMean,
                            Field::Text9, "", kOverflow},
                    Outcome{"LogMeanProductOverflows", Typed("100", "1E302", "20", "1E308"), ComputeLogMean,
                            Field::Text9, "", kOverflow},
                    Outcome{"LogMeanHalfVarianceTimesHorizonOverflows", Typed("100", "10", "1E154", "1E5"),
                            ComputeLogMean, Field::Text9, "", kOverflow},
                    Outcome{"LogDeviationProductOverflows", Typed("100", "10", "1E300", "1E300"),
                            ComputeLogDeviation, Field::Text10, "", kOverflow},
                    Outcome{"MinimumHalfWidthOverflows",
                            {{Field::Text9, "0"}, {Field::Text10, "1E308"}},
                            ComputeMinimumPrice,
                            Field::Text5,
                            "",
                            kOverflow},
                    Outcome{"MaximumHalfWidthOverflows",
                            {{Field::Text9, "0"}, {Field::Text10, "1E308"}},
                            ComputeMaximumPrice,
                            Field::Text6,
                            "",
                            kOverflow},
                    Outcome{"MinimumExponentialUnderflowsToZero",
                            {{Field::Text9, "-1000"}, {Field::Text10, "0"}},
                            ComputeMinimumPrice,
                            Field::Text5,
                            "0",
                            0},
                    Outcome{"ExpectedExponentOverflows", Typed("100", "1E300", "20", "1E300"),
                            ComputeExpectedPrice, Field::Text7, "", kOverflow},
                    Outcome{"ExpectedExponentialOverflows", Typed("100", "1E5", "20", "12"),
                            ComputeExpectedPrice, Field::Text7, "", kOverflow},
                    Outcome{"ExpectedProductOverflows", Typed("1E308", "1200", "20", "1"),
                            ComputeExpectedPrice, Field::Text7, "", kOverflow},
                    Outcome{"PriceDeviationDoubledReturnOverflows", Typed("100", "1E308", "20", "12"),
                            ComputePriceDeviation, Field::Text8, "", kOverflow},
                    Outcome{"PriceDeviationGrowthOverflows", Typed("100", "1E5", "20", "12"),
                            ComputePriceDeviation, Field::Text8, "", kOverflow},
                    Outcome{"PriceDeviationSpreadExponentOverflows", Typed("100", "0", "1E150", "1E20"),
                            ComputePriceDeviation, Field::Text8, "", kOverflow},
                    Outcome{"PriceDeviationSpreadOverflows", Typed("100", "0", "3000", "12"),
                            ComputePriceDeviation, Field::Text8, "", kOverflow},
                    Outcome{"PriceDeviationSquareOverflows", Typed("1E200", "10", "20", "12"),
                            ComputePriceDeviation, Field::Text8, "", kOverflow},
                    Outcome{"PriceDeviationVarianceOverflows", Typed("1E154", "12", "100", "12"),
                            ComputePriceDeviation, Field::Text8, "", kOverflow}),
    [](const testing::TestParamInfo<Outcome>& info) { return std::string(info.param.name); });

// The same checks overflowing towards minus infinity, where an unchecked
// exponential would quietly give 0 and the square root of a negative variance
// code 5.
INSTANTIATE_TEST_SUITE_P(
    NegativeOverflowAtEveryCheck, Outcomes,
    testing::Values(Outcome{"LogMeanProduct", Typed("100", "-1E302", "20", "1E308"), ComputeLogMean,
                            Field::Text9, "", kOverflow},
                    Outcome{"ExpectedExponent", Typed("100", "-1E300", "20", "1E300"), ComputeExpectedPrice,
                            Field::Text7, "", kOverflow},
                    Outcome{"ExpectedProduct", Typed("-1E308", "1200", "20", "1"), ComputeExpectedPrice,
                            Field::Text7, "", kOverflow},
                    Outcome{"PriceDeviationDoubledReturn", Typed("100", "-1E308", "20", "12"),
                            ComputePriceDeviation, Field::Text8, "", kOverflow},
                    Outcome{"PriceDeviationSpreadExponent", Typed("100", "0", "1E150", "-1E20"),
                            ComputePriceDeviation, Field::Text8, "", kOverflow},
                    Outcome{"PriceDeviationVariance", Typed("1E154", "-1000", "100", "-12"),
                            ComputePriceDeviation, Field::Text8, "", kOverflow}),
    [](const testing::TestParamInfo<Outcome>& info) { return std::string(info.param.name); });

// Records every field access, and leaves an overflow flag raised after each
// one as a toolkit might: the actions must clear the flags after every access
// or their next check would report it.
class RecordingFields : public FieldAccess {
 public:
  explicit RecordingFields(const Inputs& inputs) : fields_(FieldsWith(inputs)) {}

  std::string GetFieldText(Field field) override {
    calls.push_back("get " + std::to_string(IndexOf(field) + 1));
    std::feraiseexcept(FE_OVERFLOW);
    return fields_.GetFieldText(field);
  }
  void SetFieldText(Field field, std::string_view text) override {
    calls.push_back("set " + std::to_string(IndexOf(field) + 1));
    std::feraiseexcept(FE_OVERFLOW);
    fields_.SetFieldText(field, text);
  }

  std::vector<std::string> calls;

 private:
  InMemoryFields fields_;
};

TEST(Actions, ReadInTheirOrderClearTheFlagsAndWriteLast) {
  const struct {
    const char* name;
    Action action;
    std::vector<std::string> calls;
  } cases[] = {
      {"LogMean", ComputeLogMean, {"get 2", "get 3", "get 4", "get 1", "set 9"}},
      {"LogDeviation", ComputeLogDeviation, {"get 4", "get 3", "set 10"}},
      {"Minimum", ComputeMinimumPrice, {"get 10", "get 9", "set 5"}},
      {"Maximum", ComputeMaximumPrice, {"get 10", "get 9", "set 6"}},
      {"Expected", ComputeExpectedPrice, {"get 4", "get 2", "get 1", "set 7"}},
      {"PriceDeviation", ComputePriceDeviation, {"get 2", "get 4", "get 4", "get 3", "get 1", "set 8"}},
      {"Clear",
       ClearFields,
       {"set 1", "set 2", "set 3", "set 4", "set 5", "set 6", "set 7", "set 8", "set 9", "set 10"}},
  };
  for (const auto& c : cases) {
    RecordingFields fields(Typed("100", "10", "20", "12"));
    EXPECT_NO_THROW(c.action(fields)) << c.name;
    EXPECT_EQ(fields.calls, c.calls) << c.name;
  }
}

TEST(ClearFields, EmptiesEveryFieldNotJustToABlank) {
  InMemoryFields fields = FieldsWith(Typed("100", "10", "20", "12"));
  ComputeLogMean(fields);
  ClearFields(fields);
  std::array<std::string, kFieldCount> empty;
  EXPECT_EQ(TextsOf(fields), empty);
}

// A toolkit that fails on one field: the error passes through the action as
// it was raised.
class FailingFields : public InMemoryFields {
 public:
  explicit FailingFields(Field failing) : failing_(failing) {}
  std::string GetFieldText(Field field) override {
    if (field == failing_) throw RunTimeError(424, "Se requiere un objeto");
    return InMemoryFields::GetFieldText(field);
  }
  void SetFieldText(Field field, std::string_view text) override {
    if (field == failing_) throw RunTimeError(424, "Se requiere un objeto");
    InMemoryFields::SetFieldText(field, text);
  }

 private:
  Field failing_;
};

TEST(ClearFields, StopsAtAFieldThatCannotBeWritten) {
  FailingFields fields(Field::Text4);
  try {
    ClearFields(fields);
    FAIL() << "the failing write was not reported";
  } catch (const RunTimeError& error) {
    EXPECT_EQ(error.code(), 424);
    EXPECT_EQ(error.description(), "Se requiere un objeto");
  }
  EXPECT_EQ(fields.InMemoryFields::GetFieldText(Field::Text3), "");
  EXPECT_EQ(fields.InMemoryFields::GetFieldText(Field::Text5), " ");
}

TEST(Actions, PassAToolkitErrorOnUnchanged) {
  FailingFields fields(Field::Text1);
  EXPECT_EQ(CodeThrownBy(ComputeExpectedPrice, fields), 424);
  EXPECT_EQ(fields.InMemoryFields::GetFieldText(Field::Text7), " ");
}

}  // namespace
}  // namespace cotalia
