// SPDX-License-Identifier: GPL-3.0-or-later
// A painted chart as screen readers see it through MSAA: a window's own
// text gives it a name, but nothing gives it a description, so the chart
// answers WM_GETOBJECT with the system's object for its window, named and
// described as it is given, in the role of a chart. A line of text that the
// window rewrites (a chart's reading) answers the same way as static text:
// its own text would be its name, which changes with each reading, so it is
// named once for what it is, and its text is its value and description.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace cotalia {

// What the chart shows, in words, now; none once the chart is gone.
using ChartDescription = std::optional<std::string> (*)(HWND chart);

// The answer to the chart's WM_GETOBJECT for its client area (OBJID_CLIENT);
// `name` outlives the chart.
LRESULT AccessibleChartObject(HWND chart, WPARAM wParam, std::string_view name, ChartDescription describe);
// The same for a line of text: ROLE_SYSTEM_STATICTEXT, `describe` giving
// its value as well.
LRESULT AccessibleLineObject(HWND line, WPARAM wParam, std::string_view name, ChartDescription describe);

}  // namespace cotalia
