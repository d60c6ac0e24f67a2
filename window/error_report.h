// SPDX-License-Identifier: GPL-3.0-or-later
// What happens when an action fails: the error leaves the action unchanged,
// is caught by ActionRunner, the one place that catches it, and is shown to
// the user by the front end's ErrorReport, after which the program ends.
#pragma once

#include <string>

#include "model/numeric_runtime.h"
#include "window/form/wiring.h"

namespace cotalia {

// The exit status of a program ended by a run-time error. Error codes are not
// used as the status: a code such as 256 would read as success.
inline constexpr int kFailedExitStatus = 1;

class ErrorReport {
 public:
  virtual ~ErrorReport() = default;
  // Shows the error in a modal message box over the window and, once the user
  // dismisses it, ends the program with kFailedExitStatus.
  virtual void ShowAndEnd(const RunTimeError& error) = 0;
};

// The Spanish text of the report, naming the code and the description.
std::string ReportTextOf(const RunTimeError& error);

// Runs the buttons' actions. Toolkits cannot carry an exception through their
// event loops, so the edge of the event loop is here, where a click is handed
// to the model.
class ActionRunner {
 public:
  ActionRunner(FieldAccess& fields, ErrorReport& report) : fields_(fields), report_(report) {}

  // Does nothing once an error has been reported: the program is ending.
  void Run(Action action);

 private:
  FieldAccess& fields_;
  ErrorReport& report_;
  bool ended_ = false;
};

}  // namespace cotalia
