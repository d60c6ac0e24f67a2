// SPDX-License-Identifier: GPL-3.0-or-later
// Times how long programs take to put their first window on the X display,
// and how much memory they use by then.
//
// Usage: map_probe RUNS PROGRAM...
// The programs are started in turn, RUNS times each, alternating so that
// whatever else the machine does falls on all of them alike. A run ends when
// the X server reports the program's first top-level window mapped, plus a
// short settling time for its first paint; the program is then stopped and
// its peak resident set size read from the kernel. Prints the median time and
// peak memory of each program and their ratios to the first.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Run {
  double milliseconds;
  double peakMegabytes;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

Run TimeOneStart(xcb_connection_t* connection, xcb_window_t root, const char* program) {
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(connection);

  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execl(program, program, static_cast<char*>(nullptr));
    _exit(127);
  }
  double milliseconds = -1;
  while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
    const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                        reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect == 0;
    std::free(event);
    if (mapped) {
      milliseconds =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      break;
    }
  }
  const uint32_t none = 0;
  xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &none);
  xcb_flush(connection);

  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  kill(child, SIGTERM);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  return {milliseconds, usage.ru_maxrss / 1024.0};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s RUNS PROGRAM...\n", argv[0]);
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  const std::vector<const char*> programs(argv + 2, argv + argc);
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection) != 0) {
    std::fprintf(stderr, "cannot open the X display\n");
    return 1;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;

  std::vector<std::vector<double>> times(programs.size());
  std::vector<std::vector<double>> memory(programs.size());
  for (std::size_t i = 0; i < programs.size(); ++i)
    TimeOneStart(connection, root, programs[i]);  // warm caches
  for (int run = 0; run < runs; ++run) {
    for (std::size_t i = 0; i < programs.size(); ++i) {
      const Run result = TimeOneStart(connection, root, programs[i]);
      times[i].push_back(result.milliseconds);
      memory[i].push_back(result.peakMegabytes);
    }
  }
  const double baseTime = Median(times[0]);
  const double baseMemory = Median(memory[0]);
  std::printf("%-40s %10s %8s %12s %8s\n", "program", "map (ms)", "ratio", "peak (MB)", "ratio");
  for (std::size_t i = 0; i < programs.size(); ++i) {
    const double time = Median(times[i]);
    const double peak = Median(memory[i]);
    std::printf("%-40s %10.1f %8.2f %12.1f %8.2f\n", programs[i], time, time / baseTime, peak,
                peak / baseMemory);
  }
  xcb_disconnect(connection);
  return 0;
}
