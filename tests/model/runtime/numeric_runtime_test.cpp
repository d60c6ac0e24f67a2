// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/numeric_runtime.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace cotalia {
namespace {

constexpr double kDenormMin = std::numeric_limits<double>::denorm_min();

template <typename Call>
std::int32_t CodeThrownBy(Call call) {
  try {
    call();
  } catch (const RunTimeError& error) {
    return error.code();
  }
  return 0;
}

struct ReadCase {
  const char* name;
  std::string text;
  double value;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class ValueOfTextReads : public testing::TestWithParam<ReadCase> {};

TEST_P(ValueOfTextReads, TheLongestNumberAtTheStart) {
  const double value = ValueOfText(GetParam().text);
  EXPECT_EQ(value, GetParam().value);
  EXPECT_EQ(std::signbit(value), std::signbit(GetParam().value));
}

INSTANTIATE_TEST_SUITE_P(
    Lenient, ValueOfTextReads,
    testing::Values(
        ReadCase{"Empty", "", 0}, ReadCase{"OneBlank", " ", 0}, ReadCase{"Percent", "12%", 12},
        ReadCase{"CommaEndsTheNumber", "1,5", 1}, ReadCase{"CommaAfterSeven", "7,5", 7},
        ReadCase{"InnerBlanksRemoved", "1 000", 1000}, ReadCase{"BlanksEverywhere", " 2 5 ", 25},
        ReadCase{"TabsAndLineFeedsRemoved", "\t1\n2\t", 12},
        ReadCase{"CarriageReturnEndsTheNumber", "1\r2", 1}, ReadCase{"Exponent", "3.5e2", 350},
        ReadCase{"ExponentLetterD", "1D3", 1000}, ReadCase{"ExponentWithoutDigits", "1E", 1},
        ReadCase{"ExponentSignWithoutDigits", "2e+", 2}, ReadCase{"Letters", "abc", 0},
        ReadCase{"NoLeadingDigit", "-.5", -0.5}, ReadCase{"TrailingPoint", "5.", 5},
        ReadCase{"PlusSign", "+4", 4}, ReadCase{"LoneSign", "-", 0},
        ReadCase{"SecondPointEndsTheNumber", "1.2.3", 1.2}, ReadCase{"NegativeZero", "-0", -0.0},
        ReadCase{"HexSixteenBitsIsSigned", "&HFFFF", -1}, ReadCase{"HexSeventeenBits", "&H10000", 65536},
        ReadCase{"HexThirtyTwoBitsIsSigned", "&HFFFFFFFF", -1},
        ReadCase{"HexLargestInt32", "&H7FFFFFFF", 2147483647},
        ReadCase{"HexLowerCaseStopsAtNonDigit", "&hff g", 255}, ReadCase{"Octal", "&O17", 15},
        ReadCase{"HexLetterAlone", "&HA", 10}, ReadCase{"HexLowerCaseLetterAlone", "&ha", 10},
        ReadCase{"AmpersandAfterTheNumber", "1&H10", 1}, ReadCase{"AmpersandAfterALetter", "x&H10", 0},
        ReadCase{"OctalStopsAtEight", "&o178", 15}, ReadCase{"RadixWithoutDigits", "&H", 0},
        ReadCase{"UnknownRadix", "&X1", 0}, ReadCase{"UnderflowIsZero", "1E-400", 0},
        ReadCase{"NegativeUnderflowIsNegativeZero", "-1E-400", -0.0},
        ReadCase{"Subnormal", "4.9E-324", kDenormMin}, ReadCase{"ZeroWithHugeExponent", "0E999999", 0},
        ReadCase{"HugeNegativeExponent", "1E-99999999999999999999999", 0},
        ReadCase{"LargestDouble", "1.7976931348623157E308", std::numeric_limits<double>::max()},
        ReadCase{"ProductOfExactPartsRoundedOnce", "3.77459081309606E+28", 0x1.e7dabbcf9aeb1p+94},
        ReadCase{"SignificandJustPastTheExactLimit", "9007199254740993E1", 90071992547409936.0},
        ReadCase{"LetterHWithoutAmpersand", "1H5", 1}, ReadCase{"LoneAmpersand", "&", 0},
        // Spellings std::from_chars cannot take as written go the careful way.
        ReadCase{"CarefulFractionWithLongExponent", "+0.1234567890123456789012D-2", 0x1.43a272d9e0e51p-10},
        ReadCase{"CarefulLeadingZeros", "-00012345678901234567890.5e-000000000010", -0x1.26580b487e6b7p+30},
        ReadCase{"CarefulLargestDouble", "+1.7976931348623157D308", std::numeric_limits<double>::max()},
        ReadCase{"CarefulSmallestSubnormal", "+2.5D-324", kDenormMin},
        ReadCase{"CarefulBelowHalfTheSmallestSubnormal", "+2.4D-324", 0},
        ReadCase{"CarefulFractionFarLongerThanItsInteger", "+0.1234567890123456789012345678901234567890",
                 0x1.f9add3746f65fp-4},
        ReadCase{"CarefulLongFractionWithExponent", "+0.1234567890123456789012345678901234567890D2",
                 0x1.8b0fcd32f707ap+3},
        ReadCase{"ManyLeadingZeros", std::string(100000, '0') + "42", 42},
        ReadCase{"FractionOfManyDigits", "0." + std::string(100000, '3'), 1.0 / 3},
        ReadCase{"NotUtf8", "7\xff\xfe", 7}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST(ValueOfText, NumbersBeyondTheDoubleRangeOverflow) {
  for (const std::string& text :
       std::vector<std::string>{"1E400", "-1e309", "1.8e308", "&H100000000", "&O77777777777",
                                "1E99999999999999999999", std::string(400, '9'), "+1.7976931348623159D308",
                                "1.79769313486232E+308", "0.5E309", "000.05E310"}) {
    EXPECT_EQ(CodeThrownBy([&] { ValueOfText(text); }), kOverflow) << text;
  }
}

class NumberFromTextAccepts : public testing::TestWithParam<ReadCase> {};

TEST_P(NumberFromTextAccepts, AWholeDecimalNumber) {
  EXPECT_EQ(NumberFromText(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Strict, NumberFromTextAccepts,
    testing::Values(ReadCase{"BlanksAround", "  10  ", 10}, ReadCase{"SignedExponent", "-2.5E1", -25},
                    ReadCase{"LowerCaseExponent", "1e-2", 0.01}, ReadCase{"NoLeadingDigit", ".5", 0.5},
                    ReadCase{"TrailingPoint", "5.", 5}, ReadCase{"PlusSign", "+3", 3},
                    ReadCase{"LeadingZeros", "007", 7}, ReadCase{"UnderflowIsZero", "1e-400", 0},
                    ReadCase{"CarefulPlusSignAndLongExponent", "+1.25e-0000000100", 1.25e-100}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST(NumberFromText, RefusesAnythingButOneDecimalNumber) {
  for (const std::string& text : std::vector<std::string>{"",
                                                          " ",
                                                          "10%",
                                                          "abc",
                                                          ".",
                                                          "1E",
                                                          "1e+",
                                                          "1 0",
                                                          "\t1",
                                                          "1\n",
                                                          "1,5",
                                                          "1.000,5",
                                                          "&H10",
                                                          "1D3",
                                                          "1e5x",
                                                          "--1",
                                                          "+",
                                                          "1.2.3",
                                                          "(1)",
                                                          "$1",
                                                          "1$",
                                                          "- 1",
                                                          std::string("1\0", 2)}) {
    EXPECT_EQ(CodeThrownBy([&] { NumberFromText(text); }), kTypeMismatch) << '"' << text << '"';
  }
}

TEST(NumberFromText, NumbersBeyondTheDoubleRangeOverflow) {
  EXPECT_EQ(CodeThrownBy([] { NumberFromText("1E400"); }), kOverflow);
  EXPECT_EQ(CodeThrownBy([] { NumberFromText(" -1.8e308 "); }), kOverflow);
}

TEST(ScaledNumberFromText, MovesThePointAndTellsWhatTheTextShows) {
  const struct {
    std::string_view text;
    int placesLeft;
    std::optional<ScaledNumber> expected;
  } cases[] = {
      {"18.09", 2, ScaledNumber{0.1809, 2, false}},
      {" -2.5 ", 2, ScaledNumber{-0.025, 1, false}},
      {".5", 2, ScaledNumber{0.005, 1, false}},
      {"5", 2, ScaledNumber{0.05, 0, false}},
      {"5.000", 3, ScaledNumber{0.005, 3, false}},
      {"1.206E-111", 2, ScaledNumber{1.206E-113, 3, true}},
      {"1E+300", 2, ScaledNumber{1E+298, 0, true}},
      {"1.5", 0, ScaledNumber{1.5, 1, false}},
      {"1e400", 2, std::nullopt},  // the number itself beyond the doubles
      {"1e307", -2, std::nullopt},
      {"18,09", 2, std::nullopt},
      {"", 2, std::nullopt},
  };
  for (const auto& c : cases) {
    const std::optional<ScaledNumber> scaled = ScaledNumberFromText(c.text, c.placesLeft);
    ASSERT_EQ(scaled.has_value(), c.expected.has_value()) << c.text;
    if (!scaled) continue;
    EXPECT_EQ(scaled->value, c.expected->value) << c.text;
    EXPECT_EQ(scaled->fractionDigits, c.expected->fractionDigits) << c.text;
    EXPECT_EQ(scaled->exponent, c.expected->exponent) << c.text;
  }
}

struct WriteCase {
  const char* name;
  double value;
  const char* text;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class TextOfNumberWrites : public testing::TestWithParam<WriteCase> {};

TEST_P(TextOfNumberWrites, FifteenSignificantDigits) {
  EXPECT_EQ(TextOfNumber(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Writer, TextOfNumberWrites,
    testing::Values(WriteCase{"Fraction", 0.2, "0.2"}, WriteCase{"IntegerHasNoPoint", 1.0, "1"},
                    WriteCase{"Negative", -0.5, "-0.5"}, WriteCase{"Zero", 0.0, "0"},
                    WriteCase{"NegativeZero", -0.0, "0"},
                    WriteCase{"RoundedToFifteenDigits", 100 * 1.1051709180756477, "110.517091807565"},
                    WriteCase{"Third", 1.0 / 3, "0.333333333333333"},
                    WriteCase{"SumOfTenths", 0.1 + 0.2, "0.3"}, WriteCase{"TrailingIntegerZeros", 110, "110"},
                    WriteCase{"LargestPlain", 999999999999999, "999999999999999"},
                    WriteCase{"ExponentFormFrom1E15", 1e15, "1E+15"},
                    WriteCase{"SwitchesAfterRounding", 999999999999999.9, "1E+15"},
                    WriteCase{"LongMantissa", 123456789012345678.0, "1.23456789012346E+17"},
                    WriteCase{"LargestDouble", std::numeric_limits<double>::max(), "1.79769313486232E+308"},
                    WriteCase{"SmallestPlain", 0.00001, "0.00001"},
                    WriteCase{"SmallPlain", 0.000123, "0.000123"},
                    WriteCase{"ExponentFormBelow1E5", 0.000001, "1E-06"},
                    WriteCase{"NegativeSmall", -1.5e-7, "-1.5E-07"},
                    WriteCase{"TwoExponentDigitsSmall", 1e-10, "1E-10"},
                    WriteCase{"TwoExponentDigitsLarge", 1e20, "1E+20"},
                    WriteCase{"ThreeExponentDigits", 1e-300, "1E-300"},
                    WriteCase{"Subnormal", kDenormMin, "4.94065645841247E-324"}),
    [](const testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

// What a field shows must read back as the value it shows: the nearest double
// to the 15-digit decimal, which reads back to the same text. The C library's
// strtod is the reference: glibc's rounds correctly in integer arithmetic on
// every processor, where std::from_chars on 32-bit x86 does not.
TEST(TextOfNumber, ReadsBackToTheValueItShows) {
  std::mt19937_64 random(20261209);
  std::uniform_int_distribution<std::uint64_t> bits;
  for (int i = 0; i < 200000; ++i) {
    const auto pattern = bits(random);
    double value = 0;
    static_assert(sizeof value == sizeof pattern);
    std::memcpy(&value, &pattern, sizeof value);
    if (!std::isfinite(value)) continue;
    const std::string text = TextOfNumber(value);
    char expected[40];
    const auto end =
        std::to_chars(expected, expected + sizeof expected, value, std::chars_format::scientific, 14);
    *end.ptr = '\0';
    const double shown = std::strtod(expected, nullptr);
    ASSERT_EQ(ValueOfText(text), shown) << text;
    ASSERT_EQ(TextOfNumber(ValueOfText(text)), text);
    ASSERT_EQ(RoundThroughDisplay(value), ValueOfText(text)) << text;
  }
}

TEST(RoundThroughDisplay, KeepsTheDigitsAFieldShows) {
  EXPECT_EQ(RoundThroughDisplay(0.05), 0.05);
  EXPECT_EQ(RoundThroughDisplay(1.0 / 3), 0.333333333333333);
  EXPECT_EQ(RoundThroughDisplay(0.1 + 0.2), 0.3);
  EXPECT_FALSE(std::signbit(RoundThroughDisplay(-0.0)));
  // As the readers do with what the writer shows for these.
  EXPECT_EQ(CodeThrownBy([] { RoundThroughDisplay(std::numeric_limits<double>::max()); }), kOverflow);
  EXPECT_EQ(CodeThrownBy([] { RoundThroughDisplay(-std::numeric_limits<double>::max()); }), kOverflow);
  EXPECT_EQ(RoundThroughDisplay(std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(RoundThroughDisplay(std::nan("")), 0);
}

// A field's text need not end where its characters do: both readers must stop
// at the end of the view. Each text is also copied to a heap block of exactly
// its length, so that the sanitizer build catches a read one past the end.
TEST(Readers, StopAtTheEndOfAView) {
  const struct {
    const char* buffer;
    std::size_t length;
    double value;
  } cases[] = {{"123", 2, 12}, {"1.55", 3, 1.5}, {"2e10", 3, 20},
               {"&H1F", 3, 1}, {"&H", 1, 0},     {"-.55", 3, -0.5}};
  for (const auto& c : cases) {
    const std::string_view inBuffer(c.buffer, c.length);
    const auto exact = std::make_unique<char[]>(c.length);
    std::memcpy(exact.get(), c.buffer, c.length);
    const std::string_view alone(exact.get(), c.length);
    EXPECT_EQ(ValueOfText(inBuffer), c.value) << c.buffer;
    EXPECT_EQ(ValueOfText(alone), c.value) << c.buffer;
    if (inBuffer.front() != '&') {
      EXPECT_EQ(NumberFromText(inBuffer), c.value) << c.buffer;
      EXPECT_EQ(NumberFromText(alone), c.value) << c.buffer;
    }
  }
}

TEST(Functions, DomainAndRange) {
  EXPECT_EQ(CodeThrownBy([] { NaturalLog(0); }), kInvalidCall);
  EXPECT_EQ(CodeThrownBy([] { NaturalLog(-1); }), kInvalidCall);
  EXPECT_EQ(CodeThrownBy([] { NaturalLog(-0.0); }), kInvalidCall);
  EXPECT_EQ(NaturalLog(1), 0);
  EXPECT_EQ(CodeThrownBy([] { Exponential(710); }), kOverflow);
  EXPECT_EQ(Exponential(-800), 0);
  EXPECT_EQ(Exponential(0), 1);
  EXPECT_EQ(CodeThrownBy([] { Power(-1, 0.5); }), kInvalidCall);
  EXPECT_EQ(Power(0, 0.5), 0);
  EXPECT_EQ(Power(2.25, 0.5), 1.5);
  EXPECT_EQ(Power(-3, 2), 9);
  EXPECT_EQ(CodeThrownBy([] { Power(1e200, 2); }), kOverflow);
  EXPECT_EQ(CodeThrownBy([] { Power(2, 3); }), kInvalidCall);
}

TEST(RunTimeError, CarriesItsCodeAndSpanishDescription) {
  EXPECT_EQ(RunTimeError(kTypeMismatch).description(), "No coinciden los tipos");
  EXPECT_EQ(RunTimeError(kOverflow).description(), "Desbordamiento");
  EXPECT_EQ(RunTimeError(kInvalidCall).description(), "Llamada a procedimiento o argumento no válidos");
  EXPECT_EQ(RunTimeError(kDivisionByZero).description(), "División por cero");
  const RunTimeError toolkit(424, "Se requiere un objeto");
  EXPECT_EQ(toolkit.code(), 424);
  EXPECT_STREQ(toolkit.what(), "Se requiere un objeto");
}

// The operands come from volatile reads so that the faults happen at run time,
// between the clear and the check, as they do in the actions.
TEST(CheckFloat, ReportsTheFlagsRaisedSinceTheLastClear) {
  volatile double huge = 1e308;
  volatile double zero = 0;
  volatile double tiny = 1e-308;
  struct Case {
    const char* fault;
    double (*compute)(double huge, double zero, double tiny);
    std::int32_t code;
  };
  const Case cases[] = {
      {"overflow", [](double h, double, double) { return h * 10; }, kOverflow},
      {"invalid", [](double, double z, double) { return z / z; }, kOverflow},
      {"division by zero", [](double h, double z, double) { return h / z; }, kDivisionByZero},
      {"underflow is ignored", [](double, double, double t) { return t / 1e10; }, 0},
      {"inexact is ignored", [](double h, double, double) { return h / 3; }, 0},
  };
  for (const Case& c : cases) {
    ClearFloat();
    const double result = c.compute(huge, zero, tiny);
    EXPECT_EQ(CodeThrownBy([&] { CheckFloat({result}); }), c.code) << c.fault;
  }
}

TEST(CheckFloat, ClearForgetsEarlierFaultsButNotANonFiniteValue) {
  for (const int flag : {FE_INVALID, FE_DIVBYZERO, FE_OVERFLOW}) {
    std::feraiseexcept(flag);
    ClearFloat();
    EXPECT_EQ(CodeThrownBy([] { CheckFloat({1.0}); }), 0) << "flag " << flag;
  }
  volatile double huge = 1e308;
  const double overflowed = huge * 10;
  ClearFloat();
  EXPECT_EQ(CodeThrownBy([&] { CheckFloat({overflowed}); }), kOverflow);
}

}  // namespace
}  // namespace cotalia
