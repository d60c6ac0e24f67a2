// SPDX-License-Identifier: GPL-3.0-or-later
// Which text box is which field, which label names it, and which action each
// button runs: the toolkit-free half of every front end.
#pragma once

#include <array>
#include <string_view>

#include "simulator_actions.h"

namespace cotalia {

struct FieldBinding {
  Field field;
  std::string_view textBox;
  std::string_view label;  // the label whose caption names the field
};

inline constexpr std::array<FieldBinding, kFieldCount> kFieldBindings{{
    {Field::Text1, "Text1", "Label1"},
    {Field::Text2, "Text2", "Label2"},
    {Field::Text3, "Text3", "D"},
    {Field::Text4, "Text4", "Label3"},
    {Field::Text5, "Text5", "Label6"},
    {Field::Text6, "Text6", "Label7"},
    {Field::Text7, "Text7", "Label4"},
    {Field::Text8, "Text8", "Label5"},
    {Field::Text9, "Text9", "Label8"},
    {Field::Text10, "Text10", "Label9"},
}};

using Action = void (*)(FieldAccess&);

struct ButtonBinding {
  std::string_view button;
  Action action;
};

inline constexpr std::array<ButtonBinding, 7> kButtonBindings{{
    {"Command1", ComputeLogMean},
    {"Command2", ComputeLogDeviation},
    {"Command3", ComputeMinimumPrice},
    {"Command4", ComputeMaximumPrice},
    {"Command5", ComputeExpectedPrice},
    {"Command6", ComputePriceDeviation},
    {"Command7", ClearFields},
}};

// The caption of the label that names the field, which screen readers announce
// for its text box.
std::string_view AccessibleNameOf(const FieldBinding& binding);

}  // namespace cotalia
