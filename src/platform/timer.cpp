#include "platform/timer.h"

#include <SDL.h>

namespace {

bool sdl_frequency(std::int64_t& counts_per_second) {
  counts_per_second = static_cast<std::int64_t>(SDL_GetPerformanceFrequency());
  return counts_per_second != 0;
}

std::int64_t sdl_counter() {
  return static_cast<std::int64_t>(SDL_GetPerformanceCounter());
}

std::uint32_t sdl_milliseconds() {
  return SDL_GetTicks();
}

}  // namespace

const ClockSource system_clock = {sdl_frequency, sdl_counter, sdl_milliseconds};

void FrameTimer::init() {
  if (source->query_frequency(counts_per_second)) {
    counter_start = source->query_counter();
    uses_counter = true;
    seconds_per_count = static_cast<float>(1.0 / static_cast<double>(counts_per_second));
  } else {
    uses_counter = false;
    clock_start = source->milliseconds();
    counts_per_second = 1000;
    seconds_per_count = 0.001f;
  }
}

double FrameTimer::elapsed_ms() const {
  double ticks;
  if (uses_counter) {
    ticks = static_cast<double>(source->query_counter() - counter_start);
  } else {
    const std::uint32_t since = source->milliseconds() - clock_start;  // modulo 2^32
    ticks = static_cast<double>(since);
  }
  return ticks * static_cast<double>(seconds_per_count) * 1000.0;
}
