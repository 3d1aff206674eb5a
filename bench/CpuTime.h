// Processor time for the benchmark drivers, which report it beside the wall
// clock: on a busy machine the wall clock also counts the time other
// processes held the processor.
#pragma once

#include <sys/resource.h>

namespace lx::bench {

// User and system time of this process so far, in seconds.
inline double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace lx::bench
