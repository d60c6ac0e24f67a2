// SPDX-License-Identifier: GPL-3.0-or-later
// The quantities of the lognormal price model, each written once. The form's
// buttons, the distribution window's figures and its chart's curves all take
// them from here, so that one quantity never shows two sets of digits.
//
// Rates are fractions a year unless named percent, horizons are months. Each
// expression is evaluated in the order in which the buttons' results are
// defined, so that every platform rounds the same steps the same way. The
// buttons read their fields between these steps, so the steps are functions
// of their own and each button calls them in its sequence; the distribution
// window calls them in the same order with nothing in between.
//
// `check` is called where the buttons check their arithmetic: the form passes
// CheckFloat (the flags since the last field access), the distribution window
// CheckFinite (the values alone). Every step may also throw RunTimeError
// where Power, Exponential or NaturalLog do.
#pragma once

#include <initializer_list>

namespace cotalia {

using ArithmeticCheck = void (*)(std::initializer_list<double>);

// The half-width of the form's band, in deviations of the log price.
inline constexpr double kFormBandZ = 1.96;

// percent / 100, kept to the 15 digits a field shows: the return and the
// volatility as "Media Dn" and "Volatilidad Esperada" read them.
double RateOfPercent(double percent, ArithmeticCheck check);

// The mean of the log price after `months`: ln S + (r - v^2/2) months/12,
// computed as ((r - v^2/2) months)/12 + ln S.
double LogMean(double rate, double volatility, double months, double logPrice, ArithmeticCheck check);

// sqrt(months/12), the root of the years that the log price spreads over.
double RootYears(double months, ArithmeticCheck check);

// The deviation of the log price, (volatilityPercent/100) sqrt(months/12):
// the volatility as typed, not kept to 15 digits.
double LogDeviation(double volatilityPercent, double rootYears, ArithmeticCheck check);

// An end of the band, e^(mean -+ z deviation).
enum class BandEdge { Lower, Upper };
double BandEnd(double mean, double deviation, double z, BandEdge edge, ArithmeticCheck check);

// e^(((ratePercent/100) months)/12), the growth of the expected price, and
// the expected price S times that growth.
double Growth(double ratePercent, double months, ArithmeticCheck check);
double ExpectedPrice(double price, double growth, ArithmeticCheck check);

// The price's deviation, S sqrt((e^(v^2 months/12) - 1) e^(2 r months/12)),
// in its three steps: e^((((k + k)/100) months)/12) with k the return in
// percent; e^((v^2 months)/12); and S sqrt((spread - 1) growth).
double VarianceGrowth(double ratePercent, double months, ArithmeticCheck check);
double Spread(double volatility, double months, ArithmeticCheck check);
double PriceDeviation(double price, double spread, double varianceGrowth, ArithmeticCheck check);

// The form's four inputs as its buttons read them: the price S, the return
// and the volatility in percent a year, and the horizon in months.
struct LognormalInputs {
  double price;
  double ratePercent;
  double volatilityPercent;
  double months;
};

// The log price after some months as the fields "Media Dn" and "Volatilidad
// Dn" show it, to 15 digits: what the band reads back.
struct LogPrice {
  double mean;
  double deviation;
};

// Every quantity after `months` (0 up to the horizon) with the band z wide:
// the steps of the buttons in their order, the band from the log price as
// the fields show it, the median e^(mean) from the same. At months = the
// horizon and z = 1.96 these are the digits the six buttons write, but at
// month 0: today every price is the current price itself.
struct PricePoint {
  LogPrice logPrice;
  double lower;
  double upper;
  double median;
  double expected;
  double deviation;
};
PricePoint PricePointAfter(const LognormalInputs& inputs, double months, double z, ArithmeticCheck check);

}  // namespace cotalia
