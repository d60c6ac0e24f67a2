// SPDX-License-Identifier: GPL-3.0-or-later
// The price distribution window's behaviour, written once for both
// toolkits: what it reads (the form's four texts, its own boxes and
// choices), what it recomputes on each event, where its reading goes, what
// it writes back (the figures, the percentiles, the chart, the line under
// it) and what "Copiar cifras" copies. A toolkit's window passes it its
// events and shows what it is given through a WindowSurface.
#pragma once

#include <array>
#include <memory>
#include <optional>

#include "model/simulator_actions.h"
#include "window/controls/window_surface.h"
#include "window/distribution/distribution_description.h"
#include "window/distribution/distribution_view.h"
#include "window/form/menu_bar.h"

namespace cotalia {

// The form's inputs that the window reads, and follows every change of:
// the price, the return, the volatility and the months.
inline constexpr std::array<Field, 4> kDistributionFields{Field::Text1, Field::Text2, Field::Text3,
                                                          Field::Text4};

class DistributionSession {
 public:
  // Reads the form through `form`, never writing it, and shows the window
  // on `surface`; both outlive the session.
  DistributionSession(FieldAccess& form, WindowSurface& surface);

  // Reads the form's texts and the window's own inputs again and shows all
  // of it: on opening, and after any of the form's four inputs changed.
  void Refresh();
  // A box's text changed or a choice's button was clicked; other rows'
  // events change nothing.
  void Changed(DistributionControl row);
  // The pointer's x over the chart, in its pixels from its left.
  void PointerAt(double x);
  // A key that moves the reading, pressed on the chart.
  void KeyPressed(ReadoutKey key);
  // A command of the window's menu; false for one the toolkit runs itself
  // (the chart's copy and save, which need its painter and dialogs).
  bool Command(MenuCommand command);

  const DistributionView& view() const { return *view_; }
  const ChartOptions& options() const { return options_; }

 private:
  void ShowReading(const std::optional<ChartReading>& reading, bool newView);

  FieldAccess& form_;
  WindowSurface& surface_;
  // Shared with the chart's drawer, which draws the view it was given.
  std::shared_ptr<const DistributionView> view_;
  ChartOptions options_;
};

}  // namespace cotalia
