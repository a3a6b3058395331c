// A one-line progress bar on stderr for long runs: frames written, frames a second, time left.
#pragma once

#include <chrono>
#include <string>

// The bar's text for `done` of `total` written frames, the first of them written `seconds` ago:
// the rate counts only the frames since, so the frames run before it (fast, unwritten) do not
// make the time left look short.
std::string progress_line(int done, int total, double seconds);

class ProgressBar {
 public:
  // Quiet unless `enabled` (the tool enables it when stderr is a terminal).
  ProgressBar(int total_frames, bool enabled);
  // After each written frame.
  void update(int frames_done);
  void finish();

 private:
  using Clock = std::chrono::steady_clock;
  int total_;
  bool enabled_;
  bool shown_ = false;
  Clock::time_point first_;
  Clock::time_point last_;
};
