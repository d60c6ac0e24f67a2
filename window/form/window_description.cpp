// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/form/window_description.h"

#include <algorithm>

namespace cotalia {

std::array<std::size_t, kControls.size()> TabOrder(const ControlTable& controls) {
  std::array<std::size_t, kControls.size()> order{};
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&controls](std::size_t a, std::size_t b) {
    return controls[a].tabIndex < controls[b].tabIndex;
  });
  return order;
}

}  // namespace cotalia
