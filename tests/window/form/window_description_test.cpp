// SPDX-License-Identifier: GPL-3.0-or-later
// The form's table: twips to pixels, the rows made from twips, and the tab
// order.
#include "window/form/window_description.h"

#include <gtest/gtest.h>

#include <algorithm>

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

// Windows' MulDiv for the positive values of a place: rounded to the
// nearest, halves up.
constexpr int MulDivFrom96(int pixels, int dpi) { return (pixels * dpi + kStandardDpi / 2) / kStandardDpi; }

// The Win32 window scales each of a control's left, top, width and height
// from its pixels at 96 dots per inch; at every DPI that gives what the
// twips give, for each is a whole number of pixels.
consteval bool PlacesScaleAsTheirTwips() {
  for (const WindowControl& control : kControls) {
    const Rectangle place = RectangleOf(control.place, kForm.width, kForm.height);
    for (int dpi = 48; dpi <= 480; ++dpi) {
      for (const int pixels : {place.left, place.top, place.width, place.height}) {
        if (MulDivFrom96(pixels, dpi) != PixelsOfTwips(pixels * kTwipsPerInch / kStandardDpi, dpi))
          return false;
      }
    }
  }
  return true;
}
static_assert(PlacesScaleAsTheirTwips());

TEST(FormControl, PlacesTheTwipsInPixelsFromTheTopLeftCorner) {
  const struct {
    WindowControl control;
    Rectangle pixels;
  } cases[] = {
      {FormControl("Label1", ControlRole::CentredLabel, "Valor Actual", 240, 360, 1335, 375, 0),
       {16, 24, 89, 25}},
      {FormControl("Label8", ControlRole::CentredLabel, "Media Dn", 8280, 360, 1575, 255, 22),
       {552, 24, 105, 17}},
      {FormControl("Command6", ControlRole::Button, "Volatilidad Esperada", 9240, 3720, 1935, 375, 21),
       {616, 248, 129, 25}},
  };
  for (const auto& c : cases) {
    // Wherever the client area ends: the form's controls keep their places.
    for (const int width : {kForm.width, 2 * kForm.width}) {
      const Rectangle place = RectangleOf(c.control.place, width, kForm.height);
      EXPECT_EQ(place.left, c.pixels.left) << c.control.name;
      EXPECT_EQ(place.top, c.pixels.top) << c.control.name;
      EXPECT_EQ(place.width, c.pixels.width) << c.control.name;
      EXPECT_EQ(place.height, c.pixels.height) << c.control.name;
    }
  }
}

// Wider than laid out, the form's controls stretch across in proportion, so
// that a box shows more of a long result; their tops and heights stay, and
// at the form's width or less each stands where it was laid out.
TEST(FormPlaceAcross, WidensInProportionOnlyAcross) {
  const struct {
    const char* name;
    int width;
    Rectangle pixels;
  } cases[] = {
      {"Text1", kForm.width, {128, 24, 89, 25}},
      {"Text1", kForm.width / 2, {128, 24, 89, 25}},
      {"Text1", 2 * kForm.width, {256, 24, 178, 25}},
      {"Text9", 2 * kForm.width, {1136, 56, 178, 25}},
      // 568 and 657 pixels times 1000 / 751, each rounded down.
      {"Text9", 1000, {756, 56, 118, 25}},
      {"Command6", 2 * kForm.width, {1232, 248, 258, 25}},
  };
  for (const auto& c : cases) {
    std::size_t row = 0;
    while (kControls[row].name != c.name) ++row;
    const Rectangle place = FormPlaceAcross(kControls[row], c.width);
    EXPECT_EQ(place.left, c.pixels.left) << c.name << " " << c.width;
    EXPECT_EQ(place.top, c.pixels.top) << c.name << " " << c.width;
    EXPECT_EQ(place.width, c.pixels.width) << c.name << " " << c.width;
    EXPECT_EQ(place.height, c.pixels.height) << c.name << " " << c.width;
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

}  // namespace
}  // namespace cotalia
