// SPDX-License-Identifier: GPL-3.0-or-later
// The exponential and the logarithm against MPFR, correctly rounded at 53
// bits with the double's exponent range and subnormals. COTALIA_MPFR_SCALE
// multiplies every sample count (scripts/check-elementary-functions uses it
// for the long run).
#include "model/runtime/elementary_functions.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <random>
#include <string>

#include "model/lognormal/normal_distribution.h"

namespace cotalia {
namespace {

using Function = double (*)(double);
using MpfrFunction = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

class Reference {
 public:
  Reference() {
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
    mpfr_init2(x_, 53);
    mpfr_init2(y_, 53);
  }
  ~Reference() {
    mpfr_clear(x_);
    mpfr_clear(y_);
  }
  Reference(const Reference&) = delete;
  Reference& operator=(const Reference&) = delete;

  double operator()(MpfrFunction function, double x) {
    mpfr_set_d(x_, x, MPFR_RNDN);
    int ternary = function(y_, x_, MPFR_RNDN);
    ternary = mpfr_check_range(y_, ternary, MPFR_RNDN);
    mpfr_subnormalize(y_, ternary, MPFR_RNDN);
    return mpfr_get_d(y_, MPFR_RNDN);
  }

 private:
  mpfr_t x_;
  mpfr_t y_;
};

long Scale() {
  const char* scale = std::getenv("COTALIA_MPFR_SCALE");
  return scale == nullptr ? 1 : std::max(1L, std::atol(scale));
}

double Next(double x, int steps) {
  const double direction =
      steps < 0 ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  for (int i = 0; i < std::abs(steps); ++i) x = std::nextafter(x, direction);
  return x;
}

struct Sampled {
  const char* name;
  long count;
  std::function<double(std::mt19937_64&)> sample;
};

void PrintTo(const Sampled& s, std::ostream* os) { *os << s.name; }

// Compares every sample, reports the first few mismatches and counts all.
long Mismatches(Function ours, MpfrFunction theirs, const Sampled& range, long count) {
  Reference reference;
  std::mt19937_64 random(std::hash<std::string>{}(range.name));
  long mismatches = 0;
  for (long i = 0; i < count; ++i) {
    const double x = range.sample(random);
    const double expected = reference(theirs, x);
    const double actual = ours(x);
    if (std::bit_cast<std::uint64_t>(expected) != std::bit_cast<std::uint64_t>(actual)) {
      if (++mismatches <= 5) {
        ADD_FAILURE() << range.name << ": x = " << std::hexfloat << x << " gives " << actual << ", MPFR "
                      << expected;
      }
    }
  }
  return mismatches;
}

double Uniform(std::mt19937_64& random, double low, double high) {
  return std::uniform_real_distribution<double>(low, high)(random);
}

double AnyBits(std::mt19937_64& random) { return std::bit_cast<double>(random()); }

// Around `center`, within `ulps` units in the last place.
std::function<double(std::mt19937_64&)> Around(double center, int ulps) {
  return [center, ulps](std::mt19937_64& random) {
    return Next(center, std::uniform_int_distribution<int>(-ulps, ulps)(random));
  };
}

const double kOverflowThreshold = 709.782712893384;     // ln(largest finite double)
const double kNormalThreshold = -708.3964185322641;     // ln(smallest normal)
const double kSubnormalThreshold = -744.4400719213812;  // ln(smallest subnormal)
const double kZeroThreshold = -745.1332191019411;       // ln(half the smallest subnormal)

class ExponentialMatchesMpfr : public testing::TestWithParam<Sampled> {};

TEST_P(ExponentialMatchesMpfr, OnEverySample) {
  EXPECT_EQ(Mismatches(CorrectlyRoundedExp, mpfr_exp, GetParam(), GetParam().count * Scale()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, ExponentialMatchesMpfr,
    testing::Values(Sampled{"WholeDomain", 250000, [](auto& r) { return Uniform(r, -746, 710); }},
                    Sampled{"LogPrices", 200000, [](auto& r) { return Uniform(r, -12, 17); }},
                    Sampled{"RatesTimesHorizons", 200000, [](auto& r) { return Uniform(r, -3, 3); }},
                    Sampled{"Small", 100000,
                            [](auto& r) {
                              return std::ldexp(Uniform(r, -1, 1),
                                                -std::uniform_int_distribution<int>(0, 60)(r));
                            }},
                    Sampled{"AnyBitsInRange", 100000,
                            [](auto& r) {
                              for (;;) {
                                const double x = AnyBits(r);
                                if (std::fabs(x) < 746) return x;
                              }
                            }},
                    Sampled{"Subnormal", 100000,
                            [](auto& r) { return Uniform(r, kZeroThreshold - 0.1, kNormalThreshold); }},
                    Sampled{"OverflowThreshold", 20000, Around(kOverflowThreshold, 10000)},
                    // Where the plain-double first step hands over to the double-double one.
                    Sampled{"FirstStepEdges", 20000,
                            [](auto& r) {
                              const double edge =
                                  std::uniform_int_distribution<int>(0, 1)(r) == 0 ? 707.0 : -707.0;
                              return Next(edge, std::uniform_int_distribution<int>(-1000, 1000)(r));
                            }},
                    Sampled{"NormalThreshold", 10000, Around(kNormalThreshold, 5000)},
                    Sampled{"SubnormalThreshold", 10000, Around(kSubnormalThreshold, 5000)},
                    Sampled{"ZeroThreshold", 10000, Around(kZeroThreshold, 5000)},
                    Sampled{"NearZero", 20000,
                            [](auto& r) {
                              const double edge =
                                  std::uniform_int_distribution<int>(0, 1)(r) == 0 ? 0x1p-54 : -0x1p-54;
                              return Next(edge, std::uniform_int_distribution<int>(-50, 50)(r));
                            }}),
    [](const testing::TestParamInfo<Sampled>& info) { return std::string(info.param.name); });

class LogarithmMatchesMpfr : public testing::TestWithParam<Sampled> {};

TEST_P(LogarithmMatchesMpfr, OnEverySample) {
  EXPECT_EQ(Mismatches(CorrectlyRoundedLog, mpfr_log, GetParam(), GetParam().count * Scale()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, LogarithmMatchesMpfr,
    testing::Values(Sampled{"AnyPositiveBits", 300000,
                            [](auto& r) {
                              for (;;) {
                                const double x = std::fabs(AnyBits(r));
                                if (std::isfinite(x) && x > 0) return x;
                              }
                            }},
                    Sampled{"Prices", 250000, [](auto& r) { return std::exp2(Uniform(r, -7, 24)); }},
                    Sampled{"NearOne", 200000,
                            [](auto& r) {
                              return 1 + std::ldexp(Uniform(r, -1, 1),
                                                    -std::uniform_int_distribution<int>(1, 52)(r));
                            }},
                    Sampled{"UlpsFromOne", 20000, Around(1.0, 10000)},
                    // Where the table takes over from the series about 1, on both sides.
                    Sampled{"TableEdgeNearOne", 200000,
                            [](auto& r) {
                              const double offset = std::ldexp(Uniform(r, 1, 2), -8);
                              return std::uniform_int_distribution<int>(0, 1)(r) == 0 ? 1 + offset
                                                                                      : 1 - offset;
                            }},
                    Sampled{"Two", 1, [](auto&) { return 2.0; }},
                    Sampled{"OneHalfToTwo", 200000, [](auto& r) { return Uniform(r, 0.5, 2); }},
                    Sampled{"Subnormals", 50000,
                            [](auto& r) {
                              return std::bit_cast<double>(r() & ((std::uint64_t{1} << 52) - 1)) + 4.9e-324;
                            }},
                    Sampled{"Extremes", 3000,
                            [](auto& r) {
                              const double edges[] = {std::numeric_limits<double>::denorm_min(),
                                                      std::numeric_limits<double>::min(),
                                                      std::numeric_limits<double>::max()};
                              const double edge = edges[std::uniform_int_distribution<int>(0, 2)(r)];
                              return Next(edge,
                                          std::uniform_int_distribution<int>(edge == edges[0] ? 0 : -500,
                                                                             edge == edges[2] ? 0 : 500)(r));
                            }}),
    [](const testing::TestParamInfo<Sampled>& info) { return std::string(info.param.name); });

// The double-double step and the accurate paths decide only the inputs that
// the steps before them leave undecided; here each is checked alone on
// ordinary inputs too.
TEST(LaterSteps, MatchMpfrEachAlone) {
  const auto exponents = [](std::mt19937_64& r) { return Uniform(r, -746, 710); };
  const auto positives = [](std::mt19937_64& r) {
    for (;;) {
      const double x = std::fabs(AnyBits(r));
      if (std::isfinite(x) && x > 0) return x;
    }
  };
  const struct {
    const char* name;
    Function ours;
    MpfrFunction theirs;
    std::function<double(std::mt19937_64&)> sample;
  } steps[] = {
      {"DoubleDoubleExp", detail::DoubleDoubleExp, mpfr_exp, exponents},
      {"AccurateExp", detail::AccurateExp, mpfr_exp, exponents},
      {"DoubleDoubleLog", detail::DoubleDoubleLog, mpfr_log, positives},
      {"AccurateLog", detail::AccurateLog, mpfr_log, positives},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(Mismatches(step.ours, step.theirs, Sampled{step.name, 0, step.sample}, 10000 * Scale()), 0)
        << step.name;
  }
}

// Inputs whose results lie so near a midpoint between two doubles that only
// the accurate path decides them: the published worst case of the binary64
// exponential (Lefèvre and Muller; 2^-58.6 of a unit in the last place from a
// midpoint), and the hardest inputs of an MPFR search over 1.5 million
// inputs of each function (2^-18.9 to 2^-27 of a unit).
TEST(HardToRound, MatchMpfr) {
  const struct {
    Function ours;
    MpfrFunction theirs;
    double x;
  } cases[] = {
      {CorrectlyRoundedExp, mpfr_exp, 7.5417527749959590085206221e-10},
      {CorrectlyRoundedExp, mpfr_exp, 0x1.e01cd143c57cp+1},
      {CorrectlyRoundedExp, mpfr_exp, -0x1.07c077df72a18p+3},
      {CorrectlyRoundedLog, mpfr_log, 0x1.9e530789b092fp+18},
      {CorrectlyRoundedLog, mpfr_log, 0x1.2fa63e3b7d796p+28},
      {CorrectlyRoundedLog, mpfr_log, 0x1.3966ce91b6a3bp-28},
  };
  Reference reference;
  for (const auto& c : cases) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(c.ours(c.x)),
              std::bit_cast<std::uint64_t>(reference(c.theirs, c.x)))
        << std::hexfloat << c.x;
  }
}

// Phi(x) = erfc(-x/sqrt 2)/2, and its error in units in the last place of
// the true value, at 256 bits and with MPFR's widest exponents: far in the
// tails, Phi and the differences from it lie below the doubles' subnormals.
class NormalReference {
 public:
  NormalReference() {
    mpfr_set_emin(mpfr_get_emin_min());
    mpfr_set_emax(mpfr_get_emax_max());
    mpfr_inits2(256, x_, y_, root2_, (mpfr_ptr) nullptr);
    mpfr_sqrt_ui(root2_, 2, MPFR_RNDN);
  }
  ~NormalReference() { mpfr_clears(x_, y_, root2_, (mpfr_ptr) nullptr); }
  NormalReference(const NormalReference&) = delete;
  NormalReference& operator=(const NormalReference&) = delete;

  // Phi at x_ into y_.
  void Cdf() {
    mpfr_div(y_, x_, root2_, MPFR_RNDN);
    mpfr_neg(y_, y_, MPFR_RNDN);
    mpfr_erfc(y_, y_, MPFR_RNDN);
    mpfr_div_2ui(y_, y_, 1, MPFR_RNDN);
  }

  double CdfUlps(double x, double ours) {
    mpfr_set_d(x_, x, MPFR_RNDN);
    Cdf();
    return UlpsFrom(ours);
  }

  // |Phi(x) - p| in units of the smallest subnormal.
  double CdfSubnormalsFrom(double x, double p) {
    mpfr_set_d(x_, x, MPFR_RNDN);
    Cdf();
    mpfr_sub_d(y_, y_, p, MPFR_RNDN);
    mpfr_mul_2ui(y_, y_, 1074, MPFR_RNDN);
    return std::fabs(mpfr_get_d(y_, MPFR_RNDN));
  }

  double QuantileUlps(double p, double ours) {
    QuantileInto(p, ours);
    return UlpsFrom(ours);
  }

  double QuantileError(double p, double ours) {
    QuantileInto(p, ours);
    mpfr_sub_d(y_, y_, ours, MPFR_RNDN);
    return std::fabs(mpfr_get_d(y_, MPFR_RNDN));
  }

 private:
  // The x with Phi(x) = p into y_, by Newton's iteration from ours at 256 bits.
  void QuantileInto(double p, double ours) {
    mpfr_t phi;
    mpfr_init2(phi, 256);
    mpfr_set_d(x_, ours, MPFR_RNDN);
    for (int i = 0; i < 4; ++i) {
      Cdf();
      mpfr_sub_d(y_, y_, p, MPFR_RNDN);
      mpfr_sqr(phi, x_, MPFR_RNDN);
      mpfr_div_si(phi, phi, -2, MPFR_RNDN);
      mpfr_exp(phi, phi, MPFR_RNDN);
      mpfr_mul(y_, y_, root2_, MPFR_RNDN);
      mpfr_const_pi(root2_, MPFR_RNDN);
      mpfr_sqrt(root2_, root2_, MPFR_RNDN);
      mpfr_mul(y_, y_, root2_, MPFR_RNDN);  // (Phi - p) sqrt(2 pi)
      mpfr_sqrt_ui(root2_, 2, MPFR_RNDN);
      mpfr_div(y_, y_, phi, MPFR_RNDN);
      mpfr_sub(x_, x_, y_, MPFR_RNDN);
    }
    mpfr_clear(phi);
    mpfr_set(y_, x_, MPFR_RNDN);
  }

  double UlpsFrom(double ours) {
    const double truth = mpfr_get_d(y_, MPFR_RNDN);
    const double unit =
        std::nextafter(std::fabs(truth), std::numeric_limits<double>::infinity()) - std::fabs(truth);
    mpfr_sub_d(y_, y_, ours, MPFR_RNDN);
    return std::fabs(mpfr_get_d(y_, MPFR_RNDN)) / unit;
  }

  mpfr_t x_;
  mpfr_t y_;
  mpfr_t root2_;
};

struct Bounded {
  const char* name;
  double low;
  double high;
  double ulps;  // the bound stated beside the function
  long count;   // MPFR's erfc slows down far in the tails
  // Where set, the bound is on the error itself instead (near the median,
  // where the quantile nears 0).
  double absolute = 0;
  // Where set, for a subnormal p, the bound is also met by Phi at the
  // quantile within this many units of the smallest subnormal of p.
  double subnormals = 0;
};

void PrintTo(const Bounded& b, std::ostream* os) { *os << b.name; }

class NormalCdfWithinItsBound : public testing::TestWithParam<Bounded> {};

// Down to where Phi leaves the normal range, the far tails that a target far
// from the median reaches, and below it to where Phi is 0 (units there are
// the smallest subnormal's).
TEST_P(NormalCdfWithinItsBound, AgainstMpfr) {
  NormalReference reference;
  std::mt19937_64 random(std::hash<std::string>{}(GetParam().name));
  double worst = 0;
  for (long i = 0; i < GetParam().count * Scale(); ++i) {
    const double x = Uniform(random, GetParam().low, GetParam().high);
    const double ulps = reference.CdfUlps(x, NormalCdf(x));
    ASSERT_LE(ulps, GetParam().ulps) << std::hexfloat << x;
    worst = std::max(worst, ulps);
  }
  RecordProperty("worst_ulps", std::to_string(worst));
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, NormalCdfWithinItsBound,
    testing::Values(Bounded{"Central", -0.5, 0.5, 4, 20000}, Bounded{"NearTheMedian", -2, -0.5, 4, 20000},
                    Bounded{"LowerTail", -8, -2, 4, 10000}, Bounded{"FarLowerTail", -37.5, -8, 4, 1000},
                    Bounded{"UpperHalf", 0.5, 9, 4, 10000}, Bounded{"Subnormal", -40, -37.5, 4, 1000}),
    [](const auto& info) { return std::string(info.param.name); });

class NormalQuantileWithinItsBound : public testing::TestWithParam<Bounded> {};

// p from the two ends of the range, spread over the decades.
TEST_P(NormalQuantileWithinItsBound, AgainstMpfr) {
  NormalReference reference;
  std::mt19937_64 random(std::hash<std::string>{}(GetParam().name));
  for (long i = 0; i < GetParam().count * Scale(); ++i) {
    double p = std::exp2(Uniform(random, GetParam().low, GetParam().high));
    if (GetParam().name[0] == 'U') p = 1 - p;
    const double ours = NormalQuantile(p);
    ASSERT_TRUE(std::isfinite(ours)) << std::hexfloat << p;
    if (GetParam().absolute > 0) {
      ASSERT_LE(reference.QuantileError(p, ours), GetParam().absolute) << std::hexfloat << p;
    } else if (reference.QuantileUlps(p, ours) > GetParam().ulps) {
      ASSERT_GT(GetParam().subnormals, 0) << "beyond the bound in units at " << std::hexfloat << p;
      ASSERT_LE(reference.CdfSubnormalsFrom(ours, p), GetParam().subnormals) << std::hexfloat << p;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Ranges, NormalQuantileWithinItsBound,
                         testing::Values(Bounded{"LowerLevels", -22, -2, 8, 3000},
                                         Bounded{"FarLowerTail", -1000, -22, 8, 200},
                                         Bounded{"UpperLevels", -22, -2, 8, 3000},
                                         Bounded{"SubnormalLevels", -1074, -1022, 8, 300, 0, 1},
                                         Bounded{"LowerCentral", -2, -1, 0, 3000, 0x1p-50},
                                         Bounded{"UpperCentral", -2, -1, 0, 3000, 0x1p-50}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SpecialValues, FollowIeee) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(CorrectlyRoundedExp(0), 1);
  EXPECT_EQ(CorrectlyRoundedExp(-0.0), 1);
  EXPECT_EQ(CorrectlyRoundedExp(inf), inf);
  EXPECT_EQ(CorrectlyRoundedExp(-inf), 0);
  EXPECT_EQ(CorrectlyRoundedExp(710), inf);
  EXPECT_TRUE(std::isnan(CorrectlyRoundedExp(std::nan(""))));
  EXPECT_EQ(CorrectlyRoundedLog(1), 0);
  EXPECT_FALSE(std::signbit(CorrectlyRoundedLog(1)));
  EXPECT_EQ(CorrectlyRoundedLog(0), -inf);
  EXPECT_EQ(CorrectlyRoundedLog(inf), inf);
  EXPECT_TRUE(std::isnan(CorrectlyRoundedLog(-1)));
  EXPECT_TRUE(std::isnan(CorrectlyRoundedLog(std::nan(""))));
  EXPECT_EQ(NormalCdf(inf), 1);
  EXPECT_EQ(NormalCdf(-inf), 0);
  EXPECT_EQ(NormalCdf(1e200), 1);
  EXPECT_EQ(NormalCdf(-1e200), 0);
  EXPECT_EQ(NormalCdf(40), 1);
  EXPECT_TRUE(std::isnan(NormalCdf(std::nan(""))));
}

// Bit for bit: the median's 0 is +0, and a NaN comes back as it went in.
TEST(SpecialValues, OfTheNormalQuantile) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::nan("");
  const struct {
    double p;
    double x;
  } cases[] = {{0, -inf},  {-0.0, -inf}, {-1e-300, -inf}, {-1, -inf}, {-inf, -inf}, {1, inf},
               {1.5, inf}, {2, inf},     {1e300, inf},    {inf, inf}, {0.5, 0},     {nan, nan}};
  for (const auto& c : cases) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(NormalQuantile(c.p)), std::bit_cast<std::uint64_t>(c.x)) << c.p;
  }
}

// The quantile of 1 - p is minus that of p exactly, wherever 1 - p is exact.
TEST(NormalQuantile, IsOddAboutTheMedian) {
  const double levels[] = {0x1p-53, 1e-15, 1e-8, 1e-3, 0.01, 0.025, 0.05,      0.1,
                           0.2,     0.25,  0.3,  0.4,  0.45, 0.49,  0.4999999, 0x1.ffffffffffffep-2};
  for (const double level : levels) {
    const double p = 1 - (1 - level);  // a multiple of 2^-53, so that 1 - p is exact
    ASSERT_EQ(1 - (1 - p), p);
    EXPECT_EQ(NormalQuantile(1 - p), -NormalQuantile(p)) << std::hexfloat << p;
    EXPECT_LT(NormalQuantile(p), 0) << std::hexfloat << p;
  }
}

// Where Phi's values are subnormal: finite quantiles, below the smallest
// normal's and above where Phi rounds to 0.
TEST(NormalQuantile, IsFiniteForSubnormalLevels) {
  const double smallestNormal = NormalQuantile(std::numeric_limits<double>::min());
  for (const double p : {std::numeric_limits<double>::denorm_min(), 1e-323, 1e-320, 1e-315, 1e-310}) {
    const double x = NormalQuantile(p);
    EXPECT_TRUE(std::isfinite(x)) << p;
    EXPECT_LT(x, smallestNormal) << p;
    EXPECT_GT(x, -38.6) << p;  // Phi(-38.6) is below half the smallest subnormal
  }
}

}  // namespace
}  // namespace cotalia
