// SPDX-License-Identifier: GPL-3.0-or-later
// The numeric runtime that the actions and the windows use: numbers in and
// out of field texts, the few functions the actions need, the floating-point
// checks, and the one error type of the program. Every operation either gives
// its answer or throws RunTimeError; none of them keeps state apart from the
// floating-point status flags of the calling thread.
#pragma once

#include "model/runtime/checked_functions.h"
#include "model/runtime/float_status.h"
#include "model/runtime/number_text.h"
#include "model/runtime/run_time_error.h"
