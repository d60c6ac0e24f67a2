#include "window_description.h"

#include <algorithm>

namespace cotalia {

std::array<const ControlDescription*, 17> FocusOrder() {
  std::array<const ControlDescription*, 17> order{};
  auto next = order.begin();
  for (const ControlDescription& control : kControls) {
    if (control.kind != ControlKind::Label) *next++ = &control;
  }
  std::sort(order.begin(), order.end(), [](const ControlDescription* a, const ControlDescription* b) {
    return a->tabIndex < b->tabIndex;
  });
  return order;
}

}  // namespace cotalia
