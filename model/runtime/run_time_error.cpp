// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/runtime/run_time_error.h"

#include <utility>

namespace cotalia {

RunTimeError::RunTimeError(std::int32_t code) : RunTimeError(code, DescriptionOfCode(code)) {}

RunTimeError::RunTimeError(std::int32_t code, std::string description)
    : code_(code), description_(std::move(description)) {}

std::string DescriptionOfCode(std::int32_t code) {
  switch (code) {
    case kInvalidCall:
      return "Llamada a procedimiento o argumento no válidos";
    case kOverflow:
      return "Desbordamiento";
    case kDivisionByZero:
      return "División por cero";
    case kTypeMismatch:
      return "No coinciden los tipos";
    default:
      return "Error de la aplicación";
  }
}

}  // namespace cotalia
