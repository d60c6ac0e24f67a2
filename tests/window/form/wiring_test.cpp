// SPDX-License-Identifier: GPL-3.0-or-later
// The toolkit-free parts of the window that both front ends build on: twips
// to pixels, the tab order and the creation order.
#include "window/form/wiring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "window/form/window_description.h"

namespace cotalia {
namespace {

TEST(PixelsOfTwips, RoundsAsMulDivAtEveryDpi) {
  const struct {
    int twips;
    int dpi;
    int pixels;
  } cases[] = {{1335, 96, 89},   {11265, 96, 751}, {4710, 96, 314}, {1335, 144, 134}, {1335, 120, 111},
               {4710, 192, 628}, {7, 96, 0},       {8, 96, 1},      {-8, 96, -1},     {0, 288, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(PixelsOfTwips(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi << " dpi";
  }
}

// The window's table happens to list its controls in tab-index order; the
// order must come from the tab indexes all the same.
TEST(TabOrder, FollowsTheTabIndexesNotTheTable) {
  ControlTable reversed = kControls;
  std::reverse(reversed.begin(), reversed.end());
  const auto order = TabOrder(reversed);
  for (std::size_t i = 0; i < order.size(); ++i) EXPECT_EQ(reversed[order[i]].tabIndex, static_cast<int>(i));
}

std::vector<std::size_t> WithoutLabels(const std::array<std::size_t, kControls.size()>& order) {
  std::vector<std::size_t> stops;
  for (const std::size_t index : order) {
    if (kControls[index].kind != ControlKind::Label) stops.push_back(index);
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
