// SPDX-License-Identifier: GPL-3.0-or-later
// Signed fixed-point numbers of L 64-bit limbs: one limb of integer part and
// L - 1 limbs of fraction, in two's complement. Only the accurate paths of the
// exponential and the logarithm use them, where a few hundred bits are needed
// to decide how a result rounds.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace cotalia::wide {

using Limb = std::uint64_t;

// Standard C++ has no 128-bit integer, so the carries and the double-width
// products are built from 64-bit operations and 32-bit halves.

// a + b + carry, with carry (0 or 1) replaced by the carry out.
inline Limb AddWithCarry(Limb a, Limb b, Limb& carry) {
  const Limb partial = a + b;
  const Limb sum = partial + carry;
  carry = static_cast<Limb>(partial < a) + static_cast<Limb>(sum < partial);
  return sum;
}

struct LimbPair {
  Limb low;
  Limb high;
};

// The full 128-bit product a * b + addend1 + addend2, which cannot overflow:
// (2^64 - 1)^2 + 2 (2^64 - 1) = 2^128 - 1.
inline LimbPair MultiplyAdd(Limb a, Limb b, Limb addend1, Limb addend2) {
  constexpr Limb kHalf = 0xFFFF'FFFFu;
  const Limb aLow = a & kHalf;
  const Limb aHigh = a >> 32;
  const Limb bLow = b & kHalf;
  const Limb bHigh = b >> 32;
  const Limb lowLow = aLow * bLow;
  const Limb lowHigh = aLow * bHigh;
  const Limb highLow = aHigh * bLow;
  // Below 3 * 2^32: no overflow.
  const Limb middle = (lowLow >> 32) + (lowHigh & kHalf) + (highLow & kHalf);
  LimbPair product{(middle << 32) | (lowLow & kHalf),
                   aHigh * bHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32)};
  Limb carry = 0;
  product.low = AddWithCarry(product.low, addend1, carry);
  product.high += carry;
  carry = 0;
  product.low = AddWithCarry(product.low, addend2, carry);
  product.high += carry;
  return product;
}

template <std::size_t L>
struct Fixed {
  static_assert(L >= 2);
  static constexpr int kFractionBits = 64 * static_cast<int>(L - 1);

  std::array<Limb, L> limbs{};  // least significant first; limbs[L - 1] is the integer part

  static Fixed One() {
    Fixed one;
    one.limbs[L - 1] = 1;
    return one;
  }

  // 2^-bits, for 0 <= bits <= kFractionBits.
  static Fixed Ulps(int bits) {
    Fixed value;
    const int position = kFractionBits - bits;
    value.limbs[static_cast<std::size_t>(position / 64)] = Limb{1} << (position % 64);
    return value;
  }

  // Exact for |value| < 2^63 whose bits all weigh at least 2^-kFractionBits;
  // lower bits are dropped.
  static Fixed FromDouble(double value) {
    Fixed result;
    if (value == 0) return result;
    int exponent = 0;
    const double mantissa = std::frexp(std::fabs(value), &exponent);  // value = mantissa * 2^exponent
    const auto bits = static_cast<Limb>(std::ldexp(mantissa, 53));    // 53-bit integer
    // value = bits * 2^(exponent - 53): bit 0 of `bits` lands at this position.
    const int position = exponent - 53 + kFractionBits;
    for (int bit = 0; bit < 53; ++bit) {
      const int at = position + bit;
      if (((bits >> bit) & 1) != 0 && at >= 0) {
        result.limbs[static_cast<std::size_t>(at / 64)] |= Limb{1} << (at % 64);
      }
    }
    return value < 0 ? -result : result;
  }

  bool IsNegative() const { return (limbs[L - 1] >> 63) != 0; }

  bool IsZero() const {
    for (const Limb limb : limbs) {
      if (limb != 0) return false;
    }
    return true;
  }

  Fixed operator-() const {
    Fixed result;
    Limb carry = 1;
    for (std::size_t i = 0; i < L; ++i) result.limbs[i] = AddWithCarry(~limbs[i], 0, carry);
    return result;
  }

  Fixed Magnitude() const { return IsNegative() ? -*this : *this; }

  friend Fixed operator+(const Fixed& a, const Fixed& b) {
    Fixed result;
    Limb carry = 0;
    for (std::size_t i = 0; i < L; ++i) result.limbs[i] = AddWithCarry(a.limbs[i], b.limbs[i], carry);
    return result;
  }

  friend Fixed operator-(const Fixed& a, const Fixed& b) { return a + -b; }

