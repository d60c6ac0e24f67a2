// SPDX-License-Identifier: GPL-3.0-or-later
// The toolkit-free parts of the window that both front ends build on: the
// creation order.
#include "window/form/wiring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "window/form/window_description.h"

namespace cotalia {
namespace {

std::vector<std::size_t> WithoutLabels(const std::array<std::size_t, kControls.size()>& order) {
  std::vector<std::size_t> stops;
  for (const std::size_t index : order) {
    if (kControls[index].role != ControlRole::CentredLabel) stops.push_back(index);
  }
  return stops;
}

TEST(CreationOrder, PutsEachNamingLabelJustBeforeItsBoxAndKeepsTheTabPath) {
  const auto order = CreationOrder();
  auto sorted = order;
  std::sort(sorted.begin(), sorted.end());
  for (std::size_t i = 0; i < sorted.size(); ++i) ASSERT_EQ(sorted[i], i) << "every control once";
  for (const FieldBinding& binding : kFieldBindings) {
    const auto box = std::find(order.begin(), order.end(), binding.textBox);
    ASSERT_NE(box, order.begin());
    EXPECT_EQ(*(box - 1), binding.label) << kControls[binding.textBox].name;
  }
  EXPECT_EQ(WithoutLabels(order), WithoutLabels(TabOrder()));
}

}  // namespace
}  // namespace cotalia
