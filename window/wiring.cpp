// SPDX-License-Identifier: GPL-3.0-or-later
#include "wiring.h"

#include "window_description.h"

namespace cotalia {

std::string_view AccessibleNameOf(const FieldBinding& binding) {
  return kControls[IndexOfControl(binding.label)].caption;
}

}  // namespace cotalia
