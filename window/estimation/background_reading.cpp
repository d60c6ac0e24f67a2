// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/estimation/background_reading.h"

#include <utility>

namespace cotalia {

BackgroundReading::BackgroundReading(Job job)
    : thread_([this, job = std::move(job)] {
        const ReadProgress progress = [this](double done) {
          progress_.store(done, std::memory_order_relaxed);
          return !cancelled_.load(std::memory_order_relaxed);
        };
        outcome_ = job(progress);
        done_.store(true, std::memory_order_release);
      }) {}

BackgroundReading::~BackgroundReading() {
  cancelled_.store(true, std::memory_order_relaxed);
  thread_.join();
}

std::optional<EstimationState> BackgroundReading::TakeOutcome() {
  if (!done_.load(std::memory_order_acquire)) return std::nullopt;
  return std::exchange(outcome_, std::nullopt);
}

}  // namespace cotalia
