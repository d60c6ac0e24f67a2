// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/form/wiring.h"

#include <algorithm>

namespace cotalia {

std::array<std::size_t, kControls.size()> CreationOrder() {
  const auto bindingOfLabel = [](std::size_t index) {
    return std::find_if(kFieldBindings.begin(), kFieldBindings.end(),
                        [index](const FieldBinding& binding) { return binding.label == index; });
  };
  std::array<std::size_t, kControls.size()> order{};
  std::size_t next = 0;
  for (const std::size_t index : TabOrder()) {
    if (bindingOfLabel(index) != kFieldBindings.end()) continue;  // placed before its box
    for (const FieldBinding& binding : kFieldBindings) {
      if (binding.textBox == index) order[next++] = binding.label;
    }
    order[next++] = index;
  }
  return order;
}

}  // namespace cotalia
