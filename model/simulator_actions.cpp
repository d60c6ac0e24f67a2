// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator_actions.h"

#include "numeric_runtime.h"

// Each action follows its fixed sequence of reads, conversions, checks and one
// write. The arithmetic is written in exactly the order the results are
// defined in, so that every platform rounds the same steps the same way.

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

// A yearly rate typed in percent, read strictly and kept to the digits a field
// would show.
double ReadStrictRate(FieldAccess& fields, Field field) {
  const double rate = NumberFromText(Read(fields, field)) / 100;
  CheckFloat({rate});
  return RoundThroughDisplay(rate);
}

enum class BandEdge { Lower, Upper };

void ComputeBandPrice(FieldAccess& fields, BandEdge edge, Field target) {
  const double deviation = ValueOfText(Read(fields, Field::Text10));
  const double mean = ValueOfText(Read(fields, Field::Text9));
  const double halfWidth = deviation * 1.96;
  const double exponent = edge == BandEdge::Lower ? mean - halfWidth : mean + halfWidth;
  CheckFloat({exponent});
  Write(fields, target, TextOfNumber(Exponential(exponent)));
}

}  // namespace

void ComputeLogMean(FieldAccess& fields) {
  const double rate = ReadStrictRate(fields, Field::Text2);
  const double volatility = ReadStrictRate(fields, Field::Text3);
  const double months = ValueOfText(Read(fields, Field::Text4));
  const double logPrice = NaturalLog(ValueOfText(Read(fields, Field::Text1)));
  const double variance = Power(volatility, 2);
  const double mean = ((rate - variance / 2) * months) / 12 + logPrice;
  CheckFloat({mean});
  Write(fields, Field::Text9, TextOfNumber(mean));
}

// Unlike ComputeLogMean, the volatility is read leniently here and is not
// rounded through the display.
void ComputeLogDeviation(FieldAccess& fields) {
  const double months = ValueOfText(Read(fields, Field::Text4));
  const std::string volatilityText = Read(fields, Field::Text3);
  const double years = months / 12;
  CheckFloat({years});
  const double rootYears = Power(years, 0.5);
  const double deviation = (ValueOfText(volatilityText) / 100) * rootYears;
  CheckFloat({deviation});
  Write(fields, Field::Text10, TextOfNumber(deviation));
}

void ComputeMinimumPrice(FieldAccess& fields) { ComputeBandPrice(fields, BandEdge::Lower, Field::Text5); }

void ComputeMaximumPrice(FieldAccess& fields) { ComputeBandPrice(fields, BandEdge::Upper, Field::Text6); }

void ComputeExpectedPrice(FieldAccess& fields) {
  const double months = ValueOfText(Read(fields, Field::Text4));
  const double exponent = ((ValueOfText(Read(fields, Field::Text2)) / 100) * months) / 12;
  CheckFloat({exponent});
  const double growth = Exponential(exponent);
  const double expected = ValueOfText(Read(fields, Field::Text1)) * growth;
  CheckFloat({expected});
  Write(fields, Field::Text7, TextOfNumber(expected));
}

// The return is read leniently and the horizon twice, once for each
// exponential; only the volatility goes through the strict reader.
void ComputePriceDeviation(FieldAccess& fields) {
  const double ratePercent = ValueOfText(Read(fields, Field::Text2));
  const double growthMonths = ValueOfText(Read(fields, Field::Text4));
  const double growthExponent = (((ratePercent + ratePercent) / 100) * growthMonths) / 12;
  CheckFloat({growthExponent});
  const double growth = Exponential(growthExponent);
  const double spreadMonths = ValueOfText(Read(fields, Field::Text4));
  const double volatility = ReadStrictRate(fields, Field::Text3);
  const double spreadExponent = (Power(volatility, 2) * spreadMonths) / 12;
  CheckFloat({spreadExponent});
  const double spread = Exponential(spreadExponent);
  const double squaredPrice = Power(ValueOfText(Read(fields, Field::Text1)), 2);
  const double variance = squaredPrice * ((spread - 1) * growth);
  CheckFloat({variance});
  Write(fields, Field::Text8, TextOfNumber(Power(variance, 0.5)));
}

void ClearFields(FieldAccess& fields) {
  for (const Field field : {Field::Text1, Field::Text2, Field::Text3, Field::Text4, Field::Text5,
                            Field::Text6, Field::Text7, Field::Text8, Field::Text9, Field::Text10}) {
    Write(fields, field, "");
  }
}

}  // namespace cotalia
