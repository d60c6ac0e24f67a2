// SPDX-License-Identifier: GPL-3.0-or-later
// The estimation window's behaviour, once for both toolkits: what it reads
// (a file opened or dropped, text pasted, another column of the same table)
// on a thread of its own, how the reading is polled and when its progress
// and its Cancelar button show, what the window shows of the state, and
// what the figures' copy and "Usar en el formulario" give. The toolkit's
// window builds the controls from kEstimationControls, passes on the user's
// acts and its timer's ticks, and shows what the session writes through the
// WindowSurface; the form is written only through its FieldAccess, and only
// when the user asks.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "model/simulator_actions.h"
#include "window/controls/window_surface.h"
#include "window/estimation/background_reading.h"
#include "window/estimation/estimation_description.h"
#include "window/estimation/estimation_view.h"
#include "window/form/menu_bar.h"

namespace cotalia {

class EstimationSession {
 public:
  // How often a reading is asked how far it has come, and after how many
  // asks its progress is shown: a reading done within a moment shows none.
  static constexpr std::chrono::milliseconds kPollInterval{50};
  static constexpr int kPollsBeforeProgress = 6;

  // Writes the form through `form` only when the user asks, and shows the
  // window on `surface`; both outlive the session.
  EstimationSession(FieldAccess& form, WindowSurface& surface);

  // Shows the state, nothing read at first, without a reading's progress:
  // once the window's controls are made.
  void Show();

  // Starts a reading; one at a time, so a new one cancels the one before.
  void OpenFile(std::filesystem::path path);
  void OpenText(std::string text);
  void Read(BackgroundReading::Job job);

  // A box's text changed or a choice's button was clicked; an item of a
  // list was chosen; a button was pressed. Other rows' events change
  // nothing.
  void Changed(EstimationControl row);
  void ItemChosen(EstimationControl row, std::size_t index);
  void Pressed(EstimationControl row);
  // A command of the window's menu; false for one the toolkit runs itself
  // (the chart's copy and save, which need its painter and dialogs).
  bool Command(MenuCommand command);
  // Esc or the close box: a reading under way stops, the state stays.
  void Closing();

  // The toolkit's timer runs at this interval while there is one, and
  // calls Tick at each turn; it is asked again after every call above.
  std::optional<std::chrono::milliseconds> PollInterval() const;
  void Tick();

  // The chart that a chart command of the menu takes: the one with the
  // focus, else the history.
  static EstimationControl ChartOfCommand(std::optional<EstimationControl> focused);

  bool Reading() const { return reading_ != nullptr; }
  const EstimationView& view() const { return view_; }

 private:
  void Start(BackgroundReading::Job job);
  void StartPolling();
  void Poll();
  void ShowState(bool periodsFromDates);
  void Refresh();
  void ShowNote();
  void UseInForm();
  void Cancel();

  FieldAccess& form_;
  WindowSurface& surface_;
  EstimationState state_;
  EstimationView view_;
  std::unique_ptr<BackgroundReading> reading_;
  int pollsWhileReading_ = 0;
  // The reading under way is another column of the table shown, whose
  // periods a year (typed or found) stay.
  bool sameTable_ = false;
  // The line above the note: what the last failed reading or Usar en el
  // formulario did; cleared by the next change.
  std::string status_;
};

}  // namespace cotalia
