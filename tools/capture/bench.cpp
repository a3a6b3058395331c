#include "bench.h"

#include <algorithm>
#include <cmath>

Spread spread_of(std::vector<double> values) {
  if (values.empty()) return {};
  std::sort(values.begin(), values.end());
  const auto rank = [&](double q) {
    const auto n = static_cast<double>(values.size());
    const auto at = static_cast<std::size_t>(std::max(1.0, std::ceil(q * n))) - 1;
    return values[at];
  };
  return {rank(0.5), rank(0.95)};
}

void BenchRecorder::add(int stage, double frame_ms, double draw_ms) {
  if (stage < 0 || stage >= static_cast<int>(stages_.size())) return;
  stages_[stage].frame_ms.push_back(frame_ms);
  stages_[stage].draw_ms.push_back(draw_ms);
}

void BenchRecorder::print(std::FILE* out, double startup_ms) const {
  std::fprintf(out, "%-6s %7s %13s %10s %12s %9s   (ms)\n", "stage", "frames", "frame median",
               "frame p95", "draw median", "draw p95");
  StageTimes all;
  for (std::size_t s = 0; s < stages_.size(); ++s) {
    const StageTimes& t = stages_[s];
    if (t.frame_ms.empty()) continue;
    all.frame_ms.insert(all.frame_ms.end(), t.frame_ms.begin(), t.frame_ms.end());
    all.draw_ms.insert(all.draw_ms.end(), t.draw_ms.begin(), t.draw_ms.end());
    const Spread frame = spread_of(t.frame_ms), draw = spread_of(t.draw_ms);
    std::fprintf(out, "%-6zu %7zu %13.2f %10.2f %12.2f %9.2f\n", s, t.frame_ms.size(), frame.median,
                 frame.p95, draw.median, draw.p95);
  }
  const Spread frame = spread_of(all.frame_ms), draw = spread_of(all.draw_ms);
  std::fprintf(out, "%-6s %7zu %13.2f %10.2f %12.2f %9.2f\n", "all", all.frame_ms.size(),
               frame.median, frame.p95, draw.median, draw.p95);
  double total_ms = 0;
  for (double ms : all.frame_ms) total_ms += ms;
  const double fps =
      total_ms > 0 ? 1000.0 * static_cast<double>(all.frame_ms.size()) / total_ms : 0;
  std::fprintf(out, "overall: %.1f frames per second (%zu frames in %.2f s; the show wants 100)\n",
               fps, all.frame_ms.size(), total_ms / 1000.0);
  std::fprintf(out,
               "start-up: %.1f ms (window, scene set-up with the picture decodes, first "
               "frame)\n",
               startup_ms);
}
