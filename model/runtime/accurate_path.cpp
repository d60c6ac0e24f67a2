// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/runtime/accurate_path.h"

#include <optional>
#include <type_traits>

#include "model/runtime/elementary_functions.h"

namespace cotalia {

namespace {

using accurate::Wide;

// Rounds value * 2^scale if everything within 2^-(kFractionBits - slack) of
// value rounds to the same double.
template <std::size_t L>
std::optional<double> RoundedIfDecided(const Wide<L>& value, int scale, int slack) {
  const Wide<L> error = Wide<L>::Ulps(Wide<L>::kFractionBits - slack);
  const double low = wide::NearestDouble(value - error, scale);
  const double high = wide::NearestDouble(value + error, scale);
  if (low != high) return std::nullopt;
  return low;
}

// The first precision at which the result's rounding is decided, allowing the
// accurate arithmetic 2^-(kFractionBits - 24) of error.
template <typename Compute>
double FirstDecided(Compute&& compute) {
  const auto decided = [&compute](auto limbs) -> std::optional<double> {
    const auto result = compute(limbs);
    return RoundedIfDecided(result.value, result.scale, 24);
  };
  if (const auto result = decided(std::integral_constant<std::size_t, 3>{})) return *result;
  if (const auto result = decided(std::integral_constant<std::size_t, 5>{})) return *result;
  if (const auto result = decided(std::integral_constant<std::size_t, 9>{})) return *result;
  if (const auto result = decided(std::integral_constant<std::size_t, 17>{})) return *result;
  // Not reached for any double (see the header); the nearest at 1024 bits.
  const auto result = compute(std::integral_constant<std::size_t, 17>{});
  return wide::NearestDouble(result.value, result.scale);
}

}  // namespace

namespace detail {

double AccurateExp(double x) {
  return FirstDecided([x](auto limbs) { return accurate::WideExp<decltype(limbs)::value>(x); });
}

double AccurateLog(double x) {
  return FirstDecided([x](auto limbs) { return accurate::WideLog<decltype(limbs)::value>(x); });
}

}  // namespace detail

}  // namespace cotalia
