// Frame timing figures: per stage, the median and 95th percentile of the whole frame (update,
// draw and finish) and of the drawing alone.
#pragma once

#include <array>
#include <cstdio>
#include <vector>

struct Spread {
  double median = 0;
  double p95 = 0;
};

// Nearest-rank percentiles; zeros for no values.
Spread spread_of(std::vector<double> values);

class BenchRecorder {
 public:
  void add(int stage, double frame_ms, double draw_ms);
  // Per stage and for all frames; the frame rate is that of the timed frames back to back.
  // `startup_ms`: from before the window to the end of the first frame.
  void print(std::FILE* out, double startup_ms) const;

 private:
  struct StageTimes {
    std::vector<double> frame_ms, draw_ms;
  };
  std::array<StageTimes, 10> stages_;
};
