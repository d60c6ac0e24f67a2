#include "wiring.h"

#include <algorithm>

#include "window_description.h"

namespace cotalia {

std::string_view AccessibleNameOf(const FieldBinding& binding) {
  const auto label = std::find_if(kControls.begin(), kControls.end(), [&](const ControlDescription& control) {
    return control.name == binding.label;
  });
  return label->caption;
}

}  // namespace cotalia
