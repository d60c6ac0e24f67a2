// SPDX-License-Identifier: GPL-3.0-or-later
// Which text box is which field, which label names it, and which action each
// button runs: the toolkit-free half of every front end. Controls are named
// by their position in kControls, looked up while compiling.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "model/simulator_actions.h"
#include "window/form/window_description.h"

namespace cotalia {

struct FieldBinding {
  Field field;
  std::size_t textBox;
  std::size_t label;  // the label whose caption names the field
};

inline constexpr std::array<FieldBinding, kFieldCount> kFieldBindings{{
    {Field::Text1, IndexOfControl("Text1"), IndexOfControl("Label1")},
    {Field::Text2, IndexOfControl("Text2"), IndexOfControl("Label2")},
    {Field::Text3, IndexOfControl("Text3"), IndexOfControl("D")},
    {Field::Text4, IndexOfControl("Text4"), IndexOfControl("Label3")},
    {Field::Text5, IndexOfControl("Text5"), IndexOfControl("Label6")},
    {Field::Text6, IndexOfControl("Text6"), IndexOfControl("Label7")},
    {Field::Text7, IndexOfControl("Text7"), IndexOfControl("Label4")},
    {Field::Text8, IndexOfControl("Text8"), IndexOfControl("Label5")},
    {Field::Text9, IndexOfControl("Text9"), IndexOfControl("Label8")},
    {Field::Text10, IndexOfControl("Text10"), IndexOfControl("Label9")},
}};

using Action = void (*)(FieldAccess&);

struct ButtonBinding {
  std::size_t button;
  Action action;
};

inline constexpr std::array<ButtonBinding, 7> kButtonBindings{{
    {IndexOfControl("Command1"), ComputeLogMean},
    {IndexOfControl("Command2"), ComputeLogDeviation},
    {IndexOfControl("Command3"), ComputeMinimumPrice},
    {IndexOfControl("Command4"), ComputeMaximumPrice},
    {IndexOfControl("Command5"), ComputeExpectedPrice},
    {IndexOfControl("Command6"), ComputePriceDeviation},
    {IndexOfControl("Command7"), ClearFields},
}};

// The caption of the label that names the field, which screen readers announce
// for its text box.
constexpr std::string_view AccessibleNameOf(const FieldBinding& binding) {
  return kControls[binding.label].caption;
}

// The order in which to create the controls where it is their z-order, as on
// Windows: the dialog manager steps the Tab key through the tab stops in
// z-order, and screen readers (through MSAA) name an edit box after the
// nearest static text before it in z-order. So: tab-index order, except that
// each label that names a text box comes immediately before that box. Labels
// are not tab stops, so moving them leaves the Tab path as it is.
std::array<std::size_t, kControls.size()> CreationOrder();

}  // namespace cotalia
