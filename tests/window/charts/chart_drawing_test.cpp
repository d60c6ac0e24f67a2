// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing every chart shares: its inks and its axes, apart from any chart.
#include "window/charts/chart_drawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/numeric_runtime.h"

namespace cotalia {
namespace {

// Relative luminance on 0..255 (sRGB weights, without the gamma).
double LuminanceOf(Colour c) { return 0.2126 * c.red + 0.7152 * c.green + 0.0722 * c.blue; }

// The grid lies under every curve, so it is light; what is read as text on
// the white background (the legend is in the curves' inks) is dark enough.
TEST(ColourOf, EachInkLightOrDarkAsItsUseNeeds) {
  const struct {
    Ink ink;
    double lowest;
    double highest;
  } rows[] = {
      {Ink::Grid, 200, 255},  {Ink::Text, 0, 80},      {Ink::Axis, 0, 100},   {Ink::Start, 0, 80},
      {Ink::Median, 0, 130},  {Ink::Expected, 0, 150}, {Ink::Target, 0, 130}, {Ink::Band, 0, 200},
      {Ink::Reading, 0, 130}, {Ink::Range, 150, 255},
  };
  for (const auto& row : rows) {
    const double luminance = LuminanceOf(ColourOf(row.ink));
    EXPECT_GE(luminance, row.lowest) << static_cast<int>(row.ink);
    EXPECT_LE(luminance, row.highest) << static_cast<int>(row.ink);
  }
  // Each ink tells its curve apart: no two share a colour.
  for (const auto& a : rows) {
    for (const auto& b : rows) {
      if (a.ink == b.ink) continue;
      const Colour x = ColourOf(a.ink);
      const Colour y = ColourOf(b.ink);
      EXPECT_FALSE(x.red == y.red && x.green == y.green && x.blue == y.blue)
          << static_cast<int>(a.ink) << " and " << static_cast<int>(b.ink);
    }
  }
}

std::vector<std::string> TextsOf(const Axis& axis) {
  std::vector<std::string> texts;
  for (const Tick& tick : axis.ticks) texts.push_back(tick.text);
  return texts;
}

TEST(LinearAxis, RoundTicksAroundTheValues) {
  const struct {
    const char* name;
    double low;
    double high;
    int ticks;
    double axisLow;
    double axisHigh;
    std::vector<std::string> texts;
  } rows[] = {
      {"Worked", 60, 160, 5, 60, 160, {"60", "80", "100", "120", "140", "160"}},
      // One value: a tenth either side, never below zero however small.
      {"OneValue", 100, 100, 5, 90, 115, {"90", "95", "100", "105", "110", "115"}},
      {"OneValueBelowOne", 0.5, 0.5, 5, 0.45, 0.55, {"0.45", "0.5", "0.55"}},
      {"OneValueOfOne", 1, 1, 5, 0.9, 1.1, {"0.9", "0.95", "1", "1.05", "1.1"}},
  };
  for (const auto& row : rows) {
    const Axis axis = LinearAxis(row.low, row.high, row.ticks, true);
    EXPECT_DOUBLE_EQ(axis.low, row.axisLow) << row.name;
    EXPECT_DOUBLE_EQ(axis.high, row.axisHigh) << row.name;
    EXPECT_EQ(TextsOf(axis), row.texts) << row.name;
  }
}

// Every row: the axis holds the values, its ticks ascend inside it,
// neighbouring ticks stand at least a line apart, so their labels never
// overlap, and each is written as the window writes its number. Where texts
// are given, the ticks are those.
TEST(LogarithmicAxis, DecadesThatHoldTheValuesAndFit) {
  const struct {
    const char* name;
    double low;
    double high;
    int ticks;
    double pixels;
    std::vector<std::string> texts;
  } rows[] = {
      // Two decades 150 pixels each: room for 2 and 5.
      {"TwoDecades", 10, 1000, 9, 300, {"10", "20", "50", "100", "200", "500", "1000"}},
      // Within a decade, round steps fitted to the values; where they would
      // stand too close, 1, 2 and 5 times powers of ten.
      {"BandOf65To181", 65, 181, 9, 300, {"60", "80", "100", "120", "140", "160", "180", "200"}},
      {"BandOf65To181InAFewPixels", 65, 181, 4, 80, {"50", "100", "200"}},
      {"NarrowBand", 95, 105, 9, 300, {"94", "96", "98", "100", "102", "104", "106"}},
      {"ThreeDecadesOneTwoFive",
       3,
       4000,
       10,
       400,
       {"2", "5", "10", "20", "50", "100", "200", "500", "1000", "2000", "5000"}},
      // Eight decades in 300 pixels: 2 and 5 would be 11 pixels from 10.
      {"EightDecades",
       1e-3,
       1e5,
       9,
       300,
       {"0.001", "0.01", "0.1", "1", "10", "100", "1000", "10000", "100000"}},
      // One price: its decade, with room for 2 and 5 (no decade at all
      // would be a stride of 0).
      {"OnePriceOfOne", 1, 1, 9, 300, {"1", "2", "5", "10"}},
      // Every fourth decade; the highest price between 1 and 10 takes the
      // axis up to the next tick, 10000, not down to 1.
      {"StrideAboveOneTopBetweenOneAndTen",
       1e-30,
       5,
       9,
       300,
       {"1E-32", "1E-28", "1E-24", "1E-20", "1E-16", "1E-12", "1E-08", "0.0001", "1", "10000"}},
      {"StrideAboveOneTopBelowOne",
       1e-30,
       0.5,
       9,
       300,
       {"1E-32", "1E-28", "1E-24", "1E-20", "1E-16", "1E-12", "1E-08", "0.0001", "1"}},
      // Where the writer turns to exponents, so do the ticks.
      {"AroundFifteenDigits",
       2e12,
       1e17,
       9,
       300,
       {"1000000000000", "10000000000000", "100000000000000", "1E+15", "1E+16", "1E+17"}},
      // Its top decade beyond the largest double: drawn, not an overflow;
      // also where every decade is ticked, up to 1E+309.
      {"TopDecadeJustBeyondTheDoubles", 1e305, 1.5e308, 9, 300, {}},
      {"TopDecadeBeyondTheDoubles", 1, 1.5e308, 9, 300, {}},
      {"TopDecadeBeyondTheDoublesInAFewPixels", 0.5, 1.5e308, 3, 100, {}},
  };
  constexpr double kLine = 16;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Axis axis;
    ASSERT_NO_THROW(axis = LogarithmicAxis(row.low, row.high, row.ticks, row.pixels, kLine));
    EXPECT_TRUE(axis.logarithmic);
    EXPECT_LE(axis.low, std::log10(row.low));
    EXPECT_GE(axis.high, std::log10(row.high));
    ASSERT_GE(axis.ticks.size(), 2u);
    EXPECT_EQ(axis.ticks.front().position, axis.low);
    EXPECT_EQ(axis.ticks.back().position, axis.high);
    for (std::size_t i = 1; i < axis.ticks.size(); ++i) {
      const double apart =
          (axis.ticks[i].position - axis.ticks[i - 1].position) / (axis.high - axis.low) * row.pixels;
      EXPECT_GE(apart, kLine) << axis.ticks[i - 1].text << " and " << axis.ticks[i].text;
    }
    for (const Tick& tick : axis.ticks) {
      if (tick.position <= 308) {
        EXPECT_EQ(TextOfNumber(ValueOfText(tick.text)), tick.text);
      }
    }
    if (!row.texts.empty()) {
      EXPECT_EQ(TextsOf(axis), row.texts);
    }
  }
}

// A price axis takes as many ticks as fit a line and a half apart, not one
// fewer: forty decades in 120 pixels are ticked every eighth (every tenth
// would do with one tick fewer).
TEST(PriceAxis, AsManyTicksAsFit) {
  const struct {
    const char* name;
    double lowest;
    double highest;
    bool logarithmic;
    double pixels;
    std::vector<std::string> texts;
  } rows[] = {
      {"LogarithmicLow",
       1e-31,
       1e9,
       true,
       120,
       {"1E-32", "1E-24", "1E-16", "1E-08", "1", "100000000", "1E+16"}},
      {"LogarithmicTaller",
       1e-31,
       1e9,
       true,
       144,
       {"1E-35", "1E-28", "1E-21", "1E-14", "1E-07", "1", "10000000", "100000000000000"}},
      {"Linear", 60, 160, false, 320, {"60", "80", "100", "120", "140", "160"}},
      {"LinearLow", 60, 160, false, 64, {"50", "100", "150", "200"}},
  };
  for (const auto& row : rows) {
    const Axis axis = PriceAxis(row.lowest, row.lowest, row.highest, row.logarithmic, row.pixels, 16);
    EXPECT_EQ(TextsOf(axis), row.texts) << row.name;
  }
}

// Every few years, the ticks fall on the years the stride divides, however
// the span starts.
TEST(DateAxis, YearsTheStrideDivides) {
  const struct {
    CivilDate first;
    CivilDate last;
    int ticks;
    std::vector<std::string> texts;
  } rows[] = {
      {{1995, 3, 1}, {2003, 6, 1}, 5, {"1996", "1998", "2000", "2002"}},
      {{1991, 1, 2}, {1998, 12, 31}, 5, {"1992", "1994", "1996", "1998"}},
      {{1961, 7, 1}, {2024, 3, 1}, 8, {"1970", "1980", "1990", "2000", "2010", "2020"}},
  };
  for (const auto& row : rows) {
    const Axis axis = DateAxis(DayOf(row.first), DayOf(row.last), row.ticks);
    EXPECT_EQ(TextsOf(axis), row.texts) << row.first.year;
  }
}

}  // namespace
}  // namespace cotalia
