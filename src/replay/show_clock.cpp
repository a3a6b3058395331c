#include "replay/show_clock.h"

#include <algorithm>
#include <cmath>

#include "app/timeline.h"

float virtual_now(int frame) {
  return static_cast<float>(static_cast<double>(frame) * frame_ms);
}

int first_frame_of_stage(int stage) {
  return static_cast<int>(std::ceil(stage_timeline[stage - 1] / frame_ms));
}

int show_frame_count() {
  return first_frame_of_stage(last_stage) + 1;
}

int step_shown_at(int display_frame, int fps) {
  const long long step = static_cast<long long>(display_frame) * frames_per_second / fps;
  return static_cast<int>(std::min<long long>(step, show_frame_count() - 1));
}

int display_frame_count(int fps) {
  // The first display frame at or after the last show frame's time, rounded up in integers.
  const long long last = show_frame_count() - 1;
  return static_cast<int>((last * fps + frames_per_second - 1) / frames_per_second) + 1;
}

int display_frame_showing(int step, int fps) {
  if (step < 0 || step >= show_frame_count()) return -1;
  const long long first_at_or_after =
      (static_cast<long long>(step) * fps + frames_per_second - 1) / frames_per_second;
  return step_shown_at(static_cast<int>(first_at_or_after), fps) == step
             ? static_cast<int>(first_at_or_after)
             : -1;
}

bool step_show(int frame) {
  return step_show_at(virtual_now(frame), 0.0f);
}
