// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/lognormal/lognormal.h"

#include "model/numeric_runtime.h"

namespace cotalia {

double RateOfPercent(double percent, ArithmeticCheck check) {
  const double rate = percent / 100;
  check({rate});
  return RoundThroughDisplay(rate);
}

double LogMean(double rate, double volatility, double months, double logPrice, ArithmeticCheck check) {
  const double variance = Power(volatility, 2);
  const double mean = ((rate - variance / 2) * months) / 12 + logPrice;
  check({mean});
  return mean;
}

double RootYears(double months, ArithmeticCheck check) {
  const double years = months / 12;
  check({years});
  return Power(years, 0.5);
}

double LogDeviation(double volatilityPercent, double rootYears, ArithmeticCheck check) {
  const double deviation = (volatilityPercent / 100) * rootYears;
  check({deviation});
  return deviation;
}

double BandEnd(double mean, double deviation, double z, BandEdge edge, ArithmeticCheck check) {
  const double halfWidth = deviation * z;
  const double exponent = edge == BandEdge::Lower ? mean - halfWidth : mean + halfWidth;
  check({exponent});
  return Exponential(exponent);
}

double Growth(double ratePercent, double months, ArithmeticCheck check) {
  const double exponent = ((ratePercent / 100) * months) / 12;
  check({exponent});
  return Exponential(exponent);
}

double ExpectedPrice(double price, double growth, ArithmeticCheck check) {
  const double expected = price * growth;
  check({expected});
  return expected;
}

double VarianceGrowth(double ratePercent, double months, ArithmeticCheck check) {
  const double exponent = (((ratePercent + ratePercent) / 100) * months) / 12;
  check({exponent});
  return Exponential(exponent);
}

double Spread(double volatility, double months, ArithmeticCheck check) {
  const double exponent = (Power(volatility, 2) * months) / 12;
  check({exponent});
  return Exponential(exponent);
}

double PriceDeviation(double price, double spread, double varianceGrowth, ArithmeticCheck check) {
  const double variance = Power(price, 2) * ((spread - 1) * varianceGrowth);
  check({variance});
  return Power(variance, 0.5);
}

// The buttons' steps in the order of the buttons, left to right: "Media Dn"
// (both rates kept to 15 digits), "Vol Dn" (the volatility as typed), the
// band from what those two fields show, "Precio Esperado" and "Volatilidad
// Esperada".
PricePoint PricePointAfter(const LognormalInputs& inputs, double months, double z, ArithmeticCheck check) {
  const double rate = RateOfPercent(inputs.ratePercent, check);
  const double volatility = RateOfPercent(inputs.volatilityPercent, check);
  const double mean = LogMean(rate, volatility, months, NaturalLog(inputs.price), check);
  const double deviation = LogDeviation(inputs.volatilityPercent, RootYears(months, check), check);
  const LogPrice shown{RoundThroughDisplay(mean), RoundThroughDisplay(deviation)};
  const double lower = BandEnd(shown.mean, shown.deviation, z, BandEdge::Lower, check);
  const double upper = BandEnd(shown.mean, shown.deviation, z, BandEdge::Upper, check);
  const double median = Exponential(shown.mean);
  const double expected = ExpectedPrice(inputs.price, Growth(inputs.ratePercent, months, check), check);
  const double varianceGrowth = VarianceGrowth(inputs.ratePercent, months, check);
  const double spread = Spread(volatility, months, check);
  if (months == 0) {
    // Today: the current price itself, where e^(ln S) may read a unit in
    // the fifteenth digit away from it.
    return {shown, inputs.price, inputs.price, inputs.price, inputs.price, 0};
  }
  return {shown, lower, upper, median, expected, PriceDeviation(inputs.price, spread, varianceGrowth, check)};
}

}  // namespace cotalia
