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
  Cancel();
  thread_.join();
}

std::optional<EstimationState> BackgroundReading::TakeOutcome() {
  if (!done_.load(std::memory_order_acquire)) return std::nullopt;
  return std::exchange(outcome_, std::nullopt);
}

void EstimationSession::OpenFile(std::filesystem::path path) {
  Start([path = std::move(path)](const ReadProgress& progress) { return ReadPriceFile(path, progress); });
}

void EstimationSession::OpenText(std::string text) {
  Start([text = std::move(text)](const ReadProgress& progress) { return ReadPriceText(text, progress); });
}

void EstimationSession::ChooseColumn(std::size_t column) {
  const auto* loaded = std::get_if<LoadedPrices>(&state_);
  if (loaded == nullptr || column == loaded->column) return;
  Start([loaded = *loaded, column](const ReadProgress& progress) {
    return ReadPriceColumn(loaded, column, progress);
  });
}

void EstimationSession::Cancel() { reading_.reset(); }

bool EstimationSession::Poll() {
  if (reading_ == nullptr) return false;
  std::optional<EstimationState> outcome = reading_->TakeOutcome();
  if (!outcome) return false;
  const bool cancelled = reading_->Cancelled();
  reading_.reset();
  if (cancelled) return false;
  state_ = std::move(*outcome);
  return true;
}

void EstimationSession::Start(BackgroundReading::Job job) {
  reading_.reset();
  reading_ = std::make_unique<BackgroundReading>(std::move(job));
}

}  // namespace cotalia
