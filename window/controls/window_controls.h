// SPDX-License-Identifier: GPL-3.0-or-later
// How the program's windows are described, so that the Qt and the Win32
// front ends build each of them from one table: its
// controls in creation order, each with its role, its caption or default
// text, the name a screen reader announces, and its place. A toolkit's file
// only creates a widget for each row and puts it where RectangleOf says.
#pragma once

#include <algorithm>
#include <cstddef>
#include <span>
#include <string_view>

namespace cotalia {

enum class ControlRole {
  Label,         // names the control after it; its caption carries '&' before the mnemonic
  CentredLabel,  // names a field beside or above it, centred, wrapped over two lines where it is too wide
  TextBox,       // a single-line box the user types into; its caption is its default text
  Choice,        // a group titled by its caption of one radio button for each of `choices`, the first checked
  Chart,         // painted from the shared drawing; described for screen readers
  ReadOnlyText,  // lines of figures that can be selected, copied and read by a screen reader
  List,          // one item chosen of a list that the window fills as it runs
  Button,        // a push button; its caption carries '&' before the mnemonic
  Progress,      // how far a long task has come; shown only while it runs, with the button after it
  Note,          // a sentence or two of static text, wrapped, that names no control
};

// A side of a control in pixels at 96 dots per inch, from the near side of
// the client area (its left or top) or from the far side (its right or
// bottom): a control with sides on both grows with the window.
struct Side {
  int pixels;
  bool fromFar = false;
};

struct Place {
  Side left;
  Side top;
  Side right;
  Side bottom;
};

struct Rectangle {
  int left;
  int top;
  int width;
  int height;
};

// Where a control stands in a client area of that size, in pixels at 96 dots
// per inch; never narrower or lower than nothing.
constexpr Rectangle RectangleOf(const Place& place, int clientWidth, int clientHeight) {
  const auto at = [](Side side, int extent) { return side.fromFar ? extent - side.pixels : side.pixels; };
  const int left = at(place.left, clientWidth);
  const int top = at(place.top, clientHeight);
  return {left, top, std::max(at(place.right, clientWidth) - left, 0),
          std::max(at(place.bottom, clientHeight) - top, 0)};
}

// Where the index-th of `count` radio buttons stands inside its group, in the
// group's own pixels: side by side below the group's title.
constexpr Rectangle ChoiceButtonOf(const Rectangle& group, std::size_t index, std::size_t count) {
  constexpr int kInset = 8;
  constexpr int kTitle = 18;
  const int width = count == 0 ? 0 : (group.width - 2 * kInset) / static_cast<int>(count);
  return {kInset + static_cast<int>(index) * width, kTitle, width, std::max(group.height - kTitle - 4, 0)};
}

// One row of a window's table. Rows are in creation order, which is the Tab
// key's order and, on Windows, the z-order: each label stands just before the
// control it names, which screen readers (through MSAA) name after it.
struct WindowControl {
  std::string_view name;  // the object's name, by which tests find it
  ControlRole role;
  std::string_view caption;
  std::string_view accessibleName;  // what a screen reader announces
  Place place;
  std::span<const std::string_view> choices = {};
  // Only the form's rows, which stand in the order its description gives
  // and are created in another (CreationOrder), carry their tab index.
  int tabIndex = -1;
};

struct WindowDescription {
  std::string_view title;
  int width;  // client area, in pixels at 96 dots per inch
  int height;
  std::span<const WindowControl> controls;
};

// A line the window writes rather than the table: a note without a caption,
// named for screen readers, who read its text as its value.
constexpr bool IsWrittenLine(const WindowControl& row) {
  return row.role == ControlRole::Note && row.caption.empty() && !row.accessibleName.empty();
}

// The place in `rows` of the row of that name, by which a window's enum
// names its rows. Evaluated while compiling: a name that is not in the table
// does not compile.
consteval std::size_t RowNamed(std::span<const WindowControl> rows, std::string_view name) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].name == name) return i;
  }
  throw "no row of that name in the table";
}

}  // namespace cotalia
