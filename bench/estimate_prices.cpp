// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a price file as the estimation window does (the same reading, on a
// thread of its own, and the same view) and prints its figures, so that a
// script can time and weigh the whole of it as one process, beside another
// program doing the same work.
// Usage: estimate_prices FILE
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <thread>

#include "window/estimation/background_reading.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: estimate_prices FILE\n");
    return 2;
  }
  const std::filesystem::path path = argv[1];
  cotalia::BackgroundReading reading(
      [&path](const cotalia::ReadProgress& progress) { return cotalia::ReadPriceFile(path, progress); });
  std::optional<cotalia::EstimationState> state;
  while (!(state = reading.TakeOutcome())) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const cotalia::EstimationView view = cotalia::EstimationViewOf(*state, cotalia::PeriodsTextOf(*state));
  if (view.figures.empty()) {
    std::fprintf(stderr, "%s\n", view.historyDescription.c_str());
    return 1;
  }
  std::printf("%s\n", cotalia::FiguresText(view.figures, "\n").c_str());
  return 0;
}
