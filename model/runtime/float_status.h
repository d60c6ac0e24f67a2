// SPDX-License-Identifier: GPL-3.0-or-later
// The floating-point status flags that guard the actions' arithmetic: cleared
// after every field access, checked at fixed points.
#pragma once

#include <cfloat>
#include <initializer_list>

// Every double expression must round to double at each step, as it does with
// SSE2 or any 64-bit processor's arithmetic; the x87 unit's 80-bit registers
// would change the last digits. On 32-bit x86, build with -msse2 -mfpmath=sse.
// The model's sources are all built with the same flags, so this one check
// covers them.
static_assert(FLT_EVAL_METHOD == 0,
              "doubles are evaluated in extended precision: build with -msse2 -mfpmath=sse on 32-bit x86");

namespace cotalia {

// Clears the floating-point flags that CheckFloat reports. Called after every
// field access, so that the next check covers only what was computed since.
void ClearFloat();

// Throws for any invalid-operation, division-by-zero or overflow flag raised
// since the last ClearFloat: kDivisionByZero for a division by zero, kOverflow
// otherwise. The values the check guards are passed to it, so the compiler
// must finish computing them before the flags are read; a guarded value that
// is not finite is treated as an overflow too, so that arithmetic the compiler
// moved ahead of the last ClearFloat cannot slip through either.
void CheckFloat(std::initializer_list<double> guarded);

// Throws kOverflow for a guarded value that is not finite, and looks at no
// flag: the check of arithmetic that does not sit between field accesses,
// such as the distribution window's, where no ClearFloat marks the start.
void CheckFinite(std::initializer_list<double> guarded);

}  // namespace cotalia
