// SPDX-License-Identifier: GPL-3.0-or-later
// A reading of prices on a thread of its own, so that the window never
// freezes over a large file: the window's thread starts it, asks how far it
// has come and whether it is done (from a timer), and takes its outcome;
// dropping it stops the reading at its next report of progress. The
// outcome is only ever handed over on the window's thread.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

#include "window/estimation/estimation_view.h"

namespace cotalia {

class BackgroundReading {
 public:
  using Job = std::function<EstimationState(const ReadProgress&)>;

  explicit BackgroundReading(Job job);
  ~BackgroundReading();  // stops the job, and waits for the thread
  BackgroundReading(const BackgroundReading&) = delete;
  BackgroundReading& operator=(const BackgroundReading&) = delete;

  double Progress() const { return progress_.load(std::memory_order_relaxed); }
  // The outcome, once the job is done; none while it runs.
  std::optional<EstimationState> TakeOutcome();

 private:
  std::atomic<double> progress_{0};
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> done_{false};
  std::optional<EstimationState> outcome_;  // written by the thread before done_, read after
  std::thread thread_;
};

}  // namespace cotalia
