// SPDX-License-Identifier: GPL-3.0-or-later
// The shared scenarios in a window's terms: the control that holds a field,
// and the button that runs an action.
#pragma once

#include <string_view>

#include "tests/scenarios.h"
#include "window/form/window_description.h"
#include "window/form/wiring.h"

namespace cotalia::scenarios {

constexpr std::string_view BoxOf(Field field) {
  for (const FieldBinding& binding : kFieldBindings) {
    if (binding.field == field) return kControls[binding.textBox].name;
  }
  return {};
}

constexpr std::string_view ButtonOf(Action action) {
  for (const ButtonBinding& binding : kButtonBindings) {
    if (binding.action == action) return kControls[binding.button].name;
  }
  return {};
}

}  // namespace cotalia::scenarios
