// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_description.h"

#include <algorithm>

namespace cotalia {

std::size_t IndexOfControl(std::string_view name) {
  const auto control = std::find_if(kControls.begin(), kControls.end(),
                                    [name](const ControlDescription& c) { return c.name == name; });
  return static_cast<std::size_t>(control - kControls.begin());
}

std::array<std::size_t, kControls.size()> TabOrder(const ControlTable& controls) {
  std::array<std::size_t, kControls.size()> order{};
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&controls](std::size_t a, std::size_t b) {
    return controls[a].tabIndex < controls[b].tabIndex;
  });
  return order;
}

}  // namespace cotalia