  // Arithmetic shift towards minus infinity.
  Fixed ShiftedRight(int bits) const {
    Fixed result;
    const Limb fill = IsNegative() ? ~Limb{0} : 0;
    const auto whole = static_cast<std::size_t>(bits / 64);
    const int part = bits % 64;
    for (std::size_t i = 0; i < L; ++i) {
      const Limb low = i + whole < L ? limbs[i + whole] : fill;
      const Limb high = i + whole + 1 < L ? limbs[i + whole + 1] : fill;
      result.limbs[i] = part == 0 ? low : (low >> part) | (high << (64 - part));
    }
    return result;
  }

  // Truncated towards zero; the magnitudes' product must stay below 2^63.
  friend Fixed operator*(const Fixed& a, const Fixed& b) {
    const Fixed x = a.Magnitude();
    const Fixed y = b.Magnitude();
    std::array<Limb, 2 * L> product{};
    for (std::size_t i = 0; i < L; ++i) {
      Limb carry = 0;
      for (std::size_t j = 0; j < L; ++j) {
        const LimbPair sum = MultiplyAdd(x.limbs[i], y.limbs[j], product[i + j], carry);
        product[i + j] = sum.low;
        carry = sum.high;
      }
      product[i + L] = carry;
    }
    Fixed result;
    for (std::size_t i = 0; i < L; ++i) result.limbs[i] = product[i + L - 1];
    return a.IsNegative() != b.IsNegative() ? -result : result;
  }

  // Truncated towards zero. A divisor below 2^32 keeps every partial
  // dividend, remainder and next 32-bit digit, within 64 bits.
  Fixed DividedBy(std::uint32_t divisor) const {
    const Fixed x = Magnitude();
    Fixed result;
    Limb remainder = 0;
    for (std::size_t i = L; i-- > 0;) {
      const Limb high = (remainder << 32) | (x.limbs[i] >> 32);
      remainder = high % divisor;
      const Limb low = (remainder << 32) | (x.limbs[i] & 0xFFFF'FFFFu);
      remainder = low % divisor;
      result.limbs[i] = ((high / divisor) << 32) | (low / divisor);
    }
    return IsNegative() ? -result : result;
  }

  Fixed Times(std::int64_t factor) const {
    const Limb magnitude = factor < 0 ? static_cast<Limb>(-(factor + 1)) + 1 : static_cast<Limb>(factor);
    const Fixed x = Magnitude();
    Fixed result;
    Limb carry = 0;
    for (std::size_t i = 0; i < L; ++i) {
      const LimbPair sum = MultiplyAdd(x.limbs[i], magnitude, carry, 0);
      result.limbs[i] = sum.low;
      carry = sum.high;
    }
    return IsNegative() != (factor < 0) ? -result : result;
  }

  bool Bit(int position) const {
    if (position < 0 || position >= 64 * static_cast<int>(L)) return false;
    return ((limbs[static_cast<std::size_t>(position / 64)] >> (position % 64)) & 1) != 0;
  }

  bool AnyBitBelow(int position) const {
    if (position <= 0) return false;
    const int limit = std::min(position, 64 * static_cast<int>(L));
    const auto whole = static_cast<std::size_t>(limit / 64);
    for (std::size_t i = 0; i < whole; ++i) {
      if (limbs[i] != 0) return true;
    }
    const int part = limit % 64;
    return part != 0 && (limbs[whole] & ((Limb{1} << part) - 1)) != 0;
  }

  // Position of the highest set bit of a positive value, or -1 for zero.
  int TopBit() const {
    for (std::size_t i = L; i-- > 0;) {
      if (limbs[i] != 0) return static_cast<int>(64 * i) + 63 - std::countl_zero(limbs[i]);
    }
    return -1;
  }
};

// The double nearest to value * 2^scale (ties to even), subnormals included:
// infinity beyond the largest finite double, zero below half the smallest
// subnormal.
template <std::size_t L>
double NearestDouble(const Fixed<L>& value, int scale = 0) {
  if (value.IsNegative()) return -NearestDouble(-value, scale);
  const int top = value.TopBit();
  if (top < 0) return 0;
  // Bit `top` weighs 2^leading.
  const int leading = top - Fixed<L>::kFractionBits + scale;
  const int precision = leading >= -1022 ? 53 : leading + 1074 + 1;
  const int lowest = top - precision + 1;  // lowest kept bit
  std::uint64_t mantissa = 0;
  for (int position = top; position >= lowest; --position)
    mantissa = (mantissa << 1) | (value.Bit(position) ? 1 : 0);
  const bool roundBit = value.Bit(lowest - 1);
  const bool sticky = value.AnyBitBelow(lowest - 1);
  if (roundBit && (sticky || (mantissa & 1) != 0)) ++mantissa;
  return std::ldexp(static_cast<double>(mantissa), lowest - Fixed<L>::kFractionBits + scale);
}

}  // namespace cotalia::wide
