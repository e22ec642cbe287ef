#pragma once
// A measured operation against a baseline timed in the same loop: the counter
// `counter` holds the operation's time as a ratio to the baseline's.

#include <benchmark/benchmark.h>

#include <chrono>

template <typename Op, typename Base>
void Against(benchmark::State& state, const char* counter, Op op, Base baseline) {
  using Clock = std::chrono::steady_clock;
  Clock::duration opTime{}, baseTime{};
  for (auto _ : state) {
    auto t0 = Clock::now();
    op();
    auto t1 = Clock::now();
    baseline();
    auto t2 = Clock::now();
    opTime += t1 - t0;
    baseTime += t2 - t1;
  }
  state.counters[counter] =
      std::chrono::duration<double>(opTime).count() / std::chrono::duration<double>(baseTime).count();
}
