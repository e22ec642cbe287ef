#pragma once
// Timing for benchmarks that report their own ratios: the thread's CPU time,
// so that other work on the machine does not stretch a measurement or its
// baseline, and the median of repeated readings.
#include <algorithm>
#include <ctime>
#include <vector>

namespace bench_time {

inline double ThreadSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The thread time `fn` takes.
template <class Fn>
double Seconds(Fn&& fn) {
  const double t0 = ThreadSeconds();
  fn();
  return ThreadSeconds() - t0;
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace bench_time
