#include "progress.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int bar_width = 30;
constexpr auto redraw_every = std::chrono::milliseconds(200);

}  // namespace

std::string progress_line(int done, int total, double seconds) {
  total = std::max(1, total);
  const double fps = seconds > 0 && done > 1 ? (done - 1) / seconds : 0.0;
  const int filled = static_cast<int>(static_cast<long long>(bar_width) * done / total);
  const std::string bar = std::string(filled, '#') + std::string(bar_width - filled, '.');
  char text[160];
  if (fps > 0) {
    const int left = static_cast<int>((total - done) / fps);
    std::snprintf(text, sizeof text, "[%s] %d/%d frames  %.1f fps  %d:%02d left ", bar.c_str(),
                  done, total, fps, left / 60, left % 60);
  } else {
    std::snprintf(text, sizeof text, "[%s] %d/%d frames ", bar.c_str(), done, total);
  }
  return text;
}

ProgressBar::ProgressBar(int total_frames, bool enabled)
    : total_(std::max(1, total_frames)), enabled_(enabled) {}

void ProgressBar::update(int frames_done) {
  if (!enabled_) return;
  const auto now = Clock::now();
  if (frames_done <= 1) first_ = last_ = now;
  if (now - last_ < redraw_every && frames_done > 1 && frames_done < total_) return;
  last_ = now;
  shown_ = true;
  const double seconds = std::chrono::duration<double>(now - first_).count();
  std::fprintf(stderr, "\r%s", progress_line(frames_done, total_, seconds).c_str());
  std::fflush(stderr);
}

void ProgressBar::finish() {
  if (enabled_ && shown_) std::fputc('\n', stderr);
}
