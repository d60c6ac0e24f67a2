// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/error_report.h"

namespace cotalia {

std::string ReportTextOf(const RunTimeError& error) {
  return "Se ha producido el error '" + std::to_string(error.code()) + "' en tiempo de ejecución:\n\n" +
         error.description();
}

void ActionRunner::Run(Action action) {
  if (ended_) return;
  try {
    action(fields_);
  } catch (const RunTimeError& error) {
    ended_ = true;
    report_.ShowAndEnd(error);
  }
}

}  // namespace cotalia
