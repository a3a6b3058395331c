// The show's clock in milliseconds since init, on the high-resolution counter when there is one.
#pragma once

#include <cstdint>

// Where the timer reads time; replaceable so that tests and offline rendering can set the clock.
struct ClockSource {
  bool (*query_frequency)(std::int64_t& counts_per_second);  // false: no high-resolution counter
  std::int64_t (*query_counter)();
  std::uint32_t (*milliseconds)();  // wraps after 2^32 ms
};

extern const ClockSource system_clock;

class FrameTimer {
 public:
  std::int64_t counts_per_second;
  float seconds_per_count;
  std::uint32_t clock_start;
  bool uses_counter;
  std::int64_t counter_start;
  const ClockSource* source = &system_clock;

  void init();
  double elapsed_ms() const;
};
