#pragma once

// What the two start-up probes report to the benchmark: the time from the
// moment the benchmark spawned them to their first displayed frame, and their
// peak resident memory at that moment. Linux only.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace bench {

// The steady clock (CLOCK_MONOTONIC) is the same in every process, so a
// parent's reading can be passed on the command line.
inline std::int64_t steadyNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The high-water mark of this process's own memory. (getrusage would also
// count the parent's memory at the moment it spawned this process.)
inline long peakResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmHWM:")) {
      return std::strtol(line.c_str() + 6, nullptr, 10);
    }
  }
  return 0;
}

// Prints "<microseconds since spawn> <peak kilobytes>"; the spawn time is the
// first argument, in nanoseconds of the steady clock.
inline int reportFirstFrame(int argc, char** argv) {
  const std::int64_t now = steadyNanoseconds();
  if (argc < 2) {
    (void)std::fprintf(stderr, "usage: %s <spawn time in steady-clock nanoseconds>\n", argv[0]);
    return 2;
  }
  const std::int64_t spawned = std::strtoll(argv[1], nullptr, 10);
  std::printf("%lld %ld\n", static_cast<long long>((now - spawned) / 1000),
              peakResidentKilobytes());
  return 0;
}

}  // namespace bench
