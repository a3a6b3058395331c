// A one-line progress bar on stderr for long runs: frames done, frames a second, time left.
#pragma once

#include <chrono>

class ProgressBar {
 public:
  // Quiet unless `enabled` (the tool enables it when stderr is a terminal).
  ProgressBar(int total_frames, bool enabled);
  void update(int frames_done);
  void finish();

 private:
  using Clock = std::chrono::steady_clock;
  int total_;
  bool enabled_;
  bool shown_ = false;
  Clock::time_point start_;
  Clock::time_point last_;
};
