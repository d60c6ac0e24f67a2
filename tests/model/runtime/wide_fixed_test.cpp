// SPDX-License-Identifier: GPL-3.0-or-later
// The double-width arithmetic of the accurate paths, at the carries that a
// 32-bit-halves product or division can get wrong. The MPFR comparisons prove
// the paths on the build machine; these rows run on every processor.
#include "model/runtime/wide_fixed.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace cotalia::wide {
namespace {

constexpr Limb kMax = ~Limb{0};

TEST(MultiplyAdd, GivesTheWhole128BitResult) {
  const struct {
    const char* name;
    Limb a, b, addend1, addend2;
    Limb low, high;
  } cases[] = {
      {"Largest", kMax, kMax, kMax, kMax, kMax, kMax},
      {"HalvesCarryIntoTheHighLimb", 0xFFFF'FFFFu, 0xFFFF'FFFFu, 0, 0, 0xFFFF'FFFE'0000'0001u, 0},
      {"MiddleTermsCarry", Limb{1} << 32, Limb{1} << 32, 0, 0, 0, 1},
      {"AddendsCarry", 1, 1, kMax, kMax, kMax, 1},
      {"Mixed", 0x1234'5678'9ABC'DEF0u, 0x0FED'CBA9'8765'4321u, kMax, Limb{1} << 63, 0xA236'D88F'E561'8CEFu,
       0x0121'FA00'AD77'D743u},
  };
  for (const auto& c : cases) {
    const LimbPair product = MultiplyAdd(c.a, c.b, c.addend1, c.addend2);
    EXPECT_EQ(product.low, c.low) << c.name;
    EXPECT_EQ(product.high, c.high) << c.name;
  }
}

TEST(Fixed, CarriesAndDividesAcrossEveryLimb) {
  using Fixed3 = Fixed<3>;
  const Fixed3 justBelowOne = Fixed3::One() - Fixed3::Ulps(Fixed3::kFractionBits);
  EXPECT_EQ(justBelowOne.limbs, (std::array<Limb, 3>{kMax, kMax, 0}));
  EXPECT_EQ((justBelowOne + Fixed3::Ulps(Fixed3::kFractionBits)).limbs, Fixed3::One().limbs);

  Fixed3 large;
  large.limbs = {kMax, kMax, 0x7FFF'FFFF'FFFF'FFFFu};
  EXPECT_EQ(large.DividedBy(0xFFFF'FFFFu).limbs,
            (std::array<Limb, 3>{0x8000'0000'8000'0000u, 0x8000'0000'8000'0000u, 0x8000'0000u}));
  EXPECT_EQ((-large).DividedBy(0xFFFF'FFFFu).limbs, (-large.DividedBy(0xFFFF'FFFFu)).limbs);
  EXPECT_EQ(large.Times(-1).limbs, (-large).limbs);
  // (1 - 2^-128) / 2 truncated: every partial product carries.
  const Fixed3 half = Fixed3::Ulps(1);
  EXPECT_EQ((justBelowOne * half).limbs, (std::array<Limb, 3>{kMax, 0x7FFF'FFFF'FFFF'FFFFu, 0}));
}

}  // namespace
}  // namespace cotalia::wide
