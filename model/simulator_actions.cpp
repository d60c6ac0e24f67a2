// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/simulator_actions.h"

#include "model/lognormal/lognormal.h"
#include "model/numeric_runtime.h"

// Each action follows its fixed sequence of reads, conversions, checks and one
// write; the arithmetic between the reads is the model's own, each quantity
// written once in lognormal.h, and checked with CheckFloat where the action
// checks it.

namespace cotalia {

namespace {

// Every field access clears the floating-point flags, so that a check covers
// only what was computed after it.
std::string Read(FieldAccess& fields, Field field) {
  std::string text = fields.GetFieldText(field);
  ClearFloat();
  return text;
}

void Write(FieldAccess& fields, Field field, std::string_view text) {
  fields.SetFieldText(field, text);
  ClearFloat();
}

void ComputeBandPrice(FieldAccess& fields, BandEdge edge, Field target) {
  const double deviation = ValueOfText(Read(fields, Field::Text10));
  const double mean = ValueOfText(Read(fields, Field::Text9));
  Write(fields, target, TextOfNumber(BandEnd(mean, deviation, kFormBandZ, edge, CheckFloat)));
}

}  // namespace

void ComputeLogMean(FieldAccess& fields) {
  const double rate = RateOfPercent(NumberFromText(Read(fields, Field::Text2)), CheckFloat);
  const double volatility = RateOfPercent(NumberFromText(Read(fields, Field::Text3)), CheckFloat);
  const double months = ValueOfText(Read(fields, Field::Text4));
  const double logPrice = NaturalLog(ValueOfText(Read(fields, Field::Text1)));
  Write(fields, Field::Text9, TextOfNumber(LogMean(rate, volatility, months, logPrice, CheckFloat)));
}

// Unlike ComputeLogMean, the volatility is read leniently here, its text
// turned into a number only after the root of the years, and it is not
// rounded through the display.
void ComputeLogDeviation(FieldAccess& fields) {
  const double months = ValueOfText(Read(fields, Field::Text4));
  const std::string volatilityText = Read(fields, Field::Text3);
  const double rootYears = RootYears(months, CheckFloat);
  const double deviation = LogDeviation(ValueOfText(volatilityText), rootYears, CheckFloat);
  Write(fields, Field::Text10, TextOfNumber(deviation));
}

void ComputeMinimumPrice(FieldAccess& fields) { ComputeBandPrice(fields, BandEdge::Lower, Field::Text5); }

void ComputeMaximumPrice(FieldAccess& fields) { ComputeBandPrice(fields, BandEdge::Upper, Field::Text6); }

void ComputeExpectedPrice(FieldAccess& fields) {
  const double months = ValueOfText(Read(fields, Field::Text4));
  const double growth = Growth(ValueOfText(Read(fields, Field::Text2)), months, CheckFloat);
  const double expected = ExpectedPrice(ValueOfText(Read(fields, Field::Text1)), growth, CheckFloat);
  Write(fields, Field::Text7, TextOfNumber(expected));
}

// The return is read leniently and the horizon twice, once for each
// exponential; only the volatility goes through the strict reader.
void ComputePriceDeviation(FieldAccess& fields) {
  const double ratePercent = ValueOfText(Read(fields, Field::Text2));
  const double growthMonths = ValueOfText(Read(fields, Field::Text4));
  const double growth = VarianceGrowth(ratePercent, growthMonths, CheckFloat);
  const double spreadMonths = ValueOfText(Read(fields, Field::Text4));
  const double volatility = RateOfPercent(NumberFromText(Read(fields, Field::Text3)), CheckFloat);
  const double spread = Spread(volatility, spreadMonths, CheckFloat);
  const double price = ValueOfText(Read(fields, Field::Text1));
  Write(fields, Field::Text8, TextOfNumber(PriceDeviation(price, spread, growth, CheckFloat)));
}

void ClearFields(FieldAccess& fields) {
  for (const Field field : {Field::Text1, Field::Text2, Field::Text3, Field::Text4, Field::Text5,
                            Field::Text6, Field::Text7, Field::Text8, Field::Text9, Field::Text10}) {
    Write(fields, field, "");
  }
}

}  // namespace cotalia
