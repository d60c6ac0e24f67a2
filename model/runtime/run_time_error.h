// SPDX-License-Identifier: GPL-3.0-or-later
// The one error type of the program: a code and its Spanish description.
// Every failure of the model and of a toolkit's field access is thrown as a
// RunTimeError, and only the error edge of the window catches it.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace cotalia {

// The codes the model raises.
enum ErrorCode : std::int32_t {
  kInvalidCall = 5,
  kOverflow = 6,
  kDivisionByZero = 11,
  kTypeMismatch = 13,
};

class RunTimeError : public std::exception {
 public:
  // The description is the standard Spanish wording for the code.
  explicit RunTimeError(std::int32_t code);
  RunTimeError(std::int32_t code, std::string description);

  std::int32_t code() const noexcept { return code_; }
  const std::string& description() const noexcept { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  std::int32_t code_;
  std::string description_;
};

// The standard Spanish wording for a code; a generic one for codes the model
// does not raise itself.
std::string DescriptionOfCode(std::int32_t code);

}  // namespace cotalia
