#include "progress.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr int bar_width = 30;
constexpr auto redraw_every = std::chrono::milliseconds(200);

}  // namespace

ProgressBar::ProgressBar(int total_frames, bool enabled)
    : total_(std::max(1, total_frames)), enabled_(enabled), start_(Clock::now()), last_(start_) {}

void ProgressBar::update(int frames_done) {
  if (!enabled_) return;
  const auto now = Clock::now();
  if (now - last_ < redraw_every && frames_done < total_) return;
  last_ = now;
  shown_ = true;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double fps = seconds > 0 ? frames_done / seconds : 0.0;
  const double left = fps > 0 ? (total_ - frames_done) / fps : 0.0;
  const int filled = static_cast<int>(static_cast<long long>(bar_width) * frames_done / total_);
  const std::string bar = std::string(filled, '#') + std::string(bar_width - filled, '.');
  std::fprintf(stderr, "\r[%s] %d/%d frames  %.1f fps  %d:%02d left ", bar.c_str(), frames_done,
               total_, fps, static_cast<int>(left) / 60, static_cast<int>(left) % 60);
  std::fflush(stderr);
}

void ProgressBar::finish() {
  if (enabled_ && shown_) std::fputc('\n', stderr);
}
